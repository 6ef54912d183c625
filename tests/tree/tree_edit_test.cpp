// Editing the structure from the tree: renaming by label edit, deleting with the Delete key,
// creating storages and streams under free names with the label edit that follows. Failures
// are reported through the message box and leave the tree as it was.
#include <QLineEdit>

#include "doc_test_support.h"
#include "resource_ids.h"

class TreeEditTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<KestrinFixture> m_fixture;
    CKestrinDoc* m_doc = nullptr;
    CStgTreeView* m_tree = nullptr;

    QTreeWidgetItem* Root() const { return m_tree->GetRootItem(); }
    QTreeWidgetItem* Top(const QString& name) const { return Child(Root(), name); }
    QLineEdit* LabelEditor() const { return m_tree->viewport()->findChild<QLineEdit*>(); }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_fixture = std::make_unique<KestrinFixture>();
        const QString path = m_files.filePath(QStringLiteral("edit.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("One"), QByteArray("1")},
                                {QStringLiteral("Two"), QByteArray("2")},
                                {QStringLiteral("Box"), std::nullopt},
                                {QStringLiteral("Box/In"), QByteArray("in")}});
        m_doc = m_fixture->Open(path);
        m_tree = TreeOf(m_doc);
        m_tree->resize(300, 400);
    }
    void cleanup() { m_fixture.reset(); }

    void renamingChangesTheElementAndTheItem() {
        QTreeWidgetItem* one = Top(QStringLiteral("One"));
        m_tree->setCurrentItem(one);
        m_tree->OnEndLabelEdit(one, QStringLiteral("Uno"));
        QCOMPARE(one->text(0), QStringLiteral("Uno"));
        QVERIFY(m_doc->IsModified());
        QCOMPARE(m_tree->GetCurItem(), one);
        QCOMPARE(m_doc->GetLockDepth(), 0);
        m_tree->FillChildren(m_doc->GetRootStorage(), Root());
        QVERIFY(Top(QStringLiteral("Uno")));
        QVERIFY(!Top(QStringLiteral("One")));
    }

    void renamingOntoASiblingIsReportedAndKeepsTheOldName() {
        RecordingMessageBox boxes;
        QTreeWidgetItem* one = Top(QStringLiteral("One"));
        m_tree->setCurrentItem(one);
        m_tree->OnEndLabelEdit(one, QStringLiteral("Two"));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts[0].contains(QStringLiteral("RenameElement")));
        QCOMPARE(one->text(0), QStringLiteral("One"));
        QVERIFY(!m_doc->IsModified());
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }

    void theRootKeepsItsName() {
        m_tree->OnEndLabelEdit(Root(), QStringLiteral("x"));
        QCOMPARE(Root()->text(0), QStringLiteral("/"));
        QVERIFY(!m_doc->IsModified());
    }

    void theLabelEditorRenamesWhenItIsCommitted() {
        m_tree->show();
        QTreeWidgetItem* two = Top(QStringLiteral("Two"));
        m_tree->setCurrentItem(two);
        m_tree->editItem(two, 0);
        QLineEdit* editor = LabelEditor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("Two"));
        editor->setText(QStringLiteral("Deux"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits from a queued call
        QCOMPARE(two->text(0), QStringLiteral("Deux"));
        QVERIFY(m_doc->IsModified());
    }

    void deleteKeyRemovesTheElementAndSelectsItsParent() {
        QTreeWidgetItem* box = Top(QStringLiteral("Box"));
        m_tree->expandItem(box);
        m_tree->setCurrentItem(Child(box, QStringLiteral("In")));
        QTest::keyClick(m_tree, Qt::Key_Delete);
        QCOMPARE(ChildTexts(box), QStringList{});
        QCOMPARE(m_tree->GetCurItem(), box);
        QVERIFY(m_doc->IsModified());
        QCOMPARE(m_doc->GetLockDepth(), 0);
        m_tree->collapseItem(box);
        m_tree->expandItem(box);
        QCOMPARE(box->childCount(), 0);
    }

    void deleteKeyOnTheRootDoesNothing() {
        m_tree->setCurrentItem(Root());
        QTest::keyClick(m_tree, Qt::Key_Delete);
        QCOMPARE(Root()->childCount(), 3);
        QVERIFY(!m_doc->IsModified());
    }

    void shiftDeleteReleaseDeletesNothing() {
        m_tree->setCurrentItem(Top(QStringLiteral("One")));
        QTest::keyRelease(m_tree, Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(Top(QStringLiteral("One")));
    }

    void threeNewStoragesTakeFreeNamesAndOpenTheirLabels() {
        m_tree->show();
        const QString base = QString::fromUtf16(u"新しいストレージ");
        for (int i = 0; i < 3; ++i) {
            m_tree->setCurrentItem(Root()); // ends the label edit before
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!LabelEditor());
            QVERIFY(m_fixture->Frame()->SendCommand(ID_NEW_STORAGE));
            QCOMPARE(m_doc->GetLockDepth(), 0);
            const QString name = i == 0 ? base : base + QStringLiteral(" (%1)").arg(i);
            QCOMPARE(m_tree->GetCurItem()->text(0), name);
            QVERIFY(LabelEditor());
            QCOMPARE(LabelEditor()->text(), name);
        }
        QVERIFY(Top(base) && Top(base + QStringLiteral(" (1)")) &&
                Top(base + QStringLiteral(" (2)")));
        QVERIFY(m_doc->IsModified());
    }

    void newStreamTakesTheNextFreeName() {
        const QString base = QString::fromUtf16(u"新しいストリーム");
        QTreeWidgetItem* box = Top(QStringLiteral("Box"));
        m_tree->setCurrentItem(box);
        QString first;
        m_tree->CreateNewStream(first, FALSE);
        m_tree->setCurrentItem(box);
        QString second;
        m_tree->CreateNewStream(second, FALSE);
        QCOMPARE(first, base);
        QCOMPARE(second, base + QStringLiteral(" (1)"));
        QCOMPARE(ChildTexts(box),
                 (QStringList{QStringLiteral("In"), base, base + QStringLiteral(" (1)")}));
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }

    void newElementsNeedAStorageToBeCurrent() {
        m_tree->setCurrentItem(Top(QStringLiteral("One")));
        QVERIFY(!m_fixture->Frame()->SendCommand(ID_NEW_STREAM));
        QCOMPARE(Root()->childCount(), 3);
    }
};

QTEST_MAIN(TreeEditTest)
#include "tree_edit_test.moc"
