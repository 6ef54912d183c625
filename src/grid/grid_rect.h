// A rectangle by its four edges, as the grid keeps cell rectangles and index ranges. As a pixel
// area it covers left .. right - 1 and top .. bottom - 1, so two cells whose edges coincide
// share one pixel line.
#pragma once

#include <QRect>
#include <utility>

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CRect Deflated(int n) const { return {left + n, top + n, right - n, bottom - n}; }
    CRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    // The pixels the rectangle covers.
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const CRect&) const = default;
};

// A selection range from its anchor (left, top) to its end (right, bottom), in any direction:
// sorts its edges, and gives the columns where a run in reading order from the anchor to the
// end starts (on the top row) and ends (on the bottom row).
inline void NormalizeRange(CRect& range, int* startCol, int* endCol) {
    *startCol = range.left;
    *endCol = range.right;
    if (range.bottom < range.top || (range.bottom == range.top && range.right < range.left))
        std::swap(*startCol, *endCol);
    if (range.left > range.right)
        std::swap(range.left, range.right);
    if (range.top > range.bottom)
        std::swap(range.top, range.bottom);
}
