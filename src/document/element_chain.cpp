#include "element_chain.h"

void ElementChain::ReleaseAll() {
    for (IUnknown* entry : m_entries)
        if (entry)
            entry->Release();
    m_entries.clear();
}
