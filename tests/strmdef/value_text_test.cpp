// The value texts of the typed value view: every base type at its boundaries in decimal and
// hexadecimal, char arrays as CP932 text, and what defines, defines of themselves included, show.
#include <gtest/gtest.h>

#include "strmdef_builders.h"
#include "type_sizes.h"
#include "value_text.h"

namespace {

QString BaseText(int id, const char* bytes, bool hex) {
    const QByteArray data = QByteArray::fromHex(bytes);
    return BaseValueText(id, reinterpret_cast<const unsigned char*>(data.constData()), hex);
}

// Type id, little-endian bytes in hex, decimal text, hexadecimal text (null: as in decimal).
const std::tuple<int, const char*, const char*, const char*> kBaseCases[] = {
    {0, "00000080", "-2147483648", "80000000"},
    {1, "ffffffff", "4294967295", "FFFFFFFF"},
    {2, "feffffff", "-2", "FFFFFFFE"},
    {2, "01000000", "1", "00000001"},
    {3, "ffffffff", "4294967295", "FFFFFFFF"},
    {4, "ffff7f7f", "340282346638528859811704183484516925440.000000", nullptr},
    {4, "0000c07f", "nan", "nan"},
    {4, "000080ff", "-inf", "-inf"},
    {5, "000000000000f07f", "inf", "inf"},
    {5, "9a9999999999b9bf", "-0.100000", "-0.100000"},
    {6, "0000000000000440", "2.500000", "2.500000"},
    {7, "ff", "-1", "FF"},
    {8, "ff", "255", "FF"},
    {9, "0080", "-32768", "8000"},
    {10, "ffff", "65535", "FFFF"},
    // The sized types stay decimal in both bases.
    {11, "80", "-128", "-128"},
    {12, "ff", "255", "255"},
    {13, "0080", "-32768", "-32768"},
    {14, "ffff", "65535", "65535"},
    {15, "00000080", "-2147483648", "-2147483648"},
    {16, "ffffffff", "4294967295", "4294967295"},
    {17, "0000000000000080", "-9223372036854775808", "-9223372036854775808"},
    {18, "ffffffffffffffff", "18446744073709551615", "18446744073709551615"},
};

TEST(ValueText, BaseTypesAtTheirBoundaries) {
    for (const auto& [id, bytes, decimal, hex] : kBaseCases) {
        EXPECT_EQ(BaseText(id, bytes, false), QString::fromLatin1(decimal)) << id;
        EXPECT_EQ(BaseText(id, bytes, true), QString::fromLatin1(hex ? hex : decimal)) << id;
    }
    const QString max = BaseText(5, "ffffffffffffef7f", false); // 309 digits
    EXPECT_TRUE(max.startsWith(QStringLiteral("17976931348623157")) && max.size() == 316);
}

// Char arrays show CP932 text to the first zero, other arrays their first element and defines
// what they define; an array of no elements and (in a damaged file) a define of itself show
// nothing.
TEST(ValueText, ArraysAndDefines) {
    CStrmDef def;
    const auto base = [&](int id) { return def.m_aTypes[id].get(); };
    const auto text = [&](CTypeDef* type, int count, const QByteArray& bytes, bool hex = false) {
        const ValuePlan plan = PlanValue(*Var(type, {}, count), nullptr, CTypeSizes(def.m_aTypes));
        EXPECT_LE(plan.bytes, std::uint64_t(bytes.size()));
        return ValueText(plan, bytes, hex);
    };
    const QByteArray chars = QByteArray::fromHex("82a041094200") + QByteArray(2000, 'x');
    EXPECT_EQ(text(base(7), 6, chars), QString::fromUtf16(u"あA\uFF65B"));
    EXPECT_EQ(text(base(8), 3, chars), QString::fromUtf16(u"あA"));
    // A text longer than the view reads shows that it was cut.
    EXPECT_EQ(text(base(7), 100000, QByteArray(1024, 'x')), QString(1024, u'x') + u'…');
    EXPECT_EQ(text(base(9), 3, QByteArray::fromHex("feff")), QStringLiteral("-2"));
    EXPECT_EQ(text(base(0), -1, QByteArray()), QString());

    const QByteArray abcd = QByteArray::fromHex("4142434445");
    Member(AddType(def, "NAME", KIND_DEFINE), base(7), {}, 4); // 19: char[4]
    Member(AddType(def, "WORD", KIND_DEFINE), base(10));       // 20: unsigned short
    Member(AddType(def, "ALIAS", KIND_DEFINE), base(20));      // 21: WORD
    CTypeDef* self = AddType(def, "SELF", KIND_DEFINE);
    Member(self, self);
    EXPECT_EQ(text(base(19), 0, abcd), QStringLiteral("ABCD"));
    EXPECT_EQ(text(base(21), 0, abcd, true), QStringLiteral("4241"));
    EXPECT_EQ(text(base(21), 2, abcd), QStringLiteral("16961"));
    EXPECT_EQ(text(self, 0, abcd), QString());
}

} // namespace
