#include "test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include <fstream>
#include <iterator>

#include "structure_check.h"
#include "utf16.h"

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrin-test-XXXXXX");
    m_path = mkdtemp(pattern.data());
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::u16string ScratchDir::Name(const std::string& name) const {
    return U16(Path(name).string());
}

std::u16string U16(const std::string& utf8) {
    return Utf8ToUtf16(utf8).value();
}

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

HRESULT WriteStream(IStorage* storage, const std::u16string& name, const Bytes& bytes) {
    Ptr<IStream> stream;
    HRESULT hr = storage->CreateStream(
        name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(hr))
        return hr;
    ULONG written = 0;
    return stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
}

Bytes ReadStream(IStorage* storage, const std::u16string& name) {
    Ptr<IStream> stream;
    HRESULT hr =
        storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    EXPECT_EQ(hr, S_OK);
    if (FAILED(hr))
        return {};
    STATSTG st{};
    stream->Stat(&st, STATFLAG_NONAME);
    Bytes bytes(st.cbSize.QuadPart);
    ULONG got = 0;
    EXPECT_EQ(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got), S_OK);
    EXPECT_EQ(got, bytes.size());
    return bytes;
}

HRESULT WriteAt(IStorage* storage, const std::u16string& name, std::uint64_t at,
                const Bytes& data) {
    Ptr<IStream> stream;
    HRESULT hr = storage->OpenStream(name.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                     0, &stream);
    if (SUCCEEDED(hr))
        hr = stream->Seek(LARGE_INTEGER{.QuadPart = LONGLONG(at)}, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(hr) ? stream->Write(data.data(), ULONG(data.size()), nullptr) : hr;
}

HRESULT ResizeStream(IStorage* storage, const std::u16string& name, std::uint64_t size) {
    Ptr<IStream> stream;
    HRESULT hr = storage->OpenStream(name.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                     0, &stream);
    return SUCCEEDED(hr) ? stream->SetSize(ULARGE_INTEGER{.QuadPart = size}) : hr;
}

std::vector<std::string> ListElements(IStorage* storage) {
    std::vector<std::string> names;
    Ptr<IEnumSTATSTG> elements;
    if (FAILED(storage->EnumElements(0, nullptr, 0, &elements)))
        return names;
    STATSTG st;
    ULONG fetched = 0;
    while (elements->Next(1, &st, &fetched) == S_OK && fetched == 1) {
        names.push_back(Utf16ToUtf8(st.pwcsName).value() + (st.type == STGTY_STORAGE ? "/" : ""));
        CoTaskMemFree(st.pwcsName);
    }
    return names;
}

HRESULT CreateMemoryStorage(HGLOBAL* block, IStorage** root, DWORD mode) {
    *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, 256);
    Ptr<ILockBytes> bytes;
    HRESULT hr = CreateILockBytesOnHGlobal(*block, FALSE, &bytes);
    if (SUCCEEDED(hr))
        hr = StgCreateDocfileOnILockBytes(bytes.get(), mode, 0, root);
    return hr;
}

Ptr<ILockBytes> MemoryBytes(const Bytes& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!bytes.empty())
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    Ptr<ILockBytes> lockBytes;
    EXPECT_EQ(CreateILockBytesOnHGlobal(block, TRUE, &lockBytes), S_OK);
    return lockBytes;
}

Bytes BytesOf(HGLOBAL block) {
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(block));
    Bytes bytes(data, data + GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

Ptr<IStorage> OpenRoot(ILockBytes* bytes, DWORD mode, HRESULT* hr) {
    Ptr<IStorage> root;
    const HRESULT result = StgOpenStorageOnILockBytes(bytes, nullptr, mode, nullptr, 0, &root);
    if (hr)
        *hr = result;
    else
        EXPECT_EQ(result, S_OK);
    return root;
}

std::vector<std::string> Faults(ILockBytes* bytes) {
    std::vector<std::string> faults;
    for (const auto& fault : CheckStructure(bytes))
        faults.push_back(fault.name + ": " + fault.detail);
    return faults;
}

Bytes EmptyFile(unsigned major) {
    // The version is asked for through a file; its bytes are then carried into memory.
    ScratchDir dir;
    STGOPTIONS options{1, 0, major == 4 ? 4096u : 512u, nullptr};
    Ptr<IStorage> root;
    EXPECT_EQ(StgCreateStorageEx(dir.Name("empty.cfb").c_str(),
                                 STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                 STGFMT_DOCFILE, 0, &options, nullptr, IID_IStorage,
                                 reinterpret_cast<void**>(&root)),
              S_OK);
    root.Reset();
    std::ifstream in(dir.Path("empty.cfb"), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
