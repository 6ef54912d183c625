// Copying and moving elements as a user does: cut, copy and paste through the clipboard
// within a file and between files, and drops delivered as the platform delivers them. The
// files are read back by olefile and checked by kestrin-cfb.
#include <QClipboard>
#include <QMimeData>

#include "frame_wnd.h"
#include "progress.h"
#include "resource_ids.h"
#include "transfer_mime_data.h"
#include "transfer_test_support.h"

namespace {

const QString kCopy = QStringView(u"コピー～").toString();

// A progress presenter whose user cancels at once.
class CancellingProgress final : public ProgressPresenter {
public:
    CancellingProgress() : m_before(SetProgressPresenter(this)) {}
    ~CancellingProgress() override { SetProgressPresenter(m_before); }
    void Begin(const QString&) override {}
    bool Step(int) override { return false; }
    void End() override {}

private:
    ProgressPresenter* m_before;
};

} // namespace

class ElementTransferTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    CKestrinDoc* OpenNew(const QString& name, const FileLayout& layout) {
        const QString path = m_files.filePath(name);
        MakeCompoundFile(path, layout);
        CKestrinDoc* doc = m_fixture->Open(path);
        TreeOf(doc)->resize(300, 600);
        return doc;
    }
    // Drags data over the item at path and drops it there, as the platform delivers a drag
    // that enters the view and ends on the item.
    static bool Drop(CKestrinDoc* doc, const QString& path, QMimeData* data, bool ctrl) {
        CStgTreeView* tree = TreeOf(doc);
        QTreeWidgetItem* target = Item(doc, path);
        tree->scrollToItem(target);
        const QPoint pos = tree->visualItemRect(target).center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        const Qt::KeyboardModifiers keys = ctrl ? Qt::ControlModifier : Qt::NoModifier;
        QDragEnterEvent enter(pos, actions, data, Qt::LeftButton, keys);
        QApplication::sendEvent(tree->viewport(), &enter);
        if (!enter.isAccepted() || enter.dropAction() != (ctrl ? Qt::CopyAction : Qt::MoveAction))
            return false;
        QDropEvent drop(pos, actions, data, Qt::LeftButton, keys);
        QApplication::sendEvent(tree->viewport(), &drop);
        return drop.isAccepted();
    }
    // What a drag of the item at path out of doc's tree carries.
    static std::unique_ptr<QMimeData> DragOf(CKestrinDoc* doc, const QString& path) {
        return std::unique_ptr<QMimeData>(TreeOf(doc)->MakeDragData(Item(doc, path)));
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

    void copyNamesCutAndPasteBack() {
        RecordingMessageBox boxes;
        const QByteArray a(3000, 'a');
        CKestrinDoc* doc =
            OpenNew(QStringLiteral("names.cfb"), {{QStringLiteral("Box"), std::nullopt},
                                                  {QStringLiteral("Box/A"), a},
                                                  {QStringLiteral("Box/Sub"), std::nullopt}});
        QVERIFY(Command(doc, QStringLiteral("Box/A"), ID_EDIT_COPY));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_EDIT_PASTE)); // a stream is current
        for (int i = 0; i < 3; ++i)
            QVERIFY(Command(doc, QStringLiteral("Box"), ID_EDIT_PASTE));
        const QStringList copies = {kCopy + u'A', kCopy + QStringLiteral("(1)A"),
                                    kCopy + QStringLiteral("(2)A")};
        for (const QString& name : copies)
            QCOMPARE(Bytes(doc, QStringLiteral("Box/") + name), a);
        QVERIFY(doc->IsModified());

        // A cut element lives on in the clipboard only, and comes back whole.
        QVERIFY(Command(doc, QStringLiteral("Box/A"), ID_EDIT_CUT));
        QVERIFY(!Item(doc, QStringLiteral("Box/A")));
        QCOMPARE(TreeOf(doc)->GetCurItem(), Item(doc, QStringLiteral("Box")));
        QVERIFY(Command(doc, QStringLiteral("Box"), ID_EDIT_PASTE));
        QCOMPARE(Bytes(doc, QStringLiteral("Box/A")), a);

        // The root into its own sub-storage: everything the root held before the paste.
        QVERIFY(Command(doc, QString(), ID_EDIT_COPY));
        QVERIFY(Command(doc, QStringLiteral("Box/Sub"), ID_EDIT_PASTE));
        QCOMPARE(Bytes(doc, QStringLiteral("Box/Sub/Box/A")), a);
        QVERIFY(Item(doc, QStringLiteral("Box/Sub/Box/Sub")));
        QVERIFY(!Item(doc, QStringLiteral("Box/Sub/Box/Sub/Box")));
        QCOMPARE(boxes.texts, QStringList());
        QVERIFY(doc->OnSaveDocument(doc->GetPathName()));
        QCOMPARE(doc->GetLockDepth(), 0);
        QStringList box = OleDigests(doc->GetPathName(), QStringLiteral("Box"));
        box.removeIf([](const QString& entry) { return entry.startsWith(u"Sub/"); });
        QCOMPARE(OleDigests(doc->GetPathName(), QStringLiteral("Box/Sub/Box")), box);
    }

    // A large subtree between two files: every byte arrives, and both readers agree.
    void largeSubtreeBetweenFiles() {
        RecordingMessageBox boxes;
        FileLayout layout{{QStringLiteral("Big"), std::nullopt},
                          {QStringLiteral("Big/Huge"), QByteArray(10 << 20, '\0')}};
        QByteArray& huge = *layout.back().second;
        for (int i = 0; i < huge.size(); i += 4096)
            huge[i] = static_cast<char>(i / 4096);
        for (int i = 0; i < 1000; ++i)
            layout.push_back({QStringLiteral("Big/s%1").arg(i), QByteArray::number(i * 7919)});
        CKestrinDoc* from = OpenNew(QStringLiteral("from.cfb"), layout);
        CKestrinDoc* to = OpenNew(QStringLiteral("to.cfb"), {{QStringLiteral("Other"), "x"}});
        QVERIFY(Command(from, QStringLiteral("Big"), ID_EDIT_COPY));
        QVERIFY(Command(to, QString(), ID_EDIT_PASTE));
        QVERIFY(to->OnSaveDocument(to->GetPathName()));
        QVERIFY(boxes.texts.isEmpty());
        const QStringList expected = OleDigests(from->GetPathName(), QStringLiteral("Big"));
        QCOMPARE(expected.size(), 1001);
        QCOMPARE(OleDigests(to->GetPathName(), QStringLiteral("Big")), expected);
        QProcess check;
        check.start(QStringLiteral(KESTRIN_CFB_PATH), {QStringLiteral("check"), to->GetPathName()});
        QVERIFY(check.waitForFinished(60000));
        QCOMPARE(check.exitCode(), 0);
    }

    // Data under our type that is no sound compound file is refused with the storage error box.
    void foreignDataIsRefused() {
        CKestrinDoc* doc = OpenNew(QStringLiteral("foreign.cfb"), {{QStringLiteral("S"), "s"}});
        const QString type = QString::fromLatin1(kElementMimeType);
        QVERIFY(Command(doc, QStringLiteral("S"), ID_EDIT_COPY));
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
            QCOMPARE(ChildTexts(Item(doc, QString())), QStringList{QStringLiteral("S")});
            QVERIFY(!doc->IsModified());
            QCOMPARE(doc->GetLockDepth(), 0);
        }
    }

    // A cut whose image is not made whole deletes nothing.
    void cancelledCutKeepsTheElement() {
        RecordingMessageBox boxes;
        CKestrinDoc* doc =
            OpenNew(QStringLiteral("cancel.cfb"), {{QStringLiteral("S"), QByteArray(100000, 's')}});
        {
            CancellingProgress cancel;
            QVERIFY(Command(doc, QStringLiteral("S"), ID_EDIT_CUT));
        }
        QVERIFY(Item(doc, QStringLiteral("S")));
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_EDIT_PASTE));
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(!doc->IsModified());
    }

    void dropsInsideOneView() {
        RecordingMessageBox boxes;
        CKestrinDoc* doc =
            OpenNew(QStringLiteral("drops.cfb"), {{QStringLiteral("A"), std::nullopt},
                                                  {QStringLiteral("A/B"), std::nullopt},
                                                  {QStringLiteral("A/S"), "s"},
                                                  {QStringLiteral("C"), std::nullopt},
                                                  {QStringLiteral("C/C"), std::nullopt},
                                                  {QStringLiteral("C/C/in"), "in"}});
        const QString moveIntoItself = QStringView(u"同一階層下への移動はできません。").toString();
        // Onto itself or inside itself: refused with the message; onto its parent: nothing.
        for (const QString& target : {QStringLiteral("A"), QStringLiteral("A/B")}) {
            auto data = DragOf(doc, QStringLiteral("A"));
            QVERIFY(!Drop(doc, target, data.get(), false));
        }
        QCOMPARE(boxes.texts, QStringList(2, moveIntoItself));
        auto fromA = DragOf(doc, QStringLiteral("A/S"));
        QVERIFY(!Drop(doc, QStringLiteral("A"), fromA.get(), false));
        // Onto a stream: refused.
        QVERIFY(!Drop(doc, QStringLiteral("A/S"), fromA.get(), true));
        QVERIFY(!doc->IsModified());

        // Ctrl copies, even onto the element's own parent.
        QVERIFY(Drop(doc, QStringLiteral("A"), fromA.get(), true));
        QCOMPARE(Bytes(doc, QStringLiteral("A/") + kCopy + u'S'), QByteArray("s"));
        // A move: the copy first, then the source goes and its parent becomes current.
        auto data = DragOf(doc, QStringLiteral("A/S"));
        QVERIFY(Drop(doc, QStringLiteral("C"), data.get(), false));
        QCOMPARE(Bytes(doc, QStringLiteral("C/S")), QByteArray("s"));
        QVERIFY(!Item(doc, QStringLiteral("A/S")));
        data = DragOf(doc, QStringLiteral("A/B"));
        QVERIFY(Drop(doc, QString(), data.get(), false));
        QVERIFY(Item(doc, QStringLiteral("B")) && !Item(doc, QStringLiteral("A/B")));
        QCOMPARE(TreeOf(doc)->GetCurItem(), Item(doc, QStringLiteral("A")));
        // Over the storage that holds it, answered Yes: the source went with what it replaced.
        boxes.answers = {IDYES};
        data = DragOf(doc, QStringLiteral("C/C"));
        QVERIFY(Drop(doc, QString(), data.get(), false));
        QCOMPARE(ChildTexts(Item(doc, QStringLiteral("C"))), QStringList{QStringLiteral("in")});
        QCOMPARE(boxes.texts.size(), 3);
        QCOMPARE(doc->GetLockDepth(), 0);
    }

    void dropsFromAnotherView() {
        CKestrinDoc* from = OpenNew(QStringLiteral("source.cfb"), {{QStringLiteral("X"), "new x"},
                                                                   {QStringLiteral("Y"), "new y"},
                                                                   {QStringLiteral("Z"), "z"}});
        CKestrinDoc* to = OpenNew(QStringLiteral("target.cfb"),
                                  {{QStringLiteral("X"), "old x"}, {QStringLiteral("Y"), "old y"}});
        // A move from elsewhere copies and never deletes, here or there.
        auto z = DragOf(from, QStringLiteral("Z"));
        QVERIFY(Drop(to, QString(), z.get(), false));
        QCOMPARE(Bytes(to, QStringLiteral("Z")), QByteArray("z"));
        QVERIFY(Item(from, QStringLiteral("Z")));
        // The root's elements one by one: X replaced (Yes), then No on Y ends the paste.
        RecordingMessageBox boxes;
        boxes.answers = {IDYES, IDNO};
        auto all = DragOf(from, QString());
        QVERIFY(Drop(to, QString(), all.get(), false));
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(Bytes(to, QStringLiteral("X")), QByteArray("new x"));
        QCOMPARE(Bytes(to, QStringLiteral("Y")), QByteArray("old y"));
        QCOMPARE(ChildTexts(Item(from, QString())),
                 (QStringList{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")}));
        // The same data dropped with Ctrl: copies under free names.
        QVERIFY(Drop(to, QString(), all.get(), true));
        QCOMPARE(Bytes(to, kCopy + u'Y'), QByteArray("new y"));
        QCOMPARE(Bytes(to, kCopy + u'Z'), QByteArray("z"));
    }
};

QTEST_MAIN(ElementTransferTest)
#include "element_transfer_test.moc"
