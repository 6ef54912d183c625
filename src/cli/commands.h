// The tool's commands. Each takes the arguments after the command word, already checked
// for their count by the dispatcher, and reports its own output on stdout.
#pragma once

#include <span>

#include "status.h"

namespace cli {

using Arguments = std::span<const char* const>;

Status RunList(Arguments args);   // FILE
Status RunCat(Arguments args);    // FILE PATH
Status RunPack(Arguments args);   // DIR FILE [--v4]
Status RunUnpack(Arguments args); // FILE DIR
Status RunCheck(Arguments args);  // FILE
Status RunPoke(Arguments args);   // FILE PATH OFFSET HEX

// The size of the buffer every command copies bytes through.
inline constexpr unsigned kCopyBufferSize = 1u << 20;

} // namespace cli
