// kestrin-cfb poke FILE PATH OFFSET HEX: writes bytes into a stream in place, through a
// transacted open of the file, and commits from the innermost storage out to the root.
#include <cstdint>
#include <string_view>
#include <vector>

#include "commands.h"
#include "element_path.h"
#include "open_element.h"

namespace cli {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Decimal, or hexadecimal after 0x; at most the largest signed 64-bit offset.
bool ParseOffset(std::string_view text, std::uint64_t& offset) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    offset = 0;
    for (const char c : text) {
        const int digit = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0 || offset > (std::uint64_t{INT64_MAX} - digit) / base)
            return false;
        offset = offset * base + digit;
    }
    return true;
}

bool ParseBytes(std::string_view text, std::vector<std::uint8_t>& bytes) {
    if (text.empty() || text.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

} // namespace

Status RunPoke(Arguments args) {
    std::vector<std::u16string> path;
    if (Status status = ParseElementPath(args[1], path); !status.ok())
        return status;
    std::uint64_t offset = 0;
    if (!ParseOffset(args[2], offset))
        return Status::Usage(std::string(args[2]) + ": not an offset");
    std::vector<std::uint8_t> bytes;
    if (!ParseBytes(args[3], bytes) || bytes.size() > UINT32_MAX)
        return Status::Usage(std::string(args[3]) + ": not a string of hex byte pairs");

    ComPtr<IStorage> root;
    if (Status status = OpenRootStorage(
            args[0], STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_DENY_WRITE, root);
        !status.ok())
        return status;
    OpenedStream opened;
    if (Status status =
            OpenStreamAt(root.Get(), path, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, opened);
        !status.ok())
        return status;

    const std::string where = FormatElementPath(path);
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(offset);
    HRESULT hr = opened.stream->Seek(move, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
        return Status::Storage("seek " + where, hr);
    ULONG written = 0;
    hr = opened.stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (SUCCEEDED(hr) && written != bytes.size())
        hr = STG_E_WRITEFAULT;
    if (FAILED(hr))
        return Status::Storage("write " + where, hr);
    opened.stream.Reset();

    // Each storage's changes go into its parent's, so the innermost commits first.
    while (!opened.storages.empty()) {
        path.pop_back();
        hr = opened.storages.back()->Commit(STGC_DEFAULT);
        if (FAILED(hr))
            return Status::Storage("commit " + FormatElementPath(path), hr);
        opened.storages.pop_back();
    }
    hr = root->Commit(STGC_DEFAULT);
    if (FAILED(hr))
        return Status::Storage("commit " + std::string(args[0]), hr);
    return Status::Ok();
}

} // namespace cli
