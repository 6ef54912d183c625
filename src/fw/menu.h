// Menus built from menu resources over the main frame's command actions. A popup updates its
// items through the owner's routing every time it opens.
#pragma once

#include <QString>
#include <vector>

#include "framework_ids.h"

class QMenu;
class QWidget;
struct MenuItem;
class CCommandActions;

constexpr UINT MF_BYCOMMAND = 0x0;
constexpr UINT MF_BYPOSITION = 0x400;
constexpr UINT MF_ENABLED = 0x0;
constexpr UINT MF_GRAYED = 0x1;
constexpr UINT MF_DISABLED = 0x2;

// The property of the first recent-file action that holds the menu's placeholder text.
constexpr char kRecentPlaceholder[] = "recentPlaceholder";

// A popup of a menu resource; its command items are the shared actions, with this menu's texts.
QMenu* BuildPopupMenu(const MenuItem& popup, CCommandActions& actions, QWidget* parent);
// Gives the shared actions the texts a menu resource has for them.
void ApplyMenuTexts(const MenuItem& popup, CCommandActions& actions);
// The id that stands for a popup in updates: its first command.
UINT PopupCommandId(const QMenu* popup);
// Enables or greys an item by command or by position (a popup entry, by position).
void EnableMenuItem(QMenu* menu, UINT item, UINT flags);

// A menu resource loaded for a context menu: GetSubMenu(0) is its first popup.
class CMenu {
public:
    CMenu() = default;
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    bool LoadMenu(UINT resourceId);
    QMenu* GetSubMenu(int position) const;

private:
    std::vector<QMenu*> m_popups;
};
