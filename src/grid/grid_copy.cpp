// Copying the selection: the private block remembers whether it was a rectangle or a run in
// reading order; the plain text is always whole rows, so other programs see a table.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <utility>

#include "grid.h"
#include "grid_clip_format.h"

namespace {

// The rows and columns a copy reads; a run covers the top row from startCol and the bottom
// row up to endCol (a rectangle covers firstCol .. lastCol on every row).
struct CopyRange {
    int top = 0;
    int bottom = -1;
    int firstCol = 0;
    int lastCol = -1;
    int startCol = 0;
    int endCol = -1;

    bool Covers(int row, int col) const {
        return !(row == top && col < startCol) && !(row == bottom && col > endCol);
    }
};

// An anchor without an end (a click, Enter or F2) gives an empty range.
CopyRange ReadRange(const CGrid& grid) {
    CRect sel = grid.GetSelRange();
    int startCol = 0;
    int endCol = 0;
    NormalizeRange(sel, &startCol, &endCol);
    // The grid may have shrunk under an old selection.
    sel.bottom = std::min(sel.bottom, grid.GetRowCount() - 1);
    sel.right = std::min(sel.right, grid.GetColCount() - 1);
    if (sel.top < 0 || sel.left < 0 || sel.top > sel.bottom || sel.left > sel.right)
        return {};
    if (grid.IsBlockSelect())
        return {sel.top, sel.bottom, sel.left, sel.right, sel.left, sel.right};
    return {sel.top,
            sel.bottom,
            grid.FirstSelectableCol(sel.top, sel.left),
            grid.LastSelectableCol(sel.bottom, sel.right),
            startCol,
            endCol};
}

// Rectangle: cells joined by "," and rows by "\n"; run: every covered cell joined by ",".
QString PrivateText(const CGrid& grid, const CopyRange& range) {
    QStringList rows;
    for (int r = range.top; r <= range.bottom; ++r) {
        QStringList cells;
        for (int c = range.firstCol; c <= range.lastCol; ++c)
            if (range.Covers(r, c))
                cells << grid.GetCellText(r, c);
        rows << cells.join(u',');
    }
    return rows.join(grid.IsBlockSelect() ? u'\n' : u',');
}

// Cells of a run's first and last rows outside the run give empty fields.
QString PlainText(const CGrid& grid, const CopyRange& range, const QString& sep) {
    QStringList rows;
    for (int r = range.top; r <= range.bottom; ++r) {
        QStringList fields;
        for (int c = range.firstCol; c <= range.lastCol; ++c)
            fields << (range.Covers(r, c) ? grid.GetCellText(r, c) : QString());
        rows << fields.join(sep);
    }
    return rows.join(u'\n');
}

} // namespace

void CGrid::CopyCells(const QString& sep) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!m_bSelect || !clipboard)
        return;
    if (m_pEdit)
        m_pEdit->Commit();
    const CopyRange range = ReadRange(*this);
    auto* data = new QMimeData;
    data->setData(kGridMimeType, EncodeGridClip({m_bBlock, PrivateText(*this, range)}));
    data->setText(PlainText(*this, range, sep));
    clipboard->setMimeData(data);
}
