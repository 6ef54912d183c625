// Transacted and direct storages: what reaches the file, and when.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "test_support.h"
#include "utf16.h"

namespace {

constexpr DWORD kRootRW = STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE; // 0x10022
constexpr DWORD kSubTransacted = STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;              // 0x12
constexpr DWORD kCreate = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE; // 0x1012
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

using Names = std::vector<std::string>;

// A file of "Original" (100 bytes) and "Sub" holding "Inner" (5000 bytes).
class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ptr<IStorage> root, sub;
        ASSERT_EQ(StgCreateDocfile(m_name.c_str(), kCreate, 0, &root), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"Original", Pattern(100)), S_OK);
        ASSERT_EQ(root->CreateStorage(u"Sub", kCreate, 0, 0, &sub), S_OK);
        ASSERT_EQ(WriteStream(sub.get(), u"Inner", Pattern(5000, 2)), S_OK);
    }

    Ptr<IStorage> Open() {
        Ptr<IStorage> root;
        EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, kRootRW, nullptr, 0, &root), S_OK);
        return root;
    }
    static Ptr<IStorage> OpenSub(IStorage* root) {
        Ptr<IStorage> sub;
        EXPECT_EQ(root->OpenStorage(u"Sub", nullptr, kSubTransacted, nullptr, 0, &sub), S_OK);
        return sub;
    }

    // What the file holds as committed, read on its own, in the root or in one storage.
    template <class F> auto Committed(const char16_t* storage, F read) -> decltype(read(nullptr)) {
        Ptr<IStorage> root, sub;
        EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_NONE, nullptr,
                                 0, &root),
                  S_OK);
        if (root && storage)
            EXPECT_EQ(root->OpenStorage(storage, nullptr, kRead, nullptr, 0, &sub), S_OK);
        IStorage* holder = storage ? sub.get() : root.get();
        return holder ? read(holder) : decltype(read(nullptr)){};
    }
    Names ListCommitted(const char16_t* storage = nullptr) {
        return Committed(storage, [](IStorage* s) { return ListElements(s); });
    }
    Bytes ReadCommitted(const char16_t* storage, const char16_t* stream) {
        return Committed(storage, [&](IStorage* s) { return ReadStream(s, stream); });
    }
    Names FileFaults() const {
        Ptr<ILockBytes> bytes;
        EXPECT_EQ(CreateILockBytesOnFile(m_name.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, &bytes),
                  S_OK);
        return Faults(bytes.get());
    }
    Bytes FileBytes() const {
        std::ifstream in(m_dir.Path("file.cfb"), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    ScratchDir m_dir;
    std::u16string m_name = m_dir.Name("file.cfb");
};

TEST_F(TransactionTest, ChangesReachTheFileOnlyAtCommitAndRevertOrReleaseDropsThem) {
    {
        Ptr<IStorage> root = Open();
        ASSERT_EQ(root->DestroyElement(u"Sub"), S_OK);
        ASSERT_EQ(root->Revert(), S_OK);
        EXPECT_EQ(ListElements(root.get()), (Names{"Sub/", "Original"}));
        ASSERT_EQ(WriteStream(root.get(), u"Dropped", Pattern(10)), S_OK);
    }
    EXPECT_EQ(ListCommitted(), (Names{"Sub/", "Original"}));
    Ptr<IStorage> root = Open();
    ASSERT_EQ(WriteStream(root.get(), u"Added", Pattern(10)), S_OK);
    ASSERT_EQ(root->DestroyElement(u"Original"), S_OK);
    EXPECT_EQ(ListCommitted(), (Names{"Sub/", "Original"}));
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    EXPECT_EQ(ListCommitted(), (Names{"Sub/", "Added"}));
}

// Bytes appended in bulk reach the file before any commit. Dropped without a commit they
// leave no trace; destroyed or reverted before one, nothing past what the new FAT covers.
TEST_F(TransactionTest, DroppedBulkAppendsLeaveNoTail) {
    const Bytes before = FileBytes();
    {
        Ptr<IStorage> root = Open();
        ASSERT_EQ(WriteStream(root.get(), u"Imported", Pattern(500'000, 3)), S_OK);
        ASSERT_EQ(root->Revert(), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"Again", Pattern(300'000, 4)), S_OK);
        EXPECT_GT(FileBytes().size(), before.size());
    }
    EXPECT_EQ(FileBytes(), before);
    for (bool revert : {false, true}) {
        const std::size_t size = FileBytes().size();
        Ptr<IStorage> root = Open();
        ASSERT_EQ(WriteStream(root.get(), u"X", Pattern(1 << 20, 5)), S_OK);
        ASSERT_EQ(revert ? root->Revert() : root->DestroyElement(u"X"), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"Y", Pattern(64 << 10, 6)), S_OK);
        ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
        root.Reset();
        EXPECT_LT(FileBytes().size(), size + (128 << 10)) << revert;
        EXPECT_EQ(FileFaults(), Names{}) << revert;
        EXPECT_EQ(ReadCommitted(nullptr, u"Y"), Pattern(64 << 10, 6));
    }
    // Appended in an open transacted storage: a root commit of nothing else still covers it.
    Ptr<IStorage> root = Open(), sub = OpenSub(root.get());
    ASSERT_EQ(WriteStream(sub.get(), u"Pending", Pattern(1 << 20, 7)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    EXPECT_EQ(FileFaults(), Names{});
}

TEST_F(TransactionTest, SubStorageCommitsIntoItsParentAndTheParentToTheFile) {
    Ptr<IStorage> root = Open();
    ASSERT_EQ(WriteStream(OpenSub(root.get()).get(), u"Uncommitted", Pattern(3)), S_OK);
    {
        Ptr<IStorage> sub = OpenSub(root.get()), again;
        EXPECT_EQ(ListElements(sub.get()), Names{"Inner"});
        ASSERT_EQ(WriteStream(sub.get(), u"Kept", Pattern(3)), S_OK);
        EXPECT_EQ(root->OpenStorage(u"Sub", nullptr, kSubTransacted, nullptr, 0, &again),
                  STG_E_ACCESSDENIED);
        ASSERT_EQ(sub->Commit(STGC_OVERWRITE), S_OK);
    }
    EXPECT_EQ(ListElements(OpenSub(root.get()).get()), (Names{"Kept", "Inner"}));
    EXPECT_EQ(ListCommitted(u"Sub"), Names{"Inner"});
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    root.Reset();
    EXPECT_EQ(ListCommitted(u"Sub"), (Names{"Kept", "Inner"}));
    EXPECT_EQ(ReadCommitted(u"Sub", u"Inner"), Pattern(5000, 2));
}

TEST_F(TransactionTest, RevertOfSubStorageRevertsWhatWasOpenedThroughIt) {
    Ptr<IStorage> root = Open();
    Ptr<IStorage> sub = OpenSub(root.get());
    Ptr<IStream> inner;
    ASSERT_EQ(sub->OpenStream(u"Inner", nullptr, kElement, 0, &inner), S_OK);
    ASSERT_EQ(inner->Write("x", 1, nullptr), S_OK);
    ASSERT_EQ(sub->Revert(), S_OK);
    EXPECT_EQ(inner->Write("x", 1, nullptr), STG_E_REVERTED);
    inner.Reset();
    EXPECT_EQ(ReadStream(sub.get(), u"Inner"), Pattern(5000, 2));
}

// What an open transacted storage reads (its snapshot, and a stream copied into it whose
// original the root destroyed) lies in sectors free in the file's state: root commits in
// between must put their data elsewhere.
TEST_F(TransactionTest, SnapshotsInOpenSubStoragesKeepTheirSectorsThroughRootCommits) {
    const Bytes original = Pattern(300'000, 20);
    {
        Ptr<IStorage> root = Open();
        ASSERT_EQ(WriteStream(root.get(), u"Source", original), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        Ptr<IStorage> sub = OpenSub(root.get());
        ASSERT_EQ(root->MoveElementTo(u"Source", sub.get(), u"Copy", STGMOVE_COPY), S_OK);
        ASSERT_EQ(root->DestroyElement(u"Source"), S_OK);
        for (unsigned i = 0; i < 3; ++i) {
            ASSERT_EQ(root->DestroyElement(u"Original"), S_OK);
            ASSERT_EQ(WriteStream(root.get(), u"Original", Pattern(300'000, 30 + i)), S_OK);
            ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        }
        EXPECT_EQ(ReadStream(sub.get(), u"Inner"), Pattern(5000, 2));
        EXPECT_EQ(ReadStream(sub.get(), u"Copy"), original);
        ASSERT_EQ(sub->Commit(STGC_DEFAULT), S_OK);
        ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    }
    EXPECT_EQ(ReadCommitted(u"Sub", u"Copy"), original);
    EXPECT_EQ(ReadCommitted(nullptr, u"Original"), Pattern(300'000, 32));
}

// Bytes appended in bulk are written into the file before the commit. They must stay right
// through snapshots, reverts and commits, and keep growing correctly afterwards.
TEST_F(TransactionTest, BulkAppendsSurviveSnapshotsRevertsAndLaterGrowth) {
    const Bytes first = Pattern(200'000 + 77, 11), second = Pattern(150'000, 12);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    {
        Ptr<IStorage> root = Open();
        ASSERT_EQ(WriteStream(root.get(), u"Dropped", Pattern(300'000, 13)), S_OK);
        ASSERT_EQ(root->Revert(), S_OK);
        Ptr<IStorage> sub = OpenSub(root.get());
        Ptr<IStream> s;
        ASSERT_EQ(sub->CreateStream(u"Grown", kCreate, 0, 0, &s), S_OK);
        ASSERT_EQ(s->Write(first.data(), ULONG(first.size()), nullptr), S_OK);
        ASSERT_EQ(sub->Commit(STGC_DEFAULT), S_OK); // the root now shares those bytes
        ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
        // Still open in the sub-storage: the stream goes on growing after the commit took
        // its sectors into the file's state, without touching a byte of that state.
        const Bytes committed = FileBytes();
        ASSERT_EQ(s->Write(second.data(), ULONG(second.size()), nullptr), S_OK);
        const Bytes after = FileBytes();
        ASSERT_GE(after.size(), committed.size());
        EXPECT_TRUE(std::equal(committed.begin(), committed.end(), after.begin()));
        EXPECT_EQ(ReadCommitted(u"Sub", u"Grown"), first);
        EXPECT_EQ(ListCommitted(), (Names{"Sub/", "Original"}));
        s.Reset();
        ASSERT_EQ(sub->Commit(STGC_DEFAULT), S_OK);
        ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    }
    EXPECT_EQ(ReadCommitted(u"Sub", u"Grown"), both);
    EXPECT_EQ(ReadCommitted(u"Sub", u"Inner"), Pattern(5000, 2));
    // The dropped stream's space was taken again, not left as a hole before the rest.
    EXPECT_LT(std::filesystem::file_size(m_dir.Path("file.cfb")), both.size() + 64 * 1024);
}

// Gone from the folder at once: no way the program ends can leave it behind.
TEST(DirectMode, TemporaryRootIsNeverLeftOnDisk) {
    Ptr<IStorage> root;
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_DELETEONRELEASE | kSubTransacted, 0, &root), S_OK);
    STATSTG st{};
    ASSERT_EQ(root->Stat(&st, STATFLAG_DEFAULT), S_OK);
    const std::filesystem::path file = Utf16ToUtf8(st.pwcsName).value();
    CoTaskMemFree(st.pwcsName);
    ASSERT_EQ(WriteStream(root.get(), u"S", Pattern(10)), S_OK);
    ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(ReadStream(root.get(), u"S"), Pattern(10));
}

} // namespace
