// Whole sessions on real files, checked by another reader: open a file the engine wrote and
// one gsf wrote, expand, select, rename, delete, create, save, and read the result back
// with olefile; the file holds exactly the changes.
#include <QDir>

#include "doc_test_support.h"
#include "resource_ids.h"

class TreeFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    // Makes the session's changes: renames, deletes with the Delete key, three new storages.
    static void EditSession(CKestrinDoc* doc, const QString& storage, const QString& renamed,
                            const QString& deleted) {
        CStgTreeView* tree = TreeOf(doc);
        QTreeWidgetItem* folder = Child(tree->GetRootItem(), storage);
        QVERIFY(folder);
        tree->expandItem(folder);
        QTreeWidgetItem* toRename = Child(folder, renamed);
        QVERIFY(toRename);
        tree->setCurrentItem(toRename);
        tree->OnEndLabelEdit(toRename, QStringLiteral("Renamed"));
        QCOMPARE(doc->GetLockDepth(), 0);
        tree->setCurrentItem(Child(folder, deleted));
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(doc->GetLockDepth(), 0);
        for (int i = 0; i < 3; ++i) {
            tree->setCurrentItem(folder);
            tree->CreateNewStorage();
            QCOMPARE(doc->GetLockDepth(), 0);
        }
    }
    // The storages made by EditSession, as olefile lists them under prefix.
    static QStringList NewStorages(const QString& prefix) {
        const QString base = prefix + QString::fromUtf16(u"新しいストレージ");
        return {base, base + QStringLiteral(" (1)"), base + QStringLiteral(" (2)")};
    }
    // What the tree shows, as olefile would list it; storages are expanded on the way.
    static void Walk(CStgTreeView* tree, QTreeWidgetItem* item, const QString& prefix,
                     QStringList& out) {
        tree->expandItem(item);
        for (int i = 0; i < item->childCount(); ++i) {
            QTreeWidgetItem* child = item->child(i);
            const QString path = prefix + child->text(0);
            if (CStgTreeView::ImageOf(child) == CStgTreeView::ImageStorage) {
                out << path;
                Walk(tree, child, path + u'/', out);
            } else {
                tree->setCurrentItem(child);
                out << QStringLiteral("%1=%2").arg(path).arg(tree->GetCurrentStreamSize().QuadPart);
            }
        }
    }
    static QStringList TreeListing(CKestrinDoc* doc) {
        QStringList out;
        Walk(TreeOf(doc), TreeOf(doc)->GetRootItem(), QString(), out);
        out.sort();
        return out;
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    // Names that start with what looks like a byte-order mark are names like any other.
    void sessionOnAFileTheEngineWrote() {
        const QString path = m_files.filePath(QStringLiteral("engine.cfb"));
        const QString old = QStringView(u"\uFFFEOld").toString();
        const QString gone = QStringView(u"\uFEFFGone").toString();
        MakeCompoundFile(path, {{QStringView(u"\uFEFFKeep").toString(), QByteArray("keep")},
                                {QStringLiteral("\x05Summary"), QByteArray(5000, 's')},
                                {QStringLiteral("Dir"), std::nullopt},
                                {QStringLiteral("Dir/") + old, QByteArray("old")},
                                {QStringLiteral("Dir/") + gone, QByteArray(4096, 'g')},
                                {QStringLiteral("Dir/Sub"), std::nullopt},
                                {QStringLiteral("Dir/Sub/Leaf"), QByteArray("leaf")}});
        const QStringList before = OleList(path);
        QVERIFY(before.contains(QStringView(u"\uFEFFKeep=4").toString()));
        CKestrinDoc* doc = m_fixture->Open(path);
        QCOMPARE(TreeListing(doc), before);
        EditSession(doc, QStringLiteral("Dir"), old, gone);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(doc->GetLockDepth(), 0);
        m_fixture->CloseActive();

        QStringList expected = before;
        expected.removeAll(QStringLiteral("Dir/") + gone + QStringLiteral("=4096"));
        expected.replace(expected.indexOf(QStringLiteral("Dir/") + old + QStringLiteral("=3")),
                         QStringLiteral("Dir/Renamed=3"));
        for (const QString& storage : NewStorages(QStringLiteral("Dir/")))
            expected << storage;
        expected.sort();
        const QStringList after = OleList(path);
        QCOMPARE(after, expected);
        CKestrinDoc* reopened = m_fixture->Open(path);
        QCOMPARE(TreeListing(reopened), after);
        QCOMPARE(reopened->GetLockDepth(), 0);
    }

    void sessionOnAFileGsfWrote() {
        QDir source(m_files.filePath(QStringLiteral("src")));
        QVERIFY(source.mkpath(QStringLiteral("tree/docs")));
        const auto put = [&](const QString& name, const QByteArray& bytes) {
            QFile file(source.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        put(QStringLiteral("tree/readme.txt"), "written by gsf\n");
        put(QStringLiteral("tree/big.bin"), QByteArray(70000, 'b'));
        put(QStringLiteral("tree/docs/a.txt"), "a");
        const QString path = m_files.filePath(QStringLiteral("gsf.ole"));
        QProcess gsf;
        gsf.setWorkingDirectory(source.path());
        gsf.start(QStringLiteral("gsf"),
                  {QStringLiteral("createole"), path, QStringLiteral("tree")});
        QVERIFY(gsf.waitForFinished(60000));
        QCOMPARE(gsf.exitCode(), 0);
        const QStringList before = OleList(path);
        QVERIFY(before.contains(QStringLiteral("tree/big.bin=70000")));

        CKestrinDoc* doc = m_fixture->Open(path);
        QCOMPARE(TreeListing(doc), before);
        EditSession(doc, QStringLiteral("tree"), QStringLiteral("readme.txt"),
                    QStringLiteral("big.bin"));
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        m_fixture->CloseActive();

        QStringList expected = before;
        expected.removeAll(QStringLiteral("tree/big.bin=70000"));
        expected.replace(expected.indexOf(QStringLiteral("tree/readme.txt=15")),
                         QStringLiteral("tree/Renamed=15"));
        for (const QString& storage : NewStorages(QStringLiteral("tree/")))
            expected << storage;
        expected.sort();
        QCOMPARE(OleList(path), expected);
    }
};

QTEST_MAIN(TreeFilesTest)
#include "tree_files_test.moc"
