// The compound-file document's element commands and the cell texts of the page view: each
// forwards to the tree, which owns the current element.
#include <QString>
#include <cstdio>
#include <vector>

#include "cmd_ui.h"
#include "element_tree.h"
#include "kestrin_doc.h"
#include "menu.h"
#include "page_view.h"

namespace {

// A cell text read with "%X", upper-cased first; the low 8 bits are the byte.
BYTE ByteOfText(const QString& text) {
    unsigned value = 0;
    if (!text.isEmpty())
        std::sscanf(text.toUpper().toLatin1().constData(), "%X", &value);
    return static_cast<BYTE>(value & 0xFF);
}

} // namespace

ULARGE_INTEGER CKestrinDoc::CellOffset(int row, int column) const {
    ULARGE_INTEGER offset;
    offset.QuadPart = m_pageOffset + static_cast<ULONGLONG>((row - 1) * 16 + (column - 1));
    return offset;
}

void CKestrinDoc::OnCellEdit(CView* view, int row, int column, const QString& text) {
    CElementTree* tree = GetTreeView();
    if (!dynamic_cast<CPageView*>(view) || !tree)
        return;
    const BYTE value = ByteOfText(text);
    tree->WriteCurrentStream(CellOffset(row, column), &value, 1);
}

int CKestrinDoc::OnCellPaste(CView* view, int row, int column, const QStringList& texts) {
    CElementTree* tree = GetTreeView();
    if (!dynamic_cast<CPageView*>(view) || !tree || texts.isEmpty())
        return 0;
    std::vector<BYTE> bytes;
    bytes.reserve(texts.size());
    for (const QString& text : texts)
        bytes.push_back(ByteOfText(text));
    return static_cast<int>(tree->WriteCurrentStream(CellOffset(row, column), bytes.data(),
                                                     static_cast<ULONG>(bytes.size())));
}

void CKestrinDoc::OnElementDelete() {
    if (CElementTree* tree = GetTreeView())
        tree->DeleteElement(nullptr);
}

void CKestrinDoc::OnNewStorage() {
    if (CElementTree* tree = GetTreeView())
        tree->CreateNewStorage();
}

void CKestrinDoc::OnNewStream() {
    QString name;
    if (CElementTree* tree = GetTreeView())
        tree->CreateNewStream(name, TRUE);
}

void CKestrinDoc::OnUpdateElementDelete(CCmdUI* ui) {
    if (CElementTree* tree = GetTreeView())
        ui->Enable(tree->IsCurValid());
}

// The popup "新規作成" stands for its first command: it is greyed by position with it.
void CKestrinDoc::OnUpdateNewElement(CCmdUI* ui) {
    CElementTree* tree = GetTreeView();
    if (!tree)
        return;
    const bool enable = tree->IsCurValid() && m_bCurIsStorage;
    if (ui->m_pSubMenu)
        EnableMenuItem(ui->m_pMenu, ui->m_nIndex,
                       MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
    else
        ui->Enable(enable);
}

void CKestrinDoc::OnUpdateSave(CCmdUI* ui) {
    ui->Enable(m_pRootStorage != nullptr);
}
