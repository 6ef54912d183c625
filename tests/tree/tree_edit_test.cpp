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
    // Types text into the label editor of item and commits it with Return.
    void EditLabel(QTreeWidgetItem* item, const QString& text) {
        m_tree->setCurrentItem(item);
        m_tree->editItem(item, 0);
        QLineEdit* editor = LabelEditor();
        QVERIFY(editor);
        QCOMPARE(editor->text(), item->text(0));
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits from a queued call
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_fixture = std::make_unique<KestrinFixture>();
        const QString path = m_files.filePath(QStringLiteral("edit.cfb"));
        MakeCompoundFile(path, {{QStringLiteral("One"), QByteArray("1")},
                                {QStringLiteral("Two"), QByteArray("2")},
                                {QStringLiteral("DATA"), QByteArray("keep")},
                                {QStringLiteral("Box"), std::nullopt},
                                {QStringLiteral("Box/In"), QByteArray("in")}});
        m_doc = m_fixture->Open(path);
        m_tree = TreeOf(m_doc);
        m_tree->resize(300, 400);
        m_tree->show();
        m_tree->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_tree));
    }
    void cleanup() { m_fixture.reset(); }

    void renamingThroughTheLabelEditor() {
        RecordingMessageBox boxes;
        m_tree->OnEndLabelEdit(Root(), QStringLiteral("x"));
        QCOMPARE(Root()->text(0), QStringLiteral("/"));
        QVERIFY(!m_doc->IsModified());

        QTreeWidgetItem* one = Top(QStringLiteral("One"));
        EditLabel(one, QStringLiteral("Uno"));
        QCOMPARE(one->text(0), QStringLiteral("Uno"));
        QVERIFY(m_doc->IsModified());
        QCOMPARE(m_doc->GetLockDepth(), 0);
        m_tree->FillChildren(m_doc->GetRootStorage(), Root());
        QVERIFY(Top(QStringLiteral("Uno")) && !Top(QStringLiteral("One")));

        // Onto a sibling: refused and reported; the keyboard still works on the element.
        QTreeWidgetItem* uno = Top(QStringLiteral("Uno"));
        EditLabel(uno, QStringLiteral("Two"));
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(boxes.texts[0].contains(QStringLiteral("RenameElement")));
        QCOMPARE(uno->text(0), QStringLiteral("Uno"));
        QCOMPARE(QApplication::focusWidget(), m_tree);
        QCOMPARE(m_tree->currentItem(), uno);
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }

    void deleteKeyRemovesTheElementAndSelectsItsParent() {
        m_tree->setCurrentItem(Root());
        QTest::keyClick(m_tree, Qt::Key_Delete);
        m_tree->setCurrentItem(Top(QStringLiteral("One")));
        QTest::keyRelease(m_tree, Qt::Key_Delete, Qt::ShiftModifier); // cut has deleted
        QCOMPARE(Root()->childCount(), 4);
        QVERIFY(!m_doc->IsModified());

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

    void newElementsTakeFreeNames() {
        const QString storage = QString::fromUtf16(u"新しいストレージ");
        for (int i = 0; i < 3; ++i) {
            m_tree->setCurrentItem(Root()); // ends the label edit before
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!LabelEditor());
            QVERIFY(m_fixture->Frame()->SendCommand(ID_NEW_STORAGE));
            QCOMPARE(m_doc->GetLockDepth(), 0);
            const QString name = i == 0 ? storage : storage + QStringLiteral(" (%1)").arg(i);
            QCOMPARE(m_tree->GetCurItem()->text(0), name);
            QVERIFY(LabelEditor());
            QCOMPARE(LabelEditor()->text(), name);
        }
        QVERIFY(m_doc->IsModified());

        const QString stream = QString::fromUtf16(u"新しいストリーム");
        QTreeWidgetItem* box = Top(QStringLiteral("Box"));
        QStringList made;
        for (int i = 0; i < 2; ++i) {
            m_tree->setCurrentItem(box);
            QString name;
            m_tree->CreateNewStream(name, FALSE);
            made << name;
        }
        QCOMPARE(made, (QStringList{stream, stream + QStringLiteral(" (1)")}));
        QCOMPARE(ChildTexts(box), (QStringList{QStringLiteral("In")} + made));

        // A name taken but for case is taken: the element of that name keeps its bytes.
        m_tree->setCurrentItem(Root());
        QString data = QStringLiteral("data");
        m_tree->CreateNewStream(data, FALSE);
        QCOMPARE(data, QStringLiteral("data (1)"));
        m_tree->setCurrentItem(Top(QStringLiteral("DATA")));
        QCOMPARE(CurrentStreamBytes(m_doc), QByteArray("keep"));

        m_tree->setCurrentItem(Top(QStringLiteral("One")));
        QVERIFY(!m_fixture->Frame()->SendCommand(ID_NEW_STREAM));
        QCOMPARE(m_doc->GetLockDepth(), 0);
    }
};

QTEST_MAIN(TreeEditTest)
#include "tree_edit_test.moc"
