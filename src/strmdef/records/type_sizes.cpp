#include "type_sizes.h"

#include <algorithm>
#include <limits>

#include "base_types.h"
#include "type_def.h"
#include "val_def.h"

namespace {

constexpr std::uint64_t kMaxSize = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Times(std::uint64_t size, const CValDef& variable) {
    if (!variable.m_bArray)
        return size;
    std::uint64_t product = 0;
    const auto count = static_cast<std::uint64_t>(std::max(variable.m_nCount, 0));
    return __builtin_mul_overflow(size, count, &product) ? kMaxSize : product;
}

std::uint64_t Plus(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? kMaxSize : sum;
}

} // namespace

CTypeSizes::CTypeSizes(const std::vector<std::unique_ptr<CTypeDef>>& types) {
    std::vector<const CTypeDef*> list;
    list.reserve(types.size());
    for (const auto& type : types)
        list.push_back(type.get());
    Compute(list);
}

CTypeSizes::CTypeSizes(const std::vector<const CTypeDef*>& types) {
    Compute(types);
}

const CTypeSizes::Entry* CTypeSizes::Find(const CTypeDef* type) const {
    auto found = m_entries.find(type);
    return found == m_entries.end() ? nullptr : &found->second;
}

std::uint64_t CTypeSizes::TypeSize(const CTypeDef* type) const {
    const Entry* entry = Find(type);
    return entry ? entry->size : 0;
}

bool CTypeSizes::IsRecursive(const CTypeDef* owner, const CValDef& member) const {
    const Entry* own = Find(owner);
    const Entry* target = Find(member.GetType());
    return own && target && own->group == target->group;
}

std::uint64_t CTypeSizes::VarSize(const CValDef& variable, const CTypeDef* owner) const {
    if (owner && IsRecursive(owner, variable))
        return 0;
    return Times(TypeSize(variable.GetType()), variable);
}

// Tarjan's strongly connected components, walked with an explicit stack. A group is complete
// only after every group its members reach, so it can be sized at once.
void CTypeSizes::Compute(const std::vector<const CTypeDef*>& types) {
    for (const CTypeDef* type : types)
        m_entries[type];
    struct Visit {
        int order = -1;
        int low = 0;
        bool onStack = false;
    };
    std::unordered_map<const CTypeDef*, Visit> visits;
    std::vector<const CTypeDef*> stack;
    std::vector<std::pair<const CTypeDef*, std::size_t>> path; // type, next member
    int order = 0;
    int groups = 0;
    auto enter = [&](const CTypeDef* type) {
        visits[type] = {order, order, true};
        ++order;
        stack.push_back(type);
        path.emplace_back(type, 0);
    };
    for (const CTypeDef* root : types) {
        if (visits.count(root))
            continue;
        enter(root);
        while (!path.empty()) {
            const CTypeDef* type = path.back().first;
            const std::size_t next = path.back().second++;
            if (next < type->m_aMember.size()) {
                const CTypeDef* target = type->m_aMember[next]->GetType();
                if (!m_entries.count(target))
                    continue; // no type of the list: sized 0
                auto seen = visits.find(target);
                if (seen == visits.end())
                    enter(target);
                else if (seen->second.onStack)
                    visits[type].low = std::min(visits[type].low, seen->second.order);
                continue;
            }
            path.pop_back();
            const Visit done = visits[type];
            if (!path.empty()) {
                int& low = visits[path.back().first].low;
                low = std::min(low, done.low);
            }
            if (done.low != done.order)
                continue;
            std::vector<const CTypeDef*> group;
            do {
                group.push_back(stack.back());
                stack.pop_back();
                visits[group.back()].onStack = false;
            } while (group.back() != type);
            SizeGroup(group, groups++);
        }
    }
}

void CTypeSizes::SizeGroup(const std::vector<const CTypeDef*>& group, int index) {
    for (const CTypeDef* type : group)
        m_entries[type].group = index;
    for (const CTypeDef* type : group) {
        Entry& entry = m_entries[type];
        if (type->m_nKind == KIND_BASE && type->m_nTypeId >= 0 &&
            type->m_nTypeId < kBaseTypeCount) {
            entry.size = kBaseTypes[type->m_nTypeId].size;
            continue;
        }
        for (const auto& member : type->m_aMember)
            entry.size = Plus(entry.size, VarSize(*member, type));
    }
}
