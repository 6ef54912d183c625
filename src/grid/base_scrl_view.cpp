#include "base_scrl_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "base_doc.h"
#include "grid_edit.h"
#include "resize_cursors.h"

namespace {

constexpr int kWheelNotch = 120;
constexpr int kRowsPerNotch = 3;

UINT MouseFlags(const QMouseEvent& event) {
    UINT flags = 0;
    if (event.buttons() & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (event.modifiers() & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    return flags;
}

} // namespace

CBaseScrlView::CBaseScrlView(bool bEditable) : m_pGrid(std::make_unique<CGrid>()) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // The grid paints every pixel of the viewport.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    for (int nBar : {0, 1}) {
        QScrollBar* bar = Bar(nBar);
        // The content moves when the thumb is released, onto a cell boundary.
        bar->setTracking(false);
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, nBar](int action) { OnBarAction(nBar, action); });
    }
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pGrid->Create(CRect{2, 2, 400, 300}, this, bEditable);
}

CBaseScrlView::~CBaseScrlView() = default;

QScrollBar* CBaseScrlView::Bar(int nBar) const {
    return nBar == 0 ? horizontalScrollBar() : verticalScrollBar();
}

void CBaseScrlView::OnUpdate(CView* sender, long hint, CObject* hintObject) {
    if (!m_bAutoScrollBars) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    CView::OnUpdate(sender, hint, hintObject);
}

// Showing one bar narrows the room for the other, so the bars are settled again until no
// bar appears or disappears.
void CBaseScrlView::UpdateScrollBars() {
    if (m_bUpdatingBars)
        return;
    m_bUpdatingBars = true;
    for (int pass = 0; pass < 3; ++pass) {
        const bool horizontalChanged = UpdateBar(0);
        const bool verticalChanged = UpdateBar(1);
        if (!horizontalChanged && !verticalChanged)
            break;
    }
    m_bUpdatingBars = false;
}

// The range of one bar; true when the bar appeared or disappeared.
bool CBaseScrlView::UpdateBar(int nBar) {
    const CRect client = GetClientRect();
    CRect grid;
    m_pGrid->GetGridRect(&grid);
    const int gridExtent = nBar == 0 ? grid.Width() : grid.Height();
    const int clientExtent = nBar == 0 ? client.Width() : client.Height();
    const int offset = m_pGrid->GetScrollOffset(nBar);
    QScrollBar* bar = Bar(nBar);
    if (gridExtent + offset > clientExtent) {
        bar->setRange(0, std::max(0, gridExtent - clientExtent));
        bar->setPageStep(std::max(1, clientExtent));
        OnScroll(nBar, SB_THUMBPOSITION, offset);
    }
    const bool needed =
        m_bAutoScrollBars && (m_pGrid->GetScrollOffset(nBar) != 0 || gridExtent > clientExtent);
    const Qt::ScrollBarPolicy policy = needed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    const Qt::ScrollBarPolicy old =
        nBar == 0 ? horizontalScrollBarPolicy() : verticalScrollBarPolicy();
    if (policy == old)
        return false;
    if (nBar == 0)
        setHorizontalScrollBarPolicy(policy);
    else
        setVerticalScrollBarPolicy(policy);
    return true;
}

// Line steps move one column or row, pages (a tenth of the range down, the whole range
// sideways) and thumb positions snap to the boundary beyond; the result stays in range.
int CBaseScrlView::ScrollTarget(int nBar, int nCode, int nPos) const {
    const int max = Bar(nBar)->maximum();
    const int pos = m_pGrid->GetScrollOffset(nBar);
    const int page = nBar == 0 ? (max > max / 10 ? max : max / 10) : max / 10;
    int delta = 0;
    switch (nCode) {
    case SB_LINEUP:
        delta = -1;
        break;
    case SB_LINEDOWN:
        delta = 1;
        break;
    case SB_PAGEUP:
        delta = -page;
        break;
    case SB_PAGEDOWN:
        delta = page;
        break;
    case SB_THUMBPOSITION:
        delta = nPos - pos;
        break;
    default:
        break;
    }
    if (delta == 0)
        return pos;
    const int snapped =
        nBar == 0 ? m_pGrid->CalcHScroll(delta, pos) : m_pGrid->CalcVScroll(delta, pos);
    return std::clamp(pos + snapped, 0, std::max(0, max));
}

void CBaseScrlView::OnScroll(int nBar, int nCode, int nPos) {
    Bar(nBar)->setValue(ScrollTarget(nBar, nCode, nPos));
}

// Qt has already moved the slider when it reports the action; the snapped position replaces
// it before it becomes the bar's value. A thumb being dragged moves nothing yet.
void CBaseScrlView::OnBarAction(int nBar, int action) {
    QScrollBar* bar = Bar(nBar);
    int code = SB_THUMBPOSITION;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
        if (bar->isSliderDown())
            return;
        break;
    default:
        return;
    }
    bar->setSliderPosition(ScrollTarget(nBar, code, bar->sliderPosition()));
}

void CBaseScrlView::scrollContentsBy(int /*dx*/, int /*dy*/) {
    SyncOffset(0);
    SyncOffset(1);
}

// Moves the scrolling part of the picture and re-places the editor. A text being typed is
// committed first: re-placing the editor reloads the cell's text.
void CBaseScrlView::SyncOffset(int nBar) {
    const int value = Bar(nBar)->value();
    const int old = m_pGrid->GetScrollOffset(nBar);
    if (value == old)
        return;
    if (CGridEditor* editor = m_pGrid->GetEditor())
        editor->Commit();
    CRect clip;
    if (nBar == 0)
        m_pGrid->GetHScrollRect(&clip);
    else
        m_pGrid->GetVScrollRect(&clip);
    // What lies beyond the grid's far edges moves with it: the lines on its outer edges and
    // the white beyond them.
    const CRect client = GetClientRect();
    clip.right = std::max(clip.right, client.right);
    clip.bottom = std::max(clip.bottom, client.bottom);
    const int shift = old - value;
    viewport()->scroll(nBar == 0 ? shift : 0, nBar == 1 ? shift : 0, clip.ToQRect());
    m_pGrid->SetScrollOffset(nBar, value);
}

void CBaseScrlView::InvalidateRect(const CRect& rect, bool /*erase*/) {
    viewport()->update(rect.ToQRect());
}

CRect CBaseScrlView::GetClientRect() const {
    return {0, 0, viewport()->width(), viewport()->height()};
}

std::unique_ptr<CGridEditor> CBaseScrlView::CreateGridEditor() {
    return std::make_unique<CGridEdit>(viewport(), this);
}

void CBaseScrlView::SetCapture() {
    m_bCapture = true;
}

void CBaseScrlView::ReleaseCapture() {
    m_bCapture = false;
}

void CBaseScrlView::SetGridCursor(GridCursor cursor) {
    if (cursor == GridCursor::Arrow)
        viewport()->unsetCursor();
    else
        viewport()->setCursor(GridCursorShape(cursor));
}

void CBaseScrlView::SetGridFocus(bool bEditor) {
    auto* editor = dynamic_cast<CGridEdit*>(m_pGrid->GetEditor());
    if (bEditor && editor)
        editor->setFocus();
    else
        setFocus();
}

void CBaseScrlView::ShowDragRect(const CRect& rect) {
    const QRect old = m_rectDrag.ToQRect();
    m_rectDrag = rect;
    viewport()->update(old.adjusted(-1, -1, 1, 1));
    viewport()->update(rect.ToQRect().adjusted(-1, -1, 1, 1));
}

void CBaseScrlView::OnPasteCell(int nCol, int nRow, const QStringList& texts) {
    if (auto* doc = dynamic_cast<CBaseDoc*>(GetDocument()))
        doc->OnCellPaste(this, nRow, nCol, texts);
}

void CBaseScrlView::OnCellEdit(int nRow, int nCol, const QString& text) {
    if (auto* doc = dynamic_cast<CBaseDoc*>(GetDocument()))
        doc->OnCellEdit(this, nRow, nCol, text);
}

void CBaseScrlView::OnGridKeyDownHook(const QKeyEvent& event) {
    m_pGrid->OnGridKeyDown(event.key());
}

void CBaseScrlView::OnGridKeyUpHook(const QKeyEvent& event) {
    m_pGrid->OnGridKeyUp(event.key());
}

void CBaseScrlView::OnEditLButtonDown(const QMouseEvent& event) {
    const QPoint point = event.position().toPoint();
    m_pGrid->OnEditLButtonDown(MouseFlags(event), point.x(), point.y());
}

QPoint CBaseScrlView::FromEditor(const QMouseEvent& event) const {
    const auto* editor = dynamic_cast<const CGridEdit*>(m_pGrid->GetEditor());
    const QPoint point = event.position().toPoint();
    return editor ? editor->mapTo(viewport(), point) : point;
}

void CBaseScrlView::OnEditMouseMove(const QMouseEvent& event) {
    const QPoint point = FromEditor(event);
    if (m_bCapture)
        m_pGrid->OnGridMouseMove(MouseFlags(event), point.x(), point.y());
}

void CBaseScrlView::OnEditLButtonUp(const QMouseEvent& event) {
    const QPoint point = FromEditor(event);
    m_pGrid->OnGridLButtonUp(MouseFlags(event), point.x(), point.y());
}

void CBaseScrlView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    m_pGrid->Draw(&painter);
    if (m_rectDrag.Width() > 0 && m_rectDrag.Height() > 0) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_rectDrag.ToQRect().adjusted(0, 0, -1, -1));
    }
}

void CBaseScrlView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    m_pGrid->OnGridLButtonDown(MouseFlags(*event), point.x(), point.y());
}

// A release lost to a message box that popped up during the click ends the drag at the next
// move without the button.
void CBaseScrlView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const UINT flags = MouseFlags(*event);
    if (!(flags & MK_LBUTTON) && (m_bCapture || m_pGrid->IsBorderDrag()))
        m_pGrid->OnGridLButtonUp(flags, point.x(), point.y());
    m_pGrid->OnGridMouseMove(flags, point.x(), point.y());
}

void CBaseScrlView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    const QPoint point = event->position().toPoint();
    m_pGrid->OnGridLButtonUp(MouseFlags(*event), point.x(), point.y());
}

void CBaseScrlView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CBaseScrlView::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void CBaseScrlView::wheelEvent(QWheelEvent* event) {
    m_nWheelRemainder += event->angleDelta().y();
    const int notches = m_nWheelRemainder / kWheelNotch;
    m_nWheelRemainder %= kWheelNotch;
    for (int step = 0; step < std::abs(notches) * kRowsPerNotch; ++step)
        OnScroll(1, notches > 0 ? SB_LINEUP : SB_LINEDOWN);
    event->accept();
}
