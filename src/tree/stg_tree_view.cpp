#include "stg_tree_view.h"

CStgTreeView::CStgTreeView() {
    setHeaderHidden(true);
}

void CStgTreeView::OnInitialUpdate() {
    clear();
    auto* root = new QTreeWidgetItem(this, {QStringLiteral("/")});
    setCurrentItem(root);
}
