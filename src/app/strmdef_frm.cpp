#include "strmdef_frm.h"

#include "kestrin_app.h"
#include "main_frame.h"
#include "resource_ids.h"
#include "tool_bar.h"

CStrmDefFrm::CStrmDefFrm() {
    if (CKestrinApp* app = KestrinApp())
        ++app->m_nChildFrames;
}

CStrmDefFrm::~CStrmDefFrm() {
    if (CKestrinApp* app = KestrinApp())
        --app->m_nChildFrames;
}

void CStrmDefFrm::OnMDIActivate(bool activate) {
    CMDIChildWnd::OnMDIActivate(activate);
    CMainFrame* mainFrame = KestrinMainFrame();
    if (activate && mainFrame)
        mainFrame->ShowStrmDefToolbar();
}

QWidget* CStrmDefFrm::GetControlBar(UINT id) const {
    CMainFrame* mainFrame = KestrinMainFrame();
    return id == AFX_IDW_TOOLBAR && mainFrame ? mainFrame->GetToolBar(IDR_STRMDEFTYPE) : nullptr;
}
