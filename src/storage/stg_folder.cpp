#include "stg_folder.h"

#include <QSet>
#include <algorithm>

namespace {

// Orders names as _stricmp does on the platform for ASCII: unit by unit, with only 'A' to
// 'Z' folded to lower case (so '_' sorts before letters). Other UTF-16 units compare by
// value.
int CompareNoCase(const QString& a, const QString& b) {
    const auto lower = [](char16_t c) -> int {
        return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
    };
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = lower(a[i].unicode()) - lower(b[i].unicode());
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool OrdersAfter(const CStgElement& i, const CStgElement& j) {
    if (i.m_isStorage != j.m_isStorage)
        return !i.m_isStorage;
    return CompareNoCase(i.m_name, j.m_name) > 0;
}

} // namespace

CStgFolder::CStgFolder(IStorage* storage, const QString& filter, BOOL fullInformation)
    : CStgEnumerator(storage, filter, fullInformation) {}

CStgFolder::~CStgFolder() {
    for (auto& record : m_records)
        record.reset();
}

BOOL CStgFolder::Fill() {
    QSet<QString> listed;
    BOOL more = First();
    while (more) {
        more = Next();
        // An enumerator that comes back to a name already listed has started over.
        if (listed.contains(m_name))
            break;
        listed.insert(m_name);
        m_records.push_back(std::make_unique<CStgElement>(m_name, m_stat, m_type == STGTY_STORAGE));
    }
    Sort();
    m_cursor = 0;
    return !m_records.empty();
}

// Storages first, then streams, each by name ignoring case. A stable sort: names equal but
// for case keep the order the storage gave them (a storage of ours never holds two).
// Thousands of children sort at once, where an exchange sort would take seconds.
void CStgFolder::Sort() {
    std::stable_sort(m_records.begin(), m_records.end(), [](const auto& a, const auto& b) {
        return OrdersAfter(*b, *a);
    });
}

BOOL CStgFolder::MoveNext() {
    ++m_cursor;
    return static_cast<int>(m_records.size()) > m_cursor;
}

QString CStgFolder::GetName() const {
    return Current().m_name;
}

STATSTG* CStgFolder::GetStat(STATSTG* out) const {
    *out = Current().m_stat;
    return out;
}

BOOL CStgFolder::IsStorage() const {
    return Current().m_isStorage;
}

BOOL CStgFolder::IsStream() const {
    return !Current().m_isStorage;
}
