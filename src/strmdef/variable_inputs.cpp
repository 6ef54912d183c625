#include "variable_inputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <optional>

#include "cp932.h"
#include "message_box.h"
#include "strmdef_doc.h"
#include "strmdef_messages.h"
#include "type_def.h"
#include "val_def.h"
#include "variable_line.h"

namespace {

QString Text(const QByteArray& cp932) {
    return FromCp932(cp932, QChar::ReplacementCharacter);
}

// Refuses, with the focus on the input at fault.
void Refuse(const char16_t* message, QWidget* input) {
    AfxMessageBox(QString::fromUtf16(message));
    input->setFocus();
}

// The CP932 bytes of an input; nothing (after telling the user) when it has a character
// that Shift-JIS lacks.
std::optional<QByteArray> Cp932Of(const QString& text, QLineEdit* input) {
    std::optional<QByteArray> bytes = ToCp932(text);
    if (!bytes)
        Refuse(kMsgNotShiftJis, input);
    return bytes;
}

} // namespace

CVariableInputs::CVariableInputs(QWidget* form)
    : m_pType(new QComboBox(form)), m_pPointer(new QCheckBox(form)), m_pName(new QLineEdit(form)),
      m_pArray(new QCheckBox(form)), m_pSize(new QLineEdit(form)), m_pComment(new QLineEdit(form)) {
    // Wide enough for "unsigned __int64", the longest base type.
    m_pType->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pType->setMinimumContentsLength(14);
    m_pType->setMaxVisibleItems(20);
    QObject::connect(m_pArray, &QCheckBox::toggled, form, [this] { EnableSize(); });
    EnableSize();
}

void CVariableInputs::FillTypes(const CStrmDefDoc& doc) {
    m_pType->clear();
    for (const auto& type : doc.GetTypes())
        OnTypeHint(HINT_TYPE_ADDED, type.get());
}

int CVariableInputs::IndexOfType(const CTypeDef* type) const {
    return type ? m_pType->findData(QVariant::fromValue(quintptr(type))) : -1;
}

CTypeDef* CVariableInputs::TypeAt(int index) const {
    return index < 0 ? nullptr
                     : reinterpret_cast<CTypeDef*>(m_pType->itemData(index).value<quintptr>());
}

void CVariableInputs::OnTypeHint(long hint, const CTypeDef* type) {
    const CTypeDef* chosen = TypeAt(m_pType->currentIndex());
    const int id = type->m_nTypeId;
    const int other = hint == HINT_TYPE_MOVED_UP ? id + 1 : id - 1;
    switch (hint) {
    case HINT_TYPE_ADDED:
        m_pType->addItem(Text(type->m_strName), QVariant::fromValue(quintptr(type)));
        break;
    case HINT_TYPE_DELETED:
        if (chosen == type)
            chosen = nullptr;
        m_pType->removeItem(id);
        break;
    case HINT_TYPE_MOVED_UP:
    case HINT_TYPE_MOVED_DOWN:
        if (other >= 0 && other < m_pType->count() && id < m_pType->count()) {
            const CTypeDef* neighbour = TypeAt(id);
            // The entry at id still shows the neighbour, which now has the other place.
            m_pType->setItemText(other, m_pType->itemText(id));
            m_pType->setItemData(other, QVariant::fromValue(quintptr(neighbour)));
            m_pType->setItemText(id, Text(type->m_strName));
            m_pType->setItemData(id, QVariant::fromValue(quintptr(type)));
        }
        break;
    default:
        break;
    }
    // Adding to an empty box or removing the chosen entry would choose another type.
    m_pType->setCurrentIndex(IndexOfType(chosen));
}

void CVariableInputs::Clear() {
    m_pType->setCurrentIndex(-1);
    m_pPointer->setChecked(false);
    m_pName->clear();
    m_pArray->setChecked(false);
    m_pSize->clear();
    m_pComment->clear();
    EnableSize();
}

void CVariableInputs::Load(const CValDef& variable) {
    m_pType->setCurrentIndex(IndexOfType(variable.GetType()));
    m_pPointer->setChecked(variable.m_bPointer);
    m_pName->setText(Text(variable.m_strName));
    m_pArray->setChecked(variable.m_bArray);
    m_pSize->setText(variable.m_bCountByName ? Text(variable.m_strCountName)
                                             : QString::number(variable.m_nCount));
    m_pComment->setText(Text(variable.m_strComment));
    EnableSize();
}

void CVariableInputs::EnableSize() {
    m_pSize->setEnabled(m_pArray->isChecked());
}

std::unique_ptr<CValDef> CVariableInputs::Build() const {
    CTypeDef* type = TypeAt(m_pType->currentIndex());
    if (!type) {
        Refuse(kMsgNoTypeChosen, m_pType);
        return nullptr;
    }
    const bool array = m_pArray->isChecked();
    const QString size = m_pSize->text().trimmed();
    if (array && size.isEmpty()) {
        Refuse(kMsgNoArraySize, m_pSize);
        return nullptr;
    }
    const std::optional<QByteArray> name = Cp932Of(m_pName->text(), m_pName);
    const std::optional<QByteArray> comment =
        name ? Cp932Of(m_pComment->text(), m_pComment) : std::nullopt;
    if (!comment)
        return nullptr;
    auto variable = std::make_unique<CValDef>();
    variable->SetType(type);
    variable->m_bPointer = m_pPointer->isChecked();
    variable->m_strName = *name;
    variable->m_strComment = *comment;
    variable->m_bArray = array;
    // A size of a variable that is no array is left out: its box is closed to input.
    if (!array)
        return variable;
    if (!ApplyArraySize(size, *variable)) {
        Refuse(kMsgBadArraySize, m_pSize);
        return nullptr;
    }
    return variable;
}
