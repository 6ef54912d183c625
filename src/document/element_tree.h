// What the compound-file document needs of its storage tree. The tree owns the current
// element and opens elements by their place in it; the document forwards its element
// commands and its views' requests for the current element here. The tree view implements
// this, so that the document knows its tree without depending on the tree's library.
#pragma once

#include <QString>
#include <memory>

#include "element_chain.h"

class QTreeWidgetItem;

class CElementTree {
public:
    virtual ~CElementTree() = default;

    // Enters the document lock and opens the chain of the current element; stores through
    // isStorage whether it is a storage. No chain (null): nothing is open and the lock has
    // been left again.
    virtual std::unique_ptr<ElementChain> OpenCurrentElement(BOOL* isStorage) = 0;
    // The document's root storage changed (saved under a new name); the items stay.
    virtual void SetRootStorage(IStorage* root) = 0;
    // Another window of the document changed its elements: reads every item again, keeping
    // storages expanded and the current element current where they still exist.
    virtual void Refresh() = 0;
    // Writes count bytes at offset into the current stream, growing it with zeros first when
    // offset lies beyond its end; the number of bytes written (0 when a storage is current).
    virtual ULONG WriteCurrentStream(ULARGE_INTEGER offset, const BYTE* data, ULONG count) = 0;
    // The current element's name, and the current stream's size (0 when it cannot be asked).
    virtual QString GetCurrentName() const = 0;
    virtual ULARGE_INTEGER GetCurrentStreamSize() = 0;
    // Sets the current stream's size, growing it with zero bytes; a size the file cannot
    // hold is reported and leaves the stream as it was (false).
    virtual bool ResizeCurrentStream(ULARGE_INTEGER newSize) = 0;
    // Deletes the element of item (null: the current one); the root is never deleted.
    virtual void DeleteElement(QTreeWidgetItem* item) = 0;
    virtual void CreateNewStorage() = 0;
    // name: in, the wanted name or empty; out, the free name used.
    virtual void CreateNewStream(QString& name, BOOL edit) = 0;
    // A current element has been set (it is neither the error item nor unset).
    virtual BOOL IsCurValid() const = 0;
};
