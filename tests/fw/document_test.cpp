// Documents: updates reach every view but the sender at once; closing asks to save through
// the message-box seam; titles follow the path; new documents are saved under a name asked
// for through the file-dialog seam.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

#include "fw_test_support.h"
#include "recent_file_list.h"

class DocumentTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    std::unique_ptr<TestApp> m_app;
    CMDIFrameWnd* m_main = nullptr;

    TestDoc* OpenDoc(const QString& path) {
        return static_cast<TestDoc*>(m_app->Template(1)->OpenDocumentFile(path));
    }
    int Windows() const { return m_main->GetMDIClient()->subWindowList().size(); }
    void CloseActiveWindow() {
        m_main->MDIGetActive()->GetSubWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_app = std::make_unique<TestApp>();
        QVERIFY(m_app->InitInstance());
        m_main = m_app->m_pMainWnd;
        TestDoc::destroyed = 0;
    }
    void cleanup() { m_app.reset(); }

    void updateReachesEveryViewButTheSenderAtOnce() {
        TestDoc* doc = OpenDoc({});
        auto* second = new TestView;
        doc->AddView(second);
        TestView* first = FirstView(doc);
        first->updates.clear();
        CObject hintObject;
        doc->UpdateAllViews(first, 7, &hintObject);
        QVERIFY(first->updates.empty());
        QCOMPARE(second->updates.size(), size_t{1});
        QCOMPARE(second->updates[0].sender, first);
        QCOMPARE(second->updates[0].hint, 7L);
        QCOMPARE(second->updates[0].object, &hintObject);
        doc->UpdateAllViews(nullptr);
        QCOMPARE(first->updates.size(), size_t{1});
        QCOMPARE(second->updates.size(), size_t{2});
        delete second;
    }

    void initialUpdateReachesTheViewOnce() {
        TestDoc* doc = OpenDoc({});
        QCOMPARE(FirstView(doc)->updates.size(), size_t{1});
        QCOMPARE(FirstView(doc)->updates[0].sender, nullptr);
    }

    void openingTitlesTheDocumentWithTheFileName() {
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        QCOMPARE(doc->opened, QStringList{QStringLiteral("/data/one.tst")});
        QCOMPARE(doc->GetPathName(), QStringLiteral("/data/one.tst"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("one.tst"));
        QCOMPARE(m_main->MDIGetActive()->windowTitle(), QStringLiteral("one.tst"));
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Test - one.tst"));
        QCOMPARE((*m_app->GetRecentFileList())[0], QStringLiteral("/data/one.tst"));
    }

    void unmodifiedDocumentClosesWithoutAsking() {
        RecordingMessageBox boxes;
        OpenDoc(QStringLiteral("/data/one.tst"));
        CloseActiveWindow();
        QVERIFY(boxes.texts.isEmpty());
        QCOMPARE(TestDoc::destroyed, 1);
        QCOMPARE(Windows(), 0);
        QVERIFY(m_app->Template(1)->GetDocuments().empty());
    }

    void yesSavesThenCloses() {
        RecordingMessageBox boxes;
        boxes.answers = {IDYES};
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        doc->SetModifiedFlag(true);
        CloseActiveWindow();
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("one.tst への変更を保存しますか?")});
        QCOMPARE(TestDoc::destroyed, 1);
        QCOMPARE(Windows(), 0);
    }

    void yesSavesUnderTheDocumentsPath() {
        RecordingMessageBox boxes;
        boxes.answers = {IDYES};
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        doc->SetModifiedFlag(true);
        QVERIFY(doc->SaveModified());
        QCOMPARE(doc->saved, QStringList{QStringLiteral("/data/one.tst")});
        QVERIFY(!doc->IsModified());
    }

    void noDropsTheChanges() {
        RecordingMessageBox boxes;
        boxes.answers = {IDNO, IDNO};
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        doc->SetModifiedFlag(true);
        QVERIFY(doc->SaveModified());
        QVERIFY(doc->saved.isEmpty());
        CloseActiveWindow();
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(TestDoc::destroyed, 1);
    }

    void cancelKeepsTheDocumentOpen() {
        RecordingMessageBox boxes;
        boxes.answers = {IDCANCEL};
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        doc->SetModifiedFlag(true);
        CloseActiveWindow();
        QCOMPARE(boxes.texts.size(), 1);
        QVERIFY(doc->saved.isEmpty());
        QCOMPARE(TestDoc::destroyed, 0);
        QCOMPARE(Windows(), 1);
        QCOMPARE(m_app->Template(1)->GetDocuments().size(), size_t{1});
    }

    void closingTheMainWindowAsksForEveryModifiedDocument() {
        RecordingMessageBox boxes;
        boxes.answers = {IDNO, IDCANCEL};
        OpenDoc(QStringLiteral("/data/one.tst"))->SetModifiedFlag(true);
        OpenDoc(QStringLiteral("/data/two.tst"))->SetModifiedFlag(true);
        QVERIFY(!m_main->close());
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(TestDoc::destroyed, 0);
    }

    void newDocumentIsSavedUnderTheNameAskedFor() {
        ScriptedFileDialog dialogs;
        dialogs.answer = QStringLiteral("/data/chosen.tst");
        TestDoc* doc = OpenDoc({});
        doc->SetModifiedFlag(true);
        QVERIFY(doc->DoFileSave());
        QCOMPARE(dialogs.asked.size(), size_t{1});
        QCOMPARE(dialogs.asked[0].lpstrFile, QStringLiteral("Test1.tst"));
        QVERIFY(!dialogs.asked[0].bOpenFileDialog);
        QCOMPARE(dialogs.asked[0].lpstrDefExt, QStringLiteral("tst"));
        QCOMPARE(doc->saved, QStringList{QStringLiteral("/data/chosen.tst")});
        QCOMPARE(doc->GetPathName(), QStringLiteral("/data/chosen.tst"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("chosen.tst"));
    }

    void cancelledSaveAsWritesNothing() {
        ScriptedFileDialog dialogs;
        TestDoc* doc = OpenDoc({});
        QVERIFY(!doc->DoSave({}));
        QVERIFY(doc->saved.isEmpty());
        QVERIFY(doc->GetPathName().isEmpty());
    }

    void secondWindowNumbersTheTitles() {
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        QVERIFY(m_main->SendCommand(ID_WINDOW_NEW));
        QCOMPARE(Windows(), 2);
        QCOMPARE(doc->GetViews().size(), size_t{2});
        QStringList titles;
        for (QMdiSubWindow* window : m_main->GetMDIClient()->subWindowList())
            titles << window->widget()->windowTitle();
        titles.sort();
        QCOMPARE(titles, (QStringList{QStringLiteral("one.tst:1"), QStringLiteral("one.tst:2")}));
        CloseActiveWindow(); // not the last window: the document stays
        QCOMPARE(TestDoc::destroyed, 0);
        QCOMPARE(doc->GetViews().size(), size_t{1});
        QCOMPARE(m_main->MDIGetActive()->windowTitle(), QStringLiteral("one.tst"));
    }
};

QTEST_MAIN(DocumentTest)
#include "document_test.moc"
