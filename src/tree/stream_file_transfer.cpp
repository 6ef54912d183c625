// Importing an ordinary file as a new stream and exporting a stream to an ordinary file,
// byte for byte, through one fixed buffer. A failed or cancelled import leaves no stream; a
// failed or cancelled export leaves no file under the chosen name (nor changes one there).
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "copy_buffer.h"
#include "file_dialog.h"
#include "kestrin_doc.h"
#include "message_box.h"
#include "progress.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "stg_tree_view.h"
#include "tree_messages.h"
#include "wait_cursor.h"

namespace {

// False when it failed (reported) or was cancelled.
bool CopyFileToStream(QFile& file, IStream* stream, const CopyBuffer& buffer) {
    CProgress progress(QString::fromUtf16(kTextImport), file.size());
    qint64 done = 0;
    for (;;) {
        const qint64 got = file.read(buffer.Data(), static_cast<qint64>(buffer.Size()));
        if (got < 0) {
            AfxMessageBox(QString::fromUtf16(kMsgFileReadFailed));
            return false;
        }
        if (got == 0)
            return true;
        ULONG written = 0;
        const HRESULT hr = stream->Write(buffer.Data(), static_cast<ULONG>(got), &written);
        if (FAILED(hr) || written != got) {
            ReportStgError(FAILED(hr) ? hr : STG_E_WRITEFAULT, STG_OP_GENERIC);
            return false;
        }
        done += got;
        if (!progress.SetValue(done))
            return false;
    }
}

bool CopyStreamToFile(IStream* stream, QSaveFile& file, const CopyBuffer& buffer) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    CProgress progress(QString::fromUtf16(kTextExport), static_cast<qint64>(stat.cbSize.QuadPart));
    qint64 done = 0;
    for (;;) {
        ULONG got = 0;
        const HRESULT hr = stream->Read(buffer.Data(), static_cast<ULONG>(buffer.Size()), &got);
        if (FAILED(hr)) {
            ReportStgError(hr, STG_OP_READ);
            return false;
        }
        if (got == 0)
            return true;
        if (file.write(buffer.Data(), got) != got) {
            AfxMessageBox(QString::fromUtf16(kMsgFileWriteFailed));
            return false;
        }
        done += got;
        if (!progress.SetValue(done))
            return false;
    }
}

} // namespace

void CStgTreeView::OnImport() {
    CKestrinDoc* doc = GetDocument();
    if (!m_bCurValid || !m_bCurIsStorage || !doc)
        return;
    CFileDialog dialog(true, QString(), QString(), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       QString::fromUtf16(kFilterImport));
    dialog.m_ofn.lpstrTitle = QString::fromUtf16(kTitleImport);
    if (dialog.DoModal() != IDOK)
        return;
    // The file is opened before the stream is made, so that a file that cannot be read
    // leaves no empty stream behind.
    QFile file(dialog.GetPathName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        AfxMessageBox(QString::fromUtf16(kMsgFileOpenFailed));
        return;
    }
    CopyBuffer buffer;
    if (!buffer) {
        AfxMessageBox(QString::fromUtf16(kMsgNoMemory));
        return;
    }
    const bool wasModified = doc->IsModified();
    QString name = QFileInfo(file.fileName()).fileName();
    QTreeWidgetItem* item = CreateInCurrent(name, STGTY_STREAM);
    if (!item)
        return;
    bool imported = false;
    {
        WaitCursor wait;
        doc->Lock();
        std::unique_ptr<ElementChain> chain = OpenStreamChain(item);
        if (chain && chain->GetLast())
            imported = CopyFileToStream(file, chain->GetLastStream(), buffer);
        ReleaseStreamChain(std::move(chain));
    }
    if (!imported) {
        // The partial stream goes, and with it the only change the import made.
        QTreeWidgetItem* parent = item->parent();
        DeleteElement(item);
        if (!wasModified && !FindChild(parent, name))
            doc->SetModifiedFlag(false);
        return;
    }
    ElementsChanged();
    doc->UpdateAllViews(this);
    BeginLabelEdit(item);
}

void CStgTreeView::OnExport() {
    if (!m_bCurValid || m_bCurIsStorage)
        return;
    CFileDialog dialog(false, QString(), m_hCurItem->text(0),
                       OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                       QString::fromUtf16(kFilterExport));
    dialog.m_ofn.lpstrTitle = QString::fromUtf16(kTitleExport);
    if (dialog.DoModal() != IDOK)
        return;
    // The bytes go to a file beside the chosen one, which takes its name only when all of
    // them are written.
    QSaveFile file(dialog.GetPathName());
    if (!file.open(QIODevice::WriteOnly)) {
        AfxMessageBox(QString::fromUtf16(kMsgFileWriteFailed));
        return;
    }
    WaitCursor wait;
    CopyBuffer buffer;
    if (!buffer) {
        AfxMessageBox(QString::fromUtf16(kMsgNoMemory));
        return;
    }
    CKestrinDoc* doc = GetDocument();
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStreamChain(m_hCurItem);
    bool copied = false;
    if (chain && chain->GetLast())
        copied = CopyStreamToFile(chain->GetLastStream(), file, buffer);
    ReleaseStreamChain(std::move(chain));
    if (!copied)
        file.cancelWriting();
    else if (!file.commit())
        AfxMessageBox(QString::fromUtf16(kMsgFileWriteFailed));
}
