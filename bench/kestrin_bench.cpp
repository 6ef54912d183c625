// kestrin_bench: one engine operation per run, for bench/run to time side by side with the
// peer programs. Each subcommand prints only its result, as key=value pairs on one line.
//
//   make-big FILE SIZE_MB [--v4]      one stream "Big" of SIZE_MB MiB of pseudo-random bytes
//   make-many FILE N [--transacted]   N streams of 100 bytes in storages of 1000; seconds
//   list FILE                         elements under the root, counted recursively
//   read FILE PATH                    reads a stream in 1 MiB chunks; bytes and checksum
//   poke FILE PATH OFFSET             transacted one-byte write + commit; bytes written, time
//   import FILE SRC                   copies SRC into a new transacted file; seconds
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "storage_api.h"

namespace {

constexpr ULONG kChunk = 1u << 20;

[[noreturn]] void Fail(const std::string& what, HRESULT hr) {
    std::fprintf(stderr, "kestrin_bench: %s failed: 0x%08" PRIX32 "\n", what.c_str(),
                 static_cast<std::uint32_t>(hr));
    std::exit(1);
}

void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr))
        Fail(what, hr);
}

[[noreturn]] void Usage() {
    std::fputs("usage: kestrin_bench make-big FILE SIZE_MB [--v4]\n"
               "       kestrin_bench make-many FILE N [--transacted]\n"
               "       kestrin_bench list FILE\n"
               "       kestrin_bench read FILE PATH\n"
               "       kestrin_bench poke FILE PATH OFFSET\n"
               "       kestrin_bench import FILE SRC\n",
               stderr);
    std::exit(2);
}

// UTF-8 to UTF-16, enough for file and element names.
std::u16string Wide(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = c;
        std::size_t n = 1;
        if (c >= 0xF0)
            cp = c & 0x07, n = 4;
        else if (c >= 0xE0)
            cp = c & 0x0F, n = 3;
        else if (c >= 0xC0)
            cp = c & 0x1F, n = 2;
        for (std::size_t k = 1; k < n && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The counters of /proc/self/io: wchar (bytes handed to write calls), write_bytes (bytes
// sent towards the disk, counted by page), syscw (write calls).
std::map<std::string, std::uint64_t> ProcessIo() {
    std::map<std::string, std::uint64_t> io;
    if (FILE* f = std::fopen("/proc/self/io", "r")) {
        char key[64];
        unsigned long long value = 0;
        while (std::fscanf(f, "%63[^:]: %llu\n", key, &value) == 2)
            io[key] = value;
        std::fclose(f);
    }
    return io;
}

// A page-aligned 1 MiB buffer. Alignment matters: the kernel copies from the page cache
// into a buffer that is 16 bytes off a page (as a plain 1 MiB malloc is) at about half the
// speed on this kind of machine when the file offset is page-aligned, which would show up as
// a slower engine on version-4 files although the engine hands the caller's buffer straight
// to pread.
struct Chunk {
    Chunk() : bytes(static_cast<std::uint8_t*>(std::aligned_alloc(4096, kChunk))) {
        if (bytes == nullptr)
            Fail("allocate", E_OUTOFMEMORY);
    }
    ~Chunk() { std::free(bytes); }
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;
    std::uint8_t* data() const { return bytes; }
    std::uint64_t* words() const { return reinterpret_cast<std::uint64_t*>(bytes); }
    std::uint8_t* bytes;
};

// xorshift64*: cheap pseudo-random bytes that no peer can compress away.
void FillRandom(Chunk& buffer, std::uint64_t& state) {
    std::uint64_t* words = buffer.words();
    for (std::size_t i = 0; i < kChunk / 8; ++i) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        words[i] = state * 0x2545F4914F6CDD1DULL;
    }
}

// Opens the stream at a '/'-separated path, keeping the storages on the way open.
void OpenPath(IStorage* root, std::string_view path, DWORD mode,
              std::vector<ComPtr<IStorage>>& storages, ComPtr<IStream>& stream) {
    IStorage* at = root;
    while (true) {
        const std::size_t slash = path.find('/');
        const std::u16string name = Wide(path.substr(0, slash));
        if (slash == std::string_view::npos) {
            Check(
                at->OpenStream(name.c_str(), nullptr, mode | STGM_SHARE_EXCLUSIVE, 0, stream.Put()),
                "open stream");
            return;
        }
        storages.emplace_back();
        Check(at->OpenStorage(name.c_str(), nullptr, mode | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                              storages.back().Put()),
              "open storage");
        at = storages.back().Get();
        path.remove_prefix(slash + 1);
    }
}

void WriteAll(IStream* stream, const void* data, ULONG size) {
    ULONG written = 0;
    Check(stream->Write(data, size, &written), "write");
    if (written != size)
        Fail("short write", STG_E_WRITEFAULT);
}

int MakeBig(const std::string& file, std::uint64_t megabytes, bool v4) {
    const auto start = std::chrono::steady_clock::now();
    const std::u16string name = Wide(file);
    constexpr DWORD mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    ComPtr<IStorage> root;
    if (v4) {
        STGOPTIONS options{1, 0, 4096, nullptr};
        Check(StgCreateStorageEx(name.c_str(), mode, STGFMT_DOCFILE, 0, &options, nullptr,
                                 IID_IStorage, reinterpret_cast<void**>(root.Put())),
              "create v4 file");
    } else {
        Check(StgCreateDocfile(name.c_str(), mode, 0, root.Put()), "create file");
    }
    ComPtr<IStream> stream;
    Check(root->CreateStream(u"Big", mode, 0, 0, stream.Put()), "create stream");
    Chunk chunk;
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (std::uint64_t i = 0; i < megabytes; ++i) {
        FillRandom(chunk, state);
        WriteAll(stream.Get(), chunk.data(), kChunk);
    }
    stream.Reset();
    Check(root->Commit(STGC_DEFAULT), "commit");
    root.Reset();
    std::printf("seconds=%.6f\n", Seconds(start));
    return 0;
}

int MakeMany(const std::string& file, std::uint64_t count, bool transacted) {
    constexpr DWORD element = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    const DWORD mode = element | (transacted ? STGM_TRANSACTED : STGM_DIRECT);
    const std::u16string name = Wide(file);
    std::uint8_t payload[100];
    for (int i = 0; i < 100; ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 + 1);

    const auto start = std::chrono::steady_clock::now();
    ComPtr<IStorage> root;
    Check(StgCreateDocfile(name.c_str(), mode, 0, root.Put()), "create file");
    for (std::uint64_t first = 0; first < count; first += 1000) {
        ComPtr<IStorage> storage;
        const std::u16string storage_name = Wide("d" + std::to_string(first / 1000));
        Check(root->CreateStorage(storage_name.c_str(), element, 0, 0, storage.Put()),
              "create storage");
        for (std::uint64_t i = first; i < count && i < first + 1000; ++i) {
            ComPtr<IStream> stream;
            const std::u16string stream_name = Wide("s" + std::to_string(i));
            Check(storage->CreateStream(stream_name.c_str(), element, 0, 0, stream.Put()),
                  "create stream");
            WriteAll(stream.Get(), payload, sizeof payload);
        }
        Check(storage->Commit(STGC_DEFAULT), "commit storage");
    }
    Check(root->Commit(STGC_DEFAULT), "commit");
    root.Reset();
    std::printf("seconds=%.6f\n", Seconds(start));
    return 0;
}

std::uint64_t CountElements(IStorage* storage) {
    ComPtr<IEnumSTATSTG> elements;
    Check(storage->EnumElements(0, nullptr, 0, elements.Put()), "enumerate");
    std::uint64_t count = 0;
    STATSTG batch[64];
    while (true) {
        ULONG fetched = 0;
        Check(elements->Next(64, batch, &fetched), "next element");
        for (ULONG i = 0; i < fetched; ++i) {
            ++count;
            if (batch[i].type == STGTY_STORAGE) {
                ComPtr<IStorage> child;
                Check(storage->OpenStorage(batch[i].pwcsName, nullptr,
                                           STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                           child.Put()),
                      "open storage");
                count += CountElements(child.Get());
            }
            CoTaskMemFree(batch[i].pwcsName);
        }
        if (fetched < 64)
            return count;
    }
}

int List(const std::string& file) {
    const std::u16string name = Wide(file);
    ComPtr<IStorage> root;
    Check(StgOpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                         root.Put()),
          "open file");
    std::printf("elements=%" PRIu64 "\n", CountElements(root.Get()));
    return 0;
}

int Read(const std::string& file, const std::string& path) {
    const std::u16string name = Wide(file);
    ComPtr<IStorage> root;
    Check(StgOpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                         root.Put()),
          "open file");
    std::vector<ComPtr<IStorage>> storages;
    ComPtr<IStream> stream;
    OpenPath(root.Get(), path, STGM_READ, storages, stream);
    Chunk chunk;
    const std::uint64_t* words_read = chunk.words();
    std::uint64_t total = 0;
    // A sum of 64-bit words in four lanes: it touches every byte read, costs next to
    // nothing (the compiler vectorises it), and so does not weigh on the engine's time.
    std::uint64_t lanes[4] = {};
    while (true) {
        ULONG got = 0;
        Check(stream->Read(chunk.data(), kChunk, &got), "read");
        if (got == 0)
            break;
        const std::size_t words = (got + 31) / 32 * 4;
        std::memset(chunk.data() + got, 0, words * 8 - got);
        for (std::size_t i = 0; i < words; i += 4)
            for (int k = 0; k < 4; ++k)
                lanes[k] += words_read[i + k];
        total += got;
    }
    const std::uint64_t sum = lanes[0] ^ (lanes[1] << 1) ^ (lanes[2] << 2) ^ (lanes[3] << 3);
    std::printf("bytes=%" PRIu64 " checksum=%016" PRIx64 "\n", total, sum);
    return 0;
}

int Poke(const std::string& file, const std::string& path, std::uint64_t offset) {
    const std::u16string name = Wide(file);
    const auto before = ProcessIo();
    const auto start = std::chrono::steady_clock::now();
    ComPtr<IStorage> root;
    Check(StgOpenStorage(name.c_str(), nullptr,
                         STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_DENY_WRITE, nullptr, 0,
                         root.Put()),
          "open file");
    std::vector<ComPtr<IStorage>> storages;
    ComPtr<IStream> stream;
    OpenPath(root.Get(), path, STGM_READWRITE, storages, stream);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    Check(stream->Seek(at, STREAM_SEEK_SET, nullptr), "seek");
    std::uint8_t byte = 0;
    ULONG got = 0;
    Check(stream->Read(&byte, 1, &got), "read byte");
    Check(stream->Seek(at, STREAM_SEEK_SET, nullptr), "seek");
    byte = static_cast<std::uint8_t>(byte ^ 0x5A);
    WriteAll(stream.Get(), &byte, 1);
    stream.Reset();
    while (!storages.empty()) {
        Check(storages.back()->Commit(STGC_OVERWRITE), "commit storage");
        storages.pop_back();
    }
    Check(root->Commit(STGC_OVERWRITE), "commit");
    const double seconds = Seconds(start);
    root.Reset();
    const auto after = ProcessIo();
    std::printf("seconds=%.6f wchar=%" PRIu64 " write_bytes=%" PRIu64 " syscw=%" PRIu64 "\n",
                seconds, after.at("wchar") - before.at("wchar"),
                after.at("write_bytes") - before.at("write_bytes"),
                after.at("syscw") - before.at("syscw"));
    return 0;
}

int Import(const std::string& file, const std::string& source) {
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(source.c_str());
        return 1;
    }
    const std::u16string name = Wide(file);
    constexpr DWORD element = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    const auto start = std::chrono::steady_clock::now();
    ComPtr<IStorage> root;
    Check(StgCreateDocfile(name.c_str(), element | STGM_TRANSACTED, 0, root.Put()), "create file");
    ComPtr<IStream> stream;
    Check(root->CreateStream(u"Imported", element, 0, 0, stream.Put()), "create stream");
    Chunk chunk;
    std::uint64_t total = 0;
    while (true) {
        const ssize_t n = ::read(fd, chunk.data(), kChunk);
        if (n < 0) {
            std::perror(source.c_str());
            return 1;
        }
        if (n == 0)
            break;
        WriteAll(stream.Get(), chunk.data(), static_cast<ULONG>(n));
        total += static_cast<std::uint64_t>(n);
    }
    ::close(fd);
    stream.Reset();
    Check(root->Commit(STGC_DEFAULT), "commit");
    root.Reset();
    std::printf("seconds=%.6f bytes=%" PRIu64 "\n", Seconds(start), total);
    return 0;
}

std::uint64_t Number(const char* text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0')
        Usage();
    return value;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        Usage();
    const std::string_view command = argv[1];
    const std::string file = argv[2];
    const bool flag = argc == 5;
    if (command == "make-big" && (argc == 4 || (flag && std::strcmp(argv[4], "--v4") == 0)))
        return MakeBig(file, Number(argv[3]), flag);
    if (command == "make-many" &&
        (argc == 4 || (flag && std::strcmp(argv[4], "--transacted") == 0)))
        return MakeMany(file, Number(argv[3]), flag);
    if (command == "list" && argc == 3)
        return List(file);
    if (command == "read" && argc == 4)
        return Read(file, argv[3]);
    if (command == "poke" && argc == 5)
        return Poke(file, argv[3], Number(argv[4]));
    if (command == "import" && argc == 4)
        return Import(file, argv[3]);
    Usage();
}
