// Records the progress dialogs' labels and steps, and cancels once a step reaches cancelAt
// thousandths.
#pragma once

#include <QList>
#include <QStringList>

#include "progress.h"

class RecordingProgress final : public ProgressPresenter {
public:
    RecordingProgress() : m_before(SetProgressPresenter(this)) {}
    ~RecordingProgress() override { SetProgressPresenter(m_before); }
    void Begin(const QString& label) override { labels << label; }
    bool Step(int perMille) override {
        steps << perMille;
        return perMille < cancelAt;
    }
    void End() override { ++ended; }
    QStringList labels;
    QList<int> steps;
    int cancelAt = 1001;
    int ended = 0;

private:
    ProgressPresenter* m_before;
};
