#include "child_frame.h"

#include <QSplitter>

#include "kestrin_app.h"
#include "kestrin_view.h"
#include "main_frame.h"
#include "resource_ids.h"
#include "tool_bar.h"
#include "val_edit_view.h"
#include "view.h"

namespace {

// The panes' first sizes: the tree beside the page, the page above the typed values.
constexpr int kTreeWidth = 200;
constexpr int kPageWidth = 560;
constexpr int kPageHeight = 290;
constexpr int kValuesHeight = 150;

} // namespace

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

// The tree on the left; on the right the element list or hex page above the typed values.
bool CChildFrame::OnCreateClient(CCreateContext& context) {
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    CView* tree = CreateView(context, m_wndSplitter);
    if (!tree)
        return false;
    m_wndSplitter->addWidget(tree->GetWidget());
    m_wndSplitter2 = new QSplitter(Qt::Vertical, m_wndSplitter);
    m_wndSplitter->addWidget(m_wndSplitter2);
    if (!AddPane<CKestrinView>(context, m_wndSplitter2) ||
        !AddPane<CValEditView>(context, m_wndSplitter2))
        return false;
    m_wndSplitter->setSizes({kTreeWidth, kPageWidth});
    m_wndSplitter2->setSizes({kPageHeight, kValuesHeight});
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
