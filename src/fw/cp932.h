// Text in code page 932, Shift-JIS as the platform extends it: the code page the program's
// names and files use where it meets that platform's conventions.
#pragma once

#include <QByteArray>
#include <QStringView>
#include <optional>

// The CP932 bytes of text; nothing when a character has no CP932 form.
std::optional<QByteArray> ToCp932(QStringView text);
