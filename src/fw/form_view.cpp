#include "form_view.h"

CFormView::CFormView() : m_pForm(new QWidget) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setWidget(m_pForm);
}
