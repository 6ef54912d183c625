#include "storage_walk.h"

#include "com_ptr.h"
#include "element_path.h"
#include "storage_api.h"

namespace cli {

namespace {

struct Frame {
    ComPtr<IStorage> storage;
    ComPtr<IEnumSTATSTG> elements;
};

Status Enumerate(ComPtr<IStorage> storage, const std::vector<std::u16string>& path,
                 std::vector<Frame>& frames) {
    Frame frame{std::move(storage), {}};
    const HRESULT hr = frame.storage->EnumElements(0, nullptr, 0, frame.elements.Put());
    if (FAILED(hr))
        return Status::Storage(
            "list " + (path.empty() ? std::string("the root storage") : FormatElementPath(path)),
            hr);
    frames.push_back(std::move(frame));
    return Status::Ok();
}

} // namespace

Status WalkStorage(IStorage* root, DWORD mode, StorageVisitor& visitor) {
    std::vector<Frame> frames;
    std::vector<std::u16string> path; // frame i > 0 is the storage named path[i - 1]
    if (Status status = Enumerate(ComPtr<IStorage>::Share(root), path, frames); !status.ok())
        return status;
    while (!frames.empty()) {
        STATSTG stat{};
        ULONG fetched = 0;
        const HRESULT hr = frames.back().elements->Next(1, &stat, &fetched);
        if (FAILED(hr))
            return Status::Storage("list " + (path.empty() ? std::string("the root storage")
                                                           : FormatElementPath(path)),
                                   hr);
        if (hr == S_FALSE || fetched == 0) {
            frames.pop_back();
            if (!path.empty())
                path.pop_back();
            continue;
        }
        std::u16string name = stat.pwcsName != nullptr ? stat.pwcsName : u"";
        CoTaskMemFree(stat.pwcsName);
        stat.pwcsName = nullptr;
        path.push_back(std::move(name));

        if (stat.type == STGTY_STORAGE) {
            if (Status status = visitor.OnStorage(path); !status.ok())
                return status;
            ComPtr<IStorage> child;
            const HRESULT openHr = frames.back().storage->OpenStorage(
                path.back().c_str(), nullptr, mode, nullptr, 0, child.Put());
            if (FAILED(openHr))
                return Status::Storage("open " + FormatElementPath(path), openHr);
            if (Status status = Enumerate(std::move(child), path, frames); !status.ok())
                return status;
            continue; // the name stays on the path while the storage's frame is open
        }
        if (stat.type == STGTY_STREAM) {
            if (Status status = visitor.OnStream(frames.back().storage.Get(), path, stat);
                !status.ok())
                return status;
        }
        path.pop_back();
    }
    return Status::Ok();
}

} // namespace cli
