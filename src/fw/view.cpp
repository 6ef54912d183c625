#include "view.h"

#include <QAbstractScrollArea>
#include <QWidget>

#include "document.h"
#include "frame_wnd.h"

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

QWidget* CView::GetWidget() const {
    return dynamic_cast<QWidget*>(const_cast<CView*>(this));
}

CFrameWnd* CView::GetParentFrame() const {
    QWidget* widget = GetWidget();
    return widget ? FrameOf(widget->parentWidget()) : nullptr;
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, long, CObject*) {
    QWidget* widget = GetWidget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        area->viewport()->update();
    else if (widget)
        widget->update();
}

void CView::OnActivateView(bool activate, CView* activateView, CView*) {
    QWidget* widget = GetWidget();
    if (activate && activateView == this && widget && !widget->hasFocus())
        widget->setFocus();
}

bool CView::OnCmdMsg(UINT id, int code, CCmdUI* ui, bool probe) {
    if (CCmdTarget::OnCmdMsg(id, code, ui, probe))
        return true;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, ui, probe);
}
