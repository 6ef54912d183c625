// The current cell with its editor, and the selection in block or reading order.
#include <algorithm>
#include <utility>

#include "grid.h"

void CGrid::SetHighlight(CGridCell& cell, bool bHighlight, bool bRedraw) {
    cell.m_bHighlight = bHighlight;
    if (bRedraw)
        InvalidateCell(&cell);
}

void CGrid::SetCurCell(int nCol, int nRow, bool bRedraw) {
    CGridCell& cell = Cell(nRow, nCol);
    m_rectEdit = cell.m_rect.Deflated(3);
    if (m_nCurRow >= 0 && m_nCurRow < m_nRows && m_nCurCol >= 0 && m_nCurCol < m_nCols)
        SetHighlight(Cell(m_nCurRow, m_nCurCol), false, bRedraw);
    m_nCurCol = nCol;
    m_nCurRow = nRow;
    m_bSelect = false;
    if (m_pEdit) {
        m_pEdit->SetText(cell.m_strText);
        m_pEdit->SetCell(nRow, nCol);
    }
    const CRect client = m_rectEdit.Offset(-m_nHOffset, -m_nVOffset);
    // A cell scrolled under a fixed header shows neither editor nor highlight.
    const CRect& corner = Cell(0, 0).m_rect;
    const bool covered = (IsRowHeadFixed() && corner.right > client.left) ||
                         (IsColHeadFixed() && corner.bottom > client.top);
    if (!covered)
        SetHighlight(cell, true, true);
    if (m_pEdit) {
        m_pEdit->ShowWindow(covered ? SW_HIDE : m_nShowEdit);
        if (!covered)
            m_pEdit->SetCellFormat(cell.m_nStyle, cell.m_nLimit);
        m_pEdit->MoveWindow(client);
    }
}

void CGrid::MoveToFirstCell() {
    for (int index = 1; index < m_nRows * m_nCols; ++index)
        if (m_cells[index].IsSelectable()) {
            SetCurCell(index % m_nCols, index / m_nCols, true);
            return;
        }
}

void CGrid::SelectCell(int nRow, int nCol, bool bSelect, bool bRedraw) {
    SetHighlight(Cell(nRow, nCol), bSelect, bRedraw);
    m_rectSel = {nCol, nRow, -1, -1};
    m_bSelect = true;
}

void CGrid::SelectRange(CRect* pRange, bool bSelect, bool bBlock) {
    CRect& range = *pRange;
    int startCol = 0;
    int endCol = 0;
    NormalizeRange(range, &startCol, &endCol);
    // Reading order spans whole rows: from the first selectable column of the top row to the
    // last selectable column of the bottom row.
    const int firstCol = bBlock ? range.left : FirstSelectableCol(range.top, range.left);
    const int lastCol = bBlock ? range.right : LastSelectableCol(range.bottom, range.right);
    for (int r = range.top; r <= range.bottom; ++r)
        for (int c = firstCol; c <= lastCol; ++c) {
            const bool beforeStart = !bBlock && r == range.top && c < startCol;
            const bool afterEnd = !bBlock && r == range.bottom && c > endCol;
            if (!beforeStart && !afterEnd)
                Cell(r, c).m_bHighlight = bSelect;
        }
    range.left = firstCol;
    range.right = lastCol;
}

int CGrid::FirstSelectableCol(int nRow, int nUpTo) const {
    for (int c = 0; c <= nUpTo; ++c)
        if (Cell(nRow, c).IsSelectable())
            return c;
    return 0;
}

int CGrid::LastSelectableCol(int nRow, int nDownTo) const {
    for (int c = m_nCols - 1; c >= nDownTo; --c)
        if (Cell(nRow, c).IsSelectable())
            return c;
    return m_nCols - 1;
}

void CGrid::ClearSelection(bool bRehighlight) {
    CRect area = m_rectSel;
    if (area.left >= 0 && area.top >= 0) {
        if (area.right >= 0 && area.bottom >= 0) {
            SelectRange(&area, false, m_bBlock);
        } else {
            area.right = area.left;
            area.bottom = area.top;
            Cell(area.top, area.left).m_bHighlight = false;
        }
        InvalidateRange(&area, &area);
    }
    m_rectSel = {-1, -1, -1, -1};
    m_bSelect = false;
    const bool inside =
        m_nCurRow >= 0 && m_nCurRow < m_nRows && m_nCurCol >= 0 && m_nCurCol < m_nCols;
    if (bRehighlight && inside && Cell(m_nCurRow, m_nCurCol).IsSelectable())
        SetHighlight(Cell(m_nCurRow, m_nCurCol), true, true);
}
