// The sectors of one chain, in chain order, held as runs of consecutive sectors: a stream
// written in one go is a handful of runs however long it is, and a read or a lookup by
// position finds its run by binary search.
#pragma once

#include <cstdint>
#include <vector>

class SectorRuns {
public:
    // Sectors in chain order, however they lie.
    static SectorRuns FromList(const std::vector<std::uint32_t>& sectors);

    // Appends `count` sectors from `first` on to the chain.
    void AppendRun(std::uint32_t first, std::uint32_t count);
    void Append(std::uint32_t sector) { AppendRun(sector, 1); }

    std::uint32_t Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    // The sector at chain position `index` (< Count()), and how many sectors from it on lie
    // side by side in the chain (at least one).
    std::uint32_t At(std::uint32_t index, std::uint32_t* following = nullptr) const;

    // Calls f(first, count) for each run in chain order.
    template <typename F> void ForEachRun(F f) const {
        for (std::size_t i = 0; i < RunCount(); ++i)
            f(RunAt(i).first, RunLength(i));
    }
    std::vector<std::uint32_t> ToList() const;

private:
    struct Run {
        std::uint32_t first; // sector
        std::uint32_t index; // chain position of that sector
    };
    std::size_t RunCount() const { return m_count == 0 ? 0 : 1 + m_more.size(); }
    const Run& RunAt(std::size_t i) const { return i == 0 ? m_head : m_more[i - 1]; }
    std::uint32_t RunLength(std::size_t i) const {
        return (i < m_more.size() ? m_more[i].index : m_count) - RunAt(i).index;
    }

    // The first run lives here: most chains are one run, and a chain costs no allocation.
    Run m_head{0, 0};
    std::vector<Run> m_more;
    std::uint32_t m_count = 0;
};
