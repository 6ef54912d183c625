#include "strm_lst_view.h"

#include <QResizeEvent>

#include "cp932.h"
#include "strmdef_doc.h"
#include "type_def.h"
#include "val_edit_texts.h"

namespace {

constexpr int kFirstRowCount = 10;
constexpr char16_t kTypeListHeader[] = u"定義済み変数型";

QString NameOf(const CTypeDef& type) {
    return FromCp932(type.m_strName, kValEditNoCharacter);
}

} // namespace

// Rows added later inherit the selectable style of row 1.
CStrmLstView::CStrmLstView() : CBaseScrlView(false) {
    CGrid* grid = GetGrid();
    grid->SetColCount(1);
    grid->SetRowCount(kFirstRowCount);
    grid->Cell(0, 0).m_nStyle = GCS_COLHEAD;
    grid->SetCellText(0, 0, QString::fromUtf16(kTypeListHeader));
    grid->Cell(1, 0).m_nStyle = GCS_SELECT;
}

CStrmDefDoc* CStrmLstView::GetDocument() const {
    return dynamic_cast<CStrmDefDoc*>(CView::GetDocument());
}

void CStrmLstView::resizeEvent(QResizeEvent* event) {
    CBaseScrlView::resizeEvent(event);
    GetGrid()->SetColWidth(0, viewport()->width());
    UpdateScrollBars();
}

void CStrmLstView::OnInitialUpdate() {
    for (const auto& type : GetDocument()->GetTypes())
        AddRow(*type);
    CBaseScrlView::OnInitialUpdate();
}

void CStrmLstView::AddRow(const CTypeDef& type) {
    GetGrid()->SetRowCount(m_nTypeRows + 2);
    GetGrid()->SetCellText(m_nTypeRows + 1, 0, NameOf(type));
    ++m_nTypeRows;
}

// The hint comes before the later types are renumbered: the id is still the row's.
void CStrmLstView::RemoveRow(const CTypeDef& type) {
    CGrid* grid = GetGrid();
    const int row = type.m_nTypeId + 1;
    grid->ClearSelection(false);
    grid->MoveCells(row + 1, 0, m_nTypeRows + 1, 0, -1, 0);
    --m_nTypeRows;
    grid->SetRowCount(m_nTypeRows + 2);
    grid->SetCellText(m_nTypeRows + 1, 0, QString());
    viewport()->update();
}

void CStrmLstView::ShowMove(const CTypeDef& moved, int neighbourRow) {
    CGrid* grid = GetGrid();
    const int row = moved.m_nTypeId + 1;
    const CTypeDef& neighbour = *GetDocument()->GetTypes()[neighbourRow - 1];
    grid->ClearSelection(false);
    grid->SetCellText(row, 0, NameOf(moved));
    grid->SetCellText(neighbourRow, 0, NameOf(neighbour));
    grid->SelectCell(row, 0, true, false);
    grid->InvalidateCells(qMin(row, neighbourRow), 0, qMax(row, neighbourRow), 0);
}

void CStrmLstView::OnUpdate(CView* sender, long hint, CObject* hintObject) {
    const auto* type = dynamic_cast<const CTypeDef*>(hintObject);
    if (hint == HINT_TYPE_ADDED && type)
        AddRow(*type);
    else if (hint == HINT_TYPE_DELETED && type)
        RemoveRow(*type);
    else if (hint == HINT_TYPE_MOVED_UP && type)
        ShowMove(*type, type->m_nTypeId + 2);
    else if (hint == HINT_TYPE_MOVED_DOWN && type)
        ShowMove(*type, type->m_nTypeId);
    UpdateScrollBars();
    CBaseScrlView::OnUpdate(sender, hint, hintObject);
}

// The row says which type: names need not be unique (a damaged file leaves nameless types).
void CStrmLstView::OnCellClick(int nRow, int nCol) {
    CStrmDefDoc* doc = GetDocument();
    if (nRow < 0 || nCol < 0) {
        doc->UpdateAllViews(this, HINT_TYPE_UNSELECTED);
        return;
    }
    CTypeDef* type = nRow >= 1 && nRow <= m_nTypeRows ? doc->GetTypes()[nRow - 1].get() : nullptr;
    doc->UpdateAllViews(this, HINT_TYPE_SELECTED, type);
}
