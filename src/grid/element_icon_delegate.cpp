#include "element_icon_delegate.h"

#include <QPainter>
#include <QTextOption>

namespace {

constexpr int kTextGap = 3; // between a large icon and its name
constexpr int kTextPadding = 2;

// The name below a large icon: as many lines as the cell has room for, centred, broken at
// word boundaries where there are any and anywhere else where there are not.
void PaintWrappedName(QPainter* painter, const QStyleOptionViewItem& option, const QString& text) {
    QRect room = option.rect.adjusted(kTextPadding, 0, -kTextPadding, 0);
    room.setTop(option.rect.top() + option.decorationSize.height() + kTextGap);
    QTextOption wrap(Qt::AlignHCenter | Qt::AlignTop);
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter->save();
    painter->setFont(option.font);
    painter->setClipRect(room);
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) {
        const QRectF used = painter->boundingRect(QRectF(room), text, wrap);
        painter->fillRect(used.adjusted(-kTextPadding, 0, kTextPadding, 0).intersected(room),
                          option.palette.brush(QPalette::Highlight));
    }
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(QRectF(room), text, wrap);
    painter->restore();
}

} // namespace

QSize CElementIconDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return m_itemSize;
}

void CElementIconDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    if (option.decorationPosition != QStyleOptionViewItem::Top) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    // The icon alone, tinted while selected; the highlight belongs to the name only.
    const QRect iconRoom(item.rect.topLeft(),
                         QSize(item.rect.width(), item.decorationSize.height()));
    item.icon.paint(painter, iconRoom, Qt::AlignCenter,
                    item.state & QStyle::State_Selected ? QIcon::Selected : QIcon::Normal);
    PaintWrappedName(painter, item, item.text);
}
