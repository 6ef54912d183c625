// The commit: writes an element tree as the new committed state of a file.
//
// Invariants:
//  1. A sector that the last committed state uses (data, FAT, DIFAT, mini FAT, directory,
//     mini stream) is never written. Neither is a sector that a live chain still reads
//     (FileImage::PinnedSectors): snapshots of older states stay readable.
//  2. New data goes to sectors free in the last committed state, or is appended.
//  3. A stream sector whose bytes are unchanged since they were committed keeps its place;
//     only changed sectors are written. So does a sector of a pending chain: bytes appended
//     in bulk since the last commit, already written past the committed end of the file
//     (FileImage::GrowPending), which no committed state and no other chain uses. A commit
//     ends every pending chain's growth: from then on its sectors may be committed ones.
//  4. Order: data, mini stream, mini FAT, directory, FAT and DIFAT are written; the bytes
//     are flushed; the header is written; the bytes are flushed again. Until the header is
//     written the file is the old state; after the second flush it is the new one.
//  5. The in-memory state (tables, chains) changes only after every write has succeeded.
//  6. The new FAT covers every sector of the file, free where unused; a sector is marked
//     FATSECT exactly when the DIFAT lists it and DIFSECT exactly when the DIFAT chain holds
//     it. A table sector's old place is free in the new FAT (the FAT sector holding that
//     entry moves like any changed one).
//
// States: Idle → Writing (CommitWriter::Run up to the first flush) → Switching (header
// written, second flush) → Idle with the new state (FileImage adopts the new tables and
// every stream content is rebased). A failure before the header leaves Idle with the old
// state; the sectors written so far are free space in it.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "cfb_format.h"
#include "directory_layout.h"
#include "fat_builder.h"
#include "file_image.h"
#include "mini_stream_layout.h"

using namespace cfb;

namespace {

// Batches sector writes into runs of consecutive sectors, up to 1 MiB per write.
class SectorWriter {
public:
    SectorWriter(const FileImage& image, unsigned shift)
        : m_image(image), m_shift(shift), m_lastSector(LastUsableSector(shift)) {}

    HRESULT Put(std::uint32_t sector, const std::uint8_t* data, std::size_t n) {
        if (sector > m_lastSector)
            return STG_E_DOCFILETOOLARGE;
        const std::size_t sectorSize = std::size_t{1} << m_shift;
        if (!m_buffer.empty() &&
            (sector != m_first + m_buffer.size() / sectorSize || m_buffer.size() >= kRun)) {
            HRESULT hr = Flush();
            if (FAILED(hr))
                return hr;
        }
        if (m_buffer.empty())
            m_first = sector;
        m_buffer.insert(m_buffer.end(), data, data + n);
        m_buffer.resize(m_buffer.size() + (sectorSize - n)); // pad the last sector of a chain
        return S_OK;
    }

    HRESULT Flush() {
        if (m_buffer.empty())
            return S_OK;
        HRESULT hr = m_image.WriteSectorBytes((std::uint64_t{m_first} + 1) << m_shift,
                                              m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return hr;
    }

private:
    static constexpr std::size_t kRun = 1 << 20;
    const FileImage& m_image;
    unsigned m_shift;
    std::uint32_t m_lastSector;
    std::uint32_t m_first = 0;
    std::vector<std::uint8_t> m_buffer;
};

} // namespace

class CommitWriter {
public:
    explicit CommitWriter(FileImage& image)
        : m_image(image), m_shift(image.m_sectorShift), m_sectorSize(1u << m_shift),
          m_out(image, m_shift) {}

    HRESULT Run(ElementNode& root);

private:
    std::uint32_t Allocate(std::uint32_t want, std::uint32_t* count);
    std::uint32_t AllocateOne();
    bool Reusable(std::uint32_t sector);
    bool Pinned(std::uint32_t sector);
    HRESULT WriteChanged(const std::vector<std::uint8_t>& data,
                         const std::vector<std::uint8_t>& old,
                         const std::vector<std::uint32_t>& oldChain,
                         std::vector<std::uint32_t>* chain);
    HRESULT WriteRegularStream(StreamContent& content, SectorRuns* chain);
    HRESULT WriteStreams();
    HRESULT WriteTables();
    HRESULT WriteHeader();
    void Adopt();

    FileImage& m_image;
    unsigned m_shift;
    std::uint32_t m_sectorSize;
    SectorWriter m_out;
    FatBuilder m_fat{0}; // the new FAT
    // Made when first asked: a file without free space never needs it.
    std::optional<std::vector<FileImage::SectorRange>> m_pinned;
    std::uint32_t m_oldCount = 0;    // sectors of the file before: what the commit may reuse
    std::uint32_t m_usedSectors = 0; // sectors of the file after, before the FAT's padding
    std::uint32_t m_cursor = 0;
    DirectoryLayout m_directory;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<std::uint8_t> m_dirBytes;
    std::vector<std::uint32_t> m_miniFatChain, m_dirChain, m_fatSectors, m_difatSectors;
};

// A sector free in the last committed state (whatever a damaged FAT says), read by no live
// chain, not the range-lock sector and not yet taken by this commit.
bool CommitWriter::Reusable(std::uint32_t s) {
    const auto& claimedButFree = m_image.m_claimedButFree;
    return s < m_oldCount && s != RangeLockSector(m_shift) && m_image.m_fat.At(s) == FREESECT &&
           !std::binary_search(claimedButFree.begin(), claimedButFree.end(), s) && !Pinned(s) &&
           m_fat.IsFree(s);
}

bool CommitWriter::Pinned(std::uint32_t s) {
    if (!m_pinned)
        m_pinned = m_image.PinnedSectors();
    auto after =
        std::upper_bound(m_pinned->begin(), m_pinned->end(), FileImage::SectorRange{s, ~0u});
    return after != m_pinned->begin() && s < std::prev(after)->second;
}

// Up to `want` sectors side by side for new data: reused from the last committed state
// where it has free space, else appended. The caller claims them before asking again.
std::uint32_t CommitWriter::Allocate(std::uint32_t want, std::uint32_t* count) {
    while (m_cursor < m_oldCount) {
        const std::uint32_t s = m_image.m_fat.NextFree(m_cursor);
        if (s >= m_oldCount) {
            m_cursor = m_oldCount;
            break;
        }
        m_cursor = s + 1;
        if (!Reusable(s))
            continue;
        std::uint32_t n = 1;
        while (n < want && Reusable(s + n))
            ++n;
        m_cursor = s + n;
        *count = n;
        return s;
    }
    const std::uint32_t rangeLock = RangeLockSector(m_shift);
    if (m_fat.Size() == rangeLock) {
        m_fat.Grow(rangeLock + 1);
        m_fat.Set(rangeLock, ENDOFCHAIN); // the range-lock sector never holds data
    }
    const std::uint32_t first = m_fat.Size();
    std::uint32_t n = want;
    if (first < rangeLock)
        n = std::min(n, rangeLock - first);
    m_fat.Grow(first + n);
    *count = n;
    return first;
}

std::uint32_t CommitWriter::AllocateOne() {
    std::uint32_t count = 0;
    const std::uint32_t s = Allocate(1, &count);
    m_fat.Set(s, ENDOFCHAIN);
    return s;
}

// Writes a table or directory: a sector whose bytes equal those of the same sector in the
// committed version stays where it is; the others go to new sectors.
HRESULT CommitWriter::WriteChanged(const std::vector<std::uint8_t>& data,
                                   const std::vector<std::uint8_t>& old,
                                   const std::vector<std::uint32_t>& oldChain,
                                   std::vector<std::uint32_t>* chain) {
    for (std::size_t i = 0, pos = 0; pos < data.size(); ++i, pos += m_sectorSize) {
        const std::size_t n = std::min<std::size_t>(m_sectorSize, data.size() - pos);
        if (i < oldChain.size() && pos + n <= old.size() &&
            std::memcmp(data.data() + pos, old.data() + pos, n) == 0 && m_fat.IsFree(oldChain[i])) {
            m_fat.Set(oldChain[i], ENDOFCHAIN);
            chain->push_back(oldChain[i]);
            continue;
        }
        const std::uint32_t s = AllocateOne();
        chain->push_back(s);
        HRESULT hr = m_out.Put(s, data.data() + pos, n);
        if (FAILED(hr))
            return hr;
    }
    m_fat.Link(SectorRuns::FromList(*chain));
    return S_OK;
}

HRESULT CommitWriter::WriteRegularStream(StreamContent& content, SectorRuns* chain) {
    const std::uint64_t size = content.Size();
    const std::uint64_t count = (size + m_sectorSize - 1) >> m_shift;
    const bool sameFile = content.Base() && content.Base()->image.get() == &m_image;
    // Sectors may stay where they are when their bytes are unchanged and no other stream of
    // this commit has claimed them already (two nodes may share one content after a copy):
    // how many from `index` on may.
    auto keep = [&](std::uint64_t index, std::uint32_t* first) -> std::uint32_t {
        std::uint32_t length = 0;
        auto s = sameFile ? content.UnchangedRun(index, m_shift, &length) : std::nullopt;
        if (!s)
            return 0;
        *first = *s;
        return m_fat.FreeCount(*s, length);
    };
    constexpr std::uint64_t kRunSectors = 2048; // up to 1 MiB of 512-byte sectors
    std::vector<std::uint8_t> buffer;
    std::uint32_t first = 0;
    for (std::uint64_t i = 0; i < count;) {
        if (const std::uint32_t kept = keep(i, &first)) {
            m_fat.Fill(first, kept, ENDOFCHAIN);
            chain->AppendRun(first, kept);
            i += kept;
            continue;
        }
        std::uint64_t j = i + 1;
        while (j < count && j - i < kRunSectors && !keep(j, &first))
            ++j;
        const std::uint64_t from = i << m_shift;
        const std::size_t n = static_cast<std::size_t>(std::min(j << m_shift, size) - from);
        buffer.resize(n);
        HRESULT hr = content.Read(from, buffer.data(), n);
        if (FAILED(hr))
            return hr;
        for (std::uint64_t k = i; k < j;) {
            std::uint32_t got = 0;
            const std::uint32_t s = Allocate(static_cast<std::uint32_t>(j - k), &got);
            m_fat.Fill(s, got, ENDOFCHAIN);
            chain->AppendRun(s, got);
            for (std::uint32_t g = 0; g < got; ++g, ++k) {
                const std::size_t at = static_cast<std::size_t>((k - i) << m_shift);
                hr = m_out.Put(s + g, buffer.data() + at,
                               std::min<std::size_t>(m_sectorSize, n - at));
                if (FAILED(hr))
                    return hr;
            }
        }
        i = j;
    }
    m_fat.Link(*chain);
    return S_OK;
}

static std::vector<std::uint8_t> TableBytes(const std::vector<std::uint32_t>& table,
                                            std::uint32_t sectorSize) {
    std::vector<std::uint8_t> bytes((table.size() * 4 + sectorSize - 1) / sectorSize * sectorSize,
                                    0xFF);
    for (std::size_t i = 0; i < table.size(); ++i)
        PutU32(bytes.data() + 4 * i, table[i]);
    return bytes;
}

HRESULT CommitWriter::WriteStreams() {
    std::vector<DirEntry*> small;
    for (DirEntry& e : m_directory.Entries()) {
        if (!e.IsStream())
            continue;
        StreamContent& content = *e.node->content;
        e.size = content.Size();
        if (e.size == 0)
            continue;
        if (e.size < kMiniStreamCutoff) {
            small.push_back(&e);
            continue;
        }
        HRESULT hr = WriteRegularStream(content, &e.chain);
        if (FAILED(hr))
            return hr;
        e.start = e.chain.At(0);
    }
    MiniStreamLayout mini(m_image.m_miniStreamSectors.Empty() ? nullptr : m_image.MiniStreamChain(),
                          m_image.m_miniFat);
    HRESULT hr = mini.Place(small);
    if (FAILED(hr))
        return hr;
    DirEntry& root = m_directory.Entries()[0];
    hr = WriteRegularStream(mini.Content(), &root.chain);
    if (FAILED(hr))
        return hr;
    root.size = mini.Content().Size();
    root.start = root.chain.Empty() ? ENDOFCHAIN : root.chain.At(0);
    m_miniFat = mini.MiniFat();
    return WriteChanged(TableBytes(m_miniFat, m_sectorSize),
                        TableBytes(m_image.m_miniFat, m_sectorSize), m_image.m_miniFatSectors,
                        &m_miniFatChain);
}

// Entry i of DIFAT sector j, given where the FAT and DIFAT sectors are.
static std::uint32_t DifatEntry(const std::vector<std::uint32_t>& fatSectors,
                                const std::vector<std::uint32_t>& difatSectors, std::size_t j,
                                std::uint32_t i, std::uint32_t perSector) {
    if (i + 1 == perSector)
        return j + 1 < difatSectors.size() ? difatSectors[j + 1] : ENDOFCHAIN;
    const std::size_t at = kHeaderDifatEntries + j * (perSector - 1) + i;
    return at < fatSectors.size() ? fatSectors[at] : FREESECT;
}

// FAT and DIFAT sectors stay where they are while their contents do not change; a changed
// one moves to a free sector (the old one still belongs to the last commit). Moving changes
// FAT entries, which may change further sectors: repeat until nothing moves. Each sector
// moves at most once, so this ends.
HRESULT CommitWriter::WriteTables() {
    const std::uint32_t perSector = m_sectorSize / 4;
    const FileImage& old = m_image;
    m_fatSectors = old.m_fatSectors;
    m_difatSectors = old.m_difatSectors;
    for (std::uint32_t s : m_fatSectors)
        m_fat.Set(s, FATSECT);
    for (std::uint32_t s : m_difatSectors)
        m_fat.Set(s, DIFSECT);
    std::vector<bool> fatMoved(m_fatSectors.size()), difatMoved(m_difatSectors.size());
    // Sectors whose contents may have changed wait in a queue, so that each pass looks only
    // at what the last move touched (a move of a DIFAT sector changes the one before it).
    std::vector<std::size_t> fatQueue, difatQueue;
    std::vector<bool> fatQueued, difatQueued;
    auto queue = [](std::vector<std::size_t>& q, std::vector<bool>& queued, std::size_t i) {
        if (i >= queued.size())
            queued.resize(i + 1);
        if (!queued[i]) {
            queued[i] = true;
            q.push_back(i);
        }
    };
    // A table sector's old place becomes free in the new FAT: the FAT sector holding that
    // entry changes too and moves like any other, so no stale mark stays on disk.
    auto relocate = [&](std::vector<std::uint32_t>& where, std::vector<bool>& moved, std::size_t k,
                        std::uint32_t mark) {
        if (!moved[k]) {
            m_fat.Set(where[k], FREESECT);
            queue(fatQueue, fatQueued, where[k] / perSector);
        }
        where[k] = AllocateOne();
        m_fat.Set(where[k], mark);
        moved[k] = true;
        queue(fatQueue, fatQueued, where[k] / perSector);
        if (mark == FATSECT && k >= kHeaderDifatEntries)
            queue(difatQueue, difatQueued, (k - kHeaderDifatEntries) / (perSector - 1));
        if (mark == DIFSECT && k > 0)
            queue(difatQueue, difatQueued, k - 1);
    };
    std::vector<std::uint32_t> oldEntries(perSector), newEntries(perSector);
    auto fatChanged = [&](std::size_t k) {
        const std::uint64_t base = std::uint64_t{k} * perSector;
        old.m_fat.Copy(base, perSector, oldEntries.data());
        m_fat.Copy(base, perSector, newEntries.data());
        return !std::equal(oldEntries.begin(), oldEntries.end(), newEntries.begin());
    };
    auto difatChanged = [&](std::size_t j) {
        for (std::uint32_t i = 0; i < perSector; ++i)
            if (DifatEntry(m_fatSectors, m_difatSectors, j, i, perSector) !=
                DifatEntry(old.m_fatSectors, old.m_difatSectors, j, i, perSector))
                return true;
        return false;
    };
    for (std::size_t k = 0; k < m_fatSectors.size(); ++k)
        queue(fatQueue, fatQueued, k);
    for (std::size_t j = 0; j < m_difatSectors.size(); ++j)
        queue(difatQueue, difatQueued, j);
    for (;;) {
        const std::size_t needFat = (std::size_t{m_fat.Size()} + perSector - 1) / perSector;
        const std::size_t needDifat =
            needFat > kHeaderDifatEntries
                ? (needFat - kHeaderDifatEntries + perSector - 2) / (perSector - 1)
                : 0;
        if (m_fatSectors.size() < needFat || m_difatSectors.size() < needDifat) {
            const bool fat = m_fatSectors.size() < needFat;
            auto& where = fat ? m_fatSectors : m_difatSectors;
            auto& moved = fat ? fatMoved : difatMoved;
            where.push_back(FREESECT);
            moved.push_back(true); // a new sector: nothing to free
            relocate(where, moved, where.size() - 1, fat ? FATSECT : DIFSECT);
        } else if (!fatQueue.empty()) {
            const std::size_t k = fatQueue.back();
            fatQueue.pop_back();
            fatQueued[k] = false;
            if (k < m_fatSectors.size() && !fatMoved[k] && fatChanged(k))
                relocate(m_fatSectors, fatMoved, k, FATSECT);
        } else if (!difatQueue.empty()) {
            const std::size_t j = difatQueue.back();
            difatQueue.pop_back();
            difatQueued[j] = false;
            if (j < m_difatSectors.size() && !difatMoved[j] && difatChanged(j))
                relocate(m_difatSectors, difatMoved, j, DIFSECT);
        } else {
            break;
        }
    }
    m_usedSectors = m_fat.Size();
    m_fat.Grow(static_cast<std::uint32_t>(m_fatSectors.size() * perSector));
    std::vector<std::uint8_t> sector(m_sectorSize);
    for (std::size_t k = 0; k < m_fatSectors.size(); ++k) {
        if (!fatMoved[k])
            continue;
        m_fat.Copy(std::uint64_t{k} * perSector, perSector, newEntries.data());
        for (std::uint32_t i = 0; i < perSector; ++i)
            PutU32(sector.data() + 4 * i, newEntries[i]);
        HRESULT hr = m_out.Put(m_fatSectors[k], sector.data(), m_sectorSize);
        if (FAILED(hr))
            return hr;
    }
    for (std::size_t j = 0; j < m_difatSectors.size(); ++j) {
        if (!difatMoved[j])
            continue;
        for (std::uint32_t i = 0; i < perSector; ++i)
            PutU32(sector.data() + 4 * i,
                   DifatEntry(m_fatSectors, m_difatSectors, j, i, perSector));
        HRESULT hr = m_out.Put(m_difatSectors[j], sector.data(), m_sectorSize);
        if (FAILED(hr))
            return hr;
    }
    return m_out.Flush();
}

HRESULT CommitWriter::WriteHeader() {
    std::vector<std::uint8_t> h(m_image.HeaderSectorSize(), 0);
    std::memcpy(h.data(), kSignature, sizeof kSignature);
    PutU16(h.data() + hdr::kMinor, kMinorVersion);
    PutU16(h.data() + hdr::kMajor, static_cast<std::uint16_t>(m_image.MajorVersion()));
    PutU16(h.data() + hdr::kByteOrder, kByteOrder);
    PutU16(h.data() + hdr::kSectorShift, static_cast<std::uint16_t>(m_shift));
    PutU16(h.data() + hdr::kMiniShift, kMiniSectorShift);
    PutU32(h.data() + hdr::kDirSectors,
           m_shift == 9 ? 0 : static_cast<std::uint32_t>(m_dirChain.size()));
    PutU32(h.data() + hdr::kFatSectors, static_cast<std::uint32_t>(m_fatSectors.size()));
    PutU32(h.data() + hdr::kFirstDir, m_dirChain.front());
    PutU32(h.data() + hdr::kTransaction, m_image.m_transactionSignature + 1);
    PutU32(h.data() + hdr::kCutoff, kMiniStreamCutoff);
    PutU32(h.data() + hdr::kFirstMiniFat,
           m_miniFatChain.empty() ? ENDOFCHAIN : m_miniFatChain.front());
    PutU32(h.data() + hdr::kMiniFatSectors, static_cast<std::uint32_t>(m_miniFatChain.size()));
    PutU32(h.data() + hdr::kFirstDifat,
           m_difatSectors.empty() ? ENDOFCHAIN : m_difatSectors.front());
    PutU32(h.data() + hdr::kDifatSectors, static_cast<std::uint32_t>(m_difatSectors.size()));
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        PutU32(h.data() + hdr::kDifat + 4 * i,
               i < m_fatSectors.size() ? m_fatSectors[i] : FREESECT);

    ILockBytes* bytes = m_image.m_bytes;
    HRESULT hr = bytes->Flush();
    if (FAILED(hr))
        return hr;
    ULONG written = 0;
    hr = bytes->WriteAt(ULARGE_INTEGER{.QuadPart = 0}, h.data(), static_cast<ULONG>(h.size()),
                        &written);
    if (SUCCEEDED(hr) && written != h.size())
        hr = STG_E_WRITEFAULT;
    if (SUCCEEDED(hr))
        hr = bytes->Flush();
    return hr;
}

// The new state is in force: the image takes the new tables and every stream reads from
// the sectors just written.
void CommitWriter::Adopt() {
    FileImage& img = m_image;
    const std::uint32_t perSector = m_sectorSize / 4;
    img.m_fat = m_fat.Pack();
    img.m_miniFat = std::move(m_miniFat);
    img.m_miniFat.resize(m_miniFatChain.size() * perSector, FREESECT);
    img.m_fatSectors = std::move(m_fatSectors);
    img.m_difatSectors = std::move(m_difatSectors);
    img.m_miniFatSectors = std::move(m_miniFatChain);
    img.m_firstDirSector = m_dirChain.front();
    img.m_dirChain = std::move(m_dirChain);
    img.m_dirBytes = std::move(m_dirBytes);
    img.m_transactionSignature += 1;
    img.m_epoch += 1;
    img.m_growing.clear(); // what they hold is below the new committed end
    img.m_uncommittedTail = false;
    img.m_fileSectors = std::max(img.m_fileSectors, m_usedSectors);
    img.m_claimedButFree.clear();
    m_directory.RememberIds();
    auto& entries = m_directory.Entries();
    img.m_miniStreamSectors = std::move(entries[0].chain);
    img.m_miniStreamSize = entries[0].size;
    img.m_miniStream.reset();
    auto miniStreamChain = img.MiniStreamChain();
    for (DirEntry& e : entries) {
        if (!e.IsStream() || !e.node->content)
            continue;
        if (e.size == 0) {
            e.node->content->Rebase(nullptr);
            continue;
        }
        CommittedChain chain;
        chain.size = e.size;
        chain.sectors = std::move(e.chain);
        if (e.size < kMiniStreamCutoff) {
            chain.mini = true;
            chain.miniStream = miniStreamChain;
        }
        e.node->content->Rebase(img.RegisterChain(std::move(chain)));
    }
}

HRESULT CommitWriter::Run(ElementNode& root) {
    try {
        m_oldCount = std::max(m_image.m_fileSectors, m_image.m_pendingEnd);
        m_fat = FatBuilder(m_oldCount);
        const std::uint32_t rangeLock = RangeLockSector(m_shift);
        if (rangeLock < m_oldCount)
            m_fat.Set(rangeLock, ENDOFCHAIN);
        m_directory.Build(root,
                          static_cast<std::uint32_t>(m_image.m_dirBytes.size() / kDirEntrySize));
        HRESULT hr = WriteStreams();
        if (SUCCEEDED(hr)) {
            m_dirBytes = m_directory.Serialize(m_sectorSize);
            hr = WriteChanged(m_dirBytes, m_image.m_dirBytes, m_image.m_dirChain, &m_dirChain);
        }
        if (SUCCEEDED(hr))
            hr = WriteTables();
        if (SUCCEEDED(hr))
            hr = WriteHeader();
        if (FAILED(hr))
            return hr;
        Adopt();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
}

HRESULT FileImage::Commit(ElementNode& root) {
    if (FAILED(m_failure))
        return m_failure;
    DropDeadTail();
    const HRESULT hr = CommitWriter(*this).Run(root);
    // After a failed write nobody knows what reached the disk; guessing would risk the last
    // good state, so nothing more is written until the state has been read again.
    if (FAILED(hr))
        m_failure = hr;
    else
        CutFreeTail();
    return hr;
}

void FileImage::CutFreeTail() {
    // Sectors at the end of the file that the new state leaves free and no live chain reads
    // are cut: other readers (7-Zip) take them for data after the end. The header is on the
    // disk already, so no state needs them; should the cut be lost, the FAT covers them.
    std::uint32_t end = std::min(m_fileSectors, m_fat.Size());
    while (end > 0 && m_fat.At(end - 1) == FREESECT)
        --end;
    for (const SectorRange& range : PinnedSectors())
        end = std::max(end, std::min(range.second, m_fileSectors));
    if (end < m_fileSectors && SUCCEEDED(m_bytes->SetSize(ULARGE_INTEGER{
                                   .QuadPart = (std::uint64_t{end} + 1) << m_sectorShift})))
        m_fileSectors = end;
}
