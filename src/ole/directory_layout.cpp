#include "directory_layout.h"

#include <cstring>

using namespace cfb;

namespace {

void PutFileTime(std::uint8_t* p, const FILETIME& t) {
    PutU32(p, t.dwLowDateTime);
    PutU32(p + 4, t.dwHighDateTime);
}

void PutClsid(std::uint8_t* p, const CLSID& id) {
    PutU32(p, id.Data1);
    PutU16(p + 4, id.Data2);
    PutU16(p + 6, id.Data3);
    std::memcpy(p + 8, id.Data4, 8);
}

} // namespace

void DirectoryLayout::Build(ElementNode& root, std::uint32_t oldEntryCount) {
    // Every node, breadth first; the root is entry 0.
    std::vector<ElementNode*> nodes{&root};
    for (std::size_t next = 0; next < nodes.size(); ++next)
        for (auto& [name, child] : nodes[next]->children)
            nodes.push_back(child.get());

    std::vector<std::uint32_t> ids(nodes.size(), ElementNode::kNoDirEntry);
    std::vector<bool> taken(std::max<std::size_t>(oldEntryCount, 1));
    ids[0] = 0;
    taken[0] = true;
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        const std::uint32_t id = nodes[i]->dirId;
        if (id < oldEntryCount && !taken[id]) { // a copy may carry the id of its original
            ids[i] = id;
            taken[id] = true;
        }
    }
    std::uint32_t free = 1;
    for (std::size_t i = 1; i < nodes.size(); ++i) {
        if (ids[i] != ElementNode::kNoDirEntry)
            continue;
        while (free < taken.size() && taken[free])
            ++free;
        ids[i] = free++;
    }
    // Unused entries after the last used one are not kept.
    std::uint32_t used = 0;
    for (std::uint32_t id : ids)
        used = std::max(used, id + 1);
    m_entries.assign(used, DirEntry{});
    for (std::size_t i = 0; i < nodes.size(); ++i)
        m_entries[ids[i]].node = nodes[i];
    m_entries[0].root = true;

    std::vector<std::uint32_t> siblings;
    std::size_t position = 1; // children of nodes[k] follow in `nodes` in map order
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const std::size_t n = nodes[k]->children.size();
        if (n == 0)
            continue;
        siblings.assign(ids.begin() + position, ids.begin() + position + n);
        position += n;
        int full = 0; // levels that are full
        while ((std::size_t{2} << full) - 1 <= n)
            ++full;
        const int redDepth = ((std::size_t{1} << full) - 1 == n) ? -1 : full;
        m_entries[ids[k]].child = Balance(siblings, 0, n, 0, redDepth);
    }
}

// Siblings form a balanced tree: the middle name at the top, every level full except
// perhaps the deepest, whose nodes are red. All paths then hold the same number of black
// nodes and no red node has a red child.
std::uint32_t DirectoryLayout::Balance(const std::vector<std::uint32_t>& ids, std::size_t lo,
                                       std::size_t hi, int depth, int redDepth) {
    if (lo >= hi)
        return NOSTREAM;
    const std::size_t mid = lo + (hi - lo) / 2;
    DirEntry& e = m_entries[ids[mid]];
    e.colour = depth == redDepth ? kRed : kBlack;
    e.left = Balance(ids, lo, mid, depth + 1, redDepth);
    e.right = Balance(ids, mid + 1, hi, depth + 1, redDepth);
    return ids[mid];
}

std::vector<std::uint8_t> DirectoryLayout::Serialize(std::uint32_t sectorSize) const {
    const std::size_t perSector = sectorSize / kDirEntrySize;
    const std::size_t count = (m_entries.size() + perSector - 1) / perSector * perSector;
    std::vector<std::uint8_t> out(count * kDirEntrySize, 0);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = out.data() + i * kDirEntrySize;
        PutU32(p + dir::kLeft, NOSTREAM);
        PutU32(p + dir::kRight, NOSTREAM);
        PutU32(p + dir::kChild, NOSTREAM);
        if (i >= m_entries.size() || !m_entries[i].node)
            continue;
        const DirEntry& e = m_entries[i];
        const ElementNode& n = *e.node;
        const std::u16string& name = e.root ? u"Root Entry" : n.name;
        for (std::size_t k = 0; k < name.size(); ++k)
            PutU16(p + dir::kName + 2 * k, name[k]);
        PutU16(p + dir::kNameLength, static_cast<std::uint16_t>((name.size() + 1) * 2));
        p[dir::kType] = e.root ? kTypeRoot : n.IsStorage() ? kTypeStorage : kTypeStream;
        p[dir::kColour] = e.colour;
        PutU32(p + dir::kLeft, e.left);
        PutU32(p + dir::kRight, e.right);
        PutU32(p + dir::kChild, e.child);
        PutClsid(p + dir::kClsid, n.clsid);
        PutU32(p + dir::kStateBits, n.stateBits);
        if (n.IsStorage()) {
            // The root's creation time is always zero, whatever was set or read.
            PutFileTime(p + dir::kCreated, e.root ? FILETIME{} : n.ctime);
            PutFileTime(p + dir::kModified, n.mtime);
        }
        // Storages carry no stream: their start and size are zero.
        const std::uint32_t start = !e.root && n.IsStorage() ? 0
                                    : e.size == 0            ? ENDOFCHAIN
                                                             : e.start;
        PutU32(p + dir::kStart, start);
        PutU64(p + dir::kSize, e.size);
    }
    return out;
}

void DirectoryLayout::RememberIds() {
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].node)
            m_entries[i].node->dirId = static_cast<std::uint32_t>(i);
}
