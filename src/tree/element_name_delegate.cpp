#include "element_name_delegate.h"

#include <QLineEdit>

#include "element_name_text.h"

ElementNameDelegate::ElementNameDelegate(EndEdit endEdit, QObject* parent)
    : QStyledItemDelegate(parent), m_endEdit(std::move(endEdit)) {}

QString ElementNameDelegate::displayText(const QVariant& value, const QLocale&) const {
    return EscapeElementName(value.toString());
}

void ElementNameDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                       const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        m_endEdit(index, line->text());
}
