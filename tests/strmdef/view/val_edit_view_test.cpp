// The typed value view over streams of a compound-file document, driven as the document
// drives it (rows added, updates, column toggles) and clicked as a user does: values in both
// bases, values past the stream's end, expansion and collapse of arrays and nested structs,
// types that hold themselves, huge arrays, the context menu and a rendering for a person.
#include <QContextMenuEvent>
#include <QMenu>
#include <climits>

#include "cp932.h"
#include "doc_test_support.h"
#include "platform_setup.h"
#include "strm_def.h"
#include "strmdef_ids.h"
#include "type_def.h"
#include "val_def.h"
#include "val_edit_view.h"

namespace {

class TestValView final : public CValEditView {
public:
    bool hex = false;
    QStringList menu; // the context menu's items, "*" before a checked one

protected:
    bool IsHexValues() const override { return hex; }
    void TrackPopupMenu(QMenu* popup, const QPoint&) override {
        for (QAction* action : popup->actions())
            if (!action->isSeparator())
                menu << (action->isChecked() ? u'*' : u' ') + action->text();
    }
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
    CTypeDef* AddType(const QByteArray& name, std::uint32_t kind) {
        m_def.m_aTypes.push_back(
            std::make_unique<CTypeDef>(name, int(m_def.m_aTypes.size()), kind));
        return m_def.m_aTypes.back().get();
    }
    static std::unique_ptr<CValDef> Var(CTypeDef* type, const QByteArray& name, int count = 0) {
        auto variable = std::make_unique<CValDef>();
        variable->SetType(type);
        variable->m_strName = name;
        variable->m_bArray = count != 0;
        variable->m_nCount = count;
        return variable;
    }
    static CValDef* Member(CTypeDef* owner, CTypeDef* type, const QByteArray& name, int count = 0) {
        owner->m_aMember.push_back(Var(type, name, count));
        return owner->m_aMember.back().get();
    }
    void Add(CTypeDef* type, const QByteArray& name, int count = 0) {
        m_view->AddRow(Var(type, name, count));
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
    void Refresh() { m_view->OnUpdate(nullptr, 0, nullptr); }
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
        MakeCompoundFile(path, {{QStringLiteral("Data"), QByteArray::fromHex("01000000414200"
                                                                             "43ffff")},
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

    void valuesInBothBases() {
        Add(Base(0), "a");
        Add(Base(7), "s", 4);
        Add(Base(9), "b");
        Select(QStringLiteral("Data"));
        QCOMPARE(Column(0), QStringList({"int", "char", "short"}));
        QCOMPARE(Column(1), QStringList({"a", "s[4]", "b"}));
        QCOMPARE(Column(2), QStringList({"0", "4", "8"}));
        QCOMPARE(Column(3), QStringList({"1", "AB", "-1"}));
        m_view->hex = true;
        Refresh();
        QCOMPARE(Column(3), QStringList({"0001", "AB", "FFFF"}));
        // A storage has no values to show.
        Select(QStringLiteral("Sub"));
        QCOMPARE(Column(3), QStringList({"", "", ""}));
    }

    void valuesPastTheEndAreHatched() {
        Add(Base(0), "a");
        Add(Base(5), "d");
        Add(Base(17), "q");
        Add(Base(9), "b");
        Select(QStringLiteral("Data"));
        QCOMPARE(Column(2), QStringList({"0", "4", "C", "14"}));
        QCOMPARE(Column(3), QStringList({"1", "", "", ""}));
        QVERIFY(!Hatched(1));
        QVERIFY(Hatched(2) && Hatched(3) && Hatched(4));
        // A longer stream under the same rows clears the hatch.
        Select(QStringLiteral("Ascii"));
        QVERIFY(!Hatched(2) && !Hatched(4));
        QCOMPARE(m_view->GetGrid()->GetCellText(4, 3), QString::number(0x4544));
    }

    void expandAndCollapseArraysAndNestedStructs() {
        // struct Inner { short x; char t[2]; }; struct Outer { int a; Inner in; Inner arr[2]; };
        CTypeDef* inner = AddType("Inner", KIND_STRUCT);
        Member(inner, Base(9), "x");
        Member(inner, Base(7), "t", 2);
        CTypeDef* outer = AddType("Outer", KIND_STRUCT);
        Member(outer, Base(0), "a");
        Member(outer, inner, "in");
        Member(outer, inner, "arr", 2);
        Add(Base(0), "n", 3);
        Add(outer, "o");
        Add(Base(0), "after");
        auto byName = Var(Base(0), "m", 1);
        byName->m_bCountByName = 1;
        byName->m_nCount = 0;
        byName->m_strCountName = "N";
        m_view->AddRow(std::move(byName));
        Add(Base(9), "z");
        Select(QStringLiteral("Ascii"));
        QCOMPARE(Column(2), QStringList({"0", "C", "1C", "20", "20"}));
        QCOMPARE(Column(3), QStringList({"858927408", "", "1330531660", "", "20816"}));

        ClickBitmap(1);
        QCOMPARE(Bitmap(1), IDB_VALUE_EXPANDED);
        QCOMPARE(m_view->GetRowCount(), 8);
        QCOMPARE(Column(0).mid(1, 3), QStringList({"", "", ""}));
        QCOMPARE(Column(1).mid(1, 3), QStringList({"n[0]", "n[1]", "n[2]"}));
        QCOMPARE(Column(2).mid(1, 3), QStringList({"0", "4", "8"}));
        QCOMPARE(Column(3).mid(1, 3), QStringList({"858927408", "926299444", "993671480"}));

        const int innerRefs = inner->GetRefCount();
        QVERIFY(m_view->OnBitmapClick(5, 0));  // o
        ClickBitmap(8);                        // o.arr
        QVERIFY(m_view->OnBitmapClick(10, 0)); // o.arr[1]
        QCOMPARE(Column(1).mid(4, 9),
                 QStringList({"o", "a", "in", "arr[2]", "arr[0]", "arr[1]", "x", "t[2]", "after"}));
        QCOMPARE(Column(2).mid(4, 9),
                 QStringList({"C", "C", "10", "14", "14", "18", "18", "1A", "1C"}));
        QCOMPARE(Column(3)[11], QStringLiteral("JK"));
        QCOMPARE(Bitmap(6), IDB_GRIDCELL);
        QCOMPARE(Bitmap(7), IDB_VALUE_COLLAPSED);
        QCOMPARE(m_view->GetGrid()->Cell(11, 1).m_nIndent, 3);
        QCOMPARE(Column(2).last(), QStringLiteral("20"));
        QVERIFY(inner->GetRefCount() > innerRefs);

        // An array sized by a name has no elements and takes no bytes.
        QVERIFY(m_view->OnBitmapClick(14, 0));
        QCOMPARE(Bitmap(14), IDB_VALUE_EXPANDED);
        QCOMPARE(m_view->GetRowCount(), 15);

        // Collapsing o removes its members and every expanded descendant.
        ClickBitmap(5);
        QCOMPARE(m_view->GetRowCount(), 8);
        QCOMPARE(Bitmap(5), IDB_VALUE_COLLAPSED);
        QCOMPARE(inner->GetRefCount(), innerRefs);
        QCOMPARE(Column(1).mid(4), QStringList({"o", "after", "m[N]", "z"}));
        QCOMPARE(Column(2).mid(4), QStringList({"C", "1C", "20", "20"}));
        QVERIFY(m_view->OnBitmapClick(1, 0));
        QCOMPARE(m_view->GetRowCount(), 5);
        QCOMPARE(m_view->GetTopLevelCount(), 5);
    }

    // struct Node { int v; Node* next; }: next is shown but cannot be expanded, and an array
    // of 2^31 - 1 elements shows its first elements and a note.
    void selfHoldingTypesAndHugeArrays() {
        CTypeDef* node = AddType("Node", KIND_STRUCT);
        Member(node, Base(0), "v");
        Member(node, node, "next")->m_bPointer = 1;
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
        QVERIFY(Hatched(4) && Hatched(5));

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

    void columnsContextMenuAndRendering() {
        // struct ヘッダ { int サイズ; char 名前[8]; } with comments, then a value past the end.
        CTypeDef* header = AddType(Cp932(u"ヘッダ"), KIND_STRUCT);
        Member(header, Base(0), Cp932(u"サイズ"))->m_strComment = Cp932(u"バイト数");
        Member(header, Base(7), Cp932(u"名前"), 8)->m_strComment = Cp932(u"ファイル名");
        Add(header, Cp932(u"見出し"));
        Add(Base(15), Cp932(u"末尾"));
        Add(Base(5), Cp932(u"係数"), 10);
        Select(QStringLiteral("Ascii"));
        QVERIFY(m_view->OnBitmapClick(1, 0));
        QCOMPARE(Column(1), QStringList({"見出し", "サイズ", "名前[8]", "末尾", "係数[10]"}));
        QCOMPARE(Column(3), QStringList({"", "858927408", "456789:;", "1061043516", ""}));
        QVERIFY(!Hatched(4) && Hatched(5));
        QCOMPARE(Column(4)[2], QStringLiteral("ファイル名"));
        QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
        QVERIFY(m_view->grab().save(QStringLiteral(KESTRIN_ARTEFACT_DIR "/val_edit_view.png")));

        m_view->GetGrid()->SetColWidth(CValEditView::COL_POSITION, 60);
        m_view->ShowColumn(CValEditView::COL_POSITION, false);
        m_view->ShowColumn(CValEditView::COL_POSITION, false);
        QCOMPARE(m_view->GetGrid()->GetColWidth(CValEditView::COL_POSITION), 1);
        m_view->ShowColumn(CValEditView::COL_POSITION, true);
        QCOMPARE(m_view->GetGrid()->GetColWidth(CValEditView::COL_POSITION), 60);

        m_view->hex = true;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 30), QPoint(20, 30));
        QCoreApplication::sendEvent(m_view->viewport(), &event);
        QCOMPARE(m_view->menu.mid(0, 2), QStringList({" 10進数", "*16進数"}));
        QCOMPARE(m_view->menu.size(), 7);
    }
};

QTEST_MAIN(ValEditViewTest)
#include "val_edit_view_test.moc"
