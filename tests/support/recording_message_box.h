// Records every message box the program shows and answers from a script (IDOK when the
// script is empty), so that no test waits on a person.
#pragma once

#include <QList>
#include <QStringList>

#include "message_box.h"

class RecordingMessageBox final : public MessageBoxPresenter {
public:
    RecordingMessageBox() : m_before(SetMessageBoxPresenter(this)) {}
    ~RecordingMessageBox() override { SetMessageBoxPresenter(m_before); }
    int Show(const QString& text, unsigned) override {
        texts << text;
        return answers.isEmpty() ? IDOK : answers.takeFirst();
    }
    QStringList texts;
    QList<int> answers;

private:
    MessageBoxPresenter* m_before;
};
