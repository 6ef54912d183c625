#include "element_list_model.h"

#include <QDateTime>

#include "element_list_images.h"
#include "element_name_text.h"

namespace {

// 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
constexpr qint64 kUnixEpochTicks = 116444736000000000LL;
constexpr qint64 kTicksPerMs = 10000;

QString HeaderText(int section) {
    switch (section) {
    case CElementListModel::ColumnName:
        return QString::fromUtf16(u"名前");
    case CElementListModel::ColumnSize:
        return QString::fromUtf16(u"ｻｲｽﾞ");
    case CElementListModel::ColumnTime:
        return QString::fromUtf16(u"更新日時");
    default:
        return QString();
    }
}

// Sizes line up on the right; the rest keeps the presentation's own alignment (names sit
// centred under large icons).
QVariant Alignment(int column) {
    return column == CElementListModel::ColumnSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                   : QVariant();
}

QString ElementSizeText(const ElementRecord& record) {
    return record.isStorage ? QStringLiteral("-") : QString::number(record.size);
}

QString ElementTimeText(const FILETIME& time) {
    const quint64 ticks = (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    if (ticks == 0)
        return QStringLiteral("-");
    // Ticks are unsigned; the subtraction in signed arithmetic keeps times before 1970.
    const qint64 ms = (qint64(ticks / kTicksPerMs)) - kUnixEpochTicks / kTicksPerMs;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime)
        .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

} // namespace

CElementListModel::CElementListModel(QObject* parent) : QAbstractTableModel(parent) {}

void CElementListModel::SetRecords(std::vector<ElementRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

QString CElementListModel::GetText(int row, int column) const {
    if (row < 0 || row >= rowCount())
        return QString();
    const ElementRecord& record = m_records[row];
    switch (column) {
    case ColumnName:
        return record.name;
    case ColumnSize:
        return ElementSizeText(record);
    case ColumnTime:
        return ElementTimeText(record.mtime);
    default:
        return QString();
    }
}

int CElementListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int CElementListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CElementListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        // Only the painted name is escaped; GetText keeps it exact.
        return column == ColumnName ? EscapeElementName(m_records[index.row()].name)
                                    : GetText(index.row(), column);
    case Qt::DecorationRole:
        if (column != ColumnName)
            return QVariant();
        return ElementListImage(m_records[index.row()].isStorage ? kElementImageStorage
                                                                 : kElementImageStream);
    case Qt::TextAlignmentRole:
        return Alignment(column);
    default:
        return QVariant();
    }
}

QVariant CElementListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole)
        return HeaderText(section);
    if (role == Qt::TextAlignmentRole)
        return Alignment(section);
    return QVariant();
}
