#include "base_doc.h"

#include <algorithm>

int CBaseDoc::OnCellPaste(CView*, int, int, const QStringList&) {
    return 0;
}

void CBaseDoc::OnCellEdit(CView*, int, int, const QString&) {}

void CBaseDoc::SetModifiedFlag(bool modified) {
    if (modified == IsModified())
        return;
    CDocument::SetModifiedFlag(modified);
    const QString title = GetTitle();
    SetTitle(modified ? title + QStringLiteral(" *")
                      : title.chopped(std::min<qsizetype>(2, title.size())));
}
