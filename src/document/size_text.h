// How the stream dialogs write and read 64-bit sizes and positions.
#pragma once

#include <QString>

#include "ole_types.h"

// Decimal digits without grouping.
QString DecimalText(ULONGLONG value);
// Always 16 upper-case hexadecimal digits.
QString HexText(ULONGLONG value);
// Megabytes with six decimals, cut (never rounded up into the whole megabytes).
QString MegabyteText(ULONGLONG value);
// Leading blanks, an optional sign, then digits up to the first other character; a minus
// gives the two's complement, as the platform's 64-bit atoi does.
ULONGLONG DecimalValue(const QString& text);
// The hexadecimal digits of text (already filtered); 0 for an empty text.
ULONGLONG HexValue(const QString& text);
