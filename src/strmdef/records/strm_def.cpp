#include "strm_def.h"

#include <utility>

#include "archive.h"
#include "base_types.h"
#include "type_def.h"
#include "type_resolver.h"
#include "val_def.h"

namespace {
constexpr std::int32_t kVersion = 1;
}

CStrmDef::CStrmDef() {
    ResetTypes();
}

CStrmDef::~CStrmDef() {
    DestroyAll();
}

void CStrmDef::DestroyAll() {
    m_aLayout.clear();
    DestroyTypes(m_aTypes);
}

void CStrmDef::ResetTypes() {
    DestroyAll();
    AppendBaseTypes(m_aTypes);
}

std::vector<std::unique_ptr<CValDef>> CStrmDef::MoveOnto(TypeList& types) {
    auto relink = [&](CValDef& variable) {
        const CTypeDef* type = variable.GetType();
        if (type && type->m_nTypeId < kBaseTypeCount && m_aTypes[type->m_nTypeId].get() == type)
            variable.SetType(types[type->m_nTypeId].get());
    };
    for (std::size_t i = kBaseTypeCount; i < m_aTypes.size(); ++i) {
        for (const auto& member : m_aTypes[i]->m_aMember)
            relink(*member);
        types.push_back(std::move(m_aTypes[i]));
    }
    m_aTypes.resize(kBaseTypeCount);
    for (const auto& variable : m_aLayout)
        relink(*variable);
    return std::exchange(m_aLayout, {});
}

void CStrmDef::Renumber(int first) {
    for (int i = first; i < static_cast<int>(m_aTypes.size()); ++i)
        m_aTypes[i]->m_nTypeId = i;
}

int CStrmDef::FindTypeByName(const QByteArray& name, CTypeDef** found) const {
    int index = 0;
    while (index < static_cast<int>(m_aTypes.size()) && m_aTypes[index]->m_strName != name)
        ++index;
    if (found)
        *found = index < static_cast<int>(m_aTypes.size()) ? m_aTypes[index].get() : nullptr;
    return index;
}

void CStrmDef::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        Store(ar);
        return;
    }
    ResetTypes();
    Load(ar);
    if (ar.IsFailed())
        ResetTypes();
}

void CStrmDef::Store(CArchive& ar) {
    Renumber();
    ar << kVersion << static_cast<std::uint32_t>(m_aTypes.size() - kBaseTypeCount);
    for (std::size_t i = kBaseTypeCount; i < m_aTypes.size(); ++i)
        m_aTypes[i]->Serialize(ar);
    ar << static_cast<std::uint32_t>(m_aLayout.size());
    for (const auto& variable : m_aLayout)
        variable->Serialize(ar);
}

void CStrmDef::Load(CArchive& ar) {
    std::int32_t version = 0;
    std::uint32_t count = 0;
    ar >> version >> count;
    if (!ar.CanRead(count, kMinTypeRecordSize))
        return;
    for (std::uint32_t i = 0; i < count && !ar.IsFailed(); ++i) {
        auto type = std::make_unique<CTypeDef>();
        type->Serialize(ar);
        type->m_nTypeId = static_cast<int>(m_aTypes.size());
        m_aTypes.push_back(std::move(type));
    }
    // Members may name any type of the file, later ones included: they are linked once all
    // types are in. Nameless types the resolver appends have no members of their own.
    CTypeResolver resolver(m_aTypes);
    const std::size_t read = m_aTypes.size();
    for (std::size_t i = kBaseTypeCount; i < read && !ar.IsFailed(); ++i)
        for (const auto& member : m_aTypes[i]->m_aMember)
            if (!resolver.Resolve(*member))
                ar.SetFailed();
    ar >> count;
    if (!ar.CanRead(count, kMinValRecordSize))
        return;
    for (std::uint32_t i = 0; i < count && !ar.IsFailed(); ++i) {
        auto variable = std::make_unique<CValDef>();
        variable->Serialize(ar);
        if (!ar.IsFailed() && !resolver.Resolve(*variable))
            ar.SetFailed();
        m_aLayout.push_back(std::move(variable));
    }
    // Nameless types keep the ids they were named by until every reference is linked; from
    // here on each type's id is its index again.
    Renumber();
}
