// The folder over compound files made by the engine in memory.
#include <gtest/gtest.h>

#include <QStringList>

#include "recording_message_box.h"
#include "stg_folder.h"
#include "storage_api.h"

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

class StgFolderTest : public testing::Test {
protected:
    void SetUp() override {
        ILockBytes* bytes = nullptr;
        ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
        ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes, kCreate, 0, &m_root), S_OK);
        bytes->Release();
    }
    void TearDown() override {
        if (m_root)
            m_root->Release();
    }

    void AddStream(const QString& name, ULONG size = 0) {
        IStream* stream = nullptr;
        ASSERT_EQ(m_root->CreateStream(Name(name), kCreate, 0, 0, &stream), S_OK);
        std::vector<char> bytes(size, 'x');
        ULONG written = 0;
        if (size) {
            ASSERT_EQ(stream->Write(bytes.data(), size, &written), S_OK);
        }
        stream->Release();
    }
    void AddStorage(const QString& name) {
        IStorage* storage = nullptr;
        ASSERT_EQ(m_root->CreateStorage(Name(name), kCreate, 0, 0, &storage), S_OK);
        storage->Release();
    }
    // References the root has apart from the one the test holds.
    ULONG OtherRefs() {
        const ULONG refs = m_root->AddRef();
        m_root->Release();
        return refs - 2;
    }
    static const OLECHAR* Name(const QString& name) {
        return reinterpret_cast<const OLECHAR*>(name.utf16());
    }

    IStorage* m_root = nullptr;
    RecordingMessageBox m_boxes;
};

struct Walked {
    QStringList names;
    std::vector<BOOL> storages;
    int bodies = 0;
};

Walked Walk(CStgFolder& folder, BOOL more) {
    Walked walked;
    while (more) {
        more = folder.MoveNext();
        ++walked.bodies;
        walked.names << folder.GetName();
        walked.storages.push_back(folder.IsStorage());
        EXPECT_NE(folder.IsStorage(), folder.IsStream());
    }
    return walked;
}

// Storages first, then streams, each by _stricmp over the names' CP932 bytes (ASCII letters
// folded, trail bytes too); names with no CP932 form last, by UTF-16. Names reach the list
// exactly as the file has them, a leading U+FEFF or U+FFFE included.
TEST_F(StgFolderTest, OrdersNamesAsThePlatformComparesThem) {
    const QString summary = QString(QChar(5)) + "SummaryInformation";
    const QStringList streams{QStringView(u"\uFFFEAb").toString(),
                              QString::fromUtf16(u"ア"),
                              "c",
                              QString::fromUtf16(u"é"),
                              QString::fromUtf16(u"１"),
                              "A",
                              QString::fromUtf16(u"ä"),
                              QString::fromUtf16(u"Ａ"),
                              "b",
                              "_a",
                              QStringView(u"\uFEFFData").toString(),
                              summary,
                              QString::fromUtf16(u"ー")};
    for (const QString& name : streams)
        AddStream(name);
    AddStorage("Z");
    AddStorage("y");
    CStgFolder folder(m_root);
    const Walked walked = Walk(folder, folder.Fill());
    EXPECT_EQ(
        walked.names,
        QStringList({"y", "Z", summary, "_a", "A", "b", "c", QString::fromUtf16(u"ー"),
                     QString::fromUtf16(u"Ａ"), QString::fromUtf16(u"１"),
                     QString::fromUtf16(u"ア"), QString::fromUtf16(u"ä"), QString::fromUtf16(u"é"),
                     QStringView(u"\uFEFFData").toString(), QStringView(u"\uFFFEAb").toString()}));
    EXPECT_EQ(walked.storages[1], TRUE);
    EXPECT_EQ(walked.storages[2], FALSE);
    EXPECT_TRUE(m_boxes.texts.isEmpty());
}

TEST_F(StgFolderTest, EmptyOrNullStorageGivesNothingAndSaysNothing) {
    CStgFolder empty(m_root);
    EXPECT_FALSE(empty.Fill());
    CStgFolder null(nullptr);
    EXPECT_FALSE(null.Fill());
    null.Close();
    EXPECT_TRUE(m_boxes.texts.isEmpty());
}

TEST_F(StgFolderTest, OneElementRunsTheLoopBodyOnce) {
    AddStream("only", 7);
    CStgFolder folder(m_root);
    const Walked walked = Walk(folder, folder.Fill());
    EXPECT_EQ(walked.bodies, 1);
    EXPECT_EQ(folder.GetName(), "only");
    STATSTG stat{};
    stat.pwcsName = reinterpret_cast<LPOLESTR>(&stat); // must be overwritten
    EXPECT_EQ(folder.GetStat(&stat), &stat);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize.QuadPart, 7u);
}

TEST_F(StgFolderTest, FilterFindsOnlyTheExactName) {
    AddStream("Stream1");
    AddStream("Stream2");
    AddStorage("Sub");
    {
        CStgFolder folder(m_root, "Stream1");
        EXPECT_EQ(Walk(folder, folder.Fill()).names, QStringList({"Stream1"}));
    }
    {
        CStgFolder folder(m_root, "stream1");
        EXPECT_FALSE(folder.Fill());
    }
    {
        CStgFolder folder(m_root, QString());
        EXPECT_EQ(Walk(folder, folder.Fill()).names.size(), 3);
    }
}

TEST_F(StgFolderTest, RecordsOutliveTheStorageReference) {
    AddStream("s", 3);
    AddStorage("t");
    const ULONG before = OtherRefs();
    CStgFolder folder(m_root);
    EXPECT_EQ(OtherRefs(), before + 1);
    const BOOL more = folder.Fill();
    folder.Close();
    EXPECT_EQ(OtherRefs(), before);
    folder.Close(); // a second Close lets go of nothing more
    EXPECT_EQ(OtherRefs(), before);
    const Walked walked = Walk(folder, more);
    EXPECT_EQ(walked.names, QStringList({"t", "s"}));
}

TEST_F(StgFolderTest, EnumeratorStepsWithLookAhead) {
    AddStream("s");
    AddStorage("t");
    CStgEnumerator enumerator(m_root);
    QStringList names;
    BOOL more = enumerator.First();
    while (more) {
        more = enumerator.Next();
        names << enumerator.GetName();
        EXPECT_NE(enumerator.IsStorage(), enumerator.IsStream());
        STATSTG stat{};
        EXPECT_EQ(enumerator.GetStat(&stat)->pwcsName, nullptr);
        EXPECT_EQ(stat.type, enumerator.IsStorage() ? STGTY_STORAGE : STGTY_STREAM);
    }
    names.sort();
    EXPECT_EQ(names, QStringList({"s", "t"}));
}

} // namespace
