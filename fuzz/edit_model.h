// A model of what a compound file should hold, for the edit fuzz target: element names and
// the engine's case-blind rule for them, a tree of storages and streams, and a comparison of
// an open storage against that tree. It shares no code with the engine on purpose.
#pragma once

#include <map>
#include <string>

#include "fuzz_support.h"

namespace edit_model {

inline constexpr DWORD kRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
inline constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

// Case variants must find the same element; the last two names are invalid.
// clang-format off
inline const char16_t* const kNames[] = {
    u"a", u"A", u"ab", u"aB", u"Stream", u"STREAM", u"日本語", u"データ", u"café", u"CAFÉ",
    u"σ", u"Σ", u"\x0005Summary", u"0123456789012345678901234567890",
    u"01234567890123456789012345678901", u"a!b"};
// clang-format on

// The engine's case-blind order for the names above, written out independently of it.
inline char16_t Upper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    return c == 0x3C3 || c == 0x3C2 ? 0x3A3 : c;
}
struct NameLess {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        if (a.size() != b.size())
            return a.size() < b.size();
        for (std::size_t i = 0; i < a.size(); ++i)
            if (Upper(a[i]) != Upper(b[i]))
                return Upper(a[i]) < Upper(b[i]);
        return false;
    }
};
inline bool Valid(const std::u16string& n) {
    return !n.empty() && n.size() <= 31 && n.find_first_of(u"/\\:!") == std::u16string::npos;
}

struct Node {
    bool storage = true;
    Bytes data;
    std::map<std::u16string, Node, NameLess> children; // keys keep the stored letter case
};
using Children = std::map<std::u16string, Node, NameLess>;

inline bool Expect(HRESULT hr, bool ok, const char* what) {
    if (SUCCEEDED(hr) != ok) {
        std::fprintf(stderr, "%s: 0x%08x, expected %s\n", what, unsigned(hr),
                     ok ? "success" : "failure");
        Fail(what);
    }
    return ok;
}

inline Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(seed + i * 13 + (i >> 9));
    return b;
}

// Streams replace streams, storages merge into storages, anything else is replaced.
inline void Merge(const Node& from, Node& into, bool skipStorages, bool skipStreams) {
    for (const auto& [name, child] : from.children) {
        if (child.storage ? skipStorages : skipStreams)
            continue;
        auto it = into.children.find(name);
        if (it != into.children.end() && child.storage && it->second.storage) {
            Merge(child, it->second, false, false);
            continue;
        }
        if (it != into.children.end())
            into.children.erase(it);
        into.children.emplace(name, child);
    }
}

inline Bytes ReadAll(IStream* stream) {
    STATSTG st{};
    Expect(stream->Stat(&st, STATFLAG_NONAME), true, "Stat");
    Bytes data(st.cbSize.QuadPart + 1);
    ULONG got = 0;
    Expect(stream->Read(data.data(), ULONG(data.size()), &got), true, "Read");
    if (got != st.cbSize.QuadPart)
        Fail("a stream reads a different number of bytes than Stat reports");
    data.resize(got);
    return data;
}

inline void Compare(IStorage* storage, const Node& model) {
    Ptr<IEnumSTATSTG> elements;
    Expect(storage->EnumElements(0, nullptr, 0, &elements), true, "EnumElements");
    STATSTG st{};
    ULONG fetched = 0, count = 0;
    for (; elements->Next(1, &st, &fetched) == S_OK && fetched == 1; ++count) {
        const std::u16string name = st.pwcsName;
        CoTaskMemFree(st.pwcsName);
        auto it = model.children.find(name);
        if (it == model.children.end() || it->first != name)
            Fail("the file holds an element the model lacks (or in another letter case)");
        if (it->second.storage != (st.type == STGTY_STORAGE))
            Fail("an element has the wrong type");
        Ptr<IStorage> child;
        Ptr<IStream> stream;
        if (it->second.storage) {
            Expect(storage->OpenStorage(name.c_str(), nullptr, kRead, nullptr, 0, &child), true,
                   "reopen");
            Compare(child.get(), it->second);
        } else if (!Expect(storage->OpenStream(name.c_str(), nullptr, kRead, 0, &stream), true,
                           "reopen") ||
                   st.cbSize.QuadPart != it->second.data.size() ||
                   ReadAll(stream.get()) != it->second.data) {
            Fail("a committed stream differs from the model");
        }
    }
    if (count != model.children.size())
        Fail("the file lacks elements the model has");
}

} // namespace edit_model
