// Element access by tree position: chains opened from the root down an item's ancestors,
// released with their commits, and the operations on the current stream.
#include "kestrin_doc.h"
#include "progress.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "stg_tree_view.h"
#include "tree_messages.h"
#include "zero_fill.h"

namespace {

constexpr DWORD kStorageMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED;
constexpr DWORD kStreamMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

} // namespace

bool CStgTreeView::CommitsRoot() const {
    // Until the document has a file of its own, its root is committed with every chain:
    // saving copies what the root holds.
    CKestrinDoc* doc = GetDocument();
    return doc && doc->GetPathName().isEmpty();
}

std::unique_ptr<ElementChain> CStgTreeView::OpenStorageChain(QTreeWidgetItem* item) {
    if (!item) {
        if (CKestrinDoc* doc = GetDocument())
            doc->Unlock();
        return nullptr;
    }
    if (item == GetRootItem()) {
        auto chain = std::make_unique<ElementChain>();
        if (m_pRootStorage)
            m_pRootStorage->AddRef();
        chain->Append(m_pRootStorage);
        return chain;
    }
    std::unique_ptr<ElementChain> chain = OpenParentChain(item->parent());
    if (!chain)
        return nullptr;
    const std::u16string name = item->text(0).toStdU16String();
    IStorage* storage = nullptr;
    const HRESULT hr = chain->GetLastStorage()->OpenStorage(name.c_str(), nullptr, kStorageMode,
                                                            nullptr, 0, &storage);
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_OPENSTORAGE);
        storage = nullptr;
    }
    chain->Append(storage);
    return chain;
}

std::unique_ptr<ElementChain> CStgTreeView::OpenStreamChain(QTreeWidgetItem* item) {
    std::unique_ptr<ElementChain> chain = OpenParentChain(item ? item->parent() : nullptr);
    if (!chain)
        return nullptr;
    const std::u16string name = item->text(0).toStdU16String();
    IStream* stream = nullptr;
    const HRESULT hr =
        chain->GetLastStorage()->OpenStream(name.c_str(), nullptr, kStreamMode, 0, &stream);
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_OPENSTREAM);
        stream = nullptr;
    }
    chain->Append(stream);
    return chain;
}

// The chain down to parent, when parent itself could be opened; else nothing stays open.
std::unique_ptr<ElementChain> CStgTreeView::OpenParentChain(QTreeWidgetItem* parent) {
    std::unique_ptr<ElementChain> chain = OpenStorageChain(parent);
    if (chain && !chain->GetLast()) {
        ReleaseStorageChain(std::move(chain));
        return nullptr;
    }
    return chain;
}

void CStgTreeView::ReleaseStorageChain(std::unique_ptr<ElementChain> chain) {
    if (!chain)
        return;
    const bool commitRoot = CommitsRoot();
    for (std::size_t i = chain->GetSize(); i-- > 0;) {
        IStorage* storage = chain->GetStorage(i);
        if (!storage)
            continue;
        if (i > 0 || commitRoot)
            storage->Commit(STGC_OVERWRITE);
        storage->Release();
    }
    if (CKestrinDoc* doc = GetDocument())
        doc->Unlock();
}

void CStgTreeView::ReleaseStreamChain(std::unique_ptr<ElementChain> chain) {
    if (!chain)
        return;
    if (!chain->IsEmpty()) {
        if (IStream* stream = chain->GetLastStream()) {
            stream->Commit(STGC_OVERWRITE);
            stream->Release();
        }
        chain->RemoveLast();
    }
    ReleaseStorageChain(std::move(chain));
}

std::unique_ptr<ElementChain> CStgTreeView::OpenCurrentElement(BOOL* isStorage) {
    CKestrinDoc* doc = GetDocument();
    std::unique_ptr<ElementChain> chain;
    const int image = ImageOf(m_hCurItem);
    m_bCurValid = (image == ImageStorage || image == ImageStream) && doc;
    if (m_bCurValid) {
        m_bCurIsStorage = image == ImageStorage;
        doc->Lock();
        chain = m_bCurIsStorage ? OpenStorageChain(m_hCurItem) : OpenStreamChain(m_hCurItem);
    }
    if (isStorage)
        *isStorage = m_bCurIsStorage;
    if (doc)
        doc->SetCurIsStorage(m_bCurIsStorage);
    return chain;
}

QString CStgTreeView::GetCurrentName() const {
    return m_hCurItem ? m_hCurItem->text(0) : QString();
}

ULARGE_INTEGER CStgTreeView::GetCurrentStreamSize() {
    ULARGE_INTEGER size{};
    CKestrinDoc* doc = GetDocument();
    if (!doc)
        return size;
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStreamChain(m_hCurItem);
    if (chain && chain->GetLast()) {
        STATSTG stat{};
        const HRESULT hr = chain->GetLastStream()->Stat(&stat, STATFLAG_NONAME);
        if (FAILED(hr))
            ReportStgError(hr, STG_OP_STAT);
        else
            size = stat.cbSize;
    }
    ReleaseStreamChain(std::move(chain));
    return size;
}

bool CStgTreeView::ResizeCurrentStream(ULARGE_INTEGER newSize) {
    CKestrinDoc* doc = GetDocument();
    if (!doc)
        return false;
    const ULARGE_INTEGER current = GetCurrentStreamSize();
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStreamChain(m_hCurItem);
    bool resized = false;
    if (chain && chain->GetLast()) {
        IStream* stream = chain->GetLastStream();
        if (newSize.QuadPart <= current.QuadPart) {
            const HRESULT hr = stream->SetSize(newSize);
            resized = SUCCEEDED(hr);
            if (!resized)
                ReportStgError(hr, STG_OP_GENERIC);
        } else {
            resized = GrowWithZeros(stream, current.QuadPart, newSize.QuadPart);
        }
    }
    ReleaseStreamChain(std::move(chain));
    if (resized) {
        doc->UpdateAllViews(this);
        doc->SetModifiedFlag(true);
    }
    return resized;
}

// Asks for the whole size first, so that a size the file cannot hold is refused before
// anything changes; then writes the zeros, which for gigabytes shows a progress the user may
// cancel. A failed or cancelled write leaves the stream at its old size; only a failure is
// reported.
bool CStgTreeView::GrowWithZeros(IStream* stream, ULONGLONG from, ULONGLONG to) {
    ULARGE_INTEGER size;
    size.QuadPart = to;
    HRESULT hr = stream->SetSize(size);
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_GENERIC);
        return false;
    }
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(from);
    hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    int operation = STG_OP_SEEK;
    if (SUCCEEDED(hr)) {
        operation = STG_OP_GENERIC;
        CProgress progress(QString::fromUtf16(kTextGrowStream), static_cast<qint64>(to - from));
        hr = WriteZeros(stream, to - from, &progress);
    }
    if (SUCCEEDED(hr))
        return true;
    if (hr != E_ABORT)
        ReportStgError(hr, operation);
    size.QuadPart = from;
    stream->SetSize(size);
    return false;
}

ULONG CStgTreeView::WriteCurrentStream(ULARGE_INTEGER offset, const BYTE* data, ULONG count) {
    CKestrinDoc* doc = GetDocument();
    if (m_bCurIsStorage || !m_bCurValid || !doc)
        return 0;
    const ULARGE_INTEGER size = GetCurrentStreamSize();
    if (offset.QuadPart > size.QuadPart && !ResizeCurrentStream(offset))
        return 0;
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStreamChain(m_hCurItem);
    ULONG written = 0;
    if (chain && chain->GetLast()) {
        IStream* stream = chain->GetLastStream();
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset.QuadPart);
        HRESULT hr = stream->Seek(position, STREAM_SEEK_SET, nullptr);
        if (FAILED(hr))
            ReportStgError(hr, STG_OP_SEEK);
        else if (hr = stream->Write(data, count, &written); FAILED(hr))
            ReportStgError(hr, STG_OP_GENERIC);
        else
            stream->Commit(STGC_OVERWRITE);
    }
    ReleaseStreamChain(std::move(chain));
    if (written > 0) {
        doc->UpdateAllViews(this);
        doc->SetModifiedFlag(true);
    }
    return written;
}
