// The application shell in whole sessions: start-up with or without a file on the command
// line; the frame follows the active window with its toolbar, menu and title; the recent
// stream definitions, at most ten by short name, come back after a restart.
#include "recording_message_box.h"
#include "scratch_profile.h"
#include "scripted_chooser.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "cmd_ui.h"
#include "doc_template.h"
#include "kestrin_app.h"
#include "kestrin_doc.h"
#include "main_frame.h"
#include "mdi_child_wnd.h"
#include "resource_ids.h"
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
    // The one toolbar shown of the three, 0 for none, -1 for more than one.
    static int ShownBar(CMainFrame* frame) {
        int shown = 0;
        for (const UINT id : {IDR_MAINFRAME, IDR_KESTRITYPE, IDR_STRMDEFTYPE})
            if (!frame->GetToolBar(id)->isHidden())
                shown = shown ? -1 : int(id);
        return shown;
    }
    QString File(const QString& name, const QByteArray& text) {
        QFile file(m_files.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return file.fileName();
    }
    static int Windows(CMainFrame* frame) { return frame->GetMDIClient()->subWindowList().size(); }
    static QStringList MenuTitles(CMainFrame* frame) {
        QStringList titles;
        for (QAction* action : frame->menuBar()->actions())
            titles << action->text();
        return titles;
    }
    static bool FileMenuOffersStrmDefs(CMainFrame* frame) {
        return frame->menuBar()->actions().front()->menu()->actions().contains(
            frame->GetCommandActions().Find(ID_STRMDEF_OPEN));
    }
    static QStringList Items(QComboBox* combo) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
    // What a run leaves of the recent stream definitions in the profile.
    static void StoreStrmDefs(const QStringList& entries, int number) {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Morrowfen"),
                           QStringLiteral("Kestrin"));
        settings.remove(QStringLiteral("Main Editor"));
        settings.setValue(QStringLiteral("Main Editor/StrmDefNumber"), number);
        for (int i = 0; i < entries.size(); ++i)
            settings.setValue(QStringLiteral("Main Editor/StrmDefName%1").arg(i), entries[i]);
    }
    static CMDIChildWnd* ChildOf(CDocument* doc) {
        return dynamic_cast<CMDIChildWnd*>(doc->GetViews().front()->GetParentFrame());
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { StoreStrmDefs({}, 0); }
    void cleanup() { m_app.reset(); }

    // A whole session on a compound file named on the command line of a machine whose
    // locale is C: its window, our icon on every window, the toolbar toggled, a clean exit.
    void compoundFileOnTheCommandLineOpensInAWindow() {
        QLocale::setDefault(QLocale::c());
        const QString path = m_files.filePath(QStringLiteral("sample.cfb"));
        IStorage* storage = nullptr;
        QVERIFY(SUCCEEDED(StgCreateDocfile(path.toStdU16String().c_str(),
                                           STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           &storage)));
        storage->Release();
        RecordingMessageBox boxes;
        CMainFrame* frame = Start({path});
        QVERIFY(frame);
        QVERIFY(boxes.texts.isEmpty());
        QCOMPARE(QLocale().language(), QLocale::Japanese);
        QCOMPARE(Windows(frame), 1);
        auto* doc = dynamic_cast<CKestrinDoc*>(frame->GetActiveDocument());
        QVERIFY(doc && doc->GetRootStorage());
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - [sample.cfb]"));
        QMdiSubWindow* child = frame->MDIGetActive()->GetSubWindow();
        QVERIFY(child->isMaximized());

        const QImage ours = QImage(QStringLiteral(":/images/kestrin-16.png"))
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(!ours.isNull());
        for (QWidget* window : {static_cast<QWidget*>(frame), static_cast<QWidget*>(child)})
            QCOMPARE(window->windowIcon().pixmap(16).toImage().convertToFormat(
                         QImage::Format_ARGB32_Premultiplied),
                     ours);

        QCOMPARE(ShownBar(frame), int(IDR_KESTRITYPE));
        QAction* toolbarItem = frame->GetCommandActions().Find(ID_VIEW_TOOLBAR);
        for (const int shown : {0, int(IDR_KESTRITYPE)}) {
            QVERIFY(frame->SendCommand(ID_VIEW_TOOLBAR));
            QCOMPARE(ShownBar(frame), shown);
            CCmdUI(ID_VIEW_TOOLBAR, toolbarItem).DoUpdate(frame, true);
            QCOMPARE(toolbarItem->isChecked(), shown != 0);
        }
        QCOMPARE(m_app->ExitInstance(), 0);
    }

    // A file that is no compound file is reported and still gets a window; a .stm file, in
    // any case, is a stream definition (here an empty one).
    void otherFilesOnTheCommandLine() {
        RecordingMessageBox boxes;
        CMainFrame* frame = Start({File(QStringLiteral("notes.txt"), "plain text\n")});
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("ストレージファイルではありません。")});
        QCOMPARE(Windows(frame), 1);
        auto* doc = dynamic_cast<CKestrinDoc*>(frame->GetActiveDocument());
        QVERIFY(doc && !doc->GetRootStorage());

        frame = Start({File(QStringLiteral("defs.STM"), QByteArray(12, 0).replace(0, 1, "\1"))});
        QVERIFY(dynamic_cast<CStrmDefDoc*>(frame->GetActiveDocument()));
        QCOMPARE(ShownBar(frame), int(IDR_STRMDEFTYPE));
        QVERIFY(frame->IsCommandEnabled(ID_FILE_SAVE));
    }

    // Without arguments: the empty frame, New with both kinds by their names, windows of
    // both kinds switching toolbar, menu and title, and the last one closed.
    void sessionWithoutArguments() {
        CMainFrame* frame = Start({});
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin"));
        const QStringList mainMenu = {QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"),
                                      QStringLiteral("ﾍﾙﾌﾟ(&H)")};
        QCOMPARE(MenuTitles(frame), mainMenu);
        QCOMPARE(ShownBar(frame), int(IDR_MAINFRAME));

        ScriptedChooser chooser;
        frame->SendCommand(ID_FILE_NEW); // cancelled
        QCOMPARE(Windows(frame), 0);
        chooser.answer = 0;
        QVERIFY(frame->SendCommand(ID_FILE_NEW));
        const QStringList kinds = {QStringLiteral("ﾌｧｲﾙ編集"), QStringLiteral("ｽﾄﾘｰﾑ定義ﾌｧｲﾙ")};
        QCOMPARE(chooser.asked, (QList<QStringList>{kinds, kinds}));
        CDocument* stg = frame->GetActiveDocument();
        QCOMPARE(stg->GetTitle(), QStringLiteral("Kestrin1"));
        QCOMPARE(ShownBar(frame), int(IDR_KESTRITYPE));

        ChildOf(stg)->GetSubWindow()->showNormal(); // the next window is not maximized then
        CDocument* second = m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        QVERIFY(!ChildOf(second)->GetSubWindow()->isMaximized());
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - Kestrin2"));
        ChildOf(second)->GetSubWindow()->showMaximized();
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - [Kestrin2]"));

        CDocument* def = m_app->GetDocTemplates()[1]->OpenDocumentFile({});
        QCOMPARE(m_app->m_nChildFrames, 3);
        QCOMPARE(ShownBar(frame), int(IDR_STRMDEFTYPE));
        QCOMPARE(MenuTitles(frame).size(), 5);
        QVERIFY(!FileMenuOffersStrmDefs(frame));
        ChildOf(stg)->MDIActivate();
        QCOMPARE(ShownBar(frame), int(IDR_KESTRITYPE));
        QVERIFY(FileMenuOffersStrmDefs(frame));

        // The main menu comes back, the toolbar of the last window stays.
        def->OnCloseDocument();
        second->OnCloseDocument();
        QVERIFY(frame->SendCommand(ID_FILE_CLOSE));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(MenuTitles(frame), mainMenu);
        QVERIFY(!frame->IsCommandEnabled(ID_FILE_SAVE));
        QCOMPARE(Windows(frame), 0);
        QCOMPARE(m_app->m_nChildFrames, 0);
        QCOMPARE(ShownBar(frame), int(IDR_KESTRITYPE));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin"));
    }

    void recentStrmDefsOutliveTheApplication() {
        QComboBox* combo = Start({})->GetStrmDefCombo();
        for (QString path : {"/a/one.stm", "/a/two.v2.stm", "/b/TWO.V2.stm", "/a/one.stm"})
            m_app->AddRecentStrmDef(path, false);
        QCOMPARE(Items(combo), (QStringList{QStringLiteral("one"), QStringLiteral("TWO.V2")}));
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(m_app->m_aStrmDefPath,
                 (QStringList{QStringLiteral("/a/one.stm"), QStringLiteral("/b/TWO.V2.stm")}));
        QStringList expected{QStringLiteral("one")}; // the eleventh drops the oldest
        for (int i = 1; i <= 9; ++i) {
            QString path = QStringLiteral("/defs/def%1.stm").arg(i);
            m_app->AddRecentStrmDef(path, false);
            expected.prepend(QStringLiteral("def%1").arg(i));
        }
        QCOMPARE(Items(combo), expected);
        QCOMPARE(m_app->m_aStrmDefPath.size(), 10);
        QCOMPARE(m_app->m_aStrmDefPath.first(), QStringLiteral("/defs/def9.stm"));
        QCOMPARE(m_app->m_aStrmDefPath.last(), QStringLiteral("/a/one.stm"));
        m_app->ExitInstance();
        combo = Start({})->GetStrmDefCombo();
        QCOMPARE(Items(combo), expected);
        QCOMPARE(m_app->m_aStrmDefPath.first(), QStringLiteral("/defs/def9.stm"));
        QCOMPARE(m_app->m_aStrmDefPath.size(), 10);
    }

    // What another run left in the profile: empty entries are skipped, and entries beyond
    // the stored number are stale.
    void storedStrmDefsAreReadAsWritten() {
        StoreStrmDefs({"/a/first.stm", "", "/a/third.stm"}, 3);
        QCOMPARE(Items(Start({})->GetStrmDefCombo()), (QStringList{"first", "third"}));
        QCOMPARE(m_app->m_aStrmDefPath.size(), 2);
        m_app.reset();
        StoreStrmDefs({"/a/first.stm", "/a/stale.stm"}, 1);
        QCOMPARE(Items(Start({})->GetStrmDefCombo()), QStringList{"first"});
        QCOMPARE(m_app->m_aStrmDefPath.size(), 1);
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
