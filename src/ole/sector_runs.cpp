#include "sector_runs.h"

#include <algorithm>

SectorRuns SectorRuns::FromList(const std::vector<std::uint32_t>& sectors) {
    SectorRuns runs;
    for (std::uint32_t s : sectors)
        runs.Append(s);
    return runs;
}

void SectorRuns::AppendRun(std::uint32_t first, std::uint32_t count) {
    if (count == 0)
        return;
    if (m_count == 0) {
        m_head = Run{first, 0};
    } else {
        const std::size_t last = RunCount() - 1;
        if (RunAt(last).first + RunLength(last) != first)
            m_more.push_back(Run{first, m_count});
    }
    m_count += count;
}

std::uint32_t SectorRuns::At(std::uint32_t index, std::uint32_t* following) const {
    auto it = std::upper_bound(m_more.begin(), m_more.end(), index,
                               [](std::uint32_t i, const Run& run) { return i < run.index; });
    const std::size_t run = static_cast<std::size_t>(it - m_more.begin()); // 0 is the head
    const std::uint32_t offset = index - RunAt(run).index;
    if (following)
        *following = RunLength(run) - offset;
    return RunAt(run).first + offset;
}

std::vector<std::uint32_t> SectorRuns::ToList() const {
    std::vector<std::uint32_t> sectors;
    sectors.reserve(m_count);
    ForEachRun([&](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i)
            sectors.push_back(first + i);
    });
    return sectors;
}
