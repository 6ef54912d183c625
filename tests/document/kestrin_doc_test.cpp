// The compound-file document as a user meets it: new files, files opened for writing, files
// another instance holds or nobody may write (private copies), files that cannot be read;
// saving in place and under a new name, also when the save fails; closing without saving.
// After every step no element chain is left open, and no temporary file is left on disk.
#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "doc_test_support.h"
#include "document_messages.h"
#include "recording_progress.h"
#include "resource_ids.h"

class KestrinDocTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    QTemporaryDir m_temporary;
    std::unique_ptr<KestrinFixture> m_fixture;

    QString FilePath(const QString& name) const { return m_files.filePath(name); }
    // A fresh file for each test: some tests leave theirs write-protected.
    QString Sample(const FileLayout& extra = {}, bool largeSectors = false) const {
        const QString path = m_files.filePath(QStringLiteral("%1/%2/sample.cfb")
                                                  .arg(QTest::currentTestFunction())
                                                  .arg(QTest::currentDataTag()));
        QDir().mkpath(QFileInfo(path).path());
        FileLayout layout{{QStringLiteral("Data"), QByteArray("0123456789")},
                          {QStringLiteral("Sub"), std::nullopt},
                          {QStringLiteral("Sub/Inner"), QByteArray("abc")}};
        layout.insert(layout.end(), extra.begin(), extra.end());
        MakeCompoundFile(path, layout, largeSectors);
        return path;
    }
    // A change the tree makes: a new storage under the root.
    static void Change(CKestrinDoc* doc) {
        CStgTreeView* tree = TreeOf(doc);
        tree->setCurrentItem(tree->GetRootItem());
        tree->CreateNewStorage();
        QCOMPARE(doc->GetLockDepth(), 0);
    }
    bool NothingTemporaryOnDisk() const {
        return QDir(m_temporary.path())
            .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    static IStorage* HoldFile(const QString& path, DWORD share) {
        IStorage* other = nullptr;
        const HRESULT hr =
            StgOpenStorage(Wide(path).c_str(), nullptr, STGM_TRANSACTED | share | STGM_READWRITE,
                           nullptr, 0, &other);
        return SUCCEEDED(hr) ? other : nullptr;
    }

private slots:
    void initTestCase() {
        UseScratchProfile(m_profile);
        qputenv("TMPDIR", m_temporary.path().toUtf8());
    }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() {
        m_fixture.reset();
        QVERIFY(NothingTemporaryOnDisk());
    }

    void newDocumentIsSavedUnderItsFirstNameOnly() {
        ScriptedFileDialog dialogs;
        const QString fresh = FilePath(QStringLiteral("fresh.cfb"));
        dialogs.answer = fresh;
        CKestrinDoc* doc = m_fixture->New();
        QVERIFY(doc && doc->GetRootStorage() && !doc->IsReadOnly());
        Change(doc);
        QVERIFY(NothingTemporaryOnDisk());
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(dialogs.asked, 1);
        QCOMPARE(doc->GetTitle(), QStringLiteral("fresh.cfb"));
        // The tree works on the new root: a further change is saved into the same file.
        QString name;
        TreeOf(doc)->setCurrentItem(TreeOf(doc)->GetRootItem());
        TreeOf(doc)->CreateNewStream(name, FALSE);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(dialogs.asked, 1);
        QCOMPARE(OleList(fresh), (QStringList{QString::fromUtf16(u"新しいストリーム=0"),
                                              QString::fromUtf16(u"新しいストレージ")}));
        // Others may read the file the window now holds, as they may read one it opened.
        ILockBytes* reader = nullptr;
        QCOMPARE(
            CreateILockBytesOnFile(Wide(fresh).c_str(), STGM_READ | STGM_SHARE_DENY_NONE, &reader),
            S_OK);
        reader->Release();
        QCOMPARE(doc->GetLockDepth(), 0);
    }

    void titleSaveAndCloseOfAFileOpenedForWriting() {
        const QString path = Sample();
        const QByteArray before = ReadFile(path);
        CKestrinDoc* doc = m_fixture->Open(path);
        QAction* decimal = m_fixture->Frame()->GetCommandActions().Find(ID_VALUE_DECIMAL);
        QVERIFY(decimal && decimal->isChecked());
        for (bool modified : {true, true, false, false}) {
            doc->SetModifiedFlag(modified);
            QCOMPARE(doc->GetTitle(),
                     modified ? QStringLiteral("sample.cfb *") : QStringLiteral("sample.cfb"));
        }
        // Closing without saving leaves the file as it was.
        RecordingMessageBox boxes;
        boxes.answers = {IDNO};
        Change(doc);
        TreeOf(doc)->DeleteElement(Child(TreeOf(doc)->GetRootItem(), QStringLiteral("Data")));
        m_fixture->CloseActive();
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(ReadFile(path), before);
        // Saving commits in place.
        doc = m_fixture->Open(path);
        Change(doc);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb"));
        QVERIFY(OleList(path).contains(QString::fromUtf16(u"新しいストレージ")));
        QCOMPARE(doc->GetLockDepth(), 0);
    }

    void privateCopies_data() {
        QTest::addColumn<bool>("writeProtected");
        QTest::newRow("held by another instance") << false;
        QTest::newRow("nobody may write it, 4096-byte sectors") << true;
    }
    // Opened as a private copy, with its progress shown: Save over the file is refused with
    // the document's message; Save As writes the changes into a new file of the same sector
    // size and leaves the original as it was; the new name stays refused too.
    void privateCopies() {
        QFETCH(bool, writeProtected);
        const QString path = Sample({}, writeProtected);
        const QByteArray before = ReadFile(path);
        IStorage* other = nullptr;
        if (writeProtected)
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        else
            QVERIFY((other = HoldFile(path, STGM_SHARE_DENY_WRITE)));
        RecordingProgress progress;
        CKestrinDoc* doc = m_fixture->Open(path);
        QVERIFY(doc->IsReadOnly());
        QCOMPARE(progress.labels, QStringList{QString::fromUtf16(kTextCopyingFile)});
        QVERIFY(!progress.steps.isEmpty() && progress.steps.last() > 0);
        QVERIFY(std::is_sorted(progress.steps.begin(), progress.steps.end()));
        QCOMPARE(progress.ended, 1);
        QCOMPARE(doc->GetTitle(), QStringLiteral("sample.cfb (read only)"));
        QCOMPARE(ChildTexts(TreeOf(doc)->GetRootItem()),
                 (QStringList{QStringLiteral("Sub"), QStringLiteral("Data")}));
        QVERIFY(NothingTemporaryOnDisk());

        Change(doc);
        RecordingMessageBox boxes;
        QVERIFY(!doc->OnSaveDocument(path));
        QCOMPARE(boxes.texts, QStringList{QString::fromUtf16(kMsgReadOnly)});
        ScriptedFileDialog dialogs;
        const QString copy = FilePath(QTest::currentDataTag() + QStringLiteral(".cfb"));
        dialogs.answer = copy;
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE_AS));
        QCOMPARE(doc->GetTitle(), QFileInfo(copy).fileName());
        QCOMPARE(OleList(copy), (QStringList{QStringLiteral("Data=10"), QStringLiteral("Sub"),
                                             QStringLiteral("Sub/Inner=3"),
                                             QString::fromUtf16(u"新しいストレージ")}));
        QCOMPARE(ReadFile(path), before);
        const QByteArray saved = ReadFile(copy);
        QCOMPARE(saved.at(0x1A), writeProtected ? '\x04' : '\x03');
        QVERIFY(!doc->OnSaveDocument(copy));
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(ReadFile(copy), saved);
        QCOMPARE(doc->GetLockDepth(), 0);
        if (other)
            other->Release();
    }

    void cancelledPrivateCopyOpensNothing() {
        FileLayout big;
        for (int i = 0; i < 8; ++i)
            big.push_back({QStringLiteral("Big%1").arg(i), QByteArray(256 * 1024, char('a' + i))});
        const QString path = Sample(big);
        IStorage* other = HoldFile(path, STGM_SHARE_DENY_WRITE);
        QVERIFY(other);
        RecordingProgress progress;
        progress.cancelAt = 300;
        QVERIFY(!m_fixture->Open(path));
        QVERIFY(progress.steps.size() > 2 && progress.steps.last() < 1000);
        QCOMPARE(progress.ended, 1);
        QVERIFY(!m_fixture->Frame()->MDIGetActive());
        other->Release();
    }

    void unreadableFilesShowTheErrorItem_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("box");
        QTest::newRow("text file") << 0 << QString::fromUtf16(kMsgNotStorageFile);
        QTest::newRow("write-protected text file") << 1 << QString::fromUtf16(kMsgNotStorageFile);
        QTest::newRow("held exclusively") << 2 << QStringLiteral("StgOpenStorage");
    }
    void unreadableFilesShowTheErrorItem() {
        QFETCH(int, kind);
        QFETCH(QString, box);
        QString path = FilePath(QStringLiteral("notes.txt"));
        IStorage* other = nullptr;
        if (kind == 2) {
            path = Sample();
            QVERIFY((other = HoldFile(path, STGM_SHARE_EXCLUSIVE)));
        } else {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write(QByteArray(2048, 'x'));
            text.setPermissions(kind == 1 ? QFile::ReadOwner
                                          : QFile::ReadOwner | QFile::WriteOwner);
        }
        const QByteArray before = ReadFile(path);
        RecordingMessageBox boxes;
        CKestrinDoc* doc = m_fixture->Open(path);
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts[0].contains(box));
        QVERIFY(!doc->GetRootStorage());
        QCOMPARE(doc->GetTitle(), QFileInfo(path).fileName());
        CStgTreeView* tree = TreeOf(doc);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->GetRootItem()->text(0), QString::fromUtf16(u"エラー"));
        QCOMPARE(CStgTreeView::ImageOf(tree->GetRootItem()), int(CStgTreeView::ImageError));
        for (UINT command : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_ELEMENT_DELETE, ID_NEW_STORAGE})
            QVERIFY(!m_fixture->Frame()->IsCommandEnabled(command));
        QVERIFY(!doc->OnSaveDocument(FilePath(QStringLiteral("elsewhere.cfb"))));
        QVERIFY(!QFile::exists(FilePath(QStringLiteral("elsewhere.cfb"))));
        QCOMPARE(ReadFile(path), before);
        QCOMPARE(doc->GetLockDepth(), 0);
        if (other)
            other->Release();
        QFile::remove(path);
    }

    // Save As onto an existing file while the disk fills: reported, the file that was there
    // is untouched and nothing is left beside it; the document keeps its root and changes.
    // Saved again with room, the new file keeps the old one's permissions.
    void failedSaveAsLeavesTheTargetAsItWas() {
        const QString target = FilePath(QStringLiteral("other.cfb"));
        MakeCompoundFile(target, {{QStringLiteral("Kept"), QByteArray(1000, 'k')}});
        QVERIFY(
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QByteArray before = ReadFile(target);
        const QFile::Permissions permissions = QFile::permissions(target);
        CKestrinDoc* doc =
            m_fixture->Open(Sample({{QStringLiteral("Big"), QByteArray(300 * 1024, 'b')}}));
        Change(doc);
        IStorage* root = doc->GetRootStorage();
        const QStringList filesBefore = QDir(m_files.path()).entryList(QDir::Files | QDir::Hidden);

        RecordingMessageBox boxes;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
        const rlimit small{256 * 1024, limit.rlim_max};
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool saved = doc->OnSaveDocument(target);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QVERIFY(!saved);
        QCOMPARE(boxes.texts.size(), 1);
        QCOMPARE(ReadFile(target), before);
        QCOMPARE(QDir(m_files.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
        QCOMPARE(doc->GetRootStorage(), root);
        QVERIFY(doc->IsModified());

        RecordingMessageBox missing;
        QVERIFY(!doc->OnSaveDocument(FilePath(QStringLiteral("missing/dir/new.cfb"))));
        QCOMPARE(missing.texts.size(), 1);
        QVERIFY(missing.texts[0].contains(QStringLiteral("StgCreateDocfile")));

        QVERIFY(doc->OnSaveDocument(target));
        QCOMPARE(QFile::permissions(target), permissions);
        QCOMPARE(OleList(target),
                 (QStringList{QStringLiteral("Big=307200"), QStringLiteral("Data=10"),
                              QStringLiteral("Sub"), QStringLiteral("Sub/Inner=3"),
                              QString::fromUtf16(u"新しいストレージ")}));
        QCOMPARE(doc->GetLockDepth(), 0);
    }
};

QTEST_MAIN(KestrinDocTest)
#include "kestrin_doc_test.moc"
