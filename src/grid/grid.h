// The grid engine behind every table-like view: a dense row-major matrix of cells with pixel
// rectangles, one current cell carrying the in-place editor, one selection range, painting
// with QPainter and hit testing. The view owns the grid, forwards paint, mouse and scroll
// events to it and implements CGridHost.
//
// Geometry: cell rectangles are in grid coordinates, which do not move when the view scrolls;
// client coordinates are grid coordinates minus the scroll offsets, except in a fixed header
// row or column. Neighbouring cells overlap by one pixel, so each grid line is one pixel wide.
// Cell (0, 0) decides the headers: GCS_COLHEAD fixes row 0 (it scrolls only sideways),
// GCS_ROWHEAD fixes column 0 (it scrolls only up and down).
//
// Indices given to the accessors are not checked: callers keep them inside the matrix.
#pragma once

#include <QFont>
#include <memory>
#include <vector>

#include "grid_cell.h"
#include "grid_host.h"

class QPainter;

// Mouse state flags handed to the mouse handlers.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_SHIFT = 0x0004;

class CGrid {
public:
    CGrid();
    virtual ~CGrid();
    CGrid(const CGrid&) = delete;
    CGrid& operator=(const CGrid&) = delete;

    // Layout (grid_layout.cpp).
    bool Create(const CRect& rect, CGridHost* pParent, bool bEditable);
    // Both reset every column width (row height) to 20; new columns (rows) copy the styles of
    // their neighbour with empty texts.
    void SetColCount(int nCols);
    void SetRowCount(int nRows);
    int GetColCount() const { return m_nCols; }
    int GetRowCount() const { return m_nRows; }
    // Neither repaints.
    void SetColWidth(int nCol, int nWidth);
    void SetRowHeight(int nRow, int nHeight);
    int GetColWidth(int nCol) const;
    void GetGridRect(CRect* pRect) const;
    // The parts that scroll horizontally and vertically: the clip rectangles of a scroll.
    void GetHScrollRect(CRect* pRect) const;
    void GetVScrollRect(CRect* pRect) const;
    bool IsColHeadFixed() const;
    bool IsRowHeadFixed() const;
    // nBar 0 horizontal, 1 vertical; returns the old offset and re-places the editor.
    int SetScrollOffset(int nBar, int nPos);
    int GetScrollOffset(int nBar) const { return nBar == 0 ? m_nHOffset : m_nVOffset; }

    // The addressed cell and its accessors (grid_cells.cpp).
    void SetRow(int nRow) { m_nRow = nRow; }
    void SetCol(int nCol) { m_nCol = nCol; }
    void SetStyle(UINT nStyle) { Addressed().m_nStyle = nStyle; }
    UINT GetStyle() const { return Cell(m_nRow, m_nCol).m_nStyle; }
    void SetText(const QString& text) { SetCellText(m_nRow, m_nCol, text); }
    void SetBitmap(UINT nID) { SetCellBitmap(m_nRow, m_nCol, nID); }
    UINT GetBitmap() const { return GetCellBitmap(m_nRow, m_nCol); }
    void SetLimitText(int nLimit) { Addressed().m_nLimit = nLimit; }
    void SetIndent(int nIndent) { Addressed().m_nIndent = nIndent; }
    int GetIndent() const { return Cell(m_nRow, m_nCol).m_nIndent; }
    void SetData(DWORD_PTR dw) { SetCellData(dw, m_nRow, m_nCol); }
    void GetData(DWORD_PTR* pdw) const { GetCellData(pdw, m_nRow, m_nCol); }

    // Cells by position.
    void SetCellText(int nRow, int nCol, const QString& text);
    const QString& GetCellText(int nRow, int nCol) const { return Cell(nRow, nCol).m_strText; }
    void SetCellBitmap(int nRow, int nCol, UINT nID);
    UINT GetCellBitmap(int nRow, int nCol) const { return Cell(nRow, nCol).m_nBitmap; }
    void SetCellData(DWORD_PTR dw, int nRow, int nCol) { Cell(nRow, nCol).m_dwData = dw; }
    void GetCellData(DWORD_PTR* pdw, int nRow, int nCol) const;
    CGridCell& Cell(int nRow, int nCol) { return m_cells[nRow * m_nCols + nCol]; }
    const CGridCell& Cell(int nRow, int nCol) const { return m_cells[nRow * m_nCols + nCol]; }

    // Blocks of cells; -1 in a bound means from the first or to the last.
    void InvalidateCell(const CGridCell* pCell);
    void InvalidateCells(int nRow1, int nCol1, int nRow2, int nCol2);
    void InvalidateRange(const CRect* pRange1, const CRect* pRange2);
    // Cell (r + dRow, c + dCol) receives what (r, c) held before the call; no repaint.
    void MoveCells(int nRow1, int nCol1, int nRow2, int nCol2, int dRow, int dCol);
    // Text lpsz, style 0, bitmap 0, user word 0; highlight, limit and indent stay.
    void ClearCells(int nRow1, int nCol1, int nRow2, int nCol2, const QString& text);
    // The client rectangle a cell is painted at.
    CRect ClientRect(int nRow, int nCol) const;

    // Current cell and selection (grid_selection.cpp).
    void SetCurCell(int nCol, int nRow, bool bRedraw);
    void MoveToFirstCell();
    void SelectCell(int nRow, int nCol, bool bSelect, bool bRedraw);
    // Marks or unmarks the range (anchor left/top, end right/bottom) and rewrites it to the
    // rectangle covered. In reading order the top row runs from the anchor to the row's last
    // selectable column, inner rows are whole and the bottom row runs up to the end.
    void SelectRange(CRect* pRange, bool bSelect, bool bBlock);
    // Where a run in reading order starts on a row (the first selectable column up to nUpTo)
    // and ends on a row (the last selectable column down to nDownTo).
    int FirstSelectableCol(int nRow, int nUpTo) const;
    int LastSelectableCol(int nRow, int nDownTo) const;
    void ClearSelection(bool bRehighlight);
    int GetCurCol() const { return m_nCurCol; }
    int GetCurRow() const { return m_nCurRow; }
    const CRect& GetSelRange() const { return m_rectSel; }
    void SetSelRange(const CRect& range) { m_rectSel = range; }
    bool IsSelectActive() const { return m_bSelect; }
    void SetSelectActive(bool bSelect) { m_bSelect = bSelect; }
    bool IsBlockSelect() const { return m_bBlock; }
    void SetBlockSelect(bool bBlock) { m_bBlock = bBlock; }
    const CRect& GetEditRect() const { return m_rectEdit; }

    // Clipboard: the selection as the private block and as plain text with sep between
    // fields (grid_copy.cpp); a paste from the current cell on, preferring the private block
    // (grid_paste.cpp). Nothing happens without a clipboard.
    void CopyCells(const QString& sep);
    void PasteCells(const QString& sep);

    // Scrolling (grid_layout.cpp): the distance from nPos to the column (row) boundary a
    // scroll by nDelta pixels lands on; left (up) to the last boundary at or before the
    // requested position, right (down) to the first beyond it, or the grid's end.
    int CalcHScroll(int nDelta, int nPos) const;
    int CalcVScroll(int nDelta, int nPos) const;

    // Mouse and keyboard (grid_input.cpp), client coordinates; nKey is a Qt::Key.
    void OnGridLButtonDown(UINT nFlags, int x, int y);
    void OnGridMouseMove(UINT nFlags, int x, int y);
    void OnGridLButtonUp(UINT nFlags, int x, int y);
    // A click on the editor, in the editor's coordinates.
    void OnEditLButtonDown(UINT nFlags, int x, int y);
    void OnGridKeyDown(int nKey);
    void OnGridKeyUp(int nKey);
    // A GHT_* result: the border cursors for borders, else the arrow.
    void SetResizeCursor(int nHit);
    bool IsBorderDrag() const { return m_nBorderDrag != 0; }

    // Hit testing (grid_hit_test.cpp): a GHT_* result; the cell in every non-zero case.
    int HitTest(int x, int y, int* pRow, int* pCol) const;

    // Painting (grid_paint.cpp) onto the painter's device, in client coordinates.
    void Draw(QPainter* pDC);
    const QFont& GetFont() const { return m_font; }
    CGridEditor* GetEditor() const { return m_pEdit.get(); }
    CGridHost* GetParent() const { return m_pParent; }

private:
    CGridCell& Addressed() { return Cell(m_nRow, m_nCol); }
    void Reallocate(int nRows, int nCols);
    void ResizeRows(int nRows);
    void PlaceEditRect();
    QImage LoadBitmap(UINT nID) const;
    void SetHighlight(CGridCell& cell, bool bHighlight, bool bRedraw);
    // -1 bounds resolved to the first or last index.
    CRect ResolveBlock(int nRow1, int nCol1, int nRow2, int nCol2) const;
    void Invalidate(const CRect& rect, bool erase) const;
    void DrawCell(QPainter* pDC, const CGridCell& cell) const;
    void DrawPass(QPainter* pDC, const QRect& visible, QPoint offset, const CRect& block,
                  UINT nNeed) const;
    void FillBeyondGrid(QPainter* pDC) const;
    int ColumnTest(const CGridCell& cell, int x) const;
    int CalcScroll(int nDelta, int nPos, bool bColumns) const;
    void StartBorderDrag(int nHit, int nRow, int nCol);
    void EndBorderDrag();
    void ExtendSelection(UINT nFlags, int nRow, int nCol);
    void RemarkRange(bool bBlock);
    int StepInRow(int nRow, int nCol, int nStep) const;
    int StepInCol(int nRow, int nCol, int nStep) const;
    int StepReadingOrder(int nIndex) const;
    void FocusEditor(bool bEditor) const;
    int RowTest(const CGridCell& cell, int y) const;

    int m_nHOffset = 0;
    int m_nVOffset = 0;
    CGridHost* m_pParent = nullptr;
    CRect m_rectEdit;
    CRect m_rectSel{-1, -1, -1, -1};
    std::vector<CGridCell> m_cells;
    std::unique_ptr<CGridEditor> m_pEdit;
    int m_nShowEdit = SW_HIDE;
    QFont m_font;
    int m_nCols = 0;
    int m_nRows = 0;
    int m_nRow = 0;
    int m_nCol = 0;
    int m_nCurCol = 0;
    int m_nCurRow = 0;
    bool m_bSelect = false;
    bool m_bBlock = true;
    // 0 none, GHT_COLBORDER or GHT_ROWBORDER while that border is dragged.
    int m_nBorderDrag = 0;
    int m_nDragIndex = 0;
    CRect m_rectDrag;
    // 0 arrow, 1 column-resize, 2 row-resize cursor shown.
    int m_nCursor = 0;
    bool m_bLButtonDown = false;
};
