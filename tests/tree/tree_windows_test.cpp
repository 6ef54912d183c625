// One document in two windows: each window's tree works on its own items, the document's
// commands go to the active window's tree, a change made in one window shows in the other
// (which keeps its expanded storages and its current element where they still exist), and
// Save As hands the new file to both.
#include <QMdiArea>

#include "doc_test_support.h"
#include "resource_ids.h"

class TreeWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;

    void Activate(CStgTreeView* tree) {
        m_fixture->Frame()->GetMDIClient()->setActiveSubWindow(
            dynamic_cast<CMDIChildWnd*>(tree->GetParentFrame())->GetSubWindow());
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { m_fixture = std::make_unique<KestrinFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void twoWindowsOnOneDocument() {
        const QString path = m_files.filePath(QStringLiteral("two.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("Data"), QByteArray("d")},
                                {QStringLiteral("Keep"), QByteArray("k")},
                                {QStringLiteral("ObjectPool"), std::nullopt},
                                {QStringLiteral("ObjectPool/_1"), std::nullopt},
                                {QStringLiteral("ObjectPool/_1/Ole"), QByteArray("o")}});
        m_fixture->Frame()->show();
        CKestrinDoc* doc = m_fixture->Open(path);
        CStgTreeView* first = TreeOf(doc);
        QTreeWidgetItem* pool = Child(first->GetRootItem(), QStringLiteral("ObjectPool"));
        first->expandItem(pool);
        first->setCurrentItem(pool);

        QVERIFY(m_fixture->Frame()->SendCommand(ID_WINDOW_NEW));
        QCOMPARE(doc->GetTreeViews().size(), std::size_t(2));
        auto* second = dynamic_cast<CStgTreeView*>(doc->GetTreeViews()[1]);
        QCOMPARE(doc->GetTreeView(), second);
        const QStringList top{QStringLiteral("ObjectPool"), QStringLiteral("Data"),
                              QStringLiteral("Keep")};
        QCOMPARE(ChildTexts(second->GetRootItem()), top);

        // A stream made on "/" of the second window lands in the root, and the first window
        // shows it with ObjectPool still open and current.
        second->setCurrentItem(second->GetRootItem());
        QVERIFY(m_fixture->Frame()->SendCommand(ID_NEW_STREAM));
        const QString stream = QString::fromUtf16(u"新しいストリーム");
        QCOMPARE(ChildTexts(first->GetRootItem()), top + QStringList{stream});
        pool = Child(first->GetRootItem(), QStringLiteral("ObjectPool"));
        QVERIFY(pool->isExpanded());
        QCOMPARE(first->GetCurItem(), pool);
        QCOMPARE(first->currentItem(), pool);

        // The first window deletes what the second has open and current.
        QTreeWidgetItem* secondPool = Child(second->GetRootItem(), QStringLiteral("ObjectPool"));
        second->expandItem(secondPool);
        second->setCurrentItem(Child(secondPool, QStringLiteral("_1")));
        Activate(first);
        QCOMPARE(doc->GetTreeView(), first);
        first->setCurrentItem(Child(pool, QStringLiteral("_1")));
        QVERIFY(m_fixture->Frame()->SendCommand(ID_ELEMENT_DELETE));
        secondPool = Child(second->GetRootItem(), QStringLiteral("ObjectPool"));
        QCOMPARE(ChildTexts(secondPool), QStringList{});
        QCOMPARE(second->GetCurItem(), secondPool);

        // Save As from the second window: both trees work on the new file afterwards.
        Activate(second);
        ScriptedFileDialog dialogs;
        const QString saved = m_files.filePath(QStringLiteral("saved.cfb"));
        dialogs.answer = saved;
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE_AS));
        Activate(first);
        first->setCurrentItem(Child(first->GetRootItem(), QStringLiteral("Keep")));
        QVERIFY(m_fixture->Frame()->SendCommand(ID_ELEMENT_DELETE));
        QVERIFY(!Child(second->GetRootItem(), QStringLiteral("Keep")));
        secondPool = Child(second->GetRootItem(), QStringLiteral("ObjectPool")); // items renewed
        second->collapseItem(secondPool);
        second->expandItem(secondPool);
        QVERIFY(m_fixture->Frame()->SendCommand(ID_FILE_SAVE));
        QCOMPARE(OleList(saved), (QStringList{QStringLiteral("Data=1"),
                                              QStringLiteral("ObjectPool"), stream + "=0"}));
        QCOMPARE(doc->GetLockDepth(), 0);
    }
};

QTEST_MAIN(TreeWindowsTest)
#include "tree_windows_test.moc"
