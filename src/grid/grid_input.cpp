// Mouse and keyboard: clicking and dragging a selection, dragging a border to resize a column
// or row, and moving the current cell with the keys.
#include <QtGlobal>
#include <algorithm>

#include "grid.h"

void CGrid::FocusEditor(bool bEditor) const {
    if (m_pParent)
        m_pParent->SetGridFocus(bEditor);
}

void CGrid::OnGridLButtonDown(UINT /*nFlags*/, int x, int y) {
    if (m_bSelect)
        ClearSelection(true);
    m_bLButtonDown = true;
    int row = 0;
    int col = 0;
    const int hit = HitTest(x, y, &row, &col);
    if (hit == GHT_BITMAP && m_pParent && !m_pParent->OnBitmapClick(row, col))
        return;
    if (hit == GHT_COLBORDER || hit == GHT_ROWBORDER) {
        StartBorderDrag(hit, row, col);
        return;
    }
    const bool onCell = hit == GHT_CELL || hit == GHT_BITMAP;
    if (!onCell || !Cell(row, col).IsSelectable()) {
        if (m_pParent)
            m_pParent->OnCellClick(-1, -1);
        return;
    }
    if (m_pParent) {
        m_pParent->OnCellClick(row, col);
        m_pParent->SetCapture();
    }
    m_rectSel = {col, row, -1, -1};
    if (Cell(row, col).m_nStyle & GCS_EDIT)
        FocusEditor(true);
    // The editor still holds the previous cell: its text goes to the document first.
    if (m_pEdit)
        m_pEdit->Commit();
    SetCurCell(col, row, true);
    m_bSelect = true;
    if (m_pEdit)
        m_pEdit->SetSel(0, -1);
}

void CGrid::StartBorderDrag(int nHit, int nRow, int nCol) {
    m_nBorderDrag = nHit;
    if (nHit == GHT_ROWBORDER) {
        m_nDragIndex = nRow;
        const CRect& first = Cell(nRow, 0).m_rect;
        const CRect& last = Cell(nRow, m_nCols - 1).m_rect;
        m_rectDrag = {first.left, first.top, last.right + 1, last.bottom};
        if (nRow != 0)
            m_rectDrag = m_rectDrag.Offset(0, -m_nVOffset);
    } else {
        m_nDragIndex = nCol;
        const CRect& first = Cell(0, nCol).m_rect;
        const CRect& last = Cell(m_nRows - 1, nCol).m_rect;
        m_rectDrag = {first.left, first.top, last.right, last.bottom + 1};
        if (nCol != 0)
            m_rectDrag = m_rectDrag.Offset(-m_nHOffset, 0);
    }
    if (m_pParent) {
        m_pParent->SetCapture();
        m_pParent->ShowDragRect(m_rectDrag);
    }
    SetResizeCursor(nHit);
}

void CGrid::OnGridMouseMove(UINT nFlags, int x, int y) {
    m_bLButtonDown = (nFlags & MK_LBUTTON) != 0;
    int row = 0;
    int col = 0;
    const int hit = HitTest(x, y, &row, &col);
    if (m_nBorderDrag != 0) {
        // Never narrower than 3 pixels, so the border can still be caught again.
        if (m_nBorderDrag == GHT_COLBORDER)
            m_rectDrag.right = std::max(x, m_rectDrag.left + 3);
        else
            m_rectDrag.bottom = std::max(y, m_rectDrag.top + 3);
        if (m_pParent)
            m_pParent->ShowDragRect(m_rectDrag);
        return;
    }
    const bool captured = m_pParent && m_pParent->HasCapture();
    if (!captured)
        SetResizeCursor(hit);
    if (hit == GHT_NOWHERE || !m_bLButtonDown)
        return;
    if ((col == m_rectSel.right && row == m_rectSel.bottom) || !Cell(row, col).IsSelectable())
        return;
    if (m_rectSel.left < 0 || !captured) {
        if (m_rectSel.right >= 0)
            ClearSelection(false);
        OnGridLButtonDown(nFlags, x, y);
        return;
    }
    ExtendSelection(nFlags, row, col);
}

// The range runs from its anchor to the cell under the mouse: a rectangle, or with Shift
// held a run in reading order.
void CGrid::ExtendSelection(UINT nFlags, int nRow, int nCol) {
    CRect oldArea = m_rectSel;
    if (oldArea.right >= 0)
        SelectRange(&oldArea, false, m_bBlock);
    else
        oldArea = {oldArea.left, oldArea.top, oldArea.left, oldArea.top};
    m_bBlock = (nFlags & MK_SHIFT) == 0;
    m_rectSel.right = nCol;
    m_rectSel.bottom = nRow;
    CRect newArea = m_rectSel;
    SelectRange(&newArea, true, m_bBlock);
    InvalidateRange(&oldArea, &newArea);
}

void CGrid::OnGridLButtonUp(UINT /*nFlags*/, int /*x*/, int /*y*/) {
    m_bLButtonDown = false;
    if (m_pParent)
        m_pParent->ReleaseCapture();
    if (m_nCursor != 0)
        SetResizeCursor(GHT_NOWHERE);
    if (m_nBorderDrag != 0)
        EndBorderDrag();
}

void CGrid::EndBorderDrag() {
    const CRect client = m_pParent ? m_pParent->GetClientRect() : CRect{};
    CRect dirty = m_rectDrag;
    if (m_nBorderDrag == GHT_ROWBORDER) {
        SetRowHeight(m_nDragIndex, m_rectDrag.Height());
        dirty.bottom = std::max(dirty.bottom, client.bottom);
    } else {
        SetColWidth(m_nDragIndex, m_rectDrag.Width());
        dirty.right = std::max(dirty.right, client.right);
    }
    m_nBorderDrag = 0;
    if (m_pParent) {
        m_pParent->ShowDragRect({});
        m_pParent->InvalidateRect(dirty, false);
    }
    SetCurCell(m_nCurCol, m_nCurRow, true);
    if (m_pParent)
        m_pParent->UpdateScrollBars();
}

void CGrid::OnEditLButtonDown(UINT nFlags, int x, int y) {
    const CRect editor = m_rectEdit.Offset(-m_nHOffset, -m_nVOffset);
    OnGridLButtonDown(nFlags, x + editor.left, y + editor.top);
}

void CGrid::SetResizeCursor(int nHit) {
    if (!m_pParent)
        return;
    if (nHit == GHT_COLBORDER) {
        m_pParent->SetGridCursor(GridCursor::ColumnResize);
        m_nCursor = 1;
    } else if (nHit == GHT_ROWBORDER) {
        m_pParent->SetGridCursor(GridCursor::RowResize);
        m_nCursor = 2;
    } else if (m_nCursor != 0) {
        m_pParent->SetGridCursor(GridCursor::Arrow);
        m_nCursor = 0;
    }
}

// Unmarks the range and marks it again, as a rectangle or in reading order.
void CGrid::RemarkRange(bool bBlock) {
    CRect oldArea = m_rectSel;
    SelectRange(&oldArea, false, m_bBlock);
    m_bBlock = bBlock;
    CRect newArea = m_rectSel;
    SelectRange(&newArea, true, m_bBlock);
    InvalidateRange(&oldArea, &newArea);
}

// Searches round the row (column) from the cell after nCol (nRow) in steps of nStep; a
// search that finds no selectable cell keeps the current cell.
int CGrid::StepInRow(int nRow, int nCol, int nStep) const {
    for (int k = 1; k <= m_nCols; ++k) {
        const int c = ((nCol + nStep * k) % m_nCols + m_nCols) % m_nCols;
        if (Cell(nRow, c).IsSelectable())
            return c;
    }
    return m_nCurCol;
}

int CGrid::StepInCol(int nRow, int nCol, int nStep) const {
    for (int k = 1; k <= m_nRows; ++k) {
        const int r = ((nRow + nStep * k) % m_nRows + m_nRows) % m_nRows;
        if (Cell(r, nCol).IsSelectable())
            return r;
    }
    return m_nCurRow;
}

int CGrid::StepReadingOrder(int nIndex) const {
    const int count = m_nRows * m_nCols;
    for (int k = 1; k <= count; ++k) {
        const int index = (nIndex + k) % count;
        if (m_cells[index].IsSelectable())
            return index;
    }
    return m_nCurRow * m_nCols + m_nCurCol;
}

void CGrid::OnGridKeyDown(int nKey) {
    const bool ranged = m_bSelect && m_rectSel.right >= 0 && m_bLButtonDown;
    // Shift pressed during a drag turns the rectangle into a run in reading order.
    if (ranged && nKey == Qt::Key_Shift)
        RemarkRange(false);
    const bool gridKey = nKey == Qt::Key_Escape || nKey == Qt::Key_Return ||
                         nKey == Qt::Key_Enter || nKey == Qt::Key_F2;
    if (m_bSelect && !gridKey) {
        FocusEditor(true);
        return;
    }
    ClearSelection(true);
    int row = m_nCurRow;
    int col = m_nCurCol;
    switch (nKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int index = StepReadingOrder(row * m_nCols + col);
        SetCurCell(index % m_nCols, index / m_nCols, true);
        m_bSelect = true;
        if (m_pEdit)
            m_pEdit->SetSel(0, -1);
        break;
    }
    case Qt::Key_Escape:
        m_bSelect = false;
        break;
    case Qt::Key_End:
        SetCurCell(StepInRow(row, 0, -1), row, true);
        break;
    case Qt::Key_Home:
        SetCurCell(StepInRow(row, m_nCols - 1, 1), row, true);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        SetCurCell(StepInRow(row, col, nKey == Qt::Key_Left ? -1 : 1), row, true);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        SetCurCell(col, StepInCol(row, col, nKey == Qt::Key_Up ? -1 : 1), true);
        break;
    case Qt::Key_F2:
        m_bSelect = true;
        break;
    default:
        break;
    }
    FocusEditor(m_bSelect);
}

// Releasing Shift during a drag turns the run back into a rectangle.
void CGrid::OnGridKeyUp(int nKey) {
    if (m_bSelect && m_rectSel.right >= 0 && m_bLButtonDown && nKey == Qt::Key_Shift)
        RemarkRange(true);
}
