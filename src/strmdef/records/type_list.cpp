#include "type_list.h"

#include <algorithm>

#include "base_types.h"
#include "type_def.h"
#include "val_def.h"

void AppendBaseTypes(TypeList& types) {
    for (int id = 0; id < kBaseTypeCount; ++id)
        types.push_back(std::make_unique<CTypeDef>(kBaseTypes[id].name, id, KIND_BASE));
}

void DestroyTypes(TypeList& types, std::size_t first) {
    for (std::size_t i = first; i < types.size(); ++i)
        types[i]->m_aMember.clear();
    types.resize(std::min(first, types.size()));
}
