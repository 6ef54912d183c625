// Copying and moving elements as a user does: cut, copy and paste through the clipboard
// within a file and between files, and drops delivered as the platform delivers them. The
// files are read back by olefile and checked by kestrin-cfb.
#include <QClipboard>
#include <QMimeData>

#include "resource_ids.h"
#include "transfer_mime_data.h"
#include "transfer_test_support.h"

static const QString kCopy = QString::fromUtf8("コピー～");

class ElementTransferTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    CKestrinDoc* OpenNew(const QString& name, const FileLayout& layout) {
        MakeCompoundFile(m_files.filePath(name), layout);
        CKestrinDoc* doc = m_fixture->Open(m_files.filePath(name));
        TreeOf(doc)->resize(300, 600);
        return doc;
    }
    // Drags the element at what out of from's tree and drops it on the item at path in to's, as
    // the platform delivers a drag that enters the view and ends there: false when refused.
    static bool Drop(CKestrinDoc* to, const QString& path, CKestrinDoc* from, const QString& what,
                     bool ctrl) {
        std::unique_ptr<QMimeData> data(TreeOf(from)->MakeDragData(Item(from, what)));
        CStgTreeView* tree = TreeOf(to);
        QTreeWidgetItem* target = Item(to, path);
        tree->scrollToItem(target);
        const QPoint pos = tree->visualItemRect(target).center();
        const Qt::KeyboardModifiers keys = ctrl ? Qt::ControlModifier : Qt::NoModifier;
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                              keys);
        QApplication::sendEvent(tree->viewport(), &enter);
        if (!enter.isAccepted() || enter.dropAction() != (ctrl ? Qt::CopyAction : Qt::MoveAction))
            return false;
        QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, keys);
        QApplication::sendEvent(tree->viewport(), &drop);
        return drop.isAccepted();
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_fixture = std::make_unique<KestrinFixture>();
        m_fixture->Frame()->show();
    }
    void cleanup() {
        QGuiApplication::clipboard()->clear();
        m_fixture.reset();
    }

    void copyCutAndPasteInOneFile() {
        RecordingMessageBox boxes;
        const QByteArray a(3000, 'a');
        CKestrinDoc* doc =
            OpenNew("names.cfb", {{"Box", std::nullopt}, {"Box/A", a}, {"Box/Sub", std::nullopt}});
        { // A cut whose image is not made whole deletes nothing.
            CancellingProgress cancel;
            QVERIFY(Command(doc, "Box/A", ID_EDIT_CUT));
        }
        QVERIFY(Item(doc, "Box/A") && !doc->IsModified());
        QVERIFY(Command(doc, "Box/A", ID_EDIT_COPY));
        for (int i = 0; i < 3; ++i)
            QVERIFY(Command(doc, "Box", ID_EDIT_PASTE));
        for (const QString& name : {kCopy + "A", kCopy + "(1)A", kCopy + "(2)A"})
            QCOMPARE(Bytes(doc, "Box/" + name), a);
        QVERIFY(doc->IsModified());

        // A cut element lives on in the clipboard only, and comes back whole.
        QVERIFY(Command(doc, "Box/A", ID_EDIT_CUT));
        QVERIFY(!Item(doc, "Box/A") && Command(doc, "Box", ID_EDIT_PASTE));
        QCOMPARE(Bytes(doc, "Box/A"), a);

        // The root into its own sub-storage: everything the root held before the paste.
        QVERIFY(Command(doc, QString(), ID_EDIT_COPY));
        QVERIFY(Command(doc, "Box/Sub", ID_EDIT_PASTE));
        QVERIFY(Item(doc, "Box/Sub/Box/Sub") && !Item(doc, "Box/Sub/Box/Sub/Box"));
        QCOMPARE(boxes.texts, QStringList());
        QVERIFY(doc->OnSaveDocument(doc->GetPathName()));
        QCOMPARE(doc->GetLockDepth(), 0);
        QStringList box = OleDigests(doc->GetPathName(), "Box");
        box.removeIf([](const QString& entry) { return entry.startsWith(u"Sub/"); });
        QCOMPARE(box.size(), 5);
        QCOMPARE(OleDigests(doc->GetPathName(), "Box/Sub/Box"), box);
    }

    // A large subtree between two files: every byte arrives, and both readers agree.
    void largeSubtreeBetweenFiles() {
        RecordingMessageBox boxes;
        FileLayout layout{{"Big", std::nullopt}, {"Big/Huge", QByteArray(10 << 20, '\0')}};
        for (int i = 0; i < 10 << 20; i += 4096)
            (*layout.back().second)[i] = static_cast<char>(i / 4096);
        for (int i = 0; i < 1000; ++i)
            layout.push_back({QStringLiteral("Big/s%1").arg(i), QByteArray::number(i * 7919)});
        CKestrinDoc* from = OpenNew("from.cfb", layout);
        CKestrinDoc* to = OpenNew("to.cfb", {{"Other", "x"}});
        QVERIFY(Command(from, "Big", ID_EDIT_COPY) && Command(to, QString(), ID_EDIT_PASTE));
        QVERIFY(to->OnSaveDocument(to->GetPathName()) && boxes.texts.isEmpty());
        const QStringList expected = OleDigests(from->GetPathName(), "Big");
        QCOMPARE(expected.size(), 1001);
        QCOMPARE(OleDigests(to->GetPathName(), "Big"), expected);
        QProcess check;
        check.start(KESTRIN_CFB_PATH, {"check", to->GetPathName()});
        QVERIFY(check.waitForFinished(60000) && check.exitCode() == 0);
    }

    // Data under our type that is no sound compound file is refused with the storage error box.
    void foreignDataIsRefused() {
        CKestrinDoc* doc = OpenNew("foreign.cfb", {{"S", "s"}});
        const QString type = QString::fromLatin1(kElementMimeType);
        QVERIFY(Command(doc, "S", ID_EDIT_COPY));
        const QByteArray whole = QGuiApplication::clipboard()->mimeData()->data(type);
        QByteArray scrambled = whole;
        for (int i = 512; i < scrambled.size(); i += 7)
            scrambled[i] = static_cast<char>(0xFF);
        for (const QByteArray& bytes :
             {QByteArray("not a compound file"), whole.left(700), scrambled}) {
            RecordingMessageBox boxes;
            auto* data = new QMimeData;
            data->setData(type, bytes);
            QGuiApplication::clipboard()->setMimeData(data);
            Command(doc, QString(), ID_EDIT_PASTE);
            QCOMPARE(boxes.texts.size(), 1);
            QCOMPARE(ChildTexts(Item(doc, QString())), QStringList{"S"});
            QVERIFY(!doc->IsModified() && doc->GetLockDepth() == 0);
        }
    }

    void dropsInsideOneView() {
        RecordingMessageBox boxes;
        CKestrinDoc* doc = OpenNew(
            "drops.cfb",
            {{"A", {}}, {"A/B", {}}, {"A/S", "s"}, {"C", {}}, {"C/C", {}}, {"C/C/in", "in"}});
        // Onto itself or its child: refused with the message; onto its parent or a stream: nothing.
        QVERIFY(!Drop(doc, "A", doc, "A", false) && !Drop(doc, "A/B", doc, "A", false));
        QCOMPARE(boxes.texts,
                 QStringList(2, QString::fromUtf8("同一階層下への移動はできません。")));
        QVERIFY(!Drop(doc, "A", doc, "A/S", false) && !Drop(doc, "A/S", doc, "A/S", true));
        QVERIFY(!doc->IsModified());

        // Ctrl copies, even onto the element's own parent; a move deletes the source.
        QVERIFY(Drop(doc, "A", doc, "A/S", true));
        QCOMPARE(Bytes(doc, "A/" + kCopy + "S"), QByteArray("s"));
        QVERIFY(Drop(doc, "C", doc, "A/S", false));
        QVERIFY(Bytes(doc, "C/S") == "s" && !Item(doc, "A/S"));
        // Over the storage that holds it, answered Yes: the source went with what it replaced.
        boxes.answers = {IDYES};
        QVERIFY(Drop(doc, QString(), doc, "C/C", false));
        QCOMPARE(ChildTexts(Item(doc, "C")), QStringList{"in"});
        QVERIFY(boxes.texts.size() == 3 && doc->GetLockDepth() == 0);
    }

    void dropsFromAnotherView() {
        CKestrinDoc* from = OpenNew("source.cfb", {{"X", "new x"}, {"Y", "new y"}, {"Z", "z"}});
        CKestrinDoc* to = OpenNew("target.cfb", {{"X", "old x"}, {"Y", "old y"}});
        // A move from elsewhere copies and never deletes, here or there.
        QVERIFY(Drop(to, QString(), from, "Z", false));
        QVERIFY(Bytes(to, "Z") == "z" && Item(from, "Z"));
        // The root's elements one by one: X replaced (Yes), then No on Y ends the paste.
        RecordingMessageBox boxes;
        boxes.answers = {IDYES, IDNO};
        QVERIFY(Drop(to, QString(), from, QString(), false));
        QCOMPARE(boxes.texts.size(), 2);
        QVERIFY(Bytes(to, "X") == "new x" && Bytes(to, "Y") == "old y");
        QCOMPARE(ChildTexts(Item(from, QString())), (QStringList{"X", "Y", "Z"}));
        // The same data dropped with Ctrl: copies under free names.
        QVERIFY(Drop(to, QString(), from, QString(), true));
        QVERIFY(Bytes(to, kCopy + "Y") == "new y" && Bytes(to, kCopy + "Z") == "z");
    }
};

QTEST_MAIN(ElementTransferTest)
#include "element_transfer_test.moc"
