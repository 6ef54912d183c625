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

    // A file of the scratch folder holding bytes.
    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(m_files.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
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
        MakeCompoundFile(m_files.filePath("files.cfb"), {{"a.bin", QByteArray("taken")},
                                                         {"Empty", QByteArray()},
                                                         {"Data", QByteArray(200000, 'd')}});
        m_doc = m_fixture->Open(m_files.filePath("files.cfb"));
    }
    void cleanup() { m_fixture.reset(); }

    // One byte more than the copy buffer, nothing, and a name the storage already holds: the
    // new stream is current with its label open for a new name.
    void importSizesAndNames() {
        RecordingMessageBox boxes;
        const std::tuple<QString, QByteArray, QString> cases[] = {
            {"long.bin", QByteArray(65537, 'L'), "long.bin"},
            {"empty.txt", QByteArray(), "empty.txt"},
            {"a.bin", QByteArray("fresh"), "a.bin (1)"},
        };
        for (const auto& [file, bytes, stream] : cases) {
            Run(QString(), ID_STREAM_IMPORT, Write(file, bytes));
            QCOMPARE(TreeOf(m_doc)->GetCurItem(), Item(m_doc, stream));
            QVERIFY(TreeOf(m_doc)->viewport()->findChild<QLineEdit*>());
            QCOMPARE(CurrentStreamBytes(m_doc), bytes);
        }
        QVERIFY(boxes.texts.isEmpty());
    }

    // A file that cannot be opened, fails while it is read, or whose import is cancelled: a
    // message (none when cancelled), no stream, and the document still unmodified.
    void importFailuresLeaveNothing() {
        const QStringList before = ChildTexts(Item(m_doc, QString()));
        const QString openFailed = QString::fromUtf8("ファイルのオープンに失敗しました。");
        const std::tuple<QString, QString, bool> cases[] = {
            {m_files.filePath("missing.bin"), openFailed, false},
            {m_files.path(), openFailed, false}, // a folder
            {"/proc/self/mem", QString::fromUtf8("ファイルの読み込みに失敗しました。"), false},
            {Write("long.bin", QByteArray(65537, 'L')), QString(), true},
        };
        for (const auto& [path, message, cancelled] : cases) {
            RecordingMessageBox boxes;
            std::optional<CancellingProgress> cancel;
            if (cancelled)
                cancel.emplace();
            Run(QString(), ID_STREAM_IMPORT, path);
            QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList{message});
            QCOMPARE(ChildTexts(Item(m_doc, QString())), before);
            QVERIFY(!m_doc->IsModified());
        }
    }

    // An empty stream, a stream over a larger file, and a folder that takes no files even
    // from root: the last brings a message and leaves no file, whole or partial.
    void exports() {
        RecordingMessageBox boxes;
        const QString empty = m_files.filePath("empty.out");
        Run("Empty", ID_STREAM_EXPORT, empty);
        QVERIFY(QFile::exists(empty) && QFileInfo(empty).size() == 0);
        const QString data = Write("data.out", QByteArray(300000, 'x'));
        Run("Data", ID_STREAM_EXPORT, data);
        QCOMPARE(ReadFile(data), QByteArray(200000, 'd'));
        QVERIFY(boxes.texts.isEmpty() && !m_doc->IsModified());

        const QStringList files = QDir(m_files.path()).entryList(QDir::Files);
        Run("Data", ID_STREAM_EXPORT, "/proc/kestrin-export.bin");
        QCOMPARE(boxes.texts, QStringList{QString::fromUtf8("ファイルの書きこみに失敗しました。")});
        QVERIFY(!QFile::exists("/proc/kestrin-export.bin"));
        QCOMPARE(QDir(m_files.path()).entryList(QDir::Files), files);
    }
};

QTEST_MAIN(StreamFileTransferTest)
#include "stream_file_transfer_test.moc"
