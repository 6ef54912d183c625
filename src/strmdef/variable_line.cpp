#include "variable_line.h"

#include <limits>

#include "cp932.h"
#include "type_def.h"
#include "val_def.h"
#include "val_edit_texts.h"

namespace {

QString Text(const QByteArray& bytes) {
    return FromCp932(bytes, kValEditNoCharacter);
}

} // namespace

QString VariableLineText(const CValDef& member) {
    QString line = member.GetType() ? Text(member.GetType()->m_strName) : QString();
    if (member.m_bPointer)
        line += u'*';
    line += u'\t' + Text(member.m_strName);
    if (member.m_bArray)
        line += u'[' + ArraySizeText(member) + u']';
    line += u';';
    if (!member.m_strComment.isEmpty())
        line += u'\t' + Text(member.m_strComment);
    return line;
}

QString ArraySizeText(const CValDef& member) {
    return member.m_bCountByName ? Text(member.m_strCountName) : QString::number(member.m_nCount);
}

bool ApplyArraySize(const QString& text, CValDef& member) {
    const QString size = text.trimmed();
    if (!size.isEmpty() && size[0] >= u'0' && size[0] <= u'9') {
        // A leading digit makes it a count: "12abc" or a count past 32 bits would be read as
        // some other number than the one the user meant.
        bool ok = false;
        const qlonglong count = size.toLongLong(&ok, 10);
        if (!ok || count < 1 || count > std::numeric_limits<std::int32_t>::max())
            return false;
        member.m_nCount = static_cast<std::int32_t>(count);
        member.m_bCountByName = 0;
        member.m_strCountName.clear();
        return true;
    }
    const std::optional<QByteArray> name = ToCp932(size);
    if (!name)
        return false;
    member.m_nCount = 0;
    member.m_bCountByName = 1;
    member.m_strCountName = *name;
    return true;
}
