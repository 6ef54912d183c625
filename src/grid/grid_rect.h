// A rectangle by its four edges, as the grid keeps cell rectangles and index ranges. As a pixel
// area it covers left .. right - 1 and top .. bottom - 1, so two cells whose edges coincide
// share one pixel line.
#pragma once

#include <QRect>

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
