// The bytes the engine writes: boundaries of the format where faults hide, verified by
// reading back and by the independent structure check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "cfb_format.h"
#include "test_support.h"

namespace {

// A compound file on a fake disk, written by a direct root, for tests to inspect and reopen.
class MemoryFile {
public:
    IStorage* Create() { return (m_root = CreateRoot(m_disk.get())).get(); }
    // Writes the file out (the direct root commits at release) and reopens it.
    IStorage* Reopen(DWORD mode = kTransacted) {
        m_root.Reset();
        return (m_root = OpenRoot(m_disk.get(), mode)).get();
    }
    std::uint32_t HeaderU32(unsigned offset) const { return cfb::GetU32(&m_disk->View()[offset]); }
    std::vector<std::string> Faults() const { return ::Faults(m_disk.get()); }

private:
    Ptr<FakeDisk> m_disk = FakeDisk::New();
    Ptr<IStorage> m_root;
};

// 109 FAT sectors fit the header; the 110th needs a DIFAT sector, the 237th a second one.
TEST(DifatBoundaries, FatSectorCountsAroundTheHeaderAndFirstDifatSector) {
    std::set<std::uint32_t> seenFat, seenDifat;
    for (std::uint32_t around : {13842u, 29969u}) {
        for (std::uint32_t d = around - 2; d <= around + 2; ++d) {
            MemoryFile file;
            IStorage* root = file.Create();
            const Bytes data = Pattern(std::size_t{d} * 512, d);
            ASSERT_EQ(WriteStream(root, u"big", data), S_OK);
            root = file.Reopen(kRead);
            ASSERT_NE(root, nullptr) << d;
            EXPECT_EQ(ReadStream(root, u"big"), data) << d;
            EXPECT_EQ(file.Faults(), std::vector<std::string>{}) << d;
            seenFat.insert(file.HeaderU32(cfb::hdr::kFatSectors));
            seenDifat.insert(file.HeaderU32(cfb::hdr::kDifatSectors));
            // A one-byte edit moves FAT sectors: their old places must not stay marked.
            root = file.Reopen();
            Bytes edited = data;
            edited[edited.size() / 2] ^= 1;
            ASSERT_EQ(WriteStream(root, u"big", edited), S_OK);
            ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
            EXPECT_EQ(file.Faults(), std::vector<std::string>{}) << d;
        }
    }
    EXPECT_TRUE(std::ranges::includes(seenFat, std::set<std::uint32_t>{109, 110, 236, 237}));
    EXPECT_TRUE(std::ranges::includes(seenDifat, std::set<std::uint32_t>{0, 1, 2}));
}

// A version-4 file of storages each inside the one before, as another writer may make it.
Bytes NestedFile(std::uint32_t depth) {
    using namespace cfb;
    const std::uint32_t entries = depth + 1, dirSectors = (entries + 31) / 32;
    const std::uint32_t fatSectors = (dirSectors + 1023 + 2) / 1024; // room for their own marks
    Bytes file(std::size_t{1 + fatSectors + dirSectors} << 12, 0);
    std::uint8_t* h = file.data();
    std::memcpy(h, kSignature, sizeof kSignature);
    PutU16(h + hdr::kMinor, kMinorVersion);
    PutU16(h + hdr::kMajor, 4);
    PutU16(h + hdr::kByteOrder, kByteOrder);
    PutU16(h + hdr::kSectorShift, 12);
    PutU16(h + hdr::kMiniShift, kMiniSectorShift);
    PutU32(h + hdr::kDirSectors, dirSectors);
    PutU32(h + hdr::kFatSectors, fatSectors);
    PutU32(h + hdr::kFirstDir, fatSectors);
    PutU32(h + hdr::kCutoff, kMiniStreamCutoff);
    PutU32(h + hdr::kFirstMiniFat, ENDOFCHAIN);
    PutU32(h + hdr::kFirstDifat, ENDOFCHAIN);
    std::uint8_t* fat = h + 4096;
    std::memset(fat, 0xFF, std::size_t{fatSectors} << 12);
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        PutU32(h + hdr::kDifat + 4 * i, i < fatSectors ? i : FREESECT);
    for (std::uint32_t s = 0; s < fatSectors + dirSectors; ++s)
        PutU32(fat + 4 * s, s < fatSectors                    ? FATSECT
                            : s + 1 < fatSectors + dirSectors ? s + 1
                                                              : ENDOFCHAIN);
    std::uint8_t* dir = fat + (std::size_t{fatSectors} << 12);
    for (std::uint32_t n = 0; n < dirSectors * 32; ++n) {
        std::uint8_t* e = dir + std::size_t{n} * kDirEntrySize;
        PutU32(e + dir::kLeft, NOSTREAM);
        PutU32(e + dir::kRight, NOSTREAM);
        PutU32(e + dir::kChild, n + 1 < entries ? n + 1 : NOSTREAM);
        if (n >= entries)
            continue;
        PutU16(e, n ? u'z' : u'R');
        PutU16(e + dir::kNameLength, 4);
        e[dir::kType] = n ? kTypeStorage : kTypeRoot;
        e[dir::kColour] = kBlack;
        PutU32(e + dir::kStart, n ? 0 : ENDOFCHAIN);
    }
    return file;
}

// Nesting far deeper than any stack: opened, edited, committed, reverted and let go.
TEST(DeepNesting, StoragesInsideEachOtherLoadCommitAndFreeWithoutRecursion) {
    Ptr<FakeDisk> bytes = FakeDisk::New(NestedFile(200'000));
    ASSERT_EQ(Faults(bytes.get()), std::vector<std::string>{});
    Ptr<IStorage> root = OpenRoot(bytes.get(), kTransacted);
    EXPECT_EQ(ListElements(root.get()), std::vector<std::string>{"z/"});
    ASSERT_EQ(WriteStream(root.get(), u"added", Pattern(10)), S_OK);
    ASSERT_EQ(root->Revert(), S_OK);
    ASSERT_EQ(WriteStream(root.get(), u"added", Pattern(10)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root.Reset();
    EXPECT_EQ(Faults(bytes.get()), std::vector<std::string>{});
}

// Setting the root's times keeps its creation time zero, as readers expect of a root.
TEST(RootTimes, CreationTimeStaysZero) {
    const FILETIME created{0x11111111, 0x01D00000}, modified{0x22222222, 0x01D10000};
    MemoryFile file;
    ASSERT_EQ(file.Create()->SetElementTimes(nullptr, &created, nullptr, &modified), S_OK);
    IStorage* root = file.Reopen();
    EXPECT_EQ(file.Faults(), std::vector<std::string>{});
    STATSTG st{};
    ASSERT_EQ(root->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.ctime.dwHighDateTime, 0u);
    EXPECT_EQ(st.mtime.dwHighDateTime, modified.dwHighDateTime);
}

} // namespace
