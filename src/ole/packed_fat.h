// A FAT held as runs instead of one entry per sector: a stretch of sectors that each link to
// the next, or a stretch of one value (free, table sectors). A file whose streams lie in
// one piece each costs a few runs per stream, whatever its size. A file cut into so many
// pieces that the runs would cost more than the entries is held entry by entry instead.
#pragma once

#include <cstdint>
#include <vector>

#include "cfb_format.h"

class PackedFat {
public:
    // Appends the entry of the next sector (sector Size()).
    void Append(std::uint32_t value);
    // Appends `count` entries: each the next sector and the last `value` when `links`, else
    // all `value`.
    void AppendStretch(std::uint32_t count, std::uint32_t value, bool links);

    std::uint32_t Size() const { return m_size; }
    // The entry of `sector`; sectors at or beyond Size() are free.
    std::uint32_t At(std::uint32_t sector) const;
    // Where the chain through `sector` (< Size()) goes: the last sector of the stretch that
    // runs on side by side from it, and that sector's entry.
    std::uint32_t Follow(std::uint32_t sector, std::uint32_t* next) const;
    // The first free sector at or after `sector` (`sector` itself when at or beyond Size()).
    std::uint32_t NextFree(std::uint32_t sector) const;
    // Writes the entries of sectors [from, from + count) to out.
    void Copy(std::uint64_t from, std::uint32_t count, std::uint32_t* out) const;
    // Calls f(first, count) for each stretch of free sectors below Size().
    template <typename F> void ForEachFreeRun(F f) const {
        for (std::uint32_t s = 0; s < m_flat.size(); ++s)
            if (m_flat[s] == kFree)
                f(s, 1u);
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            if (m_runs[i].value != kFree)
                continue;
            const std::uint32_t length = RunLength(i);
            if (m_runs[i].links)
                f(m_runs[i].first + length - 1, 1u); // only the stretch's last entry is free
            else
                f(m_runs[i].first, length);
        }
    }

private:
    static constexpr std::uint32_t kFree = cfb::FREESECT;
    struct Run {
        std::uint32_t first;
        std::uint32_t value; // the entry of every sector, or of the last when `links`
        bool links;          // every sector but the last links to the next one
    };
    std::uint32_t RunLength(std::size_t i) const {
        return (i + 1 < m_runs.size() ? m_runs[i + 1].first : m_size) - m_runs[i].first;
    }
    std::size_t RunOf(std::uint32_t sector) const;
    // Append and AppendStretch without the switch to a flat table.
    void Push(std::uint32_t value);
    void PushRuns(std::uint32_t count, std::uint32_t value, bool links);
    // Moves to entry-by-entry storage when the runs cost more than the entries would.
    void FlattenIfDense();

    std::vector<Run> m_runs;
    std::vector<std::uint32_t> m_flat; // the entries, once the runs gave way to them
    std::uint32_t m_size = 0;
};
