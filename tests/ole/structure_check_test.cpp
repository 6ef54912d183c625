// The verifier against files written byte by byte here, not by the engine, so that a fault in
// the engine's writer cannot make both sides agree. Each corruption test breaks one thing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cfb_format.h"
#include "structure_check.h"

namespace {

using namespace cfb;

// A lock-bytes over a vector, kept local so that the verifier's tests need no engine code.
class VectorLockBytes final : public ILockBytes {
public:
    explicit VectorLockBytes(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    ~VectorLockBytes() override = default;
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT ReadAt(ULARGE_INTEGER at, void* pv, ULONG cb, ULONG* read) override {
        const uint64_t from = std::min<uint64_t>(at.QuadPart, m_bytes.size());
        const uint64_t n = std::min<uint64_t>(cb, m_bytes.size() - from);
        std::memcpy(pv, m_bytes.data() + from, n);
        *read = static_cast<ULONG>(n);
        return S_OK;
    }
    HRESULT WriteAt(ULARGE_INTEGER, const void*, ULONG, ULONG*) override {
        return STG_E_ACCESSDENIED;
    }
    HRESULT Flush() override { return S_OK; }
    HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return S_OK; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return S_OK; }
    HRESULT Stat(STATSTG* st, DWORD) override {
        *st = STATSTG{};
        st->type = STGTY_LOCKBYTES;
        st->cbSize.QuadPart = m_bytes.size();
        return S_OK;
    }

private:
    std::vector<uint8_t> m_bytes;
};

// The smallest interesting file: sector 0 the FAT, 1 the directory, 2 the mini FAT, 3 the
// mini stream, 4 onwards "Big" (4097 bytes, one past the cutoff). The root's children are
// "Big" (black) with "Small" (red, 100 bytes in mini sectors 0 and 1) to its right.
struct TestFile {
    static constexpr uint32_t kBigSize = 4097;
    unsigned shift;
    uint32_t sectorSize;
    std::vector<uint8_t> bytes;

    explicit TestFile(int version = 3) : shift(version == 3 ? 9 : 12), sectorSize(1u << shift) {
        const uint32_t bigSectors = (kBigSize + sectorSize - 1) / sectorSize;
        bytes.assign((5 + bigSectors) * sectorSize, 0);
        uint8_t* h = bytes.data();
        std::memcpy(h, kSignature, 8);
        PutU16(h + hdr::kMinor, kMinorVersion);
        PutU16(h + hdr::kMajor, static_cast<uint16_t>(version));
        PutU16(h + hdr::kByteOrder, kByteOrder);
        PutU16(h + hdr::kSectorShift, static_cast<uint16_t>(shift));
        PutU16(h + hdr::kMiniShift, kMiniSectorShift);
        PutU32(h + hdr::kDirSectors, version == 3 ? 0 : 1);
        PutU32(h + hdr::kFatSectors, 1);
        PutU32(h + hdr::kFirstDir, 1);
        PutU32(h + hdr::kCutoff, kMiniStreamCutoff);
        PutU32(h + hdr::kFirstMiniFat, 2);
        PutU32(h + hdr::kMiniFatSectors, 1);
        PutU32(h + hdr::kFirstDifat, ENDOFCHAIN);
        PutU32(h + hdr::kDifat, 0);
        for (uint32_t i = 1; i < kHeaderDifatEntries; ++i)
            PutU32(h + hdr::kDifat + 4 * i, FREESECT);

        for (uint32_t i = 0; i < sectorSize / 4; ++i) {
            SetFat(i, FREESECT);
            SetMiniFat(i, FREESECT);
        }
        SetFat(0, FATSECT);
        SetFat(1, ENDOFCHAIN);
        SetFat(2, ENDOFCHAIN);
        SetFat(3, ENDOFCHAIN);
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

    std::vector<StructureFault> Check() const {
        VectorLockBytes lockBytes(bytes);
        return CheckStructure(&lockBytes);
    }
};

std::string Describe(const std::vector<StructureFault>& faults) {
    std::string text;
    for (const auto& f : faults)
        text += "\n  " + f.name + ": " + f.detail;
    return faults.empty() ? " (none)" : text;
}

::testing::AssertionResult HasFault(const std::vector<StructureFault>& faults,
                                    const std::string& name) {
    for (const auto& f : faults)
        if (f.name == name)
            return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no " << name << " among faults:" << Describe(faults);
}

::testing::AssertionResult Sound(const std::vector<StructureFault>& faults) {
    if (faults.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "faults:" << Describe(faults);
}

TEST(StructureCheck, HandWrittenFilesAreSound) {
    EXPECT_TRUE(Sound(TestFile(3).Check()));
    EXPECT_TRUE(Sound(TestFile(4).Check()));
}

TEST(StructureCheck, StreamSizeHighHalfCountsOnlyInVersion4) {
    TestFile v3(3);
    PutU32(v3.Entry(1) + dir::kSize + 4, 1);
    EXPECT_TRUE(Sound(v3.Check()));
    TestFile v4(4);
    PutU32(v4.Entry(1) + dir::kSize + 4, 1);
    EXPECT_TRUE(HasFault(v4.Check(), "stream-size-exceeds-chain"));
}

TEST(StructureCheck, LastSectorMayBeCutShortButNotItsData) {
    TestFile file;
    // "Big" uses one byte of its last sector, sector 12, which starts at 13 * 512.
    file.bytes.resize(13 * 512 + 1);
    EXPECT_TRUE(Sound(file.Check()));
    file.bytes.resize(13 * 512);
    EXPECT_TRUE(HasFault(file.Check(), "sector-out-of-range"));
}

TEST(StructureCheck, HeaderFaults) {
    const auto faultAfter = [](auto corrupt) {
        TestFile file;
        corrupt(file);
        return file.Check();
    };
    EXPECT_TRUE(HasFault(faultAfter([](TestFile& f) { f.Header()[0] = 0; }), "bad-signature"));
    EXPECT_TRUE(HasFault(faultAfter([](TestFile& f) { PutU16(f.Header() + hdr::kMajor, 5); }),
                         "bad-version"));
    EXPECT_TRUE(
        HasFault(faultAfter([](TestFile& f) { PutU16(f.Header() + hdr::kByteOrder, 0xFEFF); }),
                 "bad-byte-order"));
    EXPECT_TRUE(
        HasFault(faultAfter([](TestFile& f) { PutU16(f.Header() + hdr::kSectorShift, 10); }),
                 "bad-sector-shift"));
    EXPECT_TRUE(HasFault(faultAfter([](TestFile& f) { PutU16(f.Header() + hdr::kMiniShift, 7); }),
                         "bad-mini-sector-shift"));
    EXPECT_TRUE(HasFault(faultAfter([](TestFile& f) { PutU32(f.Header() + hdr::kCutoff, 8192); }),
                         "bad-cutoff"));
    EXPECT_TRUE(HasFault(faultAfter([](TestFile& f) { f.bytes.resize(511); }), "truncated-header"));
    // A version-4 header sector is 4096 bytes long.
    TestFile v4(4);
    v4.bytes.resize(4000);
    EXPECT_TRUE(HasFault(v4.Check(), "truncated-header"));
}

TEST(StructureCheck, DifatAndFatFaults) {
    TestFile loop;
    const uint32_t difat = loop.AppendSector();
    std::memset(loop.Sector(difat), 0xFF, loop.sectorSize);
    PutU32(loop.Sector(difat) + loop.sectorSize - 4, difat); // links to itself
    loop.SetFat(difat, DIFSECT);
    PutU32(loop.Header() + hdr::kFirstDifat, difat);
    PutU32(loop.Header() + hdr::kDifatSectors, 1);
    EXPECT_TRUE(HasFault(loop.Check(), "difat-loop"));
    // The same loop under a huge count must still end.
    PutU32(loop.Header() + hdr::kDifatSectors, 0xFFFFFFFF);
    EXPECT_TRUE(HasFault(loop.Check(), "difat-loop"));

    TestFile beyond;
    PutU32(beyond.Header() + hdr::kDifat, 5000);
    EXPECT_TRUE(HasFault(beyond.Check(), "difat-out-of-range"));

    TestFile unmarked;
    unmarked.SetFat(0, FREESECT);
    EXPECT_TRUE(HasFault(unmarked.Check(), "fat-sector-not-marked"));

    TestFile hugeCount;
    PutU32(hugeCount.Header() + hdr::kFatSectors, 0xFFFFFFFF);
    EXPECT_TRUE(HasFault(hugeCount.Check(), "bad-header-field"));

    TestFile miniFatCount;
    PutU32(miniFatCount.Header() + hdr::kMiniFatSectors, 2);
    EXPECT_TRUE(HasFault(miniFatCount.Check(), "chain-too-short"));
}

// Marks with no table sector behind them, sectors no FAT entry covers, a dated root.
TEST(StructureCheck, StaleMarksTailsAndRootTime) {
    const std::pair<const char*, void (*)(TestFile&)> cases[] = {
        {"stale-table-mark", [](TestFile& f) { f.SetFat(f.AppendSector(), FATSECT); }},
        {"stale-table-mark", [](TestFile& f) { f.SetFat(f.AppendSector(), DIFSECT); }},
        {"sectors-beyond-fat", [](TestFile& f) { f.bytes.resize(130 * f.sectorSize); }},
        {"root-creation-time", [](TestFile& f) { PutU64(f.Entry(0) + dir::kCreated, 1); }},
    };
    for (const auto& [fault, breakIt] : cases) {
        TestFile file;
        breakIt(file);
        EXPECT_TRUE(HasFault(file.Check(), fault));
    }
}

TEST(StructureCheck, ChainFaults) {
    TestFile cycle;
    cycle.SetFat(12, 4);
    EXPECT_TRUE(HasFault(cycle.Check(), "fat-cycle"));

    TestFile beyond;
    beyond.SetFat(5, 1000);
    EXPECT_TRUE(HasFault(beyond.Check(), "sector-out-of-range"));

    TestFile shared;
    shared.SetFat(12, 3); // "Big" runs on into the mini stream's sector
    EXPECT_TRUE(HasFault(shared.Check(), "sector-used-twice"));

    TestFile freeLink;
    freeLink.SetFat(6, FREESECT);
    EXPECT_TRUE(HasFault(freeLink.Check(), "bad-chain-link"));

    TestFile tooBig;
    PutU64(tooBig.Entry(1) + dir::kSize, 9 * 512 + 1);
    EXPECT_TRUE(HasFault(tooBig.Check(), "stream-size-exceeds-chain"));
    PutU64(tooBig.Entry(1) + dir::kSize, 9 * 512);
    EXPECT_TRUE(Sound(tooBig.Check()));
}

TEST(StructureCheck, MiniStreamFaults) {
    TestFile cycle;
    cycle.SetMiniFat(1, 0);
    EXPECT_TRUE(HasFault(cycle.Check(), "minifat-cycle"));

    TestFile beyondRoot;
    PutU64(beyondRoot.Entry(0) + dir::kSize, 64); // "Small" needs two mini sectors
    EXPECT_TRUE(HasFault(beyondRoot.Check(), "mini-stream-beyond-root"));

    TestFile rootTooBig;
    PutU64(rootTooBig.Entry(0) + dir::kSize, 513);
    EXPECT_TRUE(HasFault(rootTooBig.Check(), "stream-size-exceeds-chain"));

    TestFile miniBeyondTable;
    PutU32(miniBeyondTable.Entry(2) + dir::kStart, 128); // one past the mini FAT's entries
    EXPECT_TRUE(HasFault(miniBeyondTable.Check(), "sector-out-of-range"));

    TestFile shortMini;
    PutU64(shortMini.Entry(2) + dir::kSize, 129);
    EXPECT_TRUE(HasFault(shortMini.Check(), "stream-size-exceeds-chain"));
}

TEST(StructureCheck, DirectoryLinkFaults) {
    TestFile cycle;
    PutU32(cycle.Entry(2) + dir::kRight, 1);
    EXPECT_TRUE(HasFault(cycle.Check(), "directory-cycle"));

    TestFile outside;
    PutU32(outside.Entry(0) + dir::kChild, 4); // the directory holds entries 0 to 3
    EXPECT_TRUE(HasFault(outside.Check(), "directory-link-out-of-range"));

    TestFile unused;
    PutU32(unused.Entry(2) + dir::kLeft, 3);
    EXPECT_TRUE(HasFault(unused.Check(), "directory-link-to-unused"));

    TestFile orphan;
    PutU32(orphan.Entry(0) + dir::kChild, 2);
    EXPECT_TRUE(HasFault(orphan.Check(), "unreachable-entry"));

    TestFile streamChild;
    PutU32(streamChild.Entry(1) + dir::kRight, NOSTREAM);
    PutU32(streamChild.Entry(1) + dir::kChild, 2);
    EXPECT_TRUE(HasFault(streamChild.Check(), "stream-has-child"));

    TestFile badType;
    badType.Entry(2)[dir::kType] = 3;
    EXPECT_TRUE(HasFault(badType.Check(), "bad-entry-type"));
}

TEST(StructureCheck, NameFaults) {
    TestFile longName;
    PutU16(longName.Entry(2) + dir::kNameLength, 66);
    EXPECT_TRUE(HasFault(longName.Check(), "bad-name-length"));

    TestFile oddLength;
    PutU16(oddLength.Entry(2) + dir::kNameLength, 11);
    EXPECT_TRUE(HasFault(oddLength.Check(), "bad-name-length"));

    TestFile slash;
    slash.SetName(2, u"Sm/ll");
    EXPECT_TRUE(HasFault(slash.Check(), "bad-name"));

    TestFile unterminated;
    PutU16(unterminated.Entry(2) + dir::kNameLength, 8); // "Sma" but no terminator there
    EXPECT_TRUE(HasFault(unterminated.Check(), "bad-name"));

    // 31 units plus the terminator is the longest name there is.
    TestFile longest;
    longest.SetName(2, u"Smallest-of-the-long-names-here");
    EXPECT_TRUE(Sound(longest.Check()));
}

TEST(StructureCheck, SiblingOrder) {
    TestFile longerFirst;
    longerFirst.SetName(1, u"Smaller"); // longer than "Small" yet on its left
    EXPECT_TRUE(HasFault(longerFirst.Check(), "tree-order"));

    TestFile sameLength;
    sameLength.SetName(1, u"Tinyx"); // "TINYX" sorts after "SMALL"
    EXPECT_TRUE(HasFault(sameLength.Check(), "tree-order"));

    // Upper-casing goes beyond ASCII: "é" and "É" are the same name.
    TestFile accents;
    accents.SetName(1, u"\u00E9");
    accents.SetName(2, u"\u00C9");
    EXPECT_TRUE(HasFault(accents.Check(), "duplicate-name"));

    // "a" < "B" once upper-cased, though 'B' < 'a' as raw units.
    TestFile caseless;
    caseless.SetName(1, u"abcde");
    caseless.SetName(2, u"Bcdef");
    EXPECT_TRUE(Sound(caseless.Check()));
}

TEST(StructureCheck, RedBlackFaultsAreWarnings) {
    TestFile uneven;
    uneven.Entry(2)[dir::kColour] = kBlack;
    const auto faults = uneven.Check();
    ASSERT_TRUE(HasFault(faults, "red-black-violation"));
    EXPECT_TRUE(std::all_of(faults.begin(), faults.end(), [](const auto& f) { return f.warning; }));

    TestFile redRed;
    redRed.Entry(1)[dir::kColour] = kRed;
    EXPECT_TRUE(HasFault(redRed.Check(), "red-black-violation"));

    TestFile colour;
    colour.Entry(2)[dir::kColour] = 7;
    EXPECT_TRUE(HasFault(colour.Check(), "bad-entry-colour"));
}

TEST(StructureCheck, RepeatedFaultsAreCapped) {
    TestFile file;
    // Four more directory sectors of streams without names: 16 faults of one kind.
    uint32_t last = 1;
    for (int i = 0; i < 4; ++i) {
        const uint32_t id = file.AppendSector();
        file.SetFat(last, id);
        file.SetFat(id, ENDOFCHAIN);
        for (uint32_t k = 0; k < 4; ++k)
            file.Sector(id)[k * kDirEntrySize + dir::kType] = kTypeStream;
        last = id;
    }
    const auto faults = file.Check();
    const auto count = std::count_if(faults.begin(), faults.end(),
                                     [](const auto& f) { return f.name == "bad-name-length"; });
    EXPECT_EQ(count, static_cast<long>(kMaxFaultsPerName) + 1);
    EXPECT_EQ(faults.back().detail, "6 more like this");
}

} // namespace
