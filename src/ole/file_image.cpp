#include "file_image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "cfb_format.h"

using namespace cfb;

namespace {

std::uint64_t SectorsFor(std::uint64_t bytes, unsigned shift) {
    return (bytes + (std::uint64_t{1} << shift) - 1) >> shift;
}

FILETIME FileTimeAt(const std::uint8_t* p) {
    return FILETIME{GetU32(p), GetU32(p + 4)};
}

CLSID ClsidAt(const std::uint8_t* p) {
    CLSID id{};
    id.Data1 = GetU32(p);
    id.Data2 = GetU16(p + 4);
    id.Data3 = GetU16(p + 6);
    std::memcpy(id.Data4, p + 8, 8);
    return id;
}

} // namespace

FileImage::FileImage(ILockBytes* bytes) : m_bytes(bytes) {
    m_bytes->AddRef();
}

FileImage::~FileImage() {
    // Bulk appends that no commit took are nothing but a tail the file did not have: a file
    // closed without saving is left as it was. After a failed commit the new state may be
    // in place already, so the tail stays.
    if (m_uncommittedTail && SUCCEEDED(m_failure))
        m_bytes->SetSize(ULARGE_INTEGER{.QuadPart = m_sizeBeforeTail});
    m_bytes->Release();
}

HRESULT FileImage::Open(ILockBytes* bytes, std::shared_ptr<FileImage>* image) {
    std::shared_ptr<FileImage> opened(new (std::nothrow) FileImage(bytes));
    if (!opened)
        return STG_E_INSUFFICIENTMEMORY;
    HRESULT hr = opened->ReadHeader();
    if (SUCCEEDED(hr))
        hr = opened->ReadAllocationTables();
    if (SUCCEEDED(hr))
        *image = std::move(opened);
    return hr;
}

HRESULT FileImage::Create(ILockBytes* bytes, unsigned majorVersion,
                          std::shared_ptr<FileImage>* image) {
    std::shared_ptr<FileImage> created(new (std::nothrow) FileImage(bytes));
    if (!created)
        return STG_E_INSUFFICIENTMEMORY;
    created->m_sectorShift = majorVersion == 4 ? 12 : 9;
    // Whatever the bytes held before is not part of the new file.
    HRESULT hr = bytes->SetSize(ULARGE_INTEGER{.QuadPart = 0});
    if (FAILED(hr))
        return hr;
    ElementNode root;
    root.name = u"Root Entry";
    hr = created->Commit(root);
    if (SUCCEEDED(hr))
        *image = std::move(created);
    return hr;
}

HRESULT FileImage::Reload(NodePtr* root) {
    if (FAILED(m_failure)) {
        m_fat = PackedFat{};
        m_miniFat.clear();
        m_fatSectors.clear();
        m_difatSectors.clear();
        m_miniFatSectors.clear();
        HRESULT hr = ReadHeader();
        if (SUCCEEDED(hr))
            hr = ReadAllocationTables();
        if (FAILED(hr))
            return hr;
        m_failure = S_OK;
        // Whatever the failed commit left past the old end is now part of the file as read:
        // no tail to cut, and no pending chain grows on.
        m_uncommittedTail = false;
        m_pendingEnd = 0;
        m_growing.clear();
        m_epoch += 1;
    }
    return LoadTree(root);
}

HRESULT FileImage::ReadSectorBytes(std::uint64_t offset, void* buffer, std::size_t n) const {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (n > 0) {
        const ULONG want = static_cast<ULONG>(std::min<std::size_t>(n, 1u << 30));
        ULONG got = 0;
        HRESULT hr = m_bytes->ReadAt(ULARGE_INTEGER{.QuadPart = offset}, out, want, &got);
        if (FAILED(hr))
            return hr;
        if (got < want) {
            // A file cut short inside its last sector: the missing bytes read as zeros.
            std::memset(out + got, 0, n - got);
            return S_OK;
        }
        out += got;
        offset += got;
        n -= got;
    }
    return S_OK;
}

HRESULT FileImage::WriteSectorBytes(std::uint64_t offset, const void* buffer, std::size_t n) const {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (n > 0) {
        const ULONG want = static_cast<ULONG>(std::min<std::size_t>(n, 1u << 30));
        ULONG written = 0;
        HRESULT hr = m_bytes->WriteAt(ULARGE_INTEGER{.QuadPart = offset}, in, want, &written);
        if (SUCCEEDED(hr) && written != want)
            hr = STG_E_WRITEFAULT;
        if (FAILED(hr))
            return hr;
        in += want;
        offset += want;
        n -= want;
    }
    return S_OK;
}

HRESULT FileImage::ReadHeader() {
    std::uint8_t h[kHeaderSize];
    ULONG got = 0;
    HRESULT hr = m_bytes->ReadAt(ULARGE_INTEGER{.QuadPart = 0}, h, kHeaderSize, &got);
    if (FAILED(hr))
        return hr;
    if (got < kHeaderSize || std::memcmp(h, kSignature, sizeof kSignature) != 0)
        return STG_E_FILEALREADYEXISTS;
    const unsigned major = GetU16(h + hdr::kMajor);
    const unsigned shift = GetU16(h + hdr::kSectorShift);
    if (GetU16(h + hdr::kByteOrder) != kByteOrder ||
        !((major == 3 && shift == 9) || (major == 4 && shift == 12)))
        return STG_E_INVALIDHEADER;
    if (GetU16(h + hdr::kMiniShift) != kMiniSectorShift ||
        GetU32(h + hdr::kCutoff) != kMiniStreamCutoff)
        return STG_E_INVALIDHEADER;
    m_sectorShift = shift;
    m_transactionSignature = GetU32(h + hdr::kTransaction);
    m_firstDirSector = GetU32(h + hdr::kFirstDir);

    STATSTG st{};
    hr = m_bytes->Stat(&st, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    const std::uint64_t size = st.cbSize.QuadPart;
    const std::uint64_t sectors =
        size > HeaderSectorSize() ? SectorsFor(size - HeaderSectorSize(), shift) : 0;
    if (sectors > MAXREGSECT)
        return STG_E_DOCFILECORRUPT;
    m_fileSectors = static_cast<std::uint32_t>(sectors);

    // Where the FAT lives: the header's 109 entries, then the DIFAT chain.
    const std::uint32_t fatCount = GetU32(h + hdr::kFatSectors);
    if (fatCount > m_fileSectors)
        return STG_E_DOCFILECORRUPT;
    for (std::uint32_t i = 0; i < std::min(fatCount, kHeaderDifatEntries); ++i)
        m_fatSectors.push_back(GetU32(h + hdr::kDifat + 4 * i));
    std::uint32_t next = GetU32(h + hdr::kFirstDifat);
    std::vector<std::uint8_t> sector(std::size_t{1} << shift);
    std::vector<bool> seen(m_fileSectors);
    while (m_fatSectors.size() < fatCount) {
        if (next >= m_fileSectors || seen[next])
            return STG_E_DOCFILECORRUPT;
        seen[next] = true;
        m_difatSectors.push_back(next);
        hr = ReadSectorBytes((std::uint64_t{next} + 1) << shift, sector.data(), sector.size());
        if (FAILED(hr))
            return hr;
        const std::uint32_t perSector = EntriesPerSector() - 1;
        for (std::uint32_t i = 0; i < perSector && m_fatSectors.size() < fatCount; ++i)
            m_fatSectors.push_back(GetU32(sector.data() + 4 * i));
        next = GetU32(sector.data() + 4 * perSector);
    }
    m_miniFatSectors.assign(1, GetU32(h + hdr::kFirstMiniFat)); // walked once the FAT is read
    return S_OK;
}

HRESULT FileImage::ReadAllocationTables() {
    const std::uint32_t perSector = EntriesPerSector();
    const std::size_t sectorSize = std::size_t{1} << m_sectorShift;
    // Table marks on sectors that hold no table are old places of moved table sectors:
    // free space.
    std::vector<std::uint32_t> tableSectors(m_fatSectors);
    tableSectors.insert(tableSectors.end(), m_difatSectors.begin(), m_difatSectors.end());
    std::sort(tableSectors.begin(), tableSectors.end());
    auto entryAt = [&](const std::uint8_t* p) {
        const std::uint32_t value = GetU32(p);
        if ((value == FATSECT || value == DIFSECT) &&
            !std::binary_search(tableSectors.begin(), tableSectors.end(), m_fat.Size()))
            return FREESECT;
        return value;
    };
    std::vector<std::uint8_t> run;
    // FAT sectors mostly lie side by side: read each run of them with one call.
    for (std::size_t i = 0; i < m_fatSectors.size();) {
        std::size_t n = 1;
        while (i + n < m_fatSectors.size() && n < 256 && m_fatSectors[i + n] == m_fatSectors[i] + n)
            ++n;
        if (m_fatSectors[i] >= m_fileSectors || m_fatSectors[i + n - 1] >= m_fileSectors)
            return STG_E_DOCFILECORRUPT;
        run.resize(n * sectorSize);
        HRESULT hr = ReadSectorBytes((std::uint64_t{m_fatSectors[i]} + 1) << m_sectorShift,
                                     run.data(), run.size());
        if (FAILED(hr))
            return hr;
        for (std::size_t e = 0; e < n * perSector; ++e)
            m_fat.Append(entryAt(run.data() + 4 * e));
        i += n;
    }
    SectorRuns miniFatSectors;
    HRESULT hr = WalkChain(m_miniFatSectors.front(), kEntireChain, &miniFatSectors);
    if (FAILED(hr))
        return hr;
    m_miniFatSectors = miniFatSectors.ToList();
    std::vector<std::uint8_t> bytes;
    hr = ReadChain(miniFatSectors, &bytes);
    if (FAILED(hr))
        return hr;
    m_miniFat.resize(bytes.size() / 4);
    for (std::size_t i = 0; i < m_miniFat.size(); ++i)
        m_miniFat[i] = GetU32(bytes.data() + 4 * i);
    return S_OK;
}

HRESULT FileImage::ReadChain(const SectorRuns& chain, std::vector<std::uint8_t>* bytes) const {
    try {
        bytes->resize(std::size_t{chain.Count()} << m_sectorShift);
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    HRESULT hr = S_OK;
    std::uint8_t* out = bytes->data();
    chain.ForEachRun([&](std::uint32_t first, std::uint32_t count) {
        const std::size_t n = std::size_t{count} << m_sectorShift;
        if (SUCCEEDED(hr))
            hr = ReadSectorBytes((std::uint64_t{first} + 1) << m_sectorShift, out, n);
        out += n;
    });
    return hr;
}

namespace {

// The stretch of a chain that lies side by side from `id` on: its last sector, and where
// the chain goes after it.
std::uint32_t Stretch(const PackedFat& table, std::uint32_t id, std::uint32_t* next) {
    return table.Follow(id, next);
}

std::uint32_t Stretch(const std::vector<std::uint32_t>& table, std::uint32_t id,
                      std::uint32_t* next) {
    *next = table[id];
    return id;
}

// Ids at or beyond `limit` are corrupt; a chain longer than `limit` has a cycle; a chain of
// a given count that ends sooner is corrupt.
template <typename Table>
HRESULT Walk(const Table& table, std::uint64_t limit, std::uint32_t start, std::uint64_t count,
             SectorRuns* chain) {
    const bool entire = count == ~std::uint64_t{0};
    if (!entire && count > limit)
        return STG_E_DOCFILECORRUPT;
    std::uint32_t id = start;
    while (entire ? id != ENDOFCHAIN : chain->Count() < count) {
        if (id >= limit)
            return STG_E_DOCFILECORRUPT;
        std::uint32_t next = 0;
        const std::uint64_t stretch = std::uint64_t{Stretch(table, id, &next)} - id + 1;
        const std::uint64_t take =
            entire ? stretch : std::min<std::uint64_t>(stretch, count - chain->Count());
        if (id + take > limit || chain->Count() + take > limit)
            return STG_E_DOCFILECORRUPT;
        chain->AppendRun(id, static_cast<std::uint32_t>(take));
        id = take < stretch ? static_cast<std::uint32_t>(id + take) : next;
    }
    return S_OK;
}

} // namespace

HRESULT FileImage::WalkChain(std::uint32_t start, std::uint64_t count, SectorRuns* chain) const {
    return Walk(m_fat, std::min(m_fat.Size(), m_fileSectors), start, count, chain);
}

HRESULT FileImage::WalkMiniChain(std::uint32_t start, std::uint64_t count,
                                 SectorRuns* chain) const {
    return Walk(m_miniFat, m_miniFat.size(), start, count, chain);
}

std::shared_ptr<CommittedChain> FileImage::RegisterChain(CommittedChain chain) {
    chain.image = shared_from_this();
    auto registered = std::make_shared<CommittedChain>(std::move(chain));
    // A mini chain's sectors lie in the mini stream, whose own chain is tracked.
    if (registered->mini)
        return registered;
    if (m_chains.size() > 64 && m_chains.size() == m_chains.capacity())
        std::erase_if(m_chains, [](const auto& weak) { return weak.expired(); });
    m_chains.push_back(registered);
    return registered;
}

std::shared_ptr<const CommittedChain> FileImage::MiniStreamChain() {
    if (auto chain = m_miniStream.lock())
        return chain;
    CommittedChain chain;
    chain.sectors = m_miniStreamSectors;
    chain.size = m_miniStreamSize;
    auto registered = RegisterChain(std::move(chain));
    m_miniStream = registered;
    return registered;
}

std::vector<FileImage::SectorRange> FileImage::PinnedSectors() const {
    std::vector<SectorRange> pinned;
    for (const auto& weak : m_chains) {
        auto chain = weak.lock();
        if (!chain || chain->mini)
            continue;
        chain->sectors.ForEachRun([&](std::uint32_t first, std::uint32_t count) {
            pinned.push_back({first, first + count});
        });
    }
    std::sort(pinned.begin(), pinned.end());
    // Overlapping and touching ranges become one, so that a lookup finds at most one.
    std::vector<SectorRange> merged;
    for (const SectorRange& range : pinned) {
        if (!merged.empty() && range.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

HRESULT FileImage::LoadTree(NodePtr* rootOut) {
    SectorRuns dirRuns;
    HRESULT hr = WalkChain(m_firstDirSector, kEntireChain, &dirRuns);
    if (FAILED(hr))
        return hr;
    if (dirRuns.Empty())
        return STG_E_DOCFILECORRUPT;
    std::vector<std::uint32_t> dirChain = dirRuns.ToList();
    std::vector<std::uint8_t> dir;
    hr = ReadChain(dirRuns, &dir);
    if (FAILED(hr))
        return hr;
    const std::uint32_t entryCount = static_cast<std::uint32_t>(dir.size() / kDirEntrySize);
    auto entry = [&](std::uint32_t id) { return dir.data() + std::size_t{id} * kDirEntrySize; };
    const bool v3 = m_sectorShift == 9;
    auto streamSize = [&](const std::uint8_t* e) {
        const std::uint64_t size = GetU64(e + dir::kSize);
        return v3 ? size & 0xFFFFFFFF : size; // old writers left garbage in the high half
    };

    // Each sector serves one chain or table at most; a second claim is a cycle or a
    // cross-link, and the file is not to be trusted.
    std::vector<bool> claimed(m_fileSectors), claimedMini;
    auto claimRun = [](std::vector<bool>& map, std::uint32_t first, std::uint32_t count) {
        for (std::uint64_t id = first; id < std::uint64_t{first} + count; ++id) {
            if (id >= map.size() || map[id])
                return false;
            map[id] = true;
        }
        return true;
    };
    auto claim = [&](std::vector<bool>& map, const SectorRuns& chain) {
        bool sound = true;
        chain.ForEachRun([&](std::uint32_t first, std::uint32_t count) {
            sound = sound && claimRun(map, first, count);
        });
        return sound;
    };
    auto claimEach = [&](const std::vector<std::uint32_t>& ids) {
        return std::all_of(ids.begin(), ids.end(),
                           [&](std::uint32_t id) { return claimRun(claimed, id, 1); });
    };
    if (!claimEach(m_fatSectors) || !claimEach(m_difatSectors) || !claimEach(m_miniFatSectors) ||
        !claim(claimed, dirRuns))
        return STG_E_DOCFILECORRUPT;

    const std::uint8_t* rootEntry = entry(0);
    if (rootEntry[dir::kType] != kTypeRoot)
        return STG_E_DOCFILECORRUPT;
    m_miniStreamSize = streamSize(rootEntry);
    m_miniStreamSectors = SectorRuns{};
    m_miniStream.reset();
    hr = WalkChain(GetU32(rootEntry + dir::kStart), SectorsFor(m_miniStreamSize, m_sectorShift),
                   &m_miniStreamSectors);
    if (FAILED(hr))
        return hr;
    if (!claim(claimed, m_miniStreamSectors))
        return STG_E_DOCFILECORRUPT;
    auto miniStreamChain = MiniStreamChain();
    const std::uint64_t miniSectorsInStream = SectorsFor(m_miniStreamSize, kMiniSectorShift);
    claimedMini.resize(std::min<std::uint64_t>(miniSectorsInStream, m_miniFat.size()));

    auto makeNode = [&](const std::uint8_t* e, NodePtr* out) -> HRESULT {
        auto node = std::make_shared<ElementNode>();
        node->dirId = static_cast<std::uint32_t>((e - dir.data()) / kDirEntrySize);
        const unsigned nameBytes = GetU16(e + dir::kNameLength);
        if (nameBytes > 64 || nameBytes < 4 || nameBytes % 2)
            return STG_E_DOCFILECORRUPT;
        for (unsigned i = 0; i + 1 < nameBytes / 2; ++i)
            node->name += static_cast<char16_t>(GetU16(e + dir::kName + 2 * i));
        node->clsid = ClsidAt(e + dir::kClsid);
        node->stateBits = GetU32(e + dir::kStateBits);
        if (e[dir::kType] == kTypeStorage) {
            node->type = STGTY_STORAGE;
            node->ctime = FileTimeAt(e + dir::kCreated);
            node->mtime = FileTimeAt(e + dir::kModified);
        } else if (e[dir::kType] == kTypeStream) {
            node->type = STGTY_STREAM;
            const std::uint64_t size = streamSize(e);
            CommittedChain chain;
            chain.size = size;
            const std::uint32_t start = GetU32(e + dir::kStart);
            if (size == 0) {
                node->content = std::make_shared<StreamContent>();
            } else if (size < kMiniStreamCutoff) {
                chain.mini = true;
                chain.miniStream = miniStreamChain;
                HRESULT walked =
                    WalkMiniChain(start, SectorsFor(size, kMiniSectorShift), &chain.sectors);
                if (FAILED(walked))
                    return walked;
                if (!claim(claimedMini, chain.sectors))
                    return STG_E_DOCFILECORRUPT; // also catches a mini stream too short
            } else {
                HRESULT walked = WalkChain(start, SectorsFor(size, m_sectorShift), &chain.sectors);
                if (FAILED(walked))
                    return walked;
                if (!claim(claimed, chain.sectors))
                    return STG_E_DOCFILECORRUPT;
            }
            if (size != 0)
                node->content = std::make_shared<StreamContent>(RegisterChain(std::move(chain)));
        } else {
            return STG_E_DOCFILECORRUPT;
        }
        *out = std::move(node);
        return S_OK;
    };

    try {
        auto root = std::make_shared<ElementNode>();
        root->name = u"Root Entry";
        root->clsid = ClsidAt(rootEntry + dir::kClsid);
        root->stateBits = GetU32(rootEntry + dir::kStateBits);
        root->ctime = FileTimeAt(rootEntry + dir::kCreated);
        root->mtime = FileTimeAt(rootEntry + dir::kModified);

        // Every entry is reached at most once: a second visit means a cycle or a shared
        // subtree. Neither the storages nor their sibling trees are walked recursively.
        std::vector<bool> visited(entryCount);
        visited[0] = true;
        std::vector<std::pair<std::uint32_t, ElementNode*>> storages{{0, root.get()}};
        std::vector<std::uint32_t> path; // the in-order walk's stack
        while (!storages.empty()) {
            auto [storageId, storage] = storages.back();
            storages.pop_back();
            // In order: a sound tree hands the names out sorted, and each goes in at the end.
            std::uint32_t next = GetU32(entry(storageId) + dir::kChild);
            while (next != NOSTREAM || !path.empty()) {
                for (; next != NOSTREAM; next = GetU32(entry(next) + dir::kLeft)) {
                    if (next >= entryCount || visited[next])
                        return STG_E_DOCFILECORRUPT;
                    visited[next] = true;
                    path.push_back(next);
                }
                const std::uint32_t id = path.back();
                path.pop_back();
                next = GetU32(entry(id) + dir::kRight);
                NodePtr node;
                hr = makeNode(entry(id), &node);
                if (FAILED(hr))
                    return hr;
                ElementNode* raw = node.get();
                const std::size_t before = storage->children.size();
                storage->children.emplace_hint(storage->children.end(), node->name,
                                               std::move(node));
                if (storage->children.size() == before)
                    return STG_E_DOCFILECORRUPT; // two siblings of one name
                if (raw->IsStorage())
                    storages.emplace_back(id, raw);
            }
        }
        root->dirId = 0;
        m_claimedButFree.clear();
        m_fat.ForEachFreeRun([&](std::uint32_t first, std::uint32_t count) {
            const std::uint64_t end =
                std::min<std::uint64_t>(std::uint64_t{first} + count, claimed.size());
            for (std::uint64_t id = first; id < end; ++id)
                if (claimed[id])
                    m_claimedButFree.push_back(static_cast<std::uint32_t>(id));
        });
        m_dirChain = std::move(dirChain);
        m_dirBytes = std::move(dir);
        *rootOut = std::move(root);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
}
