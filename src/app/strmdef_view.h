// The view of a stream-definition window: an empty pane for now.
#pragma once

#include <QWidget>

#include "view.h"

class CStrmDefView : public QWidget, public CView {
public:
    CStrmDefView() = default;
};
