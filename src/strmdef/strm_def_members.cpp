// The type editor's member commands: a member is built from the inputs, checked, and put into
// the list as a new line, in place of the selected one, or one place higher or lower.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "cp932.h"
#include "variable_line.h"
#include "message_box.h"
#include "strm_def_view.h"
#include "strmdef_doc.h"
#include "strmdef_messages.h"
#include "type_def.h"
#include "val_def.h"

namespace {

// Shows message and gives the input its focus back for a correction.
std::unique_ptr<CValDef> Refuse(const char16_t* message, QWidget* input) {
    AfxMessageBox(QString::fromUtf16(message));
    input->setFocus();
    return nullptr;
}

} // namespace

void CStrmDefView::OnAdd() {
    Commit(m_bUpdate ? Place::Replace : Place::Append);
}

void CStrmDefView::OnInsert() {
    if (m_bUpdate)
        Commit(Place::Insert);
}

void CStrmDefView::OnMemberUp() {
    if (m_bUpdate && m_pMemberList->currentRow() > 0)
        Commit(Place::Up);
}

void CStrmDefView::OnMemberDown() {
    if (m_bUpdate && m_pMemberList->currentRow() + 1 < m_pMemberList->count())
        Commit(Place::Down);
}

void CStrmDefView::OnDeleteMember() {
    const int row = m_pMemberList->currentRow();
    if (!m_bUpdate || row < 0)
        return;
    {
        QSignalBlocker blocker(m_pMemberList);
        delete m_pMemberList->takeItem(row);
    }
    m_aMembers.erase(m_aMembers.begin() + row);
    if (row < m_pMemberList->count())
        SelectMember(row);
    else
        ClearInputs();
    SetDirty(true);
}

void CStrmDefView::OnNewMember() {
    ClearInputs();
    m_pMemberType->setFocus();
}

// The inputs stay: they are the start of a new member.
void CStrmDefView::OnCopyMember() {
    {
        QSignalBlocker blocker(m_pMemberList);
        m_pMemberList->clearSelection();
        m_pMemberList->setCurrentRow(-1);
    }
    SetUpdateMode(false);
    m_pMemberType->setFocus();
}

void CStrmDefView::OnMemberSelected() {
    const int row = m_pMemberList->currentRow();
    if (row < 0 || m_pMemberList->selectedItems().isEmpty())
        return;
    SetUpdateMode(true);
    LoadMember(*m_aMembers[row]);
}

void CStrmDefView::OnArray() {
    m_pArraySize->setEnabled(m_pArray->isChecked());
}

void CStrmDefView::OnKind() {
    if (Kind() != m_nKind)
        SetDirty(true);
    m_nKind = Kind();
}

// A member that is not a pointer may only name a type defined before the edited one: a type
// is defined before it is embedded.
std::unique_ptr<CValDef> CStrmDefView::MemberFromInputs() {
    auto* type = static_cast<CTypeDef*>(m_pMemberType->currentData().value<void*>());
    if (!type)
        return Refuse(kMsgNoTypeChosen, m_pMemberType);
    const QByteArray typeName = ToCp932(m_pTypeName->text().trimmed()).value_or(QByteArray());
    if (type->m_nTypeId >= GetDocument()->FindTypeByName(typeName) && !m_pPointer->isChecked())
        return Refuse(kMsgBackwardReference, m_pMemberType);
    if (m_pArray->isChecked() && m_pArraySize->text().trimmed().isEmpty())
        return Refuse(kMsgNoArraySize, m_pArraySize);
    const std::optional<QByteArray> name = ToCp932(m_pMemberName->text());
    if (!name)
        return Refuse(kMsgNotShiftJis, m_pMemberName);
    const std::optional<QByteArray> comment = ToCp932(m_pComment->text());
    if (!comment)
        return Refuse(kMsgNotShiftJis, m_pComment);
    auto member = std::make_unique<CValDef>();
    if (m_pArray->isChecked() && !ApplyArraySize(m_pArraySize->text(), *member))
        return Refuse(kMsgBadArraySize, m_pArraySize);
    member->SetType(type);
    member->m_bPointer = m_pPointer->isChecked();
    member->m_strName = *name;
    member->m_bArray = m_pArray->isChecked();
    member->m_strComment = *comment;
    return member;
}

void CStrmDefView::PutMember(std::unique_ptr<CValDef> member, int row) {
    QSignalBlocker blocker(m_pMemberList);
    m_pMemberList->insertItem(row, VariableLineText(*member));
    m_aMembers.insert(m_aMembers.begin() + row, std::move(member));
}

// Checked before anything is taken out of the list, so a refused move loses nothing.
void CStrmDefView::Commit(Place place) {
    std::unique_ptr<CValDef> member = MemberFromInputs();
    if (!member)
        return;
    const int row = m_pMemberList->currentRow();
    if (place == Place::Append) {
        PutMember(std::move(member), m_pMemberList->count());
        ClearInputs();
        m_pMemberType->setFocus();
    } else if (place == Place::Insert) {
        PutMember(std::move(member), row);
        SelectMember(row);
    } else {
        {
            QSignalBlocker blocker(m_pMemberList);
            delete m_pMemberList->takeItem(row);
        }
        m_aMembers.erase(m_aMembers.begin() + row);
        const int target = place == Place::Up ? row - 1 : place == Place::Down ? row + 1 : row;
        PutMember(std::move(member), target);
        if (place != Place::Replace)
            SelectMember(target);
        else if (row + 1 < m_pMemberList->count())
            SelectMember(row + 1);
        else
            ClearInputs();
    }
    SetDirty(true);
}
