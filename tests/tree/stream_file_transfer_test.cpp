// Importing files as streams and exporting streams to files, as a user does through the
// file dialogs: sizes around the copy buffer, taken names, files that cannot be read or
// written, each leaving either the whole result or nothing.
#include <QDir>
#include <QLineEdit>

#include "resource_ids.h"
#include "transfer_test_support.h"

class StreamFileTransferTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CKestrinDoc* m_doc = nullptr;

    QString FilePath(const QString& name) const { return m_files.filePath(name); }
    QStringList RootNames() const { return ChildTexts(Item(m_doc, QString())); }
    // Runs the command on the element at path with the file dialog answering file.
    void Run(const QString& path, UINT id, const QString& file) {
        ScriptedFileDialog dialog;
        dialog.answer = file;
        QVERIFY(Command(m_doc, path, id));
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
                                {QStringLiteral("Data"), QByteArray(200000, 'd')}});
        m_doc = m_fixture->Open(path);
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
            QFile file(FilePath(c.file));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(c.bytes) == c.bytes.size());
            file.close();
            Run(QString(), ID_STREAM_IMPORT, file.fileName());
            // The new stream is current with its label open for a new name.
            CStgTreeView* tree = TreeOf(m_doc);
            QCOMPARE(tree->GetCurItem(), Item(m_doc, c.stream));
            QVERIFY(tree->viewport()->findChild<QLineEdit*>());
            QCOMPARE(CurrentStreamBytes(m_doc), c.bytes);
        }
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_STREAM_IMPORT)); // a stream is current
    }

    // A file that cannot be opened, or fails while it is read: a message, and no stream.
    void importFailuresLeaveNothing() {
        const QStringList before = RootNames();
        const QString openFailed = QStringView(u"ファイルのオープンに失敗しました。").toString();
        const QString readFailed = QStringView(u"ファイルの読み込みに失敗しました。").toString();
        const std::pair<QString, QString> cases[] = {
            {FilePath(QStringLiteral("missing.bin")), openFailed},
            {m_files.path(), openFailed},                   // a folder
            {QStringLiteral("/proc/self/mem"), readFailed}, // opens, but reading fails
        };
        for (const auto& [path, message] : cases) {
            RecordingMessageBox boxes;
            Run(QString(), ID_STREAM_IMPORT, path);
            QCOMPARE(boxes.texts, QStringList{message});
            QCOMPARE(RootNames(), before);
        }
    }

    // An empty stream, a stream over a larger file, and a folder that takes no files even
    // from root: the last brings a message and leaves no file, whole or partial.
    void exports() {
        RecordingMessageBox boxes;
        const QString empty = FilePath(QStringLiteral("empty.out"));
        Run(QStringLiteral("Empty"), ID_STREAM_EXPORT, empty);
        QVERIFY(QFile::exists(empty) && QFileInfo(empty).size() == 0);
        const QString data = FilePath(QStringLiteral("data.out"));
        QFile old(data);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(300000, 'x')) == 300000);
        old.close();
        Run(QStringLiteral("Data"), ID_STREAM_EXPORT, data);
        QCOMPARE(ReadFile(data), QByteArray(200000, 'd'));
        QVERIFY(boxes.texts.isEmpty() && !m_doc->IsModified());

        const QStringList files = QDir(m_files.path()).entryList(QDir::Files);
        Run(QStringLiteral("Data"), ID_STREAM_EXPORT, QStringLiteral("/proc/kestrin-export.bin"));
        QCOMPARE(boxes.texts,
                 QStringList{QStringView(u"ファイルの書きこみに失敗しました。").toString()});
        QVERIFY(!QFile::exists(QStringLiteral("/proc/kestrin-export.bin")));
        QCOMPARE(QDir(m_files.path()).entryList(QDir::Files), files);
        TreeOf(m_doc)->setCurrentItem(Item(m_doc, QString()));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_STREAM_EXPORT)); // a storage is current
    }
};

QTEST_MAIN(StreamFileTransferTest)
#include "stream_file_transfer_test.moc"
