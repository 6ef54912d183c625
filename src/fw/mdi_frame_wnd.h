// The MDI main frame: a QMainWindow whose central workspace (QMdiArea) holds the child
// frames. It owns the command actions, shows the menu of the active child's document type
// (its own menu while no child is open), updates its toolbars when the application is idle,
// and asks to save every modified document before it closes.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <vector>

#include "command_actions.h"
#include "frame_wnd.h"

class QMdiArea;
class QMdiSubWindow;
class CMDIChildWnd;

class CMDIFrameWnd : public QMainWindow, public CFrameWnd {
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // Places the window (PreCreateWindow), titles it with string resourceId, loads menu and
    // accelerators resourceId and runs OnCreate. False when OnCreate fails.
    bool LoadFrame(UINT resourceId);
    QMdiArea* GetMDIClient() const { return m_pMdiArea; }
    CMDIChildWnd* MDIGetActive() const;
    CCommandActions& GetCommandActions() { return m_actions; }

    CFrameWnd* GetActiveFrame() override;
    bool OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe = false) override;
    void OnUpdateFrameTitle(bool addToTitle) override;

    // Updates the visible toolbars and the status bar, as the application does when idle.
    void OnIdleUpdateCmdUI();
    // Puts the radio mark on check and takes it from the other commands first to last.
    void CheckMenuRadioItem(UINT first, UINT last, UINT check);
    // Files dropped on the window open as documents.
    void DragAcceptFiles(bool accept);

protected:
    virtual int OnCreate();
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void OnSubWindowActivated(QMdiSubWindow* window);
    bool HasLiveChildren() const;
    QString FrameTitle() const;
    void ShowMenu(UINT resourceId);
    void FillWindowList(QMenu* windowMenu);
    void OnWindowNew();
    void OnMDICascade();
    void OnMDITile();

    QMdiArea* m_pMdiArea;
    CCommandActions m_actions;
    UINT m_nIDResource = 0;
    UINT m_nMenuShown = 0;
    bool m_bAddToTitle = true;
    std::map<UINT, std::vector<QMenu*>> m_menus;
    QPointer<CMDIChildWnd> m_pActiveChild;
};
