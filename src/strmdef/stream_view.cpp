#include "stream_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "editor_texts.h"
#include "platform_setup.h"
#include "strmdef_doc.h"
#include "strmdef_ids.h"
#include "tab_stop_delegate.h"
#include "type_def.h"
#include "val_def.h"
#include "variable_line.h"

namespace {

// The list's one tab stop, in dialog units: the names line up after the type names.
constexpr int kListTabStop = 45;

QLabel* Label(const char16_t* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf16(text), buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

// The controls are made in tab order: the inputs, the list, then the buttons.
CStreamView::CStreamView() : m_inputs(GetForm()), m_pList(new QListWidget) {
    // The dialog font of the program's forms.
    LOGFONT logFont;
    logFont.lfHeight = -12;
    logFont.lfFaceName = QStringLiteral("ＭＳ Ｐゴシック");
    GetForm()->setFont(CreateFontIndirect(logFont));
    m_pList->setParent(GetForm());
    m_inputs.m_pPointer->setText(QString::fromUtf16(kCaptionPointer));
    m_inputs.m_pArray->setText(QString::fromUtf16(kCaptionArray));
    const std::pair<QWidget*, UINT> ids[] = {
        {m_inputs.m_pType, IDC_STREAM_TYPE}, {m_inputs.m_pPointer, IDC_STREAM_POINTER},
        {m_inputs.m_pName, IDC_STREAM_NAME}, {m_inputs.m_pArray, IDC_STREAM_ARRAY},
        {m_inputs.m_pSize, IDC_STREAM_SIZE}, {m_inputs.m_pComment, IDC_STREAM_COMMENT},
        {m_pList, IDC_STREAM_LIST}};
    for (const auto& [widget, id] : ids)
        widget->setObjectName(QString::number(id));
    m_pAdd = AddButton(IDC_STREAM_ADD, kCaptionAdd, &CStreamView::OnAdd);
    AddButton(IDC_STREAM_INSERT, kCaptionInsert, &CStreamView::OnInsert);
    AddButton(IDC_STREAM_DELETE, kCaptionDelete, &CStreamView::OnDelete);
    AddButton(IDC_STREAM_NEW, kCaptionNew, &CStreamView::OnNew);
    AddButton(IDC_STREAM_COPY, kCaptionCopy, &CStreamView::OnCopy);
    AddButton(IDC_STREAM_UP, kCaptionUp, &CStreamView::OnUp);
    AddButton(IDC_STREAM_DOWN, kCaptionDown, &CStreamView::OnDown);
    QObject::connect(m_pList, &QListWidget::itemSelectionChanged, GetForm(),
                     [this] { OnSelChange(); });
    // A line picked with the mouse goes on to its type; the keyboard stays in the list.
    QObject::connect(m_pList, &QListWidget::itemClicked, GetForm(),
                     [this] { m_inputs.m_pType->setFocus(); });
    LayOut();
    EnableButtons();
}

QPushButton* CStreamView::AddButton(UINT id, const char16_t* caption, void (CStreamView::*fn)()) {
    auto* button = new QPushButton(QString::fromUtf16(caption), GetForm());
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    // Narrow buttons: the form must fit a low, narrow pane.
    button->setFixedWidth(
        button->fontMetrics().horizontalAdvance(QString::fromUtf16(kCaptionUpdate)) + 24);
    OnCommand(id, fn);
    QObject::connect(button, &QPushButton::clicked, GetForm(),
                     [this, id] { OnCmdMsg(id, CN_COMMAND, nullptr); });
    return button;
}

// Inputs on the left, the lines in the middle with the larger share of the width, buttons on the
// right.
void CStreamView::LayOut() {
    auto* inputs = new QGridLayout;
    inputs->addWidget(Label(kLabelMemberType, m_inputs.m_pType), 0, 0);
    inputs->addWidget(m_inputs.m_pType, 0, 1);
    inputs->addWidget(m_inputs.m_pPointer, 0, 2);
    inputs->addWidget(Label(kLabelMemberName, m_inputs.m_pName), 1, 0);
    inputs->addWidget(m_inputs.m_pName, 1, 1, 1, 2);
    inputs->addWidget(m_inputs.m_pArray, 2, 0);
    inputs->addWidget(m_inputs.m_pSize, 2, 1);
    inputs->addWidget(Label(kLabelComment, m_inputs.m_pComment), 3, 0);
    inputs->addWidget(m_inputs.m_pComment, 3, 1, 1, 2);
    inputs->setRowStretch(4, 1);

    auto* buttons = new QGridLayout;
    const UINT grid[][2] = {{IDC_STREAM_ADD, IDC_STREAM_INSERT},
                            {IDC_STREAM_DELETE, IDC_STREAM_NEW},
                            {IDC_STREAM_COPY, 0},
                            {IDC_STREAM_UP, IDC_STREAM_DOWN}};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 2; ++col)
            if (grid[row][col])
                buttons->addWidget(GetDlgItem(grid[row][col]), row, col);
    buttons->setRowStretch(4, 1);

    auto* form = new QHBoxLayout(GetForm());
    form->setContentsMargins(6, 6, 6, 6);
    form->addLayout(inputs, 2);
    form->addWidget(m_pList, 3);
    form->addLayout(buttons);
    m_pList->setMinimumWidth(120);
}

CStrmDefDoc* CStreamView::GetDocument() const {
    return dynamic_cast<CStrmDefDoc*>(CView::GetDocument());
}

QWidget* CStreamView::GetDlgItem(UINT id) const {
    return GetForm()->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CStreamView::OnInitialUpdate() {
    m_inputs.FillTypes(*GetDocument());
    m_pList->setItemDelegate(
        new CTabStopDelegate(DialogUnitsX(m_pList->font(), kListTabStop), m_pList));
    SyncLines();
    Unselect(true);
}

void CStreamView::OnUpdate(CView*, long hint, CObject* hintObject) {
    if (const auto* type = dynamic_cast<const CTypeDef*>(hintObject))
        m_inputs.OnTypeHint(hint, type);
}

void CStreamView::OnActivateView(bool activate, CView* activateView, CView* deactiveView) {
    if (activate)
        SyncLines();
    CFormView::OnActivateView(activate, activateView, deactiveView);
}

void CStreamView::SyncLines() {
    const auto& layout = GetDocument()->GetLayout();
    bool same = m_pList->count() == int(layout.size());
    for (int line = 0; same && line < m_pList->count(); ++line)
        same = m_pList->item(line)->text() == VariableLineText(*layout[line]);
    if (same)
        return;
    const QSignalBlocker block(m_pList);
    m_pList->clear();
    for (const auto& variable : layout)
        m_pList->addItem(VariableLineText(*variable));
    Unselect(true);
}

int CStreamView::Selected() const {
    const QList<QListWidgetItem*> items = m_pList->selectedItems();
    return items.isEmpty() ? -1 : m_pList->row(items.front());
}

void CStreamView::SelectAndLoad(int line) {
    {
        const QSignalBlocker block(m_pList);
        m_pList->setCurrentRow(line);
    }
    OnSelChange();
}

void CStreamView::Unselect(bool clearInputs) {
    {
        const QSignalBlocker block(m_pList);
        m_pList->clearSelection();
    }
    if (clearInputs)
        m_inputs.Clear();
    m_pAdd->setText(QString::fromUtf16(kCaptionAdd));
    EnableButtons();
}

void CStreamView::EnableButtons() {
    const int line = Selected();
    for (UINT id : {IDC_STREAM_INSERT, IDC_STREAM_DELETE, IDC_STREAM_COPY})
        GetDlgItem(id)->setEnabled(line >= 0);
    GetDlgItem(IDC_STREAM_UP)->setEnabled(line > 0);
    GetDlgItem(IDC_STREAM_DOWN)->setEnabled(line >= 0 && line + 1 < m_pList->count());
}

void CStreamView::OnSelChange() {
    const int line = Selected();
    if (line < 0) {
        // The user cleared the selection: the inputs stay, for another line.
        Unselect(false);
        return;
    }
    m_inputs.Load(*GetDocument()->GetLayout()[line]);
    m_pAdd->setText(QString::fromUtf16(kCaptionUpdate));
    EnableButtons();
}

void CStreamView::InsertAt(int index, std::unique_ptr<CValDef> variable) {
    const QString text = VariableLineText(*variable);
    if (index == m_pList->count())
        GetDocument()->AddVariable(std::move(variable));
    else
        GetDocument()->InsertVariable(index, std::move(variable));
    {
        const QSignalBlocker block(m_pList);
        m_pList->insertItem(index, text);
    }
    SelectAndLoad(index);
}

void CStreamView::RemoveAt(int index) {
    {
        const QSignalBlocker block(m_pList);
        delete m_pList->takeItem(index);
    }
    GetDocument()->RemoveVariable(index);
}

void CStreamView::OnAdd() {
    std::unique_ptr<CValDef> variable = m_inputs.Build();
    if (!variable)
        return;
    const QString text = VariableLineText(*variable);
    const int line = Selected();
    CStrmDefDoc* doc = GetDocument();
    if (line < 0) {
        doc->AddVariable(std::move(variable));
        m_pList->addItem(text);
        m_pList->scrollToBottom();
        Unselect(true);
        return;
    }
    doc->ReplaceVariable(line, std::move(variable));
    // An update counts as a change even when the inputs were as they came.
    doc->SetModifiedFlag();
    m_pList->item(line)->setText(text);
    if (line + 1 < m_pList->count())
        SelectAndLoad(line + 1);
    else
        Unselect(true);
}

void CStreamView::OnInsert() {
    const int line = Selected();
    if (line < 0)
        return;
    if (std::unique_ptr<CValDef> variable = m_inputs.Build())
        InsertAt(line, std::move(variable));
}

void CStreamView::OnDelete() {
    const int line = Selected();
    if (line < 0)
        return;
    RemoveAt(line);
    if (line < m_pList->count())
        SelectAndLoad(line);
    else
        Unselect(true);
}

void CStreamView::OnNew() {
    Unselect(true);
    m_inputs.m_pType->setFocus();
}

void CStreamView::OnCopy() {
    Unselect(false);
    m_inputs.m_pType->setFocus();
}

// A move carries the inputs' values; they are checked before the line leaves its place, so a
// refused move loses nothing.
void CStreamView::OnUp() {
    const int line = Selected();
    if (line <= 0)
        return;
    if (std::unique_ptr<CValDef> variable = m_inputs.Build()) {
        RemoveAt(line);
        InsertAt(line - 1, std::move(variable));
    }
}

void CStreamView::OnDown() {
    const int line = Selected();
    if (line < 0 || line + 1 >= m_pList->count())
        return;
    if (std::unique_ptr<CValDef> variable = m_inputs.Build()) {
        RemoveAt(line);
        InsertAt(line + 1, std::move(variable));
    }
}
