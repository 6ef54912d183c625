// Cell contents by position and by block, and the repaint of the cells that changed.
#include <algorithm>

#include "grid.h"

void CGrid::SetCellText(int nRow, int nCol, const QString& text) {
    CGridCell& cell = Cell(nRow, nCol);
    cell.m_strText = text;
    InvalidateCell(&cell);
    if (m_pEdit && nRow == m_nCurRow && nCol == m_nCurCol)
        m_pEdit->SetText(text);
}

// The bitmap is loaded once to learn its size (hit testing needs it); a bitmap that cannot be
// loaded leaves the size as it was.
void CGrid::SetCellBitmap(int nRow, int nCol, UINT nID) {
    CGridCell& cell = Cell(nRow, nCol);
    cell.m_nBitmap = nID;
    if (nID == 0)
        return;
    const QImage image = LoadBitmap(nID);
    if (!image.isNull())
        cell.m_sizeBitmap = image.size();
}

QImage CGrid::LoadBitmap(UINT nID) const {
    return m_pParent ? m_pParent->LoadBitmap(nID) : CGridHost::LoadResourceBitmap(nID);
}

void CGrid::GetCellData(DWORD_PTR* pdw, int nRow, int nCol) const {
    *pdw = Cell(nRow, nCol).m_dwData;
}

CRect CGrid::ResolveBlock(int nRow1, int nCol1, int nRow2, int nCol2) const {
    return {nCol1 < 0 ? 0 : nCol1, nRow1 < 0 ? 0 : nRow1, nCol2 < 0 ? m_nCols - 1 : nCol2,
            nRow2 < 0 ? m_nRows - 1 : nRow2};
}

// A cell in a fixed header row or column does not move along that axis when the view scrolls.
CRect CGrid::ClientRect(int nRow, int nCol) const {
    const int dx = nCol == 0 && IsRowHeadFixed() ? 0 : -m_nHOffset;
    const int dy = nRow == 0 && IsColHeadFixed() ? 0 : -m_nVOffset;
    return Cell(nRow, nCol).m_rect.Offset(dx, dy);
}

void CGrid::Invalidate(const CRect& rect, bool erase) const {
    if (m_pParent)
        m_pParent->InvalidateRect(rect, erase);
}

void CGrid::InvalidateCell(const CGridCell* pCell) {
    const int index = static_cast<int>(pCell - m_cells.data());
    Invalidate(ClientRect(index / m_nCols, index % m_nCols), true);
}

void CGrid::InvalidateCells(int nRow1, int nCol1, int nRow2, int nCol2) {
    const CRect block = ResolveBlock(nRow1, nCol1, nRow2, nCol2);
    const CRect first = ClientRect(block.top, block.left);
    const CRect last = ClientRect(block.bottom, block.right);
    Invalidate({first.left, first.top, last.right, last.bottom}, true);
}

void CGrid::InvalidateRange(const CRect* pRange1, const CRect* pRange2) {
    const int left = std::min({pRange1->left, pRange1->right, pRange2->left, pRange2->right});
    const int right = std::max({pRange1->left, pRange1->right, pRange2->left, pRange2->right});
    const int top = std::min({pRange1->top, pRange1->bottom, pRange2->top, pRange2->bottom});
    const int bottom = std::max({pRange1->top, pRange1->bottom, pRange2->top, pRange2->bottom});
    const CRect first = ClientRect(std::max(top, 0), std::max(left, 0));
    const CRect last = ClientRect(bottom, right);
    Invalidate({first.left, first.top, last.right, last.bottom}, false);
}

// The block is read whole before any target is written, so overlapping moves are safe.
void CGrid::MoveCells(int nRow1, int nCol1, int nRow2, int nCol2, int dRow, int dCol) {
    const CRect block = ResolveBlock(nRow1, nCol1, nRow2, nCol2);
    std::vector<CGridCell> source;
    for (int r = block.top; r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c)
            source.push_back(Cell(r, c));
    auto next = source.cbegin();
    for (int r = block.top; r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c)
            Cell(r + dRow, c + dCol).CopyContent(*next++);
}

void CGrid::ClearCells(int nRow1, int nCol1, int nRow2, int nCol2, const QString& text) {
    const CRect block = ResolveBlock(nRow1, nCol1, nRow2, nCol2);
    for (int r = block.top; r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c) {
            CGridCell& cell = Cell(r, c);
            cell.m_nStyle = 0;
            cell.m_nBitmap = 0;
            cell.m_dwData = 0;
            SetCellText(r, c, text);
        }
}
