// Reads the input as a FAT laid out in pieces (long chains, free gaps, table marks, links to
// anywhere, stretches appended whole) and then as the changes a commit makes to a FAT under
// construction. The packed table and the builder must answer exactly as a plain table does,
// after every change; any difference aborts, so that libFuzzer keeps the input.
#include <algorithm>

#include "cfb_format.h"
#include "fat_builder.h"
#include "fuzz_support.h"
#include "packed_fat.h"
#include "sector_runs.h"

namespace {

using cfb::ENDOFCHAIN;
using cfb::FATSECT;
using cfb::FREESECT;
using Table = std::vector<std::uint32_t>;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_in(data), m_end(data + size) {}
    bool More() const { return m_in < m_end; }
    std::uint32_t Byte() { return m_in < m_end ? *m_in++ : 0; }
    std::uint32_t U16() { return Byte() | Byte() << 8; }

private:
    const std::uint8_t* m_in;
    const std::uint8_t* m_end;
};

void Expect(bool ok, const char* what) {
    if (!ok)
        Fail(what);
}

// Every answer of the packed table, against the plain one.
void CheckPacked(const PackedFat& fat, const Table& table) {
    const auto size = static_cast<std::uint32_t>(table.size());
    Expect(fat.Size() == size, "packed size");
    std::uint32_t nextFree = size;
    for (std::uint32_t s = size; s-- > 0;) {
        Expect(fat.At(s) == table[s], "packed At");
        nextFree = table[s] == FREESECT ? s : nextFree;
        Expect(fat.NextFree(s) == nextFree, "packed NextFree");
        std::uint32_t next = 0;
        const std::uint32_t last = fat.Follow(s, &next);
        Expect(last >= s && last < size && next == table[last], "packed Follow");
        for (std::uint32_t t = s; t < last; ++t)
            Expect(table[t] == t + 1, "packed Follow skipped a non-link");
    }
    Expect(fat.At(size + 7) == FREESECT && fat.NextFree(size + 7) == size + 7, "past the end");
    // Windows that start and end inside runs and reach past the end.
    Table window(128);
    for (std::uint64_t from = 0; from < size + 64; from += 97) {
        fat.Copy(from, 128, window.data());
        for (std::uint64_t i = 0; i < 128; ++i)
            Expect(window[i] == (from + i < size ? table[from + i] : FREESECT), "packed Copy");
    }
    std::vector<bool> free(size);
    fat.ForEachFreeRun([&](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t s = first; s < first + count; ++s)
            free[s] = true;
    });
    for (std::uint32_t s = 0; s < size; ++s)
        Expect(free[s] == (table[s] == FREESECT), "packed ForEachFreeRun");
}

// Pieces of what real and damaged files hold, appended one by one or as whole stretches.
Table BuildPacked(Input& in, PackedFat* fat) {
    Table table;
    auto push = [&](std::uint32_t value) {
        table.push_back(value);
        fat->Append(value);
    };
    for (std::uint32_t kind; table.size() < 8000 && (kind = in.Byte()) != 0xFF;) {
        const std::uint32_t length = 1 + in.Byte() % (kind & 0x80 ? 2 : 250);
        const auto at = static_cast<std::uint32_t>(table.size());
        switch (kind % 5) {
        case 0: { // a stretch appended whole: a chain ending in its end mark, or all marks
            const std::uint32_t count = length << (kind / 5 % 8);
            const bool links = kind & 0x40;
            const std::uint32_t value = links ? ENDOFCHAIN : kind & 0x20 ? FATSECT : FREESECT;
            fat->AppendStretch(count, value, links);
            for (std::uint32_t i = 1; i <= count; ++i)
                table.push_back(links && i < count ? at + i : value);
            break;
        }
        case 1:
        case 2: // free or table marks
            for (std::uint32_t i = 0; i < length; ++i)
                push(kind % 5 == 1 ? FREESECT : FATSECT);
            break;
        default: // a chain ending in its end mark, a free entry, or a link anywhere
            for (std::uint32_t i = 1; i < length; ++i)
                push(at + i);
            push(kind % 5 == 3 ? ENDOFCHAIN : kind & 0x40 ? FREESECT : in.U16());
        }
    }
    return table;
}

// What a commit does to its FAT, on the builder and a plain table side by side.
void BuilderSteps(Input& in) {
    Table plain(1 + in.U16() % 4000, FREESECT);
    FatBuilder fat(static_cast<std::uint32_t>(plain.size()));
    for (int steps = 0; in.More() && steps < 200; ++steps) {
        const auto size = static_cast<std::uint32_t>(plain.size());
        const std::uint32_t op = in.Byte(), at = in.U16() % size;
        if (op % 4 == 0 && op & 0x40) { // a range of free sectors or table marks
            const std::uint32_t count = std::min(size - at, 1 + in.Byte());
            std::fill_n(plain.begin() + at, count, op & 0x20 ? FATSECT : FREESECT);
            fat.Fill(at, count, op & 0x20 ? FATSECT : FREESECT);
        } else if (op % 4 == 0) {
            plain[at] = op & 0x10 ? ENDOFCHAIN : in.U16() | in.Byte() << 16;
            fat.Set(at, plain[at]);
        } else if (op % 4 == 1) {
            plain.resize(size + in.Byte() % 30, FREESECT);
            fat.Grow(static_cast<std::uint32_t>(plain.size()));
        } else {
            // A chain of a few pieces, some side by side, in no particular order. Overlapping
            // pieces make the plain table's last write win; so does the builder's.
            SectorRuns chain;
            for (std::uint32_t piece = 0; piece <= op / 4 % 8; ++piece) {
                const std::uint32_t first = in.U16() % size;
                chain.AppendRun(first,
                                std::min(size - first, 1 + in.Byte() % (op & 0x80 ? 2 : 60)));
            }
            const Table list = chain.ToList();
            for (std::size_t i = 0; i < list.size(); ++i)
                plain[list[i]] = i + 1 < list.size() ? list[i + 1] : ENDOFCHAIN;
            fat.Link(chain);
        }
        Expect(fat.Size() == plain.size(), "builder Size");
        for (std::uint32_t s = 0; s < plain.size(); ++s)
            Expect(fat.At(s) == plain[s], "builder At");
        for (std::uint32_t s = at, limit = op % 50, free = 0; s < at + 20; ++s, free = 0) {
            while (free < limit && s + free < plain.size() && plain[s + free] == FREESECT)
                ++free;
            Expect(fat.FreeCount(s, limit) == free, "builder FreeCount");
        }
        Table window(128);
        fat.Copy(at, 128, window.data());
        for (std::uint64_t i = 0; i < 128; ++i)
            Expect(window[i] == (at + i < plain.size() ? plain[at + i] : FREESECT), "builder Copy");
        CheckPacked(fat.Pack(), plain);
    }
}

} // namespace

// The first byte picks the packed table or the builder; the rest describes its work.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    if (in.Byte() % 2) {
        BuilderSteps(in);
    } else {
        PackedFat fat;
        const Table table = BuildPacked(in, &fat);
        CheckPacked(fat, table);
    }
    return 0;
}
