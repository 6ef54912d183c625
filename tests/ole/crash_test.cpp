// Crash and write-failure injection under the commit. Every byte the engine moves goes
// through ILockBytes, so a lock-bytes that can lose power, or refuse a write, at any of its
// calls shows what each moment of a commit leaves on the disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "com_object.h"
#include "structure_check.h"
#include "test_support.h"
#include "utf16.h"

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kElement = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kTransacted = STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kReadOnly = STGM_READ | STGM_SHARE_EXCLUSIVE;

// Unflushed data reaches the disk in pieces of this size, in any order.
constexpr std::uint64_t kPiece = 512;

// What a crash does to each piece of the writes that were not flushed yet. Each k is cheap,
// so it is tried with many random mixes: each one is another order of pieces reaching disk.
enum class Loss { KeepAll, DropAll, GarbleAll, Mix };
constexpr unsigned kLossModes = 16; // the three fixed ones, then mixes

void Splice(Bytes* bytes, std::uint64_t at, const Bytes& data) {
    if (bytes->size() < at + data.size())
        bytes->resize(at + data.size());
    std::copy(data.begin(), data.end(), bytes->begin() + std::ptrdiff_t(at));
}

// A disk with an OS cache in front of it. Writes land in the cache (pending) and reach the
// disk (durable) at Flush; reads see the cache, as a process does. SetSize is cached like a
// write but is no event; each WriteAt and each Flush is one event.
//
// CrashAt(k): the machine dies during event k. That event and every later write, flush or
// resize fails with STG_E_WRITEFAULT; a write in flight may still have reached the disk, so
// it joins the pending ones. AfterCrash then tells what the disk holds. Reads keep working:
// the process has not noticed yet, and what it reads no longer matters.
// FailFrom(k): nothing crashes, but event k and all later ones are refused (a write past the
// end as STG_E_MEDIUMFULL, like a full disk, anything else as STG_E_WRITEFAULT) until Heal.
class CrashingLockBytes final : public ComObject<ILockBytes> {
public:
    struct Event {
        bool flush;
        std::uint64_t offset, size;
        bool extends; // a write past the current end
    };

    explicit CrashingLockBytes(const Bytes& durable) : m_durable(durable), m_view(durable) {}

    void CrashAt(std::size_t event) { m_crashAt = event; }
    void FailFrom(std::size_t event) { m_failFrom = event; }
    void Heal() {
        m_failFrom = 0;
        m_failure = S_OK;
    }
    HRESULT Failure() const { return m_failure; }
    bool Crashed() const { return m_crashed; }
    const std::vector<Event>& Events() const { return m_events; }
    const Bytes& View() const { return m_view; }
    // Writes not yet flushed (a resize left pending only cuts free sectors).
    std::size_t Pending() const {
        return std::count_if(m_pending.begin(), m_pending.end(),
                             [](const Op& op) { return !op.resize; });
    }
    // The disk after the crash; DropAll gives the durable bytes.
    Bytes AfterCrash(Loss loss, unsigned seed) const;

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }

    HRESULT ReadAt(ULARGE_INTEGER at, void* pv, ULONG cb, ULONG* pcbRead) override {
        const auto n = at.QuadPart < m_view.size()
                           ? ULONG(std::min<std::uint64_t>(cb, m_view.size() - at.QuadPart))
                           : ULONG{0};
        if (n)
            std::memcpy(pv, m_view.data() + at.QuadPart, n);
        if (pcbRead)
            *pcbRead = n;
        return S_OK;
    }
    HRESULT WriteAt(ULARGE_INTEGER at, const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten)
            *pcbWritten = 0;
        const auto* p = static_cast<const std::uint8_t*>(pv);
        Op op{false, at.QuadPart, Bytes(p, p + cb)};
        const bool dying = !m_crashed && m_crashAt == m_events.size() + 1;
        const HRESULT hr = Enter({false, at.QuadPart, cb, at.QuadPart + cb > m_view.size()});
        if (SUCCEEDED(hr))
            Apply(op, &m_view);
        if (SUCCEEDED(hr) || dying) // a write in flight may still reach the disk
            m_pending.push_back(std::move(op));
        if (SUCCEEDED(hr) && pcbWritten)
            *pcbWritten = cb;
        return hr;
    }
    HRESULT Flush() override {
        const HRESULT hr = Enter({true, 0, 0, false});
        if (SUCCEEDED(hr)) {
            m_durable = m_view;
            m_pending.clear();
        }
        return hr;
    }
    HRESULT SetSize(ULARGE_INTEGER cb) override {
        if (m_crashed || FAILED(m_failure))
            return m_crashed ? STG_E_WRITEFAULT : m_failure;
        m_pending.push_back({true, cb.QuadPart, {}});
        Apply(m_pending.back(), &m_view);
        return S_OK;
    }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Stat(STATSTG* st, DWORD) override {
        *st = STATSTG{};
        st->type = STGTY_LOCKBYTES;
        st->cbSize.QuadPart = m_view.size();
        return S_OK;
    }

private:
    struct Op {
        bool resize; // else a write
        std::uint64_t offset;
        Bytes data;
    };
    static void Apply(const Op& op, Bytes* disk) {
        if (op.resize)
            disk->resize(op.offset);
        Splice(disk, op.offset, op.data);
    }

    // Logs an event and says whether it may take effect.
    HRESULT Enter(const Event& event) {
        m_events.push_back(event);
        if (m_crashed || m_crashAt == m_events.size()) {
            m_crashed = true;
            return STG_E_WRITEFAULT;
        }
        if (m_failFrom && m_events.size() >= m_failFrom && m_failure == S_OK)
            m_failure = event.extends ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
        return m_failure;
    }

    Bytes m_durable, m_view;
    std::vector<Op> m_pending;
    std::vector<Event> m_events;
    std::size_t m_crashAt = 0, m_failFrom = 0;
    bool m_crashed = false;
    HRESULT m_failure = S_OK;
};

Bytes CrashingLockBytes::AfterCrash(Loss loss, unsigned seed) const {
    enum Fate { Keep, Drop, Garble };
    std::mt19937 rng(seed);
    Bytes disk = m_durable;
    for (const Op& op : m_pending) {
        if (op.resize) {
            if (loss != Loss::DropAll && !(loss == Loss::Mix && rng() % 2))
                Apply(op, &disk);
            continue;
        }
        for (std::uint64_t at = op.offset, end = at + op.data.size(); at < end;) {
            const std::uint64_t next = std::min(end, (at / kPiece + 1) * kPiece);
            Fate fate = loss == Loss::KeepAll     ? Keep
                        : loss == Loss::DropAll   ? Drop
                        : loss == Loss::GarbleAll ? Garble
                                                  : Fate(rng() % 3);
            // A drive writes one sector whole or not at all, and the header is one sector:
            // no file with a single header could survive a torn one.
            if (at == 0 && fate == Garble)
                fate = loss == Loss::Mix && rng() % 2 ? Keep : Drop;
            const auto from = op.data.begin() + std::ptrdiff_t(at - op.offset);
            Bytes piece(from, from + std::ptrdiff_t(next - at));
            for (auto& b : piece)
                b = fate == Garble ? std::uint8_t(rng()) : b;
            if (fate != Drop)
                Splice(&disk, at, piece);
            at = next;
        }
    }
    return disk;
}

// Every element by path (storages with a trailing slash and no bytes) with its contents.
using Dump = std::map<std::string, Bytes>;

Dump DumpOf(IStorage* storage, const std::string& prefix = "") {
    Dump dump;
    Ptr<IEnumSTATSTG> elements;
    EXPECT_EQ(storage->EnumElements(0, nullptr, 0, &elements), S_OK);
    STATSTG st;
    ULONG fetched = 0;
    while (elements && elements->Next(1, &st, &fetched) == S_OK && fetched == 1) {
        const std::u16string name = st.pwcsName;
        CoTaskMemFree(st.pwcsName);
        const std::string path = prefix + Utf16ToUtf8(name).value();
        if (st.type != STGTY_STORAGE) {
            dump[path] = ReadStream(storage, name);
            continue;
        }
        dump[path + "/"] = {};
        Ptr<IStorage> sub;
        EXPECT_EQ(storage->OpenStorage(name.c_str(), nullptr, kReadOnly, nullptr, 0, &sub), S_OK);
        if (sub)
            dump.merge(DumpOf(sub.get(), path + "/"));
    }
    return dump;
}

// Which paths differ, short enough for a failure message.
std::string Diff(const Dump& got, const Dump& want) {
    std::string out;
    for (const auto& [path, bytes] : got)
        if (!want.count(path) || want.at(path) != bytes)
            out += (want.count(path) ? " ~" : " +") + path;
    for (const auto& [path, bytes] : want)
        if (!got.count(path))
            out += " -" + path;
    return out.empty() ? " (same)" : out;
}

struct Reopened {
    HRESULT hr = E_FAIL;
    Dump dump;
    std::string faults; // all but a tail
    bool tail = false;  // sectors past the FAT: what a commit cut short leaves
};

// Opens a disk image as a reader would after the machine came back.
Reopened Reopen(const Bytes& image) {
    Reopened r;
    Ptr<ILockBytes> bytes = MemoryBytes(image);
    for (const StructureFault& f : CheckStructure(bytes.get())) {
        if (f.name == "sectors-beyond-fat")
            r.tail = true;
        else if (!f.warning)
            r.faults += f.name + " (" + f.detail + "); ";
    }
    if (Ptr<IStorage> root = OpenRoot(bytes.get(), kReadOnly, &r.hr))
        r.dump = DumpOf(root.get());
    return r;
}

// A commit that failed before its header may leave a tail; the next commit covers it.
void ExpectFile(const Bytes& image, const Dump& want, bool tailAllowed = false) {
    const Reopened r = Reopen(image);
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.faults, "");
    EXPECT_TRUE(tailAllowed || !r.tail);
    EXPECT_TRUE(r.dump == want) << Diff(r.dump, want);
}

// The committed state every test starts from: streams on both sides of the 4096-byte
// cutoff, storages to destroy and to edit below, a stream to rename, and free sectors.
Bytes BuildBase() {
    Ptr<CrashingLockBytes> disk;
    *&disk = new CrashingLockBytes({});
    {
        Ptr<IStorage> root, doomed, keep, sub;
        EXPECT_EQ(StgCreateDocfileOnILockBytes(disk.get(), kCreate, 0, &root), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"S100", Pattern(100, 1)), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"S3000", Pattern(3000, 2)), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"S5000", Pattern(5000, 3)), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"S70000", Pattern(70000, 4)), S_OK);
        EXPECT_EQ(WriteStream(root.get(), u"OldName", Pattern(700, 5)), S_OK);
        EXPECT_EQ(root->CreateStorage(u"Doomed", kCreate, 0, 0, &doomed), S_OK);
        EXPECT_EQ(WriteStream(doomed.get(), u"A", Pattern(200, 6)), S_OK);
        EXPECT_EQ(WriteStream(doomed.get(), u"B", Pattern(6000, 7)), S_OK);
        EXPECT_EQ(root->CreateStorage(u"Keep", kCreate, 0, 0, &keep), S_OK);
        EXPECT_EQ(keep->CreateStorage(u"Sub", kCreate, 0, 0, &sub), S_OK);
        EXPECT_EQ(WriteStream(sub.get(), u"Inner", Pattern(300, 8)), S_OK);
        // A second commit leaves free sectors behind, which the edit's commit reuses.
        EXPECT_EQ(WriteStream(root.get(), u"Scratch", Pattern(20000, 9)), S_OK);
        EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
        EXPECT_EQ(root->DestroyElement(u"Scratch"), S_OK);
    }
    EXPECT_EQ(disk->Pending(), 0u) << "the direct root left unflushed writes at release";
    return disk->View();
}

// The edit under test, made on a transacted root.
HRESULT ApplyEdit(IStorage* root) {
    Ptr<IStorage> keep, sub;
    const std::function<HRESULT()> steps[] = {
        [&] { return WriteStream(root, u"Fresh", Pattern(40, 21)); },
        [&] { return WriteStream(root, u"Fresh10k", Pattern(10000, 22)); },
        [&] { return WriteStream(root, u"Bulk", Pattern(100000, 27)); },  // written at once
        [&] { return WriteAt(root, u"S3000", 3000, Pattern(3000, 23)); }, // up across 4096
        [&] { return ResizeStream(root, u"S5000", 100); },                // and down
        [&] { return WriteAt(root, u"S70000", 35000, Pattern(10, 24)); },
        [&] { return root->DestroyElement(u"Doomed"); },
        [&] { return root->RenameElement(u"OldName", u"NewName"); },
        [&] { return root->OpenStorage(u"Keep", nullptr, kElement, nullptr, 0, &keep); },
        [&] { return keep->OpenStorage(u"Sub", nullptr, kTransacted, nullptr, 0, &sub); },
        [&] { return WriteStream(sub.get(), u"Added", Pattern(300, 25)); },
        [&] { return WriteAt(sub.get(), u"Inner", 0, Pattern(20, 26)); },
        [&] { return sub->Commit(STGC_DEFAULT); },
    };
    for (const auto& step : steps)
        if (HRESULT hr = step(); FAILED(hr))
            return hr;
    return S_OK;
}

// What ApplyEdit should make of a state, worked out without the engine.
Dump Edited(Dump d) {
    d["Fresh"] = Pattern(40, 21);
    d["Fresh10k"] = Pattern(10000, 22);
    d["Bulk"] = Pattern(100000, 27);
    Splice(&d["S3000"], 3000, Pattern(3000, 23));
    d["S5000"].resize(100);
    Splice(&d["S70000"], 35000, Pattern(10, 24));
    std::erase_if(d, [](const auto& e) { return e.first.starts_with("Doomed/"); });
    d["NewName"] = d["OldName"];
    d.erase("OldName");
    d["Keep/Sub/Added"] = Pattern(300, 25);
    Splice(&d["Keep/Sub/Inner"], 0, Pattern(20, 26));
    return d;
}

void OpenAndEdit(ILockBytes* disk, Ptr<IStorage>& root) {
    ASSERT_EQ(StgOpenStorageOnILockBytes(disk, nullptr, kTransacted, nullptr, 0, &root), S_OK);
    ASSERT_EQ(ApplyEdit(root.get()), S_OK);
}

// The base file, both states, and the events of the whole commit, taken once without faults.
struct Scenario {
    Bytes base;
    Dump oldState, newState;
    std::vector<CrashingLockBytes::Event> events;
    std::size_t headerWrite = 0; // the event that writes the header, counting from 1
    std::size_t eventsBeforeCommit = 0;
    HRESULT commit = E_FAIL;
};

const Scenario& TheScenario() {
    static const Scenario scenario = [] {
        Scenario s;
        s.base = BuildBase();
        s.oldState = Reopen(s.base).dump;
        Ptr<CrashingLockBytes> disk;
        *&disk = new CrashingLockBytes(s.base);
        Ptr<IStorage> root;
        OpenAndEdit(disk.get(), root);
        s.eventsBeforeCommit = disk->Events().size();
        s.commit = root ? root->Commit(STGC_OVERWRITE) : E_FAIL;
        s.events = disk->Events();
        for (std::size_t i = 0; i < s.events.size(); ++i)
            if (!s.events[i].flush && s.events[i].offset == 0)
                s.headerWrite = i + 1;
        s.newState = Reopen(disk->AfterCrash(Loss::DropAll, 0)).dump;
        return s;
    }();
    return scenario;
}

TEST(CrashTest, CommitWritesDataFlushesThenWritesHeaderAndFlushes) {
    const Scenario& s = TheScenario();
    ASSERT_EQ(s.commit, S_OK);
    ASSERT_NO_FATAL_FAILURE(ExpectFile(s.base, s.oldState));
    // Before its commit a transacted root writes only bulk appends, past the committed end.
    EXPECT_GT(s.eventsBeforeCommit, 0u);
    for (std::size_t i = 0; i < s.eventsBeforeCommit; ++i)
        EXPECT_TRUE(!s.events[i].flush && s.events[i].offset >= s.base.size()) << "event " << i + 1;
    EXPECT_TRUE(s.oldState.count("Doomed/B") && s.oldState.count("Keep/Sub/Inner"));
    EXPECT_TRUE(s.newState == Edited(s.oldState)) << Diff(s.newState, Edited(s.oldState));
    // The header write is the only write to the first sector, after a flush and before the
    // last one.
    const std::size_t n = s.events.size();
    ASSERT_GE(n, 4u);
    EXPECT_EQ(s.headerWrite, n - 1);
    EXPECT_EQ(s.events[n - 2].size, kPiece);
    EXPECT_TRUE(s.events[n - 3].flush && s.events[n - 1].flush);
    for (std::size_t i = 0; i + 2 < n; ++i)
        EXPECT_TRUE(s.events[i].flush || s.events[i].offset >= kPiece) << "event " << i + 1;
    RecordProperty("events", int(n));
}

TEST(CrashTest, CrashAtAnyEventLeavesExactlyTheOldOrTheNewState) {
    const Scenario& s = TheScenario();
    ASSERT_EQ(s.commit, S_OK);
    const std::size_t n = s.events.size();
    int cases = 0, sawOld = 0, sawNew = 0;
    // From the first event of the commit (the edit's bulk writes are not flushed yet) to
    // k = n + 1: the machine dies after the commit returned.
    for (std::size_t k = s.eventsBeforeCommit + 1; k <= n + 1; ++k) {
        Ptr<CrashingLockBytes> disk;
        *&disk = new CrashingLockBytes(s.base);
        disk->CrashAt(k);
        Ptr<IStorage> root;
        ASSERT_NO_FATAL_FAILURE(OpenAndEdit(disk.get(), root));
        const HRESULT hr = root->Commit(STGC_OVERWRITE);
        root.Reset();
        if (k <= n)
            EXPECT_TRUE(FAILED(hr) && disk->Crashed()) << "crash at event " << k;
        else
            EXPECT_EQ(hr, S_OK);
        for (unsigned mode = 0; mode < kLossModes; ++mode) {
            const Loss loss = mode < 3 ? Loss(mode) : Loss::Mix;
            SCOPED_TRACE("crash at event " + std::to_string(k) + " of " + std::to_string(n) +
                         ", loss mode " + std::to_string(mode));
            const Reopened r = Reopen(disk->AfterCrash(loss, unsigned(7919 * k + mode)));
            ASSERT_EQ(r.hr, S_OK);
            EXPECT_EQ(r.faults, "");
            const bool isOld = r.dump == s.oldState, isNew = r.dump == s.newState;
            EXPECT_TRUE(isOld || !r.tail) << "the new state's FAT covers the whole file";
            EXPECT_TRUE(isOld || isNew)
                << "vs old:" << Diff(r.dump, s.oldState) << "; vs new:" << Diff(r.dump, s.newState);
            // Only the header switches states: not yet issued, or lost, it leaves the old.
            const bool headerLost = loss == Loss::DropAll || loss == Loss::GarbleAll;
            EXPECT_TRUE(isOld || !(k < s.headerWrite || (k <= n && headerLost)));
            EXPECT_TRUE(isNew || !(k > n || (loss == Loss::KeepAll && k >= s.headerWrite)));
            ++cases;
            sawOld += isOld;
            sawNew += isNew;
        }
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    RecordProperty("cases", cases);
}

TEST(CrashTest, FailedWriteOrFlushFailsTheCommitAndSticksUntilRevert) {
    const Scenario& s = TheScenario();
    ASSERT_EQ(s.commit, S_OK);
    int mediumFull = 0, writeFault = 0;
    for (std::size_t k = 1; k <= s.events.size(); ++k) {
        SCOPED_TRACE("failing from event " + std::to_string(k));
        Ptr<CrashingLockBytes> disk;
        *&disk = new CrashingLockBytes(s.base);
        disk->FailFrom(k);
        Ptr<IStorage> root;
        if (k <= s.eventsBeforeCommit) {
            // A bulk append that meets a full disk reports it; the file holds the old state
            // (and what of the tail the full disk would not let go).
            ASSERT_EQ(
                StgOpenStorageOnILockBytes(disk.get(), nullptr, kTransacted, nullptr, 0, &root),
                S_OK);
            EXPECT_EQ(ApplyEdit(root.get()), STG_E_MEDIUMFULL);
            ++mediumFull;
            root.Reset();
            ASSERT_NO_FATAL_FAILURE(ExpectFile(disk->View(), s.oldState, true));
            continue;
        }
        ASSERT_NO_FATAL_FAILURE(OpenAndEdit(disk.get(), root));
        Ptr<IStream> held;
        ASSERT_EQ(root->OpenStream(u"S100", nullptr, kElement, 0, &held), S_OK);
        Ptr<IStorage> keep;
        ASSERT_EQ(
            root->OpenStorage(u"Keep", nullptr, kElement | STGM_TRANSACTED, nullptr, 0, &keep),
            S_OK);
        ASSERT_EQ(WriteStream(keep.get(), u"Pending", Pattern(3)), S_OK);
        const HRESULT hr = root->Commit(STGC_OVERWRITE);
        ASSERT_TRUE(FAILED(hr));
        EXPECT_EQ(hr, disk->Failure());
        ++(hr == STG_E_MEDIUMFULL ? mediumFull : writeFault);
        EXPECT_EQ(disk->Events().size(), k) << "the commit went on after a refused event";
        // Nothing crashed: the file is what the bytes hold. Only the last flush follows the
        // header write, and failing there the new state is already in place.
        const Dump& committed = k > s.headerWrite ? s.newState : s.oldState;
        ASSERT_NO_FATAL_FAILURE(ExpectFile(disk->View(), committed, k <= s.headerWrite));

        // The image is stuck: every change answers the commit's error.
        Ptr<IStream> later;
        EXPECT_EQ(root->CreateStream(u"Later", kCreate, 0, 0, &later), hr);
        const std::uint8_t byte = 1;
        ULONG written = 0;
        EXPECT_EQ(held->Write(&byte, 1, &written), hr);
        EXPECT_EQ(keep->Commit(STGC_OVERWRITE), hr);
        EXPECT_EQ(root->DestroyElement(u"Keep"), hr);
        EXPECT_EQ(root->Commit(STGC_OVERWRITE), hr);
        EXPECT_EQ(disk->Events().size(), k) << "a stuck image wrote";

        ASSERT_EQ(root->Revert(), S_OK);
        EXPECT_TRUE(DumpOf(root.get()) == committed) << Diff(DumpOf(root.get()), committed);
        disk->Heal();
        Dump want = s.newState;
        if (k <= s.headerWrite) {
            ASSERT_EQ(ApplyEdit(root.get()), S_OK);
        } else {
            ASSERT_EQ(WriteStream(root.get(), u"Later", Pattern(5, 30)), S_OK);
            want["Later"] = Pattern(5, 30);
        }
        ASSERT_EQ(root->Commit(STGC_OVERWRITE), S_OK);
        ASSERT_NO_FATAL_FAILURE(ExpectFile(disk->View(), want));
        EXPECT_EQ(disk->Pending(), 0u);
    }
    EXPECT_GT(mediumFull, 0);
    EXPECT_GT(writeFault, 0);
}

} // namespace
