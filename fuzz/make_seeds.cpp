// Writes a handful of valid compound files into a folder, as a starting corpus for the fuzz
// targets: both versions, small (mini) and regular streams, nested storages, a directory
// that spans several sectors, storages nested hundreds deep.
//   make_seeds <folder>
#include <string>

#include "fuzz_support.h"

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

bool Check(HRESULT hr, const char* what) {
    if (FAILED(hr))
        std::fprintf(stderr, "make_seeds: %s failed: 0x%08x\n", what, static_cast<unsigned>(hr));
    return SUCCEEDED(hr);
}

bool AddStream(IStorage* storage, const char16_t* name, std::size_t size, unsigned seed) {
    Ptr<IStream> stream;
    if (!Check(storage->CreateStream(name, kCreate, 0, 0, &stream), "CreateStream"))
        return false;
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>((i * 31 + seed) ^ (i >> 8));
    ULONG written = 0;
    return Check(stream->Write(data.data(), static_cast<ULONG>(size), &written), "Write");
}

bool AddStorage(IStorage* storage, const char16_t* name, IStorage** child) {
    return Check(storage->CreateStorage(name, kCreate, 0, 0, child), "CreateStorage");
}

// Which elements a seed holds.
enum class Shape { Empty, Mixed, Wide, Deep };

bool Fill(IStorage* root, Shape shape) {
    if (shape == Shape::Empty)
        return true;
    if (shape == Shape::Deep) {
        // Storages each inside the one before, as deep as the input size allows.
        std::vector<Ptr<IStorage>> chain(600); // a storage goes with its parent's object
        for (std::size_t i = 0; i < chain.size(); ++i)
            if (!AddStorage(i ? chain[i - 1].get() : root, u"d", &chain[i]))
                return false;
        return AddStream(chain.back().get(), u"leaf", 100, 9);
    }
    if (shape == Shape::Wide) {
        // Enough siblings for a directory of several sectors and a deep red-black tree.
        for (int i = 0; i < 40; ++i) {
            const std::u16string name =
                u"Item" + std::u16string(1, u'A' + i % 26) + std::u16string(1, u'0' + i / 26);
            if (!AddStream(root, name.c_str(), 10 + i * 13, i))
                return false;
        }
        return true;
    }
    Ptr<IStorage> sub, deeper;
    return AddStream(root, u"\x0005SummaryInformation", 200, 1) &&
           AddStream(root, u"Small", 64, 2) && AddStream(root, u"Regular", 5000, 3) &&
           AddStream(root, u"Empty", 0, 4) && AddStorage(root, u"Storage", &sub) &&
           AddStream(sub.get(), u"日本語", 1000, 5) && AddStream(sub.get(), u"Big", 20000, 6) &&
           AddStorage(sub.get(), u"Deeper", &deeper) && AddStream(deeper.get(), u"Leaf", 4096, 7) &&
           AddStream(deeper.get(), u"leaf2", 4095, 8);
}

bool Write(const std::string& folder, const char* file, unsigned version, Shape shape) {
    const std::string path = folder + "/" + file;
    const std::u16string name(path.begin(), path.end()); // paths here are ASCII
    STGOPTIONS options{1, 0, version == 4 ? 4096u : 512u, nullptr};
    Ptr<IStorage> root;
    if (!Check(StgCreateStorageEx(name.c_str(), kCreate, STGFMT_DOCFILE, 0, &options, nullptr,
                                  IID_IStorage, reinterpret_cast<void**>(&root)),
               "StgCreateStorageEx"))
        return false;
    return Fill(root.get(), shape) && Check(root->Commit(STGC_DEFAULT), "Commit");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = Write(folder, "v3-empty.cfb", 3, Shape::Empty) &&
                    Write(folder, "v4-empty.cfb", 4, Shape::Empty) &&
                    Write(folder, "v3-mixed.cfb", 3, Shape::Mixed) &&
                    Write(folder, "v4-mixed.cfb", 4, Shape::Mixed) &&
                    Write(folder, "v3-wide.cfb", 3, Shape::Wide) &&
                    Write(folder, "v4-wide.cfb", 4, Shape::Wide) &&
                    Write(folder, "v3-deep.cfb", 3, Shape::Deep) &&
                    Write(folder, "v4-deep.cfb", 4, Shape::Deep);
    return ok ? 0 : 1;
}
