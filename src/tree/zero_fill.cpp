#include "zero_fill.h"

#include "progress.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::size_t kZeroChunk = 64 * 1024;
} // namespace

HRESULT WriteZeros(IStream* stream, ULONGLONG count, CProgress* progress) {
    static const std::array<BYTE, kZeroChunk> zeros{};
    const ULONGLONG total = count;
    while (count > 0) {
        const auto chunk = static_cast<ULONG>(std::min<ULONGLONG>(count, zeros.size()));
        ULONG written = 0;
        const HRESULT hr = stream->Write(zeros.data(), chunk, &written);
        if (FAILED(hr))
            return hr;
        if (written == 0)
            return STG_E_WRITEFAULT;
        count -= std::min<ULONGLONG>(written, count);
        if (progress && !progress->SetValue(static_cast<qint64>(total - count)))
            return E_ABORT;
    }
    return S_OK;
}
