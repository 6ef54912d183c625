// Text in code page 932, Shift-JIS as the platform extends it: the code page the program's
// names and files use where it meets that platform's conventions.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// The CP932 bytes of text; nothing when a character has no CP932 form.
std::optional<QByteArray> ToCp932(QStringView text);

// The text of CP932 bytes; each byte that starts no valid character (a lead byte without
// its trail byte, 0x80, 0xA0, 0xFD to 0xFF) becomes the replacement.
QString FromCp932(QByteArrayView bytes, QChar replacement);
