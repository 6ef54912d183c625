#include "status_bar.h"

#include <QLabel>

#include "cmd_ui.h"
#include "frame_wnd.h"
#include "resources.h"

namespace {

// An indicator pane: enabled shows its text, disabled leaves the pane blank.
class CPaneCmdUI final : public CCmdUI {
public:
    CPaneCmdUI(UINT id, QLabel* label, const QString& text)
        : CCmdUI(id), m_label(label), m_text(text) {}
    void Enable(bool on) override {
        CCmdUI::Enable(on);
        m_label->setText(on ? m_text : QString());
    }
    void SetText(const QString& text) override {
        m_text = text;
        m_label->setText(text);
    }

private:
    QLabel* m_label;
    QString m_text;
};

} // namespace

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {}

bool CStatusBar::SetIndicators(std::span<const UINT> ids) {
    for (UINT id : ids) {
        const bool message = id == ID_SEPARATOR;
        const QString text = AfxLoadString(message ? AFX_IDS_IDLEMESSAGE : id);
        auto* label = new QLabel(text, this);
        if (message) {
            addWidget(label, 1);
        } else {
            // Wide enough for its text, blank until an update says the key is on.
            label->setMinimumWidth(label->sizeHint().width() + 8);
            label->setAlignment(Qt::AlignCenter);
            label->clear();
            addPermanentWidget(label);
        }
        m_panes.push_back({id, text, label});
    }
    return true;
}

QString CStatusBar::GetPaneText(int index) const {
    return index >= 0 && index < static_cast<int>(m_panes.size()) ? m_panes[index].label->text()
                                                                  : QString();
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target) {
    for (const Pane& pane : m_panes) {
        if (pane.id == ID_SEPARATOR)
            continue;
        CPaneCmdUI state(pane.id, pane.label, pane.text);
        state.DoUpdate(target, false);
    }
}
