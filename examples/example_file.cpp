#include "example_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

#include "com_ptr.h"
#include "example_layout.h"
#include "storage_api.h"

using namespace example;

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

// Little-endian bytes appended field by field, as the stream definitions read them.
class Bytes {
public:
    Bytes& U16(std::uint16_t v) { return Le(v, 2); }
    Bytes& U32(std::uint32_t v) { return Le(v, 4); }
    Bytes& U64(std::uint64_t v) { return Le(v, 8); }
    Bytes& F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U64(bits);
    }
    // text cut or padded with zero bytes to exactly size bytes
    Bytes& Text(const char* text, std::size_t size) {
        const std::size_t length = std::min(std::strlen(text), size);
        m_data.insert(m_data.end(), text, text + length);
        m_data.resize(m_data.size() + size - length, 0);
        return *this;
    }
    Bytes& Raw(std::initializer_list<std::uint8_t> bytes) {
        m_data.insert(m_data.end(), bytes);
        return *this;
    }
    const std::vector<std::uint8_t>& Data() const { return m_data; }

private:
    Bytes& Le(std::uint64_t v, int size) {
        for (int i = 0; i < size; ++i)
            m_data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    std::vector<std::uint8_t> m_data;
};

bool Check(HRESULT hr, const char* what) {
    if (FAILED(hr))
        std::fprintf(stderr, "make_examples: %s failed: 0x%08x\n", what, static_cast<unsigned>(hr));
    return SUCCEEDED(hr);
}

bool AddStream(IStorage* storage, const char16_t* name, const Bytes& bytes) {
    ComPtr<IStream> stream;
    ULONG written = 0;
    return Check(storage->CreateStream(name, kCreate, 0, 0, stream.Put()), "CreateStream") &&
           Check(stream->Write(bytes.Data().data(), static_cast<ULONG>(bytes.Data().size()),
                               &written),
                 "Write");
}

Bytes Header() {
    return Bytes()
        .Text("KSTR", 4)
        .U16(1) // major version
        .U16(0) // minor version
        .U32(kRecordCount)
        .U64(kCreated);
}

Bytes Table() {
    static const char* const names[kRecordCount] = {"alpha", "beta", "gamma", "delta", "epsilon"};
    Bytes bytes;
    for (int i = 0; i < kRecordCount; ++i)
        bytes.U32(100 + i)
            .U16(i % 2 ? 0x0001 : 0x0003) // flags: bit 0 in use, bit 1 checked
            .U16(0)                       // reserved
            .Text(names[i], kNameLength)
            .U32(static_cast<std::uint32_t>((i - 2) * 1000));
    return bytes;
}

// One period of a sine wave.
Bytes Samples() {
    Bytes bytes;
    for (int i = 0; i < kSampleCount; ++i)
        bytes.F64(std::sin(2 * std::numbers::pi * i / kSampleCount));
    return bytes;
}

Bytes Notes() {
    return Bytes().Text("Example file made by make_examples.", kNotesLength);
}

// A property set of one section, the summary information's: code page, title, author and
// creation time, each value a 4-byte type tag and its bytes, padded to 4 bytes.
Bytes SummaryInformation() {
    constexpr std::uint32_t sectionOffset = 28 + 20; // header, one FMTID and its offset
    // Each value's bytes, its type tag included; the values follow the id/offset pairs.
    constexpr std::uint32_t sizes[kPropertyCount] = {8, 8 + kLpstrLength, 8 + kLpstrLength, 12};
    std::uint32_t offsets[kPropertyCount];
    std::uint32_t sectionSize = 8 + 8 * kPropertyCount; // size, count, then the pairs
    for (int i = 0; i < kPropertyCount; ++i) {
        offsets[i] = sectionSize;
        sectionSize += sizes[i];
    }
    Bytes bytes;
    bytes.U16(0xFFFE).U16(0).U32(0x00020006); // byte order, version, Win32 6.0
    bytes.Raw({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).U32(1); // no class, 1 section
    // FMTID_SummaryInformation F29F85E0-4FF9-1068-AB91-08002B27B3D9
    bytes.U32(0xF29F85E0)
        .U16(0x4FF9)
        .U16(0x1068)
        .Raw({0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9});
    bytes.U32(sectionOffset).U32(sectionSize).U32(kPropertyCount);
    const std::uint32_t ids[kPropertyCount] = {1, 2, 4, 12}; // code page, title, author, created
    for (int i = 0; i < kPropertyCount; ++i)
        bytes.U32(ids[i]).U32(offsets[i]);
    bytes.U32(2).U16(1252).U16(0);                                         // VT_I2
    bytes.U32(30).U32(kLpstrLength).Text("Kestrin example", kLpstrLength); // VT_LPSTR
    bytes.U32(30).U32(kLpstrLength).Text("Morrowfen", kLpstrLength);
    bytes.U32(64).U64(kCreated); // VT_FILETIME
    return bytes;
}

// A storage's times would be those of the run: the file's creation time keeps the output the
// same from run to run.
bool FixTimes(IStorage* parent, const char16_t* name) {
    const FILETIME time{static_cast<DWORD>(kCreated), static_cast<DWORD>(kCreated >> 32)};
    return Check(parent->SetElementTimes(name, &time, nullptr, &time), "SetElementTimes");
}

bool Fill(IStorage* root) {
    ComPtr<IStorage> data;
    return AddStream(root, u"Header", Header()) && AddStream(root, u"Table", Table()) &&
           Check(root->CreateStorage(u"Data", kCreate, 0, 0, data.Put()), "CreateStorage") &&
           AddStream(data.Get(), u"Samples", Samples()) &&
           AddStream(data.Get(), u"Notes", Notes()) &&
           Check(data->Commit(STGC_DEFAULT), "Commit") && FixTimes(root, u"Data") &&
           AddStream(root, u"\x0005SummaryInformation", SummaryInformation());
}

} // namespace

bool WriteExampleFile(const std::u16string& path) {
    ComPtr<IStorage> root;
    return Check(StgCreateDocfile(path.c_str(), kCreate, 0, root.Put()), "StgCreateDocfile") &&
           Fill(root.Get()) && Check(root->Commit(STGC_DEFAULT), "Commit");
}
