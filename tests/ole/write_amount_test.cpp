// How much a commit writes: only what changed, plus the tables that point at it; and the
// limits of files too big to hold in a test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "test_support.h"

namespace {

// A 20 MiB stream and 300 small ones; each edit is committed on its own, and its commit
// writes no more than the limit.
TEST(WriteAmount, ACommitWritesWhatChangedAndTheTablesOnly) {
    Ptr<FakeDisk> bytes = FakeDisk::New({}, 64 << 20);
    {
        Ptr<IStorage> root = CreateRoot(bytes.get());
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
        const std::size_t first = bytes->Events().size();
        ASSERT_EQ(edits[i].first(root.get()), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        EXPECT_LE(bytes->Written(first), edits[i].second) << "edit " << i;
    }
    Bytes big = Pattern(20 << 20);
    big[0] = big[5'000'000] = big.back() = '!';
    Ptr<IStorage> root = OpenRoot(bytes.get());
    EXPECT_EQ(ReadStream(root.get(), u"Big"), big);
    EXPECT_EQ(ReadStream(root.get(), u"Imported"), imported);
}

TEST(Version3Limit, NothingGrowsPastTwoGibibytes) {
    Ptr<FakeDisk> bytes = FakeDisk::New({}, 1 << 20);
    Ptr<IStorage> root = CreateRoot(bytes.get(), STGM_CREATE | kTransacted);
    Ptr<IStream> a, b;
    ASSERT_EQ(root->CreateStream(u"A", kCreate, 0, 0, &a), S_OK);
    EXPECT_EQ(a->SetSize(ULARGE_INTEGER{.QuadPart = 0x80000000ULL}), STG_E_DOCFILETOOLARGE);
    ASSERT_EQ(a->SetSize(ULARGE_INTEGER{.QuadPart = 1100ULL << 20}), S_OK);
    ASSERT_EQ(root->CreateStream(u"B", kCreate, 0, 0, &b), S_OK);
    ASSERT_EQ(b->SetSize(ULARGE_INTEGER{.QuadPart = 1000ULL << 20}), S_OK);
    a.Reset();
    b.Reset();
    EXPECT_EQ(root->Commit(STGC_OVERWRITE), STG_E_DOCFILETOOLARGE);
    EXPECT_LE(bytes->Size(), 0x80000000ULL);
}

// Bulk appends that cross the 2 GiB mark of a version-4 file step over the sector that holds
// the platform's range-lock bytes, and the commit keeps them.
TEST(BulkAppends, StepOverTheRangeLockSector) {
    Ptr<FakeDisk> bytes = FakeDisk::New(EmptyFile(4), 1 << 20);
    Ptr<IStorage> root = OpenRoot(bytes.get(), kTransacted);
    Ptr<IStream> s;
    ASSERT_EQ(root->CreateStream(u"Big", kCreate, 0, 0, &s), S_OK);
    const Bytes chunk(64 << 20, 0x5A);
    constexpr ULONGLONG kTotal = (33ULL << 26) + 1000; // past 2 GiB, ending inside a sector
    for (ULONGLONG at = 0; at < kTotal; at += chunk.size())
        ASSERT_EQ(
            s->Write(chunk.data(), ULONG(std::min<ULONGLONG>(chunk.size(), kTotal - at)), nullptr),
            S_OK);
    s.Reset();
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    // Nothing touches the range-lock sector of 4096-byte sectors.
    for (const FakeDisk::Event& e : bytes->Events())
        EXPECT_TRUE(e.offset >= 0x80000000 || e.offset + e.size <= 0x7FFFF000) << e.offset;
    STATSTG st{};
    ASSERT_EQ(root->OpenStream(u"Big", nullptr, kRead, 0, &s), S_OK);
    ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.cbSize.QuadPart, kTotal);
}

} // namespace
