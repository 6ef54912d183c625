#include "stream_object.h"

#include <algorithm>
#include <new>
#include <vector>

#include "com_object.h"
#include "element_stat.h"
#include "file_image.h"
#include "storage_mode.h"
#include "storage_object.h"

namespace {

// A version-3 file may not grow past 2 GiB, so neither may any stream in it.
constexpr ULONGLONG kVersion3Limit = 0x7FFFFFFFULL;

class StreamObject final : public ComObject<IStream> {
public:
    StreamObject(StorageObject* parent, NodePtr node, DWORD mode, bool clone)
        : m_parent(parent), m_node(std::move(node)), m_mode(mode), m_clone(clone) {
        m_parent->HoldInternal();
        if (!m_clone)
            m_node->open = true;
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_IStream, IID_ISequentialStream});
    }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pcbRead)
            *pcbRead = 0;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        if (!IsValid())
            return STG_E_REVERTED;
        const ULONGLONG size = Size();
        const ULONG n =
            m_position < size ? static_cast<ULONG>(std::min<ULONGLONG>(cb, size - m_position)) : 0;
        if (n) {
            HRESULT hr = m_node->content->Read(m_position, pv, n);
            if (FAILED(hr))
                return hr;
        }
        m_position += n;
        if (pcbRead)
            *pcbRead = n;
        return S_OK;
    }

    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten)
            *pcbWritten = 0;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        HRESULT hr = CheckWrite(m_position + cb);
        if (FAILED(hr) || cb == 0)
            return hr;
        hr = m_node->MutableContent().Write(m_position, pv, cb, m_parent->Image());
        if (FAILED(hr))
            return hr;
        m_position += cb;
        m_parent->MarkChanged();
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
        if (!IsValid())
            return STG_E_REVERTED;
        LONGLONG base = 0;
        switch (dwOrigin) {
        case STREAM_SEEK_SET:
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<LONGLONG>(m_position);
            break;
        case STREAM_SEEK_END:
            base = static_cast<LONGLONG>(Size());
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        LONGLONG target = 0;
        if (__builtin_add_overflow(base, dlibMove.QuadPart, &target) || target < 0)
            return STG_E_INVALIDFUNCTION;
        m_position = static_cast<ULONGLONG>(target);
        if (plibNewPosition)
            plibNewPosition->QuadPart = m_position;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
        HRESULT hr = CheckWrite(libNewSize.QuadPart);
        if (FAILED(hr) || libNewSize.QuadPart == Size())
            return hr;
        hr = m_node->MutableContent().SetSize(libNewSize.QuadPart);
        if (SUCCEEDED(hr))
            m_parent->MarkChanged();
        return hr;
    }

    HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                   ULARGE_INTEGER* pcbWritten) override {
        if (pcbRead)
            pcbRead->QuadPart = 0;
        if (pcbWritten)
            pcbWritten->QuadPart = 0;
        if (!pstm)
            return STG_E_INVALIDPOINTER;
        if (!IsValid())
            return STG_E_REVERTED;
        const ULONGLONG size = Size();
        ULONGLONG left =
            m_position < size ? std::min<ULONGLONG>(cb.QuadPart, size - m_position) : 0;
        std::vector<std::uint8_t> buffer;
        try {
            buffer.resize(static_cast<std::size_t>(std::min<ULONGLONG>(left, 1 << 20)));
        } catch (const std::bad_alloc&) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        while (left > 0) {
            const ULONG n = static_cast<ULONG>(std::min<ULONGLONG>(left, buffer.size()));
            HRESULT hr = m_node->content->Read(m_position, buffer.data(), n);
            if (FAILED(hr))
                return hr;
            m_position += n;
            if (pcbRead)
                pcbRead->QuadPart += n;
            ULONG written = 0;
            hr = pstm->Write(buffer.data(), n, &written);
            if (pcbWritten)
                pcbWritten->QuadPart += written;
            if (FAILED(hr))
                return hr;
            left -= n;
        }
        return S_OK;
    }

    HRESULT Commit(DWORD grfCommitFlags) override {
        if (grfCommitFlags & ~DWORD{0xF})
            return STG_E_INVALIDFLAG;
        return IsValid() ? S_OK : STG_E_REVERTED;
    }

    HRESULT Revert() override { return IsValid() ? S_OK : STG_E_REVERTED; }

    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) override {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        if (!IsValid())
            return STG_E_REVERTED;
        return FillElementStat(*m_node, m_mode, grfStatFlag, pstatstg);
    }

    HRESULT Clone(IStream** ppstm) override {
        if (!ppstm)
            return STG_E_INVALIDPOINTER;
        *ppstm = nullptr;
        if (!IsValid())
            return STG_E_REVERTED;
        auto* clone = new (std::nothrow) StreamObject(m_parent, m_node, m_mode, true);
        if (!clone)
            return STG_E_INSUFFICIENTMEMORY;
        clone->m_position = m_position;
        *ppstm = clone;
        return S_OK;
    }

private:
    ~StreamObject() override {
        if (!m_clone)
            m_node->open = false;
        m_parent->DropInternal();
    }

    bool IsValid() const { return !m_node->reverted && m_parent->IsValid(); }
    ULONGLONG Size() const { return m_node->content ? m_node->content->Size() : 0; }

    HRESULT CheckWrite(ULONGLONG newSize) const {
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!ModeWrites(m_mode))
            return STG_E_ACCESSDENIED;
        if (HRESULT hr = m_parent->CheckWritable(); FAILED(hr))
            return hr;
        if (newSize > kVersion3Limit && m_parent->Image()->MajorVersion() == 3)
            return STG_E_DOCFILETOOLARGE;
        return S_OK;
    }

    StorageObject* m_parent;
    NodePtr m_node;
    DWORD m_mode;
    bool m_clone;
    ULONGLONG m_position = 0;
};

} // namespace

HRESULT CreateStreamObject(StorageObject* parent, NodePtr node, DWORD mode, IStream** ppstm) {
    auto* stream = new (std::nothrow) StreamObject(parent, std::move(node), mode, false);
    if (!stream)
        return STG_E_INSUFFICIENTMEMORY;
    *ppstm = stream;
    return S_OK;
}
