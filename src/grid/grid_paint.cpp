// Painting: the scrolling body first, then the fixed header row, header column and corner on
// top of it, then white beyond the grid. Every cell paints its own outline; neighbours share
// their edge pixels, so a grid line is one pixel wide.
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "grid.h"
#include "grid_indent.h"

namespace {

const QColor kGridLine(0xA8, 0xA8, 0xA8);
const QColor kTint(0xFF, 0xEC, 0xA8);

// The pixels a framed rectangle drawn with a one-pixel pen covers: left .. right - 1.
QRect Outline(const CRect& rect) {
    return QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
}

// A raised button face: light top and left edges, dark right and bottom edges, face inside.
void DrawHeaderFace(QPainter* pDC, const CRect& rect) {
    const QPalette palette = QGuiApplication::palette();
    const CRect edge = rect.Deflated(1);
    pDC->fillRect(edge.left, edge.top, edge.Width() - 1, 1, palette.color(QPalette::Light));
    pDC->fillRect(edge.left, edge.top, 1, edge.Height() - 1, palette.color(QPalette::Light));
    pDC->fillRect(edge.right - 1, edge.top, 1, edge.Height(), palette.color(QPalette::Dark));
    pDC->fillRect(edge.left, edge.bottom - 1, edge.Width(), 1, palette.color(QPalette::Dark));
    pDC->fillRect(rect.Deflated(2).ToQRect(), palette.color(QPalette::Button));
}

// A vertical line from top to bottom - 1, as the design's line ends exclude the last pixel.
void VerticalLine(QPainter* pDC, int x, int top, int bottom) {
    pDC->drawLine(x, top, x, bottom - 1);
}

} // namespace

void CGrid::Draw(QPainter* pDC) {
    pDC->save();
    pDC->setFont(m_font);
    pDC->setBackground(Qt::white);
    pDC->setBackgroundMode(Qt::OpaqueMode);
    // Only cells that reach the device (and its clip) are painted: a long grid costs no
    // more to paint than what shows of it.
    const QPaintDevice* device = pDC->device();
    QRect visible =
        pDC->combinedTransform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    if (pDC->hasClipping())
        visible &= pDC->clipBoundingRect().toAlignedRect();
    const int firstCol = IsRowHeadFixed() ? 1 : 0;
    const int firstRow = IsColHeadFixed() ? 1 : 0;
    const int lastCol = m_nCols - 1;
    const int lastRow = m_nRows - 1;
    DrawPass(pDC, visible, {m_nHOffset, m_nVOffset}, {firstCol, firstRow, lastCol, lastRow}, 0);
    if (IsColHeadFixed())
        DrawPass(pDC, visible, {m_nHOffset, 0}, {firstCol, 0, lastCol, 0}, GCS_COLHEAD);
    if (IsRowHeadFixed())
        DrawPass(pDC, visible, {0, m_nVOffset}, {0, firstRow, 0, lastRow}, GCS_ROWHEAD);
    if (IsColHeadFixed() && IsRowHeadFixed())
        DrawPass(pDC, visible, {0, 0}, {0, 0, 0, 0}, GCS_HEADER);
    FillBeyondGrid(pDC);
    pDC->restore();
}

// The cells of a block of indices, column by column, shifted by the offset; with nNeed, only
// the cells that have one of those style bits.
void CGrid::DrawPass(QPainter* pDC, const QRect& visible, QPoint offset, const CRect& block,
                     UINT nNeed) const {
    pDC->save();
    pDC->translate(-offset);
    // Hatch patterns are anchored to the grid, so they move with the content.
    pDC->setBrushOrigin(0, 0);
    const QRect area = visible.translated(offset);
    for (int c = block.left; c <= block.right; ++c)
        for (int r = block.top; r <= block.bottom; ++r) {
            const CGridCell& cell = Cell(r, c);
            // A cell paints up to and including its right and bottom edges (the outer lines).
            const QRect painted = cell.m_rect.ToQRect().adjusted(0, 0, 1, 1);
            if ((nNeed == 0 || (cell.m_nStyle & nNeed)) && painted.intersects(area))
                DrawCell(pDC, cell);
        }
    pDC->restore();
}

void CGrid::DrawCell(QPainter* pDC, const CGridCell& cell) const {
    const CRect& rect = cell.m_rect;
    if (rect.Width() <= 1 || rect.Height() <= 1)
        return;
    const UINT style = cell.m_nStyle;
    pDC->setPen(cell.IsHeader() ? Qt::black : kGridLine);
    pDC->setBrush(style & GCS_TINT ? kTint : QColor(Qt::white));
    pDC->drawRect(Outline(rect));
    if (cell.IsHeader()) {
        DrawHeaderFace(pDC, rect);
    } else if (style & GCS_HATCH) {
        pDC->setBrush(QBrush(QGuiApplication::palette().color(QPalette::Button), Qt::FDiagPattern));
        pDC->drawRect(Outline(rect));
    }
    pDC->setPen(Qt::black);
    if (style & GCS_RIGHTLINE)
        VerticalLine(pDC, rect.right, rect.top, rect.bottom);
    if (style & GCS_BOTTOMLINE)
        pDC->drawLine(rect.left, rect.bottom, rect.right - 1, rect.bottom);
    CRect area = rect.Deflated(3);
    if (style & GCS_DOUBLELEFT) {
        VerticalLine(pDC, rect.left, rect.top, rect.bottom);
        VerticalLine(pDC, rect.left + 2, rect.top, rect.bottom);
        area.left += 2;
    }
    const int indent = kGridIndentStep * cell.m_nIndent;
    if (style & GCS_BITMAP) {
        const QImage image = LoadBitmap(cell.m_nBitmap);
        const int width = std::min(image.width(), rect.Width() - 2 - indent);
        const int height = std::min(image.height(), rect.Height() - 2);
        if (width > 0 && height > 0) {
            pDC->drawImage(QPoint(BitmapLeft(cell) + 1, rect.top + 1), image,
                           QRect(0, 0, width, height));
            area.left += width - 1;
        }
    }
    area.left += indent;
    if (area.Width() > 0 && area.Height() > 0)
        pDC->drawText(area.ToQRect(),
                      (style & GCS_RIGHT ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop,
                      cell.m_strText);
    // Devices that cannot invert (a printer) show the cell as it is rather than blanked out.
    if (cell.m_bHighlight && pDC->paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        pDC->save();
        pDC->setCompositionMode(QPainter::RasterOp_NotDestination);
        pDC->fillRect(rect.Deflated(1).ToQRect(), Qt::white);
        pDC->restore();
    }
}

// Beyond the grid's last column and row the view shows white; the column just right of the
// grid and the row just below it are left to the lines cells draw on their outer edges.
void CGrid::FillBeyondGrid(QPainter* pDC) const {
    const QPaintDevice* device = pDC->device();
    const CRect client =
        m_pParent ? m_pParent->GetClientRect() : CRect{0, 0, device->width(), device->height()};
    CRect grid;
    GetGridRect(&grid);
    const int right = grid.right - m_nHOffset;
    const int bottom = grid.bottom - m_nVOffset;
    if (right < client.right)
        pDC->fillRect(
            CRect{right + 1, client.top, client.right, std::min(bottom + 1, client.bottom)}
                .ToQRect(),
            Qt::white);
    if (bottom < client.bottom)
        pDC->fillRect(CRect{client.left, bottom + 1, client.right, client.bottom}.ToQRect(),
                      Qt::white);
}
