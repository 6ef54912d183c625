// One element of a storage as a folder lists it: detached from the storage, so it stays
// readable after the storage has been released.
#pragma once

#include <QString>

#include "ole_types.h"

class CStgElement {
public:
    CStgElement(const QString& name, const STATSTG& stat, BOOL isStorage)
        : m_name(name), m_stat(stat), m_isStorage(isStorage) {
        m_stat.pwcsName = nullptr; // the name lives in m_name; the UTF-16 copy is gone
    }
    virtual ~CStgElement() = default;

    QString m_name;
    STATSTG m_stat;
    BOOL m_isStorage; // every type but STGTY_STORAGE counts as a stream
};
