// Stream definitions as files: the .stm bytes, the counted-string forms, CP932 names, damaged
// files, and the sizes of types, recursive ones included.
#include <QBuffer>
#include <gtest/gtest.h>

#include "archive.h"
#include "cp932.h"
#include "strmdef_builders.h"
#include "type_sizes.h"

namespace {

QByteArray Save(CStrmDef& def) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    def.Serialize(ar);
    return bytes;
}

bool Load(QByteArray bytes, CStrmDef& def) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    def.Serialize(ar);
    return !ar.IsFailed();
}

// Saves def, reopens the bytes into read and checks that saving again writes the same bytes.
QByteArray RoundTrip(CStrmDef& def, CStrmDef& read) {
    const QByteArray bytes = Save(def);
    EXPECT_TRUE(Load(bytes, read));
    EXPECT_EQ(Save(read), bytes);
    return bytes;
}

// struct S { int a; }; S s[4];
const QByteArray kExample = QByteArray::fromHex("01000000 01000000 0153 01000000 01000000"
                                                "00000000 00000000 0161 00000000 00000000"
                                                "00000000 00 00 01000000"
                                                "13000000 00000000 0173 01000000 04000000"
                                                "00000000 00 00");

// The example with the type ids of its member and its layout variable replaced.
QByteArray WithIds(const char* member, const char* layout) {
    return QByteArray(kExample)
        .replace(kExample.size() - 52, 4, QByteArray::fromHex(member))
        .replace(kExample.size() - 24, 4, QByteArray::fromHex(layout));
}

} // namespace

// Known ids link to their types; ids at or above the list's size become nameless types, one
// per id, and are written back.
TEST(StmFile, DefinitionsWriteTheirBytesAndReadBackLinked) {
    CStrmDef empty, emptyRead, def, read, unknown, unknownRead;
    EXPECT_EQ(RoundTrip(empty, emptyRead), QByteArray::fromHex("010000000000000000000000"));
    Member(AddType(def, "S"), def.m_aTypes[0].get(), "a");
    def.m_aLayout.push_back(Var(def.m_aTypes[19].get(), "s", 4));
    EXPECT_EQ(RoundTrip(def, read), kExample);
    ASSERT_EQ(read.m_aTypes.size(), 20u);
    EXPECT_EQ(read.m_aTypes[19]->GetRefCount(), 1);
    EXPECT_EQ(read.m_aTypes[0]->GetRefCount(), 1);

    ASSERT_TRUE(Load(WithIds("2a000000", "2a000000"), unknown));
    ASSERT_EQ(unknown.m_aTypes.size(), 21u);
    EXPECT_EQ(unknown.m_aTypes[20]->GetRefCount(), 2); // the member's and the layout's
    RoundTrip(unknown, unknownRead);
}

// The name's length prefix sits after the version and the type count.
TEST(StmFile, NamesUseTheirLengthFormsAndStayCp932) {
    const std::pair<QByteArray, const char*> cases[] = {
        {QByteArray(254, 'n'), "fe"},
        {QByteArray(255, 'n'), "ffff00"},
        {QByteArray(0xFFFD, 'n'), "fffdff"},
        {QByteArray(0xFFFE, 'n'), "ffffffFEFF0000"},
        {QByteArray(70000, 'n'), "ffffff70110100"},
        {*ToCp932(u"構造体ｱ"), "07 8d5c91a291ccb1"}};
    for (const auto& [name, prefix] : cases) {
        CStrmDef def, read;
        AddType(def, name);
        const QByteArray expected = QByteArray::fromHex(prefix);
        EXPECT_EQ(RoundTrip(def, read).mid(8, expected.size()), expected) << prefix;
        EXPECT_EQ(read.m_aTypes.at(19)->m_strName, name) << prefix;
    }
}

TEST(StmFile, DamagedFilesAreRefusedAndLeaveTheBaseTypes) {
    QList<QByteArray> damaged;
    for (int length = 0; length < kExample.size(); ++length)
        damaged << kExample.left(length);
    for (const int at : {4, 14, int(kExample.size()) - 24 - 4}) // U, M and V
        damaged << QByteArray(kExample).replace(at, 4, QByteArray::fromHex("ffffff7f"));
    damaged << QByteArray(kExample).replace(8, 1, QByteArray::fromHex("ff")); // name past the end
    // The member's unknown id 42 lands at index 20; then the layout names 20, which no type has.
    damaged << WithIds("2a000000", "14000000");
    for (const QByteArray& bytes : damaged) {
        CStrmDef read;
        EXPECT_FALSE(Load(bytes, read)) << bytes.toHex().toStdString();
        EXPECT_EQ(read.m_aTypes.size(), 19u);
        EXPECT_TRUE(read.m_aLayout.empty());
        for (const auto& type : read.m_aTypes)
            EXPECT_EQ(type->GetRefCount(), 0);
    }
}

// A member that leads back to its own type (through a pointer, or a define of itself in a
// damaged file) takes no bytes.
TEST(TypeSizes, StructsDefinesArraysAndRecursion) {
    CStrmDef def;
    CTypeDef* s = AddType(def, "S"); // { double x[3]; S* next; char c; }
    Member(s, def.m_aTypes[5].get(), "x", 3);
    Member(s, s, "next", 0, true);
    Member(s, def.m_aTypes[7].get(), "c");
    CTypeDef* d = AddType(def, "D", KIND_DEFINE); // S[2]
    Member(d, s, "d", 2);
    CTypeDef* a = AddType(def, "A"); // A and B point at each other
    CTypeDef* b = AddType(def, "B");
    Member(a, b, "b", 0, true);
    Member(a, def.m_aTypes[9].get(), "y");
    Member(b, a, "a", 0, true);
    Member(b, s, "s");
    CTypeDef* self = AddType(def, "SELF", KIND_DEFINE);
    Member(self, self);
    CTypeDef* huge = AddType(def, "H");
    Member(huge, d, "h", 0x7FFFFFFF);
    Member(huge, huge, "self", 0x7FFFFFFF, true);

    const CTypeSizes sizes(def.m_aTypes);
    EXPECT_EQ(sizes.TypeSize(s), 25u);
    EXPECT_TRUE(sizes.IsRecursive(s, *s->m_aMember[1]));
    EXPECT_EQ(sizes.TypeSize(d), 50u);
    EXPECT_EQ(sizes.TypeSize(a), 2u);
    EXPECT_EQ(sizes.TypeSize(b), 25u);
    EXPECT_EQ(sizes.TypeSize(self), 0u);
    EXPECT_EQ(sizes.TypeSize(huge), 50ull * 0x7FFFFFFF);
}

// Each type holds two of the one before: without sharing the work this would never end, and
// a chain this deep would overflow a recursive walk.
TEST(TypeSizes, DeepChainsEndAndSaturate) {
    CStrmDef def;
    for (int i = 0; i < 200000; ++i) {
        CTypeDef* previous = def.m_aTypes.back().get();
        CTypeDef* next = AddType(def, "T");
        Member(next, previous, "x");
        Member(next, previous, "y", 0, i % 2);
    }
    const CTypeSizes sizes(def.m_aTypes);
    EXPECT_EQ(sizes.TypeSize(def.m_aTypes[20].get()), 32u);
    EXPECT_EQ(sizes.TypeSize(def.m_aTypes.back().get()), ~std::uint64_t{0});
}
