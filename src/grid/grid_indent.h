// How far one indent level moves a cell's bitmap and text to the right: an indented cell
// shows its bitmap beside its text, as a tree does.
#pragma once

#include "grid_cell.h"

constexpr int kGridIndentStep = 16;

// Where the cell's bitmap starts, in grid coordinates.
inline int BitmapLeft(const CGridCell& cell) {
    return cell.m_rect.left + (cell.m_nStyle & GCS_BITMAP ? kGridIndentStep * cell.m_nIndent : 0);
}
