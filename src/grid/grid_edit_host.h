// What the in-place editor needs from the view it sits in: somewhere to hand a committed text
// (the view passes it on to its document, which decides what the text means and rewrites the
// cell) and the grid navigation its keys and clicks drive. The grid knows no document, so
// the view wires both.
#pragma once

class QKeyEvent;
class QMouseEvent;
class QString;

class CGridEditHost {
public:
    virtual ~CGridEditHost() = default;
    virtual void OnCellEdit(int nRow, int nCol, const QString& text) = 0;
    // After the editor's own handling of the key.
    virtual void OnGridKeyDownHook(const QKeyEvent& /*event*/) {}
    virtual void OnGridKeyUpHook(const QKeyEvent& /*event*/) {}
    // Before the editor places its caret; the position is in the editor's coordinates.
    virtual void OnEditLButtonDown(const QMouseEvent& /*event*/) {}
    // The rest of a drag that started on the editor, so it can go on selecting cells.
    virtual void OnEditMouseMove(const QMouseEvent& /*event*/) {}
    virtual void OnEditLButtonUp(const QMouseEvent& /*event*/) {}
};
