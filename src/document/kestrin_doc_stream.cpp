// The commands on the current stream's bytes: resizing it, writing one byte at a position
// and going to a position, each through its dialog; the tree writes.
#include "byte_edit_dlg.h"
#include "cmd_ui.h"
#include "document_ids.h"
#include "element_tree.h"
#include "goto_position_dlg.h"
#include "kestrin_doc.h"
#include "page_view.h"
#include "stream_size_dlg.h"

void CKestrinDoc::AddStreamCommands() {
    OnCommand(ID_STREAM_RESIZE, &CKestrinDoc::OnStreamResize);
    OnCommand(ID_BYTE_EDIT, &CKestrinDoc::OnByteEdit);
    OnUpdateCommand(ID_STREAM_RESIZE, &CKestrinDoc::OnUpdateStreamCommand);
    OnUpdateCommand(ID_BYTE_EDIT, &CKestrinDoc::OnUpdateStreamCommand);
    OnCommand(ID_GOTO_POSITION, &CKestrinDoc::OnGotoPosition);
    OnUpdateCommand(ID_GOTO_POSITION, &CKestrinDoc::OnUpdateStreamCommand);
}

void CKestrinDoc::OnStreamResize() {
    CElementTree* tree = GetTreeView();
    if (!tree)
        return;
    CStreamSizeDlg dialog;
    dialog.m_strName = tree->GetCurrentName();
    dialog.m_ullCurrentSize = tree->GetCurrentStreamSize().QuadPart;
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    ULARGE_INTEGER size;
    size.QuadPart = dialog.m_ullNewSize;
    tree->ResizeCurrentStream(size);
}

void CKestrinDoc::OnByteEdit() {
    CElementTree* tree = GetTreeView();
    if (!tree)
        return;
    CByteEditDlg dialog;
    dialog.m_ullStreamSize = m_streamSize;
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    ULARGE_INTEGER position;
    position.QuadPart = dialog.m_ullPosition;
    tree->WriteCurrentStream(position, &dialog.m_byValue, 1);
}

// A stream of a gigabyte cannot be browsed a page at a time: the page holding the position
// typed in shows, with that byte's cell current.
void CKestrinDoc::OnGotoPosition() {
    if (!GetTreeView())
        return;
    CGotoPositionDlg dialog;
    dialog.m_ullStreamSize = m_streamSize;
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    m_pageOffset = dialog.m_ullPosition / kPageBytes * kPageBytes;
    UpdateAllViews(nullptr);
    if (CPageView* view = GetKestrinView())
        view->SetCurrentByte(static_cast<int>(dialog.m_ullPosition % kPageBytes));
}

// A stream is current; without a tree the item stays as it is.
void CKestrinDoc::OnUpdateStreamCommand(CCmdUI* ui) {
    if (CElementTree* tree = GetTreeView())
        ui->Enable(tree->IsCurValid() && !m_bCurIsStorage);
}
