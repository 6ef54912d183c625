#include "kestrin_doc.h"

#include <string>

#include "document_messages.h"
#include "message_box.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "storage_api.h"

bool CKestrinDoc::OnOpenDocument(const QString& path) {
    const std::u16string name = path.toStdU16String();
    HRESULT hr = StgOpenStorage(name.c_str(), nullptr,
                                STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, nullptr,
                                0, &m_pRootStorage);
    if (FAILED(hr)) {
        m_pRootStorage = nullptr;
        if (hr == STG_E_FILEALREADYEXISTS)
            AfxMessageBox(QString::fromUtf16(kMsgNotStorageFile));
        else
            ReportStgError(hr, STG_OP_STGOPENSTORAGE);
    }
    SetModifiedFlag(false);
    return true;
}

void CKestrinDoc::OnCloseDocument() {
    if (m_pRootStorage) {
        m_pRootStorage->Revert();
        m_pRootStorage->Release();
        m_pRootStorage = nullptr;
    }
    CBaseDoc::OnCloseDocument();
}
