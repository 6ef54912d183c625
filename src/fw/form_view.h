// A form view: a view made of dialog controls on a form, which scrolls when its pane is
// smaller than the form. A derived view builds its controls and their layout on GetForm().
#pragma once

#include <QScrollArea>

#include "view.h"

class CFormView : public QScrollArea, public CView {
public:
    CFormView();

    QWidget* GetForm() const { return m_pForm; }

private:
    QWidget* m_pForm;
};
