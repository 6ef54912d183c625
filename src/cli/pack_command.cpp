// kestrin-cfb pack DIR FILE [--v4]: a new compound file from a directory tree. Folders
// become storages and files streams; \xHH in a file name stands for that byte, as unpack
// writes it, so names with control characters survive the round trip.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "com_ptr.h"
#include "commands.h"
#include "element_path.h"
#include "storage_api.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

constexpr DWORD kCreateMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
// Inside the new file nothing is to be replaced: "A" and "a" are one element name, and two
// files so named must fail rather than one silently take the other's place.
constexpr DWORD kElementMode = STGM_FAILIFTHERE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

class Packer {
public:
    explicit Packer(fs::path output) : m_output(std::move(output)), m_buffer(kCopyBufferSize) {}

    Status PackDirectory(IStorage* storage, const fs::path& dir);

private:
    Status PackFile(IStorage* storage, const fs::path& file);
    std::string Where() const { return FormatElementPath(m_path); }

    fs::path m_output; // never packed into itself when it lies inside the tree
    std::vector<char> m_buffer;
    std::vector<std::u16string> m_path;
};

Status Packer::PackDirectory(IStorage* storage, const fs::path& dir) {
    std::error_code error;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    if (error)
        return Status::System("read " + dir.string(), error.value());
    // Directory order is arbitrary; a sorted one makes the output the same on every run.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename().string() < b.path().filename().string();
    });

    for (const auto& entry : entries) {
        std::u16string name;
        if (Status status = NameFromText(entry.path().filename().string(), name); !status.ok())
            return status;
        m_path.push_back(name);
        const fs::file_status link = entry.symlink_status(error);
        const fs::file_status target = entry.status(error);
        if (fs::is_directory(link)) {
            ComPtr<IStorage> child;
            HRESULT hr = storage->CreateStorage(name.c_str(), kElementMode, 0, 0, child.Put());
            if (FAILED(hr))
                return Status::Storage("create storage " + Where(), hr);
            if (Status status = PackDirectory(child.Get(), entry.path()); !status.ok())
                return status;
            hr = child->Commit(STGC_DEFAULT);
            if (FAILED(hr))
                return Status::Storage("commit storage " + Where(), hr);
        } else if (fs::is_regular_file(target)) {
            if (!fs::equivalent(entry.path(), m_output, error))
                if (Status status = PackFile(storage, entry.path()); !status.ok())
                    return status;
        } else {
            // Linked folders could lead back up the tree; devices and sockets hold no file.
            std::fprintf(stderr, "kestrin-cfb: skipped %s: not a file or folder\n",
                         entry.path().c_str());
        }
        m_path.pop_back();
    }
    return Status::Ok();
}

Status Packer::PackFile(IStorage* storage, const fs::path& file) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr)
        return Status::System("open " + file.string(), errno);
    struct Closer {
        std::FILE* file;
        ~Closer() { std::fclose(file); }
    } closer{in};

    ComPtr<IStream> stream;
    HRESULT hr = storage->CreateStream(m_path.back().c_str(), kElementMode, 0, 0, stream.Put());
    if (FAILED(hr))
        return Status::Storage("create stream " + Where(), hr);
    for (;;) {
        const std::size_t got = std::fread(m_buffer.data(), 1, m_buffer.size(), in);
        if (got == 0) {
            if (std::ferror(in))
                return Status::System("read " + file.string(), errno);
            break;
        }
        ULONG written = 0;
        hr = stream->Write(m_buffer.data(), static_cast<ULONG>(got), &written);
        if (SUCCEEDED(hr) && written != got)
            hr = STG_E_WRITEFAULT;
        if (FAILED(hr))
            return Status::Storage("write stream " + Where(), hr);
    }
    return Status::Ok();
}

HRESULT CreateFile(const std::u16string& name, bool version4, ComPtr<IStorage>& root) {
    if (!version4)
        return StgCreateDocfile(name.c_str(), kCreateMode, 0, root.Put());
    STGOPTIONS options{};
    options.usVersion = 1;
    options.ulSectorSize = 4096;
    return StgCreateStorageEx(name.c_str(), kCreateMode, STGFMT_DOCFILE, 0, &options, nullptr,
                              IID_IStorage, reinterpret_cast<void**>(root.Put()));
}

} // namespace

Status RunPack(Arguments args) {
    std::vector<const char*> plain;
    bool version4 = false;
    for (const char* arg : args) {
        if (std::string_view(arg) == "--v4")
            version4 = true;
        else
            plain.push_back(arg);
    }
    if (plain.size() != 2)
        return Status::Usage("pack takes a folder and a file");
    const fs::path dir = plain[0];
    const std::string file = plain[1];
    std::error_code error;
    if (!fs::is_directory(dir, error))
        return Status::Error(dir.string() + ": not a folder");
    std::u16string name;
    if (Status status = FileNameToOle(file, name); !status.ok())
        return status;

    ComPtr<IStorage> root;
    const HRESULT hr = CreateFile(name, version4, root);
    if (FAILED(hr))
        return Status::Storage("create " + file, hr);
    Packer packer{fs::path(file)};
    Status status = packer.PackDirectory(root.Get(), dir);
    if (status.ok()) {
        const HRESULT commitHr = root->Commit(STGC_DEFAULT);
        if (FAILED(commitHr))
            status = Status::Storage("commit " + file, commitHr);
    }
    root.Reset();
    if (!status.ok())
        fs::remove(file, error); // half a tree would pass for the whole one
    return status;
}

} // namespace cli
