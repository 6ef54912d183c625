// The framework in whole sessions, headless through its seams: opening, titles, closing with
// the save prompt, Save As, the recent files across a restart; commands walk view, document,
// frame, application, and update handlers set what the menus and toolbars show.
#include "recording_message_box.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <tuple>
#include <vector>

#include "cmd_ui.h"
#include "doc_template.h"
#include "document.h"
#include "file_dialog.h"
#include "mdi_child_wnd.h"
#include "mdi_frame_wnd.h"
#include "menu.h"
#include "recent_file_list.h"
#include "resources.h"
#include "tool_bar.h"
#include "view.h"
#include "win_app.h"

namespace {

constexpr UINT IDR_TESTFRAME = 300;
constexpr UINT IDR_CFBTYPE = 301;
constexpr UINT IDR_TSTTYPE = 302;
constexpr UINT ID_TEST_COMMAND = 33001;
constexpr UINT ID_TEST_CHECK = 33002;
constexpr UINT ID_TEST_APP_COMMAND = 33003;
constexpr UINT ID_TEST_UNHANDLED = 33004;

const StringResource kTestStrings[] = {
    {AFX_IDS_APP_TITLE, "Kestrin"},
    {IDR_TESTFRAME, "Test"},
    {IDR_CFBTYPE, "\nCfb\nCfb file\n\n\nTest.Cfb\nCfb"},
    {IDR_TSTTYPE, "\nTest\nTest file\nTest files (*.tst)\n.tst\nTest.Document\nTest"},
};
const MenuResource kTestMenus[] = {
    {IDR_TESTFRAME,
     {MenuPopup("&File",
                {MenuCommand(ID_FILE_NEW, "&New"), MenuCommand(ID_FILE_MRU_FILE1, "Recent"),
                 MenuCommand(ID_TEST_COMMAND, "&Test"), MenuCommand(ID_TEST_CHECK, "&Check"),
                 MenuCommand(ID_TEST_UNHANDLED, "&Nobody")}),
      MenuPopup("&Edit", {MenuCommand(ID_TEST_CHECK, "&Check"),
                          MenuPopup("&New", {MenuCommand(ID_TEST_COMMAND, "&Inner")})})}},
};
const ToolBarResource kTestToolBars[] = {
    {IDR_TESTFRAME, {ID_TEST_COMMAND, ID_SEPARATOR, ID_TEST_CHECK, ID_TEST_UNHANDLED}},
};
const ResourceTables kTestResources{kTestStrings, kTestMenus, kTestToolBars, {}, nullptr};

// Records what file dialogs are asked and answers with a path, or cancels.
class ScriptedFileDialog final : public FileDialogPresenter {
public:
    ScriptedFileDialog() : m_before(SetFileDialogPresenter(this)) {}
    ~ScriptedFileDialog() override { SetFileDialogPresenter(m_before); }
    std::optional<QString> Show(const OPENFILENAME& ofn) override {
        asked.push_back(ofn);
        return answer;
    }
    std::vector<OPENFILENAME> asked;
    std::optional<QString> answer;

private:
    FileDialogPresenter* m_before;
};

// Takes the test command only when told, so that it shows the view is asked first.
class TestView : public QWidget, public CView {
public:
    TestView() { OnCommandEx(ID_TEST_COMMAND, &TestView::OnTestCommand); }
    bool OnTestCommand(UINT) {
        commands += takes;
        return takes;
    }
    bool takes = false;
    int commands = 0;
};

// A document that records what the framework asks of it instead of touching files.
class TestDoc : public CDocument {
public:
    TestDoc() {
        OnCommand(ID_TEST_COMMAND, &TestDoc::OnTestCommand);
        OnUpdateCommand(ID_TEST_COMMAND, &TestDoc::OnUpdateTestCommand);
        OnUpdateCommand(ID_TEST_CHECK, &TestDoc::OnUpdateCheck);
    }
    ~TestDoc() override { ++destroyed; }
    bool OnOpenDocument(const QString&) override { return true; }
    bool OnSaveDocument(const QString& path) override {
        saved << path;
        SetModifiedFlag(false);
        return true;
    }
    void OnTestCommand() { ++commands; }
    // Greys a popup whose first item this is by position, as the popup rule asks.
    void OnUpdateTestCommand(CCmdUI* ui) {
        if (ui->m_pSubMenu)
            EnableMenuItem(ui->m_pMenu, ui->m_nIndex,
                           MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
        else
            ui->Enable(enabled);
    }
    void OnUpdateCheck(CCmdUI* ui) { ui->SetCheck(checked); }

    static inline int destroyed = 0;
    QStringList saved;
    int commands = 0;
    bool enabled = true;
    bool checked = false;
};

// A frame that looks at a command and hands it on.
class TestFrame : public CMDIChildWnd {
public:
    TestFrame() { OnCommandEx(ID_TEST_APP_COMMAND, &TestFrame::OnAppCommand); }
    bool OnAppCommand(UINT) {
        ++offered;
        return false;
    }
    int offered = 0;
};

// The application of the tests: two templates (compound files first, as the program
// registers them), a main frame, a command of its own, and its profile in a scratch folder.
class TestApp : public CWinApp {
public:
    TestApp() : CWinApp(QStringLiteral("Kestrin")) {
        OnCommand(ID_TEST_APP_COMMAND, &TestApp::OnAppCommand);
    }
    bool InitInstance() override {
        SetRegistryKey(QStringLiteral("Morrowfen"));
        LoadStdProfileSettings(10);
        for (UINT id : {IDR_CFBTYPE, IDR_TSTTYPE})
            AddDocTemplate(new CMultiDocTemplate(
                id, [] { return new TestDoc; }, [] { return new TestFrame; },
                [] { return new TestView; }));
        m_pMainWnd = new CMDIFrameWnd;
        return m_pMainWnd->LoadFrame(IDR_TESTFRAME);
    }
    CDocTemplate* Template(int index) const { return GetDocTemplates()[index].get(); }
    TestDoc* Open(const QString& path) {
        return static_cast<TestDoc*>(Template(1)->OpenDocumentFile(path));
    }
    void OnAppCommand() { ++appCommands; }
    int appCommands = 0;
};

} // namespace

class FrameworkTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    std::unique_ptr<TestApp> m_app;
    CMDIFrameWnd* m_main = nullptr;

    void Start() {
        m_app = std::make_unique<TestApp>();
        QVERIFY(m_app->InitInstance());
        m_main = m_app->m_pMainWnd;
    }
    int Windows() const { return m_main->GetMDIClient()->subWindowList().size(); }
    void CloseActiveWindow() {
        m_main->MDIGetActive()->GetSubWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QAction* Action(UINT id) { return m_main->GetCommandActions().Find(id); }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", m_profile.path().toUtf8());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_profile.path());
        AfxSetResources(&kTestResources);
    }
    void init() {
        QFile::remove(m_profile.filePath(QStringLiteral("Morrowfen/Kestrin.ini")));
        Start();
        TestDoc::destroyed = 0;
    }
    void cleanup() { m_app.reset(); }

    void titlesFollowThePathAndTheWindows() {
        TestDoc* doc = m_app->Open(QStringLiteral("/data/one.tst"));
        QCOMPARE(m_main->MDIGetActive()->windowTitle(), QStringLiteral("one.tst"));
        QVERIFY(m_main->SendCommand(ID_WINDOW_NEW));
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
    void closingAsksToSave() {
        const QString path = QStringLiteral("/data/one.tst");
        for (const auto& [modified, answer, asked, saved, closed] :
             {std::tuple{false, IDCANCEL, 0, false, true}, std::tuple{true, IDYES, 1, true, true},
              std::tuple{true, IDNO, 2, false, true},
              std::tuple{true, IDCANCEL, 2, false, false}}) {
            RecordingMessageBox boxes;
            boxes.answers = {answer, answer};
            TestDoc::destroyed = 0;
            TestDoc* doc = m_app->Open(path);
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
        // The last row left one.tst open and modified. Closing the main window asks for every
        // modified document, and Cancel at any keeps them all.
        RecordingMessageBox boxes;
        boxes.answers = {IDNO, IDCANCEL};
        m_app->Open(QStringLiteral("/data/two.tst"))->SetModifiedFlag(true);
        QVERIFY(!m_main->close());
        QCOMPARE(boxes.texts.size(), 2);
        QCOMPARE(TestDoc::destroyed, 0);
    }

    void newDocumentIsSavedUnderTheNameAskedFor() {
        ScriptedFileDialog dialogs;
        TestDoc* doc = m_app->Open({});
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
    }

    // The Open dialog shows every file first. A file goes to the template of its last
    // extension, else to the first one; an open file, however its path is spelled, brings its
    // window back.
    void openingChoosesTheTemplateOnce() {
        ScriptedFileDialog dialogs;
        dialogs.answer = QStringLiteral("/a/one.tst");
        QVERIFY(m_main->SendCommand(ID_FILE_OPEN));
        const OPENFILENAME& ofn = dialogs.asked.at(0);
        QVERIFY(ofn.bOpenFileDialog && (ofn.Flags & OFN_FILEMUSTEXIST));
        QCOMPARE(ofn.lpstrFilter,
                 QStringLiteral("Test files (*.tst)|*.tst|すべてのﾌｧｲﾙ (*.*)|*.*||"));
        QCOMPARE(ofn.nFilterIndex, 2);
        for (const char* path : {"/a/b.tst.doc", "/a/no-extension"})
            QCOMPARE(m_app->OpenDocumentFile(QString::fromLatin1(path))->GetDocTemplate(),
                     m_app->Template(0));
        CDocument* first = m_app->Template(1)->GetDocuments().front();
        QCOMPARE(first->GetPathName(), QStringLiteral("/a/one.tst"));
        QCOMPARE(m_app->OpenDocumentFile(QStringLiteral("/a/../a/one.tst")), first);
        QCOMPARE(Windows(), 3);
        QCOMPARE(m_main->GetActiveDocument(), first);
    }

    // Ten are kept, most recent first, in the profile; the File menu shows them shortened
    // and escaped, greyed while there are none; choosing one opens it.
    void recentFilesOutliveTheApplication() {
        const auto mru = [this](int i) {
            emit m_main->menuBar()->actions().front()->menu()->aboutToShow();
            return m_main->GetCommandActions().Find(ID_FILE_MRU_FILE1 + i);
        };
        QCOMPARE(mru(0)->text(), QStringLiteral("Recent"));
        QVERIFY(!mru(0)->isEnabled());
        QVERIFY(!mru(1)->isVisible());
        const auto path = [](int i) { return QStringLiteral("/data/file%1.tst").arg(i); };
        for (int i = 1; i <= 11; ++i)
            m_app->AddToRecentFileList(path(i));
        m_app->OpenDocumentFile(path(5)); // opening one brings it to the front
        m_app->AddToRecentFileList(QStringLiteral("/data/a&b.tst"));
        m_app->AddToRecentFileList(QStringLiteral("/data/very/long/folder/names/here/file.tst"));
        m_app->ExitInstance();
        Start();
        const CRecentFileList& list = *m_app->GetRecentFileList();
        QCOMPARE(list.GetCount(), 10);
        QCOMPARE(list[2], path(5));
        QCOMPARE(list[3], path(11));
        QCOMPARE(list[9], path(4));
        QCOMPARE(mru(0)->text(), QStringLiteral("&1 /data/.../file.tst"));
        QVERIFY(mru(0)->isEnabled());
        QCOMPARE(mru(1)->text(), QStringLiteral("&2 /data/a&&b.tst"));
        QVERIFY(mru(1)->isVisible());
        QVERIFY(m_main->SendCommand(ID_FILE_MRU_FILE1 + 1));
        QCOMPARE(m_main->GetActiveDocument()->GetPathName(), QStringLiteral("/data/a&b.tst"));
    }

    void routeRunsFromTheViewToTheApplication() {
        QVERIFY(m_main->SendCommand(ID_TEST_APP_COMMAND)); // no document: the application
        QVERIFY(!m_main->SendCommand(ID_TEST_COMMAND));
        TestDoc* doc = m_app->Open({});
        auto* view = static_cast<TestView*>(doc->GetViews().front());
        QVERIFY(m_main->SendCommand(ID_TEST_COMMAND)); // the view declines
        view->takes = true;
        QVERIFY(m_main->SendCommand(ID_TEST_COMMAND));
        QCOMPARE(view->commands, 1);
        QCOMPARE(doc->commands, 1);
        auto* frame = static_cast<TestFrame*>(m_main->MDIGetActive());
        QVERIFY(m_main->SendCommand(ID_TEST_APP_COMMAND)); // the frame declines
        QCOMPARE(frame->offered, 1);
        QCOMPARE(m_app->appCommands, 2);
        doc->OnCloseDocument(); // its handlers leave the route with it
        QVERIFY(!m_main->IsCommandEnabled(ID_TEST_COMMAND));
    }

    // The toolbar is set when idle, a menu before it opens; a popup follows its first
    // command, and with nobody to update that it is left alone. A disabled command never runs.
    void updateHandlersSetTheToolbarAndTheMenus() {
        auto* bar = new CToolBar(m_main);
        bar->LoadToolBar(IDR_TESTFRAME, m_main->GetCommandActions());
        m_main->addToolBar(bar);
        QMenu* file = m_main->menuBar()->actions().at(0)->menu();
        QMenu* edit = m_main->menuBar()->actions().at(1)->menu();
        QAction* popupEntry = edit->actions().at(1);
        emit edit->aboutToShow();
        QVERIFY(popupEntry->isEnabled());
        QVERIFY(!Action(ID_TEST_CHECK)->isEnabled());
        TestDoc* doc = m_app->Open({});
        for (const bool on : {false, true, false}) {
            doc->enabled = doc->checked = on;
            m_main->OnIdleUpdateCmdUI();
            QCOMPARE(Action(ID_TEST_COMMAND)->isEnabled(), on);
            QCOMPARE(Action(ID_TEST_CHECK)->isChecked(), on);
            QVERIFY(!Action(ID_TEST_UNHANDLED)->isEnabled());
            emit edit->aboutToShow();
            QCOMPARE(popupEntry->isEnabled(), on);
        }
        doc->enabled = doc->checked = true;
        emit file->aboutToShow();
        QVERIFY(Action(ID_TEST_COMMAND)->isEnabled());
        QVERIFY(Action(ID_TEST_CHECK)->isChecked());
        QVERIFY(!Action(ID_TEST_UNHANDLED)->isEnabled());
        QVERIFY(Action(ID_FILE_NEW)->isEnabled());
        doc->enabled = false;
        QVERIFY(!m_main->SendCommand(ID_TEST_COMMAND));
        Action(ID_TEST_COMMAND)->setEnabled(true); // even if something left it looking enabled
        Action(ID_TEST_COMMAND)->trigger();
        QCOMPARE(doc->commands, 0);
    }
};

QTEST_MAIN(FrameworkTest)
#include "framework_test.moc"
