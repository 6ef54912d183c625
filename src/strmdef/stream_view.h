// The stream layout editor of a stream-definition window: the document's layout variables, one
// line each, and the inputs of one variable. Every change goes to the document at once: add
// appends the inputs (or, while a line is selected, replaces it), insert puts them before the
// selected line, delete removes it, the arrows move it (with the inputs' values) one place. A
// selected line is loaded into the inputs; new clears them, copy keeps them for another line.
//
// The lines are the layout list's entries in order: line i shows the document's variable i.
#pragma once

#include <QString>

#include "form_view.h"
#include "variable_inputs.h"

class CStrmDefDoc;
class QListWidget;
class QPushButton;

class CStreamView : public CFormView {
public:
    CStreamView();

    CStrmDefDoc* GetDocument() const;
    // A control of the form by its dialog id (IDC_STREAM_*).
    QWidget* GetDlgItem(UINT id) const;

    // Fills the type box and one line per layout variable; the inputs start empty.
    void OnInitialUpdate() override;
    // Keeps the type box in step with the type list; the lines name types by name only.
    void OnUpdate(CView* sender, long hint, CObject* hintObject) override;
    // Another window on the same document may have changed the layout meanwhile.
    void OnActivateView(bool activate, CView* activateView, CView* deactiveView) override;

private:
    void LayOut();
    QPushButton* AddButton(UINT id, const char16_t* caption, void (CStreamView::*fn)());

    void OnAdd();
    void OnInsert();
    void OnDelete();
    void OnNew();
    void OnCopy();
    void OnUp();
    void OnDown();
    void OnSelChange();

    // The selected line, or -1; a selected line is the one add updates.
    int Selected() const;
    // Selects line without the list's notification and loads its variable.
    void SelectAndLoad(int line);
    // No line selected; the inputs are emptied when asked.
    void Unselect(bool clearInputs);
    void EnableButtons();
    // Puts variable into the layout and a line for it at index (the end appends), selected.
    void InsertAt(int index, std::unique_ptr<CValDef> variable);
    void RemoveAt(int index);
    // One line per layout variable, when the lines no longer say what the layout holds.
    void SyncLines();

    CVariableInputs m_inputs;
    QListWidget* m_pList;
    QPushButton* m_pAdd;
};
