// The compound-file document as a user meets it: new files, files opened for writing, files
// another instance holds or nobody may write (private copies), files that are no compound
// files; saving in place and under a new name; closing without saving. After every step no
// element chain is left open: the document lock is back at depth 0.
#include <sys/stat.h>

#include "doc_test_support.h"
#include "document_messages.h"
#include "resource_ids.h"

class KestrinDocTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    QString FilePath(const QString& name) const { return m_files.filePath(name); }
    // A fresh file for each test: one test leaves its file write-protected.
    QString Sample() const {
        const QString path =
            m_files.filePath(QTest::currentTestFunction() + QStringLiteral("/sample.cfb"));
        QDir().mkpath(QFileInfo(path).path());
        MakeCompoundFile(path, {{QStringLiteral("Data"), QByteArray("0123456789")},
                                {QStringLiteral("Sub"), std::nullopt},
                                {QStringLiteral("Sub/Inner"), QByteArray("abc")}});
        return path;
    }
    // A change the tree makes: a new storage under the root.
    static void Change(CKestrinDoc* doc) {
        CStgTreeView* tree = TreeOf(doc);
        tree->setCurrentItem(tree->GetRootItem());
        tree->CreateNewStorage();
        QCOMPARE(doc->GetLockDepth(), 0);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void newDocumentWorksOnATemporaryFileThatGoesWithIt() {
        RecordingMessageBox boxes;
        boxes.answers = {IDNO};
        CKestrinDoc* doc = m_fixture->New();
        QVERIFY(doc && doc->GetRootStorage());
        QVERIFY(!doc->IsReadOnly());
        STATSTG stat{};
        QCOMPARE(doc->GetRootStorage()->Stat(&stat, STATFLAG_DEFAULT), S_OK);
        const QString temporary = QString::fromStdU16String(stat.pwcsName);
        CoTaskMemFree(stat.pwcsName);
        QVERIFY(QFile::exists(temporary));
        Change(doc);
        m_fixture->CloseActive();
        QVERIFY(!QFile::exists(temporary));
        QVERIFY(boxes.texts.size() == 1); // the framework's save prompt, answered No
    }

    void modifiedMarkComesAndGoesExactly() {
        CKestrinDoc* doc = m_fixture->Open(Sample());
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb"));
        doc->SetModifiedFlag(true);
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb *"));
        doc->SetModifiedFlag(true);
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb *"));
        doc->SetModifiedFlag(false);
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb"));
        doc->SetModifiedFlag(false);
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb"));
    }

    void closingWithoutSavingLeavesTheFileByteIdentical() {
        const QString path = Sample();
        const QByteArray before = ReadFile(path);
        RecordingMessageBox boxes;
        boxes.answers = {IDNO};
        CKestrinDoc* doc = m_fixture->Open(path);
        Change(doc);
        TreeOf(doc)->DeleteElement(Child(TreeOf(doc)->GetRootItem(), QStringLiteral("Data")));
        QCOMPARE(doc->GetLockDepth(), 0);
        QVERIFY(doc->IsModified());
        m_fixture->CloseActive();
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(ReadFile(path), before);
    }

    void saveCommitsInPlace() {
        const QString path = Sample();
        CKestrinDoc* doc = m_fixture->Open(path);
        Change(doc);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(doc->GetLockDepth(), 0);
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb"));
        QVERIFY(OleList(path).contains(QString::fromUtf16(u"新しいストレージ")));
    }

    void openingPutsTheRadioMarkOnDecimal() {
        const QString first = Sample();
        m_fixture->Open(first);
        QAction* hex = m_fixture->Frame()->GetCommandActions().Find(ID_VALUE_HEX);
        QAction* decimal = m_fixture->Frame()->GetCommandActions().Find(ID_VALUE_DECIMAL);
        QVERIFY(hex && decimal);
        hex->setChecked(true);
        decimal->setChecked(false);
        const QString second = FilePath(QStringLiteral("second.cfb"));
        QVERIFY(QFile::copy(first, second));
        m_fixture->Open(second);
        QVERIFY(decimal->isChecked());
        QVERIFY(!hex->isChecked());
    }

    void textFileIsReportedAndCannotBeSaved() {
        const QString path = FilePath(QStringLiteral("notes.txt"));
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray(2048, 'x'));
        text.close();
        const QByteArray before = ReadFile(path);
        RecordingMessageBox boxes;
        CKestrinDoc* doc = m_fixture->Open(path);
        QVERIFY(doc);
        QCOMPARE(boxes.texts, QStringList{QString::fromUtf16(kMsgNotStorageFile)});
        QVERIFY(!doc->GetRootStorage());
        CStgTreeView* tree = TreeOf(doc);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->GetRootItem()->text(0), QString::fromUtf16(u"エラー"));
        QCOMPARE(CStgTreeView::ImageOf(tree->GetRootItem()), int(CStgTreeView::ImageError));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_FILE_SAVE));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_FILE_SAVE_AS));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_ELEMENT_DELETE));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_NEW_STORAGE));
        QVERIFY(!doc->OnSaveDocument(path));
        QVERIFY(!doc->OnSaveDocument(FilePath(QStringLiteral("elsewhere.cfb"))));
        QVERIFY(!QFile::exists(FilePath(QStringLiteral("elsewhere.cfb"))));
        QCOMPARE(ReadFile(path), before);
        QCOMPARE(doc->GetLockDepth(), 0);
    }

    void fileLockedByAnotherInstanceOpensAsPrivateCopy() {
        const QString path = Sample();
        const QByteArray before = ReadFile(path);
        IStorage* other = nullptr;
        QCOMPARE(StgOpenStorage(Wide(path).c_str(), nullptr,
                                STGM_TRANSACTED | STGM_SHARE_DENY_WRITE | STGM_READWRITE, nullptr,
                                0, &other),
                 S_OK);
        CKestrinDoc* doc = m_fixture->Open(path);
        QVERIFY(doc->IsReadOnly());
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb (read only)"));
        QCOMPARE(ChildTexts(TreeOf(doc)->GetRootItem()),
                 (QStringList{QStringLiteral("Sub"), QStringLiteral("Data")}));
        CheckPrivateCopySaves(doc, path, before);
        other->Release();
    }

    void writeProtectedFileOpensAsPrivateCopy() {
        const QString path = Sample();
        const QByteArray before = ReadFile(path);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        CKestrinDoc* doc = m_fixture->Open(path);
        QVERIFY(doc->IsReadOnly());
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb (read only)"));
        CheckPrivateCopySaves(doc, path, before);
    }

    void saveAsOfANewDocumentMovesItOntoTheFile() {
        ScriptedFileDialog dialogs;
        dialogs.answer = FilePath(QStringLiteral("fresh.cfb"));
        CKestrinDoc* doc = m_fixture->New();
        Change(doc);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(dialogs.asked, 1);
        QCOMPARE(doc->GetPathName(), FilePath(QStringLiteral("fresh.cfb")));
        QCOMPARE(doc->GetTitle(), QStringLiteral("fresh.cfb"));
        QCOMPARE(OleList(FilePath(QStringLiteral("fresh.cfb"))),
                 QStringList{QString::fromUtf16(u"新しいストレージ")});
        // The tree works on the new root: a further change is saved into the same file.
        CStgTreeView* tree = TreeOf(doc);
        tree->setCurrentItem(tree->GetRootItem());
        QString name;
        tree->CreateNewStream(name, FALSE);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(dialogs.asked, 1);
        QCOMPARE(OleList(FilePath(QStringLiteral("fresh.cfb"))),
                 (QStringList{QString::fromUtf16(u"新しいストリーム=0"),
                              QString::fromUtf16(u"新しいストレージ")}));
        QCOMPARE(doc->GetLockDepth(), 0);
    }

    void failedSaveAsKeepsTheOldRootAndTheChanges() {
        const QString path = Sample();
        CKestrinDoc* doc = m_fixture->Open(path);
        Change(doc);
        IStorage* root = doc->GetRootStorage();
        RecordingMessageBox boxes;
        QVERIFY(!doc->OnSaveDocument(FilePath(QStringLiteral("missing/dir/new.cfb"))));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts[0].contains(QStringLiteral("StgCreateDocfile")));
        QCOMPARE(doc->GetRootStorage(), root);
        QVERIFY(doc->IsModified());
        QVERIFY(Child(TreeOf(doc)->GetRootItem(), QString::fromUtf16(u"新しいストレージ")));
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QVERIFY(OleList(path).contains(QString::fromUtf16(u"新しいストレージ")));
    }

private:
    // Save over the file is refused with the document's message; Save As writes the changes
    // into a new file and leaves the original as it was; the new name stays refused too.
    void CheckPrivateCopySaves(CKestrinDoc* doc, const QString& path, const QByteArray& before) {
        Change(doc);
        RecordingMessageBox boxes;
        QVERIFY(!doc->OnSaveDocument(path));
        QCOMPARE(boxes.texts, QStringList{QString::fromUtf16(kMsgReadOnly)});
        ScriptedFileDialog dialogs;
        const QString copy = FilePath(QStringLiteral("copy.cfb"));
        dialogs.answer = copy;
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE_AS));
        QCOMPARE(doc->GetTitle(), QStringLiteral("copy.cfb"));
        QCOMPARE(OleList(copy), (QStringList{QStringLiteral("Data=10"), QStringLiteral("Sub"),
                                             QStringLiteral("Sub/Inner=3"),
                                             QString::fromUtf16(u"新しいストレージ")}));
        QCOMPARE(ReadFile(path), before);
        const QByteArray saved = ReadFile(copy);
        QVERIFY(!doc->OnSaveDocument(copy));
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(ReadFile(copy), saved);
        QCOMPARE(doc->GetLockDepth(), 0);
    }
};

QTEST_MAIN(KestrinDocTest)
#include "kestrin_doc_test.moc"
