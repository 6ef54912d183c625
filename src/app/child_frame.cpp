#include "child_frame.h"

#include <QSplitter>

#include "kestrin_app.h"
#include "kestrin_view.h"
#include "main_frame.h"
#include "resource_ids.h"
#include "tool_bar.h"
#include "view.h"

CChildFrame::CChildFrame() {
    if (CKestrinApp* app = KestrinApp())
        ++app->m_nChildFrames;
}

CChildFrame::~CChildFrame() {
    if (CKestrinApp* app = KestrinApp())
        --app->m_nChildFrames;
}

bool CChildFrame::PreCreateWindow(CREATESTRUCT& cs) {
    CKestrinApp* app = KestrinApp();
    if (app && app->m_nChildFrames == 1)
        cs.style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | WS_MAXIMIZE | FWS_ADDTOTITLE;
    return CMDIChildWnd::PreCreateWindow(cs);
}

bool CChildFrame::OnCreateClient(CCreateContext& context) {
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    CView* tree = CreateView(context, m_wndSplitter);
    if (!tree)
        return false;
    m_wndSplitter->addWidget(tree->GetWidget());
    // The element list and hex page beside the tree.
    CCreateContext pageContext = context;
    pageContext.m_pNewViewClass = [] { return new CKestrinView; };
    CView* page = CreateView(pageContext, m_wndSplitter);
    if (!page)
        return false;
    m_wndSplitter->addWidget(page->GetWidget());
    m_wndSplitter->setSizes({200, 600});
    SetClient(m_wndSplitter);
    if (CMainFrame* mainFrame = KestrinMainFrame())
        mainFrame->ShowStgToolbar();
    return true;
}

void CChildFrame::OnMDIActivate(bool activate) {
    CMDIChildWnd::OnMDIActivate(activate);
    CMainFrame* mainFrame = KestrinMainFrame();
    if (activate && mainFrame)
        mainFrame->ShowStgToolbar();
}

QWidget* CChildFrame::GetControlBar(UINT id) const {
    CMainFrame* mainFrame = KestrinMainFrame();
    return id == AFX_IDW_TOOLBAR && mainFrame ? mainFrame->GetToolBar(IDR_KESTRITYPE) : nullptr;
}
