#include "committed_chain.h"

#include <algorithm>
#include <cstring>

#include "cfb_format.h"
#include "file_image.h"

HRESULT CommittedChain::Read(std::uint64_t offset, void* buffer, std::size_t n) const {
    const unsigned shift = mini ? cfb::kMiniSectorShift : image->SectorShift();
    const std::uint64_t sectorSize = std::uint64_t{1} << shift;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (n > 0) {
        const std::uint64_t index = offset >> shift;
        const std::uint64_t within = offset & (sectorSize - 1);
        if (index >= sectors.Count())
            return STG_E_DOCFILECORRUPT;
        // Consecutive sectors are read with one call: big reads stay big.
        std::uint32_t run = 0;
        const std::uint32_t sector = sectors.At(static_cast<std::uint32_t>(index), &run);
        const std::uint64_t span = (std::uint64_t{run} << shift) - within;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(span, n));
        const std::uint64_t position = (std::uint64_t{sector} << shift) + within;
        HRESULT hr = mini ? miniStream->Read(position, out, take)
                          : image->ReadSectorBytes(position + sectorSize, out, take);
        if (FAILED(hr))
            return hr;
        out += take;
        offset += take;
        n -= take;
    }
    return S_OK;
}
