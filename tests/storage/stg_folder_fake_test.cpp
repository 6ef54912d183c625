// The folder over storages whose listings a compound file could not produce: names equal but
// for case, enumerators that repeat themselves, elements that refuse to open.
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

QStringList Names(CStgFolder& folder, BOOL more) {
    QStringList names;
    while (more) {
        more = folder.MoveNext();
        names << folder.GetName();
    }
    return names;
}

QStringList List(FakeStorage& storage, const QString& filter = QString(),
                 BOOL fullInformation = FALSE) {
    CStgFolder folder(&storage, filter, fullInformation);
    const BOOL more = folder.Fill();
    folder.Close();
    return Names(folder, more);
}

// Listings no compound file produces: names equal but for case stay side by side, and an
// enumerator that repeats itself (the same element twice in a row, starting over, cycling
// through names the filter skips) ends the walk with what was gathered, quietly.
TEST(StgFolderFake, OddListingsEndQuietly) {
    const struct {
        std::vector<FakeEntry> entries;
        QString filter;
        QStringList listed;
    } cases[] = {
        {{Stream(u"zeta"), Stream(u"data"), Stream(u"Alpha"), Stream(u"DATA")},
         {},
         {"Alpha", "data", "DATA", "zeta"}},
        {{Stream(u"a"), Stream(u"a"), Stream(u"b")}, {}, {"a"}},
        // The look-ahead lets the storage through; the list refuses a name it holds.
        {{Stream(u"x"), Storage(u"x"), Stream(u"y")}, {}, {"x"}},
        {{Stream(u"c"), Storage(u"a"), Stream(u"b"), Stream(u"c"), Storage(u"a"), Stream(u"d")},
         {},
         {"a", "b", "c"}},
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

TEST(StgFolderFake, OtherElementTypesCountAsStreams) {
    FakeStorage storage({{u"lock", STGTY_LOCKBYTES, 0}, Storage(u"z"), Stream(u"a")});
    CStgFolder folder(&storage);
    BOOL more = folder.Fill();
    EXPECT_EQ(Names(folder, more), QStringList({"z", "a", "lock"}));
    EXPECT_TRUE(folder.IsStream());
    EXPECT_FALSE(folder.IsStorage());
}

TEST(StgFolderFake, HoldsOneReferenceFromConstructionToClose) {
    FakeStorage storage({Stream(u"s")});
    {
        CStgFolder folder(&storage);
        EXPECT_EQ(storage.refs, 2u);
        BOOL more = folder.Fill();
        EXPECT_EQ(storage.liveEnumerators, 1);
        folder.Close();
        EXPECT_EQ(storage.refs, 1u);
        EXPECT_EQ(storage.liveEnumerators, 0);
        EXPECT_EQ(Names(folder, more), QStringList({"s"}));
    }
    EXPECT_EQ(storage.refs, 1u);
}

TEST(StgFolderFake, FailedEnumerationIsReported) {
    RecordingMessageBox boxes;
    FakeStorage storage({Stream(u"s")});
    storage.enumResult = STG_E_INSUFFICIENTMEMORY;
    CStgFolder folder(&storage);
    EXPECT_FALSE(folder.Fill());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith("STG_E_INSUFFICIENTMEMORY(80030008): - EnumElements\n"));
}

TEST(StgFolderFake, WithoutFullInformationNothingIsOpened) {
    FakeStorage storage({Stream(u"s", 10), Storage(u"t")});
    CStgFolder folder(&storage);
    EXPECT_TRUE(folder.Fill());
    EXPECT_EQ(storage.opens, 0);
    EXPECT_TRUE(folder.MoveNext());
    EXPECT_FALSE(folder.MoveNext());
    STATSTG stat{};
    EXPECT_EQ(folder.GetStat(&stat)->cbSize.QuadPart, 10u);
}

TEST(StgFolderFake, FullInformationTakesEachElementsOwnStat) {
    RecordingMessageBox boxes;
    FakeStorage storage({Stream(u"s", 10), Storage(u"t")});
    CStgFolder folder(&storage, QString(), TRUE);
    EXPECT_TRUE(folder.Fill());
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(storage.opens, 2);
    EXPECT_EQ(storage.lastOpenMode, 0x12u);
    EXPECT_EQ(storage.liveOpened, 0);
    STATSTG stat{};
    folder.MoveNext();
    EXPECT_EQ(folder.GetName(), "t");
    folder.MoveNext();
    EXPECT_EQ(folder.GetStat(&stat)->cbSize.QuadPart, 10 + FakeStream::kOwnSizeExtra);
}

TEST(StgFolderFake, ElementThatCannotBeOpenedIsReportedOnceAndTheWalkGoesOn) {
    RecordingMessageBox boxes;
    FakeStorage storage({Stream(u"s1", 1), Stream(u"locked", 2), Storage(u"t"), Stream(u"s3", 3)});
    storage.openFailures[u"locked"] = STG_E_ACCESSDENIED;
    CStgFolder folder(&storage, QString(), TRUE);
    BOOL more = folder.Fill();
    EXPECT_EQ(boxes.texts, QStringList({"STG_E_ACCESSDENIED(80030005): - OpenStream\n"
                                        "Insufficient permissions to open stream."}));
    EXPECT_EQ(storage.liveOpened, 0);
    QStringList names;
    std::vector<ULONGLONG> sizes;
    while (more) {
        more = folder.MoveNext();
        names << folder.GetName();
        STATSTG stat{};
        sizes.push_back(folder.GetStat(&stat)->cbSize.QuadPart);
    }
    EXPECT_EQ(names, QStringList({"t", "locked", "s1", "s3"}));
    // The element that stayed shut keeps what the enumerator said about it.
    EXPECT_EQ(sizes[1], 2u);
    EXPECT_EQ(sizes[3], 3 + FakeStream::kOwnSizeExtra);
}

TEST(StgFolderFake, StorageThatCannotBeOpenedIsReportedAsOpenStorage) {
    RecordingMessageBox boxes;
    FakeStorage storage({Storage(u"t"), Stream(u"s")});
    storage.openFailures[u"t"] = STG_E_SHAREVIOLATION;
    EXPECT_EQ(List(storage, QString(), TRUE), QStringList({"t", "s"}));
    EXPECT_EQ(boxes.texts, QStringList({"STG_E_SHAREVIOLATION(80030020): - OpenStorage\n"
                                        "A share violation has occurred."}));
}

TEST(StgFolderFake, FailedStatIsReportedAndTheElementKeepsItsListedName) {
    RecordingMessageBox boxes;
    FakeStorage storage({Stream(u"a"), Stream(u"b", 4), Stream(u"c")});
    storage.statFailures[u"b"] = STG_E_ACCESSDENIED;
    CStgFolder folder(&storage, QString(), TRUE);
    BOOL more = folder.Fill();
    EXPECT_EQ(storage.liveOpened, 0);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith("STG_E_ACCESSDENIED(80030005): - Stat\n"));
    EXPECT_EQ(Names(folder, more), QStringList({"a", "b", "c"}));
}

} // namespace
