// The matrix and its geometry: creation, growth, column widths and row heights, the grid's
// extent and the parts that scroll.
#include <algorithm>
#include <cstddef>
#include <utility>

#include "grid.h"
#include "platform_setup.h"

namespace {

constexpr int kDefaultExtent = 20;

} // namespace

CGrid::CGrid() = default;

CGrid::~CGrid() = default;

// The editor is placed from cell (1, 1), as after every resize, not from the rectangle given.
bool CGrid::Create(const CRect& /*rect*/, CGridHost* pParent, bool bEditable) {
    m_pParent = pParent;
    m_cells.clear();
    m_nRows = m_nCols = 0;
    Reallocate(2, 2);
    m_nCurCol = m_nCurRow = 0;
    m_nShowEdit = bEditable ? SW_SHOW : SW_HIDE;
    m_rectEdit = bEditable ? Cell(1, 1).m_rect.Deflated(3) : CRect{};
    LOGFONT logFont;
    logFont.lfHeight = -13;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    logFont.lfFaceName = QStringLiteral("ＭＳ ゴシック");
    m_font = CreateFontIndirect(logFont);
    m_pEdit = m_pParent ? m_pParent->CreateGridEditor() : nullptr;
    if (m_pEdit) {
        m_pEdit->MoveWindow(m_rectEdit);
        m_pEdit->ShowWindow(m_nShowEdit);
        m_pEdit->SetFont(m_font);
    }
    return true;
}

// New rows and columns start as copies of their neighbour with an empty text, so a view
// that grows its grid keeps the styles, bitmaps and words of the last row or column.
void CGrid::Reallocate(int nRows, int nCols) {
    if (nCols == m_nCols && m_nRows > 0) {
        ResizeRows(nRows);
        return;
    }
    std::vector<CGridCell> cells(static_cast<size_t>(nRows) * nCols);
    const auto at = [&](int r, int c) -> CGridCell& { return cells[r * nCols + c]; };
    for (CGridCell& cell : cells)
        cell.m_pGrid = this;
    for (int r = 0; r < std::min(nRows, m_nRows); ++r)
        for (int c = 0; c < std::min(nCols, m_nCols); ++c)
            at(r, c) = Cell(r, c);
    for (int r = std::max(m_nRows, 1); r < nRows; ++r)
        for (int c = 0; c < nCols; ++c) {
            at(r, c) = at(r - 1, c);
            at(r, c).m_strText.clear();
        }
    for (int c = std::max(m_nCols, 1); c < nCols; ++c)
        for (int r = 0; r < nRows; ++r) {
            at(r, c) = at(r, c - 1);
            at(r, c).m_strText.clear();
        }
    m_cells = std::move(cells);
    m_nRows = nRows;
    m_nCols = nCols;
}

// Rows added or removed at the end leave the others in place, so that a view growing its grid
// a row at a time does not copy the whole matrix each time.
void CGrid::ResizeRows(int nRows) {
    if (nRows <= m_nRows) {
        m_cells.erase(m_cells.begin() + static_cast<std::ptrdiff_t>(nRows) * m_nCols,
                      m_cells.end());
    } else {
        // Room for many rows at once, and twice the room for a row at a time.
        const std::size_t needed = static_cast<std::size_t>(nRows) * m_nCols;
        if (needed > m_cells.capacity())
            m_cells.reserve(std::max(needed, m_cells.capacity() * 2));
        for (int r = m_nRows; r < nRows; ++r)
            for (int c = 0; c < m_nCols; ++c) {
                CGridCell cell = Cell(r - 1, c);
                cell.m_strText.clear();
                m_cells.push_back(std::move(cell));
            }
    }
    m_nRows = nRows;
}

// Setting every width to 20 from column 0 upward leaves column c at x = left + 19c to that
// + 20, each row at the top of its first cell; done in one pass so that a grid of many
// rows is laid out in linear time.
void CGrid::SetColCount(int nCols) {
    Reallocate(m_nRows, nCols);
    for (int r = 0; r < m_nRows; ++r) {
        const CGridCell& first = Cell(r, 0);
        for (int c = 0; c < m_nCols; ++c) {
            CRect& rect = Cell(r, c).m_rect;
            rect.left = first.m_rect.left + (kDefaultExtent - 1) * c;
            rect.right = rect.left + kDefaultExtent;
            rect.top = first.m_rect.top;
        }
    }
    PlaceEditRect();
}

void CGrid::SetRowCount(int nRows) {
    Reallocate(nRows, m_nCols);
    for (int c = 0; c < m_nCols; ++c) {
        const CGridCell& first = Cell(0, c);
        for (int r = 0; r < m_nRows; ++r) {
            CRect& rect = Cell(r, c).m_rect;
            rect.top = first.m_rect.top + (kDefaultExtent - 1) * r;
            rect.bottom = rect.top + kDefaultExtent;
            rect.left = first.m_rect.left;
        }
    }
    PlaceEditRect();
}

void CGrid::PlaceEditRect() {
    if (m_nRows > 1 && m_nCols > 1)
        m_rectEdit = Cell(1, 1).m_rect.Deflated(3);
}

void CGrid::SetColWidth(int nCol, int nWidth) {
    for (int r = 0; r < m_nRows; ++r) {
        CRect& rect = Cell(r, nCol).m_rect;
        rect.right = rect.left + nWidth;
        for (int c = nCol + 1; c < m_nCols; ++c) {
            const CRect& before = Cell(r, c - 1).m_rect;
            CRect& moved = Cell(r, c).m_rect;
            const int width = moved.Width();
            moved.left = before.right - 1;
            moved.top = before.top;
            moved.right = moved.left + width;
        }
    }
}

void CGrid::SetRowHeight(int nRow, int nHeight) {
    for (int c = 0; c < m_nCols; ++c) {
        CRect& rect = Cell(nRow, c).m_rect;
        rect.bottom = rect.top + nHeight;
        for (int r = nRow + 1; r < m_nRows; ++r) {
            const CRect& above = Cell(r - 1, c).m_rect;
            CRect& moved = Cell(r, c).m_rect;
            const int height = moved.Height();
            moved.top = above.bottom - 1;
            moved.left = above.left;
            moved.bottom = moved.top + height;
        }
    }
}

int CGrid::GetColWidth(int nCol) const {
    return Cell(0, nCol).m_rect.Width();
}

void CGrid::GetGridRect(CRect* pRect) const {
    const CRect& first = Cell(0, 0).m_rect;
    const CRect& last = Cell(m_nRows - 1, m_nCols - 1).m_rect;
    *pRect = {first.left, first.top, last.right, last.bottom};
}

bool CGrid::IsColHeadFixed() const {
    return (Cell(0, 0).m_nStyle & GCS_COLHEAD) != 0;
}

bool CGrid::IsRowHeadFixed() const {
    return (Cell(0, 0).m_nStyle & GCS_ROWHEAD) != 0;
}

void CGrid::GetHScrollRect(CRect* pRect) const {
    GetGridRect(pRect);
    pRect->left = pRect->top = 0;
    if (IsRowHeadFixed() || IsColHeadFixed()) {
        const CRect& start = Cell(0, IsRowHeadFixed() ? 1 : 0).m_rect;
        pRect->left = start.left + 1;
        pRect->top = start.top;
    }
}

void CGrid::GetVScrollRect(CRect* pRect) const {
    GetGridRect(pRect);
    pRect->left = pRect->top = 0;
    if (IsRowHeadFixed() || IsColHeadFixed()) {
        const CRect& start = Cell(IsColHeadFixed() ? 1 : 0, 0).m_rect;
        pRect->left = start.left;
        pRect->top = start.top + 1;
    }
}

int CGrid::SetScrollOffset(int nBar, int nPos) {
    int& offset = nBar == 0 ? m_nHOffset : m_nVOffset;
    const int old = std::exchange(offset, nPos);
    SetCurCell(m_nCurCol, m_nCurRow, false);
    return old;
}

// A fixed header column (row) never scrolls, so boundaries count from its far edge.
int CGrid::CalcScroll(int nDelta, int nPos, bool bColumns) const {
    const bool fixed = bColumns ? IsRowHeadFixed() : IsColHeadFixed();
    const CRect& corner = Cell(0, 0).m_rect;
    const int base = fixed ? (bColumns ? corner.right : corner.bottom) : 0;
    const int count = bColumns ? m_nCols : m_nRows;
    int prev = 0;
    int cur = 0;
    for (int i = fixed ? 1 : 0; cur <= nPos + nDelta && i < count; ++i) {
        prev = cur;
        cur = (bColumns ? Cell(0, i).m_rect.right : Cell(i, 0).m_rect.bottom) - base;
    }
    return (nDelta < 1 ? prev : cur) - nPos;
}

int CGrid::CalcHScroll(int nDelta, int nPos) const {
    return CalcScroll(nDelta, nPos, true);
}

int CGrid::CalcVScroll(int nDelta, int nPos) const {
    return CalcScroll(nDelta, nPos, false);
}
