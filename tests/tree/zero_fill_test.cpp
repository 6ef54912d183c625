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
    void longRunIsWrittenInBoundedPieces() {
        ScriptedStream stream;
        QCOMPARE(WriteZeros(&stream, 300000), S_OK);
        QCOMPARE(stream.total, ULONGLONG{300000});
        QVERIFY(stream.allZero);
        QCOMPARE(stream.sizes.size(), std::size_t{5});
        for (ULONG size : stream.sizes)
            QVERIFY(size <= 64 * 1024);
    }

    void shortWritesAreFollowedUp() {
        ScriptedStream stream;
        stream.accept = 1000;
        QCOMPARE(WriteZeros(&stream, 2500), S_OK);
        QCOMPARE(stream.total, ULONGLONG{2500});
        QCOMPARE(stream.sizes, (std::vector<ULONG>{2500, 1500, 500}));
    }

    void failingWriteEndsTheRunWithItsError() {
        ScriptedStream stream;
        stream.failAfter = 2;
        stream.failure = STG_E_MEDIUMFULL;
        QCOMPARE(WriteZeros(&stream, ULONGLONG{4} << 30), STG_E_MEDIUMFULL);
        QCOMPARE(stream.sizes.size(), std::size_t{2});
    }

    void writeOfNothingEndsTheRunAsAWriteFault() {
        ScriptedStream stream;
        stream.failAfter = 1;
        stream.failure = S_OK;
        QCOMPARE(WriteZeros(&stream, ULONGLONG{4} << 30), STG_E_WRITEFAULT);
        QCOMPARE(stream.sizes.size(), std::size_t{1});
    }

    void nothingToWriteWritesNothing() {
        ScriptedStream stream;
        QCOMPARE(WriteZeros(&stream, 0), S_OK);
        QVERIFY(stream.sizes.empty());
    }
};

QTEST_MAIN(ZeroFillTest)
#include "zero_fill_test.moc"
