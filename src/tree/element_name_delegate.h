// Paints element names with their control characters escaped ("\x05SummaryInformation")
// while the items keep the names exactly, and hands a finished label edit to the tree
// instead of writing it into the item: the tree renames the element and sets the text
// only when the rename succeeds.
#pragma once

#include <QStyledItemDelegate>
#include <functional>

class ElementNameDelegate : public QStyledItemDelegate {
public:
    using EndEdit = std::function<void(const QModelIndex&, const QString&)>;

    ElementNameDelegate(EndEdit endEdit, QObject* parent);

    QString displayText(const QVariant& value, const QLocale& locale) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    EndEdit m_endEdit;
};
