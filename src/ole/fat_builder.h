// The FAT a commit builds: stretches of sectors that link on, or that share one value, kept
// in a map so that marking a stream of millions of sectors is one change, not millions. A
// commit of a huge file costs memory by its pieces, not by its size. A file cut into so many
// pieces that the map would cost more than a plain table gets a plain table instead.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "packed_fat.h"
#include "sector_runs.h"

class FatBuilder {
public:
    // `size` free entries.
    explicit FatBuilder(std::uint32_t size);

    std::uint32_t Size() const { return m_size; }
    // Adds free entries up to `size`.
    void Grow(std::uint32_t size);
    std::uint32_t At(std::uint32_t sector) const;
    bool IsFree(std::uint32_t sector) const;
    // How many sectors from `sector` on are free, up to `limit` and below Size().
    std::uint32_t FreeCount(std::uint32_t sector, std::uint32_t limit) const;
    // Entries [from, from + count) all become `value`.
    void Fill(std::uint32_t from, std::uint32_t count, std::uint32_t value);
    void Set(std::uint32_t sector, std::uint32_t value) { Fill(sector, 1, value); }
    // Each sector of the chain links to the next; the last ends the chain.
    void Link(const SectorRuns& chain);
    // Writes the entries [from, from + count) to out; entries past Size() are free.
    void Copy(std::uint64_t from, std::uint32_t count, std::uint32_t* out) const;
    PackedFat Pack() const;

private:
    struct Stretch {
        std::uint32_t value; // of every entry, or of the last when `links`
        bool links;          // each entry but the last is the next sector
    };
    using Map = std::map<std::uint32_t, Stretch>; // by first sector; they tile [0, Size())
    std::uint32_t End(Map::const_iterator it) const;
    // Makes `sector` the first of a stretch (sector < Size()).
    Map::iterator SplitAt(std::uint32_t sector);
    void Assign(std::uint32_t from, std::uint32_t to, Stretch stretch);
    // Joins the stretch at `it` with the one before where one value or one chain runs on.
    void MergeWithPrevious(Map::iterator it);
    // Moves to a plain table when the stretches cost more than one.
    void FlattenIfDense();

    Map m_stretches;
    std::vector<std::uint32_t> m_flat; // the plain table, once the map gave way to it
    bool m_isFlat = false;
    std::uint32_t m_size;
};
