// A second, independent reading of a compound file's on-disk structure. It shares no code
// with the engine's loader, so that faults our own writer makes cannot hide behind the same
// misreading on the way back in. It reads bytes only through ILockBytes::ReadAt and learns
// the size from ILockBytes::Stat.
//
// Contract:
//   - Never throws and never recurses over file data. No single allocation is larger than
//     the file; for ordinary files all of them together take about 1/64 of its size. Each
//     sector and each directory entry is visited a bounded number of times, so hostile
//     input costs time linear in the file's size.
//   - Sectors left free or leaked by a writer are not faults: other writers leave them.
//   - Each fault carries a stable kebab-case name, meant for scripts and tests, and a detail
//     for people. The same name is reported at most kMaxFaultsPerName times; a last fault of
//     that name then says how many more were found.
//
// Fault names:
//   header:      truncated-header, bad-signature, bad-version, bad-byte-order,
//                bad-sector-shift, bad-mini-sector-shift, bad-cutoff, bad-header-field
//   tables:      difat-loop, difat-out-of-range, fat-sector-not-marked, stale-table-mark,
//                sectors-beyond-fat, chain-too-short, chain-too-long, truncated-sector,
//                read-error
//   chains:      fat-cycle, minifat-cycle, sector-out-of-range, bad-chain-link,
//                sector-used-twice, range-lock-sector-used (warning)
//   directory:   bad-root, root-creation-time, bad-entry-type, bad-entry-colour, bad-name-length,
//   bad-name,
//                directory-cycle, directory-link-out-of-range, directory-link-to-unused,
//                stream-has-child, root-has-sibling, unreachable-entry, duplicate-name,
//                tree-order, red-black-violation (warning)
//   streams:     stream-size-exceeds-chain, mini-stream-beyond-root
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ole_interfaces.h"

struct StructureFault {
    std::string name;     // stable kebab-case name, e.g. "fat-cycle"
    std::string detail;   // what and where, for people
    bool warning = false; // other writers produce it and readers cope; still worth knowing
};

inline constexpr std::size_t kMaxFaultsPerName = 10;

// Checks the compound file held by `bytes`. An empty result means the structure is sound.
// A null `bytes` or one whose Stat fails gives a single "read-error" fault.
std::vector<StructureFault> CheckStructure(ILockBytes* bytes);
