// Where each element goes in the directory a commit writes, and the bytes of that directory.
// An element keeps the entry it had when it can, so that a commit changes the directory
// sectors of changed elements only. Siblings form a balanced red-black tree in the format's
// name order.
#pragma once

#include <cstdint>
#include <vector>

#include "cfb_format.h"
#include "element_node.h"
#include "sector_runs.h"

struct DirEntry {
    ElementNode* node = nullptr; // null: an unused entry
    bool root = false;
    std::uint32_t left = cfb::NOSTREAM, right = cfb::NOSTREAM, child = cfb::NOSTREAM;
    std::uint8_t colour = cfb::kBlack;
    std::uint32_t start = cfb::ENDOFCHAIN;
    std::uint64_t size = 0;
    SectorRuns chain; // sectors, or mini sectors for small streams

    bool IsStream() const { return node && !root && !node->IsStorage(); }
};

class DirectoryLayout {
public:
    // Gives every element of the tree an entry; ids below oldEntryCount that an element had
    // before are kept for it.
    void Build(ElementNode& root, std::uint32_t oldEntryCount);
    std::vector<DirEntry>& Entries() { return m_entries; }
    // The directory's bytes, padded with unused entries to whole sectors.
    std::vector<std::uint8_t> Serialize(std::uint32_t sectorSize) const;
    // Records the ids in the nodes, for the next commit.
    void RememberIds();

private:
    std::uint32_t Balance(const std::vector<std::uint32_t>& ids, std::size_t lo, std::size_t hi,
                          int depth, int redDepth);

    std::vector<DirEntry> m_entries;
};
