// The type editor's state: what it shows of the document's types and of the type being
// edited, and how the document's hints change it.
#include "strm_def_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "cp932.h"
#include "variable_line.h"
#include "message_box.h"
#include "editor_texts.h"
#include "strmdef_doc.h"
#include "strmdef_messages.h"
#include "type_def.h"
#include "val_def.h"
#include "val_edit_texts.h"

namespace {

QVariant Data(const CTypeDef* type) {
    return QVariant::fromValue(const_cast<void*>(static_cast<const void*>(type)));
}

QString NameOf(const CTypeDef& type) {
    return FromCp932(type.m_strName, kValEditNoCharacter);
}

} // namespace

CStrmDefView::CStrmDefView() {
    BuildForm();
    SetKind(-1);
    ClearInputs();
}

// A view that its closing document let go of is deleted after the document destroyed its
// types: its copies must not touch them.
CStrmDefView::~CStrmDefView() {
    if (!GetDocument())
        for (const auto& member : m_aMembers)
            member->DetachType();
}

CStrmDefDoc* CStrmDefView::GetDocument() const {
    return dynamic_cast<CStrmDefDoc*>(CView::GetDocument());
}

void CStrmDefView::OnInitialUpdate() {
    FillTypeCombo();
    ClearInputs();
    SetDirty(false);
}

void CStrmDefView::OnUpdate(CView* /*sender*/, long hint, CObject* hintObject) {
    const auto* type = dynamic_cast<const CTypeDef*>(hintObject);
    if (hint == HINT_TYPE_ADDED && type) {
        m_pMemberType->addItem(NameOf(*type), Data(type));
    } else if (hint == HINT_TYPE_DELETED && type) {
        m_pMemberType->removeItem(type->m_nTypeId);
    } else if (hint == HINT_TYPE_MOVED_UP && type) {
        SwapComboEntries(type->m_nTypeId, type->m_nTypeId + 1);
    } else if (hint == HINT_TYPE_MOVED_DOWN && type) {
        SwapComboEntries(type->m_nTypeId, type->m_nTypeId - 1);
    } else if (ConfirmDiscard()) {
        // A type chosen in the list, or the choice cleared.
        LoadType(hint == HINT_TYPE_SELECTED ? type : nullptr);
    }
}

void CStrmDefView::FillTypeCombo() {
    QSignalBlocker blocker(m_pMemberType);
    m_pMemberType->clear();
    for (const auto& type : GetDocument()->GetTypes())
        m_pMemberType->addItem(NameOf(*type), Data(type.get()));
    m_pMemberType->setCurrentIndex(-1);
}

// The entries follow their types; the chosen type stays chosen.
void CStrmDefView::SwapComboEntries(int first, int second) {
    const QVariant chosen = m_pMemberType->currentData();
    for (int index : {first, second}) {
        const CTypeDef* type = GetDocument()->GetTypes()[index].get();
        m_pMemberType->setItemText(index, NameOf(*type));
        m_pMemberType->setItemData(index, Data(type));
    }
    m_pMemberType->setCurrentIndex(chosen.isValid() ? m_pMemberType->findData(chosen) : -1);
}

// Changes not yet registered are dropped only when the user agrees.
bool CStrmDefView::ConfirmDiscard() {
    return !m_pRegister->isEnabled() || AfxMessageBox(QString::fromUtf16(kMsgDiscardChanges),
                                                      MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CStrmDefView::ClearEditor() {
    {
        QSignalBlocker blocker(m_pMemberList);
        m_pMemberList->clear();
    }
    m_aMembers.clear();
    m_pTypeName->clear();
    SetKind(0);
    ClearInputs();
}

// A user type's name, kind and member copies; a base type or none leaves the editor empty.
void CStrmDefView::LoadType(const CTypeDef* type) {
    ClearEditor();
    if (type && type->m_nKind != KIND_BASE) {
        for (const auto& member : type->m_aMember) {
            m_aMembers.push_back(std::make_unique<CValDef>(*member));
            m_pMemberList->addItem(VariableLineText(*member));
        }
        m_pTypeName->setText(NameOf(*type));
        SetKind(type->m_nKind == KIND_DEFINE ? 0 : 1);
    }
    m_nKind = Kind();
    ClearInputs();
    SetDirty(false);
}

void CStrmDefView::ClearInputs() {
    m_pMemberType->setCurrentIndex(-1);
    m_pPointer->setChecked(false);
    m_pMemberName->clear();
    m_pArray->setChecked(false);
    m_pArraySize->clear();
    m_pArraySize->setEnabled(false);
    m_pComment->clear();
    QSignalBlocker blocker(m_pMemberList);
    m_pMemberList->clearSelection();
    m_pMemberList->setCurrentRow(-1);
    SetUpdateMode(false);
}

void CStrmDefView::LoadMember(const CValDef& member) {
    m_pMemberType->setCurrentIndex(m_pMemberType->findData(Data(member.GetType())));
    m_pPointer->setChecked(member.m_bPointer);
    m_pMemberName->setText(FromCp932(member.m_strName, kValEditNoCharacter));
    m_pArray->setChecked(member.m_bArray);
    m_pArraySize->setText(member.m_bArray ? ArraySizeText(member) : QString());
    m_pArraySize->setEnabled(member.m_bArray);
    m_pComment->setText(FromCp932(member.m_strComment, kValEditNoCharacter));
}

void CStrmDefView::SelectMember(int row) {
    {
        QSignalBlocker blocker(m_pMemberList);
        m_pMemberList->setCurrentRow(row);
    }
    OnMemberSelected();
}

// While a member is selected 追加 updates it, and it can be deleted, copied or inserted before.
void CStrmDefView::SetUpdateMode(bool update) {
    m_bUpdate = update;
    m_pAdd->setText(QString::fromUtf16(update ? kCaptionUpdate : kCaptionAdd));
    for (QPushButton* button : {m_pDeleteMember, m_pCopy, m_pInsert, m_pMemberUp, m_pMemberDown})
        button->setEnabled(update);
}

void CStrmDefView::SetDirty(bool dirty) {
    m_pRegister->setEnabled(dirty);
}

int CStrmDefView::Kind() const {
    return m_pKind->checkedId();
}

void CStrmDefView::SetKind(int kind) {
    if (kind >= 0) {
        m_pKind->button(kind)->setChecked(true);
        return;
    }
    m_pKind->setExclusive(false);
    for (QAbstractButton* button : m_pKind->buttons())
        button->setChecked(false);
    m_pKind->setExclusive(true);
}
