// The typed value view over streams of a compound-file document, driven as the document drives
// it and clicked as a user does, with a rendering left for a person.
#include "cp932.h"
#include "doc_test_support.h"
#include "platform_setup.h"
#include "strmdef_builders.h"
#include "strmdef_ids.h"
#include "val_edit_view.h"

namespace {

class TestValView final : public CValEditView {
public:
    bool hex = false;

protected:
    bool IsHexValues() const override { return hex; }
};

} // namespace

class ValEditViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir; // the profile and the file
    std::unique_ptr<KestrinFixture> m_fixture;
    CStrmDef m_def;
    CKestrinDoc* m_doc = nullptr;
    std::unique_ptr<TestValView> m_view; // goes before the document

    CTypeDef* Base(int id) { return m_def.m_aTypes[id].get(); }
    void Select(const QString& name) {
        TreeOf(m_doc)->setCurrentItem(Child(TreeOf(m_doc)->GetRootItem(), name));
    }
    QStringList Column(int col) const {
        QStringList texts;
        for (int row = 1; row <= m_view->GetRowCount(); ++row)
            texts << m_view->GetGrid()->GetCellText(row, col);
        return texts;
    }
    bool Hatched(int row) const { return m_view->GetGrid()->Cell(row, 3).m_nStyle & GCS_HATCH; }
    // A click on the row's bitmap, which stands beside the indented text, as the user gives it.
    void ClickBitmap(int row) {
        const CRect rect = m_view->GetGrid()->ClientRect(row, 0);
        const int indent = m_view->GetGrid()->Cell(row, 0).m_nIndent;
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left + 16 * indent + 6, rect.top + 8));
    }

private slots:
    void initTestCase() {
        UseScratchProfile(m_dir);
        MapJapaneseFonts();
        const QString path = m_dir.filePath(QStringLiteral("values.cfb"));
        MakeCompoundFile(path,
                         {{QStringLiteral("Data"), QByteArray::fromHex("0100000041420043ffff")},
                          {QStringLiteral("Ascii"), "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRS"},
                          {QStringLiteral("Sub"), std::nullopt}});
        m_fixture = std::make_unique<KestrinFixture>();
        m_doc = m_fixture->Open(path);
        QVERIFY(m_doc);
        m_view = std::make_unique<TestValView>();
        m_view->resize(580, 330);
        m_doc->AddView(m_view.get());
        m_view->OnInitialUpdate();
    }
    void cleanup() {
        // Every reference the rows took, collapsed ones included, is given back.
        m_view->ClearRows(true);
        m_view->hex = false;
        for (const auto& type : m_def.m_aTypes)
            type->m_aMember.clear();
        for (const auto& type : m_def.m_aTypes)
            QCOMPARE(type->GetRefCount(), 0);
        m_def.ResetTypes();
    }

    // Rows past the stream's end are hatched and empty, the rows after them keep their positions;
    // a longer stream under the same rows clears the hatch, a storage shows no values.
    void valuesInBothBasesAndPastTheEnd() {
        m_view->AddRow(Var(Base(0), *ToCp932(u"サイズ")));
        auto name = Var(Base(7), *ToCp932(u"名前"), 4);
        name->m_strComment = *ToCp932(u"ファイル名");
        m_view->AddRow(std::move(name));
        m_view->AddRow(Var(Base(9), "b"));
        m_view->AddRow(Var(Base(5), "d"));
        m_view->AddRow(Var(Base(9), "z"));
        Select(QStringLiteral("Data"));
        QCOMPARE(Column(0), QStringList({"int", "char", "short", "double", "short"}));
        QCOMPARE(Column(1), QStringList({"サイズ", "名前[4]", "b", "d", "z"}));
        QCOMPARE(Column(2), QStringList({"0", "4", "8", "A", "12"}));
        QCOMPARE(Column(3), QStringList({"1", "AB", "-1", "", ""}));
        QVERIFY(!Hatched(3) && Hatched(4) && Hatched(5));
        m_view->hex = true;
        m_view->OnUpdate(nullptr, 0, nullptr);
        QCOMPARE(Column(3), QStringList({"0001", "AB", "FFFF", "", ""}));
        QCOMPARE(Column(4)[1], QStringLiteral("ファイル名"));
        QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
        QVERIFY(m_view->grab().save(QStringLiteral(KESTRIN_ARTEFACT_DIR "/val_edit_view.png")));
        Select(QStringLiteral("Ascii"));
        QVERIFY(!Hatched(4) && !Hatched(5));
        QCOMPARE(Column(3)[4], QStringLiteral("4342"));
        Select(QStringLiteral("Sub"));
        QCOMPARE(Column(3), QStringList(5, QString()));
    }

    // struct Inner { short x; char t[2]; Inner* next; }; struct Outer { int a; Inner in, arr[2]; }
    // Children take their values from their parent's bytes; a member that leads back to its
    // own type is a leaf of no bytes; an expansion stops at 100,000 rows and a note; a collapse
    // removes every expanded descendant too.
    void expandAndCollapse() {
        CTypeDef* inner = AddType(m_def, "Inner");
        Member(inner, Base(9), "x");
        Member(inner, Base(7), "t", 2);
        Member(inner, inner, "next", 0, true);
        CTypeDef* outer = AddType(m_def, "Outer");
        Member(outer, Base(0), "a");
        Member(outer, inner, "in");
        Member(outer, inner, "arr", 2);
        m_view->AddRow(Var(Base(0), "n", 3));
        m_view->AddRow(Var(outer, "o"));
        m_view->AddRow(Var(Base(0), "big", 0x7FFFFFFF));
        m_view->AddRow(Var(Base(9), "z"));
        Select(QStringLiteral("Ascii"));
        ClickBitmap(2);                       // o
        ClickBitmap(5);                       // o.arr
        QVERIFY(m_view->OnBitmapClick(7, 0)); // o.arr[1]
        QCOMPARE(Column(1), QStringList({"n[3]", "o", "a", "in", "arr[2]", "arr[0]", "arr[1]", "x",
                                         "t[2]", "next", "big[2147483647]", "z"}));
        QCOMPARE(Column(2), QStringList({"0", "C", "C", "10", "14", "14", "18", "18", "1A", "1C",
                                         "1C", "200000018"}));
        QCOMPARE(Column(3), QStringList({"858927408", "", "1061043516", "", "", "", "", "18760",
                                         "JK", "", "", ""}));
        QCOMPARE(Column(0)[9], QStringLiteral("Inner*"));
        QVERIFY(!Hatched(10) && Hatched(11) && Hatched(12)); // next; big and z
        QCOMPARE(m_view->GetGrid()->GetCellBitmap(10, 0), IDB_GRIDCELL);
        QCOMPARE(m_view->GetGrid()->Cell(8, 1).m_nIndent, 3);

        QVERIFY(m_view->OnBitmapClick(11, 0)); // big
        QCOMPARE(m_view->GetRowCount(), 100013);
        QCOMPARE(m_view->GetGrid()->GetCellText(100012, 1),
                 QStringLiteral("… 残り 2147383647 個は表示されません"));
        QCOMPARE(m_view->GetGrid()->GetCellText(100011, 2), QStringLiteral("61A98")); // [99999]
        QCOMPARE(Column(2).last(), QStringLiteral("200000018"));
        ClickBitmap(2);                       // o, above the 100,000 rows
        QVERIFY(m_view->OnBitmapClick(3, 0)); // big
        QCOMPARE(Column(1), QStringList({"n[3]", "o", "big[2147483647]", "z"}));
        QCOMPARE(Column(2), QStringList({"0", "C", "1C", "200000018"}));
    }
};

QTEST_MAIN(ValEditViewTest)
#include "val_edit_view_test.moc"
