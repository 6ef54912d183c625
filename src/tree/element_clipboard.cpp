// Cut, copy and paste of whole elements through the system clipboard, so that elements
// travel within a file, between files and between running instances of the program.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "cmd_ui.h"
#include "stg_tree_view.h"
#include "transfer_mime_data.h"
#include "tree_ids.h"
#include "wait_cursor.h"

void CStgTreeView::AddTransferCommands() {
    OnCommand(ID_EDIT_COPY, &CStgTreeView::OnEditCopy);
    OnCommand(ID_EDIT_CUT, &CStgTreeView::OnEditCut);
    OnCommand(ID_EDIT_PASTE, &CStgTreeView::OnEditPaste);
    OnCommand(ID_STREAM_IMPORT, &CStgTreeView::OnImport);
    OnCommand(ID_STREAM_EXPORT, &CStgTreeView::OnExport);
    OnUpdateCommand(ID_EDIT_COPY, &CStgTreeView::OnUpdateEditCopy);
    OnUpdateCommand(ID_EDIT_CUT, &CStgTreeView::OnUpdateEditCopy);
    OnUpdateCommand(ID_EDIT_PASTE, &CStgTreeView::OnUpdateEditPaste);
    OnUpdateCommand(ID_STREAM_IMPORT, &CStgTreeView::OnUpdateImport);
    OnUpdateCommand(ID_STREAM_EXPORT, &CStgTreeView::OnUpdateExport);
}

// True once the current element's image is on the clipboard.
bool CStgTreeView::CopyToClipboard() {
    if (!m_bCurValid)
        return false;
    WaitCursor wait;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    HGLOBAL image = MakeTransferImage(m_hCurItem, m_bCurIsStorage ? ImageStorage : ImageStream);
    if (!image)
        return false;
    clipboard->setMimeData(new CTransferMimeData(image));
    return true;
}

void CStgTreeView::OnEditCopy() {
    CopyToClipboard();
}

// The element is deleted only when the clipboard holds all of it; the root stays.
void CStgTreeView::OnEditCut() {
    QTreeWidgetItem* item = m_hCurItem;
    if (CopyToClipboard())
        DeleteElement(item);
}

void CStgTreeView::OnEditPaste() {
    PasteFrom(m_hCurItem, DROPEFFECT_COPY, nullptr);
}

void CStgTreeView::OnUpdateEditCopy(CCmdUI* ui) {
    ui->Enable(m_bCurValid);
}

void CStgTreeView::OnUpdateEditPaste(CCmdUI* ui) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ui->Enable(m_bCurValid && m_bCurIsStorage && data &&
               data->hasFormat(QString::fromLatin1(kElementMimeType)));
}

void CStgTreeView::OnUpdateImport(CCmdUI* ui) {
    ui->Enable(m_bCurValid && m_bCurIsStorage);
}

void CStgTreeView::OnUpdateExport(CCmdUI* ui) {
    ui->Enable(m_bCurValid && !m_bCurIsStorage);
}
