// What callers may do with elements beyond what the edit fuzzer tries: names it does not pick,
// elements held open or destroyed, copies into an ancestor. (Case-blind collisions, beyond
// ASCII too, are the fuzzer's.)
#include <gtest/gtest.h>

#include <memory>

#include "test_support.h"

namespace {

using Names = std::vector<std::string>;

// A memory file of stream "data" (10 bytes) and storage "Folder" holding stream "A".
class ElementRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(WriteStream(m_root.get(), u"data", Pattern(10)), S_OK);
        ASSERT_EQ(WriteStream(Sub(m_root.get(), u"Folder", kCreate).get(), u"A", Pattern(20, 2)),
                  S_OK);
    }

    Ptr<FakeDisk> m_disk = FakeDisk::New();
    Ptr<IStorage> m_root = CreateRoot(m_disk.get());
};

// Each call on the root, in this order, answers as the platform does.
TEST_F(ElementRulesTest, CallsAnswerLikeThePlatform) {
    IStorage* r = m_root.get();
    Ptr<IStream> s, held;
    Ptr<IStorage> g, heldStorage;
    auto create = [&](const char16_t* name, DWORD mode = kCreate) {
        return r->CreateStream(name, mode, 0, 0, &s);
    };
    auto open = [&](const char16_t* name, DWORD mode = kRW, Ptr<IStream>* out = nullptr) {
        return r->OpenStream(name, nullptr, mode, 0, &(out ? *out : s));
    };
    auto openStorage = [&](const char16_t* name, DWORD mode, Ptr<IStorage>* out = nullptr) {
        return r->OpenStorage(name, nullptr, mode, nullptr, 0, &(out ? *out : g));
    };
    const std::pair<HRESULT, HRESULT> results[] = {
        {STG_E_INVALIDNAME, create(u"")},
        {STG_E_INVALIDPOINTER, create(nullptr)},
        // an open element can be neither opened again nor renamed until it is let go
        {S_OK, open(u"Data", kRW, std::addressof(held))},
        {STG_E_ACCESSDENIED, open(u"DATA")},
        {STG_E_ACCESSDENIED, r->RenameElement(u"data", u"other")},
        {S_OK, openStorage(u"Folder", kTransacted, std::addressof(heldStorage))},
        {STG_E_ACCESSDENIED, openStorage(u"folder", kTransacted)},
        {STG_E_ACCESSDENIED, r->RenameElement(u"Folder", u"Other")},
        {S_OK, (held.Reset(), heldStorage.Reset(), openStorage(u"folder", kTransacted))},
        {S_OK, (g.Reset(), open(u"data"))},
    };
    for (std::size_t i = 0; i < std::size(results); ++i)
        EXPECT_EQ(results[i].second, results[i].first) << "call " << i;
}

// Objects opened through an element answer STG_E_REVERTED once it is destroyed.
TEST_F(ElementRulesTest, DestroyingAnOpenElementRevertsItsObjects) {
    Ptr<IStorage> folder = Sub(m_root.get(), u"Folder");
    Ptr<IStream> a, b;
    ASSERT_EQ(folder->OpenStream(u"A", nullptr, kRW, 0, &a), S_OK);
    ASSERT_EQ(m_root->DestroyElement(u"Folder"), S_OK);
    char byte = 0;
    EXPECT_EQ(a->Read(&byte, 1, nullptr), STG_E_REVERTED);
    STATSTG st{};
    EXPECT_EQ(folder->Stat(&st, STATFLAG_NONAME), STG_E_REVERTED);
    EXPECT_EQ(folder->CreateStream(u"B", kCreate, 0, 0, &b), STG_E_REVERTED);
    EXPECT_EQ(ListElements(m_root.get()), Names{"data"});
}

// A/A holds streams A, B, C; copying A into the root merges A/A into A, where stream A
// replaces the very storage being copied from.
TEST_F(ElementRulesTest, CopyToAnAncestorWorksOnASnapshotOfTheSource) {
    {
        Ptr<IStorage> a = Sub(m_root.get(), u"A", kCreate), aa = Sub(a.get(), u"A", kCreate);
        for (const char16_t* name : {u"A", u"B", u"C"})
            ASSERT_EQ(WriteStream(aa.get(), name, Pattern(9, name[0])), S_OK);
    }
    Ptr<IStorage> a = Sub(m_root.get(), u"A");
    ASSERT_EQ(a->CopyTo(0, nullptr, nullptr, m_root.get()), S_OK);
    EXPECT_EQ(ListElements(a.get()), (Names{"A", "B", "C"}));
    EXPECT_EQ(ReadStream(a.get(), u"C"), Pattern(9, u'C'));
}

} // namespace
