// Element chains open from the root down an item's ancestors and are released with their
// commits, leaving the document lock as it was; the current stream is sized, grown with
// zeros and written through them; sizes the file cannot hold are refused.
#include "doc_test_support.h"
#include "page_view.h"

namespace {

class PageView : public QWidget, public CView, public CPageView {
public:
    void SetListStyle(DWORD) override {}
    DWORD GetListStyle() const override { return LVS_REPORT; }
    bool IsHexMode() const override { return true; }
    void SetCurrentByte(int) override {}
    void MarkBytes(ULONGLONG, ULONGLONG) override {}
};
class OtherView : public QWidget, public CView {};

} // namespace

class ElementAccessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CKestrinDoc* m_doc = nullptr;
    CStgTreeView* m_tree = nullptr;

    QTreeWidgetItem* Item(const QStringList& path) {
        QTreeWidgetItem* item = m_tree->GetRootItem();
        for (const QString& name : path) {
            m_tree->expandItem(item);
            item = Child(item, name);
        }
        return item;
    }
    void Select(const QStringList& path) { m_tree->setCurrentItem(Item(path)); }
    QByteArray CurrentBytes() { return CurrentStreamBytes(m_doc); }
    static ULARGE_INTEGER Large(ULONGLONG value) {
        ULARGE_INTEGER large;
        large.QuadPart = value;
        return large;
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_fixture = std::make_unique<KestrinFixture>();
        const QString path = m_files.filePath(QStringLiteral("access.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("Ten"), QByteArray("0123456789")},
                                {QStringLiteral("A"), std::nullopt},
                                {QStringLiteral("A/B"), std::nullopt},
                                {QStringLiteral("A/B/S"), QByteArray("deep")}});
        m_doc = m_fixture->Open(path);
        m_tree = TreeOf(m_doc);
    }
    void cleanup() { m_fixture.reset(); }

    // The root's chain is the root with one more reference; a stream two levels down has
    // four entries; the views get the current element through the document.
    void chainsOpenFromTheRootDown() {
        IStorage* root = m_doc->GetRootStorage();
        const auto refs = [root] {
            const ULONG count = root->AddRef() - 1;
            root->Release();
            return count;
        };
        const ULONG before = refs();
        m_doc->Lock();
        std::unique_ptr<ElementChain> chain = m_tree->OpenStorageChain(m_tree->GetRootItem());
        QCOMPARE(chain->GetSize(), std::size_t{1});
        QCOMPARE(chain->GetStorage(0), root);
        QCOMPARE(refs(), before + 1);
        m_tree->ReleaseStorageChain(std::move(chain));
        QCOMPARE(refs(), before);

        m_doc->Lock();
        chain = m_tree->OpenStreamChain(
            Item({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("S")}));
        QCOMPARE(chain->GetSize(), std::size_t{4});
        char text[4];
        ULONG read = 0;
        QCOMPARE(chain->GetLastStream()->Read(text, 4, &read), S_OK);
        QCOMPARE(QByteArray(text, 4), QByteArray("deep"));
        m_tree->ReleaseStreamChain(std::move(chain));

        Select({QStringLiteral("Ten")});
        QCOMPARE(CurrentBytes(), QByteArray("0123456789"));
        Select({QStringLiteral("A")});
        chain = m_doc->OpenCurrent();
        QCOMPARE(chain->GetSize(), std::size_t{2});
        QVERIFY(m_doc->GetCurIsStorage());
        chain->ReleaseAll();
        m_doc->Unlock();
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }

    void missingStorageOnTheWayIsReportedOnceAndLeavesNothingOpen() {
        QTreeWidgetItem* deep =
            Item({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("S")});
        // Deleted behind the tree's back: the item stays.
        IStorage* root = m_doc->GetRootStorage();
        QCOMPARE(root->DestroyElement(u"A"), S_OK);
        RecordingMessageBox boxes;
        m_doc->Lock();
        QVERIFY(!m_tree->OpenStreamChain(deep));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts[0].contains(QStringLiteral("OpenStorage")));
        QCOMPARE(m_doc->GetLockDepth(), 0);
        // Nothing stays open: the root's elements can be created again exclusively.
        IStorage* again = nullptr;
        QCOMPARE(root->CreateStorage(u"A", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                     0, &again),
                 S_OK);
        again->Release();
    }

    // Shrinking cuts, growing appends zeros (in pieces, past one write's size), a write past
    // the end grows first; nothing is written while a storage is current, and a size the
    // version-3 file cannot hold is refused and changes nothing.
    void currentStreamIsResizedAndWritten() {
        Select({QStringLiteral("A")});
        const BYTE one = 0xEE;
        QCOMPARE(m_tree->WriteCurrentStream(Large(0), &one, 1), ULONG{0});
        QVERIFY(!m_doc->IsModified());

        Select({QStringLiteral("Ten")});
        RecordingMessageBox boxes;
        QVERIFY(!m_tree->ResizeCurrentStream(Large(ULONGLONG{3} << 30)));
        QCOMPARE(m_tree->WriteCurrentStream(Large(ULONGLONG{5} << 30), &one, 1), ULONG{0});
        QCOMPARE(boxes.texts.size(), 2);
        QVERIFY(boxes.texts[0].contains(QStringLiteral("80030111")));
        QCOMPARE(CurrentBytes(), QByteArray("0123456789"));
        QVERIFY(!m_doc->IsModified());

        QCOMPARE(m_tree->GetCurrentStreamSize().QuadPart, ULONGLONG{10});
        QVERIFY(m_tree->ResizeCurrentStream(Large(4)));
        QCOMPARE(CurrentBytes(), QByteArray("0123"));
        QCOMPARE(m_tree->WriteCurrentStream(Large(100), &one, 1), ULONG{1});
        QCOMPARE(CurrentBytes(), QByteArray("0123") + QByteArray(96, '\0') + '\xee');
        QVERIFY(m_tree->ResizeCurrentStream(Large(300000)));
        const QByteArray bytes = CurrentBytes();
        QCOMPARE(bytes.size(), 300000);
        QCOMPARE(bytes.count('\0'), 300000 - 5);
        QVERIFY(m_doc->IsModified());
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }

    // The page view's cell texts, read as hex ("" is 0, only the low byte counts), land at
    // page offset + (row - 1) * 16 + (column - 1), a pasted line from its cell on, growing the
    // stream; cells of other views, or while a storage is current, write nothing.
    void cellsOfThePageViewBecomeBytes() {
        PageView page;
        OtherView other;
        m_doc->AddView(&page);
        m_doc->AddView(&other);
        Select({QStringLiteral("A")});
        m_doc->OnCellEdit(&page, 1, 1, QStringLiteral("7f"));
        Select({QStringLiteral("Ten")});
        m_doc->OnCellEdit(&other, 1, 1, QStringLiteral("7f"));
        QCOMPARE(m_doc->OnCellPaste(&other, 1, 1, {QStringLiteral("41")}), 0);
        QVERIFY(!m_doc->IsModified());
        m_doc->OnCellEdit(&page, 1, 1, QStringLiteral("1ff"));
        m_doc->OnCellEdit(&page, 1, 2, QStringLiteral("AB"));
        m_doc->OnCellEdit(&page, 1, 2, QString());
        QCOMPARE(
            m_doc->OnCellPaste(&page, 1, 16,
                               {QStringLiteral("41"), QStringLiteral("42"), QStringLiteral("43")}),
            3);
        m_doc->SetPageOffset(0x200);
        m_doc->OnCellEdit(&page, 3, 5, QStringLiteral("7f"));
        QByteArray expected = QByteArray("\xff\x00"
                                         "23456789",
                                         10) +
                              QByteArray(5, '\0') + "ABC";
        expected += QByteArray(0x224 - expected.size(), '\0') + '\x7f';
        QCOMPARE(CurrentBytes(), expected);
        QVERIFY(m_doc->IsModified());
        QCOMPARE(m_doc->GetLockDepth(), 0);
        m_doc->RemoveView(&page);
        m_doc->RemoveView(&other);
    }

    void chainsOfANewDocumentCommitItsRoot() {
        CKestrinDoc* doc = m_fixture->New();
        CStgTreeView* tree = TreeOf(doc);
        QString name;
        tree->CreateNewStream(name, FALSE);
        // Reverting the root drops only what was never committed into it.
        QCOMPARE(doc->GetRootStorage()->Revert(), S_OK);
        tree->FillChildren(doc->GetRootStorage(), tree->GetRootItem());
        QCOMPARE(ChildTexts(tree->GetRootItem()),
                 QStringList{QString::fromUtf16(u"新しいストリーム")});
        QCOMPARE(doc->GetLockDepth(), 0);
    }
};

QTEST_MAIN(ElementAccessTest)
#include "element_access_test.moc"
