// The verifier, and opening, against files written byte by byte here, not by the engine, so
// that a fault in the engine's writer cannot make both sides agree. Each case breaks one thing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cfb_format.h"
#include "structure_check.h"
#include "test_support.h"

namespace {

using namespace cfb;

// The smallest interesting version-3 file: sector 0 the FAT, 1 the directory, 2 the mini FAT,
// 3 the mini stream, 4 onwards "Big" (4097 bytes, one past the cutoff). The root's children
// are "Big" (black) with "Small" (red, 100 bytes in mini sectors 0 and 1) to its right.
struct TestFile {
    static constexpr uint32_t kBigSize = 4097;
    static constexpr unsigned shift = 9;
    static constexpr uint32_t sectorSize = 512;
    std::vector<uint8_t> bytes;

    TestFile() {
        const uint32_t bigSectors = (kBigSize + sectorSize - 1) / sectorSize;
        bytes.assign((5 + bigSectors) * sectorSize, 0);
        uint8_t* h = bytes.data();
        std::memcpy(h, kSignature, 8);
        PutU16(h + hdr::kMinor, kMinorVersion);
        PutU16(h + hdr::kMajor, 3);
        PutU16(h + hdr::kByteOrder, kByteOrder);
        PutU16(h + hdr::kSectorShift, shift);
        PutU16(h + hdr::kMiniShift, kMiniSectorShift);
        PutU32(h + hdr::kFatSectors, 1);
        PutU32(h + hdr::kFirstDir, 1);
        PutU32(h + hdr::kCutoff, kMiniStreamCutoff);
        PutU32(h + hdr::kFirstMiniFat, 2);
        PutU32(h + hdr::kMiniFatSectors, 1);
        PutU32(h + hdr::kFirstDifat, ENDOFCHAIN);
        std::memset(h + hdr::kDifat, 0xFF, 4 * kHeaderDifatEntries); // free
        PutU32(h + hdr::kDifat, 0);
        std::memset(Sector(0), 0xFF, sectorSize);
        std::memset(Sector(2), 0xFF, sectorSize);
        for (uint32_t id : {0u, 1u, 2u, 3u})
            SetFat(id, id ? ENDOFCHAIN : FATSECT);
        for (uint32_t i = 0; i < bigSectors; ++i)
            SetFat(4 + i, i + 1 < bigSectors ? 5 + i : ENDOFCHAIN);
        SetMiniFat(0, 1);
        SetMiniFat(1, ENDOFCHAIN);

        for (uint32_t i = 0; i < sectorSize / kDirEntrySize; ++i) {
            uint8_t* e = Entry(i);
            PutU32(e + dir::kLeft, NOSTREAM);
            PutU32(e + dir::kRight, NOSTREAM);
            PutU32(e + dir::kChild, NOSTREAM);
        }
        MakeEntry(0, u"Root Entry", kTypeRoot, kBlack, 3, 128);
        PutU32(Entry(0) + dir::kChild, 1);
        MakeEntry(1, u"Big", kTypeStream, kBlack, 4, kBigSize);
        PutU32(Entry(1) + dir::kRight, 2);
        MakeEntry(2, u"Small", kTypeStream, kRed, 0, 100);
    }

    uint8_t* Header() { return bytes.data(); }
    uint8_t* Sector(uint32_t id) { return bytes.data() + ((id + 1) << shift); }
    uint8_t* Entry(uint32_t n) { return Sector(1) + n * kDirEntrySize; }
    void SetFat(uint32_t id, uint32_t next) { PutU32(Sector(0) + 4 * id, next); }
    void SetMiniFat(uint32_t id, uint32_t next) { PutU32(Sector(2) + 4 * id, next); }
    void SetName(uint32_t n, std::u16string_view name) {
        std::memset(Entry(n), 0, 64);
        for (std::size_t i = 0; i < name.size(); ++i)
            PutU16(Entry(n) + 2 * i, name[i]);
        PutU16(Entry(n) + dir::kNameLength, static_cast<uint16_t>(2 * name.size() + 2));
    }
    void MakeEntry(uint32_t n, std::u16string_view name, uint8_t type, uint8_t colour,
                   uint32_t start, uint64_t size) {
        SetName(n, name);
        Entry(n)[dir::kType] = type;
        Entry(n)[dir::kColour] = colour;
        PutU32(Entry(n) + dir::kStart, start);
        PutU64(Entry(n) + dir::kSize, size);
    }
    // Appends a zeroed sector and gives its id.
    uint32_t AppendSector() {
        bytes.resize(bytes.size() + sectorSize, 0);
        return static_cast<uint32_t>(bytes.size() / sectorSize - 2);
    }

    std::vector<StructureFault> Check() const { return CheckStructure(FakeDisk::New(bytes).get()); }
};

using Edit = void (*)(TestFile&);

// A DIFAT sector whose link points back at itself, under the count `count`.
void DifatLoop(TestFile& f, uint32_t count) {
    const uint32_t difat = f.AppendSector();
    std::memset(f.Sector(difat), 0xFF, f.sectorSize);
    PutU32(f.Sector(difat) + f.sectorSize - 4, difat);
    f.SetFat(difat, DIFSECT);
    PutU32(f.Header() + hdr::kFirstDifat, difat);
    PutU32(f.Header() + hdr::kDifatSectors, count);
}

// Opens the bytes and reads both streams: the first failure, or S_OK.
HRESULT OpenAndRead(const Bytes& bytes) {
    HRESULT hr = S_OK;
    Ptr<IStorage> root = OpenRoot(FakeDisk::New(bytes).get(), kRead, &hr);
    for (const char16_t* name : {u"Big", u"Small"}) {
        Ptr<IStream> s;
        Bytes sink(5000);
        if (SUCCEEDED(hr) && SUCCEEDED(root->OpenStream(name, nullptr, kRead, 0, &s)))
            hr = s->Read(sink.data(), ULONG(sink.size()), nullptr);
    }
    return hr;
}

constexpr HRESULT kAny = 1; // opens, or fails with a code of damage, never crashes
constexpr HRESULT kCorrupt = STG_E_DOCFILECORRUPT, kBadHeader = STG_E_INVALIDHEADER;
struct Case {
    const char* fault;
    Edit edit;
    HRESULT open = kAny;
};

// Each edit of the sound version-3 file gives the named fault (or, with none, nothing), and
// opening it and reading its streams gives the code (S_OK for a sound file).
const Case kCases[] = {
    // header
    {"bad-signature", [](TestFile& f) { f.Header()[0] = 0; }},
    {"bad-version", [](TestFile& f) { PutU16(f.Header() + hdr::kMajor, 5); }},
    {"bad-byte-order", [](TestFile& f) { PutU16(f.Header() + hdr::kByteOrder, 0xFEFF); },
     kBadHeader},
    {"bad-sector-shift", [](TestFile& f) { PutU16(f.Header() + hdr::kSectorShift, 10); },
     kBadHeader},
    {"bad-mini-sector-shift", [](TestFile& f) { PutU16(f.Header() + hdr::kMiniShift, 7); }},
    {"bad-cutoff", [](TestFile& f) { PutU32(f.Header() + hdr::kCutoff, 8192); }},
    {"truncated-header", [](TestFile& f) { f.bytes.resize(511); }, STG_E_FILEALREADYEXISTS},
    // tables
    {"difat-loop", [](TestFile& f) { DifatLoop(f, 1); }},
    {"difat-loop", // and more FAT sectors than the header lists: the loop must be followed
     [](TestFile& f) {
         DifatLoop(f, 1);
         PutU32(f.Header() + hdr::kFatSectors, 120);
     },
     kCorrupt},
    {"difat-loop", [](TestFile& f) { DifatLoop(f, 0xFFFFFFFF); }}, // must still end
    {"difat-out-of-range", [](TestFile& f) { PutU32(f.Header() + hdr::kDifat, 5000); }},
    {"fat-sector-not-marked", [](TestFile& f) { f.SetFat(0, FREESECT); }},
    {"stale-table-mark", [](TestFile& f) { f.SetFat(f.AppendSector(), FATSECT); }},
    {"stale-table-mark", [](TestFile& f) { f.SetFat(f.AppendSector(), DIFSECT); }},
    {"sectors-beyond-fat", [](TestFile& f) { f.bytes.resize(130 * f.sectorSize); }},
    {"bad-header-field", [](TestFile& f) { PutU32(f.Header() + hdr::kFatSectors, 0xFFFFFFFF); }},
    {"chain-too-short", [](TestFile& f) { PutU32(f.Header() + hdr::kMiniFatSectors, 2); }},
    // chains ("Big" runs through sectors 4 to 12)
    {"fat-cycle", [](TestFile& f) { f.SetFat(12, 4); }},
    {"fat-cycle", [](TestFile& f) { f.SetFat(5, 4); }, kCorrupt}, // before its size
    {"sector-out-of-range", [](TestFile& f) { f.SetFat(5, 1000); }, kCorrupt},
    {"sector-out-of-range", [](TestFile& f) { f.bytes.resize(13 * 512); }}, // its data cut
    {"sector-used-twice", [](TestFile& f) { f.SetFat(12, 3); }},            // into the mini stream
    {"bad-chain-link", [](TestFile& f) { f.SetFat(6, FREESECT); }},
    {"stream-size-exceeds-chain", [](TestFile& f) { PutU64(f.Entry(1) + dir::kSize, 9 * 512 + 1); },
     kCorrupt},
    // mini stream ("Small" in mini sectors 0 and 1)
    {"minifat-cycle", [](TestFile& f) { f.SetMiniFat(1, 0); }},
    {"mini-stream-beyond-root", [](TestFile& f) { PutU64(f.Entry(0) + dir::kSize, 64); }, kCorrupt},
    {"stream-size-exceeds-chain", [](TestFile& f) { PutU64(f.Entry(0) + dir::kSize, 513); }},
    {"sector-out-of-range", [](TestFile& f) { PutU32(f.Entry(2) + dir::kStart, 128); }},
    {"stream-size-exceeds-chain", [](TestFile& f) { PutU64(f.Entry(2) + dir::kSize, 129); }},
    // directory (entries 0 to 3)
    {"root-creation-time", [](TestFile& f) { PutU64(f.Entry(0) + dir::kCreated, 1); }},
    {"directory-cycle", [](TestFile& f) { PutU32(f.Entry(2) + dir::kRight, 1); }, kCorrupt},
    {"directory-link-out-of-range", [](TestFile& f) { PutU32(f.Entry(0) + dir::kChild, 4); },
     kCorrupt},
    {"directory-link-to-unused", [](TestFile& f) { PutU32(f.Entry(2) + dir::kLeft, 3); }},
    {"unreachable-entry", [](TestFile& f) { PutU32(f.Entry(0) + dir::kChild, 2); }},
    {"stream-has-child",
     [](TestFile& f) {
         PutU32(f.Entry(1) + dir::kRight, NOSTREAM);
         PutU32(f.Entry(1) + dir::kChild, 2);
     }},
    {"bad-entry-type", [](TestFile& f) { f.Entry(2)[dir::kType] = 3; }},
    {"bad-entry-colour", [](TestFile& f) { f.Entry(2)[dir::kColour] = 7; }},
    {"bad-name-length", [](TestFile& f) { PutU16(f.Entry(2) + dir::kNameLength, 66); }, kCorrupt},
    {"bad-name-length", [](TestFile& f) { PutU16(f.Entry(2) + dir::kNameLength, 11); }},
    {"bad-name", [](TestFile& f) { f.SetName(2, u"Sm/ll"); }},
    {"bad-name", [](TestFile& f) { PutU16(f.Entry(2) + dir::kNameLength, 8); }}, // unterminated
    {"tree-order", [](TestFile& f) { f.SetName(1, u"Smaller"); }}, // longer, yet on the left
    {"tree-order", [](TestFile& f) { f.SetName(1, u"Tinyx"); }},   // "TINYX" after "SMALL"
    {"duplicate-name",
     [](TestFile& f) {
         f.SetName(1, u"\u00E9"); // upper-casing goes beyond ASCII
         f.SetName(2, u"\u00C9");
     }},
    // sound
    {nullptr, [](TestFile&) {}},
    {nullptr, // the high half of a version-3 size is ignored
     [](TestFile& f) {
         PutU32(f.Entry(1) + dir::kSize + 4, 1);
         PutU32(f.Entry(0) + dir::kSize + 4, 0x12345678);
     }},
    {nullptr, [](TestFile& f) { f.bytes.resize(13 * 512 + 1); }}, // last sector cut
    {nullptr, [](TestFile& f) { PutU64(f.Entry(1) + dir::kSize, 9 * 512); }},
    {nullptr, [](TestFile& f) { f.SetName(2, u"Smallest-of-the-long-names-here"); }},
    {nullptr,
     [](TestFile& f) {
         f.SetName(1, u"abcde"); // 'B' < 'a' as raw units, not once upper-cased
         f.SetName(2, u"Bcdef");
     }},
};

TEST(StructureCheck, EachDamageGivesItsFault) {
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const auto& [fault, edit, open] = kCases[i];
        TestFile file;
        edit(file);
        const auto faults = file.Check();
        const bool found = std::any_of(faults.begin(), faults.end(),
                                       [&](const auto& f) { return fault && f.name == fault; });
        EXPECT_TRUE(fault ? found : faults.empty())
            << "case " << i << " wants " << (fault ? fault : "nothing") << ", finds "
            << ::testing::PrintToString(Faults(FakeDisk::New(file.bytes).get()));
        const HRESULT hr = OpenAndRead(file.bytes), want = fault ? open : S_OK;
        EXPECT_TRUE(want == kAny ? hr == S_OK || hr == kCorrupt || hr == kBadHeader ||
                                       hr == STG_E_FILEALREADYEXISTS
                                 : hr == want)
            << "case " << i << " opens with " << std::hex << hr;
    }
    EXPECT_EQ(OpenAndRead(Bytes(100, 'x')), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(OpenAndRead(Bytes{}), STG_E_FILEALREADYEXISTS);
}

// Other writers' FATs may call their own FAT sector free; a commit must still not write
// over it, and the file it writes must open again.
TEST(StructureCheck, FatSectorMarkedFreeIsNotReusedByACommit) {
    TestFile file;
    file.SetFat(0, FREESECT);
    Ptr<FakeDisk> disk = FakeDisk::New(file.bytes);
    {
        Ptr<IStorage> root = OpenRoot(disk.get(), kTransacted);
        ASSERT_EQ(WriteStream(root.get(), u"Added", Pattern(5000, 4)), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    }
    Ptr<IStorage> again = OpenRoot(disk.get());
    EXPECT_EQ(ReadStream(again.get(), u"Added"), Pattern(5000, 4));
    EXPECT_EQ(ReadStream(again.get(), u"Big"), Bytes(TestFile::kBigSize));
}

} // namespace
