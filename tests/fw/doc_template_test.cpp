// Templates: a file goes to the template whose extension it has, else to the first one;
// New asks which kind only when there are two; new documents are numbered.
#include <QMdiArea>
#include <QtTest>

#include "fw_test_support.h"

class DocTemplateTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    std::unique_ptr<TestApp> m_app;

    int Windows() const { return m_app->m_pMainWnd->GetMDIClient()->subWindowList().size(); }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_app = std::make_unique<TestApp>();
        QVERIFY(m_app->InitInstance());
    }
    void cleanup() { m_app.reset(); }

    void templateStringHasSevenFields() {
        CDocTemplate* tst = m_app->Template(1);
        QCOMPARE(tst->GetDocString(CDocTemplate::windowTitle), QString());
        QCOMPARE(tst->GetDocString(CDocTemplate::docName), QStringLiteral("Test"));
        QCOMPARE(tst->GetDocString(CDocTemplate::fileNewName), QStringLiteral("Test file"));
        QCOMPARE(tst->GetDocString(CDocTemplate::filterExt), QStringLiteral(".tst"));
        QCOMPARE(tst->GetDocString(CDocTemplate::regFileTypeName), QStringLiteral("Test"));
        QCOMPARE(m_app->Template(0)->GetDocString(CDocTemplate::filterExt), QString());
    }

    void matchIsByExtensionInAnyCase() {
        CDocument* match = nullptr;
        CDocTemplate* tst = m_app->Template(1);
        QCOMPARE(tst->MatchDocType(QStringLiteral("/a/b.tst"), match),
                 CDocTemplate::yesAttemptNative);
        QCOMPARE(tst->MatchDocType(QStringLiteral("/a/B.TST"), match),
                 CDocTemplate::yesAttemptNative);
        QCOMPARE(tst->MatchDocType(QStringLiteral("/a/b.tst.doc"), match),
                 CDocTemplate::yesAttemptForeign);
        QCOMPARE(m_app->Template(0)->MatchDocType(QStringLiteral("/a/b.tst"), match),
                 CDocTemplate::yesAttemptForeign);
    }

    void fileGoesToTheTemplateOfItsExtension() {
        CDocument* doc = m_app->OpenDocumentFile(QStringLiteral("/a/defs.TST"));
        QVERIFY(doc);
        QCOMPARE(doc->GetDocTemplate(), m_app->Template(1));
    }

    void anyOtherFileGoesToTheFirstTemplate() {
        for (const char* path : {"/a/file.doc", "/a/no-extension", "/a/archive.stm"}) {
            CDocument* doc = m_app->OpenDocumentFile(QString::fromLatin1(path));
            QVERIFY(doc);
            QCOMPARE(doc->GetDocTemplate(), m_app->Template(0));
        }
    }

    void openingAnOpenFileBringsItsWindowBack() {
        CDocument* first = m_app->OpenDocumentFile(QStringLiteral("/a/one.tst"));
        m_app->OpenDocumentFile(QStringLiteral("/a/two.tst"));
        CDocument* again = m_app->OpenDocumentFile(QStringLiteral("/a/../a/one.tst"));
        QCOMPARE(again, first);
        QCOMPARE(Windows(), 2);
        QCOMPARE(m_app->m_pMainWnd->GetActiveDocument(), first);
        CDocument* match = nullptr;
        QCOMPARE(m_app->Template(1)->MatchDocType(QStringLiteral("/a/one.tst"), match),
                 CDocTemplate::yesAlreadyOpen);
        QCOMPARE(match, first);
    }

    void newAsksWhichKindWhenThereAreTwo() {
        ScriptedChooser chooser;
        chooser.answer = 1;
        QVERIFY(m_app->m_pMainWnd->SendCommand(ID_FILE_NEW));
        const QStringList kinds = {QStringLiteral("Cfb file"), QStringLiteral("Test file")};
        QCOMPARE(chooser.asked, QList<QStringList>{kinds});
        QCOMPARE(m_app->Template(1)->GetDocuments().size(), size_t{1});
        QCOMPARE(m_app->Template(0)->GetDocuments().size(), size_t{0});
    }

    void cancelledNewMakesNothing() {
        ScriptedChooser chooser;
        chooser.answer = -1;
        m_app->m_pMainWnd->SendCommand(ID_FILE_NEW);
        QCOMPARE(chooser.asked.size(), 1);
        QCOMPARE(Windows(), 0);
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

    void newDocumentsAreNumbered() {
        CDocTemplate* tst = m_app->Template(1);
        QCOMPARE(tst->OpenDocumentFile({})->GetTitle(), QStringLiteral("Test1"));
        QCOMPARE(tst->OpenDocumentFile({})->GetTitle(), QStringLiteral("Test2"));
        QVERIFY(tst->GetDocuments().front()->GetPathName().isEmpty());
    }

    void openDialogShowsEveryFileFirst() {
        ScriptedFileDialog dialogs;
        m_app->m_pMainWnd->SendCommand(ID_FILE_OPEN);
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

QTEST_MAIN(DocTemplateTest)
#include "doc_template_test.moc"
