// The application shell: start-up without arguments gives the empty main frame as its
// resources build it; with a path, that file in a document window, a file that is no
// compound file reported. The frame then follows the active window: its toolbar, its menu
// and its title; the first document window opens maximized, a later one as the workspace
// places it.
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>
#include <QtTest>

#include "app_test_support.h"
#include "doc_template.h"
#include "kestrin_doc.h"
#include "main_frame.h"
#include "mdi_child_wnd.h"
#include "resource_ids.h"
#include "scripted_chooser.h"
#include "storage_api.h"
#include "strmdef_doc.h"
#include "tool_bar.h"
#include "view.h"

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<CKestrinApp> m_app;

    CMainFrame* Start(const QStringList& arguments) {
        m_app.reset();
        m_app = std::make_unique<CKestrinApp>();
        m_app->m_lpCmdLine = arguments;
        return m_app->InitInstance() ? KestrinMainFrame() : nullptr;
    }
    static bool Shown(CMainFrame* frame, UINT toolBar) {
        return !frame->GetToolBar(toolBar)->isHidden();
    }
    QString CompoundFile() {
        const QString path = m_files.filePath(QStringLiteral("sample.cfb"));
        const std::u16string name = path.toStdU16String();
        IStorage* storage = nullptr;
        if (FAILED(StgCreateDocfile(
                name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage)))
            return {};
        storage->Release();
        return path;
    }
    QString TextFile(const QString& name) {
        QFile file(m_files.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write("plain text, no compound file\n");
        return file.fileName();
    }
    int Windows(CMainFrame* frame) const { return frame->GetMDIClient()->subWindowList().size(); }
    static QStringList MenuTitles(CMainFrame* frame) {
        QStringList titles;
        for (QAction* action : frame->menuBar()->actions())
            titles << action->text();
        return titles;
    }
    static void Activate(CDocument* doc) {
        dynamic_cast<CMDIChildWnd*>(doc->GetViews().front()->GetParentFrame())->MDIActivate();
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void cleanup() { m_app.reset(); }

    void withoutArgumentsTheEmptyFrameShowsTheNoDocumentToolbar() {
        CMainFrame* frame = Start({});
        QVERIFY(frame);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->size(), QSize(768, 600));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin"));
        QCOMPARE(Windows(frame), 0);
        QCOMPARE(m_app->m_nChildFrames, 0);
        QVERIFY(Shown(frame, 128));
        QVERIFY(!Shown(frame, 129));
        QVERIFY(!Shown(frame, 130));
        QComboBox* combo = frame->GetStrmDefCombo();
        QVERIFY(frame->GetToolBar(129)->isAncestorOf(combo));
        QCOMPARE(combo->parentWidget()->width(), 150);
    }

    // A whole session on a compound file named on the command line of a machine whose
    // locale is C: its window, our icon on every window, the toolbar toggled, a clean exit.
    void compoundFileOnTheCommandLineOpensInAWindow() {
        QLocale::setDefault(QLocale::c());
        const QString path = CompoundFile();
        QVERIFY(!path.isEmpty());
        RecordingMessageBox boxes;
        CMainFrame* frame = Start({path});
        QVERIFY(frame);
        QVERIFY(boxes.texts.isEmpty());
        QCOMPARE(QLocale().language(), QLocale::Japanese);
        QCOMPARE(Windows(frame), 1);
        auto* doc = dynamic_cast<CKestrinDoc*>(frame->GetActiveDocument());
        QVERIFY(doc);
        QVERIFY(doc->GetRootStorage());
        QCOMPARE(doc->GetPathName(), path);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - [sample.cfb]"));
        auto* tree = dynamic_cast<QTreeWidget*>(frame->GetActiveFrame()->GetActiveView());
        QVERIFY(tree);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("/"));
        QCOMPARE(m_app->m_nChildFrames, 1);
        QMdiSubWindow* child = frame->MDIGetActive()->GetSubWindow();
        QVERIFY(child->isMaximized());

        const QImage ours = QImage(QStringLiteral(":/images/kestrin-16.png"))
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(!ours.isNull());
        for (QWidget* window : {static_cast<QWidget*>(frame), static_cast<QWidget*>(child)})
            QCOMPARE(window->windowIcon().pixmap(16).toImage().convertToFormat(
                         QImage::Format_ARGB32_Premultiplied),
                     ours);

        QVERIFY(Shown(frame, 129));
        QVERIFY(!Shown(frame, 128));
        QVERIFY(frame->SendCommand(ID_VIEW_TOOLBAR));
        QVERIFY(!Shown(frame, 129));
        QVERIFY(frame->SendCommand(ID_VIEW_TOOLBAR));
        QVERIFY(Shown(frame, 129));
        QCOMPARE(m_app->ExitInstance(), 0);
    }

    // A file that is no compound file is reported and still gets a window; a .stm file, in
    // any case, is a stream definition.
    void otherFilesOnTheCommandLine() {
        RecordingMessageBox boxes;
        CMainFrame* frame = Start({TextFile(QStringLiteral("notes.txt"))});
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("ストレージファイルではありません。")});
        QCOMPARE(Windows(frame), 1);
        auto* doc = dynamic_cast<CKestrinDoc*>(frame->GetActiveDocument());
        QVERIFY(doc && !doc->GetRootStorage());

        frame = Start({TextFile(QStringLiteral("defs.STM"))});
        QVERIFY(dynamic_cast<CStrmDefDoc*>(frame->GetActiveDocument()));
        QVERIFY(Shown(frame, 130));
        QVERIFY(!Shown(frame, 129));
        QVERIFY(!frame->IsCommandEnabled(ID_FILE_SAVE));
    }

    void newOffersBothKindsByTheirNewNames() {
        CMainFrame* frame = Start({});
        ScriptedChooser chooser;
        chooser.answer = 0;
        QVERIFY(frame->SendCommand(ID_FILE_NEW));
        const QStringList kinds = {QStringLiteral("ﾌｧｲﾙ編集"), QStringLiteral("ｽﾄﾘｰﾑ定義ﾌｧｲﾙ")};
        QCOMPARE(chooser.asked, QList<QStringList>{kinds});
        QCOMPARE(frame->GetActiveDocument()->GetTitle(), QStringLiteral("Kestrin1"));
        QVERIFY(Shown(frame, 129));
    }

    void switchingWindowsSwitchesToolbarAndMenu() {
        CMainFrame* frame = Start({});
        QCOMPARE(MenuTitles(frame),
                 (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"),
                              QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
        CDocument* stg = m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        CDocument* def = m_app->GetDocTemplates()[1]->OpenDocumentFile({});
        QVERIFY(Shown(frame, 130));
        QCOMPARE(MenuTitles(frame).size(), 5);
        QVERIFY(!frame->menuBar()->actions().front()->menu()->actions().contains(
            frame->GetCommandActions().Find(ID_STRMDEF_OPEN)));
        Activate(stg);
        QVERIFY(Shown(frame, 129));
        QVERIFY(!Shown(frame, 130));
        QVERIFY(frame->menuBar()->actions().front()->menu()->actions().contains(
            frame->GetCommandActions().Find(ID_STRMDEF_OPEN)));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - [Kestrin1]"));
        Activate(def);
        QVERIFY(Shown(frame, 130));
        QVERIFY(!Shown(frame, 129));
    }

    void secondWindowOpensUnmaximizedWhenTheFirstIsNot() {
        CMainFrame* frame = Start({});
        CDocument* first = m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        QMdiSubWindow* firstWindow =
            dynamic_cast<CMDIChildWnd*>(first->GetViews().front()->GetParentFrame())
                ->GetSubWindow();
        QVERIFY(firstWindow->isMaximized());
        firstWindow->showNormal();
        CDocument* second = m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        auto* child = dynamic_cast<CMDIChildWnd*>(second->GetViews().front()->GetParentFrame());
        QVERIFY(!child->GetSubWindow()->isMaximized());
        QCOMPARE(m_app->m_nChildFrames, 2);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - Kestrin2"));
        child->GetSubWindow()->showMaximized();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - [Kestrin2]"));
    }

    // The main menu comes back, the toolbar of the last window stays.
    void closingTheLastWindowBringsBackTheMainMenu() {
        CMainFrame* frame = Start({});
        m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        QCOMPARE(MenuTitles(frame).size(), 5);
        QVERIFY(frame->SendCommand(ID_FILE_CLOSE));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(MenuTitles(frame).size(), 3);
        QVERIFY(!frame->IsCommandEnabled(ID_FILE_SAVE));
        QCOMPARE(frame->GetMDIClient()->subWindowList().size(), 0);
        QCOMPARE(m_app->m_nChildFrames, 0);
        QVERIFY(Shown(frame, 129));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin"));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
