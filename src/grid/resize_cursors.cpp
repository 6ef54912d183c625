#include "resize_cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>

namespace {

constexpr int kSize = 32;

// A double arrow across the middle of the image with a bar at its centre, pointing left and
// right; turned a quarter for the row cursor.
QPixmap DoubleArrow(bool vertical) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainterPath path;
    const double c = kSize / 2.0;
    path.moveTo(c - 11, c);
    path.lineTo(c - 5, c - 6);
    path.lineTo(c - 5, c - 2);
    path.lineTo(c - 2, c - 2);
    path.lineTo(c - 2, c - 9);
    path.lineTo(c + 2, c - 9);
    path.lineTo(c + 2, c - 2);
    path.lineTo(c + 5, c - 2);
    path.lineTo(c + 5, c - 6);
    path.lineTo(c + 11, c);
    path.lineTo(c + 5, c + 6);
    path.lineTo(c + 5, c + 2);
    path.lineTo(c + 2, c + 2);
    path.lineTo(c + 2, c + 9);
    path.lineTo(c - 2, c + 9);
    path.lineTo(c - 2, c + 2);
    path.lineTo(c - 5, c + 2);
    path.lineTo(c - 5, c + 6);
    path.closeSubpath();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (vertical)
        painter.setTransform(QTransform().translate(c, c).rotate(90).translate(-c, -c));
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(Qt::black);
    painter.drawPath(path);
    return pixmap;
}

} // namespace

QCursor GridCursorShape(GridCursor cursor) {
    switch (cursor) {
    case GridCursor::ColumnResize:
        return QCursor(DoubleArrow(false), kSize / 2, kSize / 2);
    case GridCursor::RowResize:
        return QCursor(DoubleArrow(true), kSize / 2, kSize / 2);
    case GridCursor::Arrow:
        break;
    }
    return QCursor(Qt::ArrowCursor);
}
