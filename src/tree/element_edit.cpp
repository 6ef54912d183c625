// The tree's own element operations: delete, rename by label edit, and creating storages
// and streams under a free name whose label the user may then edit.
#include <QSignalBlocker>
#include <string>

#include "kestrin_doc.h"
#include "message_box.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "stg_tree_view.h"
#include "taken_names.h"
#include "tree_messages.h"

namespace {

constexpr DWORD kCreateMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

} // namespace

void CStgTreeView::DeleteElement(QTreeWidgetItem* item) {
    if (!item)
        item = m_hCurItem;
    CKestrinDoc* doc = GetDocument();
    const int image = ImageOf(item);
    if (!doc || item == GetRootItem() || (image != ImageStorage && image != ImageStream))
        return;
    QTreeWidgetItem* parent = item->parent();
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStorageChain(parent);
    if (!chain)
        return;
    IStorage* storage = chain->GetLastStorage();
    HRESULT hr = STG_E_INVALIDPOINTER;
    int operation = STG_OP_DESTROYELEMENT;
    if (storage) {
        const std::u16string name = item->text(0).toStdU16String();
        hr = storage->DestroyElement(name.c_str());
        if (SUCCEEDED(hr) && (chain->GetSize() > 1 || CommitsRoot())) {
            operation = STG_OP_COMMIT;
            hr = storage->Commit(STGC_OVERWRITE);
        }
        if (FAILED(hr))
            ReportStgError(hr, operation);
    }
    ReleaseStorageChain(std::move(chain));
    if (FAILED(hr))
        return;
    m_hCurItem = parent;
    delete item;
    setCurrentItem(parent);
    ElementsChanged();
}

void CStgTreeView::OnEndLabelEdit(QTreeWidgetItem* item, const QString& text) {
    CKestrinDoc* doc = GetDocument();
    const int image = ImageOf(item);
    if (!doc || item == GetRootItem() || (image != ImageStorage && image != ImageStream))
        return;
    const QString old = item->text(0);
    if (text.isEmpty() || text == old)
        return;
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStorageChain(item->parent());
    if (!chain)
        return;
    bool renamed = false;
    if (IStorage* storage = chain->GetLastStorage()) {
        const std::u16string from = old.toStdU16String();
        const std::u16string to = text.toStdU16String();
        const HRESULT hr = storage->RenameElement(from.c_str(), to.c_str());
        renamed = SUCCEEDED(hr);
        if (renamed)
            item->setText(0, text);
        else
            ReportStgError(hr, STG_OP_RENAMEELEMENT);
    }
    ReleaseStorageChain(std::move(chain));
    if (renamed)
        ElementsChanged();
    setCurrentItem(item);
}

// One walk gathers the taken names; the candidates are then looked up, not listed again.
QString CStgTreeView::FreeName(IStorage* storage, const QString& base) {
    const TakenNames taken = ListTakenNames(storage);
    QString name = base;
    for (int n = 1; taken.count(name.toStdU16String()); ++n)
        name = base + QStringLiteral(" (%1)").arg(n);
    return name;
}

QTreeWidgetItem* CStgTreeView::FindChild(QTreeWidgetItem* parent, const QString& name) const {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == name)
            return parent->child(i);
    return nullptr;
}

void CStgTreeView::BeginLabelEdit(QTreeWidgetItem* item) {
    {
        // The children have just been read: showing them must not read them again.
        const QSignalBlocker blocker(this);
        expandItem(item->parent());
    }
    setCurrentItem(item);
    scrollToItem(item);
    editItem(item, 0);
}

// What creating a storage and creating a stream share: a free name in the current storage,
// the element made there, the storage committed, its children read again. Returns the new
// item, or null when there is none.
QTreeWidgetItem* CStgTreeView::CreateInCurrent(QString& name, DWORD type) {
    CKestrinDoc* doc = GetDocument();
    QTreeWidgetItem* current = m_hCurItem;
    if (!doc || ImageOf(current) != ImageStorage)
        return nullptr;
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStorageChain(current);
    if (!chain)
        return nullptr;
    IStorage* storage = chain->GetLastStorage();
    if (!storage) {
        ReleaseStorageChain(std::move(chain));
        return nullptr;
    }
    name = FreeName(storage, name);
    const std::u16string wide = name.toStdU16String();
    HRESULT hr;
    if (type == STGTY_STORAGE) {
        IStorage* created = nullptr;
        hr = storage->CreateStorage(wide.c_str(), kCreateMode, 0, 0, &created);
        if (SUCCEEDED(hr)) {
            created->Commit(STGC_OVERWRITE);
            created->Release();
        }
    } else {
        IStream* created = nullptr;
        hr = storage->CreateStream(wide.c_str(), kCreateMode, 0, 0, &created);
        if (SUCCEEDED(hr))
            created->Release();
    }
    if (FAILED(hr))
        ReportStgError(hr, type == STGTY_STORAGE ? STG_OP_CREATESTORAGE : STG_OP_CREATESTREAM);
    // A new stream also commits the root of a document that has no file yet.
    if (chain->GetSize() > 1 || (type == STGTY_STREAM && CommitsRoot()))
        storage->Commit(STGC_OVERWRITE);
    FillChildren(storage, current);
    ReleaseStorageChain(std::move(chain));
    QTreeWidgetItem* found = FindChild(current, name);
    if (!found)
        AfxMessageBox(QString::fromUtf16(kMsgApiMisbehaved));
    return found;
}

void CStgTreeView::CreateNewStorage() {
    QString name = QString::fromUtf16(kBaseStorageName);
    if (QTreeWidgetItem* found = CreateInCurrent(name, STGTY_STORAGE)) {
        BeginLabelEdit(found);
        ElementsChanged();
    }
}

void CStgTreeView::CreateNewStream(QString& name, BOOL edit) {
    if (name.isEmpty())
        name = QString::fromUtf16(kBaseStreamName);
    if (QTreeWidgetItem* found = CreateInCurrent(name, STGTY_STREAM)) {
        if (edit)
            BeginLabelEdit(found);
        ElementsChanged();
    }
}
