// Expanding a row into its elements or members and collapsing it again. Child rows are
// inserted right below their parent, one indent level deeper; a collapse removes every row
// below the parent that is indented deeper than it, the descendants of expanded children
// included.
#include <algorithm>

#include "cp932.h"
#include "strmdef_ids.h"
#include "type_def.h"
#include "val_def.h"
#include "val_edit_texts.h"
#include "val_edit_view.h"

namespace {

int ChildCount(const CValDef& variable) {
    if (variable.m_bArray)
        return std::max(variable.m_nCount, 0);
    const CTypeDef* type = variable.GetType();
    return type ? static_cast<int>(type->m_aMember.size()) : 0;
}

} // namespace

bool CValEditView::OnBitmapClick(int row, int col) {
    if (col != COL_DEFINITION || row < 1 || row > m_nRowCount || !RowDef(row))
        return true;
    const UINT bitmap = GetGrid()->GetCellBitmap(row, col);
    if (bitmap == IDB_VALUE_COLLAPSED)
        Expand(row);
    else if (bitmap == IDB_VALUE_EXPANDED)
        Collapse(row);
    else
        return true;
    UpdateScrollBars();
    OnUpdate(nullptr, 0, nullptr);
    return true;
}

// An expansion of more than kMaxChildRows children shows the first ones and a note row.
void CValEditView::Expand(int row) {
    CGrid* grid = GetGrid();
    const CValDef& parent = *RowDef(row);
    const int count = ChildCount(parent);
    const int shown = std::min(count, kMaxChildRows);
    const int added = shown + (count > shown);
    grid->SetCellBitmap(row, COL_DEFINITION, IDB_VALUE_EXPANDED);
    const int last = m_nRowCount;
    m_nRowCount += added;
    grid->SetRowCount(m_nRowCount + 1);
    if (added == 0)
        return;
    if (row < last)
        grid->MoveCells(row + 1, 0, last, -1, added, 0);
    grid->ClearCells(row + 1, 0, row + added, -1, QString());
    const int indent = grid->Cell(row, COL_DEFINITION).m_nIndent + 1;
    CTypeDef* type = parent.GetType();
    const QString arrayName = FromCp932(parent.m_strName, kValEditNoCharacter);
    for (int i = 0; i < shown; ++i) {
        const int child = row + 1 + i;
        std::unique_ptr<CValDef> variable;
        if (parent.m_bArray) {
            variable = std::make_unique<CValDef>();
            variable->SetType(type);
            grid->Cell(child, COL_NAME).m_strText = QStringLiteral("%1[%2]").arg(arrayName).arg(i);
            grid->Cell(child, COL_DEFINITION).m_nIndent = grid->Cell(child, COL_NAME).m_nIndent =
                indent;
        } else {
            variable = std::make_unique<CValDef>(*type->m_aMember[i]);
            WriteDeclaration(child, *variable, indent);
        }
        grid->Cell(child, COL_DEFINITION).m_nStyle |= GCS_BITMAP;
        grid->Cell(child, COL_POSITION).m_nStyle = GCS_RIGHT;
        SetRowBitmap(child, *variable, parent.m_bArray ? nullptr : type);
        grid->Cell(child, COL_DEFINITION).m_dwData =
            reinterpret_cast<DWORD_PTR>(variable.release());
    }
    if (added > shown) {
        const int note = row + added;
        grid->Cell(note, COL_DEFINITION).m_nStyle |= GCS_BITMAP;
        grid->SetCellBitmap(note, COL_DEFINITION, IDB_GRIDCELL);
        grid->Cell(note, COL_NAME).m_strText =
            QString::fromUtf16(kValEditMoreRows).arg(count - shown);
        grid->Cell(note, COL_DEFINITION).m_nIndent = grid->Cell(note, COL_NAME).m_nIndent = indent;
    }
}

void CValEditView::Collapse(int row) {
    CGrid* grid = GetGrid();
    const int indent = grid->Cell(row, COL_DEFINITION).m_nIndent;
    int end = row + 1;
    for (; end <= m_nRowCount && grid->Cell(end, COL_DEFINITION).m_nIndent > indent; ++end) {
        if (RowDef(end) == m_pMarked)
            m_pMarked = nullptr;
        delete RowDef(end);
        grid->Cell(end, COL_DEFINITION).m_dwData = 0;
    }
    const int removed = end - row - 1;
    if (end <= m_nRowCount)
        grid->MoveCells(end, 0, m_nRowCount, -1, -removed, 0);
    m_nRowCount -= removed;
    grid->SetRowCount(m_nRowCount + 1);
    grid->SetCellBitmap(row, COL_DEFINITION, IDB_VALUE_COLLAPSED);
}
