// A type of a stream definition: one of the base types, or a user type of kind struct (its
// members in order) or define (exactly one member, its definition). Variables that name the
// type count themselves in its reference count, so a type still in use is never deleted.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <vector>

#include "object.h"

class CValDef;

// Kinds as the file stores them.
enum TypeKind : std::uint32_t { KIND_BASE = 0, KIND_STRUCT = 1, KIND_DEFINE = 2 };

class CTypeDef : public CObject {
public:
    CTypeDef() = default;
    CTypeDef(const QByteArray& name, int typeId, std::uint32_t kind);
    // Destroys the members first to last.
    ~CTypeDef() override;
    CTypeDef(const CTypeDef&) = delete;
    CTypeDef& operator=(const CTypeDef&) = delete;

    // The record: name, kind, member count and the members. The id is not part of it; loaded
    // members carry the ids they name until their type list resolves them.
    void Serialize(CArchive& ar) override;
    // Same name and same id.
    bool operator==(const CTypeDef& other) const;

    // Each returns the new count.
    int AddRef() { return ++m_nRefCount; }
    int Release() { return --m_nRefCount; }
    int GetRefCount() const { return m_nRefCount; }

    int m_nTypeId = 0; // the index in the type list, kept equal to it
    std::uint32_t m_nKind = KIND_BASE;
    std::vector<std::unique_ptr<CValDef>> m_aMember;
    QByteArray m_strName; // CP932, as the file holds it

private:
    int m_nRefCount = 0;
};

// The smallest type record: an empty name, the kind and a member count of 0.
inline constexpr qint64 kMinTypeRecordSize = 1 + 4 + 4;
