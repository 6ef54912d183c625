// A depth-first walk over a storage and everything below it, in the order each storage's
// EnumElements gives its children. The walk keeps an explicit stack of open storages rather
// than recursing, so a deeply nested file cannot exhaust the call stack.
#pragma once

#include <string>
#include <vector>

#include "ole_interfaces.h"
#include "status.h"

namespace cli {

class StorageVisitor {
public:
    virtual ~StorageVisitor() = default;
    // Called for a storage before any of its children; `path` ends with its name.
    virtual Status OnStorage(const std::vector<std::u16string>& path) = 0;
    // Called for a stream; `parent` is the open storage that holds it.
    virtual Status OnStream(IStorage* parent, const std::vector<std::u16string>& path,
                            const STATSTG& stat) = 0;
};

// Sub-storages are opened with `mode`; the first failure, of the engine or of the visitor,
// ends the walk and is returned.
Status WalkStorage(IStorage* root, DWORD mode, StorageVisitor& visitor);

} // namespace cli
