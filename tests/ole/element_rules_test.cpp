// What callers may do with elements: open modes and sharing, names, rename, replace, copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "test_support.h"

namespace {

constexpr DWORD kElement = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kCreate = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kSubTransacted = STGM_TRANSACTED | kElement;

using Names = std::vector<std::string>;

// A memory file of stream "data" (10 bytes) and storage "Folder" holding stream "A".
class ElementRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CreateMemoryStorage(&m_block, &m_root), S_OK);
        ASSERT_EQ(WriteStream(m_root.get(), u"data", Pattern(10)), S_OK);
        Ptr<IStorage> folder = Sub(u"Folder", kCreate);
        ASSERT_EQ(WriteStream(folder.get(), u"A", Pattern(20, 2)), S_OK);
    }
    void TearDown() override {
        m_root.Reset();
        GlobalFree(m_block);
    }
    // Opens a storage of the root, or creates one with kCreate.
    Ptr<IStorage> Sub(const char16_t* name, DWORD mode = kElement, IStorage* in = nullptr) {
        Ptr<IStorage> sub;
        in = in ? in : m_root.get();
        EXPECT_EQ(mode & STGM_CREATE ? in->CreateStorage(name, mode, 0, 0, &sub)
                                     : in->OpenStorage(name, nullptr, mode, nullptr, 0, &sub),
                  S_OK);
        return sub;
    }

    HGLOBAL m_block = nullptr;
    Ptr<IStorage> m_root;
};

// Each call on the root, in this order, answers as the platform does.
TEST_F(ElementRulesTest, CallsAnswerLikeThePlatform) {
    IStorage* r = m_root.get();
    Ptr<IStream> s, held;
    Ptr<IStorage> g, heldStorage;
    auto create = [&](const char16_t* name, DWORD mode = kCreate) {
        return r->CreateStream(name, mode, 0, 0, &s);
    };
    auto open = [&](const char16_t* name, DWORD mode = kElement, Ptr<IStream>* out = nullptr) {
        return r->OpenStream(name, nullptr, mode, 0, &(out ? *out : s));
    };
    auto openStorage = [&](const char16_t* name, DWORD mode, Ptr<IStorage>* out = nullptr) {
        return r->OpenStorage(name, nullptr, mode, nullptr, 0, &(out ? *out : g));
    };
    const std::u16string longest(31, u'n'), tooLong(32, u'n');
    const std::pair<HRESULT, HRESULT> results[] = {
        // elements need exclusive sharing
        {STG_E_INVALIDFUNCTION, open(u"data", STGM_READWRITE | STGM_SHARE_DENY_WRITE)},
        {STG_E_INVALIDFUNCTION, open(u"data", STGM_READWRITE)},
        {STG_E_INVALIDFUNCTION, create(u"x", STGM_READWRITE | STGM_SHARE_DENY_NONE)},
        {STG_E_INVALIDFUNCTION, openStorage(u"Folder", STGM_READWRITE | STGM_TRANSACTED)},
        {STG_E_INVALIDFUNCTION, r->CreateStorage(u"y", STGM_READWRITE, 0, 0, &g)},
        // names: at most 31 units, none of / \ : !, control characters allowed
        {S_OK, create(longest.c_str())},
        {STG_E_INVALIDNAME, create(tooLong.c_str())},
        {STG_E_INVALIDNAME, create(u"a/b")},
        {STG_E_INVALIDNAME, create(u"a\\b")},
        {STG_E_INVALIDNAME, create(u"a:b")},
        {STG_E_INVALIDNAME, create(u"a!b")},
        {STG_E_INVALIDNAME, create(u"")},
        {STG_E_INVALIDPOINTER, create(nullptr)},
        {S_OK, create(u"\x05SummaryInformation")},
        {STG_E_FILENOTFOUND, open(u"missing")},
        {STG_E_FILENOTFOUND, openStorage(u"data", kElement)},
        // names collide without regard to case, beyond ASCII too
        {STG_E_FILEALREADYEXISTS, create(u"DATA", kElement)},
        {S_OK, create(u"straße")},
        {STG_E_FILEALREADYEXISTS, create(u"STRAßE", kElement)},
        {S_OK, create(u"ǆ")},
        {STG_E_FILEALREADYEXISTS, create(u"Ǆ", kElement)},
        // an open element can be neither opened again nor renamed until it is let go
        {S_OK, open(u"Data", kElement, std::addressof(held))},
        {STG_E_ACCESSDENIED, open(u"DATA")},
        {STG_E_ACCESSDENIED, r->RenameElement(u"data", u"other")},
        {S_OK, openStorage(u"Folder", kSubTransacted, std::addressof(heldStorage))},
        {STG_E_ACCESSDENIED, openStorage(u"folder", kSubTransacted)},
        {STG_E_ACCESSDENIED, r->RenameElement(u"Folder", u"Other")},
        {S_OK, (held.Reset(), heldStorage.Reset(), openStorage(u"folder", kSubTransacted))},
        {S_OK, (g.Reset(), open(u"data"))},
        // rename: onto another name fails, onto its own in another case works
        {S_OK, (s.Reset(), WriteStream(r, u"other", Pattern(3)))},
        {STG_E_FILEALREADYEXISTS, r->RenameElement(u"data", u"OTHER")},
        {STG_E_FILENOTFOUND, r->RenameElement(u"missing", u"x")},
        {STG_E_INVALIDNAME, r->RenameElement(u"data", u"a:b")},
        {S_OK, r->RenameElement(u"data", u"Renamed")},
        {S_OK, r->RenameElement(u"Renamed", u"RENAMED")},
    };
    for (std::size_t i = 0; i < std::size(results); ++i)
        EXPECT_EQ(results[i].second, results[i].first) << "call " << i;
    EXPECT_EQ(ReadStream(r, u"renamed"), Pattern(10));
    const Names names = ListElements(r);
    EXPECT_NE(std::find(names.begin(), names.end(), "RENAMED"), names.end());
}

TEST_F(ElementRulesTest, DestroyingAnOpenElementRevertsItsObject) {
    Ptr<IStorage> folder = Sub(u"Folder");
    Ptr<IStream> a, b;
    ASSERT_EQ(folder->OpenStream(u"A", nullptr, kElement, 0, &a), S_OK);
    ASSERT_EQ(m_root->DestroyElement(u"Folder"), S_OK);
    char byte = 0;
    EXPECT_EQ(a->Read(&byte, 1, nullptr), STG_E_REVERTED);
    STATSTG st{};
    EXPECT_EQ(folder->Stat(&st, STATFLAG_NONAME), STG_E_REVERTED);
    EXPECT_EQ(folder->CreateStream(u"B", kCreate, 0, 0, &b), STG_E_REVERTED);
    EXPECT_EQ(ListElements(m_root.get()), Names{"data"});
}

TEST_F(ElementRulesTest, CopyToMergesAndReplaces) {
    Ptr<IStorage> target = Sub(u"Target", kCreate);
    ASSERT_EQ(WriteStream(target.get(), u"data", Pattern(99, 9)), S_OK);
    ASSERT_EQ(WriteStream(target.get(), u"keep", Pattern(5, 5)), S_OK);
    ASSERT_EQ(WriteStream(Sub(u"folder", kCreate, target.get()).get(), u"B", Pattern(7)), S_OK);
    {
        // The destination may not lie below the source.
        Ptr<IStorage> source = Sub(u"Folder");
        EXPECT_EQ(source->CopyTo(0, nullptr, nullptr, Sub(u"Child", kCreate, source.get()).get()),
                  STG_E_ACCESSDENIED);
    }
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
    EXPECT_EQ(ListElements(target.get()), (Names{"data", "keep", "folder/"}));
    EXPECT_EQ(ReadStream(target.get(), u"data"), Pattern(10));
    EXPECT_EQ(ReadStream(target.get(), u"keep"), Pattern(5, 5));
    Ptr<IStorage> merged = Sub(u"Folder", kElement, target.get());
    EXPECT_EQ(ListElements(merged.get()), (Names{"A", "B", "Child/"}));
    EXPECT_EQ(ReadStream(merged.get(), u"A"), Pattern(20, 2));
}

// A/A holds streams A, B, C; copying A into the root merges A/A into A, where stream A
// replaces the very storage being copied from.
TEST_F(ElementRulesTest, CopyToAnAncestorWorksOnASnapshotOfTheSource) {
    {
        Ptr<IStorage> a = Sub(u"A", kCreate), aa = Sub(u"A", kCreate, a.get());
        for (const char16_t* name : {u"A", u"B", u"C"})
            ASSERT_EQ(WriteStream(aa.get(), name, Pattern(9, name[0])), S_OK);
    }
    Ptr<IStorage> a = Sub(u"A");
    ASSERT_EQ(a->CopyTo(0, nullptr, nullptr, m_root.get()), S_OK);
    EXPECT_EQ(ListElements(a.get()), (Names{"A", "B", "C"}));
    EXPECT_EQ(ReadStream(a.get(), u"C"), Pattern(9, u'C'));
}

TEST_F(ElementRulesTest, StreamReadWriteSeekSizeAndCopy) {
    Ptr<IStream> s, copy;
    ASSERT_EQ(m_root->OpenStream(u"data", nullptr, kElement, 0, &s), S_OK);
    ULARGE_INTEGER pos{};
    ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = 20}, STREAM_SEEK_SET, &pos), S_OK);
    ASSERT_EQ(s->Write("xy", 2, nullptr), S_OK); // beyond the end: zeros fill the gap
    EXPECT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = -1}, STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
    ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = -2}, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 20u);
    char buffer[8];
    ULONG got = 0;
    ASSERT_EQ(s->Read(buffer, 8, &got), S_OK);
    EXPECT_EQ(std::string(buffer, got), "xy");
    ASSERT_EQ(s->Read(buffer, 8, &got), S_OK); // at the end: nothing, and no error
    EXPECT_EQ(got, 0u);
    ASSERT_EQ(s->SetSize(ULARGE_INTEGER{.QuadPart = 4}), S_OK);
    ASSERT_EQ(s->SetSize(ULARGE_INTEGER{.QuadPart = 8}), S_OK); // grows with zeros
    Bytes expected = Pattern(4);
    expected.resize(8);
    ASSERT_EQ(m_root->CreateStream(u"copy", kCreate, 0, 0, &copy), S_OK);
    ASSERT_EQ(s->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_SET, nullptr), S_OK);
    ULARGE_INTEGER read{}, written{};
    ASSERT_EQ(s->CopyTo(copy.get(), ULARGE_INTEGER{.QuadPart = 100}, &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart + written.QuadPart, 16u);
    s.Reset();
    copy.Reset();
    EXPECT_EQ(ReadStream(m_root.get(), u"data"), expected);
    EXPECT_EQ(ReadStream(m_root.get(), u"copy"), expected);
}

TEST_F(ElementRulesTest, ReadOnlyOpensRefuseWrites) {
    Ptr<IStream> s, t;
    ASSERT_EQ(m_root->OpenStream(u"data", nullptr, kRead, 0, &s), S_OK);
    EXPECT_EQ(s->Write("x", 1, nullptr), STG_E_ACCESSDENIED);
    EXPECT_EQ(s->SetSize(ULARGE_INTEGER{.QuadPart = 0}), STG_E_ACCESSDENIED);
    Ptr<IStorage> g = Sub(u"Folder", kRead);
    EXPECT_EQ(g->DestroyElement(u"A"), STG_E_ACCESSDENIED);
    EXPECT_EQ(g->CreateStream(u"T", kCreate, 0, 0, &t), STG_E_ACCESSDENIED);
}

TEST_F(ElementRulesTest, EnumeratorSkipResetClone) {
    ASSERT_EQ(WriteStream(m_root.get(), u"b", Pattern(1)), S_OK);
    Ptr<IEnumSTATSTG> e, clone;
    ASSERT_EQ(m_root->EnumElements(0, nullptr, 0, &e), S_OK);
    STATSTG st[3];
    ULONG fetched = 0;
    auto name = [&](ULONG i) {
        const std::u16string n = st[i].pwcsName;
        CoTaskMemFree(st[i].pwcsName);
        return n;
    };
    EXPECT_EQ(e->Skip(1), S_OK);
    ASSERT_EQ(e->Clone(&clone), S_OK);
    ASSERT_EQ(e->Next(3, st, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(st[0].cbSize.QuadPart, 10u);
    EXPECT_EQ(name(0) + name(1), u"dataFolder");
    ASSERT_EQ(clone->Next(1, st, &fetched), S_OK);
    EXPECT_EQ(name(0), u"data");
    ASSERT_EQ(e->Reset(), S_OK);
    ASSERT_EQ(e->Next(1, st, &fetched), S_OK);
    EXPECT_EQ(st[0].type, STGTY_STREAM);
    EXPECT_EQ(name(0), u"b");
}

} // namespace
