// The names in use in a storage, compared as the engine compares them (ignoring case), so
// that a name found free never makes a create replace an element.
#pragma once

#include <set>
#include <string>

#include "element_name.h"
#include "ole_interfaces.h"

using TakenNames = std::set<std::u16string, ElementNameLess>;

TakenNames ListTakenNames(IStorage* storage);
