// A compound-file window as a user drives its typed values and pages: stream definitions
// loaded from the file dialog and the toolbar's combo box, files that cannot be loaded, the
// number base and the columns, paging through streams of telling sizes, and F6 round the panes.
#include <QComboBox>

#include "archive.h"
#include "cmd_ui.h"
#include "doc_test_support.h"
#include "document_messages.h"
#include "kestrin_view.h"
#include "resource_ids.h"
#include "strmdef_builders.h"
#include "strmdef_ids.h"
#include "strmdef_messages.h"
#include "val_edit_view.h"

namespace {

void SaveStm(CStrmDef& def, const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    CArchive archive(&file, CArchive::store);
    def.Serialize(archive);
}

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The bytes of the hex page shown tinted, by their index on the page.
QList<int> TintedBytes(const CGrid* grid) {
    QList<int> tinted;
    for (int index = 0; index < 256; ++index)
        if (grid->Cell(index / 16 + 1, index % 16 + 1).m_nStyle & GCS_TINT)
            tinted << index;
    return tinted;
}

QStringList TopLevelNames(const CValEditView* view) {
    QStringList names;
    for (int row = 1; row <= view->GetRowCount(); ++row)
        names << QString::fromLatin1(view->GetRowVariable(row)->m_strName);
    return names;
}

} // namespace

class StrmDefCommandsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<KestrinFixture> m_fixture;

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    CMainFrame* Frame() const { return m_fixture->Frame(); }
    // The check mark of the command's menu item, as its update handlers leave it.
    bool Checked(UINT id) const {
        QAction* action = Frame()->GetCommandActions().Find(id);
        CCmdUI(id, action).DoUpdate(Frame(), true);
        return action->isChecked();
    }
    void Select(CKestrinDoc* doc, const QString& name) {
        TreeOf(doc)->setCurrentItem(Child(TreeOf(doc)->GetRootItem(), name));
    }

    // struct A { B inner; int y; }; struct B { int x; short s; };
    // A a; int n; char big[700]; int last;
    void SaveFirst(const QString& path) {
        CStrmDef def;
        CTypeDef* a = AddType(def, "A");
        CTypeDef* b = AddType(def, "B");
        Member(a, b, "inner");
        Member(a, def.m_aTypes[0].get(), "y");
        Member(b, def.m_aTypes[0].get(), "x");
        Member(b, def.m_aTypes[9].get(), "s");
        def.m_aLayout.push_back(Var(a, "a"));
        def.m_aLayout.push_back(Var(def.m_aTypes[0].get(), "n"));
        def.m_aLayout.push_back(Var(def.m_aTypes[7].get(), "big", 700));
        def.m_aLayout.push_back(Var(def.m_aTypes[0].get(), "last"));
        SaveStm(def, path);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_dir); }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void loadingDefinitions() {
        SaveFirst(Path("first.stm"));
        CStrmDef second; // unsigned char e;
        second.m_aLayout.push_back(Var(second.m_aTypes[8].get(), "e"));
        SaveStm(second, Path("second.stm"));
        QFile damaged(Path("damaged.stm"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) &&
                damaged.write(ReadFile(Path("first.stm")).chopped(3)) > 0);
        damaged.close();
        QByteArray bytes;
        for (int i = 0; i < 800; ++i)
            bytes += char(i);
        MakeCompoundFile(Path("data.cfb"), {{QStringLiteral("S"), bytes}});
        CKestrinDoc* doc = m_fixture->Open(Path("data.cfb"));
        QCOMPARE(doc->GetTypes().size(), std::size_t(19));
        const CTypeDef* intType = doc->GetTypes()[0].get();
        Select(doc, QStringLiteral("S"));
        auto* view = doc->GetView<CValEditView>();
        QComboBox* combo = Frame()->GetStrmDefCombo();
        ScriptedFileDialog dialogs;
        RecordingMessageBox boxes;

        // Members name the document's own types, later ones included; n lies after a, whose B
        // takes an int and a short, and whose int follows.
        dialogs.answer = Path("first.stm");
        QVERIFY(Frame()->SendCommand(ID_STRMDEF_OPEN));
        const TypeList& types = doc->GetTypes();
        QCOMPARE(types.size(), std::size_t(21));
        QCOMPARE(types[0].get(), intType);
        QCOMPARE(types[19]->m_aMember[0]->GetType(), types[20].get());
        QCOMPARE(types[19]->m_aMember[1]->GetType(), intType);
        QCOMPARE(TopLevelNames(view), (QStringList{"a", "n", "big", "last"}));
        QCOMPARE(view->GetGrid()->GetCellText(2, CValEditView::COL_POSITION), QStringLiteral("A"));
        QCOMPARE(view->GetGrid()->GetCellText(2, CValEditView::COL_VALUE),
                 QStringLiteral("218893066"));
        QVERIFY(Frame()->SendCommand(ID_VALUE_HEX));
        QCOMPARE(view->GetGrid()->GetCellText(2, CValEditView::COL_VALUE),
                 QStringLiteral("D0C0B0A"));
        QVERIFY(Checked(ID_VALUE_HEX) && !Checked(ID_VALUE_DECIMAL));
        QVERIFY(Frame()->SendCommand(ID_VALUE_DECIMAL));
        QVERIFY(Checked(ID_VALUE_DECIMAL) && !Checked(ID_VALUE_HEX));
        QCOMPARE(Items(combo), QStringList{"first"});

        // A value picked tints its row and its bytes on the page; going to them shows the
        // page of its first byte.
        auto click = [&](int row) {
            const CRect rect = view->GetGrid()->ClientRect(row, CValEditView::COL_VALUE);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              QPoint(rect.left + 4, rect.top + 4));
        };
        const CGrid* page = doc->GetView<CKestrinView>()->GetGrid();
        click(2);
        QVERIFY(view->GetGrid()->Cell(2, CValEditView::COL_NAME).m_nStyle & GCS_TINT);
        QCOMPARE(TintedBytes(page), (QList<int>{10, 11, 12, 13}));
        click(4);
        QVERIFY(!(view->GetGrid()->Cell(2, CValEditView::COL_NAME).m_nStyle & GCS_TINT));
        QVERIFY(TintedBytes(page).isEmpty());
        Frame()->MDIGetActive()->SetActiveView(view);
        QVERIFY(Frame()->SendCommand(ID_VALUE_SHOW_BYTES));
        QCOMPARE(doc->GetPageOffset(), ULONGLONG(512));
        QCOMPARE(TintedBytes(page), (QList<int>{202, 203, 204, 205}));

        // A second definition replaces the first's types and rows; the base types stay.
        dialogs.answer = Path("second.stm");
        QVERIFY(Frame()->SendCommand(ID_STRMDEF_OPEN));
        QCOMPARE(types.size(), std::size_t(19));
        QCOMPARE(types[0].get(), intType);
        QCOMPARE(TopLevelNames(view), QStringList{"e"});
        QCOMPARE(Items(combo), (QStringList{"second", "first"}));
        // Picking an item loads its file again.
        combo->setCurrentIndex(1);
        QVERIFY(Frame()->SendCommand(IDC_STRMDEF_COMBO, CBN_SELCHANGE));
        QCOMPARE(TopLevelNames(view), (QStringList{"a", "n", "big", "last"}));
        QCOMPARE(Items(combo), (QStringList{"first", "second"}));

        // A damaged file and a vanished one are reported and change nothing; the vanished one
        // leaves the list.
        dialogs.answer = Path("damaged.stm");
        QVERIFY(Frame()->SendCommand(ID_STRMDEF_OPEN));
        QVERIFY(QFile::remove(Path("second.stm")));
        combo->setCurrentIndex(1);
        QVERIFY(Frame()->SendCommand(IDC_STRMDEF_COMBO, CBN_SELCHANGE));
        QCOMPARE(boxes.texts, (QStringList{QString::fromUtf16(kMsgDamagedStrmDef),
                                           QString::fromUtf16(kMsgLoadFailed)}));
        QCOMPARE(types.size(), std::size_t(21));
        QCOMPARE(TopLevelNames(view), (QStringList{"a", "n", "big", "last"}));
        QCOMPARE(Items(combo), QStringList{"first"});
        QCOMPARE(m_fixture->App()->m_aStrmDefPath, QStringList{Path("first.stm")});
    }

    void columnsPagingAndPanes() {
        MakeCompoundFile(Path("pages.cfb"), {{QStringLiteral("0"), QByteArray()},
                                             {QStringLiteral("256"), QByteArray(256, 'x')},
                                             {QStringLiteral("257"), QByteArray(257, 'x')},
                                             {QStringLiteral("300"), QByteArray(300, 'x')}});
        Frame()->show();
        CKestrinDoc* doc = m_fixture->Open(Path("pages.cfb"));
        auto* view = doc->GetView<CValEditView>();
        // The commands run 定義, 変数名, 値, 位置, コメント; the columns 定義, 変数名, 位置, 値.
        const int columns[] = {0, 1, 3, 2, 4};
        for (UINT id = ID_COLUMN_DEFINITION; id <= ID_COLUMN_COMMENT; ++id) {
            const int column = columns[id - ID_COLUMN_DEFINITION];
            for (const bool shown : {false, true}) {
                QVERIFY(Frame()->SendCommand(id));
                QCOMPARE(bool(doc->IsColumnShown(column)), shown);
                QCOMPARE(Checked(id), shown);
                QCOMPARE(view->GetGrid()->GetColWidth(column) > 1, shown);
            }
        }

        // Which of first, previous, next and last are enabled, before and after going last.
        auto enabled = [&] {
            QString marks;
            for (UINT id = ID_PAGE_FIRST; id <= ID_PAGE_LAST; ++id)
                marks += Frame()->IsCommandEnabled(id) ? u'+' : u'-';
            return marks;
        };
        const std::pair<const char*, const char*> paging[] = {
            {"0", "----"}, {"256", "----"}, {"257", "--++"}, {"300", "--++"}};
        for (const auto& [name, before] : paging) {
            Select(doc, QString::fromLatin1(name));
            QCOMPARE(enabled(), QString::fromLatin1(before));
            if (Frame()->SendCommand(ID_PAGE_LAST)) {
                QCOMPARE(doc->GetPageOffset(), ULONGLONG(256));
                QCOMPARE(enabled(), QStringLiteral("++--"));
            }
        }
        TreeOf(doc)->setCurrentItem(TreeOf(doc)->GetRootItem());
        QCOMPARE(enabled(), QStringLiteral("----"));

        // F6 and Shift+F6 take the focus round tree, page and typed values.
        CFrameWnd* child = Frame()->MDIGetActive();
        QApplication::setActiveWindow(Frame());
        std::vector<CView*> order;
        for (const UINT id : {ID_NEXT_PANE, ID_NEXT_PANE, ID_NEXT_PANE, ID_PREV_PANE}) {
            QVERIFY(Frame()->SendCommand(id));
            order.push_back(child->GetActiveView());
            QVERIFY(order.back()->GetWidget()->hasFocus());
        }
        QCOMPARE(order[1], static_cast<CView*>(view));
        QCOMPARE(order[2], dynamic_cast<CView*>(TreeOf(doc)));
        QCOMPARE(order[3], static_cast<CView*>(view));
    }
};

QTEST_MAIN(StrmDefCommandsTest)
#include "strmdef_commands_test.moc"
