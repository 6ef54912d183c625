// Opening files that are not sound compound files, or that others hold: each gives its
// documented code, never a crash or a hang.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cfb_format.h"
#include "test_support.h"

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kEditor = STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE;
constexpr DWORD kReader = STGM_TRANSACTED | STGM_SHARE_DENY_NONE | STGM_READ;

// A small file with one regular stream (sectors 0..) as bytes to corrupt.
Bytes SampleFile() {
    HGLOBAL block = nullptr;
    {
        Ptr<IStorage> root;
        EXPECT_EQ(CreateMemoryStorage(&block, &root), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"S", Pattern(8192)), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"m", Pattern(100)), S_OK);
    }
    Bytes bytes = BytesOf(block);
    GlobalFree(block);
    return bytes;
}

// Opens the bytes; once open, every stream must read without trouble too.
HRESULT OpenBytes(const Bytes& bytes) {
    Ptr<ILockBytes> lockBytes = MemoryBytes(bytes);
    HRESULT hr = S_OK;
    Ptr<IStorage> root = OpenRoot(lockBytes.get(), STGM_READ | STGM_SHARE_EXCLUSIVE, &hr);
    for (const char16_t* name : {u"S", u"m"}) {
        Ptr<IStream> s;
        Bytes sink(10000);
        if (root &&
            SUCCEEDED(root->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s)))
            hr = s->Read(sink.data(), static_cast<ULONG>(sink.size()), nullptr);
        if (FAILED(hr))
            return hr;
    }
    return hr;
}

std::uint32_t Dir(const Bytes& f) {
    return cfb::GetU32(f.data() + cfb::hdr::kFirstDir);
}
std::uint8_t* Entry(Bytes& f, unsigned id) {
    return f.data() + (Dir(f) + 1) * 512 + id * 128;
}
std::uint8_t* FatEntry(Bytes& f, std::uint32_t sector) {
    const std::uint32_t fat = cfb::GetU32(f.data() + cfb::hdr::kDifat);
    return f.data() + (fat + 1) * 512 + sector * 4;
}
// Entry ids: 0 root, then "m" and "S" in the directory's order (shorter first, then "M" < "S").
constexpr unsigned kEntryM = 1, kEntryS = 2;

TEST(DamagedFiles, EachFaultGivesItsCode) {
    Bytes good = SampleFile();
    ASSERT_EQ(OpenBytes(good), S_OK);
    ASSERT_EQ(cfb::GetU16(Entry(good, kEntryS)), u'S');

    EXPECT_EQ(OpenBytes(Bytes(100, 'x')), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(OpenBytes(Bytes{}), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(OpenBytes(Bytes(good.begin(), good.begin() + 300)), STG_E_FILEALREADYEXISTS);

    struct Damage {
        const char* what;
        void (*apply)(Bytes&);
        HRESULT expected;
    };
    const Damage damages[] = {
        {"sector shift 10", [](Bytes& f) { cfb::PutU16(f.data() + cfb::hdr::kSectorShift, 10); },
         STG_E_INVALIDHEADER},
        {"byte order", [](Bytes& f) { cfb::PutU16(f.data() + cfb::hdr::kByteOrder, 0xFEFF); },
         STG_E_INVALIDHEADER},
        {"FAT cycle in a stream",
         [](Bytes& f) {
             const std::uint32_t start = cfb::GetU32(Entry(f, kEntryS) + cfb::dir::kStart);
             cfb::PutU32(FatEntry(f, start + 1), start);
         },
         STG_E_DOCFILECORRUPT},
        {"sector beyond the file",
         [](Bytes& f) { cfb::PutU32(Entry(f, kEntryS) + cfb::dir::kStart, 0x00FFFFFF); },
         STG_E_DOCFILECORRUPT},
        {"stream larger than its chain",
         [](Bytes& f) { cfb::PutU32(Entry(f, kEntryS) + cfb::dir::kSize, 100000); },
         STG_E_DOCFILECORRUPT},
        {"directory cycle", [](Bytes& f) { cfb::PutU32(Entry(f, kEntryS) + cfb::dir::kLeft, 0); },
         STG_E_DOCFILECORRUPT},
        {"child outside the directory",
         [](Bytes& f) { cfb::PutU32(Entry(f, kEntryS) + cfb::dir::kRight, 5000); },
         STG_E_DOCFILECORRUPT},
        {"name length over 64",
         [](Bytes& f) { cfb::PutU16(Entry(f, kEntryM) + cfb::dir::kNameLength, 66); },
         STG_E_DOCFILECORRUPT},
        {"mini stream beyond the root's chain",
         [](Bytes& f) { cfb::PutU32(Entry(f, 0) + cfb::dir::kSize, 64); }, STG_E_DOCFILECORRUPT},
        {"v3 sizes' high half, ignored",
         [](Bytes& f) {
             cfb::PutU32(Entry(f, kEntryS) + cfb::dir::kSize + 4, 0xDEADBEEF);
             cfb::PutU32(Entry(f, 0) + cfb::dir::kSize + 4, 0x12345678);
         },
         S_OK},
        {"DIFAT loop",
         [](Bytes& f) {
             cfb::PutU32(f.data() + cfb::hdr::kFatSectors, 120);
             cfb::PutU32(f.data() + cfb::hdr::kFirstDifat, 0);
             cfb::PutU32(f.data() + 512 + 127 * 4, 0);
         },
         STG_E_DOCFILECORRUPT},
    };
    for (const Damage& damage : damages) {
        Bytes bad = good;
        damage.apply(bad);
        EXPECT_EQ(OpenBytes(bad), damage.expected) << damage.what;
    }
}

class FileOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ptr<IStorage> root;
        ASSERT_EQ(StgCreateDocfile(m_name.c_str(), kCreate, 0, &root), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"S", Pattern(10)), S_OK);
    }
    ScratchDir m_dir;
    std::u16string m_name = m_dir.Name("file.cfb");
};

TEST_F(FileOpenTest, MissingNotCompoundAndReadOnlyFiles) {
    Ptr<IStorage> root;
    EXPECT_EQ(StgOpenStorage(m_dir.Name("missing").c_str(), nullptr, kEditor, nullptr, 0, &root),
              STG_E_FILENOTFOUND);
    std::ofstream(m_dir.Path("text.txt")) << "just text\n";
    EXPECT_EQ(StgOpenStorage(m_dir.Name("text.txt").c_str(), nullptr, kEditor, nullptr, 0, &root),
              STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(StgIsStorageFile(m_dir.Name("text.txt").c_str()), S_FALSE);
    EXPECT_EQ(StgIsStorageFile(m_name.c_str()), S_OK);
    // Read-only even when the tests run as the superuser.
    chmod(m_dir.Path("file.cfb").c_str(), 0444);
    EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kEditor, nullptr, 0, &root),
              STG_E_ACCESSDENIED);
    EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kReader, nullptr, 0, &root), S_OK);
    root.Reset();
    chmod(m_dir.Path("file.cfb").c_str(), 0644);
    Ptr<IStorage> created;
    EXPECT_EQ(StgCreateDocfile(m_name.c_str(), STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, &created),
              STG_E_FILEALREADYEXISTS);
}

TEST_F(FileOpenTest, AnEditorLocksOutOtherWritersButNotReaders) {
    Ptr<IStorage> editor;
    ASSERT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kEditor, nullptr, 0, &editor), S_OK);
    ASSERT_EQ(WriteStream(editor.get(), u"Pending", Pattern(5)), S_OK);
    {
        Ptr<IStorage> second, reader;
        EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kEditor, nullptr, 0, &second),
                  STG_E_LOCKVIOLATION);
        ASSERT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kReader, nullptr, 0, &reader), S_OK);
        EXPECT_EQ(ListElements(reader.get()), std::vector<std::string>{"S"});
    }
    // Another process sees the same.
    const std::string path = m_dir.Path("file.cfb").string();
    pid_t child = fork();
    if (child == 0) {
        const std::u16string name = U16(path);
        IStorage* other = nullptr;
        const bool locked = StgOpenStorage(name.c_str(), nullptr, kEditor, nullptr, 0, &other) ==
                            STG_E_LOCKVIOLATION;
        const bool reads =
            StgOpenStorage(name.c_str(), nullptr, kReader, nullptr, 0, &other) == S_OK;
        _exit(locked && reads ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    editor.Reset();
    Ptr<IStorage> after;
    EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kEditor, nullptr, 0, &after), S_OK);
}

TEST_F(FileOpenTest, AReaderDenyingWritesKeepsEditorsOut) {
    Ptr<IStorage> reader;
    ASSERT_EQ(StgOpenStorage(m_name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                             &reader),
              S_OK);
    Ptr<IStorage> editor, another;
    EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kEditor, nullptr, 0, &editor),
              STG_E_LOCKVIOLATION);
    EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                             &another),
              S_OK);
}

} // namespace

namespace {

// Other writers' FATs may call their own FAT sector free; a commit must still not write
// over it, and the file it writes must open again.
TEST(DamagedFiles, FatSectorMarkedFreeIsNotReusedByACommit) {
    Bytes f = SampleFile();
    cfb::PutU32(FatEntry(f, cfb::GetU32(f.data() + cfb::hdr::kDifat)), cfb::FREESECT);
    Ptr<ILockBytes> bytes = MemoryBytes(f);
    {
        Ptr<IStorage> root =
            OpenRoot(bytes.get(), STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
        ASSERT_EQ(WriteStream(root.get(), u"Added", Pattern(5000, 4)), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    }
    Ptr<IStorage> again = OpenRoot(bytes.get());
    EXPECT_EQ(ReadStream(again.get(), u"Added"), Pattern(5000, 4));
    EXPECT_EQ(ReadStream(again.get(), u"S"), Pattern(8192));
}

} // namespace
