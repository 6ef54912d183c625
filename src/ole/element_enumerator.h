// IEnumSTATSTG over the elements of one storage, as they stood when it was made.
#pragma once

#include "element_node.h"

HRESULT CreateElementEnumerator(const ElementNode& storage, IEnumSTATSTG** ppenum);
