// Opens arbitrary bytes as a compound file, reads every element in it, and runs the
// structure check over the same bytes. Nothing here may crash, hang, leak or allocate far
// beyond the input's size. A file that opens for writing also takes a small edit and a
// commit, and the result must open again and hold the edit.
#include <algorithm>
#include <string>

#include "fuzz_support.h"

namespace {

// A hostile size must not stall the fuzzer: reading stops after this many bytes per input.
constexpr std::uint64_t kReadBudget = 64ull << 20;
// Nesting is bounded by the file, but a deep file must not overflow our own stack.
constexpr int kMaxDepth = 64;
constexpr DWORD kStreamRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

struct Walk {
    DWORD storageMode;
    std::uint64_t budget = kReadBudget;
    Bytes buffer = Bytes(64 * 1024);
};

void ReadStream(IStream* stream, Walk& walk) {
    STATSTG st{};
    if (FAILED(stream->Stat(&st, STATFLAG_NONAME)))
        Fail("Stat of a stream just opened");
    std::uint64_t total = 0;
    while (walk.budget > 0) {
        const ULONG want =
            static_cast<ULONG>(std::min<std::uint64_t>(walk.buffer.size(), walk.budget));
        ULONG got = 0;
        if (FAILED(stream->Read(walk.buffer.data(), want, &got)))
            return;
        if (got > want)
            Fail("Read reports more than asked for");
        walk.budget -= got;
        total += got;
        if (got < want)
            break;
    }
    if (walk.budget > 0 && total != st.cbSize.QuadPart)
        Fail("a stream reads a different number of bytes than Stat reports");

    // The tail once more, through a clone positioned from the end.
    Ptr<IStream> clone;
    if (FAILED(stream->Clone(&clone)))
        return;
    LARGE_INTEGER back{.QuadPart = -static_cast<LONGLONG>(std::min<std::uint64_t>(total, 100))};
    ULONG got = 0;
    if (SUCCEEDED(clone->Seek(back, STREAM_SEEK_END, nullptr)))
        clone->Read(walk.buffer.data(), 100, &got);
}

void WalkStorage(IStorage* storage, Walk& walk, int depth) {
    STATSTG self{};
    if (SUCCEEDED(storage->Stat(&self, STATFLAG_DEFAULT)))
        CoTaskMemFree(self.pwcsName);
    Ptr<IEnumSTATSTG> elements;
    if (FAILED(storage->EnumElements(0, nullptr, 0, &elements)))
        return;
    STATSTG batch[8];
    ULONG fetched = 0;
    HRESULT more = S_OK;
    while (more == S_OK) {
        more = elements->Next(8, batch, &fetched);
        if (FAILED(more) || fetched > 8)
            Fail("EnumElements Next failed or overran its batch");
        for (ULONG i = 0; i < fetched; ++i) {
            const STATSTG& st = batch[i];
            if (st.type == STGTY_STORAGE && depth < kMaxDepth) {
                Ptr<IStorage> child;
                if (SUCCEEDED(storage->OpenStorage(st.pwcsName, nullptr, walk.storageMode, nullptr,
                                                   0, &child)))
                    WalkStorage(child.get(), walk, depth + 1);
            } else if (st.type == STGTY_STREAM) {
                Ptr<IStream> stream;
                if (SUCCEEDED(storage->OpenStream(st.pwcsName, nullptr, kStreamRead, 0, &stream)))
                    ReadStream(stream.get(), walk);
            }
            CoTaskMemFree(st.pwcsName);
        }
    }
}

// A new regular-sized stream, written and committed; the file must then open again and
// give the stream back. A file the checker found sound must stay sound.
void EditAndCommit(IStorage* root, ILockBytes* bytes, bool wasSound) {
    static const char16_t kName[] = u"\x0005"
                                    u"FuzzEdit";
    Bytes data(5000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    {
        Ptr<IStream> stream;
        if (FAILED(root->CreateStream(kName, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                      0, &stream)))
            return;
        ULONG written = 0;
        if (FAILED(stream->Write(data.data(), static_cast<ULONG>(data.size()), &written)))
            return;
    }
    if (FAILED(root->Commit(STGC_DEFAULT)))
        return; // a damaged file may refuse the commit; it must not crash
    Bytes after = BytesOf(bytes);
    Ptr<ILockBytes> copy;
    Ptr<IStorage> reopened;
    if (FAILED(LockBytesWith(after.data(), after.size(), &copy)) ||
        FAILED(StgOpenStorageOnILockBytes(copy.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                          nullptr, 0, &reopened)))
        Fail("a committed file does not open again");
    Ptr<IStream> stream;
    Bytes back(data.size() + 1);
    ULONG got = 0;
    if (FAILED(reopened->OpenStream(kName, nullptr, kStreamRead, 0, &stream)) ||
        FAILED(stream->Read(back.data(), static_cast<ULONG>(back.size()), &got)) ||
        got != data.size() || !std::equal(data.begin(), data.end(), back.begin()))
        Fail("a committed stream does not read back");
    if (wasSound && SeriousFaults(copy.get(), true) != 0)
        Fail("a sound file has structure faults after an edit and a commit");
}

void OpenAndWalk(const std::uint8_t* data, std::size_t size, DWORD rootMode, DWORD childMode,
                 bool edit, bool wasSound) {
    Ptr<ILockBytes> bytes;
    if (FAILED(LockBytesWith(data, size, &bytes)))
        return;
    Ptr<IStorage> root;
    if (FAILED(StgOpenStorageOnILockBytes(bytes.get(), nullptr, rootMode, nullptr, 0, &root)))
        return;
    Walk walk{childMode};
    WalkStorage(root.get(), walk, 0);
    if (edit)
        EditAndCommit(root.get(), bytes.get(), wasSound);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool sound = false;
    {
        Ptr<ILockBytes> bytes;
        if (SUCCEEDED(LockBytesWith(data, size, &bytes)))
            sound = SeriousFaults(bytes.get(), false) == 0;
    }
    OpenAndWalk(data, size, STGM_READ | STGM_SHARE_EXCLUSIVE, STGM_READ | STGM_SHARE_EXCLUSIVE,
                false, sound);
    OpenAndWalk(data, size, STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, true, sound);
    return 0;
}
