#include "mdi_frame_wnd.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>

#include "cmd_ui.h"
#include "doc_template.h"
#include "document.h"
#include "mdi_child_wnd.h"
#include "menu.h"
#include "resources.h"
#include "status_bar.h"
#include "tool_bar.h"
#include "view.h"
#include "win_app.h"

CMDIFrameWnd::CMDIFrameWnd() : m_pMdiArea(new QMdiArea(this)), m_actions(this) {
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* window) { OnSubWindowActivated(window); });
    OnCommand(ID_WINDOW_NEW, &CMDIFrameWnd::OnWindowNew);
    OnCommand(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnMDICascade);
    OnCommand(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnMDITile);
}

CMDIFrameWnd::~CMDIFrameWnd() {
    // Child frames must not reach back into a half-destroyed main frame.
    m_pMdiArea->disconnect(this);
}

bool CMDIFrameWnd::LoadFrame(UINT resourceId) {
    m_nIDResource = resourceId;
    CREATESTRUCT cs;
    cs.style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;
    if (!PreCreateWindow(cs))
        return false;
    if (cs.cx != CW_USEDEFAULT && cs.cy != CW_USEDEFAULT)
        resize(cs.cx, cs.cy);
    if (cs.x != CW_USEDEFAULT && cs.y != CW_USEDEFAULT)
        move(cs.x, cs.y);
    setWindowTitle(AfxExtractSubString(AfxLoadString(resourceId), 0));
    if (const AcceleratorResource* keys = AfxFindAccelerators(resourceId))
        m_actions.LoadAccelerators(*keys);
    ShowMenu(resourceId);
    return OnCreate() != -1;
}

int CMDIFrameWnd::OnCreate() {
    return 0;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    // The current sub-window stays current while another application has the focus.
    QMdiSubWindow* window = m_pMdiArea->currentSubWindow();
    auto* child = window ? dynamic_cast<CMDIChildWnd*>(window->widget()) : nullptr;
    return child && !child->IsDestroying() ? child : nullptr;
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

bool CMDIFrameWnd::OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe) {
    CMDIChildWnd* child = MDIGetActive();
    if (child && child->OnCmdMsg(id, code, ui, probe))
        return true;
    if (CCmdTarget::OnCmdMsg(id, code, ui, probe))
        return true;
    return AfxGetApp() && AfxGetApp()->OnCmdMsg(id, code, ui, probe);
}

void CMDIFrameWnd::OnUpdateFrameTitle(bool addToTitle) {
    m_bAddToTitle = addToTitle;
    setWindowTitle(FrameTitle());
}

QString CMDIFrameWnd::FrameTitle() const {
    // "Kestrin - title", or "Kestrin - [title]" while the window fills the workspace.
    QString title = AfxExtractSubString(AfxLoadString(m_nIDResource), 0);
    CMDIChildWnd* child = MDIGetActive();
    if (!m_bAddToTitle || !child || child->windowTitle().isEmpty())
        return title;
    const bool maximized = child->GetSubWindow() && child->GetSubWindow()->isMaximized();
    return title + (maximized ? QStringLiteral(" - [%1]") : QStringLiteral(" - %1"))
                       .arg(child->windowTitle());
}

void CMDIFrameWnd::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The workspace retitles the window when a child is maximized or restored: keep ours.
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != FrameTitle())
        setWindowTitle(FrameTitle());
}

void CMDIFrameWnd::OnIdleUpdateCmdUI() {
    for (CToolBar* bar : findChildren<CToolBar*>())
        if (!bar->isHidden())
            bar->OnUpdateCmdUI(this, true);
    for (CStatusBar* bar : findChildren<CStatusBar*>())
        if (!bar->isHidden())
            bar->OnUpdateCmdUI(this);
}

void CMDIFrameWnd::CheckMenuRadioItem(UINT first, UINT last, UINT check) {
    for (UINT id = first; id <= last; ++id) {
        if (QAction* action = m_actions.Find(id)) {
            CCmdUI state(id, action);
            state.SetRadio(id == check);
        }
    }
}

void CMDIFrameWnd::DragAcceptFiles(bool accept) {
    setAcceptDrops(accept);
}

void CMDIFrameWnd::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMDIFrameWnd::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile() && AfxGetApp())
            AfxGetApp()->OpenDocumentFile(url.toLocalFile());
}

void CMDIFrameWnd::closeEvent(QCloseEvent* event) {
    CWinApp* app = AfxGetApp();
    if (app && !app->SaveAllModified()) {
        event->ignore();
        return;
    }
    if (app)
        app->CloseAllDocuments();
    event->accept();
}

void CMDIFrameWnd::OnSubWindowActivated(QMdiSubWindow* window) {
    auto* child = window ? dynamic_cast<CMDIChildWnd*>(window->widget()) : nullptr;
    // No sub-window while others remain: the application lost the focus, nothing changed.
    if (!child && HasLiveChildren())
        return;
    if (child != m_pActiveChild) {
        if (m_pActiveChild && !m_pActiveChild->IsDestroying())
            m_pActiveChild->OnMDIActivate(false);
        m_pActiveChild = child;
        if (child)
            child->OnMDIActivate(true);
    }
    ShowMenu(child ? child->GetMenuId() : m_nIDResource);
    OnUpdateFrameTitle(true);
}

bool CMDIFrameWnd::HasLiveChildren() const {
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        auto* child = dynamic_cast<CMDIChildWnd*>(window->widget());
        if (child && !child->IsDestroying())
            return true;
    }
    return false;
}

void CMDIFrameWnd::ShowMenu(UINT resourceId) {
    const MenuResource* resource = AfxFindMenu(resourceId);
    if (!resource || resourceId == m_nMenuShown)
        return;
    std::vector<QMenu*>& popups = m_menus[resourceId];
    if (popups.empty()) {
        for (const MenuItem& item : resource->popups)
            popups.push_back(BuildPopupMenu(item, m_actions, this));
        if (QMenu* windowMenu = popups.size() >= 2 ? popups[popups.size() - 2] : nullptr;
            windowMenu && windowMenu->actions().contains(m_actions.Find(ID_WINDOW_NEW)))
            connect(windowMenu, &QMenu::aboutToShow, this,
                    [this, windowMenu] { FillWindowList(windowMenu); });
    }
    for (const MenuItem& item : resource->popups)
        ApplyMenuTexts(item, m_actions);
    menuBar()->clear();
    for (QMenu* popup : popups)
        menuBar()->addMenu(popup);
    m_nMenuShown = resourceId;
}

void CMDIFrameWnd::FillWindowList(QMenu* windowMenu) {
    // The list of open windows follows the window commands, as "&1 title".
    for (QAction* action : windowMenu->actions())
        if (action->property("windowList").toBool())
            delete action;
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    windowMenu->addSeparator()->setProperty("windowList", true);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows[i];
        QString title = window->windowTitle().replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* action = windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setProperty("windowList", true);
        action->setCheckable(true);
        action->setChecked(window == m_pMdiArea->currentSubWindow());
        connect(action, &QAction::triggered, m_pMdiArea,
                [this, window] { m_pMdiArea->setActiveSubWindow(window); });
    }
}

void CMDIFrameWnd::OnWindowNew() {
    CMDIChildWnd* active = MDIGetActive();
    CDocument* doc = active ? active->GetActiveDocument() : nullptr;
    CDocTemplate* docTemplate = doc ? doc->GetDocTemplate() : nullptr;
    if (!docTemplate)
        return;
    if (CMDIChildWnd* frame = docTemplate->CreateNewFrame(doc))
        docTemplate->InitialUpdateFrame(frame, doc);
}

void CMDIFrameWnd::OnMDICascade() {
    m_pMdiArea->cascadeSubWindows();
}

void CMDIFrameWnd::OnMDITile() {
    m_pMdiArea->tileSubWindows();
}
