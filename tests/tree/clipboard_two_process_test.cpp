// Elements carried between two running instances through the real clipboard of an X server
// (the offscreen platform keeps its clipboard inside one process). Run under xvfb-run; the
// same executable started with --peer is the second instance.
#include <QSocketNotifier>

#include "transfer_test_support.h"

// The second instance: copies the element at path of file, closes the document, says
// "copied" and serves the clipboard until its standard input closes.
static int RunPeer(const QString& file, const QString& path) {
    QTemporaryDir profile;
    UseScratchProfile(profile);
    KestrinFixture fixture;
    if (!Command(fixture.Open(file), path, ID_EDIT_COPY))
        return 1;
    fixture.CloseActive();
    QTextStream(stdout) << "copied" << Qt::endl;
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    return QApplication::exec();
}

class ClipboardTwoProcessTest : public QObject {
    Q_OBJECT

private slots:
    // A storage holding a stream of many sectors, large enough to cross the X server in parts.
    void pasteWhatAnotherInstanceCopied() {
        QTemporaryDir files;
        UseScratchProfile(files);
        const QString source = files.filePath("first.cfb"), target = files.filePath("second.cfb");
        QByteArray big(3 << 20, '\0');
        for (int i = 0; i < big.size(); i += 1000)
            big[i] = static_cast<char>(i / 1000);
        MakeCompoundFile(source,
                         {{"Tree", std::nullopt}, {"Tree/Big", big}, {"Tree/\x05Summary", "s"}});
        MakeCompoundFile(target, {});
        QProcess peer;
        peer.start(QCoreApplication::applicationFilePath(), {"--peer", source, "Tree"});
        QVERIFY(peer.waitForReadyRead(60000) && peer.readLine() == "copied\n");
        {
            RecordingMessageBox boxes;
            KestrinFixture fixture;
            CKestrinDoc* doc = fixture.Open(target);
            QVERIFY(Command(doc, QString(), ID_EDIT_PASTE) && doc->OnSaveDocument(target));
            QCOMPARE(boxes.texts, QStringList());
        }
        peer.closeWriteChannel();
        QVERIFY(peer.waitForFinished(30000) && peer.exitCode() == 0);
        const QStringList copied = OleDigests(source);
        QCOMPARE(copied.size(), 3);
        QCOMPARE(OleDigests(target), copied);
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--peer")
        return RunPeer(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    ClipboardTwoProcessTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "clipboard_two_process_test.moc"
