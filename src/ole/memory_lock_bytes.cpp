// A lock-bytes over a global memory block: the carrier of compound files in memory.
#include <algorithm>
#include <cstring>
#include <new>

#include "com_object.h"
#include "global_block.h"
#include "storage_api.h"

namespace {

class MemoryLockBytes final : public ComObject<ILockBytes> {
public:
    MemoryLockBytes(HGLOBAL block, bool deleteOnRelease)
        : m_block(block), m_deleteOnRelease(deleteOnRelease) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }

    HRESULT ReadAt(ULARGE_INTEGER ulOffset, void* pv, ULONG cb, ULONG* pcbRead) override {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        const auto& bytes = m_block->bytes;
        ULONG n = 0;
        if (ulOffset.QuadPart < bytes.size())
            n = static_cast<ULONG>(std::min<ULONGLONG>(cb, bytes.size() - ulOffset.QuadPart));
        if (n)
            std::memcpy(pv, bytes.data() + ulOffset.QuadPart, n);
        if (pcbRead)
            *pcbRead = n;
        return S_OK;
    }

    HRESULT WriteAt(ULARGE_INTEGER ulOffset, const void* pv, ULONG cb,
                    ULONG* pcbWritten) override {
        if (pcbWritten)
            *pcbWritten = 0;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        const ULONGLONG end = ulOffset.QuadPart + cb;
        if (end > m_block->bytes.size()) {
            HRESULT hr = Resize(end);
            if (FAILED(hr))
                return hr;
        }
        if (cb)
            std::memcpy(m_block->bytes.data() + ulOffset.QuadPart, pv, cb);
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }

    HRESULT Flush() override { return S_OK; }

    HRESULT SetSize(ULARGE_INTEGER cb) override { return Resize(cb.QuadPart); }

    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT Stat(STATSTG* pstatstg, DWORD) override {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_LOCKBYTES;
        pstatstg->cbSize.QuadPart = m_block->bytes.size();
        return S_OK;
    }

    HGLOBAL Block() const { return m_block; }

private:
    ~MemoryLockBytes() override {
        if (m_deleteOnRelease)
            GlobalFree(m_block);
    }

    HRESULT Resize(ULONGLONG size) {
        if (size > m_block->bytes.max_size())
            return STG_E_MEDIUMFULL;
        try {
            m_block->bytes.resize(size);
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }

    HGLOBAL m_block;
    bool m_deleteOnRelease;
};

} // namespace

HRESULT CreateILockBytesOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, ILockBytes** pplkbyt) {
    if (!pplkbyt)
        return E_INVALIDARG;
    *pplkbyt = nullptr;
    if (!hGlobal) {
        // As on the platform: a null handle asks for a new block.
        hGlobal = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (!hGlobal)
            return E_OUTOFMEMORY;
    }
    auto* lockBytes = new (std::nothrow) MemoryLockBytes(hGlobal, fDeleteOnRelease != FALSE);
    if (!lockBytes)
        return E_OUTOFMEMORY;
    *pplkbyt = lockBytes;
    return S_OK;
}

HRESULT GetHGlobalFromILockBytes(ILockBytes* plkbyt, HGLOBAL* phglobal) {
    if (!phglobal)
        return E_INVALIDARG;
    *phglobal = nullptr;
    auto* memory = dynamic_cast<MemoryLockBytes*>(plkbyt);
    if (!memory)
        return E_INVALIDARG;
    *phglobal = memory->Block();
    return S_OK;
}
