#include "element_list_images.h"

#include <QPainter>
#include <QPixmap>
#include <array>
#include <functional>

namespace {

// Both images are laid out on a 16-unit square; the large one doubles every unit but keeps
// one-pixel outlines, so that it looks as crisp as the small one.
using Draw = std::function<void(QPainter&, int unit)>;

QPixmap Render(int size, const Draw& draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter, size / 16);
    return pixmap;
}

QIcon Drawn(const Draw& draw) {
    QIcon icon;
    icon.addPixmap(Render(16, draw));
    icon.addPixmap(Render(32, draw));
    return icon;
}

void DrawFolder(QPainter& painter, int u) {
    painter.setPen(QColor(128, 96, 0));
    painter.setBrush(QColor(255, 220, 96));
    painter.drawRect(u, 3 * u, 5 * u, 2 * u);
    painter.drawRect(u, 4 * u, 13 * u, 9 * u);
    // The lighter flap in front of the back wall.
    painter.setBrush(QColor(255, 236, 160));
    painter.drawRect(u, 6 * u, 13 * u, 7 * u);
}

void DrawStream(QPainter& painter, int u) {
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(3 * u, u, 9 * u, 13 * u);
    for (int y = 4 * u; y <= 11 * u; y += 3 * u)
        painter.drawLine(5 * u, y, 10 * u, y);
}

} // namespace

const QIcon& ElementListImage(int index) {
    static const std::array<QIcon, 2> images = {Drawn(DrawFolder), Drawn(DrawStream)};
    static const QIcon none;
    return index >= 0 && index < static_cast<int>(images.size()) ? images[index] : none;
}
