#include "frame_wnd.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "cmd_ui.h"
#include "document.h"
#include "menu.h"
#include "view.h"
#include "win_app.h"

CFrameWnd* FrameOf(QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
        if (auto* frame = dynamic_cast<CFrameWnd*>(widget))
            return frame;
    return nullptr;
}

CFrameWnd::CFrameWnd() {
    OnCommandEx(ID_VIEW_TOOLBAR, &CFrameWnd::OnBarCheck);
    OnCommandEx(ID_VIEW_STATUS_BAR, &CFrameWnd::OnBarCheck);
    OnUpdateCommand(ID_VIEW_TOOLBAR, &CFrameWnd::OnUpdateControlBarMenu);
    OnUpdateCommand(ID_VIEW_STATUS_BAR, &CFrameWnd::OnUpdateControlBarMenu);
}

QWidget* CFrameWnd::GetWidget() const {
    return dynamic_cast<QWidget*>(const_cast<CFrameWnd*>(this));
}

CView* CFrameWnd::GetActiveView() const {
    return m_activeViewWidget ? m_pViewActive : nullptr;
}

void CFrameWnd::SetActiveView(CView* view) {
    CView* old = GetActiveView();
    if (view == old)
        return;
    m_pViewActive = view;
    m_activeViewWidget = view ? view->GetWidget() : nullptr;
    if (old)
        old->OnActivateView(false, view, old);
    if (view)
        view->OnActivateView(true, view, old);
}

CDocument* CFrameWnd::GetActiveDocument() {
    CFrameWnd* frame = GetActiveFrame();
    CView* view = frame ? frame->GetActiveView() : nullptr;
    return view ? view->GetDocument() : nullptr;
}

bool CFrameWnd::SendCommand(UINT id, int code) {
    if (code == CN_COMMAND && !IsCommandEnabled(id))
        return false;
    return OnCmdMsg(id, code, nullptr);
}

bool CFrameWnd::IsCommandEnabled(UINT id) {
    CCmdUI state(id);
    state.DoUpdate(this, true);
    return state.m_bEnabled;
}

void CFrameWnd::OnInitMenuPopup(QMenu* menu) {
    const QList<QAction*> items = menu->actions();
    for (int i = 0; i < items.size(); ++i) {
        QAction* item = items[i];
        CCmdUI state(0, item);
        state.m_pMenu = menu;
        state.m_nIndex = i;
        if (QMenu* popup = item->menu()) {
            // A popup is updated by its first command, and only if someone handles that.
            state.m_nID = PopupCommandId(popup);
            state.m_pSubMenu = popup;
            if (state.m_nID)
                state.DoUpdate(this, false);
        } else if (UINT id = item->data().toUInt()) {
            state.m_nID = id;
            state.DoUpdate(this, true);
        }
    }
}

bool CFrameWnd::OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe) {
    CView* view = GetActiveView();
    if (view && view->OnCmdMsg(id, code, ui, probe))
        return true;
    if (CCmdTarget::OnCmdMsg(id, code, ui, probe))
        return true;
    return AfxGetApp() && AfxGetApp()->OnCmdMsg(id, code, ui, probe);
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, bool makeVisible) {
    std::vector<CView*> views;
    for (CView* view : doc->GetViews())
        if (view->GetParentFrame() == this)
            views.push_back(view);
    if (!GetActiveView() && !views.empty())
        SetActiveView(views.front());
    for (CView* view : views)
        view->OnInitialUpdate();
    if (makeVisible)
        ActivateFrame();
    OnUpdateFrameTitle(true);
}

void CFrameWnd::OnUpdateFrameTitle(bool addToTitle) {
    CDocument* doc = GetActiveDocument();
    if (!addToTitle || !doc || !GetWidget())
        return;
    QString title = doc->GetTitle();
    if (m_nWindow > 0)
        title += QStringLiteral(":%1").arg(m_nWindow);
    GetWidget()->setWindowTitle(title);
}

void CFrameWnd::DestroyWindow() {
    for (CView* view : FrameViews())
        if (CDocument* doc = view->GetDocument())
            doc->RemoveView(view);
}

std::vector<CView*> CFrameWnd::FrameViews() const {
    std::vector<CView*> views;
    if (QWidget* widget = GetWidget())
        for (QWidget* child : widget->findChildren<QWidget*>())
            if (auto* view = dynamic_cast<CView*>(child); view && view->GetParentFrame() == this)
                views.push_back(view);
    return views;
}

QWidget* CFrameWnd::GetControlBar(UINT) const {
    return nullptr;
}

void CFrameWnd::ShowControlBar(QWidget* bar, bool show, bool) {
    bar->setVisible(show);
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCT&) {
    return true;
}

bool CFrameWnd::OnBarCheck(UINT id) {
    QWidget* bar = GetControlBar(id);
    if (!bar)
        return false;
    ShowControlBar(bar, bar->isHidden(), false);
    return true;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) {
    QWidget* bar = GetControlBar(ui->m_nID);
    if (!bar) {
        ui->ContinueRouting();
        return;
    }
    ui->SetCheck(!bar->isHidden());
}
