#include "test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

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

Ptr<FakeDisk> FakeDisk::New(const Bytes& durable, std::uint64_t keep) {
    Ptr<FakeDisk> disk;
    *&disk = new FakeDisk(durable, keep);
    return disk;
}

std::uint64_t FakeDisk::Written(std::size_t first) const {
    std::uint64_t written = 0;
    for (std::size_t i = first; i < m_events.size(); ++i)
        written += m_events[i].size;
    return written;
}

std::size_t FakeDisk::Pending() const {
    return std::count_if(m_pending.begin(), m_pending.end(),
                         [](const Op& op) { return !op.resize; });
}

HRESULT FakeDisk::ReadAt(ULARGE_INTEGER at, void* pv, ULONG cb, ULONG* pcbRead) {
    const auto n =
        at.QuadPart < m_size ? ULONG(std::min<std::uint64_t>(cb, m_size - at.QuadPart)) : ULONG{0};
    std::memset(pv, 0, n);
    if (at.QuadPart < m_view.size())
        std::memcpy(pv, m_view.data() + at.QuadPart,
                    std::min<std::uint64_t>(n, m_view.size() - at.QuadPart));
    if (pcbRead)
        *pcbRead = n;
    return S_OK;
}

HRESULT FakeDisk::WriteAt(ULARGE_INTEGER at, const void* pv, ULONG cb, ULONG* pcbWritten) {
    if (pcbWritten)
        *pcbWritten = 0;
    const auto* p = static_cast<const std::uint8_t*>(pv);
    const std::uint64_t kept =
        at.QuadPart < m_keep ? std::min<std::uint64_t>(cb, m_keep - at.QuadPart) : 0;
    Op op{false, at.QuadPart, Bytes(p, p + kept)};
    const bool dying = !m_crashed && m_crashAt == m_events.size() + 1;
    const HRESULT hr = Enter({false, at.QuadPart, cb, at.QuadPart + cb > m_size});
    if (SUCCEEDED(hr)) {
        Apply(op, &m_view);
        m_size = std::max<std::uint64_t>(m_size, at.QuadPart + cb);
    }
    if (SUCCEEDED(hr) || dying) // a write in flight may still reach the disk
        m_pending.push_back(std::move(op));
    if (SUCCEEDED(hr) && pcbWritten)
        *pcbWritten = cb;
    return hr;
}

HRESULT FakeDisk::Flush() {
    const HRESULT hr = Enter({true, 0, 0, false});
    if (SUCCEEDED(hr)) {
        m_durable = m_view;
        m_pending.clear();
    }
    return hr;
}

HRESULT FakeDisk::SetSize(ULARGE_INTEGER cb) {
    if (m_crashed || FAILED(m_failure))
        return m_crashed ? STG_E_WRITEFAULT : m_failure;
    m_pending.push_back({true, cb.QuadPart, {}});
    Apply(m_pending.back(), &m_view);
    m_size = cb.QuadPart;
    return S_OK;
}

HRESULT FakeDisk::Stat(STATSTG* st, DWORD) {
    *st = STATSTG{};
    st->type = STGTY_LOCKBYTES;
    st->cbSize.QuadPart = m_size;
    return S_OK;
}

void FakeDisk::Apply(const Op& op, Bytes* disk) const {
    if (op.resize)
        disk->resize(std::min(op.offset, m_keep));
    Splice(disk, op.offset, op.data);
}

HRESULT FakeDisk::Enter(const Event& event) {
    m_events.push_back(event);
    if (m_crashed || m_crashAt == m_events.size()) {
        m_crashed = true;
        return STG_E_WRITEFAULT;
    }
    if (m_failFrom && m_events.size() >= m_failFrom && m_failure == S_OK)
        m_failure = event.extends ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
    return m_failure;
}

Bytes FakeDisk::AfterCrash(Loss loss, unsigned seed) const {
    enum Fate { Keep, Drop, Garble };
    std::mt19937 rng(seed);
    Bytes disk = m_durable;
    for (const Op& op : m_pending) {
        if (op.resize) {
            if (loss != Loss::DropAll && !(loss == Loss::Mix && rng() % 2))
                Apply(op, &disk);
            continue;
        }
        for (std::uint64_t at = op.offset, end = at + op.data.size(); at < end;) {
            const std::uint64_t next = std::min(end, (at / kPiece + 1) * kPiece);
            Fate fate = loss == Loss::KeepAll     ? Keep
                        : loss == Loss::DropAll   ? Drop
                        : loss == Loss::GarbleAll ? Garble
                                                  : Fate(rng() % 3);
            // A drive writes one sector whole or not at all, and the header is one sector:
            // no file with a single header could survive a torn one.
            if (at == 0 && fate == Garble)
                fate = loss == Loss::Mix && rng() % 2 ? Keep : Drop;
            const auto from = op.data.begin() + std::ptrdiff_t(at - op.offset);
            Bytes piece(from, from + std::ptrdiff_t(next - at));
            for (auto& b : piece)
                b = fate == Garble ? std::uint8_t(rng()) : b;
            if (fate != Drop)
                Splice(&disk, at, piece);
            at = next;
        }
    }
    return disk;
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

void Splice(Bytes* bytes, std::uint64_t at, const Bytes& data) {
    if (bytes->size() < at + data.size())
        bytes->resize(at + data.size());
    std::copy(data.begin(), data.end(), bytes->begin() + std::ptrdiff_t(at));
}

HRESULT WriteStream(IStorage* storage, const std::u16string& name, const Bytes& bytes) {
    Ptr<IStream> stream;
    HRESULT hr = storage->CreateStream(name.c_str(), kCreate, 0, 0, &stream);
    return SUCCEEDED(hr) ? stream->Write(bytes.data(), ULONG(bytes.size()), nullptr) : hr;
}

Bytes ReadStream(IStorage* storage, const std::u16string& name) {
    Ptr<IStream> stream;
    HRESULT hr = storage->OpenStream(name.c_str(), nullptr, kRead, 0, &stream);
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
    HRESULT hr = storage->OpenStream(name.c_str(), nullptr, kRW, 0, &stream);
    if (SUCCEEDED(hr))
        hr = stream->Seek(LARGE_INTEGER{.QuadPart = LONGLONG(at)}, STREAM_SEEK_SET, nullptr);
    return SUCCEEDED(hr) ? stream->Write(data.data(), ULONG(data.size()), nullptr) : hr;
}

HRESULT ResizeStream(IStorage* storage, const std::u16string& name, std::uint64_t size) {
    Ptr<IStream> stream;
    HRESULT hr = storage->OpenStream(name.c_str(), nullptr, kRW, 0, &stream);
    return SUCCEEDED(hr) ? stream->SetSize(ULARGE_INTEGER{.QuadPart = size}) : hr;
}

Ptr<IStorage> Sub(IStorage* in, const char16_t* name, DWORD mode) {
    Ptr<IStorage> sub;
    EXPECT_EQ(mode & STGM_CREATE ? in->CreateStorage(name, mode, 0, 0, &sub)
                                 : in->OpenStorage(name, nullptr, mode, nullptr, 0, &sub),
              S_OK);
    return sub;
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

Ptr<IStorage> CreateRoot(ILockBytes* bytes, DWORD mode) {
    Ptr<IStorage> root;
    EXPECT_EQ(StgCreateDocfileOnILockBytes(bytes, mode, 0, &root), S_OK);
    return root;
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
    EXPECT_EQ(StgCreateStorageEx(dir.Name("empty.cfb").c_str(), kCreate, STGFMT_DOCFILE, 0,
                                 &options, nullptr, IID_IStorage, reinterpret_cast<void**>(&root)),
              S_OK);
    root.Reset();
    std::ifstream in(dir.Path("empty.cfb"), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
