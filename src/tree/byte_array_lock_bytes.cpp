#include "byte_array_lock_bytes.h"

#include <algorithm>
#include <cstring>

HRESULT ByteArrayLockBytes::QueryInterface(REFIID riid, void** ppv) {
    return AnswerInterface(riid, ppv, {IID_ILockBytes});
}

HRESULT ByteArrayLockBytes::ReadAt(ULARGE_INTEGER offset, void* pv, ULONG cb, ULONG* read) {
    if (!pv && cb)
        return STG_E_INVALIDPOINTER;
    const auto size = static_cast<ULONGLONG>(m_bytes.size());
    ULONG n = 0;
    if (offset.QuadPart < size)
        n = static_cast<ULONG>(std::min<ULONGLONG>(cb, size - offset.QuadPart));
    if (n)
        std::memcpy(pv, m_bytes.constData() + offset.QuadPart, n);
    if (read)
        *read = n;
    return S_OK;
}

HRESULT ByteArrayLockBytes::WriteAt(ULARGE_INTEGER, const void*, ULONG, ULONG* written) {
    if (written)
        *written = 0;
    return STG_E_ACCESSDENIED;
}

HRESULT ByteArrayLockBytes::Stat(STATSTG* stat, DWORD) {
    if (!stat)
        return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_LOCKBYTES;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(m_bytes.size());
    return S_OK;
}
