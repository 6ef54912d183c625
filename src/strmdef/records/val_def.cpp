#include "val_def.h"

#include "archive.h"
#include "type_def.h"

CValDef::CValDef(const CValDef& other)
    : CObject(), m_bPointer(other.m_bPointer), m_strName(other.m_strName),
      m_strComment(other.m_strComment), m_bArray(other.m_bArray), m_nCount(other.m_nCount),
      m_bCountByName(other.m_bCountByName), m_strCountName(other.m_strCountName),
      m_nReadTypeId(other.m_nReadTypeId) {
    SetType(other.m_pType);
}

CValDef::~CValDef() {
    SetType(nullptr);
}

void CValDef::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << static_cast<std::int32_t>(m_pType ? m_pType->m_nTypeId : m_nReadTypeId) << m_bPointer
           << m_strName << m_bArray << m_nCount << m_bCountByName << m_strCountName << m_strComment;
        return;
    }
    SetType(nullptr);
    ar >> m_nReadTypeId >> m_bPointer >> m_strName >> m_bArray >> m_nCount >> m_bCountByName >>
        m_strCountName >> m_strComment;
}

CTypeDef* CValDef::SetType(CTypeDef* type) {
    CTypeDef* old = m_pType;
    if (old)
        old->Release();
    m_pType = type;
    if (type)
        type->AddRef();
    return old;
}

bool CValDef::operator==(const CValDef& other) const {
    const bool sameType =
        m_pType && other.m_pType ? *m_pType == *other.m_pType : m_pType == other.m_pType;
    return sameType && m_bPointer == other.m_bPointer && m_strName == other.m_strName &&
           m_bArray == other.m_bArray && m_nCount == other.m_nCount &&
           m_bCountByName == other.m_bCountByName && m_strCountName == other.m_strCountName &&
           m_strComment == other.m_strComment;
}
