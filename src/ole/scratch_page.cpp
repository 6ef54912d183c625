#include "scratch_page.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The process's scratch file and the bookkeeping of its slots and of the memory budget.
class ScratchSpace {
public:
    static ScratchSpace& Instance() {
        static ScratchSpace space;
        return space;
    }

    std::mutex mutex;
    std::size_t memoryLimit = std::size_t{32} << 20;
    std::size_t memoryInUse = 0;

    HRESULT TakeSlot(std::uint64_t* slot) {
        if (m_fd < 0) {
            const char* dir = std::getenv("TMPDIR");
            std::string path = std::string(dir && *dir ? dir : "/tmp") + "/kestrin-scratch-XXXXXX";
            m_fd = mkostemp(path.data(), O_CLOEXEC);
            if (m_fd < 0)
                return errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_INSUFFICIENTMEMORY;
            unlink(path.c_str());
        }
        if (!m_freeSlots.empty()) {
            *slot = m_freeSlots.back();
            m_freeSlots.pop_back();
        } else {
            *slot = m_nextSlot++;
        }
        return S_OK;
    }
    void GiveSlot(std::uint64_t slot) { m_freeSlots.push_back(slot); }
    // Consecutive fresh slots; false when the file cannot be made.
    HRESULT TakeFreshSlots(std::size_t count, std::uint64_t* first) {
        std::uint64_t ignored;
        if (m_fd < 0) {
            HRESULT hr = TakeSlot(&ignored); // makes the file
            if (FAILED(hr))
                return hr;
            GiveSlot(ignored);
        }
        *first = m_nextSlot;
        m_nextSlot += count;
        return S_OK;
    }
    int Fd() const { return m_fd; }

private:
    int m_fd = -1;
    std::uint64_t m_nextSlot = 0;
    std::vector<std::uint64_t> m_freeSlots;
};

HRESULT FileFault(int error) {
    return error == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
}

} // namespace

std::size_t SetScratchMemoryLimit(std::size_t bytes) {
    ScratchSpace& space = ScratchSpace::Instance();
    std::lock_guard lock(space.mutex);
    const std::size_t before = space.memoryLimit;
    space.memoryLimit = bytes;
    return before;
}

HRESULT ScratchPage::Create(const std::uint8_t* bytes, std::size_t length,
                            std::shared_ptr<ScratchPage>* page) {
    std::shared_ptr<ScratchPage> fresh(new (std::nothrow) ScratchPage);
    if (!fresh)
        return STG_E_INSUFFICIENTMEMORY;
    ScratchSpace& space = ScratchSpace::Instance();
    const std::size_t capacity = std::max<std::size_t>(length, kMinimumCapacity);
    {
        std::lock_guard lock(space.mutex);
        if (space.memoryInUse + capacity <= space.memoryLimit) {
            fresh->m_memory.reset(new (std::nothrow) std::uint8_t[capacity]);
            if (fresh->m_memory) {
                fresh->m_capacity = capacity;
                space.memoryInUse += capacity;
            }
        }
        if (!fresh->m_memory) {
            HRESULT hr = space.TakeSlot(&fresh->m_slot);
            if (FAILED(hr))
                return hr;
        }
    }
    HRESULT hr = S_OK;
    if (fresh->m_memory) {
        std::memcpy(fresh->m_memory.get(), bytes, length);
        std::memset(fresh->m_memory.get() + length, 0, capacity - length);
    } else {
        hr = fresh->Write(0, bytes, length);
        if (SUCCEEDED(hr))
            hr = fresh->Clear(length);
    }
    if (SUCCEEDED(hr))
        *page = std::move(fresh);
    return hr;
}

HRESULT ScratchPage::Grow(std::size_t length) {
    const std::size_t capacity = std::min(kSize, std::max(length, 2 * m_capacity));
    std::unique_ptr<std::uint8_t[]> grown(new (std::nothrow) std::uint8_t[capacity]);
    if (!grown)
        return STG_E_INSUFFICIENTMEMORY;
    std::memcpy(grown.get(), m_memory.get(), m_capacity);
    std::memset(grown.get() + m_capacity, 0, capacity - m_capacity);
    ScratchSpace& space = ScratchSpace::Instance();
    std::lock_guard lock(space.mutex);
    space.memoryInUse += capacity - m_capacity;
    m_memory = std::move(grown);
    m_capacity = capacity;
    return S_OK;
}

HRESULT ScratchPage::Clear(std::size_t offset) {
    static const std::uint8_t zeros[kSize] = {};
    if (m_memory) {
        if (offset < m_capacity)
            std::memset(m_memory.get() + offset, 0, m_capacity - offset);
        return S_OK;
    }
    return offset < kSize ? Write(offset, zeros, kSize - offset) : S_OK;
}

HRESULT ScratchPage::CreateRun(const std::uint8_t* bytes, std::size_t count,
                               std::shared_ptr<ScratchPage>* pages) {
    ScratchSpace& space = ScratchSpace::Instance();
    std::size_t inMemory = 0;
    {
        std::lock_guard lock(space.mutex);
        const std::size_t room = space.memoryLimit > space.memoryInUse
                                     ? (space.memoryLimit - space.memoryInUse) / kSize
                                     : 0;
        inMemory = std::min(room, count);
    }
    for (std::size_t i = 0; i < inMemory; ++i) {
        HRESULT hr = Create(bytes + i * kSize, kSize, &pages[i]);
        if (FAILED(hr))
            return hr;
    }
    const std::size_t rest = count - inMemory;
    if (rest == 0)
        return S_OK;
    std::uint64_t first = 0;
    {
        std::lock_guard lock(space.mutex);
        HRESULT hr = space.TakeFreshSlots(rest, &first);
        if (FAILED(hr))
            return hr;
    }
    for (std::size_t i = 0; i < rest; ++i) {
        pages[inMemory + i].reset(new (std::nothrow) ScratchPage);
        if (!pages[inMemory + i])
            return STG_E_INSUFFICIENTMEMORY;
        pages[inMemory + i]->m_slot = first + i;
    }
    const std::uint8_t* from = bytes + inMemory * kSize;
    const std::size_t total = rest * kSize;
    for (std::size_t done = 0; done < total;) {
        const ssize_t put =
            pwrite(space.Fd(), from + done, total - done, static_cast<off_t>(first * kSize + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return FileFault(put < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(put);
    }
    return S_OK;
}

HRESULT ScratchPage::ReadRun(std::size_t count, void* out) const {
    if (m_memory)
        return Read(0, out, kSize);
    const std::size_t total = count * kSize;
    auto* to = static_cast<std::uint8_t*>(out);
    for (std::size_t done = 0; done < total;) {
        const ssize_t got = pread(ScratchSpace::Instance().Fd(), to + done, total - done,
                                  static_cast<off_t>(m_slot * kSize + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return STG_E_READFAULT;
        done += static_cast<std::size_t>(got);
    }
    return S_OK;
}

ScratchPage::~ScratchPage() {
    ScratchSpace& space = ScratchSpace::Instance();
    std::lock_guard lock(space.mutex);
    if (m_memory)
        space.memoryInUse -= m_capacity;
    else
        space.GiveSlot(m_slot);
}

HRESULT ScratchPage::Read(std::size_t offset, void* out, std::size_t n) const {
    if (m_memory) {
        const std::size_t held = offset < m_capacity ? std::min(n, m_capacity - offset) : 0;
        std::memcpy(out, m_memory.get() + offset, held);
        std::memset(static_cast<std::uint8_t*>(out) + held, 0, n - held);
        return S_OK;
    }
    const off_t at = static_cast<off_t>(m_slot * kSize + offset);
    ssize_t got;
    do
        got = pread(ScratchSpace::Instance().Fd(), out, n, at);
    while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(n) ? S_OK : STG_E_READFAULT;
}

HRESULT ScratchPage::Write(std::size_t offset, const void* in, std::size_t n) {
    if (m_memory) {
        if (offset + n > m_capacity) {
            HRESULT hr = Grow(offset + n);
            if (FAILED(hr))
                return hr;
        }
        std::memcpy(m_memory.get() + offset, in, n);
        return S_OK;
    }
    const off_t at = static_cast<off_t>(m_slot * kSize + offset);
    ssize_t put;
    do
        put = pwrite(ScratchSpace::Instance().Fd(), in, n, at);
    while (put < 0 && errno == EINTR);
    return put == static_cast<ssize_t>(n) ? S_OK : FileFault(put < 0 ? errno : ENOSPC);
}
