#include "size_text.h"

QString DecimalText(ULONGLONG value) {
    return QString::number(value);
}

QString HexText(ULONGLONG value) {
    return QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0')).toUpper();
}

QString MegabyteText(ULONGLONG value) {
    const QString fraction = QString::asprintf("%f", (value & 0xFFFFF) / 1048576.0);
    return DecimalText(value >> 20) + fraction.mid(1);
}

ULONGLONG DecimalValue(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace())
        ++at;
    const bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        ++at;
    ULONGLONG value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        value = value * 10 + (text[at].unicode() - u'0');
    return negative ? ~value + 1 : value;
}

ULONGLONG HexValue(const QString& text) {
    ULONGLONG value = 0;
    for (const QChar ch : text)
        value = value * 16 + static_cast<ULONGLONG>(QString(ch).toUInt(nullptr, 16));
    return value;
}
