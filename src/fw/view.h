// A view: one way of showing a document. CView is a mix-in beside a widget class, so that a
// concrete view is a QTreeWidget, a QAbstractScrollArea or any other widget and a view at the
// same time (class CStgTreeView : public QTreeWidget, public CView). Commands reach the view
// first and then its document.
#pragma once

#include "cmd_target.h"

class QWidget;
class CDocument;
class CFrameWnd;

class CView : public CCmdTarget {
public:
    CView() = default;
    ~CView() override;
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    CDocument* GetDocument() const { return m_pDocument; }
    // The widget this view is, and the frame it lives in (null outside any frame).
    QWidget* GetWidget() const;
    CFrameWnd* GetParentFrame() const;

    // Once, after the document has been opened or created: by default an update.
    virtual void OnInitialUpdate();
    // The document changed: by default the view repaints.
    virtual void OnUpdate(CView* sender, long hint, CObject* hintObject);
    // The view became (or stopped being) its frame's active view: by default it takes focus.
    virtual void OnActivateView(bool activate, CView* activateView, CView* deactiveView);

    bool OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe = false) override;

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};
