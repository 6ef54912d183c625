// The commit: writes an element tree as the new committed state of a file.
//
// Invariants:
//  1. A sector that the last committed state uses (data, FAT, DIFAT, mini FAT, directory,
//     mini stream) is never written. Neither is a sector that a live chain still reads
//     (FileImage::PinnedSectors): snapshots of older states stay readable.
//  2. New data goes to sectors free in the last committed state, or is appended.
//  3. A stream sector whose bytes are unchanged since they were committed keeps its place;
//     only changed sectors are written.
//  4. Order: data, mini stream, mini FAT, directory, FAT and DIFAT are written; the bytes
//     are flushed; the header is written; the bytes are flushed again. Until the header is
//     written the file is the old state; after the second flush it is the new one.
//  5. The in-memory state (tables, chains) changes only after every write has succeeded.
//
// States: Idle → Writing (CommitWriter::Run up to the first flush) → Switching (header
// written, second flush) → Idle with the new state (FileImage adopts the new tables and
// every stream content is rebased). A failure before the header leaves Idle with the old
// state; the sectors written so far are free space in it.
#include <algorithm>
#include <cstring>
#include <new>

#include "cfb_format.h"
#include "file_image.h"

using namespace cfb;

namespace {

// Batches sector writes into runs of consecutive sectors, up to 1 MiB per write.
class SectorWriter {
public:
    SectorWriter(ILockBytes* bytes, unsigned shift) : m_bytes(bytes), m_shift(shift) {}

    HRESULT Put(std::uint32_t sector, const std::uint8_t* data, std::size_t n) {
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
        ULONG written = 0;
        HRESULT hr = m_bytes->WriteAt(
            ULARGE_INTEGER{.QuadPart = (std::uint64_t{m_first} + 1) << m_shift}, m_buffer.data(),
            static_cast<ULONG>(m_buffer.size()), &written);
        if (SUCCEEDED(hr) && written != m_buffer.size())
            hr = STG_E_WRITEFAULT;
        m_buffer.clear();
        return hr;
    }

private:
    static constexpr std::size_t kRun = 1 << 20;
    ILockBytes* m_bytes;
    unsigned m_shift;
    std::uint32_t m_first = 0;
    std::vector<std::uint8_t> m_buffer;
};

struct DirEntry {
    explicit DirEntry(ElementNode* n, bool isRoot = false) : node(n), root(isRoot) {}
    ElementNode* node;
    bool root;
    std::uint32_t left = NOSTREAM, right = NOSTREAM, child = NOSTREAM;
    std::uint8_t colour = kBlack;
    std::uint32_t start = ENDOFCHAIN;
    std::uint64_t size = 0;
    std::vector<std::uint32_t> chain; // sectors (mini sectors for small streams)
};

void PutFileTime(std::uint8_t* p, const FILETIME& t) {
    PutU32(p, t.dwLowDateTime);
    PutU32(p + 4, t.dwHighDateTime);
}

void PutClsid(std::uint8_t* p, const CLSID& id) {
    PutU32(p, id.Data1);
    PutU16(p + 4, id.Data2);
    PutU16(p + 6, id.Data3);
    std::memcpy(p + 8, id.Data4, 8);
}

} // namespace

class CommitWriter {
public:
    explicit CommitWriter(FileImage& image)
        : m_image(image), m_shift(image.m_sectorShift), m_sectorSize(1u << m_shift),
          m_out(image.m_bytes, m_shift) {}

    HRESULT Run(ElementNode& root);

private:
    std::uint32_t Allocate();
    HRESULT WriteBytes(const std::vector<std::uint8_t>& data, std::vector<std::uint32_t>* chain);
    HRESULT WriteRegularStream(StreamContent& content, std::vector<std::uint32_t>* chain);
    HRESULT WriteStreams();
    void LinkChain(const std::vector<std::uint32_t>& chain);
    void LayOutDirectory(ElementNode& root);
    std::uint32_t Balance(const std::vector<std::uint32_t>& ids, std::size_t lo, std::size_t hi,
                          int depth, int redDepth);
    std::vector<std::uint8_t> SerializeDirectory() const;
    HRESULT WriteTables();
    HRESULT WriteHeader();
    void Adopt();

    FileImage& m_image;
    unsigned m_shift;
    std::uint32_t m_sectorSize;
    SectorWriter m_out;
    std::vector<std::uint32_t> m_fat; // the new FAT
    std::vector<bool> m_pinned;
    std::uint32_t m_oldCount = 0;
    std::uint32_t m_cursor = 0;
    std::vector<DirEntry> m_entries;
    std::vector<std::uint32_t> m_miniFat;
    std::uint64_t m_miniStreamSize = 0;
    std::vector<std::uint32_t> m_miniFatChain, m_dirChain, m_fatSectors, m_difatSectors;
};

std::uint32_t CommitWriter::Allocate() {
    const std::uint32_t rangeLock = RangeLockSector(m_shift);
    while (m_cursor < m_oldCount) {
        const std::uint32_t s = m_cursor++;
        const bool freeBefore = s >= m_image.m_fat.size() || m_image.m_fat[s] == FREESECT;
        if (s != rangeLock && freeBefore && !(s < m_pinned.size() && m_pinned[s]) &&
            m_fat[s] == FREESECT)
            return s;
    }
    if (m_fat.size() == rangeLock)
        m_fat.push_back(ENDOFCHAIN); // the range-lock sector never holds data
    m_fat.push_back(FREESECT);
    return static_cast<std::uint32_t>(m_fat.size() - 1);
}

void CommitWriter::LinkChain(const std::vector<std::uint32_t>& chain) {
    for (std::size_t i = 0; i < chain.size(); ++i)
        m_fat[chain[i]] = i + 1 < chain.size() ? chain[i + 1] : ENDOFCHAIN;
}

HRESULT CommitWriter::WriteBytes(const std::vector<std::uint8_t>& data,
                                 std::vector<std::uint32_t>* chain) {
    for (std::size_t pos = 0; pos < data.size(); pos += m_sectorSize) {
        const std::uint32_t s = Allocate();
        m_fat[s] = ENDOFCHAIN;
        chain->push_back(s);
        HRESULT hr = m_out.Put(s, data.data() + pos, std::min<std::size_t>(m_sectorSize,
                                                                           data.size() - pos));
        if (FAILED(hr))
            return hr;
    }
    LinkChain(*chain);
    return S_OK;
}

HRESULT CommitWriter::WriteRegularStream(StreamContent& content,
                                         std::vector<std::uint32_t>* chain) {
    const std::uint64_t size = content.Size();
    const std::uint64_t count = (size + m_sectorSize - 1) >> m_shift;
    const bool sameFile = content.Base() && content.Base()->image.get() == &m_image;
    // A sector may stay where it is when its bytes are unchanged and no other stream of this
    // commit has claimed it already (two nodes may share one content after a copy).
    auto keep = [&](std::uint64_t index) -> std::optional<std::uint32_t> {
        if (!sameFile)
            return std::nullopt;
        auto s = content.UnchangedSector(index, m_shift);
        if (s && *s < m_fat.size() && m_fat[*s] == FREESECT)
            return s;
        return std::nullopt;
    };
    constexpr std::uint64_t kRunSectors = 256;
    std::vector<std::uint8_t> buffer;
    chain->reserve(count);
    for (std::uint64_t i = 0; i < count;) {
        if (auto s = keep(i)) {
            m_fat[*s] = ENDOFCHAIN;
            chain->push_back(*s);
            ++i;
            continue;
        }
        std::uint64_t j = i + 1;
        while (j < count && j - i < kRunSectors && !keep(j))
            ++j;
        const std::uint64_t from = i << m_shift;
        const std::size_t n = static_cast<std::size_t>(std::min(j << m_shift, size) - from);
        buffer.resize(n);
        HRESULT hr = content.Read(from, buffer.data(), n);
        if (FAILED(hr))
            return hr;
        for (std::uint64_t k = i; k < j; ++k) {
            const std::uint32_t s = Allocate();
            m_fat[s] = ENDOFCHAIN;
            chain->push_back(s);
            const std::size_t at = static_cast<std::size_t>((k - i) << m_shift);
            hr = m_out.Put(s, buffer.data() + at, std::min<std::size_t>(m_sectorSize, n - at));
            if (FAILED(hr))
                return hr;
        }
        i = j;
    }
    LinkChain(*chain);
    return S_OK;
}

// Regular streams keep what they can; small streams are laid out afresh in a new mini stream.
HRESULT CommitWriter::WriteStreams() {
    std::vector<std::uint8_t> miniStream;
    for (DirEntry& e : m_entries) {
        if (e.root || e.node->IsStorage() || !e.node->content)
            continue;
        StreamContent& content = *e.node->content;
        e.size = content.Size();
        if (e.size == 0)
            continue;
        if (e.size >= kMiniStreamCutoff) {
            HRESULT hr = WriteRegularStream(content, &e.chain);
            if (FAILED(hr))
                return hr;
            e.start = e.chain.front();
            continue;
        }
        const auto first = static_cast<std::uint32_t>(m_miniFat.size());
        const auto count = static_cast<std::uint32_t>((e.size + kMiniSectorSize - 1) /
                                                      kMiniSectorSize);
        for (std::uint32_t k = 0; k < count; ++k) {
            m_miniFat.push_back(k + 1 < count ? first + k + 1 : ENDOFCHAIN);
            e.chain.push_back(first + k);
        }
        miniStream.resize(std::size_t{first + count} * kMiniSectorSize);
        HRESULT hr = content.Read(0, miniStream.data() + std::size_t{first} * kMiniSectorSize,
                                  static_cast<std::size_t>(e.size));
        if (FAILED(hr))
            return hr;
        e.start = first;
    }
    m_miniStreamSize = miniStream.size();
    HRESULT hr = WriteBytes(miniStream, &m_entries[0].chain);
    if (FAILED(hr))
        return hr;
    m_entries[0].start = m_entries[0].chain.empty() ? ENDOFCHAIN : m_entries[0].chain.front();
    m_entries[0].size = m_miniStreamSize;

    std::vector<std::uint8_t> miniFat(
        (m_miniFat.size() * 4 + m_sectorSize - 1) / m_sectorSize * m_sectorSize, 0xFF);
    for (std::size_t i = 0; i < m_miniFat.size(); ++i)
        PutU32(miniFat.data() + 4 * i, m_miniFat[i]);
    return WriteBytes(miniFat, &m_miniFatChain);
}

// Siblings form a balanced tree: the middle name at the top, every level full except
// perhaps the deepest, whose nodes are red. All paths then hold the same number of black
// nodes and no red node has a red child.
std::uint32_t CommitWriter::Balance(const std::vector<std::uint32_t>& ids, std::size_t lo,
                                    std::size_t hi, int depth, int redDepth) {
    if (lo >= hi)
        return NOSTREAM;
    const std::size_t mid = lo + (hi - lo) / 2;
    DirEntry& e = m_entries[ids[mid]];
    e.colour = depth == redDepth ? kRed : kBlack;
    const std::uint32_t left = Balance(ids, lo, mid, depth + 1, redDepth);
    const std::uint32_t right = Balance(ids, mid + 1, hi, depth + 1, redDepth);
    m_entries[ids[mid]].left = left;
    m_entries[ids[mid]].right = right;
    return ids[mid];
}

void CommitWriter::LayOutDirectory(ElementNode& root) {
    m_entries.emplace_back(&root, true);
    std::vector<std::uint32_t> ids;
    for (std::size_t next = 0; next < m_entries.size(); ++next) {
        ElementNode* storage = m_entries[next].node;
        if (!storage->IsStorage() || storage->children.empty())
            continue;
        ids.clear();
        for (auto& [name, child] : storage->children) {
            ids.push_back(static_cast<std::uint32_t>(m_entries.size()));
            m_entries.emplace_back(child.get());
        }
        int full = 0; // levels that are full
        while ((std::size_t{2} << full) - 1 <= ids.size())
            ++full;
        const int redDepth = ((std::size_t{1} << full) - 1 == ids.size()) ? -1 : full;
        const std::uint32_t top = Balance(ids, 0, ids.size(), 0, redDepth);
        m_entries[next].child = top;
    }
}

std::vector<std::uint8_t> CommitWriter::SerializeDirectory() const {
    const std::size_t perSector = m_sectorSize / kDirEntrySize;
    const std::size_t count = (m_entries.size() + perSector - 1) / perSector * perSector;
    std::vector<std::uint8_t> out(count * kDirEntrySize, 0);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* p = out.data() + i * kDirEntrySize;
        PutU32(p + dir::kLeft, NOSTREAM);
        PutU32(p + dir::kRight, NOSTREAM);
        PutU32(p + dir::kChild, NOSTREAM);
        if (i >= m_entries.size())
            continue;
        const DirEntry& e = m_entries[i];
        const ElementNode& n = *e.node;
        const std::u16string& name = e.root ? u"Root Entry" : n.name;
        for (std::size_t k = 0; k < name.size(); ++k)
            PutU16(p + dir::kName + 2 * k, name[k]);
        PutU16(p + dir::kNameLength, static_cast<std::uint16_t>((name.size() + 1) * 2));
        p[dir::kType] = e.root ? kTypeRoot : n.IsStorage() ? kTypeStorage : kTypeStream;
        p[dir::kColour] = e.colour;
        PutU32(p + dir::kLeft, e.left);
        PutU32(p + dir::kRight, e.right);
        PutU32(p + dir::kChild, e.child);
        PutClsid(p + dir::kClsid, n.clsid);
        PutU32(p + dir::kStateBits, n.stateBits);
        if (n.IsStorage()) {
            PutFileTime(p + dir::kCreated, n.ctime);
            PutFileTime(p + dir::kModified, n.mtime);
        }
        // Storages carry no stream: their start and size are zero.
        const std::uint32_t start = !e.root && n.IsStorage() ? 0
                                    : e.size == 0            ? ENDOFCHAIN
                                                             : e.start;
        PutU32(p + dir::kStart, start);
        PutU64(p + dir::kSize, e.size);
    }
    return out;
}

// The entry of FAT sector k at index i, in the new table or the old one; entries past the
// end of a table are free.
static std::uint32_t TableEntry(const std::vector<std::uint32_t>& table, std::size_t k,
                                std::uint32_t i, std::uint32_t perSector) {
    const std::size_t at = k * perSector + i;
    return at < table.size() ? table[at] : FREESECT;
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
        m_fat[s] = FATSECT;
    for (std::uint32_t s : m_difatSectors)
        m_fat[s] = DIFSECT;
    std::vector<bool> fatMoved(m_fatSectors.size()), difatMoved(m_difatSectors.size());
    auto relocate = [&](std::vector<std::uint32_t>& where, std::vector<bool>& moved,
                        std::size_t k, std::uint32_t mark) {
        if (!moved[k])
            m_fat[where[k]] = FREESECT;
        where[k] = Allocate();
        m_fat[where[k]] = mark;
        moved[k] = true;
    };
    for (bool changed = true; changed;) {
        changed = false;
        const std::size_t needFat = (m_fat.size() + perSector - 1) / perSector;
        const std::size_t needDifat =
            needFat > kHeaderDifatEntries
                ? (needFat - kHeaderDifatEntries + perSector - 2) / (perSector - 1)
                : 0;
        while (m_fatSectors.size() < needFat || m_difatSectors.size() < needDifat) {
            const bool fat = m_fatSectors.size() < needFat;
            auto& where = fat ? m_fatSectors : m_difatSectors;
            auto& moved = fat ? fatMoved : difatMoved;
            where.push_back(FREESECT);
            moved.push_back(true); // a new sector: nothing to free
            relocate(where, moved, where.size() - 1, fat ? FATSECT : DIFSECT);
            changed = true;
        }
        for (std::size_t k = 0; k < m_fatSectors.size(); ++k) {
            if (fatMoved[k])
                continue;
            for (std::uint32_t i = 0; i < perSector; ++i) {
                if (TableEntry(m_fat, k, i, perSector) != TableEntry(old.m_fat, k, i, perSector)) {
                    relocate(m_fatSectors, fatMoved, k, FATSECT);
                    changed = true;
                    break;
                }
            }
        }
        for (std::size_t j = 0; j < m_difatSectors.size(); ++j) {
            if (difatMoved[j])
                continue;
            for (std::uint32_t i = 0; i < perSector; ++i) {
                if (DifatEntry(m_fatSectors, m_difatSectors, j, i, perSector) !=
                    DifatEntry(old.m_fatSectors, old.m_difatSectors, j, i, perSector)) {
                    relocate(m_difatSectors, difatMoved, j, DIFSECT);
                    changed = true;
                    break;
                }
            }
        }
    }
    m_fat.resize(m_fatSectors.size() * perSector, FREESECT);
    std::vector<std::uint8_t> sector(m_sectorSize);
    for (std::size_t k = 0; k < m_fatSectors.size(); ++k) {
        if (!fatMoved[k])
            continue;
        for (std::uint32_t i = 0; i < perSector; ++i)
            PutU32(sector.data() + 4 * i, m_fat[k * perSector + i]);
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
    img.m_fat = std::move(m_fat);
    img.m_miniFat = std::move(m_miniFat);
    img.m_miniFat.resize(m_miniFatChain.size() * perSector, FREESECT);
    img.m_fatSectors = std::move(m_fatSectors);
    img.m_difatSectors = std::move(m_difatSectors);
    img.m_miniFatSectors = std::move(m_miniFatChain);
    img.m_firstDirSector = m_dirChain.front();
    img.m_transactionSignature += 1;
    img.m_fileSectors = std::max<std::uint32_t>(img.m_fileSectors,
                                                static_cast<std::uint32_t>(img.m_fat.size()));
    DirEntry& root = m_entries[0];
    img.m_rootStart = root.start;
    img.m_rootSize = root.size;
    CommittedChain miniStream;
    miniStream.sectors = std::move(root.chain);
    miniStream.size = root.size;
    auto miniStreamChain = img.RegisterChain(std::move(miniStream));
    for (DirEntry& e : m_entries) {
        if (e.root || e.node->IsStorage() || !e.node->content)
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
        m_oldCount = std::max<std::uint32_t>(m_image.m_fileSectors,
                                             static_cast<std::uint32_t>(m_image.m_fat.size()));
        m_fat.assign(m_oldCount, FREESECT);
        const std::uint32_t rangeLock = RangeLockSector(m_shift);
        if (rangeLock < m_oldCount)
            m_fat[rangeLock] = ENDOFCHAIN;
        m_pinned = m_image.PinnedSectors();
        LayOutDirectory(root);
        HRESULT hr = WriteStreams();
        if (SUCCEEDED(hr))
            hr = WriteBytes(SerializeDirectory(), &m_dirChain);
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
    const HRESULT hr = CommitWriter(*this).Run(root);
    // After a failed write nobody knows what reached the disk; guessing would risk the last
    // good state, so nothing more is written until the state has been read again.
    if (FAILED(hr))
        m_failure = hr;
    return hr;
}
