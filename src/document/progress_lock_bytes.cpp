#include "progress_lock_bytes.h"

ProgressLockBytes::ProgressLockBytes(ILockBytes* inner, CProgress& progress)
    : m_inner(ComPtr<ILockBytes>::Share(inner)), m_progress(progress) {}

HRESULT ProgressLockBytes::QueryInterface(REFIID riid, void** ppv) {
    return AnswerInterface(riid, ppv, {IID_ILockBytes});
}

HRESULT ProgressLockBytes::ReadAt(ULARGE_INTEGER offset, void* pv, ULONG cb, ULONG* read) {
    if (m_progress.IsCancelled())
        return STG_E_ABNORMALAPIEXIT;
    ULONG got = 0;
    const HRESULT hr = m_inner->ReadAt(offset, pv, cb, &got);
    if (read)
        *read = got;
    return Count(hr, got);
}

HRESULT ProgressLockBytes::WriteAt(ULARGE_INTEGER offset, const void* pv, ULONG cb,
                                   ULONG* written) {
    if (m_progress.IsCancelled())
        return STG_E_ABNORMALAPIEXIT;
    ULONG put = 0;
    const HRESULT hr = m_inner->WriteAt(offset, pv, cb, &put);
    if (written)
        *written = put;
    return Count(hr, put);
}

HRESULT ProgressLockBytes::Count(HRESULT hr, ULONG bytes) {
    m_done += bytes;
    m_progress.SetValue(static_cast<qint64>(m_done));
    return hr;
}

HRESULT ProgressLockBytes::Flush() {
    return m_inner->Flush();
}

HRESULT ProgressLockBytes::SetSize(ULARGE_INTEGER cb) {
    return m_inner->SetSize(cb);
}

HRESULT ProgressLockBytes::LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD type) {
    return m_inner->LockRegion(offset, cb, type);
}

HRESULT ProgressLockBytes::UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD type) {
    return m_inner->UnlockRegion(offset, cb, type);
}

HRESULT ProgressLockBytes::Stat(STATSTG* stat, DWORD flags) {
    return m_inner->Stat(stat, flags);
}
