// Pending changes beyond the memory budget live in the scratch file and behave the same.
#include <gtest/gtest.h>

#include "scratch_page.h"
#include "test_support.h"

namespace {

constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreate = STGM_CREATE | kElement;

class ScratchTest : public ::testing::TestWithParam<std::size_t> {
protected:
    void SetUp() override { m_before = SetScratchMemoryLimit(GetParam()); }
    void TearDown() override { SetScratchMemoryLimit(m_before); }
    std::size_t m_before = 0;
};

TEST_P(ScratchTest, PagesOnDiskReadWriteShareAndCommitLikePagesInMemory) {
    HGLOBAL block = nullptr;
    Bytes expected = Pattern(1 << 20);
    {
        Ptr<IStorage> root;
        ASSERT_EQ(CreateMemoryStorage(&block, &root), S_OK);
        ASSERT_EQ(WriteStream(root.get(), u"A", expected), S_OK);
        Ptr<IStorage> copy;
        ASSERT_EQ(root->CreateStorage(u"Copy", kCreate, 0, 0, &copy), S_OK);
        ASSERT_EQ(root->MoveElementTo(u"A", copy.get(), u"A", STGMOVE_COPY), S_OK);
        // Change the original after the copy: the copy keeps the bytes it had.
        Ptr<IStream> a;
        ASSERT_EQ(root->OpenStream(u"A", nullptr, kElement, 0, &a), S_OK);
        ASSERT_EQ(a->Seek(LARGE_INTEGER{.QuadPart = 5000}, STREAM_SEEK_SET, nullptr), S_OK);
        ASSERT_EQ(a->Write("changed", 7, nullptr), S_OK);
        ASSERT_EQ(a->SetSize(ULARGE_INTEGER{.QuadPart = 6001}), S_OK);
        ASSERT_EQ(a->SetSize(ULARGE_INTEGER{.QuadPart = 9000}), S_OK);
        EXPECT_EQ(ReadStream(copy.get(), u"A"), expected);
    }
    std::copy_n("changed", 7, expected.begin() + 5000);
    expected.resize(6001);
    expected.resize(9000);
    Ptr<ILockBytes> bytes;
    ASSERT_EQ(CreateILockBytesOnHGlobal(block, TRUE, &bytes), S_OK);
    Ptr<IStorage> root = OpenRoot(bytes.get()), copy;
    EXPECT_EQ(ReadStream(root.get(), u"A"), expected);
    ASSERT_EQ(
        root->OpenStorage(u"Copy", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &copy),
        S_OK);
    EXPECT_EQ(ReadStream(copy.get(), u"A"), Pattern(1 << 20));
}

INSTANTIATE_TEST_SUITE_P(MemoryBudget, ScratchTest,
                         ::testing::Values(std::size_t{0}, std::size_t{64} << 10,
                                           std::size_t{64} << 20));

} // namespace
