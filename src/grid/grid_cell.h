// One cell of the grid: text, style bits, bitmap, indent, edit limit and the owning view's
// word for the row. The grid keeps them in a dense row-major matrix.
#pragma once

#include <QSize>
#include <QString>
#include <cstdint>

#include "framework_ids.h"
#include "grid_rect.h"

using DWORD_PTR = std::uintptr_t;

class CGrid;

// Style bits of a cell.
constexpr UINT GCS_EDIT = 0x0001;       // selectable; a click gives the editor the focus
constexpr UINT GCS_COLHEAD = 0x0002;    // column header; on cell (0, 0): row 0 is fixed
constexpr UINT GCS_ROWHEAD = 0x0004;    // row header; on cell (0, 0): column 0 is fixed
constexpr UINT GCS_RIGHTLINE = 0x0008;  // black line on the right edge
constexpr UINT GCS_BOTTOMLINE = 0x0010; // black line on the bottom edge
constexpr UINT GCS_DOUBLELEFT = 0x0020; // black double line on the left edge
constexpr UINT GCS_SELECT = 0x0040;     // selectable without taking the focus
constexpr UINT GCS_HEX = 0x0080;        // the editor keeps only hexadecimal digits
constexpr UINT GCS_BITMAP = 0x0100;     // the cell's bitmap at its top left
constexpr UINT GCS_HATCH = 0x0200;      // diagonal hatch: the cell has no value
constexpr UINT GCS_RIGHT = 0x0400;      // text aligned right
constexpr UINT GCS_TINT = 0x0800;       // light tint: a value the user picked and its bytes
constexpr UINT GCS_HEADER = GCS_COLHEAD | GCS_ROWHEAD;
constexpr UINT GCS_SELECTABLE = GCS_EDIT | GCS_SELECT;

// Results of CGrid::HitTest.
constexpr int GHT_NOWHERE = 0;
constexpr int GHT_CELL = 1;
constexpr int GHT_COLBORDER = -1;
constexpr int GHT_ROWBORDER = -2;
constexpr int GHT_BITMAP = -3;

// The bitmap a fresh cell names.
constexpr UINT IDB_GRIDCELL = 151;

class CGridCell {
public:
    CGridCell() = default;
    virtual ~CGridCell() = default;
    CGridCell(const CGridCell&) = default;
    CGridCell& operator=(const CGridCell&) = default;

    bool IsSelectable() const { return (m_nStyle & GCS_SELECTABLE) != 0; }
    bool IsHeader() const { return (m_nStyle & GCS_HEADER) != 0; }
    // Takes everything the cell shows and carries from another cell, keeping its own place.
    void CopyContent(const CGridCell& other);

    DWORD_PTR m_dwData = 0;
    CRect m_rect{0, 0, 10, 10};
    QString m_strText;
    bool m_bHighlight = false;
    UINT m_nStyle = 0;
    CGrid* m_pGrid = nullptr;
    int m_nLimit = 0;
    UINT m_nBitmap = IDB_GRIDCELL;
    QSize m_sizeBitmap{0, 0};
    int m_nIndent = 0;
};
