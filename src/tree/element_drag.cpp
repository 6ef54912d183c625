// Dragging elements between trees: the dragged element travels as a transfer image, and a
// drop pastes it. Ctrl copies; otherwise the drop moves, and deletes the source only when it
// lands in the view it came from. The source of a drop is read from its data, which names
// the view and the item a drag of ours started from.
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>

#include "message_box.h"
#include "stg_tree_view.h"
#include "transfer_mime_data.h"
#include "tree_messages.h"

QMimeData* CStgTreeView::MakeDragData(QTreeWidgetItem* item) {
    return new CTransferMimeData(MakeTransferImage(item, ImageOf(item)), this, PathOf(item));
}

void CStgTreeView::startDrag(Qt::DropActions) {
    QTreeWidgetItem* item = currentItem();
    const int image = ImageOf(item);
    if (image != ImageStorage && image != ImageStream)
        return;
    // A drag whose image could not be made still runs; its drop does nothing.
    m_hDragItem = nullptr;
    auto* drag = new QDrag(this);
    drag->setMimeData(MakeDragData(item));
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    m_hDragItem = nullptr;
}

QTreeWidgetItem* CStgTreeView::DraggedFromHere(const QMimeData* data) const {
    const auto* transfer = dynamic_cast<const CTransferMimeData*>(data);
    if (!transfer || transfer->GetSourceView() != this)
        return nullptr;
    bool whole = false;
    QTreeWidgetItem* item = ItemAt(transfer->GetSourcePath(), &whole);
    return whole ? item : nullptr;
}

// Feedback over any item, streams included: the drop decides what it accepts.
Qt::DropAction CStgTreeView::DropFeedback(const QMimeData* data, const QPoint& pos,
                                          Qt::KeyboardModifiers modifiers) {
    if (!m_pRootStorage || !data || !data->hasFormat(QString::fromLatin1(kElementMimeType))) {
        SetDropHilite(nullptr);
        return Qt::IgnoreAction;
    }
    QTreeWidgetItem* item = itemAt(pos);
    SetDropHilite(item);
    if (!item)
        return Qt::IgnoreAction;
    return modifiers & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
}

void CStgTreeView::SetDropHilite(QTreeWidgetItem* item) {
    if (item == m_hDropHilite)
        return;
    m_hDropHilite = item;
    viewport()->update();
}

void CStgTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QStyleOptionViewItem row(option);
    if (m_hDropHilite && itemFromIndex(index) == m_hDropHilite)
        row.state |= QStyle::State_Selected;
    QTreeWidget::drawRow(painter, row, index);
}

void CStgTreeView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void CStgTreeView::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint pos = event->position().toPoint();
    const Qt::DropAction action = DropFeedback(event->mimeData(), pos, event->modifiers());
    // Near an edge the tree scrolls, as any item view does while something is dragged.
    const int margin = autoScrollMargin();
    if (pos.y() < margin || pos.y() > viewport()->height() - margin)
        startAutoScroll();
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CStgTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropHilite(nullptr);
    stopAutoScroll();
    event->accept();
}

void CStgTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    const QPoint pos = event->position().toPoint();
    const Qt::DropAction action = DropFeedback(event->mimeData(), pos, event->modifiers());
    BOOL dropped = FALSE;
    if (action != Qt::IgnoreAction)
        dropped = OnDrop(event->mimeData(),
                         action == Qt::CopyAction ? DROPEFFECT_COPY : DROPEFFECT_MOVE, itemAt(pos));
    SetDropHilite(nullptr);
    if (!dropped) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

BOOL CStgTreeView::OnDrop(const QMimeData* data, DROPEFFECT effect, QTreeWidgetItem* target) {
    if (ImageOf(target) != ImageStorage)
        return FALSE;
    m_hDragItem = effect == DROPEFFECT_MOVE ? DraggedFromHere(data) : nullptr;
    if (m_hDragItem) {
        for (QTreeWidgetItem* item = target; item; item = item->parent()) {
            if (item == m_hDragItem) {
                m_hDragItem = nullptr;
                AfxMessageBox(QString::fromUtf16(kMsgMoveIntoItself));
                return FALSE;
            }
        }
        // Already there.
        if (target == m_hDragItem->parent()) {
            m_hDragItem = nullptr;
            return FALSE;
        }
    }
    const BOOL pasted = PasteFrom(target, effect, data);
    m_hDragItem = nullptr;
    return pasted;
}
