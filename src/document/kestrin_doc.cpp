#include "kestrin_doc.h"

#include <string>

#include "cmd_ui.h"
#include "com_ptr.h"
#include "docfile_version.h"
#include "document_ids.h"
#include "document_messages.h"
#include "element_tree.h"
#include "mdi_child_wnd.h"
#include "mdi_frame_wnd.h"
#include "message_box.h"
#include "progress.h"
#include "progress_lock_bytes.h"
#include "replacing_file.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "storage_api.h"
#include "type_def.h"
#include "win_app.h"

CKestrinDoc::CKestrinDoc() {
    OnCommand(ID_ELEMENT_DELETE, &CKestrinDoc::OnElementDelete);
    OnCommand(ID_NEW_STORAGE, &CKestrinDoc::OnNewStorage);
    OnCommand(ID_NEW_STREAM, &CKestrinDoc::OnNewStream);
    OnUpdateCommand(ID_ELEMENT_DELETE, &CKestrinDoc::OnUpdateElementDelete);
    OnUpdateCommand(ID_NEW_STORAGE, &CKestrinDoc::OnUpdateNewElement);
    OnUpdateCommand(ID_NEW_STREAM, &CKestrinDoc::OnUpdateNewElement);
    OnUpdateCommand(ID_FILE_SAVE, &CKestrinDoc::OnUpdateSave);
    OnUpdateCommand(ID_FILE_SAVE_AS, &CKestrinDoc::OnUpdateSave);
    AddViewCommands();
    AddStreamCommands();
    AddStrmDefCommands();
}

CKestrinDoc::~CKestrinDoc() {
    // A document deleted without closing (a frame that failed half-way) still lets go.
    if (m_pRootStorage)
        m_pRootStorage->Release();
    // Whatever views remain forget their rows without touching the types.
    DestroyTypes(m_aTypes);
}

bool CKestrinDoc::OnNewDocument() {
    if (!CBaseDoc::OnNewDocument())
        return false;
    ResetTypes();
    StartTemporaryRoot(false);
    return true;
}

// A temporary compound file, deleted when the document lets go of it.
void CKestrinDoc::StartTemporaryRoot(bool largeSectors) {
    DropRoot();
    m_bLargeSectors = largeSectors;
    const HRESULT hr = CreateDocfile(
        nullptr, STGM_DELETEONRELEASE | STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
        largeSectors, &m_pRootStorage);
    if (FAILED(hr)) {
        m_pRootStorage = nullptr;
        ReportStgError(hr, STG_OP_STGCREATEDOCFILE);
    }
    m_bReadOnly = FALSE;
    m_bReadOnlySuffixPending = TRUE;
    m_nValueRadix = 0;
}

bool CKestrinDoc::OnOpenDocument(const QString& path) {
    ResetTypes();
    const std::u16string name = path.toStdU16String();
    HRESULT hr = StgOpenStorage(name.c_str(), nullptr,
                                STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, nullptr,
                                0, &m_pRootStorage);
    m_bReadOnly = FALSE;
    m_bReadOnlySuffixPending = TRUE;
    m_bLargeSectors = HasLargeSectors(path);
    if (hr == STG_E_ACCESSDENIED || hr == STG_E_LOCKVIOLATION || hr == STG_E_SHAREVIOLATION) {
        m_pRootStorage = nullptr;
        if (!OpenPrivateCopy(path))
            return false;
    } else if (FAILED(hr)) {
        m_pRootStorage = nullptr;
        ReportOpenFailure(hr);
    }
    SetModifiedFlag(false);
    if (CMDIFrameWnd* main = AfxGetMainWnd())
        main->CheckMenuRadioItem(ID_VALUE_DECIMAL, ID_VALUE_HEX, ID_VALUE_DECIMAL);
    m_nValueRadix = 0;
    return true;
}

void CKestrinDoc::ReportOpenFailure(HRESULT hr) {
    if (hr == STG_E_FILEALREADYEXISTS)
        AfxMessageBox(QString::fromUtf16(kMsgNotStorageFile));
    else
        ReportStgError(hr, STG_OP_STGOPENSTORAGE);
}

// The file is copied into a new temporary root, with a progress dialog: a large file takes
// a while. A file that cannot be read or copied shows the tree's error item rather than an
// empty or partial copy that looks like the file. False when the user cancelled the copy:
// then nothing stays open.
bool CKestrinDoc::OpenPrivateCopy(const QString& path) {
    CBaseDoc::OnNewDocument();
    StartTemporaryRoot(m_bLargeSectors);
    if (!m_pRootStorage)
        return true;
    // Even an empty copy must never be saved over the file it failed to read.
    m_bReadOnly = TRUE;
    ComPtr<ILockBytes> file;
    HRESULT hr = CreateILockBytesOnFile(path.toStdU16String().c_str(),
                                        STGM_READ | STGM_SHARE_DENY_NONE, file.Put());
    STATSTG stat{};
    if (SUCCEEDED(hr))
        hr = file->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) {
        ReportOpenFailure(hr);
        DropRoot();
        return true;
    }
    CProgress progress(QString::fromUtf16(kTextCopyingFile),
                       static_cast<qint64>(stat.cbSize.QuadPart));
    ComPtr<ILockBytes> counted;
    *counted.Put() = new ProgressLockBytes(file.Get(), progress);
    ComPtr<IStorage> source;
    hr = StgOpenStorageOnILockBytes(counted.Get(), nullptr,
                                    STGM_TRANSACTED | STGM_SHARE_DENY_NONE | STGM_READ, nullptr, 0,
                                    source.Put());
    if (FAILED(hr) && !progress.IsCancelled())
        ReportOpenFailure(hr);
    if (SUCCEEDED(hr)) {
        hr = source->CopyTo(0, nullptr, nullptr, m_pRootStorage);
        if (FAILED(hr) && !progress.IsCancelled())
            ReportStgError(hr, STG_OP_COPYTO);
    }
    if (FAILED(hr))
        DropRoot();
    return !progress.IsCancelled();
}

void CKestrinDoc::DropRoot() {
    if (m_pRootStorage)
        m_pRootStorage->Release();
    m_pRootStorage = nullptr;
    m_bReadOnly = FALSE;
}

bool CKestrinDoc::OnSaveDocument(const QString& path) {
    if (!m_pRootStorage)
        return false; // nothing to copy from: the file failed to open
    if (path == GetPathName() && m_bReadOnly) {
        AfxMessageBox(QString::fromUtf16(kMsgReadOnly));
        return false;
    }
    if (path != GetPathName()) {
        if (!SaveAsNewFile(path))
            return false;
    } else if (const HRESULT hr = m_pRootStorage->Commit(STGC_OVERWRITE); FAILED(hr)) {
        ReportStgError(hr, STG_OP_COMMIT);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

// The copy is written beside the target and moved over it once its commit has succeeded:
// a failure at any step leaves the target as it was, and the document on its old root.
bool CKestrinDoc::SaveAsNewFile(const QString& path) {
    ReplacingFile file(path);
    IStorage* target = nullptr;
    int operation = STG_OP_STGCREATEDOCFILE;
    HRESULT hr = file.HoldTarget();
    if (SUCCEEDED(hr))
        // Held as an opened file is: others may read it, nobody else may write it.
        hr = file.Create(STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, m_bLargeSectors,
                         &target);
    if (SUCCEEDED(hr)) {
        operation = STG_OP_COPYTO;
        hr = m_pRootStorage->CopyTo(0, nullptr, nullptr, target);
    }
    if (SUCCEEDED(hr)) {
        operation = STG_OP_COMMIT;
        hr = target->Commit(STGC_OVERWRITE);
    }
    if (SUCCEEDED(hr)) {
        operation = STG_OP_STGCREATEDOCFILE;
        hr = file.Replace();
    }
    // The old root's changes are dropped only once they are safe in the new file.
    if (SUCCEEDED(hr)) {
        operation = STG_OP_REVERT;
        hr = m_pRootStorage->Revert();
    }
    if (FAILED(hr)) {
        ReportStgError(hr, operation);
        if (target)
            target->Release();
        return false;
    }
    m_pRootStorage->Release();
    m_pRootStorage = target;
    for (CElementTree* tree : GetTreeViews())
        tree->SetRootStorage(target);
    return true;
}

void CKestrinDoc::OnCloseDocument() {
    DeleteTypes();
    if (m_pRootStorage) {
        if (const HRESULT hr = m_pRootStorage->Revert(); FAILED(hr))
            ReportStgError(hr, STG_OP_REVERT);
        m_pRootStorage->Release();
        m_pRootStorage = nullptr;
    }
    CBaseDoc::OnCloseDocument();
}

void CKestrinDoc::SetTitle(const QString& title) {
    QString shown = title;
    if (m_bReadOnly && m_bReadOnlySuffixPending) {
        shown += QStringLiteral(" (read only)");
        m_bReadOnlySuffixPending = FALSE;
    }
    CBaseDoc::SetTitle(shown);
}

CElementTree* CKestrinDoc::GetTreeView() const {
    const std::vector<CElementTree*> trees = GetTreeViews();
    if (trees.empty())
        return nullptr;
    CMDIFrameWnd* main = AfxGetMainWnd();
    const CFrameWnd* active = main ? main->MDIGetActive() : nullptr;
    for (CElementTree* tree : trees)
        if (active && dynamic_cast<CView*>(tree)->GetParentFrame() == active)
            return tree;
    return trees.front();
}

std::vector<CElementTree*> CKestrinDoc::GetTreeViews() const {
    return GetViewsOf<CElementTree>();
}

void CKestrinDoc::OnElementsChanged(CElementTree* changedBy) {
    for (CElementTree* tree : GetTreeViews())
        if (tree != changedBy)
            tree->Refresh();
}

std::unique_ptr<ElementChain> CKestrinDoc::OpenCurrent() {
    CElementTree* tree = GetTreeView();
    if (!tree)
        return nullptr;
    BOOL isStorage = TRUE;
    return tree->OpenCurrentElement(&isStorage);
}
