// A type list: the 19 base types at their ids, then the user types, each owned by the list.
// Variables and members name types of their own list only.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class CTypeDef;

using TypeList = std::vector<std::unique_ptr<CTypeDef>>;

// Appends the base types with ids 0 to 18 to an empty list.
void AppendBaseTypes(TypeList& types);
// Destroys the types from index first on, all their members before any of them, so that no
// member outlives a type it names. Nothing outside them may name the types destroyed.
void DestroyTypes(TypeList& types, std::size_t first = 0);
