// The storage folder over storages of the test's own making, which list what a compound file
// holds and what no compound file could: names equal but for case, enumerators that repeat
// themselves, elements that refuse to open.
#include <gtest/gtest.h>

#include <QStringList>

#include "fake_storage.h"
#include "recording_message_box.h"
#include "stg_folder.h"

namespace {

FakeEntry Stream(std::u16string name, ULONGLONG size = 0) {
    return {std::move(name), STGTY_STREAM, size};
}
FakeEntry Storage(std::u16string name) {
    return {std::move(name), STGTY_STORAGE, 0};
}

// The names walked, "/" after a storage's; sizes as the records hold them.
QStringList Walk(CStgFolder& folder, BOOL more, std::vector<ULONGLONG>* sizes = nullptr) {
    QStringList names;
    while (more) {
        more = folder.MoveNext();
        names << folder.GetName() + (folder.IsStorage() ? "/" : "");
        EXPECT_NE(folder.IsStorage(), folder.IsStream());
        STATSTG stat{};
        stat.pwcsName = reinterpret_cast<LPOLESTR>(&stat); // must be overwritten
        EXPECT_EQ(folder.GetStat(&stat), &stat);
        EXPECT_EQ(stat.pwcsName, nullptr);
        if (sizes)
            sizes->push_back(stat.cbSize.QuadPart);
    }
    return names;
}

QStringList List(FakeStorage& storage, const QString& filter = QString(),
                 BOOL fullInformation = FALSE, std::vector<ULONGLONG>* sizes = nullptr) {
    CStgFolder folder(&storage, filter, fullInformation);
    const BOOL more = folder.Fill();
    folder.Close();
    return Walk(folder, more, sizes);
}

QString Units(const char16_t* text) {
    return QStringView(text).toString();
}

// Storages first, then streams (every other type counts as one), each by _stricmp over the
// names' CP932 bytes (ASCII letters folded, trail bytes too); names with no CP932 form last,
// by UTF-16. Names reach the list exactly as the storage gives them, a leading U+FEFF or
// U+FFFE included.
TEST(StgFolder, OrdersNamesAsThePlatformComparesThem) {
    RecordingMessageBox boxes;
    FakeStorage storage({Stream(u"\uFFFEAb"),
                         Stream(u"ア"),
                         Stream(u"c"),
                         Stream(u"é"),
                         Stream(u"１"),
                         Stream(u"A"),
                         Stream(u"ä"),
                         Stream(u"Ａ"),
                         Storage(u"Z"),
                         Stream(u"b", 7),
                         {u"lock", STGTY_LOCKBYTES, 0},
                         Stream(u"_a"),
                         Stream(u"\uFEFFData"),
                         Stream(u"\x05Summary"),
                         Stream(u"ー"),
                         Storage(u"y")});
    std::vector<ULONGLONG> sizes;
    EXPECT_EQ(List(storage, QString(), FALSE, &sizes),
              QStringList({"y/", "Z/", Units(u"\x05Summary"), "_a", "A", "b", "c", "lock",
                           Units(u"ー"), Units(u"Ａ"), Units(u"１"), Units(u"ア"), Units(u"ä"),
                           Units(u"é"), Units(u"\uFEFFData"), Units(u"\uFFFEAb")}));
    EXPECT_EQ(sizes[5], 7u);
    EXPECT_EQ(storage.opens, 0);
    EXPECT_TRUE(boxes.texts.isEmpty());

    CStgFolder empty(&storage, "nothing");
    EXPECT_FALSE(empty.Fill());
    CStgFolder null(nullptr);
    EXPECT_FALSE(null.Fill());
    null.Close();
    EXPECT_TRUE(boxes.texts.isEmpty());
}

// Listings no compound file produces: names equal but for case stay side by side, and an
// enumerator that repeats itself (the same element twice in a row, starting over, cycling
// through names the filter skips) ends the walk with what was gathered, quietly. A filter
// finds only its exact name.
TEST(StgFolder, FiltersAndOddListingsEndQuietly) {
    const struct {
        std::vector<FakeEntry> entries;
        QString filter;
        QStringList listed;
    } cases[] = {
        {{Stream(u"zeta"), Stream(u"data"), Stream(u"Alpha"), Stream(u"DATA")},
         {},
         {"Alpha", "data", "DATA", "zeta"}},
        {{Stream(u"Stream1"), Stream(u"Stream2")}, "Stream1", {"Stream1"}},
        {{Stream(u"Stream1"), Stream(u"Stream2")}, "stream1", {}},
        {{Stream(u"a"), Stream(u"a"), Stream(u"b")}, {}, {"a"}},
        // The look-ahead lets the storage through; the list refuses a name it holds.
        {{Stream(u"x"), Storage(u"x"), Stream(u"y")}, {}, {"x"}},
        {{Stream(u"c"), Storage(u"a"), Stream(u"b"), Stream(u"c"), Storage(u"a"), Stream(u"d")},
         {},
         {"a/", "b", "c"}},
        // The guard looks at the element fetched just before, even one the filter skipped.
        {{Stream(u"other"), Stream(u"other"), Stream(u"wanted")}, "wanted", {}},
        {{Stream(u"other"), Stream(u"x"), Stream(u"wanted")}, "wanted", {"wanted"}},
        {{Stream(u"a"), Stream(u"b"), Stream(u"a"), Stream(u"b"), Stream(u"c")}, "c", {}},
    };
    for (const auto& c : cases) {
        RecordingMessageBox boxes;
        FakeStorage storage(c.entries);
        EXPECT_EQ(List(storage, c.filter), c.listed);
        EXPECT_TRUE(boxes.texts.isEmpty());
    }
}

// One reference from construction to Close; the records outlive it.
TEST(StgFolder, HoldsTheStorageOnlyUntilClose) {
    FakeStorage storage({Stream(u"s")});
    {
        CStgFolder folder(&storage);
        EXPECT_EQ(storage.refs, 2u);
        BOOL more = folder.Fill();
        EXPECT_EQ(storage.liveEnumerators, 1);
        folder.Close();
        folder.Close(); // a second Close lets go of nothing more
        EXPECT_EQ(storage.refs, 1u);
        EXPECT_EQ(storage.liveEnumerators, 0);
        EXPECT_EQ(Walk(folder, more), QStringList({"s"}));
    }
    EXPECT_EQ(storage.refs, 1u);
}

// Full information opens each element (mode 0x12) for its own Stat. A failed enumeration, a
// failed open and a failed Stat are each reported once; the walk goes on, and an element
// that stayed shut keeps what the enumerator said about it.
TEST(StgFolder, FailuresAreReportedAndTheWalkGoesOn) {
    RecordingMessageBox boxes;
    FakeStorage failing({Stream(u"s")});
    failing.enumResult = STG_E_INSUFFICIENTMEMORY;
    EXPECT_TRUE(List(failing).isEmpty());

    FakeStorage storage({Stream(u"s1", 1), Stream(u"locked", 2), Storage(u"t"), Storage(u"shut"),
                         Stream(u"s3", 3), Stream(u"nostat", 4)});
    storage.openFailures[u"locked"] = STG_E_ACCESSDENIED;
    storage.openFailures[u"shut"] = STG_E_SHAREVIOLATION;
    storage.statFailures[u"nostat"] = STG_E_ACCESSDENIED;
    std::vector<ULONGLONG> sizes;
    EXPECT_EQ(List(storage, QString(), TRUE, &sizes),
              QStringList({"shut/", "t/", "locked", "nostat", "s1", "s3"}));
    EXPECT_EQ(storage.lastOpenMode, 0x12u);
    EXPECT_EQ(storage.liveOpened, 0);
    EXPECT_EQ(sizes[2], 2u);
    EXPECT_EQ(sizes[3], 4u);
    EXPECT_EQ(sizes[5], 3 + FakeStream::kOwnSizeExtra);
    QStringList calls;
    for (const QString& text : boxes.texts)
        calls << text.section('\n', 0, 0);
    EXPECT_EQ(calls, QStringList({"STG_E_INSUFFICIENTMEMORY(80030008): - EnumElements",
                                  "STG_E_ACCESSDENIED(80030005): - OpenStream",
                                  "STG_E_SHAREVIOLATION(80030020): - OpenStorage",
                                  "STG_E_ACCESSDENIED(80030005): - Stat"}));
}

} // namespace
