// The one-line declaration of a variable in the editors' lists: the type name, "*" for a
// pointer, a tab, the name, "[count]" or "[size name]" for an array, ";", then a tab and the
// comment when there is one.
#pragma once

#include <QString>

class CValDef;

QString VariableLineText(const CValDef& variable);
