// A storage of the test's own making: it lists whatever elements the test gives it, in the
// given order and as often as given (repeats and names equal but for case included, which a
// compound file cannot hold), and fails the opens and Stat calls the test asks it to. Only
// what the folder calls does anything.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ole_interfaces.h"
#include "storage_api.h"

struct FakeEntry {
    std::u16string name;
    DWORD type = STGTY_STREAM;
    ULONGLONG size = 0;
};

// A STATSTG as the platform fills it, with the name in task memory.
inline STATSTG MakeStat(const FakeEntry& entry, ULONGLONG size) {
    const std::size_t bytes = (entry.name.size() + 1) * sizeof(OLECHAR);
    STATSTG stat{};
    stat.pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    std::memcpy(stat.pwcsName, entry.name.c_str(), bytes);
    stat.type = entry.type;
    stat.cbSize.QuadPart = size;
    return stat;
}

// Counts its references and calls Gone() at the last release.
template <class Interface> class Counted : public Interface {
public:
    ULONG refs = 1;
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        if (--refs == 0)
            Gone();
        return refs;
    }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }

protected:
    virtual void Gone() {}
};

class FakeStorage;

class FakeEnumerator final : public Counted<IEnumSTATSTG> {
public:
    explicit FakeEnumerator(FakeStorage& storage);
    HRESULT Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) override;
    HRESULT Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT Reset() override {
        m_next = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumSTATSTG**) override { return E_NOTIMPL; }

private:
    void Gone() override;
    FakeStorage& m_storage;
    std::size_t m_next = 0;
};

// An opened stream: answers Stat with more than the listing says, so tests can tell whose
// statistics they see.
class FakeStream final : public Counted<IStream> {
public:
    static constexpr ULONGLONG kOwnSizeExtra = 1000;
    FakeStream(FakeStorage& parent, FakeEntry self, HRESULT statResult)
        : m_parent(parent), m_self(std::move(self)), m_statResult(statResult) {}
    HRESULT Stat(STATSTG* pstatstg, DWORD) override {
        if (SUCCEEDED(m_statResult))
            *pstatstg = MakeStat(m_self, m_self.size + kOwnSizeExtra);
        return m_statResult;
    }
    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT Revert() override { return E_NOTIMPL; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    void Gone() override;
    FakeStorage& m_parent;
    FakeEntry m_self;
    HRESULT m_statResult;
};

class FakeStorage final : public Counted<IStorage> {
public:
    explicit FakeStorage(std::vector<FakeEntry> listing = {}) : listing(std::move(listing)) {}

    std::vector<FakeEntry> listing; // what EnumElements hands out, in order
    HRESULT enumResult = S_OK;
    std::map<std::u16string, HRESULT> openFailures; // by name
    std::map<std::u16string, HRESULT> statFailures; // Stat of the opened element, by name
    int liveEnumerators = 0;
    int liveOpened = 0;
    int opens = 0;
    DWORD lastOpenMode = 0;

    HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** ppenum) override {
        *ppenum = SUCCEEDED(enumResult) ? new FakeEnumerator(*this) : nullptr;
        return enumResult;
    }
    HRESULT OpenStream(const OLECHAR* pwcsName, void*, DWORD grfMode, DWORD,
                       IStream** ppstm) override {
        *ppstm = nullptr;
        const HRESULT hr = Open(pwcsName, grfMode);
        if (SUCCEEDED(hr))
            *ppstm = new FakeStream(*this, {pwcsName, STGTY_STREAM, SizeOf(pwcsName)},
                                    StatResult(pwcsName));
        return hr;
    }
    HRESULT OpenStorage(const OLECHAR* pwcsName, IStorage*, DWORD grfMode, SNB, DWORD,
                        IStorage** ppstg) override {
        *ppstg = nullptr;
        const HRESULT hr = Open(pwcsName, grfMode);
        if (SUCCEEDED(hr)) {
            auto* storage = new FakeStorage;
            storage->m_parent = this;
            storage->m_self = {pwcsName, STGTY_STORAGE, SizeOf(pwcsName)};
            storage->m_selfStatResult = StatResult(pwcsName);
            *ppstg = storage;
        }
        return hr;
    }
    HRESULT Stat(STATSTG* pstatstg, DWORD) override {
        if (SUCCEEDED(m_selfStatResult))
            *pstatstg = MakeStat(m_self, m_self.size + FakeStream::kOwnSizeExtra);
        return m_selfStatResult;
    }

    // The folder never changes a storage: everything else refuses.
    HRESULT CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream**) override {
        return E_NOTIMPL;
    }
    HRESULT CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**) override {
        return E_NOTIMPL;
    }
    HRESULT CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
    HRESULT MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT Revert() override { return E_NOTIMPL; }
    HRESULT DestroyElement(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT RenameElement(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                            const FILETIME*) override {
        return E_NOTIMPL;
    }
    HRESULT SetClass(REFCLSID) override { return E_NOTIMPL; }
    HRESULT SetStateBits(DWORD, DWORD) override { return E_NOTIMPL; }

private:
    HRESULT Open(const OLECHAR* name, DWORD grfMode) {
        ++opens;
        lastOpenMode = grfMode;
        const auto failure = openFailures.find(name);
        if (failure != openFailures.end())
            return failure->second;
        ++liveOpened;
        return S_OK;
    }
    HRESULT StatResult(const OLECHAR* name) const {
        const auto failure = statFailures.find(name);
        return failure == statFailures.end() ? S_OK : failure->second;
    }
    ULONGLONG SizeOf(const OLECHAR* name) const {
        for (const FakeEntry& entry : listing)
            if (entry.name == name)
                return entry.size;
        return 0;
    }
    // A sub-storage this storage opened reports its last release and deletes itself.
    void Gone() override {
        if (m_parent) {
            --m_parent->liveOpened;
            delete this;
        }
    }

    FakeStorage* m_parent = nullptr;
    FakeEntry m_self;
    HRESULT m_selfStatResult = E_NOTIMPL;
};

inline FakeEnumerator::FakeEnumerator(FakeStorage& storage) : m_storage(storage) {
    ++m_storage.liveEnumerators;
}
inline HRESULT FakeEnumerator::Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) {
    ULONG fetched = 0;
    for (; fetched < celt && m_next < m_storage.listing.size(); ++fetched, ++m_next)
        rgelt[fetched] = MakeStat(m_storage.listing[m_next], m_storage.listing[m_next].size);
    if (pceltFetched)
        *pceltFetched = fetched;
    return fetched == celt ? S_OK : S_FALSE;
}
inline void FakeEnumerator::Gone() {
    --m_storage.liveEnumerators;
    delete this;
}
inline void FakeStream::Gone() {
    --m_parent.liveOpened;
    delete this;
}
