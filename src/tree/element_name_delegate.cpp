#include "element_name_delegate.h"

#include <QLineEdit>

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

QString EscapeElementName(const QString& name) {
    QString shown;
    shown.reserve(name.size());
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}
