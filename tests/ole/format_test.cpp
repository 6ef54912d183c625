// The bytes the engine writes: boundaries of the format where faults hide, verified by
// reading back and by the independent structure check.
#include <gtest/gtest.h>

#include <cstring>

#include "cfb_format.h"
#include "structure_check.h"
#include "test_support.h"

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

// A compound file in memory, written by a direct root, for tests to inspect and reopen.
class MemoryFile {
public:
    ~MemoryFile() {
        m_root.Reset();
        GlobalFree(m_block);
    }
    IStorage* Create(unsigned major = 3) {
        if (major == 3) {
            EXPECT_EQ(CreateMemoryStorage(&m_block, &m_root), S_OK);
            return m_root.get();
        }
        const Bytes empty = EmptyFile(major);
        m_block = GlobalAlloc(GMEM_MOVEABLE, empty.size());
        std::memcpy(GlobalLock(m_block), empty.data(), empty.size());
        GlobalUnlock(m_block);
        return Reopen(STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    }
    // Writes the file out (the direct root commits at release) and reopens it.
    IStorage* Reopen(DWORD mode = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE) {
        m_root.Reset();
        m_root = OpenRoot(LockBytes().get(), mode);
        return m_root.get();
    }
    std::size_t Size() const { return GlobalSize(m_block); }
    std::uint32_t HeaderU32(unsigned offset) const {
        const std::uint32_t value =
            cfb::GetU32(static_cast<std::uint8_t*>(GlobalLock(m_block)) + offset);
        GlobalUnlock(m_block);
        return value;
    }
    std::vector<std::string> Faults() const { return ::Faults(LockBytes().get()); }

private:
    Ptr<ILockBytes> LockBytes() const {
        Ptr<ILockBytes> bytes;
        EXPECT_EQ(CreateILockBytesOnHGlobal(m_block, FALSE, &bytes), S_OK);
        return bytes;
    }

    HGLOBAL m_block = nullptr;
    Ptr<IStorage> m_root;
};

class BothVersions : public ::testing::TestWithParam<unsigned> {};

// Streams resized across the 4096-byte cutoff move between the mini stream and regular
// sectors, by a write past the end or by SetSize, and back again by SetSize.
TEST_P(BothVersions, CrossingTheMiniStreamCutoffBothWays) {
    const std::pair<std::size_t, std::size_t> sizes[] = {{4095, 4096}, {4096, 4095}, {4000, 9000},
                                                         {9000, 4000}, {100, 5000},  {5000, 100}};
    MemoryFile file;
    IStorage* root = file.Create(GetParam());
    for (unsigned i = 0; i < std::size(sizes); ++i)
        ASSERT_EQ(WriteStream(root, U16("c" + std::to_string(i)), Pattern(sizes[i].first, i)),
                  S_OK);
    root = file.Reopen();
    for (bool back : {false, true}) {
        for (unsigned i = 0; i < std::size(sizes); ++i) {
            const auto [from, to] = back ? std::pair{sizes[i].second, sizes[i].first} : sizes[i];
            const std::u16string name = U16("c" + std::to_string(i));
            ASSERT_EQ(back || to < from ? ResizeStream(root, name, to)
                                        : WriteAt(root, name, from, Bytes(to - from)),
                      S_OK);
        }
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        root = file.Reopen();
        for (unsigned i = 0; i < std::size(sizes); ++i) {
            Bytes want = Pattern(sizes[i].first, i);
            want.resize(sizes[i].second); // what a shrink cut away comes back as zeros
            want.resize(back ? sizes[i].first : sizes[i].second);
            EXPECT_EQ(ReadStream(root, U16("c" + std::to_string(i))), want) << i << back;
        }
        EXPECT_EQ(file.Faults(), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(Format, BothVersions, ::testing::Values(3u, 4u));

// 109 FAT sectors fit the header; the 110th needs a DIFAT sector, the 237th a second one.
TEST(DifatBoundaries, FatSectorCountsAroundTheHeaderAndFirstDifatSector) {
    std::vector<std::uint32_t> seenFat, seenDifat;
    for (std::uint32_t around : {13842u, 29969u}) {
        for (std::uint32_t d = around - 2; d <= around + 2; ++d) {
            MemoryFile file;
            IStorage* root = file.Create();
            const Bytes data = Pattern(std::size_t{d} * 512, d);
            ASSERT_EQ(WriteStream(root, u"big", data), S_OK);
            root = file.Reopen(STGM_READ | STGM_SHARE_EXCLUSIVE);
            ASSERT_NE(root, nullptr) << d;
            EXPECT_EQ(ReadStream(root, u"big"), data) << d;
            EXPECT_EQ(file.Faults(), std::vector<std::string>{}) << d;
            seenFat.push_back(file.HeaderU32(cfb::hdr::kFatSectors));
            seenDifat.push_back(file.HeaderU32(cfb::hdr::kDifatSectors));
            // A one-byte edit moves FAT sectors: their old places must not stay marked.
            root = file.Reopen();
            Bytes edited = data;
            edited[edited.size() / 2] ^= 1;
            ASSERT_EQ(WriteStream(root, u"big", edited), S_OK);
            ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
            EXPECT_EQ(file.Faults(), std::vector<std::string>{}) << d;
        }
    }
    for (std::uint32_t fat : {109u, 110u, 236u, 237u})
        EXPECT_NE(std::find(seenFat.begin(), seenFat.end(), fat), seenFat.end()) << fat;
    for (std::uint32_t difat : {0u, 1u, 2u})
        EXPECT_NE(std::find(seenDifat.begin(), seenDifat.end(), difat), seenDifat.end()) << difat;
}

TEST(DirectoryOrder, SiblingsFollowUpperCasedOrderAndStayBalanced) {
    MemoryFile file;
    IStorage* root = file.Create();
    // Raw code units order these differently from their upper-cased forms.
    for (const char16_t* name : {u"C", u"b", u"_", u"a", u"Ê", u"é", u"ab", u"Z"})
        ASSERT_EQ(WriteStream(root, name, Pattern(1)), S_OK);
    root = file.Reopen();
    EXPECT_EQ(ListElements(root),
              (std::vector<std::string>{"a", "b", "C", "Z", "_", "é", "Ê", "ab"}));
    EXPECT_EQ(file.Faults(), std::vector<std::string>{});
    // Every sibling count gives a valid red-black tree.
    for (int n = 1; n <= 40; ++n) {
        MemoryFile sized;
        IStorage* r = sized.Create();
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(WriteStream(r, U16("n" + std::to_string(i)), Bytes{}), S_OK);
        sized.Reopen();
        EXPECT_EQ(sized.Faults(), std::vector<std::string>{}) << n;
    }
}

TEST(SpaceReuse, RewritingAStreamReusesTheSectorsItFreed) {
    MemoryFile file;
    IStorage* root = file.Create();
    for (const char16_t* name : {u"A", u"B", u"C"})
        ASSERT_EQ(WriteStream(root, name, Pattern(20000)), S_OK);
    root = file.Reopen();
    std::size_t settled = 0;
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(root->DestroyElement(u"B"), S_OK);
        ASSERT_EQ(WriteStream(root, u"B", Pattern(20000, round)), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        root = file.Reopen();
        EXPECT_EQ(ReadStream(root, u"B"), Pattern(20000, round));
        if (round == 2)
            settled = file.Size();
    }
    EXPECT_LE(file.Size(), settled + 1024); // table sectors that move may add one or two
    EXPECT_EQ(ReadStream(root, u"A"), Pattern(20000));
    EXPECT_EQ(ReadStream(root, u"C"), Pattern(20000));
    EXPECT_EQ(file.Faults(), std::vector<std::string>{});
}

// Streams grown in turns, a commit after each step, end up in many pieces each: the
// chains are read, edited and rewritten correctly however they are cut up.
TEST_P(BothVersions, StreamsGrownInTurnsReadAndEditCorrectly) {
    MemoryFile file;
    IStorage* root = file.Create(GetParam());
    const Bytes a = Pattern(40 * 4096, 3), b = Pattern(40 * 4096, 4);
    for (const char16_t* name : {u"A", u"B"})
        ASSERT_EQ(WriteStream(root, name, Bytes(4096, 0)), S_OK);
    root = file.Reopen();
    for (std::size_t step = 1; step <= 40; ++step) {
        for (auto [name, bytes] : {std::pair{u"A", &a}, std::pair{u"B", &b}}) {
            const auto at = bytes->begin() + (step - 1) * 4096;
            ASSERT_EQ(WriteAt(root, name, (step - 1) * 4096, Bytes(at, at + 4096)), S_OK);
            ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        }
    }
    root = file.Reopen();
    ASSERT_EQ(ReadStream(root, u"A"), a);
    ASSERT_EQ(ReadStream(root, u"B"), b);
    Bytes edited = a;
    edited[77777] ^= 0xFF;
    ASSERT_EQ(WriteStream(root, u"A", edited), S_OK);
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    root = file.Reopen();
    EXPECT_EQ(ReadStream(root, u"A"), edited);
    EXPECT_EQ(ReadStream(root, u"B"), b);
    EXPECT_EQ(file.Faults(), std::vector<std::string>{});
}

} // namespace

namespace {

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
    Ptr<ILockBytes> bytes = MemoryBytes(NestedFile(200'000));
    ASSERT_EQ(Faults(bytes.get()), std::vector<std::string>{});
    Ptr<IStorage> root = OpenRoot(bytes.get(), STGM_TRANSACTED | kElement);
    EXPECT_EQ(ListElements(root.get()), std::vector<std::string>{"z/"});
    ASSERT_EQ(WriteStream(root.get(), u"added", Pattern(10)), S_OK);
    ASSERT_EQ(root->Revert(), S_OK);
    ASSERT_EQ(WriteStream(root.get(), u"added", Pattern(10)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root.Reset();
    EXPECT_EQ(Faults(bytes.get()), std::vector<std::string>{});
}

TEST(Persistence, ClassStateBitsAndTimesSurviveAReopen) {
    const CLSID clsid{0x00020906, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    const FILETIME created{0x11111111, 0x01D00000}, modified{0x22222222, 0x01D10000};
    MemoryFile file;
    IStorage* root = file.Create();
    ASSERT_EQ(root->SetClass(clsid), S_OK);
    {
        Ptr<IStorage> sub;
        ASSERT_EQ(root->CreateStorage(u"Sub", kCreate, 0, 0, &sub), S_OK);
        ASSERT_EQ(sub->SetClass(clsid), S_OK);
        ASSERT_EQ(sub->SetStateBits(0x80F1, 0xFF00), S_OK); // only the masked bits change
    }
    ASSERT_EQ(root->SetElementTimes(u"Sub", &created, nullptr, &modified), S_OK);
    ASSERT_EQ(root->SetElementTimes(nullptr, &created, nullptr, &modified), S_OK);
    root = file.Reopen();
    EXPECT_EQ(file.Faults(), std::vector<std::string>{}); // the root's creation time stays zero
    STATSTG st{};
    ASSERT_EQ(root->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_TRUE(st.clsid == clsid);
    EXPECT_EQ(st.ctime.dwHighDateTime, 0u);
    EXPECT_EQ(st.mtime.dwHighDateTime, modified.dwHighDateTime);
    Ptr<IEnumSTATSTG> elements;
    ASSERT_EQ(root->EnumElements(0, nullptr, 0, &elements), S_OK);
    ASSERT_EQ(elements->Next(1, &st, nullptr), S_OK);
    CoTaskMemFree(st.pwcsName);
    EXPECT_TRUE(st.clsid == clsid);
    EXPECT_EQ(st.grfStateBits, 0x8000u);
    EXPECT_EQ(st.type, STGTY_STORAGE);
    EXPECT_EQ(st.ctime.dwLowDateTime, created.dwLowDateTime);
    EXPECT_EQ(st.mtime.dwHighDateTime, modified.dwHighDateTime);
}

} // namespace
