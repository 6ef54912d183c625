// Small helpers shared by the engine's tests: owned interface pointers, scratch folders and
// quick ways to put bytes into streams and get them out again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "ole_interfaces.h"
#include "storage_api.h"

// ComPtr with the address-of and get() spelling these sources were written in.
template <class T> class Ptr : public ComPtr<T> {
public:
    // For out-parameters: whatever was held is released first.
    T** operator&() { return this->Put(); }
    T* get() const { return this->Get(); }
};

using Bytes = std::vector<std::uint8_t>;

// A folder removed with everything in it when the test ends.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::filesystem::path Path(const std::string& name) const { return m_path / name; }
    // The path as the engine takes it.
    std::u16string Name(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

std::u16string U16(const std::string& utf8);
Bytes Pattern(std::size_t size, unsigned seed = 1);

HRESULT WriteStream(IStorage* storage, const std::u16string& name, const Bytes& bytes);
Bytes ReadStream(IStorage* storage, const std::u16string& name);
// Writes into an existing stream at an offset, or sets its size.
HRESULT WriteAt(IStorage* storage, const std::u16string& name, std::uint64_t at, const Bytes& data);
HRESULT ResizeStream(IStorage* storage, const std::u16string& name, std::uint64_t size);
// Names of a storage's elements in enumeration order, storages with a trailing slash.
std::vector<std::string> ListElements(IStorage* storage);
// A compound file in memory, created in direct mode.
HRESULT CreateMemoryStorage(HGLOBAL* block, IStorage** root, DWORD mode = 0x1012);

// A memory lock-bytes over a copy of `bytes`; and the bytes a memory block holds.
Ptr<ILockBytes> MemoryBytes(const Bytes& bytes);
Bytes BytesOf(HGLOBAL block);
// The root of the file `bytes` hold (null on failure, with the code in *hr).
Ptr<IStorage> OpenRoot(ILockBytes* bytes, DWORD mode = STGM_READ | STGM_SHARE_EXCLUSIVE,
                       HRESULT* hr = nullptr);
// What the structure check finds, as "name: detail" lines; empty for a sound file.
std::vector<std::string> Faults(ILockBytes* bytes);
// The bytes of an empty file of major version 3 or 4.
Bytes EmptyFile(unsigned major);
