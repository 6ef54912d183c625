// IStorage over an element tree. The root object owns the file image; every other storage
// is opened from a parent, which it keeps alive until it is released itself.
//
// Transacted storages (and every root) work on a tree of their own: a transacted child on a
// copy of its subtree, committed into the parent's node by Commit; the root on the tree
// loaded from the file, committed into the file by Commit. Direct storages and all streams
// work on their parent's nodes, so their changes are at once part of the nearest transacted
// storage above them. A direct root writes its changes at Commit or at its final Release.
//
// An object answers STG_E_REVERTED once its element is destroyed, its transaction dropped
// (Revert, or release of a parent without commit), or a parent released.
#pragma once

#include <memory>

#include "com_object.h"
#include "element_node.h"

class FileImage;

class StorageObject final : public ComObject<IStorage> {
public:
    // A root over the committed state of `image`. Takes over the tree.
    static HRESULT OpenRoot(std::shared_ptr<FileImage> image, DWORD mode, IStorage** root);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                         DWORD reserved2, IStream** ppstm) override;
    HRESULT OpenStream(const OLECHAR* pwcsName, void* reserved1, DWORD grfMode, DWORD reserved2,
                       IStream** ppstm) override;
    HRESULT CreateStorage(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                          DWORD reserved2, IStorage** ppstg) override;
    HRESULT OpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                        SNB snbExclude, DWORD reserved, IStorage** ppstg) override;
    HRESULT CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                   IStorage* pstgDest) override;
    HRESULT MoveElementTo(const OLECHAR* pwcsName, IStorage* pstgDest,
                          const OLECHAR* pwcsNewName, DWORD grfFlags) override;
    HRESULT Commit(DWORD grfCommitFlags) override;
    HRESULT Revert() override;
    HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                         IEnumSTATSTG** ppenum) override;
    HRESULT DestroyElement(const OLECHAR* pwcsName) override;
    HRESULT RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) override;
    HRESULT SetElementTimes(const OLECHAR* pwcsName, const FILETIME* pctime,
                            const FILETIME* patime, const FILETIME* pmtime) override;
    HRESULT SetClass(REFCLSID clsid) override;
    HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) override;
    HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) override;

    // For the streams and storages opened from this one.
    bool IsValid() const;
    bool CanWrite() const { return (m_mode & 3) != STGM_READ; }
    // S_OK when changes may be made through this storage: it is valid, open for writing, and
    // its file is not stuck after a failed commit.
    HRESULT CheckWritable() const;
    // Records a change below this storage in the nearest transaction that holds it.
    void MarkChanged();
    FileImage* Image() const;
    void HoldInternal() { ++m_internalRefs; }
    void DropInternal();

private:
    StorageObject(StorageObject* parent, NodePtr source, NodePtr node, DWORD mode);
    ~StorageObject() override;
    void OnFinalRelease() override;

    bool IsTransacted() const { return !m_parent || (m_mode & STGM_TRANSACTED); }
    bool IsWithin(const StorageObject* ancestor) const;
    HRESULT Find(const OLECHAR* name, NodePtr* node, std::u16string* validName = nullptr) const;
    HRESULT PrepareCreate(const OLECHAR* name, DWORD mode, std::u16string* validName);
    HRESULT AddChild(const OLECHAR* name, DWORD mode, DWORD type, NodePtr* node);
    HRESULT FindToOpen(const OLECHAR* name, DWORD mode, DWORD type, NodePtr* node);
    HRESULT MakeChild(const NodePtr& source, DWORD mode, SNB snbExclude, IStorage** ppstg);
    HRESULT CommitRoot();
    HRESULT CommitIntoParent();

    StorageObject* m_parent; // null for the root
    NodePtr m_source;        // the element in the parent's tree; null for the root
    NodePtr m_node;          // what this object works on (a copy when transacted)
    DWORD m_mode;
    bool m_changed = false;  // uncommitted changes in this transaction
    bool m_released = false; // the caller's last reference is gone
    unsigned m_internalRefs = 0;
    std::shared_ptr<FileImage> m_image; // root only
};
