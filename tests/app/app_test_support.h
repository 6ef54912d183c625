// What the application tests share: the program's resources, a profile in a scratch
// folder, and a message-box seam that records the texts.
#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include "kestrin_app.h"
#include "kestrin_resources.h"
#include "message_box.h"
#include "resources.h"

inline void UseScratchProfile(const QTemporaryDir& dir) {
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    AfxSetResources(&KestrinResources());
}

class RecordingMessageBox final : public MessageBoxPresenter {
public:
    RecordingMessageBox() : m_before(SetMessageBoxPresenter(this)) {}
    ~RecordingMessageBox() override { SetMessageBoxPresenter(m_before); }
    int Show(const QString& text, unsigned) override {
        texts << text;
        return IDOK;
    }
    QStringList texts;

private:
    MessageBoxPresenter* m_before;
};
