// Documents and their templates: a file goes to the template of its extension, else to the
// first; New asks which kind only when there are two; updates reach every view but the
// sender; titles follow the path and the windows; closing asks to save through the
// message-box seam; new documents are saved under a name asked for through the file dialog.
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
        TestView* first = FirstView(doc);
        QCOMPARE(first->updates.size(), size_t{1}); // the initial update
        QCOMPARE(first->updates[0].sender, nullptr);
        auto* second = new TestView;
        doc->AddView(second);
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

    void titlesFollowThePathAndTheWindows() {
        TestDoc* doc = OpenDoc(QStringLiteral("/data/one.tst"));
        QCOMPARE(doc->opened, QStringList{QStringLiteral("/data/one.tst")});
        QCOMPARE(doc->GetPathName(), QStringLiteral("/data/one.tst"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("one.tst"));
        QCOMPARE(m_main->MDIGetActive()->windowTitle(), QStringLiteral("one.tst"));
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Test - one.tst"));
        QCOMPARE((*m_app->GetRecentFileList())[0], QStringLiteral("/data/one.tst"));

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

    // Before a document closes it asks, only when modified: Yes saves it under its own path,
    // No lets it close with the changes dropped, Cancel keeps it open. Each row asks first
    // and then closes the window with the same answer.
    void closingAsksToSave_data() {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("closed");
        QTest::newRow("unmodified") << false << IDCANCEL << 0 << false << true;
        QTest::newRow("yes") << true << IDYES << 1 << true << true;
        QTest::newRow("no") << true << IDNO << 2 << false << true;
        QTest::newRow("cancel") << true << IDCANCEL << 2 << false << false;
    }
    void closingAsksToSave() {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(int, asked);
        QFETCH(bool, saved);
        QFETCH(bool, closed);
        RecordingMessageBox boxes;
        boxes.answers = {answer, answer};
        const QString path = QStringLiteral("/data/one.tst");
        TestDoc* doc = OpenDoc(path);
        doc->SetModifiedFlag(modified);
        QCOMPARE(doc->SaveModified(), closed);
        QCOMPARE(doc->saved, saved ? QStringList{path} : QStringList{});
        CloseActiveWindow();
        QCOMPARE(boxes.texts.size(), asked);
        if (asked > 0)
            QCOMPARE(boxes.texts[0], QStringLiteral("one.tst への変更を保存しますか?"));
        QCOMPARE(TestDoc::destroyed, closed ? 1 : 0);
        QCOMPARE(Windows(), closed ? 0 : 1);
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
        TestDoc* doc = OpenDoc({});
        doc->SetModifiedFlag(true);
        QVERIFY(!doc->DoFileSave()); // cancelled: nothing written
        QVERIFY(doc->saved.isEmpty());
        QVERIFY(doc->GetPathName().isEmpty());
        dialogs.answer = QStringLiteral("/data/chosen.tst");
        QVERIFY(doc->DoFileSave());
        QCOMPARE(dialogs.asked.size(), size_t{2});
        QCOMPARE(dialogs.asked[1].lpstrFile, QStringLiteral("Test1.tst"));
        QVERIFY(!dialogs.asked[1].bOpenFileDialog);
        QCOMPARE(dialogs.asked[1].lpstrDefExt, QStringLiteral("tst"));
        QCOMPARE(doc->saved, QStringList{QStringLiteral("/data/chosen.tst")});
        QCOMPARE(doc->GetPathName(), QStringLiteral("/data/chosen.tst"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("chosen.tst"));
    }

    // A file goes to the template of its extension, in any case, else to the first one; an
    // open file, however its path is spelled, brings its window back.
    void openingChoosesTheTemplateOnce() {
        const std::pair<const char*, int> paths[] = {
            {"/a/one.tst", 1}, {"/a/two.TST", 1}, {"/a/b.tst.doc", 0}, {"/a/no-extension", 0}};
        for (const auto& [path, kind] : paths)
            QCOMPARE(m_app->OpenDocumentFile(QString::fromLatin1(path))->GetDocTemplate(),
                     m_app->Template(kind));
        CDocument* first = m_app->Template(1)->GetDocuments().front();
        QCOMPARE(m_app->OpenDocumentFile(QStringLiteral("/a/../a/one.tst")), first);
        QCOMPARE(Windows(), 4);
        QCOMPARE(m_main->GetActiveDocument(), first);
    }

    void newAsksWhichKindWhenThereAreTwo() {
        ScriptedChooser chooser;
        m_main->SendCommand(ID_FILE_NEW); // cancelled
        QCOMPARE(Windows(), 0);
        chooser.answer = 1;
        QVERIFY(m_main->SendCommand(ID_FILE_NEW));
        const QStringList kinds = {QStringLiteral("Cfb file"), QStringLiteral("Test file")};
        QCOMPARE(chooser.asked, (QList<QStringList>{kinds, kinds}));
        QCOMPARE(m_app->Template(1)->GetDocuments().size(), size_t{1});
        QCOMPARE(m_app->Template(0)->GetDocuments().size(), size_t{0});
    }

    void newWithOneKindDoesNotAsk() {
        ScriptedChooser chooser;
        m_app.reset();
        TestApp single;
        single.AddDocTemplate(TestApp::MakeTemplate(IDR_TSTTYPE));
        single.m_pMainWnd = new CMDIFrameWnd;
        QVERIFY(single.m_pMainWnd->LoadFrame(IDR_TESTFRAME));
        single.m_pMainWnd->SendCommand(ID_FILE_NEW);
        QVERIFY(chooser.asked.isEmpty());
        QCOMPARE(single.GetDocTemplates()[0]->GetDocuments().size(), size_t{1});
    }

    void openDialogShowsEveryFileFirst() {
        ScriptedFileDialog dialogs;
        m_main->SendCommand(ID_FILE_OPEN);
        QCOMPARE(dialogs.asked.size(), size_t{1});
        const OPENFILENAME& ofn = dialogs.asked[0];
        QVERIFY(ofn.bOpenFileDialog);
        QVERIFY(ofn.Flags & OFN_FILEMUSTEXIST);
        QCOMPARE(ofn.lpstrFilter,
                 QStringLiteral("Test files (*.tst)|*.tst|すべてのﾌｧｲﾙ (*.*)|*.*||"));
        QCOMPARE(ofn.nFilterIndex, 2);
        QCOMPARE(Windows(), 0); // cancelled
    }
};

QTEST_MAIN(DocumentTest)
#include "document_test.moc"
