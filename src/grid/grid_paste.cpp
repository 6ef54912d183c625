// Pasting from the current cell on. The grid never writes pasted texts into its cells: each
// line goes to the host, whose document decides and refreshes the view. An empty field ends
// the paste at once, so a half-read line is never handed over.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

#include "grid.h"
#include "grid_clip_format.h"
#include "grid_tokenizer.h"

namespace {

void HandOver(const CGrid& grid, int nCol, int nRow, const QStringList& texts) {
    if (CGridHost* host = grid.GetParent())
        host->OnPasteCell(nCol, nRow, texts);
}

// Ends a paste with the pasted area selected, so that a copy right after copies it.
void SelectPasted(CGrid& grid, const CRect& range, bool bBlock) {
    CRect covered = range;
    grid.SetBlockSelect(bBlock);
    grid.SelectRange(&covered, true, bBlock);
    grid.SetSelRange(bBlock ? covered : range);
    grid.SetSelectActive(true);
    grid.InvalidateRange(&covered, &covered);
}

// Lines go down from the current row, fields right from the current column; fields that fall
// outside the grid or on cells that are not selectable are dropped. Lines below the grid can
// land nowhere and are not read.
void PasteBlock(CGrid& grid, QStringView text, const QString& sep) {
    const int c0 = grid.GetCurCol();
    const int r0 = grid.GetCurRow();
    int row = r0;
    int col = c0;
    CRect range{c0, r0, c0, r0};
    grid.ClearSelection(true);
    QStringList line;
    CGridTokenizer tokens(text, sep);
    CGridTokenizer::Delimiter delimiter;
    for (QStringView token = tokens.Next(&delimiter); !token.isEmpty() && row < grid.GetRowCount();
         token = tokens.Next(&delimiter)) {
        if (col < grid.GetColCount() && grid.Cell(row, col).IsSelectable())
            line << token.toString();
        ++col;
        if (delimiter == CGridTokenizer::Field)
            continue;
        HandOver(grid, c0, row, line);
        if (!line.isEmpty()) {
            range.right = std::max<int>(range.right, c0 + line.size() - 1);
            range.bottom = row;
        }
        line.clear();
        ++row;
        col = c0;
        if (delimiter == CGridTokenizer::End)
            break;
    }
    SelectPasted(grid, range, true);
}

// The next selectable cell in reading order; the last selectable cell of the grid stays put.
void StepInReadingOrder(const CGrid& grid, int* pCol, int* pRow, int lastIndex) {
    const int cols = grid.GetColCount();
    for (int index = *pRow * cols + *pCol + 1; index <= lastIndex; ++index)
        if (grid.Cell(index / cols, index % cols).IsSelectable()) {
            *pCol = index % cols;
            *pRow = index / cols;
            return;
        }
}

int LastSelectableIndex(const CGrid& grid) {
    const int cols = grid.GetColCount();
    int index = grid.GetRowCount() * cols - 1;
    while (index >= 0 && !grid.Cell(index / cols, index % cols).IsSelectable())
        --index;
    return index;
}

// A run's fields in reading order up to the first "\n", handed over all at once (also those
// beyond the grid's last cell: the document writes them one after another).
void PasteRun(CGrid& grid, QStringView text) {
    const int lastIndex = LastSelectableIndex(grid);
    CRect range{grid.GetCurCol(), grid.GetCurRow(), grid.GetCurCol(), grid.GetCurRow()};
    grid.ClearSelection(true);
    QStringList fields;
    CGridTokenizer tokens(text, QStringLiteral(","));
    CGridTokenizer::Delimiter delimiter;
    for (QStringView token = tokens.Next(&delimiter); !token.isEmpty();
         token = tokens.Next(&delimiter)) {
        fields << token.toString();
        if (delimiter != CGridTokenizer::Field) {
            HandOver(grid, range.left, range.top, fields);
            break;
        }
        StepInReadingOrder(grid, &range.right, &range.bottom, lastIndex);
    }
    SelectPasted(grid, range, false);
}

} // namespace

void CGrid::PasteCells(const QString& sep) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || m_nCurRow >= m_nRows || m_nCurCol >= m_nCols)
        return;
    if (const auto clip = DecodeGridClip(data->data(kGridMimeType))) {
        if (clip->text.isEmpty())
            return;
        if (clip->bBlock)
            PasteBlock(*this, clip->text, QStringLiteral(","));
        else
            PasteRun(*this, clip->text);
    } else if (const QString text = data->text(); !text.isEmpty()) {
        PasteBlock(*this, text, sep);
    }
}
