#include "strmdef_frm.h"

#include <QSplitter>

#include "kestrin_app.h"
#include "main_frame.h"
#include "resource_ids.h"
#include "stream_view.h"
#include "strm_lst_view.h"
#include "tool_bar.h"
#include "view.h"

namespace {

// The panes' first sizes: the type list beside the editors, the type editor above the
// layout editor.
constexpr int kListWidth = 160;
constexpr int kEditorWidth = 560;
constexpr int kTypeEditorHeight = 232;
constexpr int kLayoutHeight = 180;
// The window's border and title bar around the panes.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 32;

} // namespace

CStrmDefFrm::CStrmDefFrm() {
    if (CKestrinApp* app = KestrinApp())
        ++app->m_nChildFrames;
}

CStrmDefFrm::~CStrmDefFrm() {
    if (CKestrinApp* app = KestrinApp())
        --app->m_nChildFrames;
}

// Without a size of its own the window would shrink to its title bar.
bool CStrmDefFrm::PreCreateWindow(CREATESTRUCT& cs) {
    CKestrinApp* app = KestrinApp();
    if (app && app->m_nChildFrames == 1)
        cs.style |= WS_MAXIMIZE;
    cs.cx = kListWidth + kEditorWidth + kFrameWidth;
    cs.cy = kTypeEditorHeight + kLayoutHeight + kFrameHeight;
    return CMDIChildWnd::PreCreateWindow(cs);
}

// The template's view, the type editor, is made first: it is the document's first view.
bool CStrmDefFrm::OnCreateClient(CCreateContext& context) {
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter2 = new QSplitter(Qt::Vertical, m_wndSplitter);
    m_wndSplitter->addWidget(m_wndSplitter2);
    CView* editor = CreateView(context, m_wndSplitter2);
    if (!editor)
        return false;
    m_wndSplitter2->addWidget(editor->GetWidget());
    if (!AddPane<CStreamView>(context, m_wndSplitter2, 1) ||
        !AddPane<CStrmLstView>(context, m_wndSplitter, 0))
        return false;
    m_wndSplitter->setSizes({kListWidth, kEditorWidth});
    m_wndSplitter2->setSizes({kTypeEditorHeight, kLayoutHeight});
    // The editors take what the window gains; the list keeps its width.
    m_wndSplitter->setStretchFactor(1, 1);
    m_wndSplitter2->setStretchFactor(1, 1);
    SetClient(m_wndSplitter);
    return true;
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
