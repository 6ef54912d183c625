// Conversions between the engine's UTF-16 names and UTF-8 file-system paths.
#pragma once

#include <optional>
#include <string>

#include "ole_types.h"

// Appends the UTF-8 form of one code point (a lone surrogate gets its 3-byte form).
void AppendUtf8(std::string& out, char32_t c);

// Null when the text is not well-formed (an unpaired surrogate or a bad UTF-8 sequence).
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// Length of a zero-terminated UTF-16 string, reading at most limit units; limit + 1 when
// there is no terminator within the limit.
std::size_t BoundedLength(const OLECHAR* text, std::size_t limit);
