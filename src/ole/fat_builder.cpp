#include "fat_builder.h"

#include <algorithm>
#include <iterator>

#include "cfb_format.h"

namespace {

constexpr std::uint32_t kFree = cfb::FREESECT;
constexpr std::uint32_t kEnd = cfb::ENDOFCHAIN;

} // namespace

FatBuilder::FatBuilder(std::uint32_t size) : m_size(size) {
    if (size > 0)
        m_stretches.emplace(0, Stretch{kFree, false});
}

std::uint32_t FatBuilder::End(Map::const_iterator it) const {
    auto next = std::next(it);
    return next == m_stretches.end() ? m_size : next->first;
}

void FatBuilder::Grow(std::uint32_t size) {
    if (size <= m_size)
        return;
    if (m_isFlat) {
        m_flat.resize(size, kFree);
        m_size = size;
        return;
    }
    const std::uint32_t from = m_size;
    m_size = size;
    auto it = m_stretches.emplace_hint(m_stretches.end(), from, Stretch{kFree, false});
    MergeWithPrevious(it);
}

std::uint32_t FatBuilder::At(std::uint32_t sector) const {
    if (sector >= m_size)
        return kFree;
    if (m_isFlat)
        return m_flat[sector];
    auto it = std::prev(m_stretches.upper_bound(sector));
    if (it->second.links && sector + 1 < End(it))
        return sector + 1;
    return it->second.value;
}

bool FatBuilder::IsFree(std::uint32_t sector) const {
    return At(sector) == kFree;
}

std::uint32_t FatBuilder::FreeCount(std::uint32_t sector, std::uint32_t limit) const {
    const std::uint64_t stop = std::uint64_t{sector} + limit;
    std::uint64_t s = sector;
    if (m_isFlat) {
        while (s < stop && s < m_size && m_flat[s] == kFree)
            ++s;
        return static_cast<std::uint32_t>(s - sector);
    }
    while (s < stop && s < m_size) {
        auto it = std::prev(m_stretches.upper_bound(static_cast<std::uint32_t>(s)));
        const std::uint64_t end = End(it);
        if (it->second.links) {
            if (it->second.value != kFree || s + 1 != end)
                break; // only a linking stretch's last entry may be free
            s = end;
        } else if (it->second.value == kFree) {
            s = end;
        } else {
            break;
        }
    }
    return static_cast<std::uint32_t>(std::min(s, stop) - sector); // stretches end by Size()
}

FatBuilder::Map::iterator FatBuilder::SplitAt(std::uint32_t sector) {
    auto it = std::prev(m_stretches.upper_bound(sector));
    if (it->first == sector)
        return it;
    Stretch left = it->second;
    if (left.links)
        left.value = sector; // the left part's last entry links into the right part
    const Stretch right = it->second;
    it->second = left;
    return m_stretches.emplace_hint(std::next(it), sector, right);
}

void FatBuilder::Assign(std::uint32_t from, std::uint32_t to, Stretch stretch) {
    if (m_isFlat) {
        for (std::uint32_t s = from; s < to; ++s)
            m_flat[s] = stretch.links && s + 1 < to ? s + 1 : stretch.value;
        return;
    }
    auto first = SplitAt(from);
    if (to < m_size)
        SplitAt(to);
    first = m_stretches.find(from);
    m_stretches.erase(std::next(first), m_stretches.lower_bound(to));
    first->second = stretch;
    auto after = std::next(first);
    if (after != m_stretches.end())
        MergeWithPrevious(after);
    MergeWithPrevious(m_stretches.find(from));
    FlattenIfDense();
}

void FatBuilder::FlattenIfDense() {
    // A map node costs about 64 bytes, a plain entry 4.
    if (m_stretches.size() < 1024 || m_stretches.size() * 16 < m_size)
        return;
    std::vector<std::uint32_t> flat(m_size);
    Copy(0, m_size, flat.data());
    m_flat = std::move(flat);
    m_stretches.clear();
    m_isFlat = true;
}

void FatBuilder::MergeWithPrevious(Map::iterator it) {
    if (it == m_stretches.begin())
        return;
    auto prev = std::prev(it);
    const std::uint32_t prevLength = it->first - prev->first;
    const std::uint32_t length = End(it) - it->first;
    const Stretch& a = prev->second;
    const Stretch& b = it->second;
    Stretch joined;
    if (!a.links && !b.links && a.value == b.value) {
        joined = a; // one value throughout
    } else if ((a.links || prevLength == 1) && a.value == it->first && (b.links || length == 1)) {
        joined = Stretch{b.value, true}; // one chain running on
    } else {
        return;
    }
    prev->second = joined;
    m_stretches.erase(it);
}

void FatBuilder::Fill(std::uint32_t from, std::uint32_t count, std::uint32_t value) {
    if (count > 0)
        Assign(from, from + count, Stretch{value, false});
}

void FatBuilder::Link(const SectorRuns& chain) {
    // Each run links on to the first sector of the run after it, the last ends the chain.
    std::uint32_t first = 0, count = 0;
    chain.ForEachRun([&](std::uint32_t nextFirst, std::uint32_t nextCount) {
        if (count > 0)
            Assign(first, first + count, Stretch{nextFirst, count > 1});
        first = nextFirst;
        count = nextCount;
    });
    if (count > 0)
        Assign(first, first + count, Stretch{kEnd, count > 1});
}

void FatBuilder::Copy(std::uint64_t from, std::uint32_t count, std::uint32_t* out) const {
    const std::uint64_t end = from + count;
    std::uint64_t s = from;
    for (; m_isFlat && s < end && s < m_size; ++s)
        *out++ = m_flat[s];
    while (s < end && s < m_size) {
        auto it = std::prev(m_stretches.upper_bound(static_cast<std::uint32_t>(s)));
        const std::uint64_t stretchEnd = End(it);
        for (; s < std::min(stretchEnd, end); ++s)
            *out++ = it->second.links && s + 1 < stretchEnd ? static_cast<std::uint32_t>(s + 1)
                                                            : it->second.value;
    }
    for (; s < end; ++s)
        *out++ = kFree;
}

PackedFat FatBuilder::Pack() const {
    PackedFat fat;
    if (m_isFlat) {
        for (std::uint32_t value : m_flat)
            fat.Append(value);
        return fat;
    }
    for (auto it = m_stretches.begin(); it != m_stretches.end(); ++it)
        fat.AppendStretch(End(it) - it->first, it->second.value, it->second.links);
    return fat;
}
