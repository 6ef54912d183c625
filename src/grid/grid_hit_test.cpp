// Which cell a point of the view lies on, and whether it lies on a header border that drags a
// width or a height, or on a cell's bitmap.
#include "grid.h"
#include "grid_indent.h"

namespace {

// The last pixels of a header cell that grab its border.
constexpr int kBorderGrip = 3;

} // namespace

int CGrid::ColumnTest(const CGridCell& cell, int x) const {
    const CRect& rect = cell.m_rect;
    if (x < rect.left || x > rect.right)
        return GHT_NOWHERE;
    if (x >= rect.right - kBorderGrip && (cell.m_nStyle & GCS_COLHEAD))
        return GHT_COLBORDER;
    const int bitmap = BitmapLeft(cell);
    return x >= bitmap && x < bitmap + cell.m_sizeBitmap.width() ? GHT_BITMAP : GHT_CELL;
}

int CGrid::RowTest(const CGridCell& cell, int y) const {
    const CRect& rect = cell.m_rect;
    if (y < rect.top || y > rect.bottom)
        return GHT_NOWHERE;
    if (y >= rect.bottom - kBorderGrip && (cell.m_nStyle & GCS_ROWHEAD))
        return GHT_ROWBORDER;
    return y >= rect.top + cell.m_sizeBitmap.height() ? GHT_CELL : GHT_BITMAP;
}

int CGrid::HitTest(int x, int y, int* pRow, int* pCol) const {
    const CGridCell& corner = Cell(0, 0);
    const int gridX = IsRowHeadFixed() && ColumnTest(corner, x) != 0 ? x : x + m_nHOffset;
    const int gridY = IsColHeadFixed() && RowTest(corner, y) != 0 ? y : y + m_nVOffset;
    int col = 0;
    while (col < m_nCols && ColumnTest(Cell(0, col), gridX) == GHT_NOWHERE)
        ++col;
    if (col == m_nCols)
        return GHT_NOWHERE;
    int row = 0;
    while (row < m_nRows && RowTest(Cell(row, col), gridY) == GHT_NOWHERE)
        ++row;
    if (row == m_nRows)
        return GHT_NOWHERE;
    const CGridCell& cell = Cell(row, col);
    const int colHit = ColumnTest(cell, gridX);
    const int rowHit = RowTest(cell, gridY);
    if (colHit == GHT_NOWHERE)
        return GHT_NOWHERE;
    *pRow = row;
    *pCol = col;
    if (colHit == GHT_BITMAP && rowHit == GHT_BITMAP)
        return GHT_BITMAP;
    if (colHit == GHT_COLBORDER)
        return GHT_COLBORDER;
    if (rowHit == GHT_ROWBORDER)
        return GHT_ROWBORDER;
    return GHT_CELL;
}
