// Opening the engine's objects the commands start from: the root storage of a file named on
// the command line, and a stream named by an element path below it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com_ptr.h"
#include "ole_interfaces.h"
#include "status.h"

namespace cli {

// How the reading commands open a file: they deny nobody, so they work while the editor holds
// the file open for writing with changes pending, and read through a transaction, so they see
// the last committed state and never write a byte back.
inline constexpr DWORD kReadRootMode = STGM_TRANSACTED | STGM_READ | STGM_SHARE_DENY_NONE;

Status OpenRootStorage(std::string_view fileName, DWORD mode, ComPtr<IStorage>& root);

// The storages along the path, outermost first, each kept open so that a writer can commit
// them innermost first, and the stream the path ends with.
struct OpenedStream {
    std::vector<ComPtr<IStorage>> storages;
    ComPtr<IStream> stream;
};

Status OpenStreamAt(IStorage* root, const std::vector<std::u16string>& path, DWORD mode,
                    OpenedStream& opened);

} // namespace cli
