// The type editor's controls, their layout and tab order: the type's name, kind and
// commands on top, the member inputs below, then the member list beside its commands. The
// form fits a pane of about 560 by 230 pixels and scrolls in a smaller one.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "editor_texts.h"
#include "strm_def_view.h"
#include "tab_stop_delegate.h"

namespace {

constexpr int kMargin = 6;
constexpr int kSpacing = 4;
constexpr int kTabStopUnits = 45;
constexpr int kNarrowButton = 28; // the arrow, ≪ and X buttons
constexpr int kListMinHeight = 90;
constexpr int kSizeWidth = 64;
constexpr int kTypeComboWidth = 150;

template <class Control> Control* Named(Control* control, int id) {
    control->setObjectName(QString::number(id));
    return control;
}

QPushButton* Button(int id, const char16_t* caption, bool narrow = false) {
    auto* button = Named(new QPushButton(QString::fromUtf16(caption)), id);
    button->setAutoDefault(false);
    if (narrow)
        button->setFixedWidth(kNarrowButton);
    return button;
}

QLabel* Label(const char16_t* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf16(text));
    label->setBuddy(buddy);
    return label;
}

QHBoxLayout* Row(QWidget* owner) {
    auto* row = new QHBoxLayout(owner);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(kSpacing);
    return row;
}

} // namespace

void CStrmDefView::BuildForm() {
    auto* column = new QVBoxLayout(GetForm());
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->setSpacing(kSpacing);
    column->addWidget(BuildTypeRow());
    column->addWidget(BuildMemberRow());
    auto* commentRow = new QWidget;
    m_pComment = Named(new QLineEdit, IDC_COMMENT);
    QHBoxLayout* comment = Row(commentRow);
    comment->addWidget(Label(kLabelComment, m_pComment));
    comment->addWidget(m_pComment, 1);
    column->addWidget(commentRow);
    column->addWidget(BuildListRow(), 1);
    SetTabOrder();
    Connect();
}

// 型名 [name] (define) (struct)   ≪ X △ ▽
QWidget* CStrmDefView::BuildTypeRow() {
    auto* owner = new QWidget;
    m_pTypeName = Named(new QLineEdit, IDC_TYPE_NAME);
    auto* define = Named(new QRadioButton(QString::fromUtf16(kCaptionDefine)), IDC_KIND_DEFINE);
    auto* structure = Named(new QRadioButton(QString::fromUtf16(kCaptionStruct)), IDC_KIND_STRUCT);
    m_pKind = new QButtonGroup(owner);
    m_pKind->addButton(define, 0);
    m_pKind->addButton(structure, 1);
    m_pRegister = Button(IDC_REGISTER, kCaptionRegister, true);
    m_pDeleteType = Button(IDC_DELETE_TYPE, kCaptionDeleteType, true);
    m_pTypeUp = Button(IDC_TYPE_UP, kCaptionUp, true);
    m_pTypeDown = Button(IDC_TYPE_DOWN, kCaptionDown, true);
    QHBoxLayout* row = Row(owner);
    row->addWidget(Label(kLabelTypeName, m_pTypeName));
    row->addWidget(m_pTypeName, 1);
    row->addWidget(define);
    row->addWidget(structure);
    row->addSpacing(2 * kSpacing);
    for (QPushButton* button : {m_pRegister, m_pDeleteType, m_pTypeUp, m_pTypeDown})
        row->addWidget(button);
    return owner;
}

// 型 [type] □ﾎﾟｲﾝﾀ 名称 [name] □配列 [size]
QWidget* CStrmDefView::BuildMemberRow() {
    auto* owner = new QWidget;
    m_pMemberType = Named(new QComboBox, IDC_MEMBER_TYPE);
    m_pMemberType->setMinimumWidth(kTypeComboWidth);
    m_pMemberType->setMaxVisibleItems(20);
    m_pPointer = Named(new QCheckBox(QString::fromUtf16(kCaptionPointer)), IDC_POINTER);
    m_pMemberName = Named(new QLineEdit, IDC_MEMBER_NAME);
    m_pArray = Named(new QCheckBox(QString::fromUtf16(kCaptionArray)), IDC_ARRAY);
    m_pArraySize = Named(new QLineEdit, IDC_ARRAY_SIZE);
    m_pArraySize->setFixedWidth(kSizeWidth);
    QHBoxLayout* row = Row(owner);
    row->addWidget(Label(kLabelMemberType, m_pMemberType));
    row->addWidget(m_pMemberType);
    row->addWidget(m_pPointer);
    row->addWidget(Label(kLabelMemberName, m_pMemberName));
    row->addWidget(m_pMemberName, 1);
    row->addWidget(m_pArray);
    row->addWidget(m_pArraySize);
    return owner;
}

// The member list, and its commands two by two beside it.
QWidget* CStrmDefView::BuildListRow() {
    auto* owner = new QWidget;
    m_pMemberList = Named(new QListWidget, IDC_MEMBERS);
    m_pMemberList->setMinimumHeight(kListMinHeight);
    m_pMemberList->setItemDelegate(
        new CTabStopDelegate(DialogUnitsX(font(), kTabStopUnits), m_pMemberList));
    m_pAdd = Button(IDC_ADD, kCaptionAdd);
    m_pInsert = Button(IDC_INSERT, kCaptionInsert);
    m_pDeleteMember = Button(IDC_DELETE_MEMBER, kCaptionDelete);
    m_pNew = Button(IDC_NEW, kCaptionNew);
    m_pCopy = Button(IDC_COPY, kCaptionCopy);
    m_pMemberUp = Button(IDC_MEMBER_UP, kCaptionUp);
    m_pMemberDown = Button(IDC_MEMBER_DOWN, kCaptionDown);
    auto* commands = new QGridLayout;
    commands->setSpacing(kSpacing);
    commands->addWidget(m_pAdd, 0, 0);
    commands->addWidget(m_pInsert, 0, 1);
    commands->addWidget(m_pDeleteMember, 1, 0);
    commands->addWidget(m_pNew, 1, 1);
    commands->addWidget(m_pCopy, 2, 0);
    commands->addWidget(m_pMemberUp, 3, 0);
    commands->addWidget(m_pMemberDown, 3, 1);
    commands->setRowStretch(4, 1);
    QHBoxLayout* row = Row(owner);
    row->addWidget(m_pMemberList, 1);
    row->addLayout(commands);
    return owner;
}

// The order of the dialog: the type, the member inputs, the list and its commands, then
// the type's commands.
void CStrmDefView::SetTabOrder() {
    const QList<QWidget*> order{
        m_pTypeName,   m_pKind->button(0), m_pKind->button(1), m_pMemberType, m_pPointer,
        m_pMemberName, m_pArray,           m_pArraySize,       m_pComment,    m_pMemberList,
        m_pAdd,        m_pInsert,          m_pDeleteMember,    m_pNew,        m_pCopy,
        m_pMemberUp,   m_pMemberDown,      m_pRegister,        m_pDeleteType, m_pTypeUp,
        m_pTypeDown};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void CStrmDefView::Connect() {
    const auto click = [this](QAbstractButton* button, void (CStrmDefView::*handler)()) {
        QObject::connect(button, &QAbstractButton::clicked, GetForm(),
                         [this, handler] { (this->*handler)(); });
    };
    click(m_pAdd, &CStrmDefView::OnAdd);
    click(m_pInsert, &CStrmDefView::OnInsert);
    click(m_pDeleteMember, &CStrmDefView::OnDeleteMember);
    click(m_pNew, &CStrmDefView::OnNewMember);
    click(m_pCopy, &CStrmDefView::OnCopyMember);
    click(m_pMemberUp, &CStrmDefView::OnMemberUp);
    click(m_pMemberDown, &CStrmDefView::OnMemberDown);
    click(m_pArray, &CStrmDefView::OnArray);
    click(m_pRegister, &CStrmDefView::OnRegister);
    click(m_pDeleteType, &CStrmDefView::OnDeleteType);
    QObject::connect(m_pTypeUp, &QPushButton::clicked, GetForm(), [this] { OnMoveType(true); });
    QObject::connect(m_pTypeDown, &QPushButton::clicked, GetForm(), [this] { OnMoveType(false); });
    QObject::connect(m_pKind, &QButtonGroup::idClicked, GetForm(), [this] { OnKind(); });
    QObject::connect(m_pMemberList, &QListWidget::itemSelectionChanged, GetForm(),
                     [this] { OnMemberSelected(); });
    // A new name registers the type under that name, so it is a change to register.
    QObject::connect(m_pTypeName, &QLineEdit::textEdited, GetForm(), [this] { SetDirty(true); });
}
