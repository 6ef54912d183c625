// The elements of one storage as the element list shows them: plain records, with the
// texts made only when a presentation asks for a cell, so that a storage of a hundred
// thousand elements lists at once.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "ole_types.h"

struct ElementRecord {
    QString name; // exactly as the storage holds it
    bool isStorage;
    quint64 size;
    FILETIME mtime;
};

class CElementListModel : public QAbstractTableModel {
public:
    enum Column { ColumnName, ColumnSize, ColumnTime, ColumnCount };

    explicit CElementListModel(QObject* parent = nullptr);

    void SetRecords(std::vector<ElementRecord> records);
    const std::vector<ElementRecord>& GetRecords() const { return m_records; }
    // A cell's text as the program works with it: the name unescaped, the size in decimal
    // ("-" for a storage), the modification time in local time ("-" when zero).
    QString GetText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ElementRecord> m_records;
};
