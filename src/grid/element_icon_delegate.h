// Draws the items of the icon presentations in cells of one size, so that the list view can
// lay out a hundred thousand items without measuring each, and wraps a name under its large
// icon anywhere it must (names seldom have spaces) instead of cutting it short.
#pragma once

#include <QStyledItemDelegate>

class CElementIconDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetItemSize(const QSize& size) { m_itemSize = size; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QSize m_itemSize;
};
