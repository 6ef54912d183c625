// How much a commit writes: only what changed, plus the tables that point at it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "com_object.h"
#include "test_support.h"

namespace {

constexpr DWORD kTransacted = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

// Passes everything to a memory lock-bytes and counts the bytes written.
class CountingLockBytes final : public ComObject<ILockBytes> {
public:
    explicit CountingLockBytes(ILockBytes* inner) : m_inner(inner) { m_inner->AddRef(); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }
    HRESULT ReadAt(ULARGE_INTEGER o, void* pv, ULONG cb, ULONG* r) override {
        return m_inner->ReadAt(o, pv, cb, r);
    }
    HRESULT WriteAt(ULARGE_INTEGER o, const void* pv, ULONG cb, ULONG* w) override {
        m_written += cb;
        return m_inner->WriteAt(o, pv, cb, w);
    }
    HRESULT Flush() override { return m_inner->Flush(); }
    HRESULT SetSize(ULARGE_INTEGER cb) override { return m_inner->SetSize(cb); }
    HRESULT LockRegion(ULARGE_INTEGER o, ULARGE_INTEGER cb, DWORD t) override {
        return m_inner->LockRegion(o, cb, t);
    }
    HRESULT UnlockRegion(ULARGE_INTEGER o, ULARGE_INTEGER cb, DWORD t) override {
        return m_inner->UnlockRegion(o, cb, t);
    }
    HRESULT Stat(STATSTG* st, DWORD f) override { return m_inner->Stat(st, f); }
    ULONGLONG Written() const { return m_written; }

private:
    ~CountingLockBytes() override { m_inner->Release(); }
    ILockBytes* m_inner;
    ULONGLONG m_written = 0;
};

class WriteAmountTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ptr<IStorage> root;
        ASSERT_EQ(CreateMemoryStorage(&m_block, &root), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"Big", Pattern(20 << 20)), S_OK);
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(WriteStream(root.get(), U16("small" + std::to_string(i)), Pattern(200, i)),
                      S_OK);
    }
    void TearDown() override { GlobalFree(m_block); }

    // Opens the file transacted through a counter, lets `edit` change it, commits, and
    // returns the bytes the commit wrote.
    template <class Edit> ULONGLONG WrittenByCommit(Edit edit) {
        Ptr<ILockBytes> memory;
        EXPECT_EQ(CreateILockBytesOnHGlobal(m_block, FALSE, &memory), S_OK);
        auto* counter = new CountingLockBytes(memory.get());
        Ptr<IStorage> root;
        EXPECT_EQ(StgOpenStorageOnILockBytes(counter, nullptr, kTransacted, nullptr, 0, &root),
                  S_OK);
        edit(root.get());
        EXPECT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        const ULONGLONG written = counter->Written();
        counter->Release();
        return written;
    }

    // A stream as the memory file holds it.
    Bytes ReadCommitted(const char16_t* name) {
        Ptr<ILockBytes> memory;
        EXPECT_EQ(CreateILockBytesOnHGlobal(m_block, FALSE, &memory), S_OK);
        Ptr<IStorage> root;
        EXPECT_EQ(StgOpenStorageOnILockBytes(memory.get(), nullptr,
                                             STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &root),
                  S_OK);
        return root ? ReadStream(root.get(), name) : Bytes{};
    }

    HGLOBAL m_block = nullptr;
};

TEST_F(WriteAmountTest, OneByteEditInABigStreamWritesKilobytes) {
    for (LONGLONG at : {0LL, 5'000'000LL, (20LL << 20) - 1}) {
        const ULONGLONG written = WrittenByCommit([at](IStorage* root) {
            Ptr<IStream> s;
            ASSERT_EQ(root->OpenStream(u"Big", nullptr, kElement, 0, &s), S_OK);
            ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = at}, STREAM_SEEK_SET, nullptr), S_OK);
            ASSERT_EQ(s->Write("!", 1, nullptr), S_OK);
        });
        EXPECT_LE(written, 16u * 1024) << at;
    }
    Bytes expected = Pattern(20 << 20);
    expected[0] = expected[5'000'000] = expected.back() = '!';
    EXPECT_EQ(ReadCommitted(u"Big"), expected);
}

TEST_F(WriteAmountTest, EditingOneSmallStreamLeavesTheOthersAlone) {
    const ULONGLONG written = WrittenByCommit(
        [](IStorage* root) { ASSERT_EQ(WriteStream(root, u"small7", Pattern(300, 99)), S_OK); });
    EXPECT_LE(written, 16u * 1024);
}

TEST_F(WriteAmountTest, NothingChangedWritesNothing) {
    EXPECT_EQ(WrittenByCommit([](IStorage*) {}), 0u);
}

} // namespace

namespace {

// Keeps the first megabyte like a memory lock-bytes and forgets what is written beyond it,
// so that a commit of gigabytes costs no memory.
class ForgetfulLockBytes final : public ComObject<ILockBytes> {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }
    HRESULT ReadAt(ULARGE_INTEGER o, void* pv, ULONG cb, ULONG* r) override {
        std::memset(pv, 0, cb);
        if (o.QuadPart < m_kept.size())
            std::memcpy(pv, m_kept.data() + o.QuadPart,
                        std::min<std::size_t>(cb, m_kept.size() - o.QuadPart));
        if (r)
            *r = o.QuadPart < m_size
                     ? static_cast<ULONG>(std::min<ULONGLONG>(cb, m_size - o.QuadPart))
                     : 0;
        return S_OK;
    }
    HRESULT WriteAt(ULARGE_INTEGER o, const void* pv, ULONG cb, ULONG* w) override {
        if (o.QuadPart < m_watchEnd && o.QuadPart + cb > m_watchBegin)
            ++m_watchedWrites;
        if (o.QuadPart < m_kept.size())
            std::memcpy(m_kept.data() + o.QuadPart, pv,
                        std::min<std::size_t>(cb, m_kept.size() - o.QuadPart));
        m_size = std::max<ULONGLONG>(m_size, o.QuadPart + cb);
        if (w)
            *w = cb;
        return S_OK;
    }
    HRESULT Flush() override { return S_OK; }
    HRESULT SetSize(ULARGE_INTEGER cb) override {
        m_size = cb.QuadPart;
        return S_OK;
    }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Stat(STATSTG* st, DWORD) override {
        *st = STATSTG{};
        st->type = STGTY_LOCKBYTES;
        st->cbSize.QuadPart = m_size;
        return S_OK;
    }
    ULONGLONG Size() const { return m_size; }
    // Counts the writes that touch [begin, end) from now on.
    void Watch(ULONGLONG begin, ULONGLONG end) {
        m_watchBegin = begin;
        m_watchEnd = end;
    }
    int WatchedWrites() const { return m_watchedWrites; }
    // Starts as a copy of a small file.
    void Load(const Bytes& file) {
        std::memcpy(m_kept.data(), file.data(), std::min(file.size(), m_kept.size()));
        m_size = file.size();
    }

private:
    std::vector<std::uint8_t> m_kept = std::vector<std::uint8_t>(1 << 20);
    ULONGLONG m_size = 0;
    ULONGLONG m_watchBegin = 0, m_watchEnd = 0;
    int m_watchedWrites = 0;
};

TEST(Version3Limit, NothingGrowsPastTwoGibibytes) {
    auto* bytes = new ForgetfulLockBytes;
    Ptr<IStorage> root;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | kTransacted, 0, &root), S_OK);
    Ptr<IStream> a, b;
    ASSERT_EQ(root->CreateStream(u"A", STGM_CREATE | kElement, 0, 0, &a), S_OK);
    EXPECT_EQ(a->SetSize(ULARGE_INTEGER{.QuadPart = 0x80000000ULL}), STG_E_DOCFILETOOLARGE);
    ASSERT_EQ(a->SetSize(ULARGE_INTEGER{.QuadPart = 1100ULL << 20}), S_OK);
    ASSERT_EQ(root->CreateStream(u"B", STGM_CREATE | kElement, 0, 0, &b), S_OK);
    ASSERT_EQ(b->SetSize(ULARGE_INTEGER{.QuadPart = 1000ULL << 20}), S_OK);
    a.Reset();
    b.Reset();
    EXPECT_EQ(root->Commit(STGC_OVERWRITE), STG_E_DOCFILETOOLARGE);
    EXPECT_LE(bytes->Size(), 0x80000000ULL);
    root.Reset();
    bytes->Release();
}

} // namespace

namespace {

// A stream written in bulk goes to the file once, at the time of writing; the commit keeps
// it where it is and writes only the tables.
TEST_F(WriteAmountTest, ABulkImportIsWrittenOnce) {
    const Bytes data = Pattern((8 << 20) + 1000, 5);
    const ULONGLONG written = WrittenByCommit([&](IStorage* root) {
        Ptr<IStream> s;
        ASSERT_EQ(root->CreateStream(u"Imported", STGM_CREATE | kElement, 0, 0, &s), S_OK);
        for (std::size_t at = 0; at < data.size(); at += 1 << 20) {
            const auto n = static_cast<ULONG>(std::min<std::size_t>(1 << 20, data.size() - at));
            ASSERT_EQ(s->Write(data.data() + at, n, nullptr), S_OK);
        }
    });
    // The data, the FAT sectors that describe it (4 bytes per 512-byte sector), a little more.
    EXPECT_LE(written, data.size() + data.size() / 128 + 32 * 1024);
    EXPECT_EQ(ReadCommitted(u"Imported"), data);
}

} // namespace

namespace {

// An empty version-4 file's bytes (the format version is asked for through a file name).
Bytes EmptyVersion4File() {
    ScratchDir dir;
    const std::u16string name = dir.Name("v4.cfb");
    STGOPTIONS options{1, 0, 4096, nullptr};
    Ptr<IStorage> root;
    EXPECT_EQ(StgCreateStorageEx(name.c_str(), STGM_CREATE | kElement, STGFMT_DOCFILE, 0, &options,
                                 nullptr, IID_IStorage, reinterpret_cast<void**>(&root)),
              S_OK);
    root.Reset();
    std::ifstream in(dir.Path("v4.cfb"), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Bulk appends that cross the 2 GiB mark of a version-4 file step over the sector that holds
// the platform's range-lock bytes, and the commit keeps them.
TEST(BulkAppends, StepOverTheRangeLockSector) {
    auto* bytes = new ForgetfulLockBytes;
    bytes->Load(EmptyVersion4File());
    bytes->Watch(0x7FFFF000, 0x80000000); // the range-lock sector of 4096-byte sectors
    Ptr<IStorage> root;
    ASSERT_EQ(StgOpenStorageOnILockBytes(bytes, nullptr, kTransacted, nullptr, 0, &root), S_OK);
    Ptr<IStream> s;
    ASSERT_EQ(root->CreateStream(u"Big", STGM_CREATE | kElement, 0, 0, &s), S_OK);
    const Bytes chunk(64 << 20, 0x5A);
    constexpr ULONGLONG kTotal = (33ULL << 26) + 1000; // past 2 GiB, ending inside a sector
    for (ULONGLONG at = 0; at < kTotal; at += chunk.size()) {
        const auto n = static_cast<ULONG>(std::min<ULONGLONG>(chunk.size(), kTotal - at));
        ASSERT_EQ(s->Write(chunk.data(), n, nullptr), S_OK);
    }
    s.Reset();
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    EXPECT_EQ(bytes->WatchedWrites(), 0);
    STATSTG st{};
    ASSERT_EQ(root->OpenStream(u"Big", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s), S_OK);
    ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize.QuadPart, kTotal);
    s.Reset();
    root.Reset();
    bytes->Release();
}

} // namespace
