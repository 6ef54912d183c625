// The compound-file document's stream definition: its type list, loading a .stm into it for
// the typed value view, and the commands that choose a definition and shape that view.
#include <QFile>

#include "archive.h"
#include "base_types.h"
#include "cmd_ui.h"
#include "document_ids.h"
#include "document_messages.h"
#include "file_dialog.h"
#include "kestrin_doc.h"
#include "mdi_frame_wnd.h"
#include "message_box.h"
#include "recent_strmdefs.h"
#include "resources.h"
#include "strm_def.h"
#include "strmdef_messages.h"
#include "val_def.h"
#include "value_view.h"
#include "win_app.h"

namespace {

// The view's columns by command: the commands run 定義, 変数名, 値, 位置, コメント.
int ColumnOf(UINT id) {
    constexpr int kColumns[] = {0, 1, 3, 2, 4};
    return kColumns[id - ID_COLUMN_DEFINITION];
}

} // namespace

CRecentStrmDefs* RecentStrmDefs() {
    return dynamic_cast<CRecentStrmDefs*>(AfxGetApp());
}

void CKestrinDoc::AddStrmDefCommands() {
    OnCommand(ID_STRMDEF_OPEN, &CKestrinDoc::OnStrmDefOpen);
    OnControl(CBN_SELCHANGE, IDC_STRMDEF_COMBO, &CKestrinDoc::OnStrmDefSelChange);
    OnCommandRange(ID_VALUE_DECIMAL, ID_VALUE_HEX, &CKestrinDoc::OnValueRadix);
    OnUpdateCommand(ID_VALUE_DECIMAL, &CKestrinDoc::OnUpdateValueDecimal);
    OnCommandRange(ID_COLUMN_DEFINITION, ID_COLUMN_COMMENT, &CKestrinDoc::OnColumn);
    OnUpdateCommandRange(ID_COLUMN_DEFINITION, ID_COLUMN_COMMENT, &CKestrinDoc::OnUpdateColumn);
}

std::vector<CValueView*> CKestrinDoc::GetValEditViews() const {
    return GetViewsOf<CValueView>();
}

void CKestrinDoc::ResetTypes() {
    DeleteTypes();
    AppendBaseTypes(m_aTypes);
}

// The rows name types of the list: they go first, without touching types about to go too.
void CKestrinDoc::DeleteTypes() {
    for (CValueView* view : GetValEditViews())
        view->ClearRows(false);
    DestroyTypes(m_aTypes);
}

// The whole file is read and checked before anything changes: a file that cannot be read or
// is damaged leaves the types and rows of the definition loaded before.
bool CKestrinDoc::LoadStrmDef(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AfxMessageBox(QString::fromUtf16(kMsgLoadFailed));
        return false;
    }
    CStrmDef loaded;
    CArchive archive(&file, CArchive::load);
    loaded.Serialize(archive);
    if (archive.IsFailed()) {
        AfxMessageBox(QString::fromUtf16(kMsgDamagedStrmDef));
        return false;
    }
    const std::vector<CValueView*> views = GetValEditViews();
    for (CValueView* view : views)
        view->ClearRows(true);
    DestroyTypes(m_aTypes, kBaseTypeCount);
    // Every window shows the layout: each view but the last gets copies of the variables.
    for (auto& variable : loaded.MoveOnto(m_aTypes)) {
        for (std::size_t i = 0; i + 1 < views.size(); ++i)
            views[i]->AddRow(std::make_unique<CValDef>(*variable));
        if (!views.empty())
            views.back()->AddRow(std::move(variable));
    }
    if (CRecentStrmDefs* recent = RecentStrmDefs())
        recent->AddLoadedStrmDef(path);
    UpdateAllViews(nullptr);
    return true;
}

void CKestrinDoc::OnStrmDefOpen() {
    CFileDialog dialog(true, QStringLiteral("stm"), QString(), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       AfxLoadString(IDS_STRMDEF_FILTER));
    dialog.m_ofn.lpstrTitle = AfxLoadString(IDS_STRMDEF_OPEN_TITLE);
    if (dialog.DoModal() == IDOK)
        LoadStrmDef(dialog.GetPathName());
}

// A file that can no longer be loaded (moved, deleted, damaged) leaves the list.
void CKestrinDoc::OnStrmDefSelChange() {
    CRecentStrmDefs* recent = RecentStrmDefs();
    const QString path = recent ? recent->GetSelectedStrmDef() : QString();
    if (!path.isEmpty() && !LoadStrmDef(path))
        recent->RemoveStrmDef(path);
}

void CKestrinDoc::OnValueRadix(UINT id) {
    if (id == ID_VALUE_DECIMAL && !GetTreeView())
        return;
    m_nValueRadix = id == ID_VALUE_DECIMAL ? 0 : 1;
    UpdateAllViews(nullptr);
}

// The one handler that marks the pair: the menu's radio mark follows the radix.
void CKestrinDoc::OnUpdateValueDecimal(CCmdUI* ui) {
    if (!GetTreeView())
        return;
    ui->Enable();
    if (CMDIFrameWnd* main = AfxGetMainWnd())
        main->CheckMenuRadioItem(ID_VALUE_DECIMAL, ID_VALUE_HEX,
                                 m_nValueRadix == 0 ? ID_VALUE_DECIMAL : ID_VALUE_HEX);
}

void CKestrinDoc::OnColumn(UINT id) {
    const int column = ColumnOf(id);
    m_bColumnShown[column] = !m_bColumnShown[column];
    for (CValueView* view : GetValEditViews())
        view->ShowColumn(column, m_bColumnShown[column]);
}

void CKestrinDoc::OnUpdateColumn(CCmdUI* ui) {
    ui->SetCheck(m_bColumnShown[ColumnOf(ui->m_nID)]);
}
