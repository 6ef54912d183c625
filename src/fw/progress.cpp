#include "progress.h"

#include <QApplication>
#include <QProgressDialog>
#include <algorithm>
#include <memory>

#include "seam.h"

namespace {

class QtProgressDialog final : public ProgressPresenter {
public:
    void Begin(const QString& label) override {
        m_dialog = std::make_unique<QProgressDialog>(QApplication::activeWindow());
        m_dialog->setWindowTitle(QApplication::applicationDisplayName());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setLabelText(label);
        m_dialog->setRange(0, 1000);
        m_dialog->setMinimumDuration(500);
        m_dialog->setValue(0);
    }
    // A modal dialog's setValue lets the event loop run: the cancel button is seen here.
    bool Step(int perMille) override {
        m_dialog->setValue(perMille);
        return !m_dialog->wasCanceled();
    }
    void End() override { m_dialog.reset(); }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

Seam<ProgressPresenter, QtProgressDialog> g_presenter;

} // namespace

ProgressPresenter* SetProgressPresenter(ProgressPresenter* presenter) {
    return g_presenter.Set(presenter);
}

CProgress::CProgress(const QString& label, qint64 total) : m_total(std::max<qint64>(total, 1)) {
    g_presenter->Begin(label);
}

CProgress::~CProgress() {
    g_presenter->End();
}

bool CProgress::SetValue(qint64 done) {
    if (m_cancelled)
        return false;
    // The dialog hears of every thousandth only, however small the steps of the work.
    const int perMille = static_cast<int>(std::clamp<qint64>(done, 0, m_total) * 1000 / m_total);
    if (perMille != m_perMille) {
        m_perMille = perMille;
        m_cancelled = !g_presenter->Step(perMille);
    }
    return !m_cancelled;
}
