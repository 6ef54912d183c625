#include "element_path.h"

#include <cstdint>

#include "utf16.h"

namespace cli {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Unescape(std::string_view text, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (text.size() - i < 4 || text[i + 1] != 'x')
            return false;
        const int high = HexValue(text[i + 2]);
        const int low = HexValue(text[i + 3]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 3;
    }
    return true;
}

} // namespace

bool Utf8ToUtf16(std::string_view in, std::u16string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size();) {
        const auto lead = static_cast<std::uint8_t>(in[i]);
        std::uint32_t c;
        std::size_t length;
        std::uint32_t least;
        if (lead < 0x80) {
            c = lead;
            length = 1;
            least = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            c = lead & 0x1F;
            length = 2;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            c = lead & 0x0F;
            length = 3;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            c = lead & 0x07;
            length = 4;
            least = 0x10000;
        } else {
            return false;
        }
        if (length > in.size() - i)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(in[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF)
            return false;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c); // a surrogate's 3-byte form stays one unit
        }
        i += length;
    }
    return true;
}

std::string Utf16ToUtf8(std::u16string_view in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        std::uint32_t c = in[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string EscapeName(std::u16string_view name) {
    std::string out;
    for (const char ch : Utf16ToUtf8(name)) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 || b == '/' || b == '\\') {
            out += "\\x";
            out += kHexDigits[b >> 4];
            out += kHexDigits[b & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string EscapeFileName(std::u16string_view name) {
    if (name == u".")
        return "\\x2E";
    if (name == u"..")
        return "\\x2E\\x2E";
    return EscapeName(name);
}

Status NameFromText(std::string_view text, std::u16string& name) {
    std::string bytes;
    if (!Unescape(text, bytes))
        return Status::Error(std::string(text) + ": a backslash must start \\xHH");
    if (!Utf8ToUtf16(bytes, name))
        return Status::Error(std::string(text) + ": not valid UTF-8");
    if (name.find(u'\0') != std::u16string::npos)
        return Status::Error(std::string(text) + ": a name cannot hold \\x00");
    return Status::Ok();
}

Status ParseElementPath(std::string_view path, std::vector<std::u16string>& names) {
    names.clear();
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (part.empty())
            continue;
        std::u16string name;
        if (Status status = NameFromText(part, name); !status.ok())
            return status;
        names.push_back(std::move(name));
    }
    return Status::Ok();
}

std::string FormatElementPath(const std::vector<std::u16string>& names) {
    std::string out;
    for (const auto& name : names) {
        if (!out.empty())
            out += '/';
        out += EscapeName(name);
    }
    return out;
}

Status FileNameToOle(std::string_view fileName, std::u16string& name) {
    if (!Utf8ToUtf16(fileName, name))
        return Status::Error(std::string(fileName) + ": the file name is not valid UTF-8");
    if (name.find(u'\0') != std::u16string::npos)
        return Status::Error(std::string(fileName) + ": the file name holds a NUL");
    return Status::Ok();
}

} // namespace cli
