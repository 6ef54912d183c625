// The packed forms of the FAT and of chains answer exactly what the plain tables would, on
// tables that mix long stretches, single links, free space, table marks and damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "cfb_format.h"
#include "fat_builder.h"
#include "packed_fat.h"
#include "sector_runs.h"

namespace {

using cfb::ENDOFCHAIN;
using cfb::FATSECT;
using cfb::FREESECT;

// A FAT of chains laid out in pieces of random length, with gaps of free sectors and table
// marks, a chain that ends in a free entry and a cross-link: what real and damaged files hold.
std::vector<std::uint32_t> MixedTable(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> table;
    auto piece = [&](std::uint32_t length, std::uint32_t tail) {
        for (std::uint32_t i = 0; i + 1 < length; ++i)
            table.push_back(static_cast<std::uint32_t>(table.size() + 1));
        table.push_back(tail);
    };
    while (table.size() < 4000) {
        switch (random() % 6) {
        case 0:
            piece(1 + random() % 300, ENDOFCHAIN);
            break;
        case 1:
            table.insert(table.end(), 1 + random() % 40, FREESECT);
            break;
        case 2:
            table.insert(table.end(), 1 + random() % 5, FATSECT);
            break;
        case 3:
            piece(1 + random() % 3, static_cast<std::uint32_t>(random() % 5000));
            break;
        case 4:
            piece(2, FREESECT);
            break;
        default:
            table.push_back(static_cast<std::uint32_t>(table.size() + 1));
            break;
        }
    }
    return table;
}

PackedFat Packed(const std::vector<std::uint32_t>& table) {
    PackedFat fat;
    for (std::uint32_t value : table)
        fat.Append(value);
    return fat;
}

// A chain through shuffled sectors, and free sectors among them: a file cut into single
// sectors, which the packed table holds entry by entry.
std::vector<std::uint32_t> ShuffledTable(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> order(5000);
    for (std::uint32_t s = 0; s < order.size(); ++s)
        order[s] = s;
    std::shuffle(order.begin(), order.end(), random);
    std::vector<std::uint32_t> table(order.size(), FREESECT);
    for (std::size_t i = 0; i + 1000 < order.size(); ++i)
        table[order[i]] = i + 1001 < order.size() ? order[i + 1] : ENDOFCHAIN;
    return table;
}

TEST(PackedFat, AnswersLikeThePlainTable) {
    for (unsigned seed = 1; seed <= 22; ++seed) {
        const auto table = seed <= 20 ? MixedTable(seed) : ShuffledTable(seed);
        const PackedFat fat = Packed(table);
        const auto size = static_cast<std::uint32_t>(table.size());
        ASSERT_EQ(fat.Size(), size);
        std::uint32_t nextFree = size;
        for (std::uint32_t s = size; s-- > 0;) {
            ASSERT_EQ(fat.At(s), table[s]) << seed << " " << s;
            if (table[s] == FREESECT)
                nextFree = s;
            ASSERT_EQ(fat.NextFree(s), nextFree) << seed << " " << s;
            std::uint32_t next = 0;
            const std::uint32_t last = fat.Follow(s, &next);
            ASSERT_GE(last, s);
            for (std::uint32_t t = s; t < last; ++t)
                ASSERT_EQ(table[t], t + 1) << seed << " " << s;
            ASSERT_EQ(next, table[last]);
        }
        EXPECT_EQ(fat.At(size + 7), FREESECT);
        EXPECT_EQ(fat.NextFree(size + 7), size + 7);
        // Windows that start and end inside runs and reach past the end.
        std::vector<std::uint32_t> window(128);
        for (std::uint64_t from = 0; from < size + 64; from += 97) {
            fat.Copy(from, 128, window.data());
            for (std::uint64_t i = 0; i < 128; ++i)
                ASSERT_EQ(window[i], from + i < size ? table[from + i] : FREESECT);
        }
        std::vector<bool> free(size);
        fat.ForEachFreeRun([&](std::uint32_t first, std::uint32_t count) {
            for (std::uint32_t s = first; s < first + count; ++s)
                free[s] = true;
        });
        for (std::uint32_t s = 0; s < size; ++s)
            ASSERT_EQ(free[s], table[s] == FREESECT) << seed << " " << s;
    }
}

// A fragmented front: the packed table gives way to plain entries inside a linking stretch.
TEST(PackedFat, TurnsPlainInTheMiddleOfAStretch) {
    PackedFat fat;
    std::vector<std::uint32_t> table;
    for (std::uint32_t s = 0; s < 2200 + 9000; s += 2) {
        const std::uint32_t count = s < 2200 ? 2 : 9000;
        fat.AppendStretch(count, ENDOFCHAIN, true);
        for (std::uint32_t i = 1; i < count; ++i)
            table.push_back(s + i);
        table.push_back(ENDOFCHAIN);
        s += count - 2;
    }
    ASSERT_EQ(fat.Size(), table.size());
    for (std::uint32_t s = 0; s < table.size(); ++s)
        ASSERT_EQ(fat.At(s), table[s]) << s;
}

// What a commit does to its FAT, on the builder and on a plain table side by side: mark
// sectors, fill ranges, link chains cut in pieces, grow. Every answer and the packed result
// must match the plain table at every step. With the parameter set, a shuffled chain comes
// first, and the builder gives up its map for a plain table part way.
class FatBuilderSteps : public ::testing::TestWithParam<bool> {};

TEST_P(FatBuilderSteps, AnswersLikeThePlainTableThroughACommitsChanges) {
    std::mt19937 random(11);
    std::vector<std::uint32_t> plain(3000, FREESECT);
    FatBuilder fat(3000);
    if (GetParam()) {
        std::vector<std::uint32_t> shuffled(3000);
        for (std::uint32_t s = 0; s < shuffled.size(); ++s)
            shuffled[s] = s;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        shuffled.resize(2000);
        for (std::size_t i = 0; i < shuffled.size(); ++i)
            plain[shuffled[i]] = i + 1 < shuffled.size() ? shuffled[i + 1] : ENDOFCHAIN;
        fat.Link(SectorRuns::FromList(shuffled));
    }
    auto check = [&](int step) {
        ASSERT_EQ(fat.Size(), plain.size()) << step;
        for (std::uint32_t s = 0; s < plain.size(); ++s)
            ASSERT_EQ(fat.At(s), plain[s]) << step << " " << s;
        for (int probe = 0; probe < 20; ++probe) {
            const auto s = static_cast<std::uint32_t>(random() % (plain.size() + 10));
            const auto limit = static_cast<std::uint32_t>(random() % 50);
            std::uint32_t free = 0;
            while (free < limit && s + free < plain.size() && plain[s + free] == FREESECT)
                ++free;
            ASSERT_EQ(fat.FreeCount(s, limit), free) << step << " " << s;
        }
        std::vector<std::uint32_t> window(128);
        const std::uint64_t from = random() % plain.size();
        fat.Copy(from, 128, window.data());
        for (std::uint64_t i = 0; i < 128; ++i)
            ASSERT_EQ(window[i], from + i < plain.size() ? plain[from + i] : FREESECT);
        const PackedFat packed = fat.Pack();
        ASSERT_EQ(packed.Size(), plain.size());
        for (std::uint32_t s = 0; s < plain.size(); ++s)
            ASSERT_EQ(packed.At(s), plain[s]) << step << " " << s;
    };
    for (int step = 0; step < 300; ++step) {
        const auto size = static_cast<std::uint32_t>(plain.size());
        const auto at = static_cast<std::uint32_t>(random() % size);
        switch (random() % 5) {
        case 0: {
            const auto value = random() % 2 ? ENDOFCHAIN : static_cast<std::uint32_t>(random());
            plain[at] = value;
            fat.Set(at, value);
            break;
        }
        case 1: {
            const auto count = std::min<std::uint32_t>(size - at, 1 + random() % 200);
            const std::uint32_t value = random() % 3 ? FREESECT : FATSECT;
            std::fill_n(plain.begin() + at, count, value);
            fat.Fill(at, count, value);
            break;
        }
        case 2:
        case 3: {
            // A chain of a few pieces, some side by side, in no particular order.
            SectorRuns chain;
            for (int piece = 0; piece < 1 + int(random() % 4); ++piece) {
                const auto first = static_cast<std::uint32_t>(random() % size);
                chain.AppendRun(first, std::min<std::uint32_t>(size - first, 1 + random() % 60));
            }
            const std::vector<std::uint32_t> list = chain.ToList();
            for (std::size_t i = 0; i < list.size(); ++i)
                plain[list[i]] = i + 1 < list.size() ? list[i + 1] : ENDOFCHAIN;
            // Overlapping pieces make the plain table's last write win; so does the builder's.
            fat.Link(chain);
            break;
        }
        default: {
            const auto grown = static_cast<std::uint32_t>(size + random() % 30);
            plain.resize(grown, FREESECT);
            fat.Grow(grown);
            break;
        }
        }
        ASSERT_NO_FATAL_FAILURE(check(step));
    }
}

INSTANTIATE_TEST_SUITE_P(FatBuilder, FatBuilderSteps, ::testing::Values(false, true));

} // namespace
