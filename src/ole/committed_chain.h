// The sectors that hold one stream's bytes in one committed state of a file.
//
// A committed chain is immutable. The file it belongs to keeps a list of the regular chains
// alive and never hands their sectors to new data, so a stream read through a chain stays
// intact after later commits have moved on (a transacted child's snapshot, say, may still
// read it). A pending chain grows while its one owner appends to it, until the next commit.
#pragma once

#include <cstdint>
#include <memory>

#include "ole_types.h"
#include "sector_runs.h"

class FileImage;

struct CommittedChain {
    std::shared_ptr<FileImage> image;
    SectorRuns sectors;                               // in stream order
    std::uint64_t size = 0;                           // bytes
    bool mini = false;                                // sectors are mini sectors of the mini stream
    std::shared_ptr<const CommittedChain> miniStream; // the regular chain mini sectors live in
    // A pending chain holds bytes appended since the last commit, in sectors past the
    // committed end of the file (FileImage::GrowPending); `epoch` is the file's at its start.
    bool pending = false;
    std::uint64_t epoch = 0;

    // Reads n bytes at offset; the caller keeps offset + n within size.
    HRESULT Read(std::uint64_t offset, void* buffer, std::size_t n) const;
};
