// The type editor's type commands: register the edited type in the document, delete the type
// it names, move that type up or down the type list. The editor hears of its own changes
// through the document's hints like every other view, so its drop-down follows them too.
#include <QLineEdit>

#include "base_types.h"
#include "cp932.h"
#include "message_box.h"
#include "strm_def_view.h"
#include "strmdef_doc.h"
#include "strmdef_messages.h"
#include "type_def.h"
#include "val_def.h"

namespace {

void Show(const char16_t* message) {
    AfxMessageBox(QString::fromUtf16(message));
}

} // namespace

CTypeDef* CStrmDefView::NamedType() const {
    CTypeDef* found = nullptr;
    if (const std::optional<QByteArray> name = ToCp932(m_pTypeName->text().trimmed()))
        GetDocument()->FindTypeByName(*name, &found);
    return found;
}

void CStrmDefView::OnRegister() {
    const std::optional<QByteArray> name = ToCp932(m_pTypeName->text().trimmed());
    if (!name || name->isEmpty()) {
        Show(name ? kMsgNoTypeName : kMsgNotShiftJis);
        m_pTypeName->setFocus();
        return;
    }
    CStrmDefDoc* doc = GetDocument();
    CTypeDef* found = nullptr;
    const int index = doc->FindTypeByName(*name, &found);
    if (!CheckRegister(index, found))
        return;
    const std::uint32_t kind = Kind() == 0 ? KIND_DEFINE : KIND_STRUCT;
    std::unique_ptr<CTypeDef> added;
    if (!found)
        added = std::make_unique<CTypeDef>(*name, index, kind);
    CTypeDef* type = found ? found : added.get();
    type->m_nKind = kind;
    type->m_aMember.clear();
    for (const auto& member : m_aMembers)
        type->m_aMember.push_back(std::make_unique<CValDef>(*member));
    if (added)
        doc->AddType(nullptr, std::move(added));
    else
        doc->SetModifiedFlag();
    m_nKind = Kind();
    SetDirty(false);
}

// The members may have been checked against another place of the type in the list: types
// move, and the name may have changed since.
bool CStrmDefView::CheckRegister(int index, const CTypeDef* found) {
    if (found && index < kBaseTypeCount) {
        Show(kMsgBaseTypeName);
        return false;
    }
    if (m_aMembers.empty()) {
        Show(kMsgNoMembers);
        return false;
    }
    if (Kind() == 0 && m_aMembers.size() > 1) {
        Show(kMsgDefineOneLine);
        return false;
    }
    for (const auto& member : m_aMembers)
        if (!member->m_bPointer && member->GetType()->m_nTypeId >= index) {
            Show(kMsgBackwardReference);
            return false;
        }
    return true;
}

void CStrmDefView::OnDeleteType() {
    CTypeDef* type = NamedType();
    if (!type)
        return;
    int refCount = 0;
    switch (GetDocument()->DeleteType(nullptr, type->m_nTypeId, refCount)) {
    case DELETE_TYPE_BASE:
        Show(kMsgDeleteBaseType);
        break;
    case DELETE_TYPE_IN_USE:
        AfxMessageBox(QString::fromUtf16(kMsgTypeInUse).arg(refCount));
        break;
    case DELETE_TYPE_DONE:
        GetDocument()->SetModifiedFlag();
        LoadType(nullptr);
        break;
    }
}

void CStrmDefView::OnMoveType(bool up) {
    CTypeDef* type = NamedType();
    if (type && up)
        GetDocument()->MoveTypeUp(nullptr, type);
    else if (type)
        GetDocument()->MoveTypeDown(nullptr, type);
}
