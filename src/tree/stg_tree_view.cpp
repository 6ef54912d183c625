#include "stg_tree_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>

#include "element_name_delegate.h"
#include "kestrin_doc.h"
#include "menu.h"
#include "report_stg_error.h"
#include "stg_folder.h"
#include "stg_operation.h"
#include "tree_ids.h"
#include "tree_images.h"
#include "tree_messages.h"
#include "wait_cursor.h"

namespace {

constexpr int kImageRole = Qt::UserRole;

} // namespace

CStgTreeView::CStgTreeView() {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setUniformRowHeights(true);
    setIconSize(QSize(16, 15));
    // Elements are dragged and dropped as transfer images; the drop decides what it does.
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    AddTransferCommands();
    setItemDelegate(new ElementNameDelegate(
        [this](const QModelIndex& index, const QString& text) {
            OnEndLabelEdit(itemFromIndex(index), text);
        },
        this));
    connect(this, &QTreeWidget::itemExpanded, this, &CStgTreeView::OnItemExpanding);
    connect(this, &QTreeWidget::itemCollapsed, this, &CStgTreeView::OnItemExpanding);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { OnSelChanged(item); });
}

CKestrinDoc* CStgTreeView::GetDocument() const {
    return dynamic_cast<CKestrinDoc*>(CView::GetDocument());
}

void CStgTreeView::OnInitialUpdate() {
    CKestrinDoc* doc = GetDocument();
    FillTree(doc ? doc->GetRootStorage() : nullptr);
}

int CStgTreeView::ImageOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kImageRole).toInt() : -1;
}

QTreeWidgetItem* CStgTreeView::NewItem(const QString& text, int image) const {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, kImageRole, image);
    item->setIcon(0, TreeImage(image));
    // Names are edited in place; the root and the error item keep their texts.
    if (image == ImageStorage || image == ImageStream)
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

void CStgTreeView::FillTree(IStorage* root) {
    WaitCursor wait;
    clear();
    m_hCurItem = nullptr;
    if (!root) {
        setRootIsDecorated(false);
        QTreeWidgetItem* error = NewItem(QString::fromUtf16(kTextErrorItem), ImageError);
        addTopLevelItem(error);
        m_pRootStorage = nullptr;
        return;
    }
    m_pRootStorage = root;
    QTreeWidgetItem* rootItem = InsertRootItem();
    expandItem(rootItem); // reads the root's children and makes the root current
    setRootIsDecorated(rootItem->childCount() > 0);
}

QTreeWidgetItem* CStgTreeView::InsertRootItem() {
    QTreeWidgetItem* rootItem = NewItem(QStringLiteral("/"), ImageStorage);
    rootItem->setFlags(rootItem->flags() & ~Qt::ItemIsEditable);
    addTopLevelItem(rootItem);
    rootItem->addChild(NewItem(QStringLiteral("/"), ImageStorage));
    return rootItem;
}

// Another window changed the elements: every item is read again from the file. The items
// are found again by their names, the expanded storages in tree order so that a parent is
// read before its children.
void CStgTreeView::Refresh() {
    if (!m_pRootStorage)
        return;
    QList<QStringList> expanded;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->isExpanded())
            expanded << PathOf(*it);
    const QStringList current = PathOf(m_hCurItem);
    // This window's current element stays where it was: no selection signal, no update.
    const QSignalBlocker blocker(this);
    clear();
    QTreeWidgetItem* rootItem = InsertRootItem();
    for (const QStringList& path : expanded) {
        bool whole = false;
        QTreeWidgetItem* item = ItemAt(path, &whole);
        if (!whole)
            continue;
        ReadChildren(item);
        expandItem(item);
    }
    TakeCurrent(ItemAt(current, nullptr));
    setCurrentItem(m_hCurItem);
    setRootIsDecorated(rootItem->childCount() > 0);
}

QStringList CStgTreeView::PathOf(const QTreeWidgetItem* item) {
    QStringList path;
    for (; item && item->parent(); item = item->parent())
        path.prepend(item->text(0));
    return path;
}

// The item at path below the root item, or the deepest of its ancestors that exists; whole
// tells which.
QTreeWidgetItem* CStgTreeView::ItemAt(const QStringList& path, bool* whole) const {
    QTreeWidgetItem* item = GetRootItem();
    qsizetype depth = 0;
    for (; depth < path.size(); ++depth) {
        QTreeWidgetItem* child = FindChild(item, path[depth]);
        if (!child)
            break;
        item = child;
    }
    if (whole)
        *whole = depth == path.size();
    return item;
}

void CStgTreeView::ReadChildren(QTreeWidgetItem* item) {
    CKestrinDoc* doc = GetDocument();
    if (!doc)
        return;
    doc->Lock();
    std::unique_ptr<ElementChain> chain = OpenStorageChain(item);
    if (chain && chain->GetLast())
        FillChildren(chain->GetLastStorage(), item);
    ReleaseStorageChain(std::move(chain));
}

void CStgTreeView::ElementsChanged() {
    if (CKestrinDoc* doc = GetDocument()) {
        doc->SetModifiedFlag(true);
        doc->OnElementsChanged(this);
    }
}

void CStgTreeView::OnItemExpanding(QTreeWidgetItem* item) {
    m_hCurItem = item;
    setCurrentItem(item);
    FillChildren(nullptr, item);
}

void CStgTreeView::FillChildren(IStorage* storage, QTreeWidgetItem* item) {
    std::unique_ptr<ElementChain> chain;
    if (!storage) {
        // This tree's own current element: another window's may be elsewhere.
        chain = OpenCurrentElement(nullptr);
        if (!chain)
            return;
        storage = chain->GetLastStorage();
        if (!storage) {
            ReleaseStorageChain(std::move(chain));
            return;
        }
    }
    WaitCursor wait;
    qDeleteAll(item->takeChildren());
    CStgFolder folder(storage);
    BOOL more = folder.Fill();
    folder.Close();
    QList<QTreeWidgetItem*> children;
    bool storageSeen = false;
    while (more) {
        more = folder.MoveNext();
        const bool isStorage = folder.IsStorage();
        storageSeen = storageSeen || isStorage;
        children.append(NewItem(folder.GetName(), isStorage ? ImageStorage : ImageStream));
    }
    item->addChildren(children);
    if (storageSeen)
        AddPlaceholders(storage, item);
    if (chain)
        ReleaseStorageChain(std::move(chain));
}

// A non-empty storage gets a placeholder child, so that it shows an expand button.
void CStgTreeView::AddPlaceholders(IStorage* storage, QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (ImageOf(child) != ImageStorage)
            continue;
        const std::u16string name = child->text(0).toStdU16String();
        IStorage* opened = nullptr;
        const HRESULT hr = storage->OpenStorage(
            name.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED, nullptr,
            0, &opened);
        if (FAILED(hr)) {
            ReportStgError(hr, STG_OP_OPENSTORAGE);
            continue;
        }
        CStgFolder folder(opened);
        opened->Release(); // the folder holds its own reference
        const BOOL filled = folder.Fill();
        folder.Close();
        if (filled)
            child->addChild(NewItem(QStringLiteral("1"), ImageStorage));
    }
}

void CStgTreeView::OnSelChanged(QTreeWidgetItem* item) {
    if (!item)
        return;
    TakeCurrent(item);
    CKestrinDoc* doc = GetDocument();
    if (!doc)
        return;
    doc->SetCurIsStorage(m_bCurIsStorage);
    doc->ResetPage();
    doc->UpdateAllViews(this);
}

// The flags follow the selection at once, so that commands are enabled right even before a
// view has opened the new element.
void CStgTreeView::TakeCurrent(QTreeWidgetItem* item) {
    m_hCurItem = item;
    const int image = ImageOf(item);
    m_bCurValid = image == ImageStorage || image == ImageStream;
    if (m_bCurValid)
        m_bCurIsStorage = image == ImageStorage;
}

void CStgTreeView::keyReleaseEvent(QKeyEvent* event) {
    // Shift+Delete is cut, which has deleted the element already when the key comes up.
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat() &&
        !(event->modifiers() & Qt::ShiftModifier) && m_bCurValid) {
        DeleteElement(m_hCurItem);
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

// A refused rename shows its error box while the label editor is open; the editor has lost
// the focus to the box when it closes, and nothing would hold it afterwards. The tree takes
// it back, on the element, unless the user has moved it elsewhere.
void CStgTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QWidget* focus = QApplication::focusWidget();
    QTreeWidget::closeEditor(editor, hint);
    if (!focus || focus == editor)
        setFocus();
}

void CStgTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        OnRButtonDown(event->position().toPoint());
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CStgTreeView::OnRButtonDown(const QPoint& pos) {
    QTreeWidgetItem* item = itemAt(pos);
    if (!item)
        return;
    setCurrentItem(item);
    CMenu menu;
    if (!menu.LoadMenu(IDR_CONTEXT))
        return;
    if (QMenu* popup = menu.GetSubMenu(0))
        TrackPopupMenu(popup, viewport()->mapToGlobal(pos));
}

void CStgTreeView::TrackPopupMenu(QMenu* menu, const QPoint& globalPos) {
    menu->exec(globalPos);
}
