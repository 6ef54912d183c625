// Links the variables read from a file to the types of their list by the ids the file names.
// An id at or above the list's size that no type has becomes a nameless user type appended
// to the list under that id, so that later references to it find the same type. An id below
// the list's size that no type has (a damaged file holds one after such an append) and a
// negative id cannot be linked.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

class CTypeDef;
class CValDef;

class CTypeResolver {
public:
    // The list's types must carry their indexes as ids.
    explicit CTypeResolver(std::vector<std::unique_ptr<CTypeDef>>& types);

    // Gives variable the type with the id it was read with; false when none can be found.
    bool Resolve(CValDef& variable);

private:
    CTypeDef* Find(int id) const;

    std::vector<std::unique_ptr<CTypeDef>>& m_types;
    std::unordered_map<int, CTypeDef*> m_nameless; // by the id they were named with
};
