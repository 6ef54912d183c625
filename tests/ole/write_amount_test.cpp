// How much a commit writes: only what changed, plus the tables that point at it; and the
// limits of files too big to hold in a test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "com_object.h"
#include "test_support.h"

namespace {

constexpr DWORD kTransacted = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;

// Keeps the first `keep` bytes and forgets what is written beyond them, so that files of
// gigabytes cost no memory; counts the bytes written and the writes into a watched range.
class SparseLockBytes final : public ComObject<ILockBytes> {
public:
    explicit SparseLockBytes(std::size_t keep, const Bytes& start = {})
        : m_keep(keep), m_kept(start), m_size(start.size()) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }
    HRESULT ReadAt(ULARGE_INTEGER o, void* pv, ULONG cb, ULONG* r) override {
        std::memset(pv, 0, cb);
        if (o.QuadPart < m_kept.size())
            std::memcpy(pv, m_kept.data() + o.QuadPart,
                        std::min<std::size_t>(cb, m_kept.size() - o.QuadPart));
        if (r)
            *r = ULONG(o.QuadPart < m_size ? std::min<ULONGLONG>(cb, m_size - o.QuadPart) : 0);
        return S_OK;
    }
    HRESULT WriteAt(ULARGE_INTEGER o, const void* pv, ULONG cb, ULONG* w) override {
        m_written += cb;
        m_watchedWrites += o.QuadPart < m_watch.second && o.QuadPart + cb > m_watch.first;
        const std::size_t end = std::min<ULONGLONG>(o.QuadPart + cb, m_keep);
        if (o.QuadPart < end) {
            m_kept.resize(std::max(m_kept.size(), end));
            std::memcpy(m_kept.data() + o.QuadPart, pv, end - o.QuadPart);
        }
        m_size = std::max<ULONGLONG>(m_size, o.QuadPart + cb);
        if (w)
            *w = cb;
        return S_OK;
    }
    HRESULT Flush() override { return S_OK; }
    HRESULT SetSize(ULARGE_INTEGER cb) override {
        m_size = cb.QuadPart;
        m_kept.resize(std::min<ULONGLONG>(m_kept.size(), m_size));
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
    // Bytes written since the last call.
    ULONGLONG TakeWritten() { return std::exchange(m_written, 0); }
    void Watch(ULONGLONG begin, ULONGLONG end) { m_watch = {begin, end}; }
    int WatchedWrites() const { return m_watchedWrites; }

private:
    std::size_t m_keep;
    Bytes m_kept;
    ULONGLONG m_size, m_written = 0;
    std::pair<ULONGLONG, ULONGLONG> m_watch{0, 0};
    int m_watchedWrites = 0;
};

Ptr<SparseLockBytes> Sparse(std::size_t keep, const Bytes& start = {}) {
    Ptr<SparseLockBytes> bytes;
    *&bytes = new SparseLockBytes(keep, start);
    return bytes;
}

// A 20 MiB stream and 300 small ones; each edit is committed on its own, and its commit
// writes no more than the limit.
TEST(WriteAmount, ACommitWritesWhatChangedAndTheTablesOnly) {
    Ptr<SparseLockBytes> bytes = Sparse(64 << 20);
    {
        Ptr<IStorage> root;
        ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | kElement, 0, &root),
                  S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"Big", Pattern(20 << 20)), S_OK);
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(WriteStream(root.get(), U16("small" + std::to_string(i)), Pattern(200, i)),
                      S_OK);
    }
    const Bytes imported = Pattern((8 << 20) + 1000, 5), bang{'!'};
    const std::pair<std::function<HRESULT(IStorage*)>, ULONGLONG> edits[] = {
        {[&](IStorage* r) { return WriteAt(r, u"Big", 0, bang); }, 16 << 10},
        {[&](IStorage* r) { return WriteAt(r, u"Big", 5'000'000, bang); }, 16 << 10},
        {[&](IStorage* r) { return WriteAt(r, u"Big", (20 << 20) - 1, bang); }, 16 << 10},
        {[&](IStorage* r) { return WriteStream(r, u"small7", Pattern(300, 99)); }, 16 << 10},
        {[&](IStorage*) { return S_OK; }, 0},
        // Written in bulk, straight into the file; the commit adds its FAT (4 bytes per
        // 512-byte sector) and a little more.
        {[&](IStorage* r) { return WriteStream(r, u"Imported", imported); },
         imported.size() + imported.size() / 128 + (32 << 10)},
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        Ptr<IStorage> root = OpenRoot(bytes.get(), kTransacted);
        bytes->TakeWritten();
        ASSERT_EQ(edits[i].first(root.get()), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        EXPECT_LE(bytes->TakeWritten(), edits[i].second) << "edit " << i;
    }
    Bytes big = Pattern(20 << 20);
    big[0] = big[5'000'000] = big.back() = '!';
    Ptr<IStorage> root = OpenRoot(bytes.get());
    EXPECT_EQ(ReadStream(root.get(), u"Big"), big);
    EXPECT_EQ(ReadStream(root.get(), u"Imported"), imported);
}

TEST(Version3Limit, NothingGrowsPastTwoGibibytes) {
    Ptr<SparseLockBytes> bytes = Sparse(1 << 20);
    Ptr<IStorage> root;
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | kTransacted, 0, &root), S_OK);
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
}

// Bulk appends that cross the 2 GiB mark of a version-4 file step over the sector that holds
// the platform's range-lock bytes, and the commit keeps them.
TEST(BulkAppends, StepOverTheRangeLockSector) {
    Ptr<SparseLockBytes> bytes = Sparse(1 << 20, EmptyFile(4));
    bytes->Watch(0x7FFFF000, 0x80000000); // the range-lock sector of 4096-byte sectors
    Ptr<IStorage> root = OpenRoot(bytes.get(), kTransacted);
    Ptr<IStream> s;
    ASSERT_EQ(root->CreateStream(u"Big", STGM_CREATE | kElement, 0, 0, &s), S_OK);
    const Bytes chunk(64 << 20, 0x5A);
    constexpr ULONGLONG kTotal = (33ULL << 26) + 1000; // past 2 GiB, ending inside a sector
    for (ULONGLONG at = 0; at < kTotal; at += chunk.size())
        ASSERT_EQ(
            s->Write(chunk.data(), ULONG(std::min<ULONGLONG>(chunk.size(), kTotal - at)), nullptr),
            S_OK);
    s.Reset();
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    EXPECT_EQ(bytes->WatchedWrites(), 0);
    STATSTG st{};
    ASSERT_EQ(root->OpenStream(u"Big", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s), S_OK);
    ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize.QuadPart, kTotal);
}

} // namespace
