// Records every message box the program shows and answers from a script (IDOK when the
// script is empty), so that no test waits on a person.
#pragma once

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "message_box.h"

class RecordingMessageBox final : public MessageBoxPresenter {
public:
    RecordingMessageBox() : m_before(SetMessageBoxPresenter(this)) {}
    ~RecordingMessageBox() override { SetMessageBoxPresenter(m_before); }
    // A real box takes the focus from the window behind it, and so does this one.
    int Show(const QString& text, unsigned type) override {
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
        texts << text;
        types.push_back(type);
        return answers.isEmpty() ? IDOK : answers.takeFirst();
    }
    QStringList texts;
    std::vector<unsigned> types;
    QList<int> answers;

private:
    MessageBoxPresenter* m_before;
};
