#include "grid_cell.h"

void CGridCell::CopyContent(const CGridCell& other) {
    const CRect rect = m_rect;
    *this = other;
    m_rect = rect;
}
