#include "stream_content.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "file_image.h"

namespace {

std::atomic<std::size_t> bulkAppendMinimum{std::size_t{64} << 10};

} // namespace

std::size_t SetBulkAppendMinimum(std::size_t bytes) {
    return bulkAppendMinimum.exchange(bytes);
}

StreamContent::StreamContent(std::shared_ptr<const CommittedChain> base)
    : m_size(base->size), m_base(std::move(base)), m_baseLength(m_size) {}

HRESULT StreamContent::Read(std::uint64_t offset, void* buffer, std::size_t n) const {
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::uint64_t end = offset + n;
    std::uint64_t pos = offset;
    while (pos < end) {
        const std::uint64_t index = pos / kPageSize;
        auto it = m_pages.lower_bound(index);
        if (it != m_pages.end() && it->first == index) {
            // Whole pages that lie side by side in the scratch file come in one read.
            std::size_t run = 1;
            if (pos % kPageSize == 0) {
                for (auto next = std::next(it);
                     run < 256 && pos + (run + 1) * kPageSize <= end && next != m_pages.end() &&
                     next->first == index + run &&
                     std::prev(next)->second->IsFollowedBy(*next->second);
                     ++next)
                    ++run;
            }
            if (run > 1) {
                HRESULT hr = it->second->ReadRun(run, out + (pos - offset));
                if (FAILED(hr))
                    return hr;
                pos += run * kPageSize;
                continue;
            }
            const std::uint64_t stop = std::min(end, (index + 1) * kPageSize);
            HRESULT hr = it->second->Read(pos % kPageSize, out + (pos - offset), stop - pos);
            if (FAILED(hr))
                return hr;
            pos = stop;
            continue;
        }
        // Up to the next changed page the bytes come from the base, then zeros.
        const std::uint64_t next = it == m_pages.end() ? end : std::min(end, it->first * kPageSize);
        const std::uint64_t baseEnd = std::min(next, m_baseLength);
        if (pos < baseEnd) {
            HRESULT hr = m_base->Read(pos, out + (pos - offset), baseEnd - pos);
            if (FAILED(hr))
                return hr;
        }
        const std::uint64_t zeroFrom = std::max(pos, baseEnd);
        if (zeroFrom < next)
            std::memset(out + (zeroFrom - offset), 0, next - zeroFrom);
        pos = next;
    }
    return S_OK;
}

HRESULT StreamContent::MutablePage(std::uint64_t index, ScratchPage** page) {
    auto it = m_pages.find(index);
    if (it != m_pages.end() && it->second.use_count() == 1) {
        *page = it->second.get();
        return S_OK;
    }
    // A new page starts as the bytes it covers; a page another copy shares is copied.
    std::uint8_t bytes[kPageSize];
    HRESULT hr = S_OK;
    std::size_t length = kPageSize;
    if (it != m_pages.end()) {
        length = it->second->Length();
        hr = it->second->Read(0, bytes, kPageSize);
    } else {
        const std::uint64_t start = index * kPageSize;
        const std::uint64_t fromBase =
            start < m_baseLength ? std::min<std::uint64_t>(kPageSize, m_baseLength - start) : 0;
        if (fromBase)
            hr = m_base->Read(start, bytes, fromBase);
        std::memset(bytes + fromBase, 0, kPageSize - fromBase);
        length = static_cast<std::size_t>(fromBase);
    }
    std::shared_ptr<ScratchPage> fresh;
    if (SUCCEEDED(hr))
        hr = ScratchPage::Create(bytes, length, &fresh);
    if (FAILED(hr))
        return hr;
    try {
        *page = fresh.get();
        m_pages[index] = std::move(fresh);
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

// Whole pages beyond the base that no page covers yet are made in runs.
HRESULT StreamContent::WriteNewPages(std::uint64_t index, const std::uint8_t* in,
                                     std::size_t count) {
    std::vector<std::shared_ptr<ScratchPage>> pages(count);
    HRESULT hr = ScratchPage::CreateRun(in, count, pages.data());
    if (FAILED(hr))
        return hr;
    try {
        for (std::size_t i = 0; i < count; ++i)
            m_pages[index + i] = std::move(pages[i]);
    } catch (const std::bad_alloc&) {
        return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}

HRESULT StreamContent::AppendInFile(FileImage& file, const std::uint8_t* in, std::size_t n) {
    std::shared_ptr<CommittedChain> chain;
    if (m_size == 0 && m_pages.empty()) {
        // A file with room inside takes the bytes there at the commit: appended past its end
        // they would leave that room unused, and the file would grow with every save.
        if (n < bulkAppendMinimum || file.CommittedFreeBytes() >= n)
            return S_FALSE;
        chain = file.NewPendingChain();
    } else if (m_base && m_base.use_count() == 1 && file.CanGrow(*m_base) &&
               m_baseLength == m_size && m_base->size == m_size &&
               (m_pages.empty() || m_pages.rbegin()->first < m_size / kPageSize)) {
        // Made mutable by the file; nothing else shares it, so growing it changes no copy.
        chain = std::const_pointer_cast<CommittedChain>(m_base);
    } else {
        return S_FALSE;
    }
    HRESULT hr = file.GrowPending(*chain, in, n);
    if (hr == STG_E_DOCFILETOOLARGE)
        return S_FALSE; // pages take the bytes; the commit reports the size if it persists
    if (FAILED(hr))
        return hr;
    m_base = std::move(chain);
    m_size = m_baseLength = m_base->size;
    return S_OK;
}

HRESULT StreamContent::Write(std::uint64_t offset, const void* buffer, std::size_t n,
                             FileImage* file) {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    if (file && offset == m_size && n > 0) {
        HRESULT hr = AppendInFile(*file, in, n);
        if (hr != S_FALSE)
            return hr;
    }
    for (std::uint64_t pos = offset; pos < offset + n;) {
        const std::uint64_t index = pos / kPageSize;
        std::size_t whole = 0;
        if (pos % kPageSize == 0 && index * kPageSize >= m_baseLength) {
            auto next = m_pages.lower_bound(index);
            const std::uint64_t limit = next == m_pages.end() ? ~std::uint64_t{0} : next->first;
            while (whole < 256 && index + whole < limit &&
                   pos + (whole + 1) * kPageSize <= offset + n)
                ++whole;
        }
        if (whole > 1) {
            HRESULT hr = WriteNewPages(index, in + (pos - offset), whole);
            if (FAILED(hr))
                return hr;
            pos += whole * kPageSize;
            continue;
        }
        ScratchPage* page = nullptr;
        HRESULT hr = MutablePage(pos / kPageSize, &page);
        const std::uint64_t stop = std::min(offset + n, (pos / kPageSize + 1) * kPageSize);
        if (SUCCEEDED(hr))
            hr = page->Write(pos % kPageSize, in + (pos - offset), stop - pos);
        if (FAILED(hr))
            return hr;
        pos = stop;
    }
    m_size = std::max(m_size, offset + n);
    return S_OK;
}

HRESULT StreamContent::SetSize(std::uint64_t size) {
    if (size < m_size) {
        const std::uint64_t tail = size % kPageSize;
        if (tail != 0 && m_pages.count(size / kPageSize)) {
            ScratchPage* page = nullptr;
            HRESULT hr = MutablePage(size / kPageSize, &page);
            if (SUCCEEDED(hr))
                hr = page->Clear(tail);
            if (FAILED(hr))
                return hr;
        }
        m_pages.erase(m_pages.lower_bound((size + kPageSize - 1) / kPageSize), m_pages.end());
        m_baseLength = std::min(m_baseLength, size);
    }
    m_size = size;
    return S_OK;
}

bool StreamContent::IsUnchangedBase() const {
    return m_base && m_pages.empty() && m_baseLength == m_size && m_size == m_base->size;
}

std::optional<std::uint32_t> StreamContent::UnchangedRun(std::uint64_t index, unsigned shift,
                                                         std::uint32_t* length) const {
    if (!m_base || m_base->mini || index >= m_base->sectors.Count())
        return std::nullopt;
    // Bytes below `unchanged` read from the base as committed: up to the first changed page
    // at or after this sector, and no further than the base reaches.
    std::uint64_t unchanged = m_baseLength;
    auto it = m_pages.lower_bound((index << shift) / kPageSize);
    if (it != m_pages.end())
        unchanged = std::min(unchanged, it->first * kPageSize);
    // A sector is unchanged when all its bytes within the stream are.
    const std::uint64_t sectors = m_size <= unchanged
                                      ? (m_size + (std::uint64_t{1} << shift) - 1) >> shift
                                      : unchanged >> shift;
    if (sectors <= index)
        return std::nullopt;
    std::uint32_t following = 0;
    const std::uint32_t sector = m_base->sectors.At(static_cast<std::uint32_t>(index), &following);
    *length = static_cast<std::uint32_t>(std::min<std::uint64_t>(following, sectors - index));
    return sector;
}

void StreamContent::Rebase(std::shared_ptr<const CommittedChain> chain) {
    m_base = std::move(chain);
    m_baseLength = m_size;
    m_pages.clear();
}

HRESULT CopyContent(const std::shared_ptr<StreamContent>& source, const FileImage* target,
                    std::shared_ptr<StreamContent>* copy) {
    // A copy of its own even within one file: the source's file may rebase the source's
    // content object on its next commit, which must not move this copy with it.
    if (!source->Base() || source->Base()->image.get() == target) {
        try {
            *copy = std::make_shared<StreamContent>(*source);
        } catch (const std::bad_alloc&) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        return S_OK;
    }
    auto fresh = std::make_shared<StreamContent>();
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(source->Size(), 1 << 20));
    for (std::uint64_t pos = 0; pos < source->Size(); pos += buffer.size()) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), source->Size() - pos));
        HRESULT hr = source->Read(pos, buffer.data(), n);
        if (SUCCEEDED(hr))
            hr = fresh->Write(pos, buffer.data(), n);
        if (FAILED(hr))
            return hr;
    }
    *copy = std::move(fresh);
    return S_OK;
}
