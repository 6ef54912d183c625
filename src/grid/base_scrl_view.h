// The base of every grid view: a scroll area whose viewport shows one CGrid. Painting, mouse
// and keys go to the grid; the scroll bars carry pixel offsets that always land on a column
// or row boundary; edits and pastes go to the view's document. Derived views lay out the
// grid and react to clicks through the hooks.
#pragma once

#include <QAbstractScrollArea>
#include <memory>

#include "grid.h"
#include "grid_edit_host.h"
#include "view.h"

class QScrollBar;

// What a scroll request asks for, by bar: 0 horizontal, 1 vertical.
enum ScrollCode { SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBPOSITION };

class CBaseScrlView : public QAbstractScrollArea,
                      public CView,
                      public CGridHost,
                      public CGridEditHost {
public:
    // An editable view shows the in-place editor over its current cell.
    explicit CBaseScrlView(bool bEditable = true);
    ~CBaseScrlView() override;

    CGrid* GetGrid() const { return m_pGrid.get(); }

    // Hides both bars while the view shows no grid, then repaints.
    void OnUpdate(CView* sender, long hint, CObject* hintObject) override;
    // After the grid changed size: the ranges and, with automatic bars, which bars show.
    void UpdateScrollBars() override;
    // A request of the scroll bar nBar; nPos is the position asked for by SB_THUMBPOSITION.
    void OnScroll(int nBar, int nCode, int nPos = 0);

    // CGridHost.
    void InvalidateRect(const CRect& rect, bool erase) override;
    CRect GetClientRect() const override;
    std::unique_ptr<CGridEditor> CreateGridEditor() override;
    void SetCapture() override;
    void ReleaseCapture() override;
    bool HasCapture() const override { return m_bCapture; }
    void SetGridCursor(GridCursor cursor) override;
    void SetGridFocus(bool bEditor) override;
    void ShowDragRect(const CRect& rect) override;
    // A pasted line goes to the document.
    void OnPasteCell(int nCol, int nRow, const QStringList& texts) override;

    // CGridEditHost: the edited text goes to the document; keys and clicks to the grid.
    void OnCellEdit(int nRow, int nCol, const QString& text) override;
    void OnGridKeyDownHook(const QKeyEvent& event) override;
    void OnGridKeyUpHook(const QKeyEvent& event) override;
    void OnEditLButtonDown(const QMouseEvent& event) override;
    void OnEditMouseMove(const QMouseEvent& event) override;
    void OnEditLButtonUp(const QMouseEvent& event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The base view does not navigate: keys reach the grid through the editor and through
    // derived views.
    void keyPressEvent(QKeyEvent* event) override;
    // Three rows a notch, snapped like the scroll bar.
    void wheelEvent(QWheelEvent* event) override;
    // The bars moved: the grid follows.
    void scrollContentsBy(int dx, int dy) override;

    // True: each bar shows only when needed; false: both stay hidden.
    bool m_bAutoScrollBars = true;

private:
    QScrollBar* Bar(int nBar) const;
    int ScrollTarget(int nBar, int nCode, int nPos) const;
    void OnBarAction(int nBar, int action);
    bool UpdateBar(int nBar);
    void SyncOffset(int nBar);
    QPoint FromEditor(const QMouseEvent& event) const;

    std::unique_ptr<CGrid> m_pGrid;
    CRect m_rectDrag;
    bool m_bCapture = false;
    bool m_bUpdatingBars = false;
    int m_nWheelRemainder = 0;
};
