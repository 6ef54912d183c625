// Long work (copying, importing, growing a stream by gigabytes) shows how far it has come in
// a dialog the user may cancel. Every such dialog goes through one replaceable presenter, so
// that headless tests watch the steps and cancel where they like.
#pragma once

#include <QString>

class ProgressPresenter {
public:
    virtual ~ProgressPresenter() = default;
    virtual void Begin(const QString& label) = 0;
    // How far the work is, in thousandths; false once the user has cancelled.
    virtual bool Step(int perMille) = 0;
    virtual void End() = 0;
};

// Replaces the presenter (null: the real QProgressDialog one); returns the one before.
ProgressPresenter* SetProgressPresenter(ProgressPresenter* presenter);

// One piece of long work, from construction to destruction. The dialog appears only once the
// work has taken a moment.
class CProgress {
public:
    CProgress(const QString& label, qint64 total);
    ~CProgress();
    CProgress(const CProgress&) = delete;
    CProgress& operator=(const CProgress&) = delete;

    // done of the total units; false once the user has cancelled, and from then on.
    bool SetValue(qint64 done);
    bool IsCancelled() const { return m_cancelled; }

private:
    qint64 m_total;
    int m_perMille = -1;
    bool m_cancelled = false;
};
