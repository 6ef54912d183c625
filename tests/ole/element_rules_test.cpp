// What callers may do with elements: open modes and sharing, names, rename, replace, copy.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreate = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreateNew = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kSubTransacted = STGM_TRANSACTED | kElement;

class ElementRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateMemoryStorage(&m_block, &m_root), S_OK);
        ASSERT_EQ(WriteStream(m_root.get(), u"data", Pattern(10)), S_OK);
        Ptr<IStorage> folder;
        ASSERT_EQ(m_root->CreateStorage(u"Folder", kCreate, 0, 0, &folder), S_OK);
        ASSERT_EQ(WriteStream(folder.get(), u"A", Pattern(20, 2)), S_OK);
    }
    void TearDown() override {
        m_root.Reset();
        GlobalFree(m_block);
    }

    HGLOBAL m_block = nullptr;
    Ptr<IStorage> m_root;
};

TEST_F(ElementRulesTest, ElementsNeedExclusiveSharing) {
    Ptr<IStream> s;
    Ptr<IStorage> g;
    EXPECT_EQ(m_root->OpenStream(u"data", nullptr, STGM_READWRITE | STGM_SHARE_DENY_WRITE, 0, &s),
              STG_E_INVALIDFUNCTION);
    EXPECT_EQ(m_root->OpenStream(u"data", nullptr, STGM_READWRITE, 0, &s), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(m_root->CreateStream(u"x", STGM_READWRITE | STGM_SHARE_DENY_NONE, 0, 0, &s),
              STG_E_INVALIDFUNCTION);
    EXPECT_EQ(
        m_root->OpenStorage(u"Folder", nullptr, STGM_READWRITE | STGM_TRANSACTED, nullptr, 0, &g),
        STG_E_INVALIDFUNCTION);
    EXPECT_EQ(m_root->CreateStorage(u"y", STGM_READWRITE, 0, 0, &g), STG_E_INVALIDFUNCTION);
}

TEST_F(ElementRulesTest, SecondOpenIsDeniedUntilTheFirstIsReleased) {
    Ptr<IStream> first, second;
    ASSERT_EQ(m_root->OpenStream(u"data", nullptr, kElement, 0, &first), S_OK);
    EXPECT_EQ(m_root->OpenStream(u"DATA", nullptr, kElement, 0, &second), STG_E_ACCESSDENIED);
    EXPECT_EQ(m_root->RenameElement(u"data", u"other"), STG_E_ACCESSDENIED);
    first.Reset();
    EXPECT_EQ(m_root->OpenStream(u"data", nullptr, kElement, 0, &second), S_OK);

    Ptr<IStorage> a, b;
    ASSERT_EQ(m_root->OpenStorage(u"Folder", nullptr, kSubTransacted, nullptr, 0, &a), S_OK);
    EXPECT_EQ(m_root->OpenStorage(u"folder", nullptr, kSubTransacted, nullptr, 0, &b),
              STG_E_ACCESSDENIED);
    EXPECT_EQ(m_root->RenameElement(u"Folder", u"Other"), STG_E_ACCESSDENIED);
    a.Reset();
    EXPECT_EQ(m_root->OpenStorage(u"folder", nullptr, kSubTransacted, nullptr, 0, &b), S_OK);
}

TEST_F(ElementRulesTest, DestroyingAnOpenElementRevertsItsObject) {
    Ptr<IStorage> folder;
    ASSERT_EQ(m_root->OpenStorage(u"Folder", nullptr, kElement, nullptr, 0, &folder), S_OK);
    Ptr<IStream> a;
    ASSERT_EQ(folder->OpenStream(u"A", nullptr, kElement, 0, &a), S_OK);
    ASSERT_EQ(m_root->DestroyElement(u"Folder"), S_OK);
    char byte = 0;
    EXPECT_EQ(a->Read(&byte, 1, nullptr), STG_E_REVERTED);
    STATSTG st{};
    EXPECT_EQ(folder->Stat(&st, STATFLAG_NONAME), STG_E_REVERTED);
    Ptr<IStream> b;
    EXPECT_EQ(folder->CreateStream(u"B", kCreate, 0, 0, &b), STG_E_REVERTED);
    EXPECT_EQ(ListElements(m_root.get()), (std::vector<std::string>{"data"}));
}

TEST_F(ElementRulesTest, NamesFollowTheFormatsRules) {
    Ptr<IStream> s;
    const std::u16string longest(31, u'n');
    EXPECT_EQ(m_root->CreateStream(longest.c_str(), kCreate, 0, 0, &s), S_OK);
    s.Reset();
    const std::u16string tooLong(32, u'n');
    EXPECT_EQ(m_root->CreateStream(tooLong.c_str(), kCreate, 0, 0, &s), STG_E_INVALIDNAME);
    for (const char16_t* bad : {u"a/b", u"a\\b", u"a:b", u"a!b", u""})
        EXPECT_EQ(m_root->CreateStream(bad, kCreate, 0, 0, &s), STG_E_INVALIDNAME) << int(bad[0]);
    EXPECT_EQ(m_root->CreateStream(nullptr, kCreate, 0, 0, &s), STG_E_INVALIDPOINTER);
    EXPECT_EQ(m_root->OpenStream(u"missing", nullptr, kElement, 0, &s), STG_E_FILENOTFOUND);
    Ptr<IStorage> g;
    EXPECT_EQ(m_root->OpenStorage(u"data", nullptr, kElement, nullptr, 0, &g), STG_E_FILENOTFOUND);
    // Control characters are ordinary name units.
    EXPECT_EQ(m_root->CreateStream(u"\x05SummaryInformation", kCreate, 0, 0, &s), S_OK);
}

TEST_F(ElementRulesTest, NamesCollideWithoutRegardToCase) {
    Ptr<IStream> s;
    EXPECT_EQ(m_root->CreateStream(u"DATA", kCreateNew, 0, 0, &s), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(m_root->OpenStream(u"Data", nullptr, kElement, 0, &s), S_OK);
    s.Reset();
    // Non-ASCII letters fold too (Unicode simple case mapping).
    ASSERT_EQ(WriteStream(m_root.get(), u"straße", Pattern(1)), S_OK);
    EXPECT_EQ(m_root->CreateStream(u"STRAßE", kCreateNew, 0, 0, &s), STG_E_FILEALREADYEXISTS);
    ASSERT_EQ(WriteStream(m_root.get(), u"ǆ", Pattern(1)), S_OK);
    EXPECT_EQ(m_root->CreateStream(u"Ǆ", kCreateNew, 0, 0, &s), STG_E_FILEALREADYEXISTS);
}

TEST_F(ElementRulesTest, CreateWithCreateFlagReplacesEitherKind) {
    Ptr<IStorage> g;
    ASSERT_EQ(m_root->CreateStorage(u"data", kCreate, 0, 0, &g), S_OK);
    g.Reset();
    Ptr<IStream> s;
    ASSERT_EQ(m_root->CreateStream(u"Folder", kCreate, 0, 0, &s), S_OK);
    s.Reset();
    EXPECT_EQ(ListElements(m_root.get()), (std::vector<std::string>{"data/", "Folder"}));
    EXPECT_EQ(ReadStream(m_root.get(), u"Folder"), Bytes{});
}

TEST_F(ElementRulesTest, RenameRules) {
    ASSERT_EQ(WriteStream(m_root.get(), u"other", Pattern(3)), S_OK);
    EXPECT_EQ(m_root->RenameElement(u"data", u"OTHER"), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(m_root->RenameElement(u"missing", u"x"), STG_E_FILENOTFOUND);
    EXPECT_EQ(m_root->RenameElement(u"data", u"a:b"), STG_E_INVALIDNAME);
    EXPECT_EQ(m_root->RenameElement(u"data", u"Renamed"), S_OK);
    EXPECT_EQ(ReadStream(m_root.get(), u"renamed"), Pattern(10));
    EXPECT_EQ(m_root->RenameElement(u"Renamed", u"RENAMED"), S_OK);
    EXPECT_EQ(ListElements(m_root.get()),
              (std::vector<std::string>{"other", "Folder/", "RENAMED"}));
}

TEST_F(ElementRulesTest, CopyToMergesAndReplaces) {
    Ptr<IStorage> target;
    ASSERT_EQ(m_root->CreateStorage(u"Target", kCreate, 0, 0, &target), S_OK);
    ASSERT_EQ(WriteStream(target.get(), u"data", Pattern(99, 9)), S_OK);
    ASSERT_EQ(WriteStream(target.get(), u"keep", Pattern(5, 5)), S_OK);
    {
        Ptr<IStorage> folder;
        ASSERT_EQ(target->CreateStorage(u"folder", kCreate, 0, 0, &folder), S_OK);
        ASSERT_EQ(WriteStream(folder.get(), u"B", Pattern(7, 7)), S_OK);
    }
    Ptr<IStorage> source;
    ASSERT_EQ(m_root->OpenStorage(u"Folder", nullptr, kElement, nullptr, 0, &source), S_OK);
    // The destination may not lie below the source.
    Ptr<IStorage> child;
    ASSERT_EQ(source->CreateStorage(u"Child", kCreate, 0, 0, &child), S_OK);
    EXPECT_EQ(source->CopyTo(0, nullptr, nullptr, child.get()), STG_E_ACCESSDENIED);
    child.Reset();
    source.Reset();

    HGLOBAL otherBlock = nullptr;
    {
        // Copy into another file, then merge that copy back.
        Ptr<IStorage> other;
        ASSERT_EQ(CreateMemoryStorage(&otherBlock, &other), S_OK);
        ASSERT_EQ(m_root->CopyTo(0, nullptr, nullptr, other.get()), S_OK);
        ASSERT_EQ(other->DestroyElement(u"Target"), S_OK);
        ASSERT_EQ(other->CopyTo(0, nullptr, nullptr, target.get()), S_OK);
    }
    GlobalFree(otherBlock);
    EXPECT_EQ(ListElements(target.get()), (std::vector<std::string>{"data", "keep", "folder/"}));
    EXPECT_EQ(ReadStream(target.get(), u"data"), Pattern(10));
    EXPECT_EQ(ReadStream(target.get(), u"keep"), Pattern(5, 5));
    Ptr<IStorage> merged;
    ASSERT_EQ(target->OpenStorage(u"Folder", nullptr, kElement, nullptr, 0, &merged), S_OK);
    EXPECT_EQ(ListElements(merged.get()), (std::vector<std::string>{"A", "B", "Child/"}));
    EXPECT_EQ(ReadStream(merged.get(), u"A"), Pattern(20, 2));
}

// A/A holds streams A, B, C; copying A into the root merges A/A into A, where stream A
// replaces the very storage being copied from.
TEST_F(ElementRulesTest, CopyToAnAncestorWorksOnASnapshotOfTheSource) {
    {
        Ptr<IStorage> a, aa;
        ASSERT_EQ(m_root->CreateStorage(u"A", kCreate, 0, 0, &a), S_OK);
        ASSERT_EQ(a->CreateStorage(u"A", kCreate, 0, 0, &aa), S_OK);
        for (const char16_t* name : {u"A", u"B", u"C"})
            ASSERT_EQ(WriteStream(aa.get(), name, Pattern(9, name[0])), S_OK);
    }
    Ptr<IStorage> a;
    ASSERT_EQ(m_root->OpenStorage(u"A", nullptr, kElement, nullptr, 0, &a), S_OK);
    ASSERT_EQ(a->CopyTo(0, nullptr, nullptr, m_root.get()), S_OK);
    EXPECT_EQ(ListElements(a.get()), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ReadStream(a.get(), u"C"), Pattern(9, u'C'));
}

TEST_F(ElementRulesTest, MoveElementToCopiesThenRemoves) {
    Ptr<IStorage> folder;
    ASSERT_EQ(m_root->OpenStorage(u"Folder", nullptr, kElement, nullptr, 0, &folder), S_OK);
    ASSERT_EQ(m_root->MoveElementTo(u"data", folder.get(), u"Moved", STGMOVE_MOVE), S_OK);
    ASSERT_EQ(folder->MoveElementTo(u"A", m_root.get(), u"CopyOfA", STGMOVE_COPY), S_OK);
    EXPECT_EQ(ListElements(folder.get()), (std::vector<std::string>{"A", "Moved"}));
    EXPECT_EQ(ListElements(m_root.get()), (std::vector<std::string>{"Folder/", "CopyOfA"}));
    EXPECT_EQ(ReadStream(folder.get(), u"Moved"), Pattern(10));
}

TEST_F(ElementRulesTest, StatReportsWhatWasSet) {
    const CLSID clsid{0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
    Ptr<IStorage> folder;
    ASSERT_EQ(m_root->OpenStorage(u"Folder", nullptr, kElement, nullptr, 0, &folder), S_OK);
    ASSERT_EQ(folder->SetClass(clsid), S_OK);
    ASSERT_EQ(folder->SetStateBits(0xF0F0, 0xFF00), S_OK);
    folder.Reset();
    const FILETIME created{111, 222}, modified{333, 444};
    ASSERT_EQ(m_root->SetElementTimes(u"Folder", &created, nullptr, &modified), S_OK);
    ASSERT_EQ(m_root->OpenStorage(u"Folder", nullptr, kElement, nullptr, 0, &folder), S_OK);
    STATSTG st{};
    ASSERT_EQ(folder->Stat(&st, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(std::u16string(st.pwcsName), u"Folder");
    CoTaskMemFree(st.pwcsName);
    EXPECT_EQ(st.type, STGTY_STORAGE);
    EXPECT_TRUE(st.clsid == clsid);
    EXPECT_EQ(st.grfStateBits, 0xF000u);
    EXPECT_EQ(st.ctime.dwLowDateTime, 111u);
    EXPECT_EQ(st.mtime.dwHighDateTime, 444u);
    EXPECT_EQ(st.grfMode, kElement);
}

TEST_F(ElementRulesTest, StreamReadWriteSeekAndSize) {
    Ptr<IStream> s;
    ASSERT_EQ(m_root->OpenStream(u"data", nullptr, kElement, 0, &s), S_OK);
    ULARGE_INTEGER pos{};
    ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = 20}, STREAM_SEEK_SET, &pos), S_OK);
    ASSERT_EQ(s->Write("xy", 2, nullptr), S_OK); // beyond the end: zeros fill the gap
    Bytes expected = Pattern(10);
    expected.resize(20);
    expected.push_back('x');
    expected.push_back('y');
    EXPECT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = -1}, STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
    ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = -2}, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 20u);
    char buffer[8];
    ULONG got = 0;
    ASSERT_EQ(s->Read(buffer, 8, &got), S_OK);
    EXPECT_EQ(got, 2u);
    ASSERT_EQ(s->Read(buffer, 8, &got), S_OK); // at the end: nothing, and no error
    EXPECT_EQ(got, 0u);

    ASSERT_EQ(s->SetSize(ULARGE_INTEGER{.QuadPart = 4}), S_OK);
    ASSERT_EQ(s->SetSize(ULARGE_INTEGER{.QuadPart = 8}), S_OK); // grows with zeros
    expected.assign(expected.begin(), expected.begin() + 4);
    expected.resize(8);

    Ptr<IStream> copy;
    ASSERT_EQ(m_root->CreateStream(u"copy", kCreate, 0, 0, &copy), S_OK);
    ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_SET, nullptr), S_OK);
    ULARGE_INTEGER read{}, written{};
    ASSERT_EQ(s->CopyTo(copy.get(), ULARGE_INTEGER{.QuadPart = 100}, &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 8u);
    EXPECT_EQ(written.QuadPart, 8u);
    s.Reset();
    copy.Reset();
    EXPECT_EQ(ReadStream(m_root.get(), u"data"), expected);
    EXPECT_EQ(ReadStream(m_root.get(), u"copy"), expected);
}

TEST_F(ElementRulesTest, ReadOnlyOpensRefuseWrites) {
    Ptr<IStream> s;
    ASSERT_EQ(m_root->OpenStream(u"data", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &s), S_OK);
    EXPECT_EQ(s->Write("x", 1, nullptr), STG_E_ACCESSDENIED);
    EXPECT_EQ(s->SetSize(ULARGE_INTEGER{.QuadPart = 0}), STG_E_ACCESSDENIED);
    Ptr<IStorage> g;
    ASSERT_EQ(
        m_root->OpenStorage(u"Folder", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &g),
        S_OK);
    EXPECT_EQ(g->DestroyElement(u"A"), STG_E_ACCESSDENIED);
    Ptr<IStream> t;
    EXPECT_EQ(g->CreateStream(u"T", kCreate, 0, 0, &t), STG_E_ACCESSDENIED);
}

TEST_F(ElementRulesTest, EnumeratorSkipResetClone) {
    ASSERT_EQ(WriteStream(m_root.get(), u"b", Pattern(1)), S_OK);
    Ptr<IEnumSTATSTG> e;
    ASSERT_EQ(m_root->EnumElements(0, nullptr, 0, &e), S_OK);
    STATSTG st[3];
    ULONG fetched = 0;
    EXPECT_EQ(e->Skip(1), S_OK);
    Ptr<IEnumSTATSTG> clone;
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ASSERT_EQ(e->Next(3, st, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(std::u16string(st[0].pwcsName), u"data");
    EXPECT_EQ(st[0].cbSize.QuadPart, 10u);
    for (ULONG i = 0; i < fetched; ++i)
        CoTaskMemFree(st[i].pwcsName);
    ASSERT_EQ(clone->Next(1, st, &fetched), S_OK);
    EXPECT_EQ(std::u16string(st[0].pwcsName), u"data");
    CoTaskMemFree(st[0].pwcsName);
    ASSERT_EQ(e->Reset(), S_OK);
    ASSERT_EQ(e->Next(1, st, &fetched), S_OK);
    EXPECT_EQ(std::u16string(st[0].pwcsName), u"b");
    EXPECT_EQ(st[0].type, STGTY_STREAM);
    CoTaskMemFree(st[0].pwcsName);
}

} // namespace
