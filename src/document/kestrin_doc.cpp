#include "kestrin_doc.h"

#include <string>

#include "cmd_ui.h"
#include "document_ids.h"
#include "document_messages.h"
#include "element_tree.h"
#include "mdi_frame_wnd.h"
#include "message_box.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "storage_api.h"
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
}

CKestrinDoc::~CKestrinDoc() {
    // A document deleted without closing (a frame that failed half-way) still lets go.
    if (m_pRootStorage)
        m_pRootStorage->Release();
}

bool CKestrinDoc::CreateTemporaryRoot() {
    const HRESULT hr = StgCreateDocfile(
        nullptr, STGM_DELETEONRELEASE | STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
        &m_pRootStorage);
    if (FAILED(hr)) {
        m_pRootStorage = nullptr;
        ReportStgError(hr, STG_OP_STGCREATEDOCFILE);
        return false;
    }
    return true;
}

bool CKestrinDoc::OnNewDocument() {
    if (!CBaseDoc::OnNewDocument())
        return false;
    if (m_pRootStorage) {
        m_pRootStorage->Release();
        m_pRootStorage = nullptr;
    }
    CreateTemporaryRoot();
    m_bReadOnly = FALSE;
    m_bReadOnlySuffixPending = TRUE;
    m_nValueRadix = 0;
    return true;
}

bool CKestrinDoc::OnOpenDocument(const QString& path) {
    const std::u16string name = path.toStdU16String();
    HRESULT hr = StgOpenStorage(name.c_str(), nullptr,
                                STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, nullptr,
                                0, &m_pRootStorage);
    m_bReadOnly = FALSE;
    m_bReadOnlySuffixPending = TRUE;
    if (hr == STG_E_ACCESSDENIED || hr == STG_E_LOCKVIOLATION || hr == STG_E_SHAREVIOLATION) {
        m_pRootStorage = nullptr;
        OpenPrivateCopy(name);
    } else if (FAILED(hr)) {
        m_pRootStorage = nullptr;
        if (hr == STG_E_FILEALREADYEXISTS)
            AfxMessageBox(QString::fromUtf16(kMsgNotStorageFile));
        else
            ReportStgError(hr, STG_OP_STGOPENSTORAGE);
    }
    SetModifiedFlag(false);
    if (CMDIFrameWnd* main = AfxGetMainWnd())
        main->CheckMenuRadioItem(ID_VALUE_DECIMAL, ID_VALUE_HEX, ID_VALUE_DECIMAL);
    m_nValueRadix = 0;
    return true;
}

void CKestrinDoc::OpenPrivateCopy(const std::u16string& path) {
    OnNewDocument();
    // Even an empty copy must never be saved over the file it failed to read.
    m_bReadOnly = TRUE;
    IStorage* source = nullptr;
    const HRESULT hr =
        StgOpenStorage(path.c_str(), nullptr, STGM_TRANSACTED | STGM_SHARE_DENY_NONE | STGM_READ,
                       nullptr, 0, &source);
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_STGOPENSTORAGE);
        return;
    }
    if (m_pRootStorage) {
        const HRESULT copied = source->CopyTo(0, nullptr, nullptr, m_pRootStorage);
        if (FAILED(copied))
            ReportStgError(copied, STG_OP_COPYTO);
    }
    source->Release();
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

bool CKestrinDoc::SaveAsNewFile(const QString& path) {
    const std::u16string name = path.toStdU16String();
    IStorage* target = nullptr;
    HRESULT hr = StgCreateDocfile(
        name.c_str(), STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0,
        &target);
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_STGCREATEDOCFILE);
        return false;
    }
    int operation = STG_OP_COPYTO;
    hr = m_pRootStorage->CopyTo(0, nullptr, nullptr, target);
    if (SUCCEEDED(hr)) {
        operation = STG_OP_COMMIT;
        hr = target->Commit(STGC_OVERWRITE);
    }
    if (SUCCEEDED(hr)) {
        operation = STG_OP_REVERT;
        hr = m_pRootStorage->Revert();
    }
    if (FAILED(hr)) {
        ReportStgError(hr, operation);
        target->Release();
        return false;
    }
    m_pRootStorage->Release();
    m_pRootStorage = target;
    if (CElementTree* tree = GetTreeView())
        tree->SetRootStorage(target);
    return true;
}

void CKestrinDoc::OnCloseDocument() {
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

void CKestrinDoc::SetModifiedFlag(bool modified) {
    if (modified && !IsModified()) {
        CBaseDoc::SetModifiedFlag(true);
        SetTitle(GetTitle() + QStringLiteral(" *"));
    } else if (!modified && IsModified()) {
        CBaseDoc::SetModifiedFlag(false);
        SetTitle(GetTitle().chopped(2));
    }
}

CElementTree* CKestrinDoc::GetTreeView() const {
    return GetView<CElementTree>();
}

std::unique_ptr<ElementChain> CKestrinDoc::OpenCurrent() {
    CElementTree* tree = GetTreeView();
    if (!tree)
        return nullptr;
    BOOL isStorage = TRUE;
    return tree->OpenCurrentElement(&isStorage);
}
