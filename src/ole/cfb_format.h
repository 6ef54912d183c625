// The on-disk layout of a compound file: header fields, special sector ids and the
// directory entry. All integers are little-endian.
//
// Header (first 512 bytes; in version 4 the rest of the first 4096-byte sector is zero):
//   0  u8[8]  signature D0 CF 11 E0 A1 B1 1A E1
//   8  u8[16] header class id (zero)
//   24 u16    minor version (0x003E)         26 u16 major version (3 or 4)
//   28 u16    byte order 0xFFFE              30 u16 sector shift (9 or 12)
//   32 u16    mini sector shift (6)          34 u8[6] reserved (zero)
//   40 u32    directory sector count (0 in version 3)
//   44 u32    FAT sector count               48 u32 first directory sector
//   52 u32    transaction signature          56 u32 mini stream cutoff (4096)
//   60 u32    first mini FAT sector          64 u32 mini FAT sector count
//   68 u32    first DIFAT sector             72 u32 DIFAT sector count
//   76 u32[109] the first 109 FAT sector locations
// Sector n starts at byte (n + 1) << sectorShift.
//
// Directory entry (128 bytes):
//   0  u16[32] name, UTF-16, zero-terminated    64 u16 name length in bytes, terminator included
//   66 u8 type (0 unused, 1 storage, 2 stream, 5 root)   67 u8 colour (0 red, 1 black)
//   68 u32 left sibling   72 u32 right sibling   76 u32 child
//   80 u8[16] class id    96 u32 state bits
//   100 u64 creation time 108 u64 modification time
//   116 u32 starting sector  120 u64 stream size (version 3: only the low 32 bits count)
#pragma once

#include <cstdint>
#include <cstring>

namespace cfb {

inline constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
inline constexpr std::uint32_t kHeaderSize = 512;
inline constexpr std::uint32_t kHeaderDifatEntries = 109;
inline constexpr std::uint32_t kDirEntrySize = 128;
inline constexpr std::uint32_t kMiniSectorShift = 6;
inline constexpr std::uint32_t kMiniSectorSize = 64;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::uint16_t kMinorVersion = 0x003E;
inline constexpr std::uint16_t kByteOrder = 0xFFFE;
inline constexpr unsigned kMaxNameUnits = 31; // without the terminator

// Special sector ids.
inline constexpr std::uint32_t MAXREGSECT = 0xFFFFFFFA;
inline constexpr std::uint32_t DIFSECT = 0xFFFFFFFC;
inline constexpr std::uint32_t FATSECT = 0xFFFFFFFD;
inline constexpr std::uint32_t ENDOFCHAIN = 0xFFFFFFFE;
inline constexpr std::uint32_t FREESECT = 0xFFFFFFFF;
// Directory ids.
inline constexpr std::uint32_t MAXREGSID = 0xFFFFFFFA;
inline constexpr std::uint32_t NOSTREAM = 0xFFFFFFFF;

// Directory entry types and colours.
inline constexpr std::uint8_t kTypeUnused = 0;
inline constexpr std::uint8_t kTypeStorage = 1;
inline constexpr std::uint8_t kTypeStream = 2;
inline constexpr std::uint8_t kTypeRoot = 5;
inline constexpr std::uint8_t kRed = 0;
inline constexpr std::uint8_t kBlack = 1;

// The byte range that the platform locks for concurrency control; the sector holding it is
// never given to data once a file grows past 2 GiB.
inline constexpr std::uint64_t kRangeLockOffset = 0x7FFFFF00;

// The sector that holds the range-lock bytes, for a given sector shift.
constexpr std::uint32_t RangeLockSector(unsigned sectorShift) {
    return static_cast<std::uint32_t>((kRangeLockOffset >> sectorShift) - 1);
}

// The last sector a file may use: a version-3 file may not grow past 2 GiB (the sector
// shift 9 would allow more, the format does not).
constexpr std::uint32_t LastUsableSector(unsigned sectorShift) {
    return sectorShift == 9 ? (0x80000000u >> 9) - 2 : MAXREGSECT;
}

inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t GetU64(const std::uint8_t* p) {
    return GetU32(p) | (static_cast<std::uint64_t>(GetU32(p + 4)) << 32);
}
inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutU64(std::uint8_t* p, std::uint64_t v) {
    PutU32(p, static_cast<std::uint32_t>(v));
    PutU32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// Header field offsets.
namespace hdr {
inline constexpr unsigned kClsid = 8;
inline constexpr unsigned kMinor = 24;
inline constexpr unsigned kMajor = 26;
inline constexpr unsigned kByteOrder = 28;
inline constexpr unsigned kSectorShift = 30;
inline constexpr unsigned kMiniShift = 32;
inline constexpr unsigned kDirSectors = 40;
inline constexpr unsigned kFatSectors = 44;
inline constexpr unsigned kFirstDir = 48;
inline constexpr unsigned kTransaction = 52;
inline constexpr unsigned kCutoff = 56;
inline constexpr unsigned kFirstMiniFat = 60;
inline constexpr unsigned kMiniFatSectors = 64;
inline constexpr unsigned kFirstDifat = 68;
inline constexpr unsigned kDifatSectors = 72;
inline constexpr unsigned kDifat = 76;
} // namespace hdr

// Directory entry field offsets.
namespace dir {
inline constexpr unsigned kName = 0;
inline constexpr unsigned kNameLength = 64;
inline constexpr unsigned kType = 66;
inline constexpr unsigned kColour = 67;
inline constexpr unsigned kLeft = 68;
inline constexpr unsigned kRight = 72;
inline constexpr unsigned kChild = 76;
inline constexpr unsigned kClsid = 80;
inline constexpr unsigned kStateBits = 96;
inline constexpr unsigned kCreated = 100;
inline constexpr unsigned kModified = 108;
inline constexpr unsigned kStart = 116;
inline constexpr unsigned kSize = 120;
} // namespace dir

} // namespace cfb
