// Small helpers shared by the engine's tests: owned interface pointers, scratch folders, quick
// ways to put bytes into streams and get them out again, and one in-memory disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "com_object.h"
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

constexpr DWORD kRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE; // what elements are opened with
constexpr DWORD kCreate = STGM_CREATE | kRW;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kTransacted = STGM_TRANSACTED | kRW;

std::u16string U16(const std::string& utf8);

// A folder removed with everything in it when the test ends.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::filesystem::path Path(const std::string& name) const { return m_path / name; }
    std::u16string Name(const std::string& name) const { return U16(Path(name).string()); }

private:
    std::filesystem::path m_path;
};

// Unflushed data reaches the disk in pieces of this size, in any order.
constexpr std::uint64_t kPiece = 512;
// What a crash does to each piece of the writes not flushed yet; Mix picks at random.
enum class Loss { KeepAll, DropAll, GarbleAll, Mix };

// A disk with an OS cache in front of it: writes are pending until a Flush makes them durable;
// reads see the cache. Each WriteAt and Flush is one event (SetSize is cached, but no event).
// Only the first `keep` bytes are held, the rest read as zeros, so gigabytes cost no memory.
// CrashAt(k): the machine dies during event k; it and all later writes, flushes and resizes
// fail with STG_E_WRITEFAULT, the write in flight may still land, and AfterCrash tells what
// the disk holds (reads keep working: what the process reads no longer matters).
// FailFrom(k): event k and all later ones are refused (a write past the end as
// STG_E_MEDIUMFULL, like a full disk, anything else as STG_E_WRITEFAULT) until Heal.
class FakeDisk final : public ComObject<ILockBytes> {
public:
    struct Event {
        bool flush;
        std::uint64_t offset, size;
        bool extends; // a write past the current end
    };
    static Ptr<FakeDisk> New(const Bytes& durable = {}, std::uint64_t keep = UINT64_MAX);

    void CrashAt(std::size_t event) { m_crashAt = event; }
    void FailFrom(std::size_t event) { m_failFrom = event; }
    void Heal() { m_failFrom = 0, m_failure = S_OK; }
    HRESULT Failure() const { return m_failure; }
    bool Crashed() const { return m_crashed; }
    const std::vector<Event>& Events() const { return m_events; }
    const Bytes& View() const { return m_view; }
    std::uint64_t Size() const { return m_size; }
    // Bytes written by the events from `first` on.
    std::uint64_t Written(std::size_t first) const;
    // Writes not yet flushed (a resize left pending only cuts free sectors).
    std::size_t Pending() const;
    // The disk after the crash; DropAll gives the durable bytes.
    Bytes AfterCrash(Loss loss, unsigned seed) const;

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }
    HRESULT ReadAt(ULARGE_INTEGER at, void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT WriteAt(ULARGE_INTEGER at, const void* pv, ULONG cb, ULONG* pcbWritten) override;
    HRESULT Flush() override;
    HRESULT SetSize(ULARGE_INTEGER cb) override;
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Stat(STATSTG* st, DWORD) override;

private:
    struct Op {
        bool resize; // else a write
        std::uint64_t offset;
        Bytes data; // no more than is kept
    };
    FakeDisk(const Bytes& durable, std::uint64_t keep)
        : m_durable(durable), m_view(durable), m_size(durable.size()), m_keep(keep) {}
    void Apply(const Op& op, Bytes* disk) const;
    HRESULT Enter(const Event& event); // logs an event and says whether it may take effect

    Bytes m_durable, m_view;
    std::uint64_t m_size, m_keep;
    std::vector<Op> m_pending;
    std::vector<Event> m_events;
    std::size_t m_crashAt = 0, m_failFrom = 0;
    bool m_crashed = false;
    HRESULT m_failure = S_OK;
};

Bytes Pattern(std::size_t size, unsigned seed = 1);
void Splice(Bytes* bytes, std::uint64_t at, const Bytes& data);

HRESULT WriteStream(IStorage* storage, const std::u16string& name, const Bytes& bytes);
Bytes ReadStream(IStorage* storage, const std::u16string& name);
// Writes into an existing stream at an offset, or sets its size.
HRESULT WriteAt(IStorage* storage, const std::u16string& name, std::uint64_t at, const Bytes& data);
HRESULT ResizeStream(IStorage* storage, const std::u16string& name, std::uint64_t size);
// Opens a storage of `in`, or creates one when the mode says so.
Ptr<IStorage> Sub(IStorage* in, const char16_t* name, DWORD mode = kRW);
// Names of a storage's elements in enumeration order, storages with a trailing slash.
std::vector<std::string> ListElements(IStorage* storage);

// A new compound file on `bytes`, in direct mode unless the mode says otherwise.
Ptr<IStorage> CreateRoot(ILockBytes* bytes, DWORD mode = kCreate);
// The root of the file `bytes` hold (null on failure, with the code in *hr).
Ptr<IStorage> OpenRoot(ILockBytes* bytes, DWORD mode = kRead, HRESULT* hr = nullptr);
// What the structure check finds, as "name: detail" lines; empty for a sound file.
std::vector<std::string> Faults(ILockBytes* bytes);
// The bytes of an empty file of major version 3 or 4.
Bytes EmptyFile(unsigned major);
