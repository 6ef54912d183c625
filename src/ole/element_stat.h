// STATSTG records of elements, as Stat and the element enumerator hand them out.
#pragma once

#include <string_view>

#include "element_node.h"

// A copy of the name in task memory (freed by the receiver with CoTaskMemFree); null when
// memory runs out.
LPOLESTR CopyToTaskMemory(std::u16string_view text);

// Fills *out for the node; the name is left null with STATFLAG_NONAME.
HRESULT FillElementStat(const ElementNode& node, DWORD mode, DWORD grfStatFlag, STATSTG* out);
