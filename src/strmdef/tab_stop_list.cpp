#include "tab_stop_list.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace {

// Draws a line's text with its list's tab stop; the style draws the rest of the item.
class TabStopDelegate : public QStyledItemDelegate {
public:
    explicit TabStopDelegate(CTabStopList* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        QStyle* style = m_list->style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, m_list);
        const bool selected = item.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
        textOption.setWrapMode(QTextOption::NoWrap);
        textOption.setTabStopDistance(m_list->GetTabStop());
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, m_list);
        painter->drawText(QRectF(textRect.adjusted(2, 0, -2, 0)), text, textOption);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int tab = qRound(m_list->GetTabStop());
        const QString text = index.data().toString();
        size.setWidth(option.fontMetrics.size(Qt::TextExpandTabs, text, tab).width() + 8);
        return size;
    }

private:
    CTabStopList* m_list;
};

} // namespace

CTabStopList::CTabStopList() : m_tabStop(fontMetrics().averageCharWidth() * 8) {
    setItemDelegate(new TabStopDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void CTabStopList::SetTabStops(int dialogUnits) {
    // The platform's dialog base unit: the mean width of the Latin letters.
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const qreal baseUnit = fontMetrics().horizontalAdvance(letters) / qreal(letters.size());
    m_tabStop = baseUnit * dialogUnits / 4;
    viewport()->update();
}
