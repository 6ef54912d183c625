// Importing files as streams and exporting streams to files, as a user does through the
// file dialogs: sizes around the copy buffer, taken names, files that cannot be read or
// written, each leaving either the whole result or nothing.
#include <QDir>
#include <QLineEdit>

#include "doc_test_support.h"
#include "frame_wnd.h"
#include "resource_ids.h"

class StreamFileTransferTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CKestrinDoc* m_doc = nullptr;
    CStgTreeView* m_tree = nullptr;

    QString FilePath(const QString& name) const { return m_files.filePath(name); }
    void WriteFile(const QString& path, const QByteArray& bytes) const {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTreeWidgetItem* Top(const QString& name) const { return Child(m_tree->GetRootItem(), name); }
    // Runs a command with item current and the tree the active view.
    bool Command(QTreeWidgetItem* item, UINT id) {
        m_tree->setCurrentItem(item);
        m_tree->GetParentFrame()->SetActiveView(m_tree);
        return m_tree->GetParentFrame()->SendCommand(id);
    }
    // Imports path into the root; the name the new stream got, empty when there is none.
    QString Import(const QString& path) {
        ScriptedFileDialog dialog;
        dialog.answer = path;
        const QStringList before = ChildTexts(m_tree->GetRootItem());
        Command(m_tree->GetRootItem(), ID_STREAM_IMPORT);
        if (m_doc->GetLockDepth() != 0)
            return QStringLiteral("lock left entered");
        const QStringList after = ChildTexts(m_tree->GetRootItem());
        for (const QString& name : after)
            if (!before.contains(name))
                return name;
        return {};
    }
    void Export(const QString& stream, const QString& path) {
        ScriptedFileDialog dialog;
        dialog.answer = path;
        QVERIFY(Command(Top(stream), ID_STREAM_EXPORT));
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_fixture = std::make_unique<KestrinFixture>();
        m_fixture->Frame()->show();
        const QString path = FilePath(QStringLiteral("files.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("a.bin"), QByteArray("taken")},
                                {QStringLiteral("Empty"), QByteArray()},
                                {QStringLiteral("Data"), QByteArray(200000, 'd')},
                                {QStringLiteral("Box"), std::nullopt}});
        m_doc = m_fixture->Open(path);
        m_tree = TreeOf(m_doc);
    }
    void cleanup() { m_fixture.reset(); }

    void importSizesAndNames() {
        RecordingMessageBox boxes;
        const struct {
            QString file;
            QByteArray bytes;
            QString stream;
        } cases[] = {
            {QStringLiteral("long.bin"), QByteArray(65537, 'L'), QStringLiteral("long.bin")},
            {QStringLiteral("empty.txt"), QByteArray(), QStringLiteral("empty.txt")},
            {QStringLiteral("a.bin"), QByteArray("fresh"), QStringLiteral("a.bin (1)")},
        };
        for (const auto& c : cases) {
            const QString path = FilePath(c.file);
            WriteFile(path, c.bytes);
            QCOMPARE(Import(path), c.stream);
            // The new stream is current with its label open for a new name.
            QCOMPARE(m_tree->GetCurItem(), Top(c.stream));
            QVERIFY(m_tree->viewport()->findChild<QLineEdit*>());
            QCOMPARE(CurrentStreamBytes(m_doc), c.bytes);
        }
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(m_doc->IsModified());
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_STREAM_IMPORT)); // a stream is current
    }

    // A file that cannot be opened, or fails while it is read: a message, and no stream.
    void importFailuresLeaveNothing() {
        const QStringList before = ChildTexts(m_tree->GetRootItem());
        const QString openFailed = QStringView(u"ファイルのオープンに失敗しました。").toString();
        const QString readFailed = QStringView(u"ファイルの読み込みに失敗しました。").toString();
        const struct {
            QString path;
            QString message;
        } cases[] = {
            {FilePath(QStringLiteral("missing.bin")), openFailed},
            {m_files.path(), openFailed},                   // a folder
            {QStringLiteral("/proc/self/mem"), readFailed}, // opens, but reading fails
        };
        for (const auto& c : cases) {
            RecordingMessageBox boxes;
            QCOMPARE(Import(c.path), QString());
            QCOMPARE(boxes.texts, QStringList{c.message});
            QCOMPARE(ChildTexts(m_tree->GetRootItem()), before);
        }
    }

    void exportEmptyLargeAndOverExisting() {
        RecordingMessageBox boxes;
        const QString empty = FilePath(QStringLiteral("empty.out"));
        Export(QStringLiteral("Empty"), empty);
        QVERIFY(QFile::exists(empty));
        QCOMPARE(QFileInfo(empty).size(), 0);
        const QString data = FilePath(QStringLiteral("data.out"));
        WriteFile(data, QByteArray(300000, 'x'));
        Export(QStringLiteral("Data"), data);
        QCOMPARE(ReadFile(data), QByteArray(200000, 'd'));
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(!m_doc->IsModified());
        m_tree->setCurrentItem(Top(QStringLiteral("Box")));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_STREAM_EXPORT));
    }

    // A folder that takes no files, even from root: a message, and no file, whole or partial.
    void exportFailureLeavesNoFile() {
        RecordingMessageBox boxes;
        const QString path = QStringLiteral("/proc/kestrin-export.bin");
        const QStringList before = QDir(m_files.path()).entryList(QDir::Files);
        Export(QStringLiteral("Data"), path);
        QCOMPARE(boxes.texts,
                 QStringList{QStringView(u"ファイルの書きこみに失敗しました。").toString()});
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(m_files.path()).entryList(QDir::Files), before);
    }
};

QTEST_MAIN(StreamFileTransferTest)
#include "stream_file_transfer_test.moc"
