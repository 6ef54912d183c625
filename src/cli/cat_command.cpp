// kestrin-cfb cat FILE PATH: the stream's bytes to stdout.
#include <cerrno>
#include <cstdio>
#include <vector>

#include "commands.h"
#include "element_path.h"
#include "open_element.h"

namespace cli {

Status RunCat(Arguments args) {
    std::vector<std::u16string> path;
    if (Status status = ParseElementPath(args[1], path); !status.ok())
        return status;
    ComPtr<IStorage> root;
    if (Status status = OpenRootStorage(args[0], kReadRootMode, root); !status.ok())
        return status;
    OpenedStream opened;
    if (Status status = OpenStreamAt(root.Get(), path, STGM_READ | STGM_SHARE_EXCLUSIVE, opened);
        !status.ok())
        return status;

    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        ULONG read = 0;
        const HRESULT hr = opened.stream->Read(buffer.data(), kCopyBufferSize, &read);
        if (FAILED(hr))
            return Status::Storage("read " + FormatElementPath(path), hr);
        if (read == 0)
            break;
        if (std::fwrite(buffer.data(), 1, read, stdout) != read)
            return Status::System("write to stdout", errno);
    }
    if (std::fflush(stdout) != 0)
        return Status::System("write to stdout", errno);
    return Status::Ok();
}

} // namespace cli
