// A 4 KiB page of pending stream changes. Pages live in memory up to a budget shared by the
// whole process; beyond it they live in one temporary file (removed from the folder as soon
// as it is made), so that writing gigabytes into a transaction does not hold them in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ole_types.h"

class ScratchPage {
public:
    static constexpr std::size_t kSize = 4096;
    static constexpr std::size_t kMinimumCapacity = 64;

    // A page holding a copy of the first `length` of `bytes`, the rest of it zeros. A page in
    // memory takes only what it holds so far: a small stream costs its size, not 4 KiB.
    static HRESULT Create(const std::uint8_t* bytes, std::size_t length,
                          std::shared_ptr<ScratchPage>* page);
    // `count` pages holding `bytes` (count * kSize of them). Pages that go to the file lie
    // side by side there and are written with one call, so that big writes stay big.
    static HRESULT CreateRun(const std::uint8_t* bytes, std::size_t count,
                             std::shared_ptr<ScratchPage>* pages);
    // True when `next` lies right after this page in the scratch file.
    bool IsFollowedBy(const ScratchPage& next) const {
        return !m_memory && !next.m_memory && next.m_slot == m_slot + 1;
    }
    // Reads this page and the count - 1 pages that follow it in the file (IsFollowedBy).
    HRESULT ReadRun(std::size_t count, void* out) const;
    ~ScratchPage();
    ScratchPage(const ScratchPage&) = delete;
    ScratchPage& operator=(const ScratchPage&) = delete;

    HRESULT Read(std::size_t offset, void* out, std::size_t n) const;
    HRESULT Write(std::size_t offset, const void* in, std::size_t n);
    // Zeros from offset to the end of the page.
    HRESULT Clear(std::size_t offset);
    // How many leading bytes may be other than zero.
    std::size_t Length() const { return m_memory ? m_capacity : kSize; }

private:
    ScratchPage() = default;
    HRESULT Grow(std::size_t length);
    std::unique_ptr<std::uint8_t[]> m_memory; // null when the page lives in the file
    std::size_t m_capacity = 0;               // bytes of m_memory; beyond them, zeros
    std::uint64_t m_slot = 0;
};

// How many bytes of pages may stay in memory; the rest go to the scratch file. Returns the
// limit before. For tests that want pages on disk.
std::size_t SetScratchMemoryLimit(std::size_t bytes);
