// Helpers shared by the fuzz targets and the seed generator: owned interface pointers and
// compound files held in memory blocks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "com_ptr.h"
#include "storage_api.h"
#include "structure_check.h"

// ComPtr with the address-of and get() spelling these sources were written in.
template <class T> class Ptr : public ComPtr<T> {
public:
    // For out-parameters: whatever was held is released first.
    T** operator&() { return this->Put(); }
    T* get() const { return this->Get(); }
};

using Bytes = std::vector<std::uint8_t>;

// A lock-bytes over a copy of `data`; the block goes away with the lock-bytes.
inline HRESULT LockBytesWith(const std::uint8_t* data, std::size_t size, ILockBytes** out) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return E_OUTOFMEMORY;
    if (size)
        std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    HRESULT hr = CreateILockBytesOnHGlobal(block, TRUE, out);
    if (FAILED(hr))
        GlobalFree(block);
    return hr;
}

// The bytes a memory lock-bytes holds now.
inline Bytes BytesOf(ILockBytes* bytes) {
    HGLOBAL block = nullptr;
    if (FAILED(GetHGlobalFromILockBytes(bytes, &block)))
        return {};
    const auto* p = static_cast<const std::uint8_t*>(GlobalLock(block));
    Bytes copy(p, p + GlobalSize(block));
    GlobalUnlock(block);
    return copy;
}

// Faults that are not mere warnings; zero for a file the engine wrote.
inline std::size_t SeriousFaults(ILockBytes* bytes, bool print) {
    std::size_t serious = 0;
    for (const auto& fault : CheckStructure(bytes)) {
        if (fault.warning)
            continue;
        ++serious;
        if (print)
            std::fprintf(stderr, "fault %s: %s\n", fault.name.c_str(), fault.detail.c_str());
    }
    return serious;
}

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", what);
    std::abort();
}
