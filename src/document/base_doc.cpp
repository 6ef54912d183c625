#include "base_doc.h"

int CBaseDoc::OnCellPaste(CView*, int, int, const QStringList&) {
    return 0;
}

void CBaseDoc::OnCellEdit(CView*, int, int, const QString&) {}
