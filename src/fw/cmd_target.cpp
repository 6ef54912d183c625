#include "cmd_target.h"

#include <ranges>

#include "cmd_ui.h"

bool CCmdTarget::OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe) {
    for (const Entry& entry : std::views::reverse(m_messageMap)) {
        if (entry.code != code || id < entry.first || id > entry.last)
            continue;
        if (probe)
            return true;
        // A handler may delete this target (closing a document): keep it alive on the stack.
        Handler handler = entry.handler;
        if (code != CN_UPDATE_COMMAND_UI)
            return handler(id, ui);
        ui->m_bContinueRouting = false;
        handler(id, ui);
        return !ui->m_bContinueRouting;
    }
    return false;
}

void CCmdTarget::OnCommandRange(UINT first, UINT last, std::function<void(UINT)> fn) {
    AddEntry(CN_COMMAND, first, last, [fn = std::move(fn)](UINT id, CCmdUI*) {
        fn(id);
        return true;
    });
}

void CCmdTarget::AddEntry(int code, UINT first, UINT last, Handler handler) {
    m_messageMap.push_back({code, first, last, std::move(handler)});
}
