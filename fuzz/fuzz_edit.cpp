// Reads the input as a sequence of edits on a transacted file in memory and keeps a model of
// what every open storage should hold. Each call must succeed or fail as the model expects,
// and after each root commit the file, reopened on its own, must match the model and pass
// the structure check (which also holds the FAT to cover the whole file and every table mark
// to a table sector). Any difference aborts, so that libFuzzer keeps the input.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

#include "edit_model.h"
#include "scratch_page.h"
#include "stream_content.h"

namespace {

using namespace edit_model;

constexpr std::size_t kMaxLevels = 6;
constexpr int kMaxOps = 300;

// One open storage: the root, or one opened from the level below.
struct Level {
    IStorage* storage;
    Node* node;                // what it works on
    Node* source;              // its element in the level below; null for the root
    std::unique_ptr<Node> own; // a transacted storage's private copy
};

class Session {
public:
    Session(const Bytes& file, const Node& model) : m_committed(model) {
        m_block = GlobalAlloc(GMEM_MOVEABLE, file.size());
        std::memcpy(GlobalLock(m_block), file.data(), file.size());
        GlobalUnlock(m_block);
        Expect(CreateILockBytesOnHGlobal(m_block, TRUE, &m_bytes), true, "lock-bytes");
        OpenRoot();
    }
    ~Session() { CloseAll(); }

    void Run(const std::uint8_t* data, std::size_t size) {
        m_in = data;
        m_end = data + size;
        for (int ops = 0; m_in < m_end && ops < kMaxOps; ++ops)
            Step();
    }
    const Node& Committed() const { return m_committed; }
    Bytes File() const { return BytesOf(m_bytes.get()); }

private:
    std::uint8_t Byte() { return m_in < m_end ? *m_in++ : 0; }
    unsigned U16() {
        const unsigned low = Byte();
        return low | Byte() << 8;
    }
    std::u16string Name() { return kNames[Byte() % std::size(kNames)]; }
    Level& Top() { return m_levels.back(); }
    Children& Kids() { return Top().node->children; }
    // An element of the innermost storage, found as the engine should find it.
    Children::iterator Find(const std::u16string& name) {
        return Valid(name) ? Kids().find(name) : Kids().end();
    }

    void OpenRoot() {
        m_working = m_committed;
        IStorage* root = nullptr;
        Expect(StgOpenStorageOnILockBytes(m_bytes.get(), nullptr, STGM_TRANSACTED | kRW, nullptr, 0,
                                          &root),
               true, "open root");
        m_levels.push_back({root, &m_working, nullptr, nullptr});
    }
    void Pop() {
        Top().storage->Release();
        m_levels.pop_back();
    }
    void CloseAll() {
        while (!m_levels.empty())
            Pop();
    }
    void Push(IStorage* storage, Node& element, bool transacted) {
        if (m_levels.size() >= kMaxLevels) {
            storage->Release();
            return;
        }
        auto own = transacted ? std::make_unique<Node>(element) : nullptr;
        Node* node = own ? own.get() : &element;
        m_levels.push_back({storage, node, &element, std::move(own)});
    }

    void Step() {
        const std::uint8_t op = Byte();
        const std::u16string name = Name();
        auto it = Find(name);
        const bool found = it != Kids().end(), storage = found && it->second.storage;
        IStorage* top = Top().storage;
        switch (op % 16) {
        case 0:
        case 1: { // create a stream or a storage, maybe replacing what is there
            const bool replace = op & 0x10, wantStorage = op % 16 == 1, transacted = op & 0x20;
            const DWORD mode = kRW | (replace ? STGM_CREATE : 0);
            IStream* stream = nullptr;
            IStorage* child = nullptr;
            if (!Expect(wantStorage ? top->CreateStorage(name.c_str(),
                                                         mode | (transacted ? STGM_TRANSACTED : 0),
                                                         0, 0, &child)
                                    : top->CreateStream(name.c_str(), mode, 0, 0, &stream),
                        Valid(name) && (!found || replace), "Create"))
                return;
            if (found)
                Kids().erase(it);
            Node& element = Kids().emplace(name, Node{wantStorage, {}, {}}).first->second;
            if (child)
                return Push(child, element, transacted);
            element.data = Pattern(Byte() * 20, op);
            ULONG written = 0;
            Expect(stream->Write(element.data.data(), ULONG(element.data.size()), &written), true,
                   "Write");
            stream->Release();
            return;
        }
        case 2: { // open a storage, direct or transacted
            IStorage* child = nullptr;
            const DWORD mode = kRW | (op & 0x10 ? STGM_TRANSACTED : 0);
            if (Expect(top->OpenStorage(name.c_str(), nullptr, mode, nullptr, 0, &child), storage,
                       "OpenStorage"))
                Push(child, it->second, op & 0x10);
            return;
        }
        case 3:
        case 4: { // commit, revert or neither; then close or keep the innermost storage
            Level& level = Top();
            if (!level.source)
                return op % 16 == 3 ? CommitRoot() : RevertRoot();
            if (op & 0x10) {
                Expect(level.storage->Revert(), true, "Revert");
                if (level.own)
                    *level.own = *level.source;
            } else if (!(op & 0x20)) {
                Expect(level.storage->Commit(STGC_DEFAULT), true, "Commit");
                if (level.own)
                    level.source->children = level.own->children;
            }
            if (op % 16 == 4)
                Pop();
            return;
        }
        case 5:
        case 6:
        case 7:
            return StreamStep(op % 16, name, it, found && !storage);
        case 8:
            if (Expect(top->DestroyElement(name.c_str()), found, "DestroyElement"))
                Kids().erase(it);
            return;
        case 9: { // rename, perhaps only in letter case
            const std::u16string to = Name();
            auto existing = Find(to);
            const bool ok = found && Valid(to) && (existing == Kids().end() || existing == it);
            if (Expect(top->RenameElement(name.c_str(), to.c_str()), ok, "RenameElement")) {
                auto handle = Kids().extract(it);
                handle.key() = to;
                Kids().insert(std::move(handle));
            }
            return;
        }
        case 10:
            return MoveElement(name, it, found, op);
        case 11:
            return CopyStorage(name, it, storage, op);
        case 12:
            return CommitRoot();
        case 13:
            return RevertRoot();
        case 14: // let everything go without a commit and open the file again
            CloseAll();
            return OpenRoot();
        default:
            return BigStep(name, found, op);
        }
    }

    // Writes at an offset, sets the size, or reads the stream and compares.
    void StreamStep(int kind, const std::u16string& name, Children::iterator it, bool isStream) {
        Ptr<IStream> stream;
        if (!Expect(Top().storage->OpenStream(name.c_str(), nullptr, kind == 7 ? kRead : kRW, 0,
                                              &stream),
                    isStream, "OpenStream"))
            return;
        Bytes& data = it->second.data;
        if (kind == 5) {
            const std::size_t offset = U16() % 20001;
            const Bytes bytes = Pattern(Byte() * 24, offset);
            ULONG written = 0;
            Expect(
                stream->Seek(LARGE_INTEGER{.QuadPart = LONGLONG(offset)}, STREAM_SEEK_SET, nullptr),
                true, "Seek");
            Expect(stream->Write(bytes.data(), ULONG(bytes.size()), &written), true, "Write");
            if (bytes.empty()) // writing nothing changes nothing, not even the size
                return;
            data.resize(std::max(data.size(), offset + bytes.size()));
            std::copy(bytes.begin(), bytes.end(), data.begin() + offset);
        } else if (kind == 6) {
            const unsigned sizes[] = {0, 4095, 4096, 4097, 64, U16() % 20001};
            data.resize(sizes[Byte() % std::size(sizes)]);
            Expect(stream->SetSize(ULARGE_INTEGER{.QuadPart = data.size()}), true, "SetSize");
        } else if (ReadAll(stream.get()) != data) {
            Fail("a stream reads differently from the model");
        }
    }

    // Moves or copies an element to this storage, the one below, or a child storage.
    void MoveElement(const std::u16string& name, Children::iterator it, bool found,
                     std::uint8_t op) {
        const std::u16string to = Name(), childName = Name();
        Ptr<IStorage> child;
        IStorage* dest = Top().storage;
        Node* destNode = Top().node;
        if ((op & 0x30) == 0x10 && m_levels.size() > 1) {
            dest = m_levels[m_levels.size() - 2].storage;
            destNode = m_levels[m_levels.size() - 2].node;
        } else if ((op & 0x30) == 0x20) {
            auto c = Find(childName);
            const bool ok = c != Kids().end() && c->second.storage;
            if (!Expect(dest->OpenStorage(childName.c_str(), nullptr, kRW, nullptr, 0, &child), ok,
                        "OpenStorage"))
                return;
            if (c == it) // the element is open, as the destination itself
                return (void)Expect(
                    Top().storage->MoveElementTo(name.c_str(), child.get(), to.c_str(), 0), false,
                    "MoveElementTo into itself");
            dest = child.get();
            destNode = &c->second;
        }
        const bool copy = op & 0x80;
        auto existing = Valid(to) ? destNode->children.find(to) : destNode->children.end();
        const bool clash = existing != destNode->children.end();
        const bool same = clash && found && &existing->second == &it->second;
        const bool ok = found && Valid(to) &&
                        (!clash || same || (!existing->second.storage && !it->second.storage));
        if (!Expect(Top().storage->MoveElementTo(name.c_str(), dest, to.c_str(),
                                                 copy ? STGMOVE_COPY : STGMOVE_MOVE),
                    ok, "MoveElementTo") ||
            same)
            return;
        Node moved = it->second;
        if (clash)
            destNode->children.erase(existing);
        destNode->children.emplace(to, std::move(moved));
        if (!copy)
            Kids().erase(it);
    }

    // Copies a child storage into a sibling, into this storage or into the one below (its
    // ancestors), or this storage into its own child (refused).
    void CopyStorage(const std::u16string& name, Children::iterator it, bool storage,
                     std::uint8_t op) {
        enum {
            kSibling,
            kSelfIntoChild,
            kIntoParent,
            kIntoGrandparent
        } mode = decltype(mode)(op >> 6);
        const bool fromSelf = mode == kSelfIntoChild;
        const std::u16string destName = Name();
        Ptr<IStorage> from, opened;
        if (!fromSelf &&
            !Expect(Top().storage->OpenStorage(name.c_str(), nullptr, kRead, nullptr, 0, &from),
                    storage, "OpenStorage"))
            return;
        IStorage* dest = Top().storage;
        Node* destNode = Top().node;
        if (mode == kIntoGrandparent && m_levels.size() > 1) {
            // Unless a stream of the source would replace this storage's own element there.
            Level& below = m_levels[m_levels.size() - 2];
            auto mine = std::find_if(below.node->children.begin(), below.node->children.end(),
                                     [&](const auto& e) { return &e.second == Top().source; });
            auto clash = it->second.children.find(mine->first);
            if (clash != it->second.children.end() && !clash->second.storage)
                return;
            dest = below.storage;
            destNode = below.node;
        } else if (mode == kSibling || fromSelf) {
            auto d = Find(destName);
            const bool ok = d != Kids().end() && d->second.storage && (fromSelf || d != it);
            if (!Expect(
                    Top().storage->OpenStorage(destName.c_str(), nullptr, kRW, nullptr, 0, &opened),
                    ok, "OpenStorage"))
                return;
            dest = opened.get();
            destNode = &d->second;
        }
        const IID skip[] = {IID_IStorage, IID_IStream};
        const bool skipStorages = op & 0x10, skipStreams = op & 0x20;
        const DWORD count = DWORD(skipStorages) + DWORD(skipStreams);
        IStorage* source = fromSelf ? Top().storage : from.get();
        const Node snapshot = fromSelf ? Node{} : it->second; // the destination may hold it
        if (Expect(source->CopyTo(count, skipStorages ? skip : skip + 1, nullptr, dest), !fromSelf,
                   "CopyTo"))
            Merge(snapshot, *destNode, skipStorages, skipStreams);
    }

    // A chain of storages each inside the one before, a stream at the bottom; or one write
    // large enough to go straight into the file, perhaps dropped at once.
    void BigStep(const std::u16string& name, bool found, std::uint8_t op) {
        if (found || !Valid(name))
            return;
        IStorage* top = Top().storage;
        Node* node = &Kids().emplace(name, Node{}).first->second;
        if (op & 0x10) {
            std::vector<Ptr<IStorage>> chain(Byte() % 64 + 1); // each goes with its parent
            for (std::size_t i = 0; i < chain.size(); ++i) {
                Expect((i ? chain[i - 1].get() : top)
                           ->CreateStorage(i ? u"d" : name.c_str(), kRW, 0, 0, &chain[i]),
                       true, "CreateStorage");
                if (i)
                    node = &node->children.emplace(u"d", Node{}).first->second;
            }
            IStorage* current = chain.back().get();
            Ptr<IStream> leaf;
            Expect(current->CreateStream(u"leaf", kRW, 0, 0, &leaf), true, "CreateStream");
            node->children.emplace(u"leaf", Node{false, {}, {}});
            return;
        }
        node->storage = false;
        node->data = Pattern((Byte() % 64 + 1) * 2048, op);
        Ptr<IStream> stream;
        ULONG written = 0;
        Expect(top->CreateStream(name.c_str(), kRW, 0, 0, &stream), true, "CreateStream");
        Expect(stream->Write(node->data.data(), ULONG(node->data.size()), &written), true, "Write");
        stream.Reset();
        if (op & 0x20 && Expect(top->DestroyElement(name.c_str()), true, "DestroyElement"))
            Kids().erase(name);
        else if (op & 0x40 && m_levels.size() == 1)
            RevertRoot();
    }

    void CommitRoot() {
        Expect(m_levels.front().storage->Commit(STGC_DEFAULT), true, "root Commit");
        m_committed = m_working;
        Ptr<ILockBytes> bytes;
        Ptr<IStorage> reopened;
        Expect(CreateILockBytesOnHGlobal(m_block, FALSE, &bytes), true, "second lock-bytes");
        Expect(StgOpenStorageOnILockBytes(bytes.get(), nullptr, kRead, nullptr, 0, &reopened), true,
               "reopen");
        Compare(reopened.get(), m_committed);
        if (SeriousFaults(bytes.get(), true) != 0)
            Fail("the committed file has structure faults");
    }

    void RevertRoot() {
        Expect(m_levels.front().storage->Revert(), true, "root Revert");
        STATSTG st{};
        if (m_levels.size() > 1 && Top().storage->Stat(&st, STATFLAG_NONAME) != STG_E_REVERTED)
            Fail("a storage opened before a root Revert still answers");
        while (m_levels.size() > 1)
            Pop();
        m_working = m_committed;
    }

    HGLOBAL m_block;
    Ptr<ILockBytes> m_bytes;
    std::vector<Level> m_levels;
    Node m_committed, m_working;
    const std::uint8_t* m_in = nullptr;
    const std::uint8_t* m_end = nullptr;
};

// Empty files of both versions, then the same with a few elements committed into them.
struct Template {
    Bytes file;
    Node model;
} g_templates[4];

std::size_t g_scratchLimit;      // the engine's own budget for pending pages in memory
std::size_t g_bulkAppendMinimum; // the engine's own smallest bulk append

Bytes EmptyFile(unsigned version) {
    char path[] = "/tmp/kestrin-fuzz-XXXXXX";
    close(mkstemp(path));
    const std::u16string name(path, path + std::strlen(path));
    STGOPTIONS options{1, 0, version == 4 ? 4096u : 512u, nullptr};
    IStorage* root = nullptr;
    Expect(StgCreateStorageEx(name.c_str(), STGM_CREATE | kRW, STGFMT_DOCFILE, 0, &options, nullptr,
                              IID_IStorage, reinterpret_cast<void**>(&root)),
           true, "create template");
    root->Release();
    std::ifstream in(path, std::ios::binary);
    Bytes file{std::istreambuf_iterator<char>(in), {}};
    std::remove(path);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const std::uint8_t kPopulate[] = {0x00, 4, 10,  // "Stream", 200 bytes
                                             0x10, 5, 220, // "STREAM" replaces it, 4400 bytes
                                             0x01, 2,      // storage "ab", now the innermost
                                             0x00, 6, 100, // "日本語", 2000 bytes
                                             0x05, 6, 0x40, 0x1F, 30, // 720 bytes written at 8000
                                             0x00, 8, 3,              // "café", 60 bytes
                                             0x04, 0,                 // close "ab"
                                             0x0C, 0};                // root commit
    g_scratchLimit = SetScratchMemoryLimit(0);
    SetScratchMemoryLimit(g_scratchLimit);
    g_bulkAppendMinimum = SetBulkAppendMinimum(0);
    SetBulkAppendMinimum(g_bulkAppendMinimum);
    for (unsigned v = 0; v < 2; ++v) {
        g_templates[v].file = EmptyFile(v ? 4 : 3);
        Session session(g_templates[v].file, g_templates[v].model);
        session.Run(kPopulate, sizeof kPopulate);
        g_templates[v + 2] = {session.File(), session.Committed()};
    }
    return 0;
}

// The first byte picks the starting file, whether pending pages go to the scratch file
// almost at once, and whether writes of a few hundred bytes count as bulk appends (which go
// straight into the file); the rest are the edits.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    SetScratchMemoryLimit(data[0] & 4 ? 3 * ScratchPage::kSize : g_scratchLimit);
    SetBulkAppendMinimum(data[0] & 8 ? 256 : g_bulkAppendMinimum);
    const Template& start = g_templates[data[0] % 4];
    Session session(start.file, start.model);
    session.Run(data + 1, size - 1);
    return 0;
}
