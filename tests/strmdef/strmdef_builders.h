// Stream definitions built in tests as the dialogs build them: types appended to the list,
// variables and members of a type, an array when count is not 0.
#pragma once
#include "strm_def.h"
#include "type_def.h"
#include "val_def.h"

inline CTypeDef* AddType(CStrmDef& def, const QByteArray& name, std::uint32_t kind = KIND_STRUCT) {
    def.m_aTypes.push_back(std::make_unique<CTypeDef>(name, int(def.m_aTypes.size()), kind));
    return def.m_aTypes.back().get();
}

inline std::unique_ptr<CValDef> Var(CTypeDef* type, const QByteArray& name = {}, int count = 0,
                                    bool pointer = false) {
    auto variable = std::make_unique<CValDef>();
    variable->SetType(type);
    variable->m_strName = name;
    variable->m_bArray = count != 0;
    variable->m_nCount = count;
    variable->m_bPointer = pointer;
    return variable;
}

inline CValDef* Member(CTypeDef* owner, CTypeDef* type, const QByteArray& name = {}, int count = 0,
                       bool pointer = false) {
    return owner->m_aMember.emplace_back(Var(type, name, count, pointer)).get();
}
