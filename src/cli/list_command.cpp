// kestrin-cfb list FILE: one line per element below the root, depth first.
//   storage<TAB>0<TAB>PATH
//   stream<TAB>SIZE<TAB>PATH
#include <cerrno>
#include <cstdio>

#include "commands.h"
#include "element_path.h"
#include "open_element.h"
#include "storage_walk.h"

namespace cli {

namespace {

class ListVisitor final : public StorageVisitor {
public:
    Status OnStorage(const std::vector<std::u16string>& path) override {
        std::printf("storage\t0\t%s\n", FormatElementPath(path).c_str());
        return Status::Ok();
    }
    Status OnStream(IStorage*, const std::vector<std::u16string>& path,
                    const STATSTG& stat) override {
        std::printf("stream\t%llu\t%s\n", static_cast<unsigned long long>(stat.cbSize.QuadPart),
                    FormatElementPath(path).c_str());
        return Status::Ok();
    }
};

} // namespace

Status RunList(Arguments args) {
    ComPtr<IStorage> root;
    if (Status status = OpenRootStorage(args[0], kReadRootMode, root); !status.ok())
        return status;
    ListVisitor visitor;
    if (Status status = WalkStorage(root.Get(), STGM_READ | STGM_SHARE_EXCLUSIVE, visitor);
        !status.ok())
        return status;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Status::System("write the listing", errno);
    return Status::Ok();
}

} // namespace cli
