#include "stg_folder.h"

#include <QSet>
#include <algorithm>

#include "cp932.h"

namespace {

// How the platform's _stricmp orders a name: over its code-page-932 bytes, each ASCII
// letter byte folded to lower case (trail bytes of double-byte characters too). A name
// with no CP932 form has no such key and orders after every name that has one.
struct NameKey {
    explicit NameKey(const QString& name) : utf16(name) {
        if (std::optional<QByteArray> bytes = ToCp932(name)) {
            hasCp932 = true;
            cp932 = bytes->toLower(); // folds ASCII letters only
        }
    }
    QString utf16;
    QByteArray cp932;
    bool hasCp932 = false;
};

// Names without a CP932 form, among themselves: by UTF-16 unit, ASCII letters folded.
int CompareUtf16NoCase(const QString& a, const QString& b) {
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

int CompareNoCase(const NameKey& a, const NameKey& b) {
    if (a.hasCp932 != b.hasCp932)
        return a.hasCp932 ? -1 : 1;
    if (!a.hasCp932)
        return CompareUtf16NoCase(a.utf16, b.utf16);
    return a.cp932.compare(b.cp932);
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
// for case keep the order the storage gave them, as the exchange sort of the platform's
// program never swaps them. Thousands of children sort at once, where an exchange sort
// would take seconds; each name's key is made once, not at every comparison.
void CStgFolder::Sort() {
    std::vector<std::pair<NameKey, std::unique_ptr<CStgElement>>> keyed;
    keyed.reserve(m_records.size());
    for (auto& record : m_records)
        keyed.emplace_back(NameKey(record->m_name), std::move(record));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.second->m_isStorage != b.second->m_isStorage)
            return bool(a.second->m_isStorage);
        return CompareNoCase(a.first, b.first) < 0;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        m_records[i] = std::move(keyed[i].second);
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
