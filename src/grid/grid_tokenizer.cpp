// The fields and lines of pasted text.
#include "grid_tokenizer.h"

CGridTokenizer::CGridTokenizer(QStringView text, const QString& separator)
    : m_rest(text), m_stops(separator + u'\n') {}

QStringView CGridTokenizer::Next(Delimiter* pDelimiter) {
    for (qsizetype i = 0; i < m_rest.size(); ++i)
        if (m_stops.contains(m_rest[i])) {
            const QStringView token = m_rest.first(i);
            *pDelimiter = m_rest[i] == u'\n' ? Line : Field;
            m_rest = m_rest.sliced(i + 1);
            return token;
        }
    const QStringView token = m_rest;
    *pDelimiter = End;
    m_rest = {};
    return token;
}
