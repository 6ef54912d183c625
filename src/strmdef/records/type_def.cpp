#include "type_def.h"

#include "archive.h"
#include "val_def.h"

CTypeDef::CTypeDef(const QByteArray& name, int typeId, std::uint32_t kind)
    : m_nTypeId(typeId), m_nKind(kind), m_strName(name) {}

CTypeDef::~CTypeDef() {
    for (auto& member : m_aMember)
        member.reset();
}

void CTypeDef::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << m_strName << m_nKind << static_cast<std::uint32_t>(m_aMember.size());
        for (const auto& member : m_aMember)
            member->Serialize(ar);
        return;
    }
    std::uint32_t count = 0;
    ar >> m_strName >> m_nKind >> count;
    if (!ar.CanRead(count, kMinValRecordSize))
        return;
    for (std::uint32_t i = 0; i < count && !ar.IsFailed(); ++i) {
        m_aMember.push_back(std::make_unique<CValDef>());
        m_aMember.back()->Serialize(ar);
    }
}

bool CTypeDef::operator==(const CTypeDef& other) const {
    return m_strName == other.m_strName && m_nTypeId == other.m_nTypeId;
}
