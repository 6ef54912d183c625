// A variable of a stream definition: a layout entry, a struct member or a define's
// definition. It names its type without owning it and holds one reference on it for as long
// as it names it.
#pragma once

#include <QByteArray>
#include <cstdint>

#include "object.h"

class CTypeDef;

class CValDef : public CObject {
public:
    CValDef() = default;
    // All fields; the copy takes a reference of its own on the type.
    CValDef(const CValDef& other);
    CValDef& operator=(const CValDef&) = delete;
    // Releases the reference: the type must still exist.
    ~CValDef() override;

    // The record. Storing writes the type's id as it is now. Loading leaves the variable
    // without a type and keeps the id read (GetReadTypeId) for its type list to resolve.
    void Serialize(CArchive& ar) override;
    // Names type (or none) and moves the reference to it; returns the type named before.
    CTypeDef* SetType(CTypeDef* type);
    CTypeDef* GetType() const { return m_pType; }
    // Forgets the type without touching it: for a variable that outlives its type list.
    void DetachType() { m_pType = nullptr; }
    int GetReadTypeId() const { return m_nReadTypeId; }
    // Equal types (CTypeDef equality) and equal fields.
    bool operator==(const CValDef& other) const;

    // The flags are the file's 32-bit BOOLs, kept as read so that a file saves as it came.
    std::int32_t m_bPointer = 0;
    QByteArray m_strName; // strings in CP932, as the file holds them
    QByteArray m_strComment;
    std::int32_t m_bArray = 0;
    std::int32_t m_nCount = 0; // elements of an array whose size is a number
    std::int32_t m_bCountByName = 0;
    QByteArray m_strCountName; // the size of an array given as a name

private:
    CTypeDef* m_pType = nullptr;
    int m_nReadTypeId = 0;
};

// The smallest variable record: five 32-bit fields and three empty strings.
inline constexpr qint64 kMinValRecordSize = 5 * 4 + 3;
