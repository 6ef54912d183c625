// The block behind an HGLOBAL: bytes that grow as a compound file is written into them.
#pragma once

#include <cstdint>
#include <vector>

struct GlobalBlock {
    std::vector<std::uint8_t> bytes;
    unsigned locks = 0;
};
