#include "mdi_child_wnd.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QVBoxLayout>

#include "document.h"
#include "mdi_frame_wnd.h"
#include "view.h"
#include "win_app.h"

CMDIChildWnd::CMDIChildWnd() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    OnCommandRange(ID_NEXT_PANE, ID_PREV_PANE, &CMDIChildWnd::OnNextPane);
}

bool CMDIChildWnd::LoadFrame(UINT resourceId, CCreateContext& context) {
    // On failure the frame destroys itself: the caller never deletes it.
    CMDIFrameWnd* mainFrame = AfxGetMainWnd();
    CREATESTRUCT cs;
    cs.style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;
    if (!mainFrame || !PreCreateWindow(cs)) {
        DestroyWindow();
        return false;
    }
    m_nIDResource = resourceId;
    m_bMaximize = (cs.style & WS_MAXIMIZE) != 0;
    m_pSubWindow = mainFrame->GetMDIClient()->addSubWindow(this);
    m_pSubWindow->setAttribute(Qt::WA_DeleteOnClose);
    if (cs.cx != CW_USEDEFAULT && cs.cy != CW_USEDEFAULT)
        m_pSubWindow->resize(cs.cx, cs.cy);
    if (!OnCreateClient(context)) {
        DestroyWindow();
        return false;
    }
    return true;
}

bool CMDIChildWnd::OnCreateClient(CCreateContext& context) {
    CView* view = CreateView(context, this);
    if (!view)
        return false;
    SetClient(view->GetWidget());
    return true;
}

CView* CMDIChildWnd::CreateView(CCreateContext& context, QWidget* parent) {
    if (!context.m_pNewViewClass)
        return nullptr;
    CView* view = context.m_pNewViewClass();
    QWidget* widget = view ? view->GetWidget() : nullptr;
    if (!widget) {
        delete view;
        return nullptr;
    }
    widget->setParent(parent);
    if (context.m_pCurrentDoc)
        context.m_pCurrentDoc->AddView(view);
    return view;
}

void CMDIChildWnd::SetClient(QWidget* client) {
    layout()->addWidget(client);
}

void CMDIChildWnd::MDIActivate() {
    if (m_pSubWindow && m_pSubWindow->mdiArea())
        m_pSubWindow->mdiArea()->setActiveSubWindow(m_pSubWindow);
}

void CMDIChildWnd::ActivateFrame() {
    if (!m_pSubWindow)
        return;
    if (m_bMaximize)
        m_pSubWindow->showMaximized();
    else
        m_pSubWindow->show();
    MDIActivate();
    if (CView* view = GetActiveView())
        view->OnActivateView(true, view, view);
}

void CMDIChildWnd::DestroyWindow() {
    CFrameWnd::DestroyWindow();
    if (m_bDestroying)
        return;
    m_bDestroying = true;
    // Inside this frame's own close the sub-window is closing already.
    if (m_pSubWindow && !m_bInClose)
        m_pSubWindow->close();
    else if (!m_pSubWindow)
        deleteLater();
}

void CMDIChildWnd::closeEvent(QCloseEvent* event) {
    if (m_bDestroying) {
        event->accept();
        return;
    }
    m_bInClose = true;
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) {
        m_bInClose = false;
        event->ignore();
        return;
    }
    // The last frame of a document closes the document, which destroys this frame.
    bool last = doc && std::all_of(doc->GetViews().begin(), doc->GetViews().end(),
                                   [this](CView* view) { return view->GetParentFrame() == this; });
    if (last)
        doc->OnCloseDocument();
    else
        DestroyWindow();
    m_bInClose = false;
    event->accept();
}

void CMDIChildWnd::OnUpdateFrameTitle(bool addToTitle) {
    CFrameWnd::OnUpdateFrameTitle(addToTitle);
    CMDIFrameWnd* mainFrame = AfxGetMainWnd();
    if (mainFrame && mainFrame->MDIGetActive() == this)
        mainFrame->OnUpdateFrameTitle(true);
}

void CMDIChildWnd::OnMDIActivate(bool) {}

bool CMDIChildWnd::OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe) {
    // The application comes after the main frame, which routes on to it.
    CView* view = GetActiveView();
    if (view && view->OnCmdMsg(id, code, ui, probe))
        return true;
    return CCmdTarget::OnCmdMsg(id, code, ui, probe);
}

bool CMDIChildWnd::AddPane(CCreateContext& context, std::function<CView*()> makeView,
                           QSplitter* splitter, int index) {
    CCreateContext paneContext = context;
    paneContext.m_pNewViewClass = std::move(makeView);
    CView* view = CreateView(paneContext, splitter);
    if (view)
        splitter->insertWidget(index, view->GetWidget());
    return view != nullptr;
}

void CMDIChildWnd::OnNextPane(UINT id) {
    // Panes in the order the eye reads them: left to right, then top to bottom.
    std::vector<CView*> views = FrameViews();
    if (views.empty())
        return;
    auto place = [this](CView* view) {
        const QPoint at = view->GetWidget()->mapTo(this, QPoint());
        return std::pair(at.x(), at.y());
    };
    std::stable_sort(views.begin(), views.end(),
                     [&](CView* a, CView* b) { return place(a) < place(b); });
    const auto count = static_cast<std::ptrdiff_t>(views.size());
    const auto active = std::find(views.begin(), views.end(), GetActiveView()) - views.begin();
    const auto step = id == ID_NEXT_PANE ? 1 : count - 1;
    CView* next = views[(active == count ? 0 : active + step) % count];
    SetActiveView(next);
    next->GetWidget()->setFocus(Qt::ShortcutFocusReason);
}

void CMDIChildWnd::OnFocusChanged(QWidget* now) {
    for (QWidget* widget = now; widget && widget != this; widget = widget->parentWidget()) {
        auto* view = dynamic_cast<CView*>(widget);
        if (view && view->GetParentFrame() == this) {
            SetActiveView(view);
            return;
        }
    }
}
