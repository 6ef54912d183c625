// Element copy: every copy and move of elements, whether by the clipboard or by a drop, goes
// through a transfer image, a whole compound file in memory. A move copies first and deletes
// its source only once the copy is in place, so a failed paste loses nothing.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTreeWidgetItem>
#include <utility>
#include <vector>

#include "byte_array_lock_bytes.h"
#include "com_ptr.h"
#include "global_block.h"
#include "kestrin_doc.h"
#include "message_box.h"
#include "progress.h"
#include "progress_lock_bytes.h"
#include "report_stg_error.h"
#include "stg_folder.h"
#include "stg_operation.h"
#include "stg_tree_view.h"
#include "storage_api.h"
#include "structure_check.h"
#include "taken_names.h"
#include "transfer_mime_data.h"
#include "tree_messages.h"
#include "wait_cursor.h"

namespace {

constexpr DWORD kImageCreateMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kImageReadMode = STGM_READ | STGM_SHARE_EXCLUSIVE;

// The bytes of every stream below storage: how much a copy of it moves. The walk keeps its
// own list rather than recursing, so a deeply nested file cannot exhaust the stack; every
// storage stays open until the end, since releasing one would invalidate its children.
ULONGLONG SubtreeSize(IStorage* storage) {
    ULONGLONG total = 0;
    std::vector<ComPtr<IStorage>> opened;
    opened.push_back(ComPtr<IStorage>::Share(storage));
    for (std::size_t i = 0; i < opened.size(); ++i) {
        CStgFolder folder(opened[i].Get());
        BOOL more = folder.Fill();
        folder.Close();
        while (more) {
            more = folder.MoveNext();
            STATSTG stat{};
            folder.GetStat(&stat);
            total += stat.cbSize.QuadPart;
            if (!folder.IsStorage())
                continue;
            const std::u16string name = folder.GetName().toStdU16String();
            ComPtr<IStorage> child;
            if (SUCCEEDED(opened[i]->OpenStorage(name.c_str(), nullptr, kImageReadMode, nullptr, 0,
                                                 child.Put())))
                opened.push_back(std::move(child));
        }
    }
    return total;
}

HRESULT CopyStreamTo(IStream* source, IStream* dest, int* operation) {
    STATSTG stat{};
    HRESULT hr = source->Stat(&stat, STATFLAG_NONAME);
    *operation = STG_OP_STAT;
    if (SUCCEEDED(hr)) {
        *operation = STG_OP_COPYTO;
        hr = source->CopyTo(dest, stat.cbSize, nullptr, nullptr);
    }
    return hr;
}

// Copies the last entry of chain (a storage or stream element of item) into the image.
HRESULT CopyIntoImage(const ElementChain& chain, bool isRoot, bool isStorage, const QString& name,
                      IStorage* image, int* operation) {
    const std::u16string wide = name.toStdU16String();
    if (!isStorage) {
        ComPtr<IStream> dest;
        *operation = STG_OP_CREATESTREAM;
        HRESULT hr = image->CreateStream(wide.c_str(), kImageCreateMode, 0, 0, dest.Put());
        return SUCCEEDED(hr) ? CopyStreamTo(chain.GetLastStream(), dest.Get(), operation) : hr;
    }
    ComPtr<IStorage> dest;
    HRESULT hr = S_OK;
    if (isRoot) {
        dest = ComPtr<IStorage>::Share(image);
    } else {
        *operation = STG_OP_CREATESTORAGE;
        hr = image->CreateStorage(wide.c_str(), kImageCreateMode, 0, 0, dest.Put());
    }
    *operation = STG_OP_COPYTO;
    return SUCCEEDED(hr) ? chain.GetLastStorage()->CopyTo(0, nullptr, nullptr, dest.Get()) : hr;
}

// Room for the whole image at once: a block that grew by doubling would hold the old and the
// new copy of a large image side by side while it moves. The tables and the directory take
// about one part in 64 beyond the streams' bytes.
void ReserveImage(HGLOBAL block, ULONGLONG streamBytes) {
    try {
        block->bytes.reserve(streamBytes + streamBytes / 64 + 65536);
    } catch (const std::exception&) {
        // Too large to reserve at once: the block grows as it is written, or the copy fails.
    }
}

// A failure is told unless the user cancelled: then the user knows already.
void ReportUnlessCancelled(const CProgress& progress, HRESULT hr, int operation) {
    if (!progress.IsCancelled())
        ReportStgError(hr, operation);
}

// Data that claims to be a transfer image is checked like any file before it is opened.
bool IsSoundImage(ILockBytes* bytes) {
    for (const StructureFault& fault : CheckStructure(bytes))
        if (!fault.warning)
            return false;
    return true;
}

struct ImageElement {
    QString name;
    bool isStorage;
};

std::vector<ImageElement> ListImage(IStorage* image) {
    std::vector<ImageElement> elements;
    CStgFolder folder(image);
    BOOL more = folder.Fill();
    folder.Close();
    while (more) {
        more = folder.MoveNext();
        elements.push_back({folder.GetName(), folder.IsStorage() != FALSE});
    }
    return elements;
}

// The name an element of the image takes where taken names are in use: its own, a free copy
// name, or for a move the same name once the user agrees to replace; empty when not.
QString TargetName(const TakenNames& taken, const QString& name, DROPEFFECT mode) {
    if (!taken.count(name.toStdU16String()))
        return name;
    if (mode == DROPEFFECT_MOVE)
        return AfxMessageBox(QString::fromUtf16(kMsgOverwrite), MB_YESNO) == IDYES ? name
                                                                                   : QString();
    QString candidate = QString::fromUtf16(kCopyPrefix) + name;
    for (int n = 1; taken.count(candidate.toStdU16String()); ++n)
        candidate = QString::fromUtf16(kCopyPrefixNumbered).arg(n) + name;
    return candidate;
}

// Whether the element name in target's storage holds item (or is it): a move that replaces
// that element has taken its own source with it.
bool HoldsItem(QTreeWidgetItem* target, const QString& name, QTreeWidgetItem* item) {
    for (; item && item->parent(); item = item->parent())
        if (item->parent() == target)
            return CompareElementNames(item->text(0).toStdU16String(), name.toStdU16String()) == 0;
    return false;
}

// Copies the image's element name into dest as newName.
HRESULT PasteElement(IStorage* image, IStorage* dest, const QString& name, bool isStorage,
                     const QString& newName, int* operation) {
    const std::u16string from = name.toStdU16String();
    const std::u16string to = newName.toStdU16String();
    HRESULT hr;
    if (isStorage) {
        ComPtr<IStorage> created;
        ComPtr<IStorage> source;
        *operation = STG_OP_CREATESTORAGE;
        hr = dest->CreateStorage(to.c_str(), kImageCreateMode, 0, 0, created.Put());
        if (SUCCEEDED(hr)) {
            *operation = STG_OP_OPENSTORAGE;
            hr =
                image->OpenStorage(from.c_str(), nullptr, kImageReadMode, nullptr, 0, source.Put());
        }
        if (SUCCEEDED(hr)) {
            *operation = STG_OP_COPYTO;
            hr = source->CopyTo(0, nullptr, nullptr, created.Get());
        }
        if (SUCCEEDED(hr))
            hr = created->Commit(STGC_OVERWRITE);
    } else {
        ComPtr<IStream> created;
        ComPtr<IStream> source;
        *operation = STG_OP_CREATESTREAM;
        hr = dest->CreateStream(to.c_str(), kImageCreateMode, 0, 0, created.Put());
        if (SUCCEEDED(hr)) {
            *operation = STG_OP_OPENSTREAM;
            hr = image->OpenStream(from.c_str(), nullptr, kImageReadMode, 0, source.Put());
        }
        if (SUCCEEDED(hr))
            hr = CopyStreamTo(source.Get(), created.Get(), operation);
    }
    return hr;
}

} // namespace

HGLOBAL CStgTreeView::MakeTransferImage(QTreeWidgetItem* item, int kind) {
    CKestrinDoc* doc = GetDocument();
    if (!doc || (kind != ImageStorage && kind != ImageStream))
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, 256);
    if (!block)
        return nullptr;
    const bool isStorage = kind == ImageStorage;
    doc->Lock();
    std::unique_ptr<ElementChain> chain =
        isStorage ? OpenStorageChain(item) : OpenStreamChain(item);
    HRESULT hr = E_FAIL;
    if (chain && chain->GetLast()) {
        ULONGLONG total = 0;
        if (isStorage) {
            total = SubtreeSize(chain->GetLastStorage());
        } else {
            STATSTG stat{};
            chain->GetLastStream()->Stat(&stat, STATFLAG_NONAME);
            total = stat.cbSize.QuadPart;
        }
        ReserveImage(block, total);
        CProgress progress(QString::fromUtf16(kTextTransfer), static_cast<qint64>(total));
        ComPtr<ILockBytes> memory;
        ComPtr<ILockBytes> counted;
        ComPtr<IStorage> image;
        int operation = STG_OP_STGCREATEDOCFILE;
        hr = CreateILockBytesOnHGlobal(block, FALSE, memory.Put());
        if (SUCCEEDED(hr)) {
            *counted.Put() = new ProgressLockBytes(memory.Get(), progress);
            hr = StgCreateDocfileOnILockBytes(counted.Get(), kImageCreateMode, 0, image.Put());
        }
        if (SUCCEEDED(hr))
            hr = CopyIntoImage(*chain, item == GetRootItem(), isStorage, item->text(0), image.Get(),
                               &operation);
        // Releasing the image storage writes the rest of the compound file into the block.
        image.Reset();
        if (FAILED(hr))
            ReportUnlessCancelled(progress, hr, operation);
    }
    if (isStorage)
        ReleaseStorageChain(std::move(chain));
    else
        ReleaseStreamChain(std::move(chain));
    if (SUCCEEDED(hr))
        return block;
    GlobalFree(block);
    return nullptr;
}

BOOL CStgTreeView::PasteTransferImage(const QByteArray& bytes, QTreeWidgetItem* target,
                                      DROPEFFECT mode) {
    CKestrinDoc* doc = GetDocument();
    if (!doc || ImageOf(target) != ImageStorage)
        return FALSE;
    ComPtr<ILockBytes> raw;
    *raw.Put() = new ByteArrayLockBytes(bytes);
    if (!IsSoundImage(raw.Get())) {
        ReportStgError(STG_E_DOCFILECORRUPT, STG_OP_STGOPENSTORAGE);
        return FALSE;
    }
    CProgress progress(QString::fromUtf16(kTextTransfer), bytes.size());
    ComPtr<ILockBytes> counted;
    *counted.Put() = new ProgressLockBytes(raw.Get(), progress);
    ComPtr<IStorage> image;
    HRESULT hr =
        StgOpenStorageOnILockBytes(counted.Get(), nullptr, kImageReadMode, nullptr, 0, image.Put());
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_STGOPENSTORAGE);
        return FALSE;
    }
    const std::vector<ImageElement> elements = ListImage(image.Get());
    if (elements.empty())
        return FALSE;
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStorageChain(target);
    if (!chain)
        return FALSE;
    IStorage* dest = chain->GetLastStorage();
    bool whole = dest != nullptr;
    bool pasted = false;
    bool sourceReplaced = false;
    TakenNames taken = whole ? ListTakenNames(dest) : TakenNames{};
    for (const ImageElement& element : elements) {
        if (!whole)
            break;
        const QString newName = TargetName(taken, element.name, mode);
        if (newName.isEmpty()) {
            whole = false;
            break;
        }
        sourceReplaced = sourceReplaced || (taken.count(newName.toStdU16String()) &&
                                            HoldsItem(target, newName, m_hDragItem));
        int operation = STG_OP_GENERIC;
        hr = PasteElement(image.Get(), dest, element.name, element.isStorage, newName, &operation);
        if (FAILED(hr)) {
            // A half-made copy is no copy: it goes again.
            dest->DestroyElement(newName.toStdU16String().c_str());
            ReportUnlessCancelled(progress, hr, operation);
            whole = false;
        } else {
            taken.insert(newName.toStdU16String());
            pasted = true;
        }
    }
    image.Reset();
    ReleaseStorageChain(std::move(chain));
    QTreeWidgetItem* source = std::exchange(m_hDragItem, nullptr);
    if (whole && mode == DROPEFFECT_MOVE && source && !sourceReplaced)
        DeleteElement(source);
    if (pasted) {
        Refresh();
        ElementsChanged();
        doc->UpdateAllViews(this);
    }
    return whole ? TRUE : FALSE;
}

BOOL CStgTreeView::PasteFrom(QTreeWidgetItem* target, DROPEFFECT mode, const QMimeData* data) {
    WaitCursor wait;
    if (!data)
        data = QGuiApplication::clipboard()->mimeData();
    const QString type = QString::fromLatin1(kElementMimeType);
    if (!data || !data->hasFormat(type)) {
        SetDropHilite(nullptr);
        return FALSE;
    }
    PasteTransferImage(data->data(type), target, mode);
    SetDropHilite(nullptr);
    return TRUE;
}
