// The storage tree: the compound file's hierarchy, the root storage "/" at the top.
#pragma once

#include <QTreeWidget>

#include "view.h"

class CStgTreeView : public QTreeWidget, public CView {
public:
    CStgTreeView();

    void OnInitialUpdate() override;
};
