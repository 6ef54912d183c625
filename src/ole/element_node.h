// One element of a compound file as the engine holds it in memory: a storage with its
// children, or a stream with its content. A storage opened in transacted mode works on a
// private copy of its subtree; everything else works on the nodes of its parent.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "element_name.h"
#include "stream_content.h"

struct ElementNode;
using NodePtr = std::shared_ptr<ElementNode>;
using ChildMap = std::map<std::u16string, NodePtr, ElementNameLess>;

struct ElementNode {
    ElementNode() = default;
    ElementNode(const ElementNode&) = delete;
    ElementNode& operator=(const ElementNode&) = delete;
    // Frees the subtree without recursion: a file may nest storages far deeper than the
    // stack would allow.
    ~ElementNode();

    std::u16string name;
    DWORD type = STGTY_STORAGE; // STGTY_STORAGE or STGTY_STREAM
    CLSID clsid{};
    DWORD stateBits = 0;
    FILETIME ctime{};
    FILETIME mtime{};
    std::shared_ptr<StreamContent> content; // streams only
    ChildMap children;                      // storages only

    // The directory entry the element had at the last load or commit; a commit keeps it
    // there when it can, so that unchanged entries leave their directory sectors unchanged.
    std::uint32_t dirId = kNoDirEntry;
    static constexpr std::uint32_t kNoDirEntry = 0xFFFFFFFF;

    bool open = false;     // an object holds it open (exclusive sharing)
    bool reverted = false; // destroyed or dropped: objects on it answer STG_E_REVERTED

    bool IsStorage() const { return type == STGTY_STORAGE; }
    // The content for writing; every stream node has its own content object (copies share
    // pages, which are copied on write).
    StreamContent& MutableContent();
};

// A copy of the subtree for `target`'s file: nodes and content objects are new, bytes are
// shared where they may be (see CopyContent). Open and reverted marks are not copied.
HRESULT CopySubtree(const ElementNode& source, const FileImage* target, NodePtr* copy);

// Marks the node and everything below it reverted.
void MarkReverted(ElementNode& node);

FILETIME CurrentFileTime();
