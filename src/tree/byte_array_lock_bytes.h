// A read-only lock-bytes over bytes held by Qt: a transfer image as the clipboard or a drop
// hands it over is opened where it lies, without a copy into a global memory block.
#pragma once

#include <QByteArray>

#include "com_object.h"

class ByteArrayLockBytes final : public ComObject<ILockBytes> {
public:
    // Shares bytes (no copy); writing is refused.
    explicit ByteArrayLockBytes(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT ReadAt(ULARGE_INTEGER offset, void* pv, ULONG cb, ULONG* read) override;
    HRESULT WriteAt(ULARGE_INTEGER offset, const void* pv, ULONG cb, ULONG* written) override;
    HRESULT Flush() override { return S_OK; }
    HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Stat(STATSTG* stat, DWORD flags) override;

private:
    const QByteArray m_bytes;
};
