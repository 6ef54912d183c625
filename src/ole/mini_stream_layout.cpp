#include "mini_stream_layout.h"

#include <algorithm>

using namespace cfb;

MiniStreamLayout::MiniStreamLayout(std::shared_ptr<const CommittedChain> current,
                                   const std::vector<std::uint32_t>& oldMiniFat)
    : m_current(std::move(current)), m_miniFat(oldMiniFat.size(), FREESECT) {
    if (m_current)
        m_content = StreamContent(m_current);
}

// Unchanged, in the committed mini stream, and its sectors not claimed by another stream
// of this commit (copies of one stream share sectors until they are committed).
bool MiniStreamLayout::Keep(const StreamContent& content) const {
    const CommittedChain* base = content.Base();
    if (!content.IsUnchangedBase() || !base->mini || base->miniStream != m_current)
        return false;
    bool free = true;
    base->sectors.ForEachRun([&](std::uint32_t first, std::uint32_t count) {
        for (std::uint64_t s = first; free && s < std::uint64_t{first} + count; ++s)
            free = s < m_miniFat.size() && m_miniFat[s] == FREESECT;
    });
    return free;
}

std::uint32_t MiniStreamLayout::Allocate() {
    // Old mini sectors may be reused at once: the mini stream's own sectors are copied on
    // write, so whatever still reads the old mini stream keeps its bytes.
    while (m_cursor < m_miniFat.size() && m_miniFat[m_cursor] != FREESECT)
        ++m_cursor;
    if (m_cursor == m_miniFat.size())
        m_miniFat.push_back(FREESECT);
    return m_cursor++;
}

HRESULT MiniStreamLayout::Place(std::vector<DirEntry*>& smallStreams) {
    auto link = [&](const SectorRuns& chain) {
        const std::vector<std::uint32_t> sectors = chain.ToList();
        for (std::size_t i = 0; i < sectors.size(); ++i)
            m_miniFat[sectors[i]] = i + 1 < sectors.size() ? sectors[i + 1] : ENDOFCHAIN;
    };
    std::vector<DirEntry*> moving;
    for (DirEntry* e : smallStreams) {
        if (Keep(*e->node->content)) {
            e->chain = e->node->content->Base()->sectors;
            link(e->chain);
        } else {
            moving.push_back(e);
        }
    }
    std::uint8_t buffer[kMiniStreamCutoff];
    for (DirEntry* e : moving) {
        const std::size_t size = static_cast<std::size_t>(e->size);
        HRESULT hr = e->node->content->Read(0, buffer, size);
        if (FAILED(hr))
            return hr;
        for (std::size_t at = 0; at < size; at += kMiniSectorSize) {
            const std::uint32_t s = Allocate();
            m_miniFat[s] = ENDOFCHAIN; // claimed; linked below
            e->chain.Append(s);
            const std::size_t n = std::min<std::size_t>(kMiniSectorSize, size - at);
            hr = m_content.Write(std::uint64_t{s} * kMiniSectorSize, buffer + at, n);
            if (FAILED(hr))
                return hr;
        }
        link(e->chain);
    }
    for (DirEntry* e : smallStreams)
        e->start = e->chain.At(0);
    // The mini stream ends with its last used mini sector.
    while (!m_miniFat.empty() && m_miniFat.back() == FREESECT)
        m_miniFat.pop_back();
    return m_content.SetSize(std::uint64_t{m_miniFat.size()} * kMiniSectorSize);
}
