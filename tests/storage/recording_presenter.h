// Records the texts of message boxes instead of showing them, for as long as it lives.
#pragma once

#include <QString>
#include <QStringList>

#include "message_box.h"

class RecordingPresenter final : public MessageBoxPresenter {
public:
    RecordingPresenter() { m_before = SetMessageBoxPresenter(this); }
    ~RecordingPresenter() override { SetMessageBoxPresenter(m_before); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int Show(const QString& text, unsigned type) override {
        texts.append(text);
        types.push_back(type);
        return IDOK;
    }

    QStringList texts;
    std::vector<unsigned> types;

private:
    MessageBoxPresenter* m_before = nullptr;
};
