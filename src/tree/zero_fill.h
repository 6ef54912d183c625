// Writing a run of zero bytes into a stream without a buffer as large as the run: a stream
// may grow by up to 4 GiB at once.
#pragma once

#include "ole_interfaces.h"

class CProgress;

// Writes count zero bytes at the stream's current position, in pieces of at most 64 KiB.
// S_OK when all were written; otherwise the first failure, with a write that writes nothing
// counted as STG_E_WRITEFAULT. It never tries again after a failure. With a progress, each
// piece is counted there and a cancel ends the run with E_ABORT.
HRESULT WriteZeros(IStream* stream, ULONGLONG count, CProgress* progress = nullptr);
