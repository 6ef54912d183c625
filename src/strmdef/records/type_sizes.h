// The byte sizes of the types of one type list: a base type's size is fixed; a struct is the
// sum of its members and a define the size of its one member, each member its type's size
// times its count when it is an array, with no padding. A pointer member is sized as the
// type it points to.
//
// A type can contain itself through pointer members (a damaged file even by value), which
// would make its size endless. A member that leads back to the type holding it, directly or
// through other types, is recursive: it is sized 0 and is not to be expanded. The sizes are
// computed once for the whole list, each type once, without recursion, so neither a deep
// chain of types nor types sharing members take more than linear time.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class CTypeDef;
class CValDef;

class CTypeSizes {
public:
    explicit CTypeSizes(const std::vector<std::unique_ptr<CTypeDef>>& types);
    // The types need not be owned by a list: a view sizes the types its variables reach.
    explicit CTypeSizes(const std::vector<const CTypeDef*>& types);

    // 0 for a type not in the list. Sizes too large for 64 bits stay at the largest value.
    std::uint64_t TypeSize(const CTypeDef* type) const;
    // The bytes a variable takes: its type's size, times its count when it is an array; 0
    // for a recursive member of owner (null for a layout variable).
    std::uint64_t VarSize(const CValDef& variable, const CTypeDef* owner = nullptr) const;
    // Whether member of owner leads back to owner through the members of its type.
    bool IsRecursive(const CTypeDef* owner, const CValDef& member) const;

private:
    struct Entry {
        std::uint64_t size = 0;
        int group = -1; // types in one group reach each other through their members
    };

    void Compute(const std::vector<const CTypeDef*>& types);
    void SizeGroup(const std::vector<const CTypeDef*>& group, int index);
    const Entry* Find(const CTypeDef* type) const;

    std::unordered_map<const CTypeDef*, Entry> m_entries;
};
