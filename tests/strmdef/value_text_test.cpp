// The value texts of the typed value view: every base type at its boundaries in decimal and
// hexadecimal, char arrays as CP932 text, and what defines, structs and members that lead back
// to their own type show.
#include <gtest/gtest.h>

#include "strm_def.h"
#include "type_def.h"
#include "type_sizes.h"
#include "val_def.h"
#include "value_text.h"

namespace {

struct BaseCase {
    int id;
    const char* bytes; // hex, little-endian
    const char* decimal;
    const char* hex;
};

const BaseCase kBaseCases[] = {
    {0, "ffffff7f", "2147483647", "7FFFFFFF"},
    {0, "00000080", "-2147483648", "80000000"},
    {0, "01000000", "1", "0001"},
    {1, "ffffffff", "4294967295", "FFFFFFFF"},
    {2, "feffffff", "-2", "FFFFFFFE"},
    {2, "01000000", "1", "00000001"},
    {3, "ffffffff", "4294967295", "FFFFFFFF"},
    {4, "0000c0bf", "-1.500000", "-1.500000"},
    {4, "ffff7f7f", "340282346638528859811704183484516925440.000000",
     "340282346638528859811704183484516925440.000000"},
    {4, "0000c07f", "nan", "nan"},
    {4, "000080ff", "-inf", "-inf"},
    {5, "000000000000f87f", "nan", "nan"},
    {5, "000000000000f07f", "inf", "inf"},
    {5, "9a9999999999b9bf", "-0.100000", "-0.100000"},
    {6, "0000000000000440", "2.500000", "2.500000"},
    {7, "ff", "-1", "FF"},
    {7, "7f", "127", "7F"},
    {8, "ff", "255", "FF"},
    {9, "0080", "-32768", "8000"},
    {9, "ffff", "-1", "FFFF"},
    {10, "ffff", "65535", "FFFF"},
    // The sized types stay decimal in both bases.
    {11, "80", "-128", "-128"},
    {12, "ff", "255", "255"},
    {13, "0080", "-32768", "-32768"},
    {14, "ffff", "65535", "65535"},
    {15, "00000080", "-2147483648", "-2147483648"},
    {15, "00000000", "0", "0"},
    {16, "ffffffff", "4294967295", "4294967295"},
    {17, "0000000000000080", "-9223372036854775808", "-9223372036854775808"},
    {17, "ffffffffffffff7f", "9223372036854775807", "9223372036854775807"},
    {18, "ffffffffffffffff", "18446744073709551615", "18446744073709551615"},
};

TEST(ValueText, BaseTypesAtTheirBoundaries) {
    for (const BaseCase& c : kBaseCases) {
        const QByteArray bytes = QByteArray::fromHex(c.bytes);
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        EXPECT_EQ(BaseValueText(c.id, data, false), QString::fromLatin1(c.decimal)) << c.id;
        EXPECT_EQ(BaseValueText(c.id, data, true), QString::fromLatin1(c.hex)) << c.id;
    }
    const QByteArray max = QByteArray::fromHex("ffffffffffffef7f");
    const QString text = BaseValueText(5, reinterpret_cast<const unsigned char*>(max.data()), 0);
    EXPECT_TRUE(text.startsWith(QStringLiteral("17976931348623157"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(".000000")));
}

class ValuePlans : public ::testing::Test {
protected:
    CTypeDef* Base(int id) { return m_def.m_aTypes[id].get(); }
    CTypeDef* AddType(const char* name, std::uint32_t kind) {
        m_def.m_aTypes.push_back(
            std::make_unique<CTypeDef>(name, int(m_def.m_aTypes.size()), kind));
        return m_def.m_aTypes.back().get();
    }
    static CValDef* Member(CTypeDef* owner, CTypeDef* type, int count = 0) {
        owner->m_aMember.push_back(std::make_unique<CValDef>());
        CValDef* member = owner->m_aMember.back().get();
        member->SetType(type);
        member->m_bArray = count > 0;
        member->m_nCount = count;
        return member;
    }
    static std::unique_ptr<CValDef> Var(CTypeDef* type, int count = 0) {
        auto variable = std::make_unique<CValDef>();
        variable->SetType(type);
        variable->m_bArray = count != 0;
        variable->m_nCount = count;
        return variable;
    }
    QString Text(const CValDef& variable, const QByteArray& bytes, bool hex = false,
                 const CTypeDef* owner = nullptr) {
        const CTypeSizes sizes(m_def.m_aTypes);
        const ValuePlan plan = PlanValue(variable, owner, sizes);
        EXPECT_LE(plan.bytes, std::uint64_t(bytes.size()));
        return ValueText(plan, bytes, hex);
    }

    CStrmDef m_def;
};

TEST_F(ValuePlans, CharArraysAreCp932TextToTheFirstZero) {
    const QByteArray bytes = QByteArray::fromHex("82a041094200") + QByteArray(2000, 'x');
    EXPECT_EQ(Text(*Var(Base(7), 6), bytes), QString::fromUtf16(u"あA\uFF65B"));
    EXPECT_EQ(Text(*Var(Base(8), 3), bytes), QString::fromUtf16(u"あA"));
    // A text longer than the view reads shows that it was cut.
    const QString cut = Text(*Var(Base(7), 100000), QByteArray(1024, 'x'));
    EXPECT_EQ(cut, QString(1024, u'x') + u'…');
    // Other arrays show their first element; an array of no elements shows nothing.
    EXPECT_EQ(Text(*Var(Base(9), 3), QByteArray::fromHex("feff")), QStringLiteral("-2"));
    EXPECT_EQ(Text(*Var(Base(0), -1), QByteArray()), QString());
}

TEST_F(ValuePlans, DefinesShowTheirDefinitionStructsNothing) {
    CTypeDef* name = AddType("NAME", KIND_DEFINE);
    Member(name, Base(7), 4);
    CTypeDef* word = AddType("WORD", KIND_DEFINE);
    Member(word, Base(10));
    CTypeDef* alias = AddType("ALIAS", KIND_DEFINE);
    Member(alias, word);
    CTypeDef* s = AddType("S", KIND_STRUCT);
    Member(s, Base(0));
    const QByteArray bytes = QByteArray::fromHex("4142434445");
    EXPECT_EQ(Text(*Var(name), bytes), QStringLiteral("ABCD"));
    EXPECT_EQ(Text(*Var(alias), bytes, true), QStringLiteral("4241"));
    EXPECT_EQ(Text(*Var(alias, 2), bytes), QStringLiteral("16961"));
    EXPECT_EQ(Text(*Var(s), bytes), QString());
}

// A type that holds itself through a pointer member, or (in a damaged file) a define of
// itself: the member that leads back shows no value and takes no bytes.
TEST_F(ValuePlans, MembersLeadingBackToTheirTypeShowNothing) {
    CTypeDef* node = AddType("Node", KIND_STRUCT);
    Member(node, Base(0));
    CValDef* next = Member(node, node);
    next->m_bPointer = 1;
    CTypeDef* self = AddType("SELF", KIND_DEFINE);
    Member(self, self);
    const CTypeSizes sizes(m_def.m_aTypes);
    EXPECT_EQ(sizes.TypeSize(node), 4u);
    EXPECT_EQ(PlanValue(*next, node, sizes).baseId, -1);
    EXPECT_EQ(sizes.VarSize(*next, node), 0u);
    EXPECT_EQ(Text(*Var(self), QByteArray(8, '\1')), QString());
}

} // namespace
