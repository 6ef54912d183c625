#include "cmd_ui.h"

#include <QAction>
#include <QActionGroup>

#include "cmd_target.h"

CCmdUI::CCmdUI(UINT id, QAction* action) : m_nID(id), m_pAction(action) {}

void CCmdUI::Enable(bool on) {
    m_bEnabled = on;
    m_bEnableChanged = true;
    // A popup entry is enabled by position through its parent menu, never indirectly.
    if (m_pAction && !m_pSubMenu)
        m_pAction->setEnabled(on);
}

void CCmdUI::SetCheck(int check) {
    if (!m_pAction || m_pSubMenu)
        return;
    if (QActionGroup* group = m_pAction->actionGroup()) {
        group->removeAction(m_pAction);
        delete group;
    }
    m_pAction->setCheckable(true);
    m_pAction->setChecked(check != 0);
}

void CCmdUI::SetRadio(bool on) {
    if (!m_pAction || m_pSubMenu)
        return;
    // An exclusive group of one is what makes Qt draw a radio mark; it never forces a choice.
    if (!m_pAction->actionGroup()) {
        auto* group = new QActionGroup(m_pAction);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        group->addAction(m_pAction);
    }
    m_pAction->setCheckable(true);
    m_pAction->setChecked(on);
}

void CCmdUI::SetText(const QString& text) {
    if (m_pAction && !m_pSubMenu)
        m_pAction->setText(text);
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler) {
    m_bEnableChanged = false;
    bool handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (!handled && disableIfNoHandler && !m_bEnableChanged)
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, nullptr, true));
    return handled;
}
