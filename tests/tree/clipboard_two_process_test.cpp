// Elements carried between two running instances through the real clipboard of an X server
// (the offscreen platform keeps its clipboard inside one process): a second process copies a
// storage and closes its document, then keeps running; this one pastes it into another file.
// Run under xvfb-run; the same executable started with --peer is the second instance.
#include <QSocketNotifier>
#include <cstdio>

#include "transfer_test_support.h"

namespace {

// The second instance: opens file, copies the element at path, closes the document, says
// "copied" and serves the clipboard until its standard input closes.
int RunPeer(const QString& file, const QString& path) {
    QTemporaryDir profile;
    UseScratchProfile(profile);
    KestrinFixture fixture;
    CKestrinDoc* doc = fixture.Open(file);
    if (!doc || !Command(doc, path, ID_EDIT_COPY))
        return 1;
    fixture.CloseActive();
    std::printf("copied\n");
    std::fflush(stdout);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    return QApplication::exec();
}

} // namespace

class ClipboardTwoProcessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }

    void pasteWhatAnotherInstanceCopied() {
        const QString source = m_files.filePath("first.cfb");
        const QString target = m_files.filePath("second.cfb");
        QByteArray big(3 << 20, '\0');
        for (int i = 0; i < big.size(); i += 1000)
            big[i] = static_cast<char>(i / 1000);
        MakeCompoundFile(source, {{"Tree", std::nullopt},
                                  {"Tree/Big", big},
                                  {"Tree/Sub", std::nullopt},
                                  {"Tree/Sub/\x05Summary", "s"}});
        MakeCompoundFile(target, {{"Own", "own"}});
        QProcess peer;
        peer.start(QCoreApplication::applicationFilePath(), {"--peer", source, "Tree"});
        QVERIFY(peer.waitForReadyRead(60000));
        QCOMPARE(peer.readLine().trimmed(), QByteArray("copied"));
        {
            RecordingMessageBox boxes;
            KestrinFixture fixture;
            CKestrinDoc* doc = fixture.Open(target);
            QVERIFY(Command(doc, QString(), ID_EDIT_PASTE) && doc->OnSaveDocument(target));
            QCOMPARE(boxes.texts, QStringList());
        }
        peer.closeWriteChannel();
        QVERIFY(peer.waitForFinished(30000) && peer.exitCode() == 0);
        QCOMPARE(OleDigests(target, "Tree"), OleDigests(source, "Tree"));
        QCOMPARE(OleDigests(target, QString()).size(), 5);
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
