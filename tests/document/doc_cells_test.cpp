// Cell texts of the page view become bytes of the current stream at the page offset; cells
// of other views, and cells while a storage is current, write nothing.
#include "doc_test_support.h"
#include "page_view.h"

namespace {

class PageView : public QWidget, public CView, public CPageView {};
class OtherView : public QWidget, public CView {};

} // namespace

class DocCellsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CKestrinDoc* m_doc = nullptr;
    CStgTreeView* m_tree = nullptr;
    PageView* m_page = nullptr;

    QByteArray StreamBytes() {
        m_tree->setCurrentItem(Child(m_tree->GetRootItem(), QStringLiteral("Data")));
        return CurrentStreamBytes(m_doc);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_fixture = std::make_unique<KestrinFixture>();
        const QString path = m_files.filePath(QStringLiteral("cells.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("Data"), QByteArray(0x300, '\0')},
                                {QStringLiteral("Sub"), std::nullopt}});
        m_doc = m_fixture->Open(path);
        m_tree = TreeOf(m_doc);
        m_page = new PageView;
        m_doc->AddView(m_page);
        m_tree->setCurrentItem(Child(m_tree->GetRootItem(), QStringLiteral("Data")));
    }
    void cleanup() {
        m_fixture.reset();
        delete m_page;
    }

    // An edited cell's text is read as hex ("" is 0, only the low byte counts) and lands at
    // page offset + (row - 1) * 16 + (column - 1); a pasted line lands from its cell on.
    void cellsWriteTheirBytesAtRowAndColumnOfThePage() {
        m_doc->SetPageOffset(0x200);
        m_doc->OnCellEdit(m_page, 3, 5, QStringLiteral("7f"));
        m_doc->SetPageOffset(0);
        m_doc->OnCellEdit(m_page, 1, 1, QStringLiteral("1ff"));
        m_doc->OnCellEdit(m_page, 1, 2, QStringLiteral("AB"));
        m_doc->OnCellEdit(m_page, 1, 2, QString());
        const int written = m_doc->OnCellPaste(
            m_page, 1, 16, {QStringLiteral("41"), QStringLiteral("42"), QStringLiteral("43")});
        QCOMPARE(written, 3);
        QCOMPARE(m_doc->GetLockDepth(), 0);
        QByteArray expected(0x300, '\0');
        expected[0x224] = '\x7f';
        expected[0] = '\xff';
        expected.replace(15, 3, "ABC");
        QCOMPARE(StreamBytes(), expected);
        QVERIFY(m_doc->IsModified());
    }

    void cellsOfOtherViewsAndStoragesWriteNothing() {
        OtherView other;
        m_doc->AddView(&other);
        m_doc->OnCellEdit(&other, 1, 1, QStringLiteral("7f"));
        QCOMPARE(m_doc->OnCellPaste(&other, 1, 1, {QStringLiteral("41")}), 0);
        m_tree->setCurrentItem(Child(m_tree->GetRootItem(), QStringLiteral("Sub")));
        m_doc->OnCellEdit(m_page, 1, 1, QStringLiteral("7f"));
        QVERIFY(!m_doc->IsModified());
        QCOMPARE(StreamBytes().count('\0'), 0x300);
        m_doc->RemoveView(&other);
    }
};

QTEST_MAIN(DocCellsTest)
#include "doc_cells_test.moc"
