// The tree shows the file lazily: the root's children at once, a storage's children when it
// is expanded (read again on every expansion and collapse), expand buttons only on storages
// that hold something, names painted with control characters escaped; selection makes an
// element current; the context menu appears only over an item.
#include <QMenu>

#include "doc_test_support.h"
#include "element_name_delegate.h"
#include "element_name_text.h"
#include "resource_ids.h"

namespace {

// Records the context menu instead of showing it: its command ids, "[text]" for a popup.
class RecordingTree : public CStgTreeView {
public:
    QStringList shown;

protected:
    void TrackPopupMenu(QMenu* menu, const QPoint&) override {
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                shown << (action->menu() ? QStringLiteral("[%1]").arg(action->text())
                                         : QString::number(action->data().toUInt()));
        }
    }
};

} // namespace

class StgTreeViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    QString Sample() {
        const QString path = m_files.filePath(QStringLiteral("tree.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("zeta"), QByteArray("z")},
                                {QStringLiteral("Alpha"), QByteArray("a")},
                                {QStringLiteral("\x05SummaryInformation"), QByteArray("s")},
                                {QStringLiteral("Full"), std::nullopt},
                                {QStringLiteral("Full/Deep"), std::nullopt},
                                {QStringLiteral("Full/Deep/Leaf"), QByteArray("leaf")},
                                {QStringLiteral("Full/Item"), QByteArray("item")},
                                {QStringLiteral("empty"), std::nullopt}});
        return path;
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    // The root's children at once, sorted, with expand buttons only on storages that hold
    // something; a storage's children when it is expanded, read again on every expansion;
    // names painted with control characters escaped; selection makes an element current.
    void fillingExpandingAndSelecting() {
        CKestrinDoc* doc = m_fixture->Open(Sample());
        CStgTreeView* tree = TreeOf(doc);
        QTreeWidgetItem* root = tree->GetRootItem();
        QCOMPARE(root->text(0), QStringLiteral("/"));
        QVERIFY(root->isExpanded() && tree->rootIsDecorated());
        const QString summary = QStringLiteral("\x05SummaryInformation");
        QCOMPARE(ChildTexts(root),
                 (QStringList{QStringLiteral("empty"), QStringLiteral("Full"), summary,
                              QStringLiteral("Alpha"), QStringLiteral("zeta")}));
        QCOMPARE(CStgTreeView::ImageOf(Child(root, QStringLiteral("Full"))),
                 int(CStgTreeView::ImageStorage));
        QCOMPARE(CStgTreeView::ImageOf(Child(root, QStringLiteral("zeta"))),
                 int(CStgTreeView::ImageStream));
        QCOMPARE(Child(root, QStringLiteral("empty"))->childCount(), 0);
        QCOMPARE(tree->GetCurItem(), root);
        QCOMPARE(static_cast<QStyledItemDelegate*>(tree->itemDelegate())
                     ->displayText(tree->indexFromItem(Child(root, summary)).data(), QLocale()),
                 QStringLiteral("\\x05SummaryInformation"));
        QCOMPARE(EscapeElementName(QStringLiteral("a\x01\x7f")), QStringLiteral("a\\x01\\x7f"));

        QTreeWidgetItem* full = Child(root, QStringLiteral("Full"));
        QCOMPARE(ChildTexts(full), QStringList{QStringLiteral("1")});
        tree->expandItem(full);
        QCOMPARE(ChildTexts(full), (QStringList{QStringLiteral("Deep"), QStringLiteral("Item")}));
        QCOMPARE(ChildTexts(Child(full, QStringLiteral("Deep"))), QStringList{QStringLiteral("1")});
        QCOMPARE(tree->GetCurItem(), full);
        QString name = QStringLiteral("Later");
        tree->CreateNewStream(name, FALSE);
        tree->collapseItem(full);
        tree->expandItem(full);
        QCOMPARE(ChildTexts(full), (QStringList{QStringLiteral("Deep"), QStringLiteral("Item"),
                                                QStringLiteral("Later")}));

        doc->SetPageOffset(0x300);
        tree->setCurrentItem(Child(root, QStringLiteral("Alpha")));
        QCOMPARE(tree->GetCurrentName(), QStringLiteral("Alpha"));
        QVERIFY(!doc->GetCurIsStorage());
        QCOMPARE(doc->GetPageOffset(), ULONGLONG{0});
        QVERIFY(!m_fixture->Frame()->IsCommandEnabled(ID_NEW_STORAGE));
        QVERIFY(m_fixture->Frame()->IsCommandEnabled(ID_ELEMENT_DELETE));
        tree->setCurrentItem(full);
        QVERIFY(doc->GetCurIsStorage());
        QVERIFY(m_fixture->Frame()->IsCommandEnabled(ID_NEW_STREAM));
        QCOMPARE(doc->GetLockDepth(), 0);
    }

    void emptyRootHasNoButtonAndNoLinesAtTheRoot() {
        const QString path = m_files.filePath(QStringLiteral("empty.cfb"));
        MakeCompoundFile(path, {});
        CStgTreeView* tree = TreeOf(m_fixture->Open(path));
        QCOMPARE(tree->GetRootItem()->childCount(), 0);
        QVERIFY(!tree->rootIsDecorated());
    }

    void rightClickOnAnItemSelectsItAndShowsTheContextMenu() {
        auto* tree = new RecordingTree;
        CKestrinDoc* doc = m_fixture->Open(Sample());
        doc->AddView(tree);
        tree->OnInitialUpdate();
        tree->resize(300, 400);
        tree->show();
        QTreeWidgetItem* alpha = Child(tree->GetRootItem(), QStringLiteral("Alpha"));
        const QPoint onAlpha = tree->visualItemRect(alpha).center();
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, onAlpha);
        QCOMPARE(tree->GetCurItem(), alpha);
        QCOMPARE(tree->shown,
                 (QStringList{QStringLiteral("[新規作成]"), QString::number(ID_STREAM_RESIZE),
                              QString::number(ID_EDIT_CUT), QString::number(ID_EDIT_COPY),
                              QString::number(ID_EDIT_PASTE), QString::number(ID_ELEMENT_DELETE)}));
        tree->shown.clear();
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(10, 390));
        QVERIFY(tree->shown.isEmpty());
        QCOMPARE(tree->GetCurItem(), alpha);
        doc->RemoveView(tree);
        delete tree;
    }
};

QTEST_MAIN(StgTreeViewTest)
#include "stg_tree_view_test.moc"
