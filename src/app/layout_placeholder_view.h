// The pane of a stream-definition window below the type editor, kept empty until the layout
// editor takes its place.
#pragma once

#include <QWidget>

#include "view.h"

class CLayoutPlaceholderView : public QWidget, public CView {
public:
    CLayoutPlaceholderView() = default;
};
