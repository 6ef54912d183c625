// Crash and write-failure injection under the commit. Every byte the engine moves goes
// through ILockBytes, so a disk that can lose power, or refuse a write, at any of its calls
// shows what each moment of a commit leaves on the disk.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "structure_check.h"
#include "test_support.h"

namespace {

// Each crash point is cheap, so it is tried with many losses: the three fixed ones, then random
// mixes, each another order of pieces reaching disk.
constexpr unsigned kLossModes = 16;

// Every element by path (storages with a trailing slash and no bytes) with its contents.
using Dump = std::map<std::string, Bytes>;

Dump DumpOf(IStorage* storage, const std::string& prefix = "") {
    Dump dump;
    for (const std::string& name : ListElements(storage)) {
        const bool isStorage = name.ends_with('/');
        const std::u16string element = U16(name.substr(0, name.size() - isStorage));
        if (!isStorage)
            dump[prefix + name] = ReadStream(storage, element);
        else if (Ptr<IStorage> sub = Sub(storage, element.c_str(), kRead)) {
            dump[prefix + name] = {};
            dump.merge(DumpOf(sub.get(), prefix + name));
        }
    }
    return dump;
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
    Ptr<FakeDisk> bytes = FakeDisk::New(image);
    for (const StructureFault& f : CheckStructure(bytes.get())) {
        if (f.name == "sectors-beyond-fat")
            r.tail = true;
        else if (!f.warning)
            r.faults += f.name + " (" + f.detail + "); ";
    }
    if (Ptr<IStorage> root = OpenRoot(bytes.get(), kRead, &r.hr))
        r.dump = DumpOf(root.get());
    return r;
}

// A commit that failed before its header may leave a tail; the next commit covers it.
void ExpectFile(const Bytes& image, const Dump& want, bool tailAllowed = false) {
    const Reopened r = Reopen(image);
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.faults, "");
    EXPECT_TRUE(tailAllowed || !r.tail);
    EXPECT_EQ(r.dump, want);
}

// The committed state every test starts from: streams on both sides of the 4096-byte
// cutoff, storages to destroy and to edit below, a stream to rename, and free sectors.
Bytes BuildBase() {
    Ptr<FakeDisk> disk = FakeDisk::New();
    {
        Ptr<IStorage> root = CreateRoot(disk.get()), doomed = Sub(root.get(), u"Doomed", kCreate);
        for (auto [name, size, seed] : {std::tuple{u"S100", 100, 1},
                                        {u"S3000", 3000, 2},
                                        {u"S5000", 5000, 3},
                                        {u"S70000", 70000, 4},
                                        {u"OldName", 700, 5}})
            EXPECT_EQ(WriteStream(root.get(), name, Pattern(size, seed)), S_OK);
        EXPECT_EQ(WriteStream(doomed.get(), u"A", Pattern(200, 6)), S_OK);
        EXPECT_EQ(WriteStream(doomed.get(), u"B", Pattern(6000, 7)), S_OK);
        Ptr<IStorage> keep = Sub(root.get(), u"Keep", kCreate),
                      sub = Sub(keep.get(), u"Sub", kCreate);
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
        [&] { return root->OpenStorage(u"Keep", nullptr, kRW, nullptr, 0, &keep); },
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
    std::vector<FakeDisk::Event> events;
    std::size_t headerWrite = 0; // the event that writes the header, counting from 1
    std::size_t eventsBeforeCommit = 0;
    HRESULT commit = E_FAIL;
};

const Scenario& TheScenario() {
    static const Scenario scenario = [] {
        Scenario s;
        s.base = BuildBase();
        s.oldState = Reopen(s.base).dump;
        Ptr<FakeDisk> disk = FakeDisk::New(s.base);
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

TEST(CrashTest, TheEditWithoutFaultsGivesTheModelsNewState) {
    const Scenario& s = TheScenario();
    ASSERT_EQ(s.commit, S_OK);
    ASSERT_NO_FATAL_FAILURE(ExpectFile(s.base, s.oldState));
    // Before its commit a transacted root writes only bulk appends, past the committed end.
    EXPECT_GT(s.eventsBeforeCommit, 0u);
    for (std::size_t i = 0; i < s.eventsBeforeCommit; ++i)
        EXPECT_TRUE(!s.events[i].flush && s.events[i].offset >= s.base.size()) << "event " << i + 1;
    EXPECT_TRUE(s.oldState.count("Doomed/B") && s.oldState.count("Keep/Sub/Inner"));
    EXPECT_EQ(s.newState, Edited(s.oldState));
    EXPECT_GT(s.headerWrite, s.eventsBeforeCommit); // what the crash points below lean on
}

TEST(CrashTest, CrashAtAnyEventLeavesExactlyTheOldOrTheNewState) {
    const Scenario& s = TheScenario();
    ASSERT_EQ(s.commit, S_OK);
    const std::size_t n = s.events.size();
    int sawOld = 0, sawNew = 0;
    // From the first event of the commit (the edit's bulk writes are not flushed yet) to
    // k = n + 1: the machine dies after the commit returned.
    for (std::size_t k = s.eventsBeforeCommit + 1; k <= n + 1; ++k) {
        Ptr<FakeDisk> disk = FakeDisk::New(s.base);
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
            EXPECT_TRUE(isOld || isNew) << "a state that was never committed";
            // Only the header switches states: not yet issued, or lost, it leaves the old.
            const bool headerLost = loss == Loss::DropAll || loss == Loss::GarbleAll;
            EXPECT_TRUE(isOld || !(k < s.headerWrite || (k <= n && headerLost)));
            EXPECT_TRUE(isNew || !(k > n || (loss == Loss::KeepAll && k >= s.headerWrite)));
            sawOld += isOld;
            sawNew += isNew;
        }
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

TEST(CrashTest, FailedWriteOrFlushFailsTheCommitAndSticksUntilRevert) {
    const Scenario& s = TheScenario();
    ASSERT_EQ(s.commit, S_OK);
    int mediumFull = 0, writeFault = 0;
    for (std::size_t k = 1; k <= s.events.size(); ++k) {
        SCOPED_TRACE("failing from event " + std::to_string(k));
        Ptr<FakeDisk> disk = FakeDisk::New(s.base);
        disk->FailFrom(k);
        Ptr<IStorage> root;
        if (k <= s.eventsBeforeCommit) {
            // A bulk append that meets a full disk reports it; the file holds the old state
            // (and what of the tail the full disk would not let go).
            root = OpenRoot(disk.get(), kTransacted);
            EXPECT_EQ(ApplyEdit(root.get()), STG_E_MEDIUMFULL);
            ++mediumFull;
            root.Reset();
            ASSERT_NO_FATAL_FAILURE(ExpectFile(disk->View(), s.oldState, true));
            continue;
        }
        ASSERT_NO_FATAL_FAILURE(OpenAndEdit(disk.get(), root));
        Ptr<IStream> held;
        ASSERT_EQ(root->OpenStream(u"S100", nullptr, kRW, 0, &held), S_OK);
        Ptr<IStorage> keep = Sub(root.get(), u"Keep", kTransacted);
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
        EXPECT_EQ(held->Write("x", 1, nullptr), hr);
        EXPECT_EQ(keep->Commit(STGC_OVERWRITE), hr);
        EXPECT_EQ(root->DestroyElement(u"Keep"), hr);
        EXPECT_EQ(root->Commit(STGC_OVERWRITE), hr);
        EXPECT_EQ(disk->Events().size(), k) << "a stuck image wrote";

        ASSERT_EQ(root->Revert(), S_OK);
        EXPECT_EQ(DumpOf(root.get()), committed);
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
