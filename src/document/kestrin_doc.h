// The document of one open compound file. It owns the file's root storage, opened
// transacted so that every change stays pending until the user saves (commit) or closes
// (revert). A file that cannot be opened for writing is edited as a private copy that can
// only be saved under another name. The current element belongs to the storage tree: the
// document opens it through the tree, under its lock, for whoever asks.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "base_doc.h"
#include "document_lock.h"
#include "element_chain.h"
#include "type_list.h"

class CCmdUI;
class CElementTree;
class CPageView;
class CValDef;
class CValueView;

class CKestrinDoc : public CBaseDoc {
public:
    CKestrinDoc();
    ~CKestrinDoc() override;

    // A temporary compound file, deleted when the document lets go of it.
    bool OnNewDocument() override;
    // Opens the file for writing, others may read; a locked or write-protected file as a
    // private copy. Returns true in every case: a file that fails to open is reported and
    // the window shows the tree's error item.
    bool OnOpenDocument(const QString& path) override;
    // The same path commits the root; another path copies the root into a new file, which
    // becomes the root. A private copy is never saved over its own file.
    bool OnSaveDocument(const QString& path) override;
    // Drops unsaved changes and lets go of the root.
    void OnCloseDocument() override;
    // Appends " (read only)" the first time a private copy is titled.
    void SetTitle(const QString& title) override;

    // The tree of the document's active window; the first tree when no window of the
    // document is active; null when there is none.
    CElementTree* GetTreeView() const;
    // Every tree of the document, one per window, in the order of its views.
    std::vector<CElementTree*> GetTreeViews() const;
    // The elements changed through changedBy: every other window's tree reads them again.
    void OnElementsChanged(CElementTree* changedBy);
    // The chain of the current element with the lock entered, or null (no tree, nothing
    // current, or the open failed). The caller uses the last entry, calls ReleaseAll (views
    // never commit), drops the chain and calls Unlock.
    std::unique_ptr<ElementChain> OpenCurrent();

    void Lock() { m_lock.Lock(); }
    void Unlock() { m_lock.Unlock(); }
    // How deep the lock is entered: 0 whenever no chain is open.
    int GetLockDepth() const { return m_lock.Depth(); }

    void SetCurIsStorage(BOOL isStorage) { m_bCurIsStorage = isStorage; }
    BOOL GetCurIsStorage() const { return m_bCurIsStorage; }
    void ResetPage() { m_pageOffset = 0; }
    void SetPageOffset(ULONGLONG offset) { m_pageOffset = offset; }
    ULONGLONG GetPageOffset() const { return m_pageOffset; }
    // The size of the stream the hex page shows, as the view last read it.
    void SetStreamSize(ULONGLONG size) { m_streamSize = size; }
    // The view that shows the hex page and the element list; null when there is none.
    CPageView* GetKestrinView() const;
    IStorage* GetRootStorage() const { return m_pRootStorage; }
    // Every view that shows typed values, one per window.
    std::vector<CValueView*> GetValEditViews() const;
    // Reads the stream definition at path into the type list and every typed value view, and
    // records it as the latest one loaded. A file that cannot be read or is damaged is
    // reported and changes nothing: false.
    bool LoadStrmDef(const QString& path);
    // The base types, then the user types of the definition loaded last.
    const TypeList& GetTypes() const { return m_aTypes; }
    // The typed value view's number base (0 decimal, 1 hexadecimal) and its columns.
    int GetValueRadix() const { return m_nValueRadix; }
    BOOL IsColumnShown(int column) const { return m_bColumnShown[column]; }
    BOOL IsReadOnly() const { return m_bReadOnly; }

    // A hex cell edited to text: its byte (0 for an empty text) goes into the current stream.
    void OnCellEdit(CView* view, int row, int column, const QString& text) override;
    // Hex texts pasted from a cell on, one byte each; the number of bytes written.
    int OnCellPaste(CView* view, int row, int column, const QStringList& texts) override;

private:
    void StartTemporaryRoot(bool largeSectors);
    bool OpenPrivateCopy(const QString& path);
    static void ReportOpenFailure(HRESULT hr);
    void DropRoot();
    bool SaveAsNewFile(const QString& path);
    ULARGE_INTEGER CellOffset(int row, int column) const;

    void OnElementDelete();
    void OnNewStorage();
    void OnNewStream();
    void OnUpdateElementDelete(CCmdUI* ui);
    void OnUpdateNewElement(CCmdUI* ui);
    void OnUpdateSave(CCmdUI* ui);
    // Paging through the current stream and the element list's styles (kestrin_doc_view.cpp).
    void AddViewCommands();
    void OnPage(UINT id);
    void OnUpdatePageBack(CCmdUI* ui);
    void OnUpdatePageForward(CCmdUI* ui);
    void OnListStyle(UINT id);
    void OnUpdateListStyle(CCmdUI* ui);
    // Resizing the current stream and writing one byte of it (kestrin_doc_stream.cpp).
    void AddStreamCommands();
    void OnStreamResize();
    void OnByteEdit();
    void OnGotoPosition();
    void OnUpdateStreamCommand(CCmdUI* ui);
    // The type list and the commands of the typed value view (kestrin_doc_strmdef.cpp).
    void AddStrmDefCommands();
    void ResetTypes();
    void DeleteTypes();
    void OnStrmDefOpen();
    void OnStrmDefSelChange();
    void OnValueRadix(UINT id);
    void OnUpdateValueDecimal(CCmdUI* ui);
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);

    CDocumentLock m_lock;
    TypeList m_aTypes;
    int m_nValueRadix = 0;
    // Columns 定義, 変数名, 位置, 値 and コメント of the typed value view.
    BOOL m_bColumnShown[5] = {TRUE, TRUE, TRUE, TRUE, TRUE};
    IStorage* m_pRootStorage = nullptr;
    BOOL m_bCurIsStorage = TRUE;
    ULONGLONG m_pageOffset = 0;
    ULONGLONG m_streamSize = 0;
    BOOL m_bReadOnly = FALSE;
    BOOL m_bReadOnlySuffixPending = TRUE;
    // The file has 4096-byte sectors: its private copy and its copies under new names too.
    bool m_bLargeSectors = false;
};
