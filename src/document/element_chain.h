// An element chain: the interfaces opened from the root storage (entry 0) down to one
// element (the last entry), each storage opened from the entry before it. An entry is null
// where its open failed. The chain owns one reference per non-null entry; whoever ends the
// chain gives them back, either by committing on the way (the tree's release) or with
// ReleaseAll (a viewer that only read).
#pragma once

#include <cstddef>
#include <vector>

#include "ole_interfaces.h"

class ElementChain {
public:
    ElementChain() = default;
    ElementChain(const ElementChain&) = delete;
    ElementChain& operator=(const ElementChain&) = delete;

    void Append(IUnknown* entry) { m_entries.push_back(entry); }
    std::size_t GetSize() const { return m_entries.size(); }
    bool IsEmpty() const { return m_entries.empty(); }
    IUnknown* GetAt(std::size_t index) const { return m_entries[index]; }
    IUnknown* GetLast() const { return m_entries.back(); }
    // The entries are what the chain's kind says they are: storages, and a stream last in a
    // stream chain.
    IStorage* GetStorage(std::size_t index) const { return static_cast<IStorage*>(GetAt(index)); }
    IStorage* GetLastStorage() const { return static_cast<IStorage*>(GetLast()); }
    IStream* GetLastStream() const { return static_cast<IStream*>(GetLast()); }
    // Forgets the last entry; its reference is the caller's to give back.
    void RemoveLast() { m_entries.pop_back(); }

    // Releases every entry from the first to the last, committing nothing, and empties
    // the chain.
    void ReleaseAll();

private:
    std::vector<IUnknown*> m_entries;
};
