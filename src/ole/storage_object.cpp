#include "storage_object.h"

#include <new>
#include <vector>

#include "element_enumerator.h"
#include "element_stat.h"
#include "file_image.h"
#include "storage_mode.h"
#include "stream_object.h"

namespace {

bool IsExcluded(SNB names, const std::u16string& name) {
    for (SNB p = names; p && *p; ++p)
        if (CompareElementNames(*p, name) == 0)
            return true;
    return false;
}

// Copies the elements of `from` into `into`: streams replace streams of the same name,
// storages merge into storages of the same name, anything else is replaced. The source is
// copied whole first: `into` may hold it (a copy into an ancestor), and merging changes it.
HRESULT MergeInto(const ElementNode& from, ElementNode& into, const FileImage* image,
                  bool skipStorages, bool skipStreams, SNB exclude) {
    NodePtr copy;
    HRESULT hr = CopySubtree(from, image, &copy);
    if (FAILED(hr))
        return hr;
    try {
        std::vector<std::pair<ElementNode*, ElementNode*>> pending{{copy.get(), &into}};
        bool top = true;
        while (!pending.empty()) {
            auto [source, target] = pending.back();
            pending.pop_back();
            for (auto& [name, child] : source->children) {
                if (top && ((child->IsStorage() ? skipStorages : skipStreams) ||
                            IsExcluded(exclude, name)))
                    continue;
                auto existing = target->children.find(name);
                if (existing != target->children.end() && child->IsStorage() &&
                    existing->second->IsStorage()) {
                    pending.emplace_back(child.get(), existing->second.get());
                    continue;
                }
                if (existing != target->children.end()) {
                    MarkReverted(*existing->second);
                    target->children.erase(existing);
                }
                target->children.emplace(name, child);
            }
            top = false;
        }
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

} // namespace

StorageObject::StorageObject(StorageObject* parent, NodePtr source, NodePtr node, DWORD mode)
    : m_parent(parent), m_source(std::move(source)), m_node(std::move(node)), m_mode(mode) {
    if (m_parent)
        m_parent->HoldInternal();
    if (m_source)
        m_source->open = true;
}

StorageObject::~StorageObject() {
    if (m_parent)
        m_parent->DropInternal();
}

HRESULT StorageObject::OpenRoot(std::shared_ptr<FileImage> image, DWORD mode, IStorage** root) {
    NodePtr tree;
    HRESULT hr = image->LoadTree(&tree);
    if (FAILED(hr))
        return hr;
    auto* object = new (std::nothrow) StorageObject(nullptr, nullptr, std::move(tree), mode);
    if (!object)
        return STG_E_INSUFFICIENTMEMORY;
    object->m_image = std::move(image);
    *root = object;
    return S_OK;
}

void StorageObject::OnFinalRelease() {
    if (!m_parent && !(m_mode & STGM_TRANSACTED) && IsValid())
        CommitRoot(); // a direct root is written out when it is let go
    if (m_source)
        m_source->open = false;
    // Whatever this transaction held and did not commit is gone, and so is everything
    // opened through this storage. With nothing opened through it alive, nobody sees its
    // nodes again: they go with this object, unmarked.
    if (IsTransacted() && m_internalRefs > 0)
        MarkReverted(*m_node);
    m_released = true;
    if (m_internalRefs == 0)
        delete this;
}

void StorageObject::DropInternal() {
    if (--m_internalRefs == 0 && m_released)
        delete this;
}

HRESULT StorageObject::QueryInterface(REFIID riid, void** ppv) {
    return AnswerInterface(riid, ppv, {IID_IStorage});
}

bool StorageObject::IsValid() const {
    for (const StorageObject* s = this; s; s = s->m_parent) {
        if (s->m_released || s->m_node->reverted || (s->m_source && s->m_source->reverted))
            return false;
    }
    return true;
}

bool StorageObject::IsWithin(const StorageObject* ancestor) const {
    for (const StorageObject* s = this; s; s = s->m_parent)
        if (s == ancestor)
            return true;
    return false;
}

HRESULT StorageObject::CheckWritable() const {
    if (!IsValid())
        return STG_E_REVERTED;
    if (!CanWrite())
        return STG_E_ACCESSDENIED;
    return Image()->Failure();
}

void StorageObject::MarkChanged() {
    for (StorageObject* s = this; s; s = s->m_parent) {
        s->m_changed = true;
        if (s->IsTransacted())
            break;
    }
}

FileImage* StorageObject::Image() const {
    const StorageObject* s = this;
    while (s->m_parent)
        s = s->m_parent;
    return s->m_image.get();
}

HRESULT StorageObject::Find(const OLECHAR* name, NodePtr* node, std::u16string* validName) const {
    std::u16string checked;
    HRESULT hr = ValidateElementName(name, &checked);
    if (FAILED(hr))
        return hr;
    auto it = m_node->children.find(checked);
    if (validName)
        *validName = std::move(checked);
    if (it == m_node->children.end())
        return STG_E_FILENOTFOUND;
    *node = it->second;
    return S_OK;
}

// Common checks of CreateStream and CreateStorage; with STGM_CREATE an existing element of
// the name is destroyed.
HRESULT StorageObject::PrepareCreate(const OLECHAR* name, DWORD mode, std::u16string* validName) {
    if (HRESULT hr = CheckWritable(); FAILED(hr))
        return hr;
    if (!ModeWrites(mode))
        return STG_E_ACCESSDENIED;
    NodePtr existing;
    HRESULT hr = Find(name, &existing, validName);
    if (hr == STG_E_FILENOTFOUND)
        return S_OK;
    if (FAILED(hr))
        return hr;
    if (!(mode & STGM_CREATE))
        return STG_E_FILEALREADYEXISTS;
    if (existing->open)
        return STG_E_ACCESSDENIED;
    MarkReverted(*existing);
    m_node->children.erase(existing->name);
    return S_OK;
}

// Common part of CreateStream and CreateStorage: checks, replaces an element of the name
// when STGM_CREATE asks for it, and adds the new element.
HRESULT StorageObject::AddChild(const OLECHAR* name, DWORD mode, DWORD type, NodePtr* node) {
    HRESULT hr =
        CheckMode(mode, type == STGTY_STREAM ? ModeUse::CreateStream : ModeUse::CreateStorage);
    std::u16string validName;
    if (SUCCEEDED(hr))
        hr = PrepareCreate(name, mode, &validName);
    if (FAILED(hr))
        return hr;
    try {
        auto child = std::make_shared<ElementNode>();
        child->name = validName;
        child->type = type;
        if (type == STGTY_STREAM)
            child->content = std::make_shared<StreamContent>();
        else
            child->ctime = child->mtime = CurrentFileTime();
        m_node->children.emplace(validName, child);
        *node = std::move(child);
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    MarkChanged();
    return S_OK;
}

HRESULT StorageObject::CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD, DWORD,
                                    IStream** ppstm) {
    if (!ppstm)
        return STG_E_INVALIDPOINTER;
    *ppstm = nullptr;
    NodePtr node;
    HRESULT hr = AddChild(pwcsName, grfMode, STGTY_STREAM, &node);
    return FAILED(hr) ? hr : CreateStreamObject(this, std::move(node), grfMode, ppstm);
}

// Common part of OpenStream and OpenStorage: the checks, and the element to open.
HRESULT StorageObject::FindToOpen(const OLECHAR* name, DWORD mode, DWORD type, NodePtr* node) {
    HRESULT hr = CheckMode(mode, type == STGTY_STREAM ? ModeUse::OpenStream : ModeUse::OpenStorage);
    if (FAILED(hr))
        return hr;
    if (!IsValid())
        return STG_E_REVERTED;
    if (ModeWrites(mode) && !CanWrite())
        return STG_E_ACCESSDENIED;
    hr = Find(name, node);
    if (FAILED(hr))
        return hr;
    if ((*node)->type != type)
        return STG_E_FILENOTFOUND;
    return (*node)->open ? STG_E_ACCESSDENIED : S_OK;
}

HRESULT StorageObject::OpenStream(const OLECHAR* pwcsName, void*, DWORD grfMode, DWORD,
                                  IStream** ppstm) {
    if (!ppstm)
        return STG_E_INVALIDPOINTER;
    *ppstm = nullptr;
    NodePtr node;
    HRESULT hr = FindToOpen(pwcsName, grfMode, STGTY_STREAM, &node);
    return FAILED(hr) ? hr : CreateStreamObject(this, std::move(node), grfMode, ppstm);
}

HRESULT StorageObject::MakeChild(const NodePtr& source, DWORD mode, SNB snbExclude,
                                 IStorage** ppstg) {
    NodePtr node = source;
    if (mode & STGM_TRANSACTED) {
        HRESULT hr = CopySubtree(*source, Image(), &node);
        if (FAILED(hr))
            return hr;
        // Excluded elements start empty in the transaction, as if just created.
        for (auto& [name, child] : node->children) {
            if (!IsExcluded(snbExclude, name))
                continue;
            child->children.clear();
            if (child->content)
                child->content = std::make_shared<StreamContent>();
        }
    }
    auto* child = new (std::nothrow) StorageObject(this, source, std::move(node), mode);
    if (!child)
        return STG_E_INSUFFICIENTMEMORY;
    *ppstg = child;
    return S_OK;
}

HRESULT StorageObject::CreateStorage(const OLECHAR* pwcsName, DWORD grfMode, DWORD, DWORD,
                                     IStorage** ppstg) {
    if (!ppstg)
        return STG_E_INVALIDPOINTER;
    *ppstg = nullptr;
    NodePtr node;
    HRESULT hr = AddChild(pwcsName, grfMode, STGTY_STORAGE, &node);
    return FAILED(hr) ? hr : MakeChild(node, grfMode, nullptr, ppstg);
}

HRESULT StorageObject::OpenStorage(const OLECHAR* pwcsName, IStorage*, DWORD grfMode,
                                   SNB snbExclude, DWORD, IStorage** ppstg) {
    if (!ppstg)
        return STG_E_INVALIDPOINTER;
    *ppstg = nullptr;
    NodePtr node;
    HRESULT hr = FindToOpen(pwcsName, grfMode, STGTY_STORAGE, &node);
    return FAILED(hr) ? hr : MakeChild(node, grfMode, snbExclude, ppstg);
}

HRESULT StorageObject::CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                              IStorage* pstgDest) {
    if (!pstgDest || (ciidExclude && !rgiidExclude))
        return STG_E_INVALIDPOINTER;
    auto* dest = dynamic_cast<StorageObject*>(pstgDest);
    if (!dest)
        return STG_E_INVALIDPARAMETER;
    if (!IsValid())
        return STG_E_REVERTED;
    if (HRESULT hr = dest->CheckWritable(); FAILED(hr))
        return hr;
    if (dest != this && dest->IsWithin(this))
        return STG_E_ACCESSDENIED; // the destination is a child of the source
    if (dest == this)
        return S_OK;
    bool skipStorages = false, skipStreams = false;
    for (DWORD i = 0; i < ciidExclude; ++i) {
        skipStorages = skipStorages || rgiidExclude[i] == IID_IStorage;
        skipStreams = skipStreams || rgiidExclude[i] == IID_IStream;
    }
    HRESULT hr =
        MergeInto(*m_node, *dest->m_node, dest->Image(), skipStorages, skipStreams, snbExclude);
    dest->m_node->clsid = m_node->clsid;
    dest->MarkChanged();
    return hr;
}

HRESULT StorageObject::MoveElementTo(const OLECHAR* pwcsName, IStorage* pstgDest,
                                     const OLECHAR* pwcsNewName, DWORD grfFlags) {
    if (grfFlags != STGMOVE_MOVE && grfFlags != STGMOVE_COPY)
        return STG_E_INVALIDFLAG;
    if (!pstgDest)
        return STG_E_INVALIDPOINTER;
    auto* dest = dynamic_cast<StorageObject*>(pstgDest);
    if (!dest)
        return STG_E_INVALIDPARAMETER;
    HRESULT hr = grfFlags == STGMOVE_MOVE ? CheckWritable() : IsValid() ? S_OK : STG_E_REVERTED;
    if (SUCCEEDED(hr))
        hr = dest->CheckWritable();
    if (FAILED(hr))
        return hr;
    NodePtr node;
    hr = Find(pwcsName, &node);
    if (FAILED(hr))
        return hr;
    if (node->open)
        return STG_E_ACCESSDENIED;
    std::u16string newName;
    hr = ValidateElementName(pwcsNewName, &newName);
    if (FAILED(hr))
        return hr;
    auto existing = dest->m_node->children.find(newName);
    if (existing != dest->m_node->children.end()) {
        // A stream replaces a stream; a storage never replaces anything.
        if (existing->second == node)
            return S_OK;
        if (node->IsStorage() || existing->second->IsStorage() || existing->second->open)
            return STG_E_FILEALREADYEXISTS;
    }
    NodePtr copy;
    hr = CopySubtree(*node, dest->Image(), &copy);
    if (FAILED(hr))
        return hr;
    copy->name = newName;
    if (existing != dest->m_node->children.end()) {
        MarkReverted(*existing->second);
        dest->m_node->children.erase(existing);
    }
    dest->m_node->children.emplace(newName, std::move(copy));
    dest->MarkChanged();
    if (grfFlags == STGMOVE_MOVE) {
        MarkReverted(*node);
        m_node->children.erase(node->name);
        MarkChanged();
    }
    return S_OK;
}

HRESULT StorageObject::CommitRoot() {
    if (FAILED(m_image->Failure()))
        return m_image->Failure();
    if (!m_changed) {
        m_image->DropDeadTail(); // a revert may have dropped bulk appends
        // A live transaction below may have appended in bulk: the FAT must come to cover it.
        if (!m_image->HasUncommittedTail())
            return S_OK;
    }
    HRESULT hr = m_image->Commit(*m_node);
    if (SUCCEEDED(hr))
        m_changed = false;
    return hr;
}

HRESULT StorageObject::CommitIntoParent() {
    if (!m_changed)
        return S_OK;
    NodePtr copy;
    HRESULT hr = CopySubtree(*m_node, Image(), &copy);
    if (FAILED(hr))
        return hr;
    m_node->mtime = copy->mtime = CurrentFileTime();
    m_source->clsid = copy->clsid;
    m_source->stateBits = copy->stateBits;
    m_source->ctime = copy->ctime;
    m_source->mtime = copy->mtime;
    m_source->children = std::move(copy->children);
    m_changed = false;
    m_parent->MarkChanged();
    return S_OK;
}

HRESULT StorageObject::Commit(DWORD grfCommitFlags) {
    if (grfCommitFlags & ~DWORD{0xF})
        return STG_E_INVALIDFLAG;
    if (!IsValid())
        return STG_E_REVERTED;
    if (!m_parent)
        return CommitRoot();
    if (HRESULT hr = Image()->Failure(); FAILED(hr))
        return hr; // the file is stuck after a failed commit: nothing moves until Revert
    if (m_mode & STGM_TRANSACTED)
        return CommitIntoParent();
    return S_OK; // a direct storage's changes are already in its parent
}

HRESULT StorageObject::Revert() {
    if (!IsValid())
        return STG_E_REVERTED;
    if (!IsTransacted() || (!m_parent && !(m_mode & STGM_TRANSACTED)))
        return Image()->Failure();
    NodePtr fresh;
    HRESULT hr = m_parent ? CopySubtree(*m_source, Image(), &fresh) : m_image->Reload(&fresh);
    if (FAILED(hr))
        return hr;
    MarkReverted(*m_node);
    m_node = std::move(fresh);
    m_changed = false;
    return S_OK;
}

HRESULT StorageObject::EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                                    IEnumSTATSTG** ppenum) {
    if (!ppenum)
        return STG_E_INVALIDPOINTER;
    *ppenum = nullptr;
    if (reserved1 || reserved2 || reserved3)
        return STG_E_INVALIDPARAMETER;
    if (!IsValid())
        return STG_E_REVERTED;
    return CreateElementEnumerator(*m_node, ppenum);
}

HRESULT StorageObject::DestroyElement(const OLECHAR* pwcsName) {
    if (HRESULT hr = CheckWritable(); FAILED(hr))
        return hr;
    NodePtr node;
    HRESULT hr = Find(pwcsName, &node);
    if (FAILED(hr))
        return hr;
    MarkReverted(*node);
    m_node->children.erase(node->name);
    MarkChanged();
    return S_OK;
}

HRESULT StorageObject::RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) {
    if (HRESULT hr = CheckWritable(); FAILED(hr))
        return hr;
    NodePtr node;
    HRESULT hr = Find(pwcsOldName, &node);
    if (FAILED(hr))
        return hr;
    std::u16string newName;
    hr = ValidateElementName(pwcsNewName, &newName);
    if (FAILED(hr))
        return hr;
    auto existing = m_node->children.find(newName);
    // Changing only the letter case of a name finds the element itself: that is allowed.
    if (existing != m_node->children.end() && existing->second != node)
        return STG_E_FILEALREADYEXISTS;
    if (node->open)
        return STG_E_ACCESSDENIED;
    auto handle = m_node->children.extract(node->name);
    handle.key() = newName;
    handle.mapped()->name = newName;
    m_node->children.insert(std::move(handle));
    MarkChanged();
    return S_OK;
}

HRESULT StorageObject::SetElementTimes(const OLECHAR* pwcsName, const FILETIME* pctime,
                                       const FILETIME* patime, const FILETIME* pmtime) {
    (void)patime; // the format keeps no access time
    if (HRESULT hr = CheckWritable(); FAILED(hr))
        return hr;
    NodePtr node = m_node;
    if (pwcsName) {
        HRESULT hr = Find(pwcsName, &node);
        if (FAILED(hr))
            return hr;
    }
    // Streams keep no times in the format; their times stay zero.
    if (node->IsStorage()) {
        if (pctime)
            node->ctime = *pctime;
        if (pmtime)
            node->mtime = *pmtime;
        MarkChanged();
    }
    return S_OK;
}

HRESULT StorageObject::SetClass(REFCLSID clsid) {
    if (HRESULT hr = CheckWritable(); FAILED(hr))
        return hr;
    m_node->clsid = clsid;
    MarkChanged();
    return S_OK;
}

HRESULT StorageObject::SetStateBits(DWORD grfStateBits, DWORD grfMask) {
    if (HRESULT hr = CheckWritable(); FAILED(hr))
        return hr;
    m_node->stateBits = (m_node->stateBits & ~grfMask) | (grfStateBits & grfMask);
    MarkChanged();
    return S_OK;
}

HRESULT StorageObject::Stat(STATSTG* pstatstg, DWORD grfStatFlag) {
    if (!pstatstg)
        return STG_E_INVALIDPOINTER;
    if (!IsValid())
        return STG_E_REVERTED;
    HRESULT hr = FillElementStat(*m_node, m_mode, grfStatFlag | STATFLAG_NONAME, pstatstg);
    if (FAILED(hr) || (grfStatFlag & STATFLAG_NONAME))
        return hr;
    if (m_parent) {
        pstatstg->pwcsName = CopyToTaskMemory(m_node->name);
    } else {
        // The root is named by its file, as the lock-bytes knows it.
        STATSTG file{};
        if (SUCCEEDED(m_image->Bytes()->Stat(&file, STATFLAG_DEFAULT)) && file.pwcsName)
            pstatstg->pwcsName = file.pwcsName;
        else
            pstatstg->pwcsName = CopyToTaskMemory(u"");
    }
    return pstatstg->pwcsName ? S_OK : STG_E_INSUFFICIENTMEMORY;
}
