#include "value_text.h"

#include <QtEndian>
#include <algorithm>
#include <bit>

#include "base_types.h"
#include "cp932.h"
#include "type_def.h"
#include "type_sizes.h"
#include "val_def.h"
#include "val_edit_texts.h"

namespace {

constexpr int kChar = 7;
constexpr int kUnsignedChar = 8;

template <typename T> T Read(const unsigned char* bytes) {
    return qFromLittleEndian<T>(bytes);
}

QString Printf(const char* format, auto value) {
    return QString::asprintf(format, value);
}

QString CharArrayText(QByteArrayView bytes, bool cut) {
    const qsizetype end = bytes.indexOf('\0');
    QString text = FromCp932(end < 0 ? bytes : bytes.first(end), kValEditNoCharacter);
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = kValEditNoCharacter;
    if (cut && end < 0)
        text += u'…';
    return text;
}

} // namespace

ValuePlan PlanValue(const CValDef& variable, const CTypeDef* owner, const CTypeSizes& sizes) {
    if (owner && sizes.IsRecursive(owner, variable))
        return {};
    const CTypeDef* type = variable.GetType();
    bool array = variable.m_bArray != 0;
    std::int32_t count = variable.m_nCount;
    // A define shows its definition: with the variable's own count, unless the definition is
    // an array itself, whose count then governs (a define of char[8] shows text).
    while (type && type->m_nKind == KIND_DEFINE) {
        if (type->m_aMember.empty())
            return {};
        const CValDef& member = *type->m_aMember.front();
        if (sizes.IsRecursive(type, member))
            return {};
        if (member.m_bArray) {
            array = true;
            count = member.m_nCount;
        }
        type = member.GetType();
    }
    if (!type || type->m_nKind != KIND_BASE || type->m_nTypeId < 0 ||
        type->m_nTypeId >= kBaseTypeCount || (array && count <= 0))
        return {};
    const int id = type->m_nTypeId;
    if (array && (id == kChar || id == kUnsignedChar)) {
        const auto length = static_cast<std::uint64_t>(count);
        return {id, true, std::min(length, kMaxValueTextBytes), length > kMaxValueTextBytes};
    }
    return {id, false, static_cast<std::uint64_t>(kBaseTypes[id].size), false};
}

QString ValueText(const ValuePlan& plan, QByteArrayView bytes, bool hex) {
    if (plan.baseId < 0)
        return {};
    if (plan.text)
        return CharArrayText(bytes.first(static_cast<qsizetype>(plan.bytes)), plan.cut);
    return BaseValueText(plan.baseId, reinterpret_cast<const unsigned char*>(bytes.data()), hex);
}

QString BaseValueText(int baseId, const unsigned char* b, bool hex) {
    switch (baseId) {
    case 0:
        return hex ? Printf("%04X", Read<quint32>(b)) : Printf("%d", Read<qint32>(b));
    case 1:
        return Printf(hex ? "%04X" : "%u", Read<quint32>(b));
    case 2:
        return hex ? Printf("%08X", Read<quint32>(b)) : Printf("%d", Read<qint32>(b));
    case 3:
        return Printf(hex ? "%08X" : "%u", Read<quint32>(b));
    case 4:
        return Printf("%f", static_cast<double>(std::bit_cast<float>(Read<quint32>(b))));
    case 5:
    case 6: // the platform's long double is its double
        return Printf("%f", std::bit_cast<double>(Read<quint64>(b)));
    case 7:
        return hex ? Printf("%02X", unsigned{b[0]}) : Printf("%d", int{static_cast<qint8>(b[0])});
    case 8:
        return Printf(hex ? "%02X" : "%d", int{b[0]});
    case 9:
        return hex ? Printf("%04X", unsigned{Read<quint16>(b)})
                   : Printf("%d", int{Read<qint16>(b)});
    case 10:
        return Printf(hex ? "%04X" : "%u", unsigned{Read<quint16>(b)});
    // The sized types are always decimal.
    case 11:
        return QString::number(static_cast<qint8>(b[0]));
    case 12:
        return QString::number(b[0]);
    case 13:
        return QString::number(Read<qint16>(b));
    case 14:
        return QString::number(Read<quint16>(b));
    case 15:
        return QString::number(Read<qint32>(b));
    case 16:
        return QString::number(Read<quint32>(b));
    case 17:
        return QString::number(Read<qint64>(b));
    case 18:
        return QString::number(Read<quint64>(b));
    default:
        return {};
    }
}
