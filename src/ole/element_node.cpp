#include "element_node.h"

#include <chrono>
#include <new>
#include <vector>

ElementNode::~ElementNode() {
    // Children this node alone owns are detached before they go, so that each is destroyed
    // with no children of its own. Map nodes move between the maps without allocating, so
    // freeing cannot fail for want of memory.
    std::multimap<std::u16string, NodePtr, ElementNameLess> pending;
    auto detach = [&pending](ChildMap& from) {
        while (!from.empty())
            pending.insert(from.extract(from.begin()));
    };
    detach(children);
    while (!pending.empty()) {
        auto handle = pending.extract(pending.begin());
        if (handle.mapped().use_count() == 1)
            detach(handle.mapped()->children);
    }
}

StreamContent& ElementNode::MutableContent() {
    if (!content)
        content = std::make_shared<StreamContent>();
    return *content;
}

HRESULT CopySubtree(const ElementNode& source, const FileImage* target, NodePtr* copy) {
    try {
        // Walked with an explicit stack: a deep tree must not exhaust ours.
        auto root = std::make_shared<ElementNode>();
        std::vector<std::pair<const ElementNode*, ElementNode*>> pending{{&source, root.get()}};
        while (!pending.empty()) {
            auto [from, to] = pending.back();
            pending.pop_back();
            to->name = from->name;
            to->type = from->type;
            to->clsid = from->clsid;
            to->stateBits = from->stateBits;
            to->ctime = from->ctime;
            to->mtime = from->mtime;
            to->dirId = from->dirId;
            if (from->content) {
                HRESULT hr = CopyContent(from->content, target, &to->content);
                if (FAILED(hr))
                    return hr;
            }
            for (const auto& [name, child] : from->children) {
                auto childCopy = std::make_shared<ElementNode>();
                pending.emplace_back(child.get(), childCopy.get());
                to->children.emplace_hint(to->children.end(), name, std::move(childCopy));
            }
        }
        *copy = std::move(root);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
}

void MarkReverted(ElementNode& node) {
    std::vector<ElementNode*> pending{&node};
    while (!pending.empty()) {
        ElementNode* n = pending.back();
        pending.pop_back();
        n->reverted = true;
        for (auto& [name, child] : n->children)
            pending.push_back(child.get());
    }
}

FILETIME CurrentFileTime() {
    using namespace std::chrono;
    // 1601-01-01 to 1970-01-01 in 100-nanosecond intervals.
    constexpr std::uint64_t kEpochDifference = 116444736000000000ULL;
    const auto since1970 =
        duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
    const std::uint64_t ticks = kEpochDifference + static_cast<std::uint64_t>(since1970);
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
