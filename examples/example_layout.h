// The sizes the example file and its stream definitions must agree on: a definition's array
// counts are numbers, so they are written from the same constants as the streams.
#pragma once

#include <cstdint>

namespace example {

inline constexpr int kRecordCount = 5;   // records in "Table"
inline constexpr int kNameLength = 16;   // char Name[16] of a record
inline constexpr int kSampleCount = 512; // doubles in "Data/Samples": 4096 bytes, not small
                                         // enough for the mini stream
inline constexpr int kNotesLength = 64;  // "Data/Notes": text padded with zero bytes
inline constexpr int kPropertyCount = 4; // code page, title, author, creation time
inline constexpr int kLpstrLength = 16;  // each string property's bytes, the zero included

// 2026-01-01 00:00:00 UTC in 100-nanosecond steps since 1601: fixed, so that every run of
// the generator writes the same bytes.
inline constexpr std::uint64_t kCreated = 134116992000000000ull;

} // namespace example
