// The verifier reads the file in one pass per table, in this order, so that each later step
// can rely on what the earlier ones established:
//   1. header fields; a file whose signature, version or sector shifts are wrong stops here,
//      since every later offset would be computed from them;
//   2. the DIFAT chain, giving the FAT's sector ids; 3. the FAT itself;
//   4. the directory chain and its entries; 5. the mini FAT chain;
//   6. the directory trees, walked with an explicit stack and a visited set;
//   7. the mini stream (the root entry's chain), then every reachable stream.
// Every sector is claimed by exactly one owner in m_owner (and every mini sector in
// m_miniOwner), which both bounds each walk by the sector count and catches a sector shared
// by two chains.
#include "structure_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "cfb_format.h"
#include "storage_api.h"

namespace {

using std::uint32_t;
using std::uint64_t;
using std::uint8_t;

// Owners of a sector. Directory entry n owns its stream's sectors as kOwnerEntry + n; the
// root entry (n = 0) owns the mini stream.
enum : uint32_t {
    kOwnerNone = 0,
    kOwnerFat,
    kOwnerDifat,
    kOwnerDirectory,
    kOwnerMiniFat,
    kOwnerEntry = 16,
};

struct Entry {
    std::array<char16_t, 32> name{};
    uint32_t units = 0; // name length without the terminator, at most 32
    uint8_t type = 0;
    uint8_t colour = 0;
    uint32_t left = cfb::NOSTREAM;
    uint32_t right = cfb::NOSTREAM;
    uint32_t child = cfb::NOSTREAM;
    uint32_t start = cfb::ENDOFCHAIN;
    uint64_t size = 0;
};

struct Walk {
    uint64_t length = 0; // sectors claimed
    uint32_t last = cfb::ENDOFCHAIN;
    bool complete = false; // ended at ENDOFCHAIN rather than at a fault
};

std::string Hex(uint32_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        s += digits[(v >> shift) & 0xF];
    return s;
}

// Names appear in details as UTF-8 with control characters escaped, as the tool prints them.
std::string Printable(const Entry& e) {
    char utf8[32 * 3 + 1]; // a unit takes at most 3 bytes, a pair of them 4
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(utf8, sizeof utf8, &length, e.name.data(), static_cast<int32_t>(e.units),
                       0xFFFD, nullptr, &status);
    std::string out = "\"";
    for (int32_t i = 0; U_SUCCESS(status) && i < length; ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == '\\') {
            out += "\\x";
            out += "0123456789ABCDEF"[c >> 4];
            out += "0123456789ABCDEF"[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Sibling order: the shorter name first, then unit by unit after upper-casing each unit on
// its own (surrogates compare as themselves), which is how the platform orders them.
int CompareNames(const Entry& a, const Entry& b) {
    if (a.units != b.units)
        return a.units < b.units ? -1 : 1;
    for (uint32_t i = 0; i < a.units; ++i) {
        const UChar32 ua = u_toupper(a.name[i]);
        const UChar32 ub = u_toupper(b.name[i]);
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    return 0;
}

class Checker {
public:
    explicit Checker(ILockBytes* bytes) : m_bytes(bytes) {}
    std::vector<StructureFault> Run();

private:
    void Fault(const char* name, std::string detail, bool warning = false);
    bool Read(uint64_t offset, uint8_t* buffer, uint32_t count, const std::string& what);
    bool ReadSector(uint32_t id, uint8_t* buffer, const std::string& what);
    bool Claim(uint32_t id, uint32_t owner);
    std::string OwnerName(uint32_t owner) const;
    uint64_t EntrySize(const Entry& e) const;

    bool CheckHeader();
    void ReadDifat();
    void ReadFat();
    void ReadDirectory();
    void ReadMiniFat();
    void CheckTrees();
    void CheckSiblingTree(uint32_t storage);
    void CheckStreams();
    Walk WalkChain(uint32_t start, uint32_t owner, std::vector<uint32_t>* sectors);
    Walk WalkMiniChain(uint32_t start, uint32_t owner);
    void CheckStreamEnd(const Walk& walk, uint64_t size, uint32_t owner);

    ILockBytes* m_bytes;
    std::vector<StructureFault> m_faults;
    std::map<std::string, std::pair<std::size_t, bool>, std::less<>> m_faultCounts;

    uint64_t m_fileSize = 0;
    std::array<uint8_t, cfb::kHeaderSize> m_header{};
    uint16_t m_major = 0;
    unsigned m_shift = 0;
    uint32_t m_sectorSize = 0;
    uint32_t m_sectorCount = 0; // sectors wholly or partly inside the file
    uint32_t m_rangeLockSector = cfb::FREESECT;

    std::vector<uint32_t> m_owner; // per sector
    std::vector<uint32_t> m_fat;   // per sector; entries of sectors beyond the file dropped
    std::vector<uint32_t> m_fatSectors;
    std::vector<uint32_t> m_difatSectors;

    std::vector<Entry> m_entries;
    std::vector<uint8_t> m_reachable;

    std::vector<uint32_t> m_miniFat;
    std::vector<uint32_t> m_miniOwner;
    uint64_t m_miniStreamSize = 0;

    std::vector<uint32_t> m_stack; // shared by the tree walks
};

void Checker::Fault(const char* name, std::string detail, bool warning) {
    auto& [count, isWarning] = m_faultCounts[name];
    isWarning = warning;
    if (++count <= kMaxFaultsPerName)
        m_faults.push_back({name, std::move(detail), warning});
}

bool Checker::Read(uint64_t offset, uint8_t* buffer, uint32_t count, const std::string& what) {
    ULARGE_INTEGER at;
    at.QuadPart = offset;
    ULONG got = 0;
    const HRESULT hr = m_bytes->ReadAt(at, buffer, count, &got);
    if (FAILED(hr)) {
        Fault("read-error", "reading " + what + " at byte " + std::to_string(offset) +
                                " failed with " + Hex(static_cast<uint32_t>(hr)));
        return false;
    }
    if (got != count) {
        Fault("truncated-sector", what + " at byte " + std::to_string(offset) +
                                      " runs past the end of the file (" +
                                      std::to_string(m_fileSize) + " bytes)");
        return false;
    }
    return true;
}

bool Checker::ReadSector(uint32_t id, uint8_t* buffer, const std::string& what) {
    return Read((static_cast<uint64_t>(id) + 1) << m_shift, buffer, m_sectorSize,
                what + " sector " + std::to_string(id));
}

std::string Checker::OwnerName(uint32_t owner) const {
    switch (owner) {
    case kOwnerFat:
        return "the FAT";
    case kOwnerDifat:
        return "the DIFAT";
    case kOwnerDirectory:
        return "the directory";
    case kOwnerMiniFat:
        return "the mini FAT";
    case kOwnerEntry:
        return "the mini stream";
    default:
        break;
    }
    const uint32_t id = owner - kOwnerEntry;
    return "entry " + std::to_string(id) + " " + Printable(m_entries[id]);
}

// Claims a sector already known to lie inside the file.
bool Checker::Claim(uint32_t id, uint32_t owner) {
    if (m_owner[id] != kOwnerNone) {
        Fault("sector-used-twice", "sector " + std::to_string(id) + " belongs to " +
                                       OwnerName(m_owner[id]) + " and to " + OwnerName(owner));
        return false;
    }
    m_owner[id] = owner;
    return true;
}

uint64_t Checker::EntrySize(const Entry& e) const {
    // Version 3 writers may leave garbage in the high half; only the low 32 bits count.
    return m_major == 3 ? (e.size & 0xFFFFFFFFu) : e.size;
}

bool Checker::CheckHeader() {
    STATSTG stat{};
    if (m_bytes == nullptr || FAILED(m_bytes->Stat(&stat, STATFLAG_NONAME))) {
        Fault("read-error", "the size of the file cannot be read");
        return false;
    }
    if (stat.pwcsName != nullptr)
        CoTaskMemFree(stat.pwcsName);
    m_fileSize = stat.cbSize.QuadPart;
    if (m_fileSize < cfb::kHeaderSize) {
        Fault("truncated-header",
              "the file has " + std::to_string(m_fileSize) + " bytes, less than a header");
        return false;
    }
    if (!Read(0, m_header.data(), cfb::kHeaderSize, "the header"))
        return false;
    const uint8_t* h = m_header.data();
    if (std::memcmp(h, cfb::kSignature, sizeof cfb::kSignature) != 0) {
        Fault("bad-signature", "the file does not start with the compound-file signature");
        return false;
    }
    m_major = cfb::GetU16(h + cfb::hdr::kMajor);
    if (m_major != 3 && m_major != 4) {
        Fault("bad-version", "major version " + std::to_string(m_major) + ", not 3 or 4");
        return false;
    }
    if (cfb::GetU16(h + cfb::hdr::kByteOrder) != cfb::kByteOrder)
        Fault("bad-byte-order",
              "byte order mark " + Hex(cfb::GetU16(h + cfb::hdr::kByteOrder)) + ", not 0xFFFE");
    m_shift = cfb::GetU16(h + cfb::hdr::kSectorShift);
    const unsigned wantShift = m_major == 3 ? 9 : 12;
    if (m_shift != wantShift) {
        Fault("bad-sector-shift", "sector shift " + std::to_string(m_shift) + " in a version " +
                                      std::to_string(m_major) + " file, not " +
                                      std::to_string(wantShift));
        return false;
    }
    const unsigned miniShift = cfb::GetU16(h + cfb::hdr::kMiniShift);
    if (miniShift != cfb::kMiniSectorShift) {
        Fault("bad-mini-sector-shift",
              "mini sector shift " + std::to_string(miniShift) + ", not 6");
        return false;
    }
    // The cutoff is fixed; readers disagree on whether to trust the field, so any other
    // value makes small streams unreadable for some of them. Checking goes on with 4096.
    const uint32_t cutoff = cfb::GetU32(h + cfb::hdr::kCutoff);
    if (cutoff != cfb::kMiniStreamCutoff)
        Fault("bad-cutoff", "mini stream cutoff " + std::to_string(cutoff) + ", not 4096");
    if (m_major == 3 && cfb::GetU32(h + cfb::hdr::kDirSectors) != 0)
        Fault("bad-header-field", "a version 3 file must count its directory sectors as 0");

    m_sectorSize = 1u << m_shift;
    if (m_fileSize < m_sectorSize) {
        Fault("truncated-header", "the file has " + std::to_string(m_fileSize) +
                                      " bytes, less than its " + std::to_string(m_sectorSize) +
                                      "-byte header sector");
        return false;
    }
    const uint64_t sectors = (m_fileSize - m_sectorSize + m_sectorSize - 1) >> m_shift;
    m_sectorCount =
        static_cast<uint32_t>(std::min<uint64_t>(sectors, uint64_t{cfb::MAXREGSECT} + 1));
    const uint32_t rangeLock = cfb::RangeLockSector(m_shift);
    if (rangeLock < m_sectorCount)
        m_rangeLockSector = rangeLock;
    m_owner.assign(m_sectorCount, kOwnerNone);
    return true;
}

void Checker::ReadDifat() {
    const uint8_t* h = m_header.data();
    uint32_t fatCount = cfb::GetU32(h + cfb::hdr::kFatSectors);
    if (fatCount > m_sectorCount) {
        Fault("bad-header-field", "the header counts " + std::to_string(fatCount) +
                                      " FAT sectors; the file has " +
                                      std::to_string(m_sectorCount) + " sectors");
        fatCount = m_sectorCount;
    }
    m_fatSectors.reserve(fatCount);
    for (uint32_t i = 0; i < cfb::kHeaderDifatEntries && m_fatSectors.size() < fatCount; ++i)
        m_fatSectors.push_back(cfb::GetU32(h + cfb::hdr::kDifat + 4 * i));

    const uint32_t difatCount = cfb::GetU32(h + cfb::hdr::kDifatSectors);
    uint32_t next = cfb::GetU32(h + cfb::hdr::kFirstDifat);
    if (difatCount == 0 && next != cfb::ENDOFCHAIN && next != cfb::FREESECT) {
        Fault("bad-header-field", "no DIFAT sectors are counted but the first is " + Hex(next));
        next = cfb::ENDOFCHAIN;
    }
    const uint32_t idsPerSector = m_sectorSize / 4 - 1; // the last slot links to the next
    std::vector<uint8_t> buffer(m_sectorSize);
    for (uint32_t read = 0;; ++read) {
        if (next == cfb::ENDOFCHAIN || next == cfb::FREESECT) {
            if (read < difatCount)
                Fault("chain-too-short", "the DIFAT chain has " + std::to_string(read) +
                                             " sectors; the header counts " +
                                             std::to_string(difatCount));
            break;
        }
        if (next < m_sectorCount && m_owner[next] == kOwnerDifat) {
            Fault("difat-loop", "the DIFAT chain returns to sector " + std::to_string(next));
            break;
        }
        if (read >= difatCount) {
            Fault("chain-too-long", "the DIFAT chain goes on past the " +
                                        std::to_string(difatCount) + " sectors the header counts");
            break;
        }
        if (next >= m_sectorCount) {
            Fault("difat-out-of-range", "DIFAT sector id " + Hex(next) + "; the file has " +
                                            std::to_string(m_sectorCount) + " sectors");
            break;
        }
        if (!Claim(next, kOwnerDifat))
            break;
        m_difatSectors.push_back(next);
        if (!ReadSector(next, buffer.data(), "DIFAT"))
            break;
        for (uint32_t i = 0; i < idsPerSector && m_fatSectors.size() < fatCount; ++i)
            m_fatSectors.push_back(cfb::GetU32(buffer.data() + 4 * i));
        next = cfb::GetU32(buffer.data() + 4 * idsPerSector);
    }
    if (m_fatSectors.size() < fatCount)
        Fault("chain-too-short", "the DIFAT lists " + std::to_string(m_fatSectors.size()) +
                                     " FAT sectors; the header counts " + std::to_string(fatCount));
}

void Checker::ReadFat() {
    m_fat.assign(m_sectorCount, cfb::FREESECT);
    const uint32_t perSector = m_sectorSize / 4;
    std::vector<uint8_t> buffer(m_sectorSize);
    std::vector<uint32_t> loaded;
    loaded.reserve(m_fatSectors.size());
    for (std::size_t i = 0; i < m_fatSectors.size(); ++i) {
        const uint32_t id = m_fatSectors[i];
        if (id >= m_sectorCount) {
            Fault("difat-out-of-range", "FAT sector " + std::to_string(i) + " is at " + Hex(id) +
                                            "; the file has " + std::to_string(m_sectorCount) +
                                            " sectors");
            continue;
        }
        if (!Claim(id, kOwnerFat) || !ReadSector(id, buffer.data(), "FAT"))
            continue;
        loaded.push_back(id);
        const uint64_t first = static_cast<uint64_t>(i) * perSector;
        for (uint32_t j = 0; j < perSector && first + j < m_sectorCount; ++j)
            m_fat[first + j] = cfb::GetU32(buffer.data() + 4 * j);
    }
    // The tables mark their own sectors so that no reader takes them for free space.
    for (uint32_t id : loaded)
        if (m_fat[id] != cfb::FATSECT)
            Fault("fat-sector-not-marked", "FAT sector " + std::to_string(id) + " is marked " +
                                               Hex(m_fat[id]) + ", not FATSECT");
    for (uint32_t id : m_difatSectors)
        if (m_fat[id] != cfb::DIFSECT)
            Fault("fat-sector-not-marked", "DIFAT sector " + std::to_string(id) + " is marked " +
                                               Hex(m_fat[id]) + ", not DIFSECT");
    // A mark with no table sector behind it: some readers (7-Zip) refuse the whole file.
    for (uint32_t id = 0; id < m_sectorCount; ++id) {
        const bool fat = m_fat[id] == cfb::FATSECT, difat = m_fat[id] == cfb::DIFSECT;
        if ((fat && m_owner[id] != kOwnerFat) || (difat && m_owner[id] != kOwnerDifat))
            Fault("stale-table-mark", "sector " + std::to_string(id) + " is marked " +
                                          (fat ? "FATSECT but the DIFAT does not list it"
                                               : "DIFSECT but is not in the DIFAT chain"));
    }
    const uint64_t covered = uint64_t{m_fatSectors.size()} * perSector;
    if (m_sectorCount > covered)
        Fault("sectors-beyond-fat", "the file has " + std::to_string(m_sectorCount) +
                                        " sectors; its FAT covers " + std::to_string(covered));
}

Walk Checker::WalkChain(uint32_t start, uint32_t owner, std::vector<uint32_t>* sectors) {
    Walk walk;
    const std::string who = OwnerName(owner);
    for (uint32_t id = start;; id = m_fat[id]) {
        if (id == cfb::ENDOFCHAIN) {
            walk.complete = true;
            break;
        }
        if (id > cfb::MAXREGSECT) {
            Fault("bad-chain-link", who + ": link " + std::to_string(walk.length) +
                                        " of its chain is " + Hex(id) + ", not a sector");
            break;
        }
        if (id >= m_sectorCount) {
            Fault("sector-out-of-range", who + ": sector " + std::to_string(id) +
                                             " is beyond the file's " +
                                             std::to_string(m_sectorCount) + " sectors");
            break;
        }
        if (m_owner[id] == owner) {
            Fault("fat-cycle", who + ": the chain returns to sector " + std::to_string(id));
            break;
        }
        if (!Claim(id, owner))
            break;
        // The platform locks these bytes on a large file, so other processes cannot read
        // data kept there; libgsf writes data there all the same, and readers cope.
        if (id == m_rangeLockSector)
            Fault("range-lock-sector-used",
                  who + ": its chain uses the range-lock sector " + std::to_string(id), true);
        if (sectors != nullptr)
            sectors->push_back(id);
        ++walk.length;
        walk.last = id;
    }
    return walk;
}

Walk Checker::WalkMiniChain(uint32_t start, uint32_t owner) {
    Walk walk;
    const std::string who = OwnerName(owner);
    bool beyondRoot = false;
    for (uint32_t id = start;; id = m_miniFat[id]) {
        if (id == cfb::ENDOFCHAIN) {
            walk.complete = true;
            break;
        }
        if (id > cfb::MAXREGSECT) {
            Fault("bad-chain-link", who + ": link " + std::to_string(walk.length) +
                                        " of its mini chain is " + Hex(id) + ", not a sector");
            break;
        }
        if (id >= m_miniFat.size()) {
            Fault("sector-out-of-range", who + ": mini sector " + std::to_string(id) +
                                             " is beyond the mini FAT's " +
                                             std::to_string(m_miniFat.size()) + " entries");
            break;
        }
        if (m_miniOwner[id] == owner) {
            Fault("minifat-cycle",
                  who + ": the chain returns to mini sector " + std::to_string(id));
            break;
        }
        if (m_miniOwner[id] != kOwnerNone) {
            Fault("sector-used-twice", "mini sector " + std::to_string(id) + " belongs to " +
                                           OwnerName(m_miniOwner[id]) + " and to " + who);
            break;
        }
        m_miniOwner[id] = owner;
        if (!beyondRoot && (uint64_t{id} + 1) * cfb::kMiniSectorSize > m_miniStreamSize) {
            beyondRoot = true;
            Fault("mini-stream-beyond-root", who + ": mini sector " + std::to_string(id) +
                                                 " ends past the mini stream's " +
                                                 std::to_string(m_miniStreamSize) + " bytes");
        }
        ++walk.length;
        walk.last = id;
    }
    return walk;
}

void Checker::ReadDirectory() {
    std::vector<uint32_t> sectors;
    const uint8_t* h = m_header.data();
    const Walk walk = WalkChain(cfb::GetU32(h + cfb::hdr::kFirstDir), kOwnerDirectory, &sectors);
    const uint32_t counted = cfb::GetU32(h + cfb::hdr::kDirSectors);
    if (m_major == 4 && counted != 0 && counted != walk.length)
        Fault(counted > walk.length ? "chain-too-short" : "chain-too-long",
              "the directory chain has " + std::to_string(walk.length) +
                  " sectors; the header counts " + std::to_string(counted));

    const uint32_t perSector = m_sectorSize / cfb::kDirEntrySize;
    m_entries.reserve(sectors.size() * perSector);
    std::vector<uint8_t> buffer(m_sectorSize);
    for (uint32_t id : sectors) {
        if (!ReadSector(id, buffer.data(), "directory"))
            break;
        for (uint32_t k = 0; k < perSector; ++k) {
            const uint8_t* p = buffer.data() + k * cfb::kDirEntrySize;
            Entry e;
            for (uint32_t i = 0; i < 32; ++i)
                e.name[i] = cfb::GetU16(p + cfb::dir::kName + 2 * i);
            e.type = p[cfb::dir::kType];
            e.colour = p[cfb::dir::kColour];
            e.left = cfb::GetU32(p + cfb::dir::kLeft);
            e.right = cfb::GetU32(p + cfb::dir::kRight);
            e.child = cfb::GetU32(p + cfb::dir::kChild);
            e.start = cfb::GetU32(p + cfb::dir::kStart);
            e.size = cfb::GetU64(p + cfb::dir::kSize);
            const uint32_t bytes = cfb::GetU16(p + cfb::dir::kNameLength);
            if (bytes >= 2 && bytes <= 64 && bytes % 2 == 0)
                e.units = bytes / 2 - 1;
            else
                while (e.units < 32 && e.name[e.units] != 0)
                    ++e.units;
            m_entries.push_back(e);
            if (e.type == cfb::kTypeUnused)
                continue;
            const uint32_t n = static_cast<uint32_t>(m_entries.size() - 1);
            const std::string who = "entry " + std::to_string(n) + " " + Printable(e);
            if (bytes < 2 || bytes > 64 || bytes % 2 != 0)
                Fault("bad-name-length", who + ": name length " + std::to_string(bytes) +
                                             " bytes, not an even count from 2 to 64");
            else if (e.name[e.units] != 0)
                Fault("bad-name", who + ": the name is not terminated");
            if (n == 0 && cfb::GetU64(p + cfb::dir::kCreated) != 0)
                Fault("root-creation-time", "the root entry's creation time is not zero");
            if (n != 0) {
                if (e.units == 0)
                    Fault("bad-name", who + ": the name is empty");
                for (uint32_t i = 0; i < e.units; ++i) {
                    const char16_t c = e.name[i];
                    if (c == 0 || c == u'/' || c == u'\\' || c == u':' || c == u'!') {
                        Fault("bad-name", who + ": the name holds the character " + Hex(c));
                        break;
                    }
                }
            }
            if (e.colour != cfb::kRed && e.colour != cfb::kBlack)
                Fault("bad-entry-colour", who + ": colour " + std::to_string(e.colour));
        }
    }
}

void Checker::ReadMiniFat() {
    std::vector<uint32_t> sectors;
    const uint8_t* h = m_header.data();
    const Walk walk = WalkChain(cfb::GetU32(h + cfb::hdr::kFirstMiniFat), kOwnerMiniFat, &sectors);
    const uint32_t counted = cfb::GetU32(h + cfb::hdr::kMiniFatSectors);
    if (counted != walk.length)
        Fault(counted > walk.length ? "chain-too-short" : "chain-too-long",
              "the mini FAT chain has " + std::to_string(walk.length) +
                  " sectors; the header counts " + std::to_string(counted));
    const uint32_t perSector = m_sectorSize / 4;
    m_miniFat.reserve(sectors.size() * perSector);
    std::vector<uint8_t> buffer(m_sectorSize);
    for (uint32_t id : sectors) {
        if (!ReadSector(id, buffer.data(), "mini FAT"))
            break;
        for (uint32_t j = 0; j < perSector; ++j)
            m_miniFat.push_back(cfb::GetU32(buffer.data() + 4 * j));
    }
    m_miniOwner.assign(m_miniFat.size(), kOwnerNone);
}

void Checker::CheckTrees() {
    const uint32_t count = static_cast<uint32_t>(m_entries.size());
    m_reachable.assign(count, 0);
    Entry& root = m_entries[0];
    if (root.left != cfb::NOSTREAM || root.right != cfb::NOSTREAM) {
        Fault("root-has-sibling", "the root entry has sibling links");
        root.left = root.right = cfb::NOSTREAM;
    }
    // Reachability first. A link that fails is cut, so that the later walks see a tree.
    m_reachable[0] = 1;
    m_stack.assign(1, 0);
    while (!m_stack.empty()) {
        const uint32_t n = m_stack.back();
        m_stack.pop_back();
        Entry& e = m_entries[n];
        const bool holdsChildren = e.type == cfb::kTypeStorage || n == 0;
        if (!holdsChildren && e.child != cfb::NOSTREAM) {
            Fault("stream-has-child", "entry " + std::to_string(n) + " " + Printable(e) +
                                          " is no storage but has a child");
            e.child = cfb::NOSTREAM;
        }
        for (uint32_t* link : {&e.left, &e.right, &e.child}) {
            if (*link == cfb::NOSTREAM)
                continue;
            const std::string from = "entry " + std::to_string(n) + " " + Printable(e);
            if (*link >= count)
                Fault("directory-link-out-of-range", from + " links to " + Hex(*link) +
                                                         "; the directory has " +
                                                         std::to_string(count) + " entries");
            else if (m_entries[*link].type == cfb::kTypeUnused)
                Fault("directory-link-to-unused",
                      from + " links to unused entry " + std::to_string(*link));
            else if (m_reachable[*link])
                Fault("directory-cycle",
                      from + " links to entry " + std::to_string(*link) + ", already reached");
            else {
                m_reachable[*link] = 1;
                m_stack.push_back(*link);
                continue;
            }
            *link = cfb::NOSTREAM;
        }
    }
    for (uint32_t n = 1; n < count; ++n) {
        if (m_entries[n].type == cfb::kTypeUnused)
            continue;
        const Entry& e = m_entries[n];
        const std::string who = "entry " + std::to_string(n) + " " + Printable(e);
        if (e.type != cfb::kTypeStorage && e.type != cfb::kTypeStream)
            Fault("bad-entry-type", who + ": type " + std::to_string(e.type));
        if (!m_reachable[n])
            Fault("unreachable-entry", who + " is not reachable from the root");
    }
    for (uint32_t n = 0; n < count; ++n)
        if (m_reachable[n] && (n == 0 || m_entries[n].type == cfb::kTypeStorage))
            CheckSiblingTree(n);
}

// One storage's children: in-order they must rise strictly; as a red-black tree no red entry
// has a red child and every path down meets as many black entries.
void Checker::CheckSiblingTree(uint32_t storage) {
    const std::string owner =
        storage == 0 ? std::string("the root")
                     : "storage " + std::to_string(storage) + " " + Printable(m_entries[storage]);
    m_stack.clear();
    uint32_t previous = cfb::NOSTREAM;
    for (uint32_t n = m_entries[storage].child; n != cfb::NOSTREAM || !m_stack.empty();) {
        for (; n != cfb::NOSTREAM; n = m_entries[n].left)
            m_stack.push_back(n);
        n = m_stack.back();
        m_stack.pop_back();
        if (previous != cfb::NOSTREAM) {
            const int order = CompareNames(m_entries[previous], m_entries[n]);
            if (order == 0)
                Fault("duplicate-name", owner + " holds " + Printable(m_entries[n]) + " twice");
            else if (order > 0)
                Fault("tree-order", owner + ": " + Printable(m_entries[previous]) +
                                        " comes before " + Printable(m_entries[n]));
        }
        previous = n;
        n = m_entries[n].right;
    }

    // Pre-order with the black count so far packed beside each id.
    const uint32_t top = m_entries[storage].child;
    if (top == cfb::NOSTREAM)
        return;
    std::vector<std::pair<uint32_t, uint32_t>> stack{{top, 0}};
    uint32_t leafBlacks = cfb::NOSTREAM;
    while (!stack.empty()) {
        const auto [n, above] = stack.back();
        stack.pop_back();
        const Entry& e = m_entries[n];
        const bool red = e.colour == cfb::kRed;
        const uint32_t blacks = above + (red ? 0 : 1);
        for (uint32_t child : {e.left, e.right}) {
            if (child == cfb::NOSTREAM) {
                if (leafBlacks == cfb::NOSTREAM)
                    leafBlacks = blacks;
                else if (leafBlacks != blacks) {
                    Fault("red-black-violation",
                          owner + ": paths below meet " + std::to_string(leafBlacks) + " and " +
                              std::to_string(blacks) + " black entries",
                          true);
                    return;
                }
            } else {
                if (red && m_entries[child].colour == cfb::kRed) {
                    Fault("red-black-violation",
                          owner + ": red " + Printable(e) + " has red child " +
                              Printable(m_entries[child]),
                          true);
                    return;
                }
                stack.emplace_back(child, blacks);
            }
        }
    }
}

// A stream's last sector may be cut short by the end of the file, but not its data.
void Checker::CheckStreamEnd(const Walk& walk, uint64_t size, uint32_t owner) {
    // Only a chain of exactly the needed length ends where the data does.
    if (walk.length == 0 || size <= (walk.length - 1) * m_sectorSize)
        return;
    const uint64_t inLast = size - (walk.length - 1) * m_sectorSize;
    const uint64_t end = ((uint64_t{walk.last} + 1) << m_shift) + inLast;
    if (end > m_fileSize)
        Fault("truncated-sector", OwnerName(owner) + ": its data ends at byte " +
                                      std::to_string(end) + ", past the end of the file (" +
                                      std::to_string(m_fileSize) + " bytes)");
}

void Checker::CheckStreams() {
    const Entry& root = m_entries[0];
    m_miniStreamSize = EntrySize(root);
    if (m_miniStreamSize != 0) {
        const Walk walk = WalkChain(root.start, kOwnerEntry, nullptr);
        if (walk.complete && m_miniStreamSize > walk.length * m_sectorSize)
            Fault("stream-size-exceeds-chain",
                  "the mini stream has " + std::to_string(m_miniStreamSize) + " bytes; its chain " +
                      std::to_string(walk.length) + " sectors");
        if (walk.complete && m_miniStreamSize <= walk.length * m_sectorSize)
            CheckStreamEnd(walk, m_miniStreamSize, kOwnerEntry);
    }
    for (uint32_t n = 1; n < m_entries.size(); ++n) {
        const Entry& e = m_entries[n];
        if (!m_reachable[n] || e.type != cfb::kTypeStream)
            continue;
        const uint64_t size = EntrySize(e);
        if (size == 0)
            continue; // an empty stream owns no sector, whatever its start says
        const uint32_t owner = kOwnerEntry + n;
        const bool mini = size < cfb::kMiniStreamCutoff;
        const Walk walk = mini ? WalkMiniChain(e.start, owner) : WalkChain(e.start, owner, nullptr);
        const uint64_t unit = mini ? cfb::kMiniSectorSize : m_sectorSize;
        if (!walk.complete)
            continue;
        if (size > walk.length * unit)
            Fault("stream-size-exceeds-chain",
                  OwnerName(owner) + " has " + std::to_string(size) + " bytes; its " +
                      (mini ? "mini " : "") + "chain " + std::to_string(walk.length) + " sectors");
        else if (!mini)
            CheckStreamEnd(walk, size, owner);
    }
}

std::vector<StructureFault> Checker::Run() {
    if (CheckHeader()) {
        ReadDifat();
        ReadFat();
        ReadDirectory();
        ReadMiniFat();
        if (m_entries.empty() || m_entries[0].type != cfb::kTypeRoot) {
            Fault("bad-root", m_entries.empty()
                                  ? "the directory is empty"
                                  : "entry 0 has type " + std::to_string(m_entries[0].type) +
                                        ", not the root's");
        } else {
            CheckTrees();
            CheckStreams();
        }
    }
    for (const auto& [name, counted] : m_faultCounts)
        if (counted.first > kMaxFaultsPerName)
            m_faults.push_back(
                {name, std::to_string(counted.first - kMaxFaultsPerName) + " more like this",
                 counted.second});
    return std::move(m_faults);
}

} // namespace

std::vector<StructureFault> CheckStructure(ILockBytes* bytes) {
    return Checker(bytes).Run();
}
