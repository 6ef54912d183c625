#include "stg_enumerator.h"

#include <QSet>
#include <string>

#include "report_stg_error.h"
#include "storage_api.h"

namespace {

// Unit for unit: QString::fromUtf16 would take a leading U+FEFF or U+FFFE for a byte-order
// mark, and the name would no longer find its element.
QString FromOleName(const OLECHAR* name) {
    if (!name)
        return QString();
    return QString(reinterpret_cast<const QChar*>(name),
                   static_cast<qsizetype>(std::char_traits<char16_t>::length(name)));
}

} // namespace

CStgEnumerator::CStgEnumerator(IStorage* storage, const QString& filter, BOOL fullInformation)
    : m_storage(storage), m_filter(filter), m_fullInformation(fullInformation) {
    if (m_storage)
        m_storage->AddRef();
}

CStgEnumerator::~CStgEnumerator() {
    Close();
}

void CStgEnumerator::Close() {
    if (m_enumerator)
        m_enumerator->Release();
    m_enumerator = nullptr;
    if (m_storage)
        m_storage->Release();
    m_storage = nullptr;
}

BOOL CStgEnumerator::First() {
    if (!m_storage)
        return FALSE;
    if (m_enumerator) {
        m_enumerator->Release();
        m_enumerator = nullptr;
    }
    const HRESULT hr = m_storage->EnumElements(0, nullptr, 0, &m_enumerator);
    if (FAILED(hr)) {
        m_enumerator = nullptr;
        ReportStgError(hr, STG_OP_ENUMELEMENTS);
        return FALSE;
    }
    m_enumerator->Reset();
    return Next();
}

BOOL CStgEnumerator::Next() {
    if (!m_enumerator)
        return FALSE;
    m_name = m_aheadName;
    m_type = m_aheadType;
    m_stat = m_aheadStat;

    QSet<QString> skipped; // an enumerator that cycles through skipped names must not hang us
    for (;;) {
        m_aheadStat = STATSTG{};
        ULONG fetched = 0;
        m_enumerator->Next(1, &m_aheadStat, &fetched);
        if (fetched == 0)
            return FALSE;
        if (m_fullInformation)
            ReadOwnStat();

        const QString name = FromOleName(m_aheadStat.pwcsName);
        const DWORD type = m_aheadStat.type;
        CoTaskMemFree(m_aheadStat.pwcsName);
        m_aheadStat.pwcsName = nullptr;

        // The look-ahead still describes the element fetched before this one, whether it
        // was handed out or skipped by the filter: meeting it again means the enumerator
        // has started over, and the walk ends with what has been gathered.
        const bool repeated = name == m_aheadName && type == m_aheadType;
        m_aheadName = name;
        m_aheadType = type;
        if (repeated)
            return FALSE;
        if (m_filter.isEmpty() || m_filter == name)
            return TRUE;
        if (skipped.contains(name))
            return FALSE;
        skipped.insert(name);
    }
}

STATSTG* CStgEnumerator::GetStat(STATSTG* out) const {
    *out = m_stat;
    return out;
}

// Opens the element just fetched and takes its own statistics in place of the enumerator's.
// The open takes the name as the enumerator returned it, so this runs before that name is
// converted and freed.
void CStgEnumerator::ReadOwnStat() {
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    if (m_aheadStat.type == STGTY_STORAGE) {
        IStorage* storage = nullptr;
        const HRESULT hr =
            m_storage->OpenStorage(m_aheadStat.pwcsName, nullptr, mode, nullptr, 0, &storage);
        if (FAILED(hr)) {
            ReportStgError(hr, STG_OP_OPENSTORAGE);
            return;
        }
        StatOpened(storage);
    } else {
        IStream* stream = nullptr;
        const HRESULT hr = m_storage->OpenStream(m_aheadStat.pwcsName, nullptr, mode, 0, &stream);
        if (FAILED(hr)) {
            ReportStgError(hr, STG_OP_OPENSTREAM);
            return;
        }
        StatOpened(stream);
    }
}

template <class Element> void CStgEnumerator::StatOpened(Element* element) {
    const STATSTG listed = m_aheadStat;
    m_aheadStat = STATSTG{};
    const HRESULT hr = element->Stat(&m_aheadStat, STATFLAG_DEFAULT);
    element->Release();
    if (FAILED(hr)) {
        ReportStgError(hr, STG_OP_STAT);
        // Keep what the enumerator said, so the element still has its name and type in the
        // list instead of a blank record.
        CoTaskMemFree(m_aheadStat.pwcsName);
        m_aheadStat = listed;
        return;
    }
    CoTaskMemFree(listed.pwcsName);
}
