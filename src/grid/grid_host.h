// What the grid needs from the view that shows it, and from the in-place editor laid over the
// current cell. The grid holds no widget: the view implements CGridHost and hands the grid an
// editor of its making. Both may be absent (a grid used as a bare model).
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "framework_ids.h"
#include "grid_rect.h"

class QFont;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

class CGridEditor {
public:
    virtual ~CGridEditor() = default;
    virtual void SetFont(const QFont& font) = 0;
    // The cell's text, which is also what Escape brings back.
    virtual void SetText(const QString& text) = 0;
    // The cell being edited, its style (for the hexadecimal filter) and its length limit.
    virtual void SetCell(int nRow, int nCol) = 0;
    virtual void SetCellFormat(UINT nStyle, int nLimit) = 0;
    virtual void ShowWindow(int nCmdShow) = 0;
    // Client coordinates of the view.
    virtual void MoveWindow(const CRect& rect) = 0;
    // Hands a text the user changed on to the document before the grid moves or copies, so
    // that a copy reads what the user sees.
    virtual void Commit() = 0;
    // nEnd -1 selects to the end of the text.
    virtual void SetSel(int nStart, int nEnd) = 0;
};

// The cursor shapes the grid asks for over its borders.
enum class GridCursor { Arrow, ColumnResize, RowResize };

class CGridHost {
public:
    virtual ~CGridHost() = default;
    // Client coordinates; erase asks for the background to be painted first.
    virtual void InvalidateRect(const CRect& rect, bool erase) = 0;
    virtual CRect GetClientRect() const = 0;
    // The editor over the current cell; none by default.
    virtual std::unique_ptr<CGridEditor> CreateGridEditor() { return nullptr; }
    // A cell bitmap by resource id; by default the program's image of that id.
    virtual QImage LoadBitmap(UINT nID) const { return LoadResourceBitmap(nID); }
    static QImage LoadResourceBitmap(UINT nID);
    // One pasted line: the texts that landed on selectable cells from (nRow, nCol) rightwards.
    // The grid never writes them itself; the view hands them to its document.
    virtual void OnPasteCell(int /*nCol*/, int /*nRow*/, const QStringList& /*texts*/) {}

    // Input: the mouse held for a selection or border drag, cursor feedback, the keyboard
    // given to the editor (true) or the view (false), the focus rectangle of a border drag
    // (client coordinates; an empty one hides it) and the scroll bars after a resize.
    virtual void SetCapture() {}
    virtual void ReleaseCapture() {}
    virtual bool HasCapture() const { return false; }
    virtual void SetGridCursor(GridCursor /*cursor*/) {}
    virtual void SetGridFocus(bool /*bEditor*/) {}
    virtual void ShowDragRect(const CRect& /*rect*/) {}
    virtual void UpdateScrollBars() {}
    // A click on a cell (-1, -1 off every selectable cell), and on a cell's bitmap: false
    // stops the click there.
    virtual void OnCellClick(int /*nRow*/, int /*nCol*/) {}
    virtual bool OnBitmapClick(int /*nRow*/, int /*nCol*/) { return true; }
};
