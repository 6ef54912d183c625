#include "val_edit_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <unordered_set>
#include <vector>

#include "cmd_ui.h"
#include "cp932.h"
#include "document_ids.h"
#include "kestrin_doc.h"
#include "menu.h"
#include "page_view.h"
#include "strmdef_ids.h"
#include "type_def.h"
#include "type_sizes.h"
#include "val_def.h"
#include "val_edit_texts.h"

CValEditView::CValEditView() : CBaseScrlView(false) {
    LayoutGrid();
    OnCommand(ID_VALUE_SHOW_BYTES, &CValEditView::OnShowBytes);
    OnUpdateCommand(ID_VALUE_SHOW_BYTES, &CValEditView::OnUpdateShowBytes);
}

CValEditView::~CValEditView() {
    ClearRows(false);
}

CKestrinDoc* CValEditView::GetDocument() const {
    return dynamic_cast<CKestrinDoc*>(CView::GetDocument());
}

// A header row and one empty data row whose styles the rows added later inherit.
void CValEditView::LayoutGrid() {
    CGrid* grid = GetGrid();
    grid->SetColCount(COL_COUNT);
    grid->SetRowCount(2);
    for (int col = 0; col < COL_COUNT; ++col) {
        grid->Cell(0, col).m_nStyle = GCS_COLHEAD;
        grid->SetCellText(0, col, QString::fromUtf16(kValEditHeaders[col]));
        grid->SetColWidth(col, m_anSavedWidth[col]);
    }
    grid->Cell(1, COL_DEFINITION).m_nStyle = GCS_BITMAP;
    grid->Cell(1, COL_POSITION).m_nStyle = GCS_RIGHT;
}

CValDef* CValEditView::RowDef(int row) const {
    return reinterpret_cast<CValDef*>(GetGrid()->Cell(row, COL_DEFINITION).m_dwData);
}

const CValDef* CValEditView::GetRowVariable(int row) const {
    return row >= 1 && row <= m_nRowCount ? RowDef(row) : nullptr;
}

void CValEditView::ClearRows(bool releaseTypes) {
    CGrid* grid = GetGrid();
    for (int row = 1; row <= m_nRowCount; ++row) {
        CValDef* variable = RowDef(row);
        if (variable && !releaseTypes)
            variable->DetachType();
        delete variable;
        grid->Cell(row, COL_DEFINITION).m_dwData = 0;
        for (int col = 0; col < COL_COUNT; ++col)
            grid->Cell(row, col).m_strText.clear();
    }
    m_nRowCount = m_nTopCount = 0;
    m_pSizes.reset();
    m_pMarked = nullptr;
    m_bMarkOnStream = false;
    TintRow(1, false);
    // What stays is the empty first row, without an expansion mark or a hatch left behind.
    grid->SetRowCount(2);
    grid->SetCellBitmap(1, COL_DEFINITION, IDB_GRIDCELL);
    grid->Cell(1, COL_DEFINITION).m_nIndent = grid->Cell(1, COL_NAME).m_nIndent = 0;
    grid->Cell(1, COL_VALUE).m_nStyle &= ~GCS_HATCH;
    UpdateScrollBars();
    viewport()->update();
}

void CValEditView::AddRow(std::unique_ptr<CValDef> variable) {
    CGrid* grid = GetGrid();
    ++m_nTopCount;
    grid->SetRowCount(m_nRowCount + 2);
    const int row = m_nRowCount + 1;
    for (int col = 0; col < COL_COUNT; ++col)
        grid->Cell(row, col).m_strText.clear();
    grid->Cell(row, COL_VALUE).m_nStyle &= ~GCS_HATCH;
    WriteDeclaration(row, *variable, 0);
    SetRowBitmap(row, *variable, nullptr);
    grid->Cell(row, COL_DEFINITION).m_dwData = reinterpret_cast<DWORD_PTR>(variable.release());
    ++m_nRowCount;
    m_pSizes.reset();
    UpdateScrollBars();
    viewport()->update();
}

// Columns 0, 1 and 4 of a variable's row: type (with "*" for a pointer), name (with its
// array size) and comment.
void CValEditView::WriteDeclaration(int row, const CValDef& variable, int indent) {
    CGrid* grid = GetGrid();
    QString type;
    if (const CTypeDef* def = variable.GetType())
        type = FromCp932(def->m_strName, kValEditNoCharacter);
    if (variable.m_bPointer)
        type += u'*';
    QString name = FromCp932(variable.m_strName, kValEditNoCharacter);
    if (variable.m_bArray)
        name += variable.m_bCountByName
                    ? u'[' + FromCp932(variable.m_strCountName, kValEditNoCharacter) + u']'
                    : QStringLiteral("[%1]").arg(variable.m_nCount);
    grid->Cell(row, COL_DEFINITION).m_strText = type;
    grid->Cell(row, COL_NAME).m_strText = name;
    grid->Cell(row, COL_COMMENT).m_strText = FromCp932(variable.m_strComment, kValEditNoCharacter);
    grid->Cell(row, COL_DEFINITION).m_nIndent = grid->Cell(row, COL_NAME).m_nIndent = indent;
}

void CValEditView::SetRowBitmap(int row, const CValDef& variable, const CTypeDef* owner) {
    GetGrid()->SetCellBitmap(row, COL_DEFINITION,
                             IsExpandable(variable, owner) ? IDB_VALUE_COLLAPSED : IDB_GRIDCELL);
}

// An array, a struct or a define, unless it is a member that leads back to its owner: that
// one would expand without end.
bool CValEditView::IsExpandable(const CValDef& variable, const CTypeDef* owner) {
    const CTypeDef* type = variable.GetType();
    if (!variable.m_bArray && (!type || type->m_nKind == KIND_BASE))
        return false;
    return !owner || !Sizes().IsRecursive(owner, variable);
}

const CTypeSizes& CValEditView::Sizes() {
    if (m_pSizes)
        return *m_pSizes;
    std::vector<const CTypeDef*> types;
    std::unordered_set<const CTypeDef*> seen;
    auto reach = [&](const CTypeDef* type) {
        if (type && seen.insert(type).second)
            types.push_back(type);
    };
    for (int row = 1; row <= m_nRowCount; ++row)
        if (const CValDef* variable = RowDef(row))
            reach(variable->GetType());
    for (std::size_t i = 0; i < types.size(); ++i)
        for (const auto& member : types[i]->m_aMember)
            reach(member->GetType());
    m_pSizes = std::make_unique<CTypeSizes>(types);
    return *m_pSizes;
}

void CValEditView::ShowColumn(int column, bool show) {
    if (column < 0 || column >= COL_COUNT)
        return;
    CGrid* grid = GetGrid();
    // A column hidden twice keeps the width it had before the first time.
    if (!show && grid->GetColWidth(column) > 1)
        m_anSavedWidth[column] = grid->GetColWidth(column);
    grid->SetColWidth(column, show ? m_anSavedWidth[column] : 1);
    UpdateScrollBars();
    OnUpdate(nullptr, 0, nullptr);
}

void CValEditView::OnInitialUpdate() {
    if (const CKestrinDoc* doc = GetDocument())
        for (int col = 0; col < COL_COUNT; ++col)
            if (!doc->IsColumnShown(col))
                ShowColumn(col, false);
    CBaseScrlView::OnInitialUpdate();
}

QImage CValEditView::LoadBitmap(UINT id) const {
    auto found = m_bitmaps.find(id);
    if (found == m_bitmaps.end())
        found = m_bitmaps.emplace(id, CBaseScrlView::LoadBitmap(id)).first;
    return found->second;
}

bool CValEditView::IsHexValues() const {
    const CKestrinDoc* doc = GetDocument();
    return doc && doc->GetValueRadix() != 0;
}

void CValEditView::mousePressEvent(QMouseEvent* event) {
    CBaseScrlView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        MarkRowAt(event->position().toPoint());
}

// Rows are picked by a click anywhere on them; a click beside them picks none.
void CValEditView::MarkRowAt(const QPoint& point) {
    int row = 0;
    int col = 0;
    const int hit = GetGrid()->HitTest(point.x(), point.y(), &row, &col);
    const bool onRow = (hit == GHT_CELL || hit == GHT_BITMAP) && row >= 1 && row <= m_nRowCount;
    const CValDef* picked = onRow ? RowDef(row) : nullptr;
    if (picked == m_pMarked)
        return;
    m_pMarked = picked;
    OnUpdate(nullptr, 0, nullptr);
    viewport()->update();
}

void CValEditView::OnShowBytes() {
    CKestrinDoc* doc = GetDocument();
    if (!doc || !m_bMarkOnStream)
        return;
    doc->SetPageOffset(m_markStart / kPageBytes * kPageBytes);
    doc->UpdateAllViews(nullptr);
}

void CValEditView::OnUpdateShowBytes(CCmdUI* ui) {
    ui->Enable(m_bMarkOnStream);
}

void CValEditView::contextMenuEvent(QContextMenuEvent* event) {
    MarkRowAt(event->pos());
    CMenu menu;
    QMenu* popup = menu.LoadMenu(IDR_VALUE_CONTEXT) ? menu.GetSubMenu(0) : nullptr;
    if (!popup)
        return;
    const bool hex = IsHexValues();
    for (QAction* action : popup->actions()) {
        const UINT id = action->data().toUInt();
        if (id == ID_VALUE_DECIMAL || id == ID_VALUE_HEX) {
            action->setCheckable(true);
            action->setChecked((id == ID_VALUE_HEX) == hex);
        }
    }
    TrackPopupMenu(popup, event->globalPos());
}

void CValEditView::TrackPopupMenu(QMenu* menu, const QPoint& globalPos) {
    menu->exec(globalPos);
}
