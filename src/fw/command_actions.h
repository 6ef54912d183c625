// The command actions: one QAction per command id, made in this one place and shared by the
// menus, the toolbars and the context menus that show the command. An action's status tip
// and tool tip come from the command's string ("prompt\ntip"), its icon from the command's
// image. Triggering an action, or pressing an accelerator key, sends the command through the
// owner frame's routing.
#pragma once

#include <map>
#include <vector>

#include "framework_ids.h"

class QAction;
class QShortcut;
struct AcceleratorResource;
class CFrameWnd;

class CCommandActions {
public:
    explicit CCommandActions(CFrameWnd* owner);

    // The action of the command, made the first time it is asked for.
    QAction* Get(UINT id);
    QAction* Find(UINT id) const;
    CFrameWnd* Owner() const { return m_pOwner; }
    // Accelerator keys work whatever the menus show: each key sends its command.
    void LoadAccelerators(const AcceleratorResource& table);

private:
    CFrameWnd* m_pOwner;
    std::map<UINT, QAction*> m_actions;
    std::vector<QShortcut*> m_shortcuts;
};
