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
    MemoryFile() = default;
    ~MemoryFile() { GlobalFree(m_block); }

    IStorage* Create(unsigned major = 3) {
        if (major == 3)
            EXPECT_EQ(CreateMemoryStorage(&m_block, &m_root), S_OK);
        else
            CreateVersion4();
        return m_root.get();
    }
    // Writes the file out (the direct root commits at release) and reopens it.
    IStorage* Reopen(DWORD mode = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE) {
        m_root.Reset();
        Ptr<ILockBytes> bytes;
        EXPECT_EQ(CreateILockBytesOnHGlobal(m_block, FALSE, &bytes), S_OK);
        m_openResult = StgOpenStorageOnILockBytes(bytes.get(), nullptr, mode, nullptr, 0, &m_root);
        return m_root.get();
    }
    HRESULT OpenResult() const { return m_openResult; }
    std::uint8_t* Data() {
        auto* data = static_cast<std::uint8_t*>(GlobalLock(m_block));
        GlobalUnlock(m_block);
        return data;
    }
    std::size_t Size() const { return GlobalSize(m_block); }
    std::uint32_t HeaderU32(unsigned offset) { return cfb::GetU32(Data() + offset); }
    std::vector<std::string> Faults() {
        Ptr<ILockBytes> bytes;
        EXPECT_EQ(CreateILockBytesOnHGlobal(m_block, FALSE, &bytes), S_OK);
        std::vector<std::string> names;
        for (const auto& fault : CheckStructure(bytes.get()))
            names.push_back(fault.name + ": " + fault.detail);
        return names;
    }

private:
    void CreateVersion4() {
        // Version 4 is asked for through a file; its bytes are then carried into memory.
        ScratchDir dir;
        const std::u16string name = dir.Name("v4.cfb");
        STGOPTIONS options{1, 0, 4096, nullptr};
        Ptr<IStorage> file;
        ASSERT_EQ(StgCreateStorageEx(name.c_str(), kCreate, STGFMT_DOCFILE, 0, &options, nullptr,
                                     IID_IStorage, reinterpret_cast<void**>(&file)),
                  S_OK);
        file.Reset();
        Ptr<ILockBytes> source;
        ASSERT_EQ(CreateILockBytesOnFile(name.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, &source),
                  S_OK);
        STATSTG st{};
        source->Stat(&st, STATFLAG_NONAME);
        m_block = GlobalAlloc(GMEM_MOVEABLE, st.cbSize.QuadPart);
        source->ReadAt(ULARGE_INTEGER{.QuadPart = 0}, Data(),
                       static_cast<ULONG>(st.cbSize.QuadPart), nullptr);
        Reopen(STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
    }

    HGLOBAL m_block = nullptr;
    Ptr<IStorage> m_root;
    HRESULT m_openResult = S_OK;
};

class BothVersions : public ::testing::TestWithParam<unsigned> {};

TEST_P(BothVersions, StreamSizesAroundEveryBoundaryRoundTrip) {
    MemoryFile file;
    IStorage* root = file.Create(GetParam());
    const std::size_t sizes[] = {0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 100000};
    for (std::size_t size : sizes)
        ASSERT_EQ(WriteStream(root, U16("s" + std::to_string(size)), Pattern(size, size)), S_OK);
    root = file.Reopen();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(file.HeaderU32(cfb::hdr::kMajor) & 0xFFFF, GetParam());
    for (std::size_t size : sizes)
        EXPECT_EQ(ReadStream(root, U16("s" + std::to_string(size))), Pattern(size, size)) << size;
    EXPECT_EQ(file.Faults(), std::vector<std::string>{});
}

TEST_P(BothVersions, CrossingTheMiniStreamCutoffBothWays) {
    MemoryFile file;
    IStorage* root = file.Create(GetParam());
    ASSERT_EQ(WriteStream(root, u"up", Pattern(4095)), S_OK);
    ASSERT_EQ(WriteStream(root, u"down", Pattern(4096, 2)), S_OK);
    ASSERT_EQ(WriteStream(root, u"resized", Pattern(4000, 3)), S_OK);
    root = file.Reopen();
    for (int round = 0; round < 2; ++round) {
        Ptr<IStream> up, down, resized;
        ASSERT_EQ(root->OpenStream(u"up", nullptr, kElement, 0, &up), S_OK);
        ASSERT_EQ(root->OpenStream(u"down", nullptr, kElement, 0, &down), S_OK);
        ASSERT_EQ(root->OpenStream(u"resized", nullptr, kElement, 0, &resized), S_OK);
        // up: 4095 → 4096 by a write, then back by SetSize; down: the other way round.
        const bool grow = round == 0;
        ASSERT_EQ(up->Seek(LARGE_INTEGER{.QuadPart = 4095}, STREAM_SEEK_SET, nullptr), S_OK);
        if (grow)
            ASSERT_EQ(up->Write("!", 1, nullptr), S_OK);
        else
            ASSERT_EQ(up->SetSize(ULARGE_INTEGER{.QuadPart = 4095}), S_OK);
        ASSERT_EQ(down->SetSize(ULARGE_INTEGER{.QuadPart = grow ? 4095u : 4096u}), S_OK);
        ASSERT_EQ(resized->SetSize(ULARGE_INTEGER{.QuadPart = grow ? 9000u : 4000u}), S_OK);
        up.Reset();
        down.Reset();
        resized.Reset();
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        root = file.Reopen();
        Bytes up4096 = Pattern(4095);
        up4096.push_back('!');
        EXPECT_EQ(ReadStream(root, u"up"), grow ? up4096 : Pattern(4095));
        Bytes down4096 = Pattern(4096, 2);
        down4096.back() = 0; // shrunk away, then grown back with zeros
        EXPECT_EQ(ReadStream(root, u"down"), grow ? Pattern(4095, 2) : down4096);
        Bytes resized9000 = Pattern(4000, 3);
        resized9000.resize(9000);
        EXPECT_EQ(ReadStream(root, u"resized"), grow ? resized9000 : Pattern(4000, 3));
        EXPECT_EQ(file.Faults(), std::vector<std::string>{});
    }
}

TEST_P(BothVersions, ManyElementsLongAndJapaneseNames) {
    MemoryFile file;
    IStorage* root = file.Create(GetParam());
    Ptr<IStorage> many;
    ASSERT_EQ(root->CreateStorage(u"多くの要素", kCreate, 0, 0, &many), S_OK);
    for (int i = 0; i < 1200; ++i)
        ASSERT_EQ(WriteStream(many.get(), U16("要素" + std::to_string(i)), Pattern(i % 97, i)),
                  S_OK);
    many.Reset();
    const std::u16string longest = u"0123456789012345678901234567890";
    ASSERT_EQ(WriteStream(root, longest, Pattern(5000)), S_OK);
    root = file.Reopen();
    ASSERT_EQ(root->OpenStorage(u"多くの要素", nullptr, kElement, nullptr, 0, &many), S_OK);
    EXPECT_EQ(ListElements(many.get()).size(), 1200u);
    EXPECT_EQ(ReadStream(many.get(), u"要素1199"), Pattern(1199 % 97, 1199));
    EXPECT_EQ(ReadStream(root, longest), Pattern(5000));
    EXPECT_EQ(file.Faults(), std::vector<std::string>{});
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
    EXPECT_EQ(file.Size(), settled);
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
            Ptr<IStream> stream;
            ASSERT_EQ(root->OpenStream(name, nullptr, kElement, 0, &stream), S_OK);
            const std::size_t at = (step - 1) * 4096;
            ASSERT_EQ(stream->Seek(LARGE_INTEGER{.QuadPart = static_cast<LONGLONG>(at)},
                                   STREAM_SEEK_SET, nullptr),
                      S_OK);
            ULONG written = 0;
            ASSERT_EQ(stream->Write(bytes->data() + at, 4096, &written), S_OK);
            stream.Reset();
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
    const Bytes file = NestedFile(200'000);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, file.size());
    std::memcpy(GlobalLock(block), file.data(), file.size());
    GlobalUnlock(block);
    Ptr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(block, TRUE, &bytes), S_OK);
    ASSERT_TRUE(CheckStructure(bytes.get()).empty());
    Ptr<IStorage> root;
    ASSERT_EQ(StgOpenStorageOnILockBytes(bytes.get(), nullptr, STGM_TRANSACTED | kElement, nullptr,
                                         0, &root),
              S_OK);
    EXPECT_EQ(ListElements(root.get()), std::vector<std::string>{"z/"});
    ASSERT_EQ(WriteStream(root.get(), u"added", Pattern(10)), S_OK);
    ASSERT_EQ(root->Revert(), S_OK);
    ASSERT_EQ(WriteStream(root.get(), u"added", Pattern(10)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root.Reset();
    EXPECT_TRUE(CheckStructure(bytes.get()).empty());
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
        ASSERT_EQ(sub->SetStateBits(0x8001, 0xFFFFFFFF), S_OK);
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
    EXPECT_EQ(st.grfStateBits, 0x8001u);
    EXPECT_EQ(st.ctime.dwLowDateTime, created.dwLowDateTime);
    EXPECT_EQ(st.mtime.dwHighDateTime, modified.dwHighDateTime);
}

} // namespace
