// The storage tree: the compound file's hierarchy, one item per storage and stream, the root
// storage "/" at the top. Items hold no pointers: an item is its element by its text (the
// element's name), its place under its parent, and its image (storage or stream). Children
// are read when a storage is expanded, and again whenever it is expanded or collapsed. The
// current item is the current element of the document; every access to an element opens a
// chain from the root down to it under the document lock, uses it and releases it.
#pragma once

#include <QTreeWidget>
#include <memory>

#include "element_tree.h"
#include "view.h"

class CCmdUI;
class QFile;
class CKestrinDoc;
class QMenu;
class QMimeData;
using HGLOBAL = struct GlobalBlock*;

// What a transfer does with its elements: copy them, or move them (only a drop inside one
// view deletes the source).
using DROPEFFECT = DWORD;
constexpr DROPEFFECT DROPEFFECT_NONE = 0;
constexpr DROPEFFECT DROPEFFECT_COPY = 1;
constexpr DROPEFFECT DROPEFFECT_MOVE = 2;

class CStgTreeView : public QTreeWidget, public CView, public CElementTree {
public:
    // Image indexes: what an item is.
    enum Image { ImageError = 0, ImageStorage = 1, ImageStream = 2, ImageUnknown = 3 };

    CStgTreeView();

    void OnInitialUpdate() override;
    CKestrinDoc* GetDocument() const;

    // Shows root's tree, or the error item when there is no root.
    void FillTree(IStorage* root);
    // Reads the children of item's storage again: storage, or the current element's chain
    // when storage is null.
    void FillChildren(IStorage* storage, QTreeWidgetItem* item);

    // Element access by tree position. A storage chain's caller has entered the lock; the
    // release operations commit every storage below the root (the root too while the
    // document has no path name), release every entry and leave the lock. No chain (null)
    // means the open failed, was reported and left nothing open and the lock left.
    std::unique_ptr<ElementChain> OpenStorageChain(QTreeWidgetItem* item);
    std::unique_ptr<ElementChain> OpenStreamChain(QTreeWidgetItem* item);
    void ReleaseStorageChain(std::unique_ptr<ElementChain> chain);
    void ReleaseStreamChain(std::unique_ptr<ElementChain> chain);

    std::unique_ptr<ElementChain> OpenCurrentElement(BOOL* isStorage) override;
    void SetRootStorage(IStorage* root) override { m_pRootStorage = root; }
    void Refresh() override;
    QString GetCurrentName() const override;
    // The current stream's size; 0 when it cannot be opened or asked.
    ULARGE_INTEGER GetCurrentStreamSize() override;
    // Sets the current stream's size, growing it with zero bytes. A size the file cannot
    // hold is reported and leaves the stream as it was; false then.
    bool ResizeCurrentStream(ULARGE_INTEGER newSize) override;
    ULONG WriteCurrentStream(ULARGE_INTEGER offset, const BYTE* data, ULONG count) override;

    void DeleteElement(QTreeWidgetItem* item) override;
    void CreateNewStorage() override;
    void CreateNewStream(QString& name, BOOL edit) override;
    BOOL IsCurValid() const override { return m_bCurValid; }
    // The label of item was edited to text: renames its element.
    void OnEndLabelEdit(QTreeWidgetItem* item, const QString& text);
    // A right click at pos (viewport coordinates): selects the item there and shows the
    // context menu; elsewhere nothing happens.
    void OnRButtonDown(const QPoint& pos);

    // Element copy. A transfer image is a whole compound file in a global memory block: the
    // element of item (kind ImageStorage or ImageStream) under its own name, or for the root
    // item the root's elements side by side. Null when it could not be made whole: a failure
    // is reported, a cancel is not. The caller owns the block.
    HGLOBAL MakeTransferImage(QTreeWidgetItem* item, int kind);
    // Copies every element of image into target's storage: a copy takes a free name
    // ("コピー～" + name, then "コピー～(n)" + name), a move asks before it replaces an element
    // of the same name. A move whose source is m_hDragItem deletes the source once the copy
    // is in place, unless the element it replaced held the source. FALSE when not every
    // element was pasted (reported, answered No or cancelled); what was pasted stays.
    BOOL PasteTransferImage(const QByteArray& image, QTreeWidgetItem* target, DROPEFFECT mode);
    // What a drag of item carries: its transfer image (none when it could not be made), this
    // view and the item's place in it. The caller owns the data.
    QMimeData* MakeDragData(QTreeWidgetItem* item);
    // Pastes the element image of data (null: the clipboard) into target; FALSE when data
    // holds none.
    BOOL PasteFrom(QTreeWidgetItem* target, DROPEFFECT mode, const QMimeData* data);
    // A drop of data onto target with the chosen effect: refused off a storage; a move of
    // this view's own element into itself is refused with a message, onto its own parent
    // silently. TRUE once the image has been pasted.
    BOOL OnDrop(const QMimeData* data, DROPEFFECT effect, QTreeWidgetItem* target);

    // The clipboard: a cut deletes the element only once its image is on the clipboard.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    // A file as a new stream of the current storage, and the current stream to a file.
    void OnImport();
    void OnExport();

    QTreeWidgetItem* GetCurItem() const { return m_hCurItem; }
    BOOL GetCurIsStorage() const { return m_bCurIsStorage; }
    static int ImageOf(const QTreeWidgetItem* item);
    // The first top-level item: the root storage's "/" or the error item.
    QTreeWidgetItem* GetRootItem() const { return topLevelItem(0); }

protected:
    // Shows the context menu at a screen position until it closes.
    virtual void TrackPopupMenu(QMenu* menu, const QPoint& globalPos);
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    std::unique_ptr<ElementChain> OpenParentChain(QTreeWidgetItem* parent);
    QTreeWidgetItem* NewItem(const QString& text, int image) const;
    void OnItemExpanding(QTreeWidgetItem* item);
    void OnSelChanged(QTreeWidgetItem* item);
    // Makes item the current element of this tree, without telling the document.
    void TakeCurrent(QTreeWidgetItem* item);
    QTreeWidgetItem* InsertRootItem();
    // Reads item's children through a chain of its own, whatever is current.
    void ReadChildren(QTreeWidgetItem* item);
    // After a change of the elements: the document is modified and the other windows' trees
    // read their items again.
    void ElementsChanged();
    // An item's names from below the root item down to it; empty for the root item.
    static QStringList PathOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* ItemAt(const QStringList& path, bool* whole) const;
    void AddPlaceholders(IStorage* storage, QTreeWidgetItem* item);
    bool CommitsRoot() const;
    QTreeWidgetItem* FindChild(QTreeWidgetItem* parent, const QString& name) const;
    // The first name free in storage: base, then base with " (1)", " (2)", ...
    static QString FreeName(IStorage* storage, const QString& base);
    void BeginLabelEdit(QTreeWidgetItem* item);
    QTreeWidgetItem* CreateInCurrent(QString& name, DWORD type);
    bool GrowWithZeros(IStream* stream, ULONGLONG from, ULONGLONG to);
    void AddTransferCommands();
    bool CopyToClipboard();
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnUpdateEditPaste(CCmdUI* ui);
    void OnUpdateImport(CCmdUI* ui);
    void OnUpdateExport(CCmdUI* ui);
    // The item of this view that data was dragged from; null for data from elsewhere.
    QTreeWidgetItem* DraggedFromHere(const QMimeData* data) const;
    // What a drop at pos would do; sets or removes the drop highlight.
    Qt::DropAction DropFeedback(const QMimeData* data, const QPoint& pos,
                                Qt::KeyboardModifiers modifiers);
    void SetDropHilite(QTreeWidgetItem* item);
    // Writes the chosen file into the stream of item; false when it failed or was cancelled
    // (reported, unless cancelled).
    bool ImportInto(QTreeWidgetItem* item, QFile& file);

    IStorage* m_pRootStorage = nullptr;
    BOOL m_bCurIsStorage = FALSE;
    BOOL m_bCurValid = FALSE;
    QTreeWidgetItem* m_hCurItem = nullptr;
    // The source of a move inside this view while its drop is pasted; null otherwise.
    QTreeWidgetItem* m_hDragItem = nullptr;
    QTreeWidgetItem* m_hDropHilite = nullptr;
};
