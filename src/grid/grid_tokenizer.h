// Splits pasted text into fields and lines: a field ends at any character of the separator, a
// line at "\n". Nothing is quoted or escaped, so a carriage return before "\n" stays in the
// last field of its line.
#pragma once

#include <QString>
#include <QStringView>

class CGridTokenizer {
public:
    // What ended a token: a separator character, "\n", or the end of the text.
    enum Delimiter { Field, Line, End };

    // The text must outlive the tokenizer.
    CGridTokenizer(QStringView text, const QString& separator);
    // The next token, empty once the text is used up.
    QStringView Next(Delimiter* pDelimiter);

private:
    QStringView m_rest;
    QString m_stops;
};
