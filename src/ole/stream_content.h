// The bytes of one stream: the committed chain it was loaded from, overlaid with the pages
// changed since. Reading an unchanged stream goes straight to its sectors; a write copies
// only the 4 KiB pages it touches. Copies share pages and are copied on write, so snapshots
// of whole subtrees (transacted storages, copies within a file) cost little.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "committed_chain.h"
#include "scratch_page.h"

class StreamContent {
public:
    static constexpr std::size_t kPageSize = ScratchPage::kSize;

    StreamContent() = default;
    explicit StreamContent(std::shared_ptr<const CommittedChain> base);

    std::uint64_t Size() const { return m_size; }

    // Reads n bytes at offset; the caller keeps offset + n within Size().
    HRESULT Read(std::uint64_t offset, void* buffer, std::size_t n) const;
    // Writes n bytes at offset, growing the stream (with zeros before offset) as needed.
    // Given the stream's file, bulk appends go straight into it (FileImage::GrowPending).
    HRESULT Write(std::uint64_t offset, const void* buffer, std::size_t n,
                  FileImage* file = nullptr);
    // Shrinks, or grows with zero bytes.
    HRESULT SetSize(std::uint64_t size);

    // The committed chain behind the stream, if any.
    const CommittedChain* Base() const { return m_base.get(); }
    // True when every byte is read from the base chain just as it was committed.
    bool IsUnchangedBase() const;
    // The base sector that holds exactly the bytes of regular sector `index` (of size
    // 1 << shift) of this stream, when nothing has changed there since it was committed,
    // and how many sectors from there on are unchanged and lie side by side (`length`).
    std::optional<std::uint32_t> UnchangedRun(std::uint64_t index, unsigned shift,
                                              std::uint32_t* length) const;

    // After a commit has written these bytes to `chain`: read from there from now on.
    void Rebase(std::shared_ptr<const CommittedChain> chain);

private:
    // S_FALSE when the bytes cannot be appended in the file, and pages must take them.
    HRESULT AppendInFile(FileImage& file, const std::uint8_t* in, std::size_t n);
    HRESULT MutablePage(std::uint64_t index, ScratchPage** page);
    HRESULT WriteNewPages(std::uint64_t index, const std::uint8_t* in, std::size_t count);

    std::uint64_t m_size = 0;
    std::shared_ptr<const CommittedChain> m_base;
    std::uint64_t m_baseLength = 0; // bytes of the base still in the stream
    // Changed pages. Bytes of a page beyond m_size are always zero.
    std::map<std::uint64_t, std::shared_ptr<ScratchPage>> m_pages;
};

// The smallest write that starts a stream's bytes in its file rather than in pages; returns
// the value before. For tests that want small writes to take that path.
std::size_t SetBulkAppendMinimum(std::size_t bytes);

// Copies content for a node in the file of `target`: shares its pages and base chain when it
// comes from the same file, or copies the bytes when it comes from another (whose sectors
// may go away).
HRESULT CopyContent(const std::shared_ptr<StreamContent>& source, const FileImage* target,
                    std::shared_ptr<StreamContent>* copy);
