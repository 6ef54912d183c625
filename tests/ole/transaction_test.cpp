// Transacted storages on a file: bytes appended in bulk before a commit, and what open
// storages keep while the root commits.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "test_support.h"

namespace {

constexpr DWORD kEditor = STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE;

// A file of "Original" (100 bytes) and "Sub" holding "Inner" (5000 bytes).
class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Ptr<IStorage> root;
        ASSERT_EQ(StgCreateDocfile(m_name.c_str(), kCreate, 0, &root), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"Original", Pattern(100)), S_OK);
        ASSERT_EQ(WriteStream(Sub(root.get(), u"Sub", kCreate).get(), u"Inner", Pattern(5000, 2)),
                  S_OK);
    }
    Ptr<IStorage> Open(DWORD mode = kEditor) {
        Ptr<IStorage> root;
        EXPECT_EQ(StgOpenStorage(m_name.c_str(), nullptr, mode, nullptr, 0, &root), S_OK);
        return root;
    }
    // What the file holds as committed, read beside the editor.
    Bytes ReadCommitted(const char16_t* storage, const char16_t* stream) {
        Ptr<IStorage> root = Open(STGM_READ | STGM_SHARE_DENY_NONE);
        return ReadStream(storage ? Sub(root.get(), storage, kRead).get() : root.get(), stream);
    }
    Bytes FileBytes() const {
        std::ifstream in(m_dir.Path("file.cfb"), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    ScratchDir m_dir;
    std::u16string m_name = m_dir.Name("file.cfb");
};

// Bytes appended in bulk reach the file before any commit. Dropped without a commit they
// leave no trace; appended in an open storage, a root commit of nothing else still covers
// them. (Dropped before a commit, the edit fuzzer holds the FAT to cover the file.)
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
    Ptr<IStorage> root = Open(), sub = Sub(root.get(), u"Sub", kTransacted);
    ASSERT_EQ(WriteStream(sub.get(), u"Pending", Pattern(1 << 20, 7)), S_OK);
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    EXPECT_EQ(Faults(FakeDisk::New(FileBytes()).get()), std::vector<std::string>{});
}

// Saving the same edit again and again takes the space the save before freed: the file does
// not grow with every save.
TEST_F(TransactionTest, RepeatedSavesReuseFreedSpace) {
    Ptr<IStorage> root = Open();
    for (int save = 0; save < 20; ++save) {
        ASSERT_EQ(WriteStream(root.get(), u"Original", Pattern(300'000, save)), S_OK);
        ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    }
    root.Reset();
    EXPECT_EQ(ReadCommitted(nullptr, u"Original"), Pattern(300'000, 19));
    EXPECT_LT(FileBytes().size(), 2 * 300'000 + 64 * 1024);
}

// An open transacted storage reads its snapshot, and a stream copied into it whose original the
// root destroyed, from sectors free in the file's state: root commits in between must put
// their data elsewhere. A stream open in it goes on growing in bulk after a commit took its
// sectors into the file's state, without touching a byte of that state.
TEST_F(TransactionTest, OpenSubStoragesKeepTheirBytesThroughRootCommits) {
    const Bytes original = Pattern(300'000, 20), first = Pattern(200'077, 11),
                second = Pattern(150'000, 12);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    {
        Ptr<IStorage> root = Open();
        ASSERT_EQ(WriteStream(root.get(), u"Source", original), S_OK);
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        Ptr<IStorage> sub = Sub(root.get(), u"Sub", kTransacted);
        ASSERT_EQ(root->MoveElementTo(u"Source", sub.get(), u"Copy", STGMOVE_COPY), S_OK);
        ASSERT_EQ(root->DestroyElement(u"Source"), S_OK);
        Ptr<IStream> s;
        ASSERT_EQ(sub->CreateStream(u"Grown", kCreate, 0, 0, &s), S_OK);
        ASSERT_EQ(s->Write(first.data(), ULONG(first.size()), nullptr), S_OK);
        ASSERT_EQ(sub->Commit(STGC_DEFAULT), S_OK); // the root now shares those bytes
        for (unsigned i = 0; i < 3; ++i) {
            ASSERT_EQ(root->DestroyElement(u"Original"), S_OK);
            ASSERT_EQ(WriteStream(root.get(), u"Original", Pattern(300'000, 30 + i)), S_OK);
            ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        }
        EXPECT_EQ(ReadStream(sub.get(), u"Inner"), Pattern(5000, 2));
        EXPECT_EQ(ReadStream(sub.get(), u"Copy"), original);
        const Bytes committed = FileBytes();
        ASSERT_EQ(s->Write(second.data(), ULONG(second.size()), nullptr), S_OK);
        const Bytes after = FileBytes();
        ASSERT_GE(after.size(), committed.size());
        EXPECT_TRUE(std::equal(committed.begin(), committed.end(), after.begin()));
        EXPECT_EQ(ReadCommitted(u"Sub", u"Grown"), first);
        s.Reset();
        ASSERT_EQ(sub->Commit(STGC_DEFAULT), S_OK);
        ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    }
    EXPECT_EQ(ReadCommitted(u"Sub", u"Copy"), original);
    EXPECT_EQ(ReadCommitted(u"Sub", u"Grown"), both);
    EXPECT_EQ(ReadCommitted(u"Sub", u"Inner"), Pattern(5000, 2));
    EXPECT_EQ(ReadCommitted(nullptr, u"Original"), Pattern(300'000, 32));
}

} // namespace
