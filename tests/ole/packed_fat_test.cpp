// The packed FAT against the plain table. Random tables and random builder steps are the
// fuzz_fat target's; this keeps the shape that once crashed it.
#include <gtest/gtest.h>

#include "cfb_format.h"
#include "packed_fat.h"

namespace {

// A fragmented front: the packed table gives way to plain entries inside a linking stretch.
TEST(PackedFat, TurnsPlainInTheMiddleOfAStretch) {
    PackedFat fat;
    std::vector<std::uint32_t> table;
    for (std::uint32_t s = 0; s < 2200 + 9000; s += 2) {
        const std::uint32_t count = s < 2200 ? 2 : 9000;
        fat.AppendStretch(count, cfb::ENDOFCHAIN, true);
        for (std::uint32_t i = 1; i < count; ++i)
            table.push_back(s + i);
        table.push_back(cfb::ENDOFCHAIN);
        s += count - 2;
    }
    ASSERT_EQ(fat.Size(), table.size());
    for (std::uint32_t s = 0; s < table.size(); ++s)
        ASSERT_EQ(fat.At(s), table[s]) << s;
}

} // namespace
