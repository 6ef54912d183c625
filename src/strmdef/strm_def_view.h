// The type editor of a stream-definition window: a form on which the user names a type,
// chooses its kind (define or struct), builds its members line by line and registers it in
// the document; it also deletes a type and moves it up or down the type list.
//
// The member list holds copies of the members (each holds a reference on its type, so a
// type the editor uses cannot be deleted); they reach the document only on register (≪),
// which is enabled while there are changes not yet registered. The controls carry their
// dialog ids as object names ("1007" the type name, "1014" the member list, ...).
#pragma once

#include <memory>
#include <vector>

#include "form_view.h"

class CStrmDefDoc;
class CTypeDef;
class CValDef;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// The dialog ids of the form's controls.
enum StrmDefControl {
    IDC_TYPE_NAME = 1007,
    IDC_KIND_DEFINE = 1008,
    IDC_KIND_STRUCT = 1009,
    IDC_REGISTER = 1010,
    IDC_DELETE_TYPE = 1011,
    IDC_MEMBERS = 1014,
    IDC_MEMBER_UP = 1015,
    IDC_MEMBER_TYPE = 1016,
    IDC_MEMBER_NAME = 1017,
    IDC_ADD = 1018,
    IDC_MEMBER_DOWN = 1019,
    IDC_DELETE_MEMBER = 1020,
    IDC_TYPE_DOWN = 1021,
    IDC_TYPE_UP = 1022,
    IDC_ARRAY = 1024,
    IDC_ARRAY_SIZE = 1025,
    IDC_POINTER = 1026,
    IDC_COMMENT = 1027,
    IDC_NEW = 1028,
    IDC_COPY = 1029,
    IDC_INSERT = 1041,
};

class CStrmDefView : public CFormView {
public:
    CStrmDefView();
    // Gives the copies' references back, unless the document has already let go of the view.
    ~CStrmDefView() override;

    CStrmDefDoc* GetDocument() const;
    // The member copies, in list order.
    const std::vector<std::unique_ptr<CValDef>>& GetMembers() const { return m_aMembers; }

    void OnInitialUpdate() override;
    // Type hints: the drop-down follows added, deleted and moved types; a type chosen in the
    // type list is loaded; a cleared choice clears the editor.
    void OnUpdate(CView* sender, long hint, CObject* hintObject) override;

private:
    // Where a committed member goes.
    enum class Place { Append, Replace, Insert, Up, Down };

    // The form (strm_def_form.cpp).
    void BuildForm();
    QWidget* BuildTypeRow();
    QWidget* BuildMemberRow();
    QWidget* BuildListRow();
    void SetTabOrder();
    void Connect();

    // Editor state (strm_def_view.cpp).
    void FillTypeCombo();
    void ClearEditor();
    void LoadType(const CTypeDef* type);
    void ClearInputs();
    void LoadMember(const CValDef& member);
    void SelectMember(int row);
    void SetUpdateMode(bool update);
    void SetDirty(bool dirty);
    int Kind() const;
    void SetKind(int kind);
    bool ConfirmDiscard();
    void SwapComboEntries(int first, int second);

    // Members (strm_def_members.cpp).
    void OnAdd();
    void OnInsert();
    void OnDeleteMember();
    void OnMemberUp();
    void OnMemberDown();
    void OnNewMember();
    void OnCopyMember();
    void OnMemberSelected();
    void OnArray();
    void OnKind();
    void Commit(Place place);
    std::unique_ptr<CValDef> MemberFromInputs();
    void PutMember(std::unique_ptr<CValDef> member, int row);

    // The type (strm_def_register.cpp).
    void OnRegister();
    bool CheckRegister(int index, const CTypeDef* found);
    void OnDeleteType();
    void OnMoveType(bool up);
    CTypeDef* NamedType() const;

    QLineEdit* m_pTypeName = nullptr;
    QButtonGroup* m_pKind = nullptr;
    QComboBox* m_pMemberType = nullptr;
    QCheckBox* m_pPointer = nullptr;
    QLineEdit* m_pMemberName = nullptr;
    QCheckBox* m_pArray = nullptr;
    QLineEdit* m_pArraySize = nullptr;
    QLineEdit* m_pComment = nullptr;
    QListWidget* m_pMemberList = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pInsert = nullptr;
    QPushButton* m_pDeleteMember = nullptr;
    QPushButton* m_pNew = nullptr;
    QPushButton* m_pCopy = nullptr;
    QPushButton* m_pMemberUp = nullptr;
    QPushButton* m_pMemberDown = nullptr;
    QPushButton* m_pRegister = nullptr;
    QPushButton* m_pDeleteType = nullptr;
    QPushButton* m_pTypeUp = nullptr;
    QPushButton* m_pTypeDown = nullptr;

    std::vector<std::unique_ptr<CValDef>> m_aMembers;
    bool m_bUpdate = false; // a member is selected: its values are in the inputs
    int m_nKind = -1;       // the kind as last registered or loaded; -1 none chosen
};
