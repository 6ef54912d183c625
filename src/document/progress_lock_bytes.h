// A lock-bytes that shows how far the work on it has come. Copying a whole compound file
// reads it about once from front to back, and building one writes it about once, so the
// bytes read and written measure the work; once the user cancels, every further read and
// write fails and the copy stops.
#pragma once

#include "com_object.h"
#include "com_ptr.h"
#include "progress.h"

class ProgressLockBytes final : public ComObject<ILockBytes> {
public:
    // Holds its own reference to inner; progress must outlive it.
    ProgressLockBytes(ILockBytes* inner, CProgress& progress);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT ReadAt(ULARGE_INTEGER offset, void* pv, ULONG cb, ULONG* read) override;
    HRESULT WriteAt(ULARGE_INTEGER offset, const void* pv, ULONG cb, ULONG* written) override;
    HRESULT Flush() override;
    HRESULT SetSize(ULARGE_INTEGER cb) override;
    HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD type) override;
    HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD type) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;

private:
    ComPtr<ILockBytes> m_inner;
    CProgress& m_progress;
    ULONGLONG m_done = 0;

    HRESULT Count(HRESULT hr, ULONG bytes);
};
