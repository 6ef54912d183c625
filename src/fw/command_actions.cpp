#include "command_actions.h"

#include <QAction>
#include <QIcon>
#include <QShortcut>
#include <QWidget>

#include "frame_wnd.h"
#include "resources.h"

CCommandActions::CCommandActions(CFrameWnd* owner) : m_pOwner(owner) {}

QAction* CCommandActions::Get(UINT id) {
    if (QAction* action = Find(id))
        return action;
    auto* action = new QAction(m_pOwner->GetWidget());
    action->setData(id);
    const QString prompt = AfxLoadString(id);
    action->setStatusTip(AfxExtractSubString(prompt, 0));
    action->setToolTip(AfxExtractSubString(prompt, 1));
    if (QString image = AfxCommandImagePath(id); !image.isEmpty())
        action->setIcon(QIcon(image));
    QObject::connect(action, &QAction::triggered, action,
                     [this, id] { m_pOwner->SendCommand(id); });
    m_actions[id] = action;
    return action;
}

QAction* CCommandActions::Find(UINT id) const {
    auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CCommandActions::LoadAccelerators(const AcceleratorResource& table) {
    for (const Accelerator& key : table.keys) {
        auto* shortcut = new QShortcut(QKeySequence(key.key), m_pOwner->GetWidget());
        const UINT id = key.id;
        QObject::connect(shortcut, &QShortcut::activated, shortcut,
                         [this, id] { m_pOwner->SendCommand(id); });
        m_shortcuts.push_back(shortcut);
    }
}
