#include "packed_fat.h"

#include <algorithm>

void PackedFat::Append(std::uint32_t value) {
    Push(value);
    FlattenIfDense();
}

void PackedFat::Push(std::uint32_t value) {
    if (!m_flat.empty()) {
        m_flat.push_back(value);
        ++m_size;
        return;
    }
    const std::uint32_t sector = m_size++;
    if (!m_runs.empty()) {
        Run& last = m_runs.back();
        const bool single = last.first + 1 == sector;
        // The last run's final entry links here: the stretch goes on.
        if (last.value == sector && (last.links || single)) {
            last.links = true;
            last.value = value;
            return;
        }
        if (!last.links && last.value == value)
            return;
    }
    m_runs.push_back(Run{sector, value, false});
}

void PackedFat::FlattenIfDense() {
    // A run costs 12 bytes, an entry 4.
    if (m_runs.size() < 1024 || m_runs.size() * 3 < m_size)
        return;
    std::vector<std::uint32_t> flat(m_size);
    Copy(0, m_size, flat.data());
    m_flat = std::move(flat);
    m_runs.clear();
    m_runs.shrink_to_fit();
}

void PackedFat::AppendStretch(std::uint32_t count, std::uint32_t value, bool links) {
    if (count == 0)
        return;
    if (!m_flat.empty()) {
        for (std::uint32_t i = 0; i + 1 < count; ++i)
            Push(links ? m_size + 1 : value);
        Push(value);
        return;
    }
    // The runs may give way to a flat table only once the stretch is complete: the steps
    // below work on the last run.
    PushRuns(count, value, links);
    FlattenIfDense();
}

void PackedFat::PushRuns(std::uint32_t count, std::uint32_t value, bool links) {
    if (!links || count == 1) {
        Push(value);
        if (count == 1)
            return;
        if (m_runs.back().links || m_runs.back().value != value)
            m_runs.push_back(Run{m_size, value, false});
        m_size += count - 1;
        return;
    }
    const std::uint32_t first = m_size;
    Push(first + 1);
    Run& last = m_runs.back();
    if (last.links || last.first == first) {
        // The run ends in the entry that links on: it runs on to the stretch's last entry.
        m_size += count - 2;
        last.links = true;
        last.value = m_size;
    } else {
        for (std::uint32_t i = 1; i + 1 < count; ++i)
            Push(m_size + 1);
    }
    Push(value);
}

std::size_t PackedFat::RunOf(std::uint32_t sector) const {
    auto it = std::upper_bound(m_runs.begin(), m_runs.end(), sector,
                               [](std::uint32_t s, const Run& run) { return s < run.first; });
    return static_cast<std::size_t>(it - m_runs.begin()) - 1;
}

std::uint32_t PackedFat::At(std::uint32_t sector) const {
    if (sector >= m_size)
        return kFree;
    if (!m_flat.empty())
        return m_flat[sector];
    const std::size_t i = RunOf(sector);
    const Run& run = m_runs[i];
    if (run.links && sector + 1 < run.first + RunLength(i))
        return sector + 1;
    return run.value;
}

std::uint32_t PackedFat::Follow(std::uint32_t sector, std::uint32_t* next) const {
    if (!m_flat.empty()) {
        while (sector + 1 < m_size && m_flat[sector] == sector + 1)
            ++sector;
        *next = m_flat[sector];
        return sector;
    }
    const std::size_t i = RunOf(sector);
    const Run& run = m_runs[i];
    if (!run.links) {
        *next = run.value;
        return sector;
    }
    *next = run.value;
    return run.first + RunLength(i) - 1;
}

std::uint32_t PackedFat::NextFree(std::uint32_t sector) const {
    if (sector >= m_size)
        return sector;
    if (!m_flat.empty()) {
        while (sector < m_size && m_flat[sector] != kFree)
            ++sector;
        return sector;
    }
    for (std::size_t i = RunOf(sector); i < m_runs.size(); ++i) {
        const Run& run = m_runs[i];
        if (!run.links && run.value == kFree)
            return std::max(sector, run.first);
        if (run.links && run.value == kFree) // a stretch that ends in a free entry
            return std::max(sector, run.first + RunLength(i) - 1);
    }
    return m_size;
}

void PackedFat::Copy(std::uint64_t from, std::uint32_t count, std::uint32_t* out) const {
    const std::uint64_t end = from + count;
    std::uint64_t s = from;
    for (; !m_flat.empty() && s < end && s < m_size; ++s)
        *out++ = m_flat[s];
    // Run by run from the one that holds `from`.
    for (std::size_t i = s < end && s < m_size ? RunOf(static_cast<std::uint32_t>(s))
                                               : m_runs.size();
         s < end && i < m_runs.size(); ++i) {
        const Run& run = m_runs[i];
        const std::uint64_t runEnd = std::uint64_t{run.first} + RunLength(i);
        for (; s < std::min(runEnd, end); ++s)
            *out++ = run.links && s + 1 < runEnd ? static_cast<std::uint32_t>(s + 1) : run.value;
    }
    for (; s < end; ++s)
        *out++ = kFree;
}
