// Bulk appends: a stream's bytes appended in bulk are written at once to sectors past the
// committed end of the file, where neither the committed state nor any live chain reads, and
// the next commit keeps them in place (see file_commit.cpp). Nothing the committed state
// uses is written, so a crash before the commit leaves the old state and a free tail.
#include <algorithm>
#include <cstring>
#include <vector>

#include "cfb_format.h"
#include "file_image.h"

using namespace cfb;

void FileImage::DropDeadTail() {
    // With no chain of this epoch alive (all dropped), what they wrote past the committed end
    // is a discarded edit: the file goes back to its size before them, so that no commit
    // leaves those bytes past what its FAT covers. Should that fail, the tail stays, and
    // the next commit's FAT covers it as free space.
    std::erase_if(m_growing, [](const auto& weak) { return weak.expired(); });
    if (!m_growing.empty() || !m_uncommittedTail || FAILED(m_failure))
        return;
    if (SUCCEEDED(m_bytes->SetSize(ULARGE_INTEGER{.QuadPart = m_sizeBeforeTail}))) {
        m_uncommittedTail = false;
        m_pendingEnd = 0;
    }
}

std::shared_ptr<CommittedChain> FileImage::NewPendingChain() {
    DropDeadTail();
    CommittedChain chain;
    chain.pending = true;
    chain.epoch = m_epoch;
    auto made = RegisterChain(std::move(chain));
    m_growing.push_back(made);
    return made;
}

std::uint64_t FileImage::CommittedFreeBytes() const {
    std::uint64_t free = 0;
    m_fat.ForEachFreeRun([&](std::uint32_t first, std::uint32_t count) {
        if (first < m_fileSectors)
            free += std::min<std::uint64_t>(count, m_fileSectors - first);
    });
    return free << m_sectorShift;
}

bool FileImage::CanGrow(const CommittedChain& chain) const {
    return chain.pending && chain.epoch == m_epoch && chain.image.get() == this &&
           SUCCEEDED(m_failure);
}

HRESULT FileImage::GrowPending(CommittedChain& chain, const std::uint8_t* in, std::size_t n) {
    const std::size_t sectorSize = std::size_t{1} << m_sectorShift;
    const std::size_t used = static_cast<std::size_t>(chain.size & (sectorSize - 1));
    const std::size_t head = used ? std::min(n, sectorSize - used) : 0;
    const std::uint64_t count = (n - head + sectorSize - 1) >> m_sectorShift;
    // Past the committed state and every earlier pending chain; never the range-lock sector.
    const std::uint64_t first = std::max(m_pendingEnd, m_fileSectors);
    const std::uint32_t rangeLock = RangeLockSector(m_sectorShift);
    const bool skipsLock = count && first <= rangeLock && rangeLock < first + count;
    const std::uint64_t end = first + count + (skipsLock ? 1 : 0);
    if (count && end - 1 > LastUsableSector(m_sectorShift))
        return STG_E_DOCFILETOOLARGE;
    if (!m_uncommittedTail) {
        STATSTG st{};
        HRESULT hr = m_bytes->Stat(&st, STATFLAG_NONAME);
        if (FAILED(hr))
            return hr;
        m_sizeBeforeTail = st.cbSize.QuadPart;
        m_uncommittedTail = true;
    }
    if (head) {
        const std::uint32_t last = chain.sectors.At(chain.sectors.Count() - 1);
        HRESULT hr =
            WriteSectorBytes(((std::uint64_t{last} + 1) << m_sectorShift) + used, in, head);
        if (FAILED(hr))
            return hr;
    }
    m_pendingEnd = static_cast<std::uint32_t>(std::max<std::uint64_t>(m_pendingEnd, end));
    SectorRuns added;
    std::size_t done = head;
    // Sectors [from, to) take the next bytes; the last sector is padded with zeros.
    auto writeRun = [&](std::uint64_t from, std::uint64_t to) -> HRESULT {
        if (from >= to)
            return S_OK;
        const std::size_t bytes = static_cast<std::size_t>(
            std::min<std::uint64_t>((to - from) << m_sectorShift, n - done));
        const std::size_t whole = bytes & ~(sectorSize - 1);
        const std::uint64_t at = (from + 1) << m_sectorShift;
        HRESULT hr = WriteSectorBytes(at, in + done, whole);
        if (SUCCEEDED(hr) && whole < bytes) {
            std::vector<std::uint8_t> last(sectorSize, 0);
            std::memcpy(last.data(), in + done + whole, bytes - whole);
            hr = WriteSectorBytes(at + whole, last.data(), sectorSize);
        }
        added.AppendRun(static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from));
        done += bytes;
        return hr;
    };
    HRESULT hr = skipsLock ? writeRun(first, rangeLock) : writeRun(first, end);
    if (SUCCEEDED(hr) && skipsLock)
        hr = writeRun(rangeLock + 1, end);
    if (FAILED(hr))
        return hr;
    added.ForEachRun([&](std::uint32_t from, std::uint32_t runCount) {
        chain.sectors.AppendRun(from, runCount);
    });
    chain.size += n;
    return S_OK;
}
