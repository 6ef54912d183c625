// Zeros are written in bounded pieces however long the run; a write that fails or writes
// nothing ends the run with its error at once instead of trying again.
#include <QtTest>
#include <algorithm>
#include <vector>

#include "zero_fill.h"

namespace {

// A stream that only counts writes: each write accepts up to `accept` bytes (all when 0)
// until `failAfter` writes have been made, then answers `failure`.
class ScriptedStream final : public IStream {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void* pv, ULONG cb, ULONG* written) override {
        if (static_cast<int>(sizes.size()) == failAfter) {
            *written = 0;
            return failure;
        }
        const auto* bytes = static_cast<const BYTE*>(pv);
        allZero = allZero && std::all_of(bytes, bytes + cb, [](BYTE b) { return b == 0; });
        sizes.push_back(cb);
        *written = accept && accept < cb ? accept : cb;
        total += *written;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT Revert() override { return E_NOTIMPL; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

    ULONG accept = 0;
    int failAfter = -1;
    HRESULT failure = S_OK;
    std::vector<ULONG> sizes;
    ULONGLONG total = 0;
    bool allZero = true;
};

} // namespace

class ZeroFillTest : public QObject {
    Q_OBJECT

private slots:
    void zerosGoInBoundedPiecesUntilDoneOrFailed() {
        const struct {
            ULONGLONG length;
            ULONG accept;
            int failAfter;
            HRESULT failure;
            HRESULT result;
            std::vector<ULONG> sizes; // empty: only counted
            std::size_t writes;
        } cases[] = {
            {300000, 0, -1, S_OK, S_OK, {}, 5},
            {2500, 1000, -1, S_OK, S_OK, {2500, 1500, 500}, 3}, // short writes followed up
            {ULONGLONG{4} << 30, 0, 2, STG_E_MEDIUMFULL, STG_E_MEDIUMFULL, {}, 2},
            {ULONGLONG{4} << 30, 0, 1, S_OK, STG_E_WRITEFAULT, {}, 1}, // wrote nothing
            {0, 0, -1, S_OK, S_OK, {}, 0},
        };
        for (const auto& c : cases) {
            ScriptedStream stream;
            stream.accept = c.accept;
            stream.failAfter = c.failAfter;
            stream.failure = c.failure;
            QCOMPARE(WriteZeros(&stream, c.length), c.result);
            QCOMPARE(stream.sizes.size(), c.writes);
            if (!c.sizes.empty())
                QCOMPARE(stream.sizes, c.sizes);
            if (c.result == S_OK)
                QCOMPARE(stream.total, c.length);
            QVERIFY(stream.allZero);
            for (ULONG size : stream.sizes)
                QVERIFY(size <= 64 * 1024);
        }
    }
};

QTEST_MAIN(ZeroFillTest)
#include "zero_fill_test.moc"
