// The command-UI object an update handler receives: it enables, checks, radio-marks or
// renames whatever shows the command (a menu item or toolbar button through its QAction, a
// status-bar pane), and records the state so that a command can be tested before it runs.
#pragma once

#include <QString>

#include "framework_ids.h"

class QAction;
class QMenu;
class CCmdTarget;

class CCmdUI {
public:
    explicit CCmdUI(UINT id, QAction* action = nullptr);
    virtual ~CCmdUI() = default;

    virtual void Enable(bool on = true);
    // 0 clears the mark, 1 sets it, 2 shows the indeterminate state (shown as set).
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(bool on = true);
    virtual void SetText(const QString& text);
    // Lets the update go on to the next target on the route.
    void ContinueRouting() { m_bContinueRouting = true; }

    // Routes the update from target. A command nobody updates is enabled exactly when
    // someone handles it, if disableIfNoHandler is set.
    bool DoUpdate(CCmdTarget* target, bool disableIfNoHandler);

    UINT m_nID;
    QAction* m_pAction;          // null when the command is only being tested
    QMenu* m_pMenu = nullptr;    // the menu being opened, when the item is in one
    int m_nIndex = -1;           // the item's position in m_pMenu
    QMenu* m_pSubMenu = nullptr; // set when the item is a popup, updated by its first id
    bool m_bEnabled = true;
    bool m_bEnableChanged = false;
    bool m_bContinueRouting = false;
};
