// The commands of the hex page and element list: paging through the current stream 256 bytes
// at a time, and the list's style.
#include "cmd_ui.h"
#include "document_ids.h"
#include "kestrin_doc.h"
#include "page_view.h"

namespace {

DWORD ListStyleOf(UINT id) {
    switch (id) {
    case ID_VIEW_LARGEICON:
        return LVS_ICON;
    case ID_VIEW_SMALLICON:
        return LVS_SMALLICON;
    default:
        return LVS_REPORT;
    }
}

} // namespace

void CKestrinDoc::AddViewCommands() {
    OnCommandRange(ID_PAGE_FIRST, ID_PAGE_LAST, &CKestrinDoc::OnPage);
    OnUpdateCommandRange(ID_PAGE_FIRST, ID_PAGE_PREV, &CKestrinDoc::OnUpdatePageBack);
    OnUpdateCommandRange(ID_PAGE_NEXT, ID_PAGE_LAST, &CKestrinDoc::OnUpdatePageForward);
    OnCommandRange(ID_VIEW_LARGEICON, ID_VIEW_DETAILS, &CKestrinDoc::OnListStyle);
    OnUpdateCommandRange(ID_VIEW_LARGEICON, ID_VIEW_DETAILS, &CKestrinDoc::OnUpdateListStyle);
}

CPageView* CKestrinDoc::GetKestrinView() const {
    return GetView<CPageView>();
}

void CKestrinDoc::OnPage(UINT id) {
    switch (id) {
    case ID_PAGE_FIRST:
        m_pageOffset = 0;
        break;
    case ID_PAGE_PREV:
        m_pageOffset -= std::min(m_pageOffset, kPageBytes);
        break;
    case ID_PAGE_NEXT:
        m_pageOffset += kPageBytes;
        break;
    default:
        if (m_streamSize == 0)
            return;
        m_pageOffset = (m_streamSize - 1) / kPageBytes * kPageBytes;
        break;
    }
    UpdateAllViews(nullptr);
}

void CKestrinDoc::OnUpdatePageBack(CCmdUI* ui) {
    ui->Enable(m_pageOffset != 0 && !m_bCurIsStorage);
}

void CKestrinDoc::OnUpdatePageForward(CCmdUI* ui) {
    ui->Enable(m_pageOffset + kPageBytes < m_streamSize && !m_bCurIsStorage);
}

void CKestrinDoc::OnListStyle(UINT id) {
    CPageView* view = GetKestrinView();
    if (view && view->GetListStyle() != ListStyleOf(id))
        view->SetListStyle(ListStyleOf(id));
}

void CKestrinDoc::OnUpdateListStyle(CCmdUI* ui) {
    CPageView* view = GetKestrinView();
    ui->Enable(view && !view->IsHexMode());
    ui->SetCheck(view && view->GetListStyle() == ListStyleOf(ui->m_nID));
}
