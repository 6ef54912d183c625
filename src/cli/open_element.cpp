#include "open_element.h"

#include "element_path.h"
#include "storage_api.h"

namespace cli {

Status OpenRootStorage(std::string_view fileName, DWORD mode, ComPtr<IStorage>& root) {
    std::u16string name;
    if (Status status = FileNameToOle(fileName, name); !status.ok())
        return status;
    const HRESULT hr = StgOpenStorage(name.c_str(), nullptr, mode, nullptr, 0, root.Put());
    if (FAILED(hr))
        return Status::Storage("open " + std::string(fileName), hr);
    return Status::Ok();
}

Status OpenStreamAt(IStorage* root, const std::vector<std::u16string>& path, DWORD mode,
                    OpenedStream& opened) {
    if (path.empty())
        return Status::Error("the element path names no stream");
    IStorage* parent = root;
    std::vector<std::u16string> walked;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        walked.push_back(path[i]);
        ComPtr<IStorage> storage;
        const HRESULT hr =
            parent->OpenStorage(path[i].c_str(), nullptr, mode, nullptr, 0, storage.Put());
        if (FAILED(hr))
            return Status::Storage("open storage " + FormatElementPath(walked), hr);
        parent = storage.Get();
        opened.storages.push_back(std::move(storage));
    }
    const HRESULT hr =
        parent->OpenStream(path.back().c_str(), nullptr, mode, 0, opened.stream.Put());
    if (FAILED(hr))
        return Status::Storage("open stream " + FormatElementPath(path), hr);
    return Status::Ok();
}

} // namespace cli
