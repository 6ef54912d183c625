#include "tree_images.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

QPixmap Blank() {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon Cross() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawLine(3, 2, 12, 12);
    painter.drawLine(12, 2, 3, 12);
    return QIcon(pixmap);
}

QIcon Folder() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 96, 0));
    painter.setBrush(QColor(255, 220, 96));
    painter.drawRect(1, 3, 5, 2);
    painter.drawRect(1, 4, 13, 9);
    return QIcon(pixmap);
}

QIcon Stream() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 9, 12);
    for (int y = 4; y <= 10; y += 3)
        painter.drawLine(5, y, 10, y);
    return QIcon(pixmap);
}

QIcon Question() {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setPen(Qt::blue);
    painter.drawText(QRect(0, 0, kWidth, kHeight), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pixmap);
}

} // namespace

const QIcon& TreeImage(int index) {
    static const std::array<QIcon, 4> images = {Cross(), Folder(), Stream(), Question()};
    static const QIcon none;
    return index >= 0 && index < static_cast<int>(images.size()) ? images[index] : none;
}
