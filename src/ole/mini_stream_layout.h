// Where a commit puts the small streams (below the 4096-byte cutoff) in the mini stream.
// A stream unchanged since the last commit keeps its mini sectors; a changed or new one is
// written to free mini sectors. The mini stream itself is then written like any stream, so
// only its changed sectors reach the file.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "directory_layout.h"
#include "stream_content.h"

class MiniStreamLayout {
public:
    // `current` is the committed mini stream (null when there is none); `oldMiniFat` the
    // committed mini FAT.
    MiniStreamLayout(std::shared_ptr<const CommittedChain> current,
                     const std::vector<std::uint32_t>& oldMiniFat);

    // Places the small streams of the entries, filling each entry's start and chain.
    HRESULT Place(std::vector<DirEntry*>& smallStreams);

    StreamContent& Content() { return m_content; }
    const std::vector<std::uint32_t>& MiniFat() const { return m_miniFat; }

private:
    bool Keep(const StreamContent& content) const;
    std::uint32_t Allocate();

    std::shared_ptr<const CommittedChain> m_current;
    StreamContent m_content;             // the new mini stream
    std::vector<std::uint32_t> m_miniFat; // the new mini FAT
    std::uint32_t m_cursor = 0;
};
