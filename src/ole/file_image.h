// One compound file on one lock-bytes: its header, allocation tables and the chains alive
// in it. It reads the committed state into an element tree and commits a tree back.
//
// Contract: every byte goes through the lock-bytes. Opening reads the header, the DIFAT,
// the FAT, the mini FAT and the directory, never stream data. The FAT and every chain are
// held as runs of consecutive sectors, so what an open file costs in memory follows its
// directory and its fragmentation, not its size. A commit writes only to
// sectors that the last committed state does not use (and that no live chain still reads),
// flushes, and only then writes the header and flushes again: a crash leaves the old or
// the new state. See file_commit.cpp for the commit itself.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "element_node.h"
#include "packed_fat.h"
#include "sector_runs.h"

class FileImage : public std::enable_shared_from_this<FileImage> {
public:
    ~FileImage();

    // Reads the header and tables of an existing file. STG_E_FILEALREADYEXISTS when the bytes
    // are not a compound file, STG_E_INVALIDHEADER or STG_E_DOCFILECORRUPT when they are a
    // damaged one.
    static HRESULT Open(ILockBytes* bytes, std::shared_ptr<FileImage>* image);
    // Formats the bytes as an empty compound file of major version 3 or 4 and writes it.
    static HRESULT Create(ILockBytes* bytes, unsigned majorVersion,
                          std::shared_ptr<FileImage>* image);

    // The committed state as a new element tree (the root node is the root storage).
    HRESULT LoadTree(NodePtr* root);
    // Writes the tree as the new committed state. On success every stream content in the
    // tree reads from the new state. On failure the file holds the old state (or, when only
    // the last flush failed, perhaps the new one) and the image is stuck: Failure() answers
    // the error until Reload has read the file's state afresh.
    HRESULT Commit(ElementNode& root);
    HRESULT Failure() const { return m_failure; }
    // Reads the header and tables again, clears a failure, and loads the tree.
    HRESULT Reload(NodePtr* root);

    ILockBytes* Bytes() const { return m_bytes; }
    unsigned SectorShift() const { return m_sectorShift; }
    unsigned MajorVersion() const { return m_sectorShift == 12 ? 4 : 3; }
    // Reads bytes at a file offset; bytes beyond the end of the file read as zeros.
    HRESULT ReadSectorBytes(std::uint64_t offset, void* buffer, std::size_t n) const;
    // Writes bytes at a file offset; a short write is STG_E_WRITEFAULT.
    HRESULT WriteSectorBytes(std::uint64_t offset, const void* buffer, std::size_t n) const;

    // Bulk appends: bytes appended to a stream go at once to sectors past the committed end
    // of the file, which neither the committed state nor any live chain uses, and the next
    // commit keeps them where they are instead of copying them through pending pages.
    // A new, empty pending chain of this file.
    std::shared_ptr<CommittedChain> NewPendingChain();
    // Bytes of the sectors free in the committed state inside the file: room a commit fills
    // before it appends.
    std::uint64_t CommittedFreeBytes() const;
    // True while `chain` may grow: a pending chain of this file with no commit since it began
    // (a commit may have taken its sectors into the committed state).
    bool CanGrow(const CommittedChain& chain) const;
    // Appends n bytes to a chain that CanGrow; its owner must hold the only reference.
    // STG_E_DOCFILETOOLARGE when the sectors would lie past the format's limit.
    HRESULT GrowPending(CommittedChain& chain, const std::uint8_t* in, std::size_t n);
    // Cuts the tail that bulk appends gave the file once every chain that grew it is gone
    // (a commit does so first): a dropped edit leaves no bytes past what the FAT covers.
    void DropDeadTail();
    // True while bulk appends have grown the file past what its FAT covers.
    bool HasUncommittedTail() const { return m_uncommittedTail; }

private:
    friend class CommitWriter;
    explicit FileImage(ILockBytes* bytes);

    HRESULT ReadHeader();
    // After a commit: cuts the free sectors at the end of the file.
    void CutFreeTail();
    HRESULT ReadAllocationTables();
    static constexpr std::uint64_t kEntireChain = ~std::uint64_t{0};
    // Follows a chain through the FAT or the mini FAT: to ENDOFCHAIN when `count` is
    // kEntireChain, else for exactly `count` sectors.
    HRESULT WalkChain(std::uint32_t start, std::uint64_t count, SectorRuns* chain) const;
    HRESULT WalkMiniChain(std::uint32_t start, std::uint64_t count, SectorRuns* chain) const;
    // The bytes of a chain of whole sectors, read a run of adjacent sectors at a time.
    HRESULT ReadChain(const SectorRuns& chain, std::vector<std::uint8_t>* bytes) const;
    std::shared_ptr<CommittedChain> RegisterChain(CommittedChain chain);
    // The committed mini stream as a chain (one object while anything reads through it).
    std::shared_ptr<const CommittedChain> MiniStreamChain();
    // Sectors that a live chain reads, as sorted, disjoint [first, end) ranges: the commit
    // must not hand them out.
    using SectorRange = std::pair<std::uint32_t, std::uint32_t>;
    std::vector<SectorRange> PinnedSectors() const;
    std::uint32_t HeaderSectorSize() const { return 1u << m_sectorShift; }
    std::uint32_t EntriesPerSector() const { return (1u << m_sectorShift) / 4; }

    ILockBytes* m_bytes;
    HRESULT m_failure = S_OK;
    unsigned m_sectorShift = 9;
    std::uint32_t m_transactionSignature = 0;
    std::uint32_t m_firstDirSector = 0;
    std::uint32_t m_fileSectors = 0; // sectors the file holds after its header
    PackedFat m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<std::uint32_t> m_fatSectors;   // where the FAT lives
    std::vector<std::uint32_t> m_difatSectors; // where the DIFAT beyond the header lives
    std::vector<std::uint32_t> m_miniFatSectors;
    // Sectors the committed state uses, as its chains and tables say, that a damaged FAT
    // calls free: a commit must still not write there. Sorted; empty in a sound file.
    std::vector<std::uint32_t> m_claimedButFree;
    std::vector<std::uint32_t> m_dirChain;
    std::vector<std::uint8_t> m_dirBytes; // the directory as committed
    SectorRuns m_miniStreamSectors;
    std::uint64_t m_miniStreamSize = 0;
    std::weak_ptr<const CommittedChain> m_miniStream; // while any stream reads through it
    std::uint32_t m_pendingEnd = 0;                   // pending chains use sectors below this
    std::uint64_t m_epoch = 0;                        // commits so far
    std::vector<std::weak_ptr<const CommittedChain>> m_growing; // pending chains of this epoch
    bool m_uncommittedTail = false;     // pending chains grew the file since the last commit
    std::uint64_t m_sizeBeforeTail = 0; // the size of the file before that
    std::vector<std::weak_ptr<const CommittedChain>> m_chains; // regular chains alive
};
