#include "tool_bar.h"

#include <QAction>
#include <QHBoxLayout>

#include "cmd_ui.h"
#include "command_actions.h"
#include "frame_wnd.h"
#include "resources.h"

CToolBar::CToolBar(QWidget* parent) : QToolBar(parent) {
    setIconSize(QSize(16, 15));
}

bool CToolBar::LoadToolBar(UINT resourceId, CCommandActions& actions) {
    const ToolBarResource* resource = AfxFindToolBar(resourceId);
    if (!resource)
        return false;
    m_nIDResource = resourceId;
    setObjectName(QStringLiteral("toolBar%1").arg(resourceId));
    for (UINT id : resource->buttons) {
        if (id == ID_SEPARATOR)
            addSeparator();
        else
            addAction(actions.Get(id));
    }
    return true;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT, int width) {
    QList<QAction*> items = actions();
    if (index < 0 || index >= items.size())
        return;
    auto* place = new QWidget(this);
    place->setObjectName(QStringLiteral("item%1").arg(id));
    place->setFixedWidth(width);
    auto* layout = new QHBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    insertWidget(items[index], place);
    removeAction(items[index]);
}

QWidget* CToolBar::GetItemWindow(int index) const {
    QList<QAction*> items = actions();
    return index >= 0 && index < items.size() ? widgetForAction(items[index]) : nullptr;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, bool disableIfNoHandler) {
    for (QAction* action : actions()) {
        if (UINT id = action->data().toUInt()) {
            CCmdUI state(id, action);
            state.DoUpdate(target, disableIfNoHandler);
        }
    }
}
