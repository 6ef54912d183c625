// Global memory blocks and task memory.
#include <cstdlib>
#include <cstring>
#include <new>

#include "global_block.h"
#include "storage_api.h"

void* CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

void CoTaskMemFree(void* pv) { std::free(pv); }

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    auto* block = new (std::nothrow) GlobalBlock;
    if (!block)
        return nullptr;
    try {
        // Growth writes zeros anyway; GMEM_ZEROINIT is thus always honoured.
        (void)uFlags;
        block->bytes.resize(dwBytes);
    } catch (const std::bad_alloc&) {
        delete block;
        return nullptr;
    }
    return block;
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
    (void)uFlags;
    if (!hMem)
        return nullptr;
    try {
        hMem->bytes.resize(dwBytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return hMem;
}

SIZE_T GlobalSize(HGLOBAL hMem) { return hMem ? hMem->bytes.size() : 0; }

void* GlobalLock(HGLOBAL hMem) {
    if (!hMem)
        return nullptr;
    ++hMem->locks;
    return hMem->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL hMem) {
    if (!hMem || hMem->locks == 0)
        return FALSE;
    return --hMem->locks > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
    delete hMem;
    return nullptr;
}
