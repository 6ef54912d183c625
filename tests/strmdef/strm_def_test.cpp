// Stream definitions as files: the .stm bytes, the counted-string forms, CP932 names, damaged
// files, and the sizes of types, recursive ones included.
#include <QBuffer>
#include <gtest/gtest.h>

#include "archive.h"
#include "base_types.h"
#include "cp932.h"
#include "strm_def.h"
#include "type_def.h"
#include "type_sizes.h"
#include "val_def.h"

namespace {

QByteArray Save(CStrmDef& def) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    def.Serialize(ar);
    return bytes;
}

bool Load(const QByteArray& bytes, CStrmDef& def) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    def.Serialize(ar);
    return !ar.IsFailed();
}

CValDef* Var(CTypeDef* type, const char* name, int count = 0, bool pointer = false) {
    auto* variable = new CValDef;
    variable->SetType(type);
    variable->m_strName = name;
    variable->m_bArray = count > 0;
    variable->m_nCount = count;
    variable->m_bPointer = pointer;
    return variable;
}

CTypeDef* AddStruct(CStrmDef& def, const QByteArray& name, std::uint32_t kind = KIND_STRUCT) {
    def.m_aTypes.push_back(std::make_unique<CTypeDef>(name, int(def.m_aTypes.size()), kind));
    return def.m_aTypes.back().get();
}

void AddMember(CTypeDef* owner, CValDef* member) {
    owner->m_aMember.emplace_back(member);
}

// struct S { int a; }; S s[4];
void BuildExample(CStrmDef& def) {
    CTypeDef* s = AddStruct(def, "S");
    AddMember(s, Var(def.m_aTypes[0].get(), "a"));
    def.m_aLayout.emplace_back(Var(s, "s", 4));
}

const QByteArray kExample = QByteArray::fromHex("01000000 01000000 0153 01000000 01000000"
                                                "00000000 00000000 0161 00000000 00000000"
                                                "00000000 00 00 01000000"
                                                "13000000 00000000 0173 01000000 04000000"
                                                "00000000 00 00");

} // namespace

TEST(StmFile, NewDefinitionIsTheBaseTypesAndTwelveBytes) {
    CStrmDef def;
    ASSERT_EQ(def.m_aTypes.size(), 19u);
    for (int id = 0; id < kBaseTypeCount; ++id)
        EXPECT_EQ(def.m_aTypes[id]->m_nTypeId, id);
    EXPECT_EQ(def.m_aTypes[18]->m_strName, "unsigned __int64");
    EXPECT_EQ(Save(def), QByteArray::fromHex("010000000000000000000000"));
}

TEST(StmFile, StructExampleWritesItsBytesAndReadsBackLinked) {
    CStrmDef def;
    BuildExample(def);
    EXPECT_EQ(Save(def), kExample);

    CStrmDef read;
    ASSERT_TRUE(Load(kExample, read));
    ASSERT_EQ(read.m_aTypes.size(), 20u);
    CTypeDef* s = read.m_aTypes[19].get();
    EXPECT_EQ(s->m_aMember[0]->GetType(), read.m_aTypes[0].get());
    EXPECT_EQ(read.m_aLayout[0]->GetType(), s);
    EXPECT_EQ(s->GetRefCount(), 1);
    EXPECT_EQ(read.m_aTypes[0]->GetRefCount(), 1);
    EXPECT_EQ(Save(read), kExample);
}

// The name's length prefix sits after the version and the type count.
TEST(StmFile, LongNamesUseTheLongerLengthForms) {
    const std::pair<int, const char*> cases[] = {{254, "fe"},
                                                 {255, "ffff00"},
                                                 {0xFFFD, "fffdff"},
                                                 {0xFFFE, "ffffffFEFF0000"},
                                                 {70000, "ffffff70110100"}};
    for (const auto& [length, prefix] : cases) {
        CStrmDef def;
        AddStruct(def, QByteArray(length, 'n'));
        const QByteArray bytes = Save(def);
        const QByteArray expected = QByteArray::fromHex(prefix);
        EXPECT_EQ(bytes.mid(8, expected.size()), expected) << length;
        CStrmDef read;
        ASSERT_TRUE(Load(bytes, read)) << length;
        EXPECT_EQ(read.m_aTypes[19]->m_strName.size(), length);
        EXPECT_EQ(Save(read), bytes);
    }
}

TEST(StmFile, JapaneseNamesAreCp932OnDisk) {
    CStrmDef def;
    AddStruct(def, *ToCp932(u"構造体ｱ"));
    const QByteArray bytes = Save(def);
    EXPECT_EQ(bytes.mid(8, 8), QByteArray::fromHex("07 8d5c91a291ccb1"));
    CStrmDef read;
    ASSERT_TRUE(Load(bytes, read));
    EXPECT_EQ(read.m_aTypes[19]->m_strName, *ToCp932(u"構造体ｱ"));
}

// Ids no type has: at or above the list's size they become nameless types (one per id),
// below it the file is refused.
TEST(StmFile, UnknownTypeIds) {
    QByteArray bytes = kExample;
    bytes.replace(bytes.size() - 24, 4, QByteArray::fromHex("2a000000")); // layout: id 42
    bytes.replace(bytes.size() - 52, 4, QByteArray::fromHex("2a000000")); // member: id 42
    CStrmDef def;
    ASSERT_TRUE(Load(bytes, def));
    ASSERT_EQ(def.m_aTypes.size(), 21u);
    EXPECT_EQ(def.m_aTypes[20]->m_nTypeId, 20);
    EXPECT_EQ(def.m_aTypes[20]->GetRefCount(), 2);
    EXPECT_EQ(def.m_aLayout[0]->GetType(), def.m_aTypes[20].get());
    const QByteArray saved = Save(def);
    CStrmDef again;
    ASSERT_TRUE(Load(saved, again));
    EXPECT_EQ(Save(again), saved);

    // The member names 42, which lands at index 20; then the layout names 20, which no type has.
    bytes.replace(bytes.size() - 24, 4, QByteArray::fromHex("14000000"));
    EXPECT_FALSE(Load(bytes, def));
    EXPECT_EQ(def.m_aTypes.size(), 19u);
    EXPECT_TRUE(def.m_aLayout.empty());
}

TEST(StmFile, DamagedFilesAreRefusedAndLeaveTheBaseTypes) {
    CStrmDef def;
    BuildExample(def);
    CTypeDef* d = AddStruct(def, "D", KIND_DEFINE);
    AddMember(d, Var(def.m_aTypes[19].get(), "p", 0, true));
    def.m_aLayout.emplace_back(Var(d, "d", 2));
    const QByteArray valid = Save(def);

    QList<QByteArray> damaged;
    for (int length = 0; length < valid.size(); ++length)
        damaged << valid.left(length);
    for (const int at : {4, 14, int(valid.size()) - 2 * 24 - 4}) // U, M and V
        damaged << QByteArray(valid).replace(at, 4, QByteArray::fromHex("ffffff7f"));
    damaged << QByteArray(valid).replace(8, 1, QByteArray::fromHex("ff")); // name past the end
    for (const QByteArray& bytes : damaged) {
        CStrmDef read;
        EXPECT_FALSE(Load(bytes, read)) << bytes.toHex().toStdString();
        EXPECT_EQ(read.m_aTypes.size(), 19u);
        EXPECT_TRUE(read.m_aLayout.empty());
        for (const auto& type : read.m_aTypes)
            EXPECT_EQ(type->GetRefCount(), 0);
    }
}

TEST(TypeSizes, StructsDefinesArraysAndRecursion) {
    CStrmDef def;
    CTypeDef* base = def.m_aTypes[5].get(); // double
    CTypeDef* s = AddStruct(def, "S");      // { double x[3]; S* next; char c; }
    AddMember(s, Var(base, "x", 3));
    AddMember(s, Var(s, "next", 0, true));
    AddMember(s, Var(def.m_aTypes[7].get(), "c"));
    CTypeDef* d = AddStruct(def, "D", KIND_DEFINE); // S[2]
    AddMember(d, Var(s, "d", 2));
    CTypeDef* a = AddStruct(def, "A"); // A and B point at each other
    CTypeDef* b = AddStruct(def, "B");
    AddMember(a, Var(b, "b", 0, true));
    AddMember(a, Var(def.m_aTypes[9].get(), "y"));
    AddMember(b, Var(a, "a", 0, true));
    AddMember(b, Var(s, "s"));
    CTypeDef* huge = AddStruct(def, "H"); // sizes past 64 bits stay at the largest value
    AddMember(huge, Var(d, "h", 0x7FFFFFFF));
    AddMember(huge, Var(huge, "self", 0x7FFFFFFF, true));
    AddMember(AddStruct(def, "G"), Var(huge, "g", 0x7FFFFFFF));

    const CTypeSizes sizes(def.m_aTypes);
    EXPECT_EQ(sizes.TypeSize(base), 8u);
    EXPECT_EQ(sizes.TypeSize(s), 25u);
    EXPECT_TRUE(sizes.IsRecursive(s, *s->m_aMember[1]));
    EXPECT_FALSE(sizes.IsRecursive(s, *s->m_aMember[0]));
    EXPECT_EQ(sizes.TypeSize(d), 50u);
    EXPECT_EQ(sizes.TypeSize(a), 2u);
    EXPECT_EQ(sizes.TypeSize(b), 25u);
    EXPECT_EQ(sizes.VarSize(*def.m_aLayout.emplace_back(Var(a, "v", 10))), 20u);
    EXPECT_EQ(sizes.TypeSize(huge), 50ull * 0x7FFFFFFF);
    EXPECT_EQ(sizes.TypeSize(def.m_aTypes.back().get()), ~std::uint64_t{0});
}

// Each type holds two of the one before: without sharing the work this would never end, and
// a chain this deep would overflow a recursive walk.
TEST(TypeSizes, DeepChainsEndAndSaturate) {
    CStrmDef def;
    for (int i = 0; i < 200000; ++i) {
        CTypeDef* previous = def.m_aTypes.back().get();
        CTypeDef* next = AddStruct(def, "T");
        AddMember(next, Var(previous, "x"));
        AddMember(next, Var(previous, "y", 0, i % 2));
    }
    const CTypeSizes sizes(def.m_aTypes);
    EXPECT_EQ(sizes.TypeSize(def.m_aTypes[20].get()), 32u);
    EXPECT_EQ(sizes.TypeSize(def.m_aTypes.back().get()), ~std::uint64_t{0});
}
