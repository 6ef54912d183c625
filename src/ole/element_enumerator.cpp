#include "element_enumerator.h"

#include <new>
#include <vector>

#include "com_object.h"
#include "element_stat.h"
#include "storage_api.h"

namespace {

// The elements as they stood; clones share it.
struct Snapshot {
    std::vector<STATSTG> records; // names left out
    std::vector<std::u16string> names;
};

class ElementEnumerator final : public ComObject<IEnumSTATSTG> {
public:
    explicit ElementEnumerator(std::shared_ptr<const Snapshot> snapshot, std::size_t next = 0)
        : m_snapshot(std::move(snapshot)), m_next(next) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_IEnumSTATSTG});
    }

    HRESULT Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) override {
        if (!rgelt || (celt != 1 && !pceltFetched))
            return STG_E_INVALIDPOINTER;
        ULONG fetched = 0;
        while (fetched < celt && m_next < m_snapshot->records.size()) {
            STATSTG record = m_snapshot->records[m_next];
            record.pwcsName = CopyToTaskMemory(m_snapshot->names[m_next]);
            if (!record.pwcsName)
                break;
            rgelt[fetched++] = record;
            ++m_next;
        }
        if (pceltFetched)
            *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }

    HRESULT Skip(ULONG celt) override {
        const std::size_t left = m_snapshot->records.size() - m_next;
        m_next += std::min<std::size_t>(celt, left);
        return celt <= left ? S_OK : S_FALSE;
    }

    HRESULT Reset() override {
        m_next = 0;
        return S_OK;
    }

    HRESULT Clone(IEnumSTATSTG** ppenum) override {
        if (!ppenum)
            return STG_E_INVALIDPOINTER;
        *ppenum = new (std::nothrow) ElementEnumerator(m_snapshot, m_next);
        return *ppenum ? S_OK : STG_E_INSUFFICIENTMEMORY;
    }

private:
    std::shared_ptr<const Snapshot> m_snapshot;
    std::size_t m_next;
};

} // namespace

HRESULT CreateElementEnumerator(const ElementNode& storage, IEnumSTATSTG** ppenum) {
    try {
        auto snapshot = std::make_shared<Snapshot>();
        snapshot->records.reserve(storage.children.size());
        snapshot->names.reserve(storage.children.size());
        for (const auto& [name, child] : storage.children) {
            STATSTG record;
            FillElementStat(*child, 0, STATFLAG_NONAME, &record);
            snapshot->records.push_back(record);
            snapshot->names.push_back(child->name);
        }
        *ppenum = new ElementEnumerator(std::move(snapshot));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
}
