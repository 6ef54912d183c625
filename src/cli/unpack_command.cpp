// kestrin-cfb unpack FILE DIR: the elements of a compound file as a directory tree, storages
// as folders and streams as files, names escaped as EscapeFileName writes them.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "commands.h"
#include "element_path.h"
#include "open_element.h"
#include "storage_walk.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

class UnpackVisitor final : public StorageVisitor {
public:
    explicit UnpackVisitor(fs::path dir) : m_dir(std::move(dir)), m_buffer(kCopyBufferSize) {}

    Status OnStorage(const std::vector<std::u16string>& path) override {
        fs::path folder;
        if (Status status = FilePath(path, folder); !status.ok())
            return status;
        std::error_code error;
        fs::create_directory(folder, error);
        if (error)
            return Status::System("create " + folder.string(), error.value());
        return Status::Ok();
    }

    Status OnStream(IStorage* parent, const std::vector<std::u16string>& path,
                    const STATSTG&) override {
        fs::path file;
        if (Status status = FilePath(path, file); !status.ok())
            return status;
        ComPtr<IStream> stream;
        HRESULT hr = parent->OpenStream(path.back().c_str(), nullptr,
                                        STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
        if (FAILED(hr))
            return Status::Storage("open stream " + FormatElementPath(path), hr);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (out == nullptr)
            return Status::System("create " + file.string(), errno);
        Status status = Copy(stream.Get(), out, path, file);
        if (std::fclose(out) != 0 && status.ok())
            status = Status::System("write " + file.string(), errno);
        return status;
    }

private:
    Status FilePath(const std::vector<std::u16string>& path, fs::path& out) const {
        out = m_dir;
        for (const auto& name : path) {
            if (name.empty())
                return Status::Error(FormatElementPath(path) + ": an element without a name");
            out /= EscapeFileName(name);
        }
        return Status::Ok();
    }

    Status Copy(IStream* stream, std::FILE* out, const std::vector<std::u16string>& path,
                const fs::path& file) {
        for (;;) {
            ULONG read = 0;
            const HRESULT hr = stream->Read(m_buffer.data(), kCopyBufferSize, &read);
            if (FAILED(hr))
                return Status::Storage("read " + FormatElementPath(path), hr);
            if (read == 0)
                return Status::Ok();
            if (std::fwrite(m_buffer.data(), 1, read, out) != read)
                return Status::System("write " + file.string(), errno);
        }
    }

    fs::path m_dir;
    std::vector<char> m_buffer;
};

} // namespace

Status RunUnpack(Arguments args) {
    ComPtr<IStorage> root;
    if (Status status = OpenRootStorage(args[0], kReadRootMode, root); !status.ok())
        return status;
    const fs::path dir = args[1];
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        return Status::System("create " + dir.string(), error.value());
    UnpackVisitor visitor(dir);
    return WalkStorage(root.Get(), STGM_READ | STGM_SHARE_EXCLUSIVE, visitor);
}

} // namespace cli
