#include "variable_line.h"

#include "cp932.h"
#include "type_def.h"
#include "val_def.h"

namespace {

QString Text(const QByteArray& cp932) {
    return FromCp932(cp932, QChar::ReplacementCharacter);
}

} // namespace

QString VariableLineText(const CValDef& variable) {
    QString line = variable.GetType() ? Text(variable.GetType()->m_strName) : QString();
    if (variable.m_bPointer)
        line += u'*';
    line += u'\t' + Text(variable.m_strName);
    if (variable.m_bArray)
        line += u'[' +
                (variable.m_bCountByName ? Text(variable.m_strCountName)
                                         : QString::number(variable.m_nCount)) +
                u']';
    line += u';';
    if (!variable.m_strComment.isEmpty())
        line += u'\t' + Text(variable.m_strComment);
    return line;
}
