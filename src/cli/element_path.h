// Element names and paths as the tool reads and writes them: UTF-8, components joined by
// '/', and bytes that would be ambiguous or invisible written as \xHH (uppercase hex).
// Escaped are the bytes below 0x20, '/' and '\' itself, so every name survives a trip
// through a path or a Linux file name and back. Names holding a lone UTF-16 surrogate are
// written with that surrogate's 3-byte form, which the reading side accepts again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "status.h"

namespace cli {

// UTF-8 to UTF-16. Fails on malformed, overlong or out-of-range sequences.
bool Utf8ToUtf16(std::string_view in, std::u16string& out);
std::string Utf16ToUtf8(std::u16string_view in);

// A name as `list` prints it.
std::string EscapeName(std::u16string_view name);
// A name as `unpack` writes it to disk: also "." and ".." are escaped, so that no element
// can name a directory outside the one being written.
std::string EscapeFileName(std::u16string_view name);
// The reverse of either escape: \xHH becomes the byte HH, any other backslash is an error.
Status NameFromText(std::string_view text, std::u16string& name);

// Splits a path such as `Storage 1/\x05Summary` into names; empty components are skipped.
Status ParseElementPath(std::string_view path, std::vector<std::u16string>& names);
std::string FormatElementPath(const std::vector<std::u16string>& names);

// A command-line file name for the engine's OLECHAR face.
Status FileNameToOle(std::string_view fileName, std::u16string& name);

} // namespace cli
