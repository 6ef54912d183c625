// The typed value view over streams of a compound-file document, driven as the document drives
// it and clicked as a user does, with a rendering left for a person.
#include <climits>

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

QByteArray Cp932(const char16_t* text) {
    return *ToCp932(QString::fromUtf16(text));
}

} // namespace

class ValEditViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CStrmDef m_def;
    CKestrinDoc* m_doc = nullptr;
    TestValView* m_view = nullptr;

    CTypeDef* Base(int id) { return m_def.m_aTypes[id].get(); }
    void Add(CTypeDef* type, const QByteArray& name, int count = 0, const QByteArray& note = {}) {
        auto variable = Var(type, name, count);
        variable->m_strComment = note;
        m_view->AddRow(std::move(variable));
    }
    void Select(const QString& name) {
        CStgTreeView* tree = TreeOf(m_doc);
        tree->setCurrentItem(Child(tree->GetRootItem(), name));
    }
    QStringList Column(int col) const {
        QStringList texts;
        for (int row = 1; row <= m_view->GetRowCount(); ++row)
            texts << m_view->GetGrid()->GetCellText(row, col);
        return texts;
    }
    bool Hatched(int row) const {
        return m_view->GetGrid()->Cell(row, CValEditView::COL_VALUE).m_nStyle & GCS_HATCH;
    }
    UINT Bitmap(int row) const { return m_view->GetGrid()->GetCellBitmap(row, 0); }
    // A click on the row's bitmap, which stands beside the indented text, as the user gives it.
    void ClickBitmap(int row) {
        const CRect rect = m_view->GetGrid()->ClientRect(row, 0);
        const int indent = m_view->GetGrid()->Cell(row, 0).m_nIndent;
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left + 16 * indent + 6, rect.top + 8));
    }

private slots:
    void initTestCase() {
        UseScratchProfile(m_profile);
        MapJapaneseFonts();
    }
    void init() {
        QByteArray ascii;
        for (int i = 0; i < 64; ++i)
            ascii += char(0x30 + i);
        const QString path = m_files.filePath(QStringLiteral("values.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("Data"), QByteArray::fromHex("0100000041420043ffff")},
                                {QStringLiteral("Ascii"), ascii},
                                {QStringLiteral("Sub"), std::nullopt}});
        m_fixture = std::make_unique<KestrinFixture>();
        m_doc = m_fixture->Open(path);
        QVERIFY(m_doc);
        m_view = new TestValView;
        m_view->resize(580, 330);
        m_doc->AddView(m_view);
        m_view->OnInitialUpdate();
    }
    void cleanup() {
        // Every reference the rows took is given back: what remains are the members'.
        m_view->ClearRows(true);
        for (const auto& type : m_def.m_aTypes) {
            int users = 0;
            for (const auto& owner : m_def.m_aTypes)
                for (const auto& member : owner->m_aMember)
                    users += member->GetType() == type.get();
            QCOMPARE(type->GetRefCount(), users);
        }
        delete m_view;
        m_fixture.reset();
        m_def.ResetTypes();
    }

    // Rows past the stream's end are hatched and empty; the rows after them keep their
    // positions, and a longer stream under the same rows clears the hatch.
    void valuesInBothBasesAndPastTheEnd() {
        Add(Base(0), Cp932(u"サイズ"), 0, Cp932(u"バイト数"));
        Add(Base(7), Cp932(u"名前"), 4, Cp932(u"ファイル名"));
        Add(Base(9), "b");
        Add(Base(5), "d");
        Add(Base(9), "z");
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
        // A storage has no values to show.
        Select(QStringLiteral("Sub"));
        QCOMPARE(Column(3), QStringList(5, QString()));
    }

    void expandAndCollapseArraysAndNestedStructs() {
        // struct Inner { short x; char t[2]; }; struct Outer { int a; Inner in; Inner arr[2]; };
        CTypeDef* inner = AddType(m_def, "Inner");
        Member(inner, Base(9), "x");
        Member(inner, Base(7), "t", 2);
        CTypeDef* outer = AddType(m_def, "Outer");
        Member(outer, Base(0), "a");
        Member(outer, inner, "in");
        Member(outer, inner, "arr", 2);
        Add(Base(0), "n", 3);
        Add(outer, "o");
        Add(Base(0), "after");
        Add(Base(9), "z");
        Select(QStringLiteral("Ascii"));
        QCOMPARE(Column(3), QStringList({"858927408", "", "1330531660", "20816"}));

        ClickBitmap(1);
        QCOMPARE(Bitmap(1), IDB_VALUE_EXPANDED);
        QCOMPARE(Column(1).mid(1, 3), QStringList({"n[0]", "n[1]", "n[2]"}));
        QCOMPARE(Column(2).mid(1, 3), QStringList({"0", "4", "8"}));
        QCOMPARE(Column(3).mid(1, 3), QStringList({"858927408", "926299444", "993671480"}));

        const int innerRefs = inner->GetRefCount();
        QVERIFY(m_view->OnBitmapClick(5, 0));  // o
        ClickBitmap(8);                        // o.arr
        QVERIFY(m_view->OnBitmapClick(10, 0)); // o.arr[1]
        QCOMPARE(Column(1).mid(4), QStringList({"o", "a", "in", "arr[2]", "arr[0]", "arr[1]", "x",
                                                "t[2]", "after", "z"}));
        QCOMPARE(Column(2).mid(4),
                 QStringList({"C", "C", "10", "14", "14", "18", "18", "1A", "1C", "20"}));
        QCOMPARE(Column(3)[11], QStringLiteral("JK"));
        QCOMPARE(Bitmap(6), IDB_GRIDCELL);
        QCOMPARE(Bitmap(7), IDB_VALUE_COLLAPSED);
        QCOMPARE(m_view->GetGrid()->Cell(11, 1).m_nIndent, 3);

        // Collapsing o removes its members and every expanded descendant.
        ClickBitmap(5);
        QCOMPARE(Bitmap(5), IDB_VALUE_COLLAPSED);
        QCOMPARE(inner->GetRefCount(), innerRefs);
        QCOMPARE(Column(1).mid(4), QStringList({"o", "after", "z"}));
        QCOMPARE(Column(2).mid(4), QStringList({"C", "1C", "20"}));
        QVERIFY(m_view->OnBitmapClick(1, 0));
        QCOMPARE(m_view->GetRowCount(), 4);
        QCOMPARE(m_view->GetTopLevelCount(), 4);
    }

    // struct Node { int v; Node* next; }: next is shown but cannot be expanded, and an array
    // of 2^31 - 1 elements shows its first elements and a note.
    void selfHoldingTypesAndHugeArrays() {
        CTypeDef* node = AddType(m_def, "Node");
        Member(node, Base(0), "v");
        Member(node, node, "next", 0, true);
        Add(node, "n");
        Add(Base(0), "big", INT_MAX);
        Add(Base(9), "tail");
        Select(QStringLiteral("Ascii"));
        QVERIFY(m_view->OnBitmapClick(1, 0));
        QCOMPARE(Column(0).mid(1, 2), QStringList({"int", "Node*"}));
        QCOMPARE(Column(2), QStringList({"0", "0", "4", "4", "200000000"}));
        QCOMPARE(Bitmap(3), IDB_GRIDCELL);
        QCOMPARE(Column(3)[2], QString());
        QVERIFY(!Hatched(3));
        QVERIFY(m_view->OnBitmapClick(3, 0));
        QCOMPARE(m_view->GetRowCount(), 5);

        QVERIFY(m_view->OnBitmapClick(4, 0));
        QCOMPARE(m_view->GetRowCount(), 5 + kMaxChildRows + 1);
        QCOMPARE(m_view->GetGrid()->GetCellText(5 + kMaxChildRows, 1),
                 QStringLiteral("… 残り 2147383647 個は表示されません"));
        QCOMPARE(m_view->GetGrid()->GetCellText(4 + kMaxChildRows, 2),
                 QString::number(4 + 4 * (kMaxChildRows - 1), 16).toUpper());
        QCOMPARE(Column(2).last(), QStringLiteral("200000000"));
        QVERIFY(m_view->OnBitmapClick(4, 0));
        QCOMPARE(m_view->GetRowCount(), 5);
    }
};

QTEST_MAIN(ValEditViewTest)
#include "val_edit_view_test.moc"
