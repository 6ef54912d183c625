// The inputs of one variable in an editor's form: its type (one entry per document type, in id
// order, the entry's data the type), pointer, name, array and size, and comment. They turn
// into a new variable, with a message box and the focus on the input at fault when they do not
// make one, and show an existing variable. The form owns the widgets and lays them out.
#pragma once

#include <memory>

class CStrmDefDoc;
class CTypeDef;
class CValDef;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

class CVariableInputs {
public:
    // The widgets, children of form, with no layout yet.
    explicit CVariableInputs(QWidget* form);

    // One entry per type of doc.
    void FillTypes(const CStrmDefDoc& doc);
    // Follows the document's type list: an added type, a deleted one, and the swap of a moved
    // type (hintObject) with its neighbour. The chosen entry stays on its type.
    void OnTypeHint(long hint, const CTypeDef* type);

    // No type, pointer and array off, the texts empty.
    void Clear();
    void Load(const CValDef& variable);
    // The size is open to input exactly for an array.
    void EnableSize();
    // A variable of the inputs; null after telling the user what is missing or wrong.
    std::unique_ptr<CValDef> Build() const;

    QComboBox* m_pType;
    QCheckBox* m_pPointer;
    QLineEdit* m_pName;
    QCheckBox* m_pArray;
    QLineEdit* m_pSize;
    QLineEdit* m_pComment;

private:
    int IndexOfType(const CTypeDef* type) const;
    CTypeDef* TypeAt(int index) const;
};
