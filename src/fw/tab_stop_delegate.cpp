#include "tab_stop_delegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>

namespace {

QTextOption TabbedOption(qreal stop) {
    QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
    textOption.setTabStopDistance(stop);
    textOption.setWrapMode(QTextOption::NoWrap);
    return textOption;
}

} // namespace

CTabStopDelegate::CTabStopDelegate(qreal stop, QObject* parent)
    : QStyledItemDelegate(parent), m_stop(stop) {}

void CTabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(
        item.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, text, TabbedOption(m_stop));
    painter->restore();
}

QSize CTabStopDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QFontMetrics metrics(option.font);
    const int width = metrics
                          .boundingRect(QRect(0, 0, 1 << 20, 1 << 10), Qt::TextExpandTabs,
                                        index.data().toString(), qRound(m_stop))
                          .width();
    size.setWidth(qMax(size.width(), width + 8));
    return size;
}

int DialogUnitsX(const QFont& font, int units) {
    return units * QFontMetrics(font).averageCharWidth() / 4;
}
