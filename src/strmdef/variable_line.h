// A variable (a member or a layout entry) as the editors list it, and its array size as the
// user types it.
#pragma once

#include <QString>

class CValDef;

// "type[*]\tname[[size]];[\tcomment]": the list's tab stop lines the names up.
QString VariableLineText(const CValDef& member);

// The size as the editor shows it: the size name, or the count.
QString ArraySizeText(const CValDef& member);

// Sets the count or the size name from text, trimmed. A text that starts with a digit is a
// count and must be a whole number from 1 up; anything else is a name. False, and member
// unchanged, for a count that is not one or a name with no CP932 form.
bool ApplyArraySize(const QString& text, CValDef& member);
