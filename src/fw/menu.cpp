#include "menu.h"

#include <QAction>
#include <QMenu>

#include "command_actions.h"
#include "frame_wnd.h"
#include "mdi_frame_wnd.h"
#include "recent_file_list.h"
#include "resources.h"
#include "win_app.h"

namespace {

// The recent-file placeholder stands for as many items as the list can hold.
int RecentFileSlots() {
    CRecentFileList* list = AfxGetApp() ? AfxGetApp()->GetRecentFileList() : nullptr;
    return list ? list->GetSize() : 1;
}

void AddItems(QMenu* menu, const std::vector<MenuItem>& items, CCommandActions& actions) {
    for (const MenuItem& item : items) {
        if (!item.popup.empty()) {
            QMenu* popup = BuildPopupMenu(item, actions, menu);
            menu->addMenu(popup);
        } else if (item.id == 0) {
            menu->addSeparator();
        } else if (item.id == ID_FILE_MRU_FILE1) {
            // The placeholder's text is what the first slot shows while the list is empty.
            actions.Get(item.id)->setProperty(kRecentPlaceholder, QString::fromUtf8(item.text));
            for (int i = 0; i < RecentFileSlots(); ++i)
                menu->addAction(actions.Get(ID_FILE_MRU_FILE1 + i));
        } else {
            QAction* action = actions.Get(item.id);
            action->setText(QString::fromUtf8(item.text));
            if (item.checked) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            menu->addAction(action);
        }
    }
}

} // namespace

QMenu* BuildPopupMenu(const MenuItem& popup, CCommandActions& actions, QWidget* parent) {
    auto* menu = new QMenu(QString::fromUtf8(popup.text), parent);
    AddItems(menu, popup.popup, actions);
    CFrameWnd* owner = actions.Owner();
    QObject::connect(menu, &QMenu::aboutToShow, menu,
                     [owner, menu] { owner->OnInitMenuPopup(menu); });
    return menu;
}

void ApplyMenuTexts(const MenuItem& popup, CCommandActions& actions) {
    for (const MenuItem& item : popup.popup) {
        if (!item.popup.empty())
            ApplyMenuTexts(item, actions);
        else if (item.id != 0 && item.id != ID_FILE_MRU_FILE1)
            actions.Get(item.id)->setText(QString::fromUtf8(item.text));
    }
}

UINT PopupCommandId(const QMenu* popup) {
    const QList<QAction*> items = popup->actions();
    if (items.isEmpty())
        return 0;
    if (QMenu* nested = items.front()->menu())
        return PopupCommandId(nested);
    return items.front()->data().toUInt();
}

void EnableMenuItem(QMenu* menu, UINT item, UINT flags) {
    const bool enable = (flags & (MF_GRAYED | MF_DISABLED)) == 0;
    const QList<QAction*> items = menu->actions();
    if (flags & MF_BYPOSITION) {
        if (item < static_cast<UINT>(items.size()))
            items[item]->setEnabled(enable);
        return;
    }
    for (QAction* action : items)
        if (!action->menu() && action->data().toUInt() == item)
            action->setEnabled(enable);
}

CMenu::~CMenu() {
    for (QMenu* popup : m_popups)
        delete popup;
}

bool CMenu::LoadMenu(UINT resourceId) {
    const MenuResource* resource = AfxFindMenu(resourceId);
    CMDIFrameWnd* mainFrame = AfxGetMainWnd();
    if (!resource || !mainFrame)
        return false;
    for (const MenuItem& item : resource->popups)
        m_popups.push_back(BuildPopupMenu(item, mainFrame->GetCommandActions(), mainFrame));
    return true;
}

QMenu* CMenu::GetSubMenu(int position) const {
    return position >= 0 && position < static_cast<int>(m_popups.size()) ? m_popups[position]
                                                                         : nullptr;
}
