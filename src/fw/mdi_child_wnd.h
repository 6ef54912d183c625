// A child frame of the MDI main frame: the window of one document inside the main window's
// workspace, in a QMdiSubWindow. Its client area holds the views (the template's view
// alone by default; a derived frame may split it). Closing the last frame of a document
// asks to save, then closes the document.
#pragma once

#include <QWidget>
#include <functional>

#include "frame_wnd.h"

class QMdiSubWindow;
class QSplitter;
class CMDIFrameWnd;

class CMDIChildWnd : public QWidget, public CFrameWnd {
public:
    CMDIChildWnd();

    // Creates the frame in the main frame's workspace with its views; resourceId is the
    // menu shown while the frame is active.
    bool LoadFrame(UINT resourceId, CCreateContext& context);
    QMdiSubWindow* GetSubWindow() const { return m_pSubWindow; }
    UINT GetMenuId() const { return m_nIDResource; }
    void MDIActivate();
    bool IsDestroying() const { return m_bDestroying; }

    void ActivateFrame() override;
    void DestroyWindow() override;
    void OnUpdateFrameTitle(bool addToTitle) override;
    // The main frame switched the active child to (activate) or away from this frame.
    virtual void OnMDIActivate(bool activate);

    bool OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe = false) override;

protected:
    virtual bool OnCreateClient(CCreateContext& context);
    // Makes the context's view, gives it its document and puts it under parent.
    CView* CreateView(CCreateContext& context, QWidget* parent);
    // Makes a View for the context's document and inserts it into splitter at index (-1: at
    // the end); false when it could not be made.
    template <class View>
    bool AddPane(CCreateContext& context, QSplitter* splitter, int index = -1) {
        return AddPane(
            context, [] { return static_cast<CView*>(new View); }, splitter, index);
    }
    bool AddPane(CCreateContext& context, std::function<CView*()> makeView, QSplitter* splitter,
                 int index);
    // The widget that fills the frame.
    void SetClient(QWidget* client);
    void closeEvent(QCloseEvent* event) override;
    // F6 and Shift+F6: the focus goes round the frame's views.
    void OnNextPane(UINT id);

private:
    void OnFocusChanged(QWidget* now);

    QMdiSubWindow* m_pSubWindow = nullptr;
    UINT m_nIDResource = 0;
    bool m_bMaximize = false;
    bool m_bDestroying = false;
    bool m_bInClose = false;
};
