#include "type_resolver.h"

#include "type_def.h"
#include "val_def.h"

CTypeResolver::CTypeResolver(std::vector<std::unique_ptr<CTypeDef>>& types) : m_types(types) {}

CTypeDef* CTypeResolver::Find(int id) const {
    if (id >= 0 && id < static_cast<int>(m_types.size()) && m_types[id]->m_nTypeId == id)
        return m_types[id].get();
    auto found = m_nameless.find(id);
    return found == m_nameless.end() ? nullptr : found->second;
}

bool CTypeResolver::Resolve(CValDef& variable) {
    const int id = variable.GetReadTypeId();
    CTypeDef* type = Find(id);
    if (!type && id >= static_cast<int>(m_types.size())) {
        m_types.push_back(std::make_unique<CTypeDef>(QByteArray(), id, KIND_BASE));
        type = m_nameless[id] = m_types.back().get();
    }
    if (type)
        variable.SetType(type);
    return type != nullptr;
}
