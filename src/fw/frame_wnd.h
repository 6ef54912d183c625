// Frames: the windows that hold views (child frames) or everything (the main frame). A frame
// is a mix-in beside its widget class. Commands enter through a frame and walk the route:
// the active view, its document, the frame, the application.
#pragma once

#include <QPointer>
#include <functional>

#include "cmd_target.h"

class QMenu;
class QWidget;
class CDocument;
class CDocTemplate;
class CView;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
constexpr unsigned WS_CHILD = 0x40000000;
constexpr unsigned WS_VISIBLE = 0x10000000;
constexpr unsigned WS_MAXIMIZE = 0x01000000;
constexpr unsigned WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr unsigned FWS_ADDTOTITLE = 0x00008000;

// The placement and style a frame is about to be created with; PreCreateWindow may change it.
struct CREATESTRUCT {
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int cx = CW_USEDEFAULT;
    int cy = CW_USEDEFAULT;
    unsigned style = 0;
};

// What a new frame needs to make its views: the document and the template's view factory.
struct CCreateContext {
    CDocument* m_pCurrentDoc = nullptr;
    std::function<CView*()> m_pNewViewClass;
    CDocTemplate* m_pNewDocTemplate = nullptr;
};

class CFrameWnd : public CCmdTarget {
public:
    CFrameWnd();

    QWidget* GetWidget() const;
    // The frame whose view is active: the frame itself, or a main frame's active child.
    virtual CFrameWnd* GetActiveFrame() { return this; }
    CView* GetActiveView() const;
    void SetActiveView(CView* view);
    CDocument* GetActiveDocument();

    // Carries out a command if its update handlers leave it enabled (a disabled command is
    // never carried out); a control notification (code) is passed on as it is. Answers
    // whether someone handled it.
    bool SendCommand(UINT id, int code = CN_COMMAND);
    // Whether the command is enabled now, as its update handlers say.
    bool IsCommandEnabled(UINT id);
    // Runs the update handlers of a menu's items, as before the menu opens.
    void OnInitMenuPopup(QMenu* menu);

    bool OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe = false) override;

    // Sends OnInitialUpdate to the frame's views of doc, then shows the frame.
    void InitialUpdateFrame(CDocument* doc, bool makeVisible);
    virtual void ActivateFrame() {}
    virtual void OnUpdateFrameTitle(bool addToTitle);
    // Takes the frame's views from their documents and closes the frame.
    virtual void DestroyWindow();

    // The control bar (toolbar, status bar) with that id, or null.
    virtual QWidget* GetControlBar(UINT id) const;
    void ShowControlBar(QWidget* bar, bool show, bool delay);

    int m_nWindow = 0; // this frame's number among its document's frames; 0 when alone

protected:
    virtual bool PreCreateWindow(CREATESTRUCT& cs);
    // The views that live inside this frame.
    std::vector<CView*> FrameViews() const;
    bool OnBarCheck(UINT id);
    void OnUpdateControlBarMenu(CCmdUI* ui);

private:
    CView* m_pViewActive = nullptr;
    QPointer<QWidget> m_activeViewWidget; // clears when the active view is deleted
};

// The frame that holds a widget, or null.
CFrameWnd* FrameOf(QWidget* widget);
