// Moving elements as a user does: cut, copy and paste through the clipboard and drops as the
// platform delivers them, within a file and between files, and streams imported from and
// exported to files. Files are read back by olefile and checked by kestrin-cfb.
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>

#include "progress.h"
#include "resource_ids.h"
#include "transfer_mime_data.h"
#include "transfer_test_support.h"

static const QString kCopy = QString::fromUtf8("コピー～");

// The user cancels at once.
struct CancellingProgress final : ProgressPresenter {
    ProgressPresenter* before = SetProgressPresenter(this);
    ~CancellingProgress() override { SetProgressPresenter(before); }
    void Begin(const QString&) override {}
    bool Step(int) override { return false; }
    void End() override {}
};

static QByteArray Bytes(CKestrinDoc* doc, const QString& path) {
    TreeOf(doc)->setCurrentItem(Item(doc, path));
    return CurrentStreamBytes(doc);
}

// Drags the element at what out of from's tree and drops it on the item at path in to's, as
// the platform delivers a drag that enters the view and ends there: false when refused.
static bool Drop(CKestrinDoc* to, const QString& path, CKestrinDoc* from, const QString& what,
                 bool ctrl) {
    std::unique_ptr<QMimeData> data(TreeOf(from)->MakeDragData(Item(from, what)));
    CStgTreeView* tree = TreeOf(to);
    const QPoint pos = tree->visualItemRect(Item(to, path)).center();
    const Qt::KeyboardModifiers keys = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, keys);
    QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, keys);
    QApplication::sendEvent(tree->viewport(), &enter);
    if (!enter.isAccepted() || enter.dropAction() != (ctrl ? Qt::CopyAction : Qt::MoveAction))
        return false;
    QApplication::sendEvent(tree->viewport(), &drop);
    return drop.isAccepted();
}

class ElementTransferTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    CKestrinDoc* OpenNew(const QString& name, const FileLayout& layout) {
        MakeCompoundFile(m_files.filePath(name), layout);
        return m_fixture->Open(m_files.filePath(name));
    }
    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(m_files.filePath(name));
        const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        return written ? file.fileName() : QString();
    }

private slots:
    void initTestCase() {
        UseScratchProfile(m_profile);
        m_fixture = std::make_unique<KestrinFixture>();
        m_fixture->Frame()->show();
    }

    // Failures first, while the document is unmodified: a cancelled cut, and data under our
    // type that is no sound compound file, refused with a message.
    void clipboardInOneFile() {
        RecordingMessageBox boxes;
        const QByteArray a(3000, 'a');
        CKestrinDoc* doc =
            OpenNew("names.cfb", {{"Box", std::nullopt}, {"Box/A", a}, {"Box/Sub", std::nullopt}});
        std::optional<CancellingProgress> cancel(std::in_place);
        QVERIFY(Command(doc, "Box/A", ID_EDIT_CUT));
        cancel.reset();
        QVERIFY(Command(doc, "Box/A", ID_EDIT_COPY));
        const QString type = QString::fromLatin1(kElementMimeType);
        QByteArray scrambled = QGuiApplication::clipboard()->mimeData()->data(type);
        const QByteArray truncated = scrambled.left(700);
        for (int i = 512; i < scrambled.size(); i += 7)
            scrambled[i] = static_cast<char>(0xFF);
        for (const QByteArray& bytes : {QByteArray("not a compound file"), truncated, scrambled}) {
            RecordingMessageBox refused;
            auto* data = new QMimeData;
            data->setData(type, bytes);
            QGuiApplication::clipboard()->setMimeData(data);
            Command(doc, "Box", ID_EDIT_PASTE);
            QCOMPARE(refused.texts.size(), 1);
        }
        QVERIFY(ChildTexts(Item(doc, "Box")) == (QStringList{"Sub", "A"}) && !doc->IsModified());

        // Copies under free names; a cut element lives on in the clipboard only.
        QVERIFY(Command(doc, "Box/A", ID_EDIT_COPY));
        for (int i = 0; i < 3; ++i)
            QVERIFY(Command(doc, "Box", ID_EDIT_PASTE));
        for (const QString& name : {kCopy + "A", kCopy + "(1)A", kCopy + "(2)A"})
            QCOMPARE(Bytes(doc, "Box/" + name), a);
        QVERIFY(doc->IsModified() && Command(doc, "Box/A", ID_EDIT_CUT));
        QVERIFY(!Item(doc, "Box/A") && Command(doc, "Box", ID_EDIT_PASTE));
        QCOMPARE(Bytes(doc, "Box/A"), a);

        // The root into its own sub-storage: everything the root held before the paste.
        QVERIFY(Command(doc, QString(), ID_EDIT_COPY) && Command(doc, "Box/Sub", ID_EDIT_PASTE));
        QVERIFY(doc->OnSaveDocument(doc->GetPathName()) && doc->GetLockDepth() == 0);
        QCOMPARE(boxes.texts, QStringList());
        QStringList box = OleDigests(doc->GetPathName(), "Box/");
        box.removeIf([](const QString& entry) { return entry.startsWith(u"Sub/"); });
        QCOMPARE(box.size(), 5);
        QCOMPARE(OleDigests(doc->GetPathName(), "Box/Sub/Box/"), box);
    }

    // In one view: onto itself or its child refused, onto its parent or a stream nothing; Ctrl
    // copies, even onto the element's own parent; a move deletes its source. From another file
    // a move copies and never deletes; over taken names it asks, Yes replaces, No ends it. A
    // large subtree arrives whole as olefile reads it, and kestrin-cfb finds the target sound.
    void drops() {
        FileLayout source{{"X", "new x"},
                          {"Y", "new y"},
                          {"Z", "z"},
                          {"Big", {}},
                          {"Big/Huge", QByteArray(10 << 20, 0)}};
        for (int i = 0; i < 10 << 20; i += 4096)
            (*source.back().second)[i] = static_cast<char>(i / 4096);
        for (int i = 0; i < 1000; ++i)
            source.push_back({QStringLiteral("Big/s%1").arg(i), QByteArray::number(i * 7919)});
        const FileLayout target{{"X", "old x"}, {"Y", "old y"}, {"A", {}},   {"A/B", {}},
                                {"A/S", "s"},   {"C", {}},      {"C/C", {}}, {"C/C/in", "in"}};
        CKestrinDoc* from = OpenNew("source.cfb", source);
        CKestrinDoc* to = OpenNew("target.cfb", target);
        RecordingMessageBox boxes;
        QVERIFY(!Drop(to, "A", to, "A", false) && !Drop(to, "A/B", to, "A", false));
        QCOMPARE(boxes.texts, QStringList(2, "同一階層下への移動はできません。"));
        QVERIFY(!Drop(to, "A", to, "A/S", false) && !Drop(to, "A/S", to, "A/S", true));
        QVERIFY(!to->IsModified());
        QVERIFY(Drop(to, "A", to, "A/S", true) && Bytes(to, "A/" + kCopy + "S") == "s");
        QVERIFY(Drop(to, "C", to, "A/S", false) && Bytes(to, "C/S") == "s" && !Item(to, "A/S"));
        // Over the storage that holds it, answered Yes: the source went with what it replaced.
        boxes.answers = {IDYES};
        QVERIFY(Drop(to, QString(), to, "C/C", false));
        QVERIFY(ChildTexts(Item(to, "C")) == QStringList{"in"} && boxes.texts.size() == 3);

        QVERIFY(Drop(to, QString(), from, "Big", false));
        boxes.answers = {IDYES, IDYES, IDNO};
        QVERIFY(Drop(to, QString(), from, QString(), false) && boxes.texts.size() == 6);
        QVERIFY(Bytes(to, "X") == "new x" && Bytes(to, "Y") == "old y" && !Item(to, "Z"));
        QCOMPARE(ChildTexts(Item(from, QString())), (QStringList{"Big", "X", "Y", "Z"}));
        QVERIFY(to->OnSaveDocument(to->GetPathName()) && to->GetLockDepth() == 0);
        const QStringList expected = OleDigests(from->GetPathName(), "Big/");
        QCOMPARE(expected.size(), 1001);
        QCOMPARE(OleDigests(to->GetPathName(), "Big/"), expected);
        QCOMPARE(QProcess::execute(KESTRIN_CFB_PATH, {"check", to->GetPathName()}), 0);
    }

    // Failures first: a file that cannot be opened or read, a place that takes no file, and
    // cancels (no message) leave no stream, the chosen file as it was, the document unmodified.
    // Then sizes around the copy buffer and a taken name; an export makes or replaces a file.
    void importAndExport() {
        CKestrinDoc* doc = OpenNew(
            "files.cfb", {{"a.bin", "taken"}, {"Empty", ""}, {"Data", QByteArray(200000, 'd')}});
        ScriptedFileDialog dialog;
        const QByteArray old(300000, 'o');
        const QString keep = Write("keep.out", old);
        const std::tuple<QString, UINT, QString, QString> failures[] = {
            {"", ID_STREAM_IMPORT, m_files.filePath("none"), "ファイルのオープンに失敗しました。"},
            {"", ID_STREAM_IMPORT, m_files.path(), "ファイルのオープンに失敗しました。"},
            {"", ID_STREAM_IMPORT, "/proc/self/mem", "ファイルの読み込みに失敗しました。"},
            {"", ID_STREAM_IMPORT, Write("long.bin", QByteArray(65537, 'L')), ""},
            {"Data", ID_STREAM_EXPORT, "/proc/out.bin", "ファイルの書きこみに失敗しました。"},
            {"Data", ID_STREAM_EXPORT, keep, ""},
        };
        for (const auto& [element, id, file, message] : failures) {
            RecordingMessageBox boxes;
            std::optional<CancellingProgress> cancel;
            if (message.isEmpty())
                cancel.emplace();
            dialog.answer = file;
            QVERIFY(Command(doc, element, id));
            QCOMPARE(boxes.texts, message.isEmpty() ? QStringList() : QStringList{message});
        }
        QCOMPARE(ChildTexts(Item(doc, QString())), (QStringList{"a.bin", "Data", "Empty"}));
        QVERIFY(!doc->IsModified() && ReadFile(keep) == old);

        RecordingMessageBox boxes;
        const std::tuple<QString, QByteArray, QString> imports[] = {
            {"long.bin", QByteArray(65537, 'L'), "long.bin"},
            {"empty.txt", QByteArray(), "empty.txt"},
            {"a.bin", QByteArray("fresh"), "a.bin (1)"},
        };
        for (const auto& [file, bytes, stream] : imports) {
            dialog.answer = Write(file, bytes);
            QVERIFY(Command(doc, QString(), ID_STREAM_IMPORT));
            QCOMPARE(TreeOf(doc)->GetCurItem(), Item(doc, stream));
            QVERIFY(TreeOf(doc)->viewport()->findChild<QLineEdit*>());
            QCOMPARE(CurrentStreamBytes(doc), bytes);
        }
        dialog.answer = m_files.filePath("empty.out");
        QVERIFY(Command(doc, "Empty", ID_STREAM_EXPORT) && QFileInfo(*dialog.answer).exists());
        dialog.answer = keep;
        QVERIFY(Command(doc, "Data", ID_STREAM_EXPORT) &&
                ReadFile(keep) == QByteArray(200000, 'd'));
        QVERIFY(ReadFile(m_files.filePath("empty.out")).isEmpty() && boxes.texts.isEmpty());
        QCOMPARE(doc->GetLockDepth(), 0);
    }
};

QTEST_MAIN(ElementTransferTest)
#include "element_transfer_test.moc"
