// Items of a list drawn with tab stops, as a list box with tab stops draws its lines: each
// tab in an item's text moves on to the next multiple of the stop distance.
#pragma once

#include <QStyledItemDelegate>

class CTabStopDelegate : public QStyledItemDelegate {
public:
    CTabStopDelegate(qreal stop, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    qreal m_stop;
};

// The pixels of horizontal dialog units for font: a quarter of its average character width
// each, as dialogs measure them.
int DialogUnitsX(const QFont& font, int units);
