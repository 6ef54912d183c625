// The main frame follows the active window: its toolbar, its menu and its title; the
// first document window opens maximized, a later one as the workspace places it.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "app_test_support.h"
#include "doc_template.h"
#include "document.h"
#include "main_frame.h"
#include "mdi_child_wnd.h"
#include "resource_ids.h"
#include "scripted_chooser.h"
#include "status_bar.h"
#include "storage_api.h"
#include "tool_bar.h"
#include "view.h"

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    std::unique_ptr<CKestrinApp> m_app;
    CMainFrame* m_frame = nullptr;

    static bool Shown(CMainFrame* frame, UINT toolBar) {
        return !frame->GetToolBar(toolBar)->isHidden();
    }
    QStringList MenuTitles() const {
        QStringList titles;
        for (QAction* action : m_frame->menuBar()->actions())
            titles << action->text();
        return titles;
    }
    static QList<UINT> Buttons(CToolBar* bar) {
        QList<UINT> ids;
        for (QAction* action : bar->actions())
            ids << (action->isSeparator() ? 0u : action->data().toUInt());
        return ids;
    }
    void Activate(CDocument* doc) {
        auto* child = dynamic_cast<CMDIChildWnd*>(doc->GetViews().front()->GetParentFrame());
        child->MDIActivate();
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_app = std::make_unique<CKestrinApp>();
        m_app->m_lpCmdLine.clear();
        QVERIFY(m_app->InitInstance());
        m_frame = KestrinMainFrame();
    }
    void cleanup() { m_app.reset(); }

    void toolbarsHoldTheirButtons() {
        QCOMPARE(Buttons(m_frame->GetToolBar(128)),
                 (QList<UINT>{ID_FILE_NEW, ID_FILE_OPEN, 0, ID_APP_ABOUT}));
        const QList<UINT> stg = Buttons(m_frame->GetToolBar(129));
        QCOMPARE(stg.size(), 25);
        QCOMPARE(stg.at(23), 0u); // the combo box's place
        QCOMPARE(stg.at(24), ID_STRMDEF_OPEN);
        QCOMPARE(m_frame->GetCommandActions().Find(ID_PAGE_NEXT)->toolTip(),
                 QStringLiteral("進む"));
        QCOMPARE(m_frame->GetCommandActions().Find(ID_PAGE_NEXT)->statusTip(),
                 QStringLiteral("ストリームの次の256バイトへ移動"));
    }

    void statusBarStartsReady() {
        auto* bar = m_frame->findChild<CStatusBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->GetPaneText(0), QStringLiteral("ﾚﾃﾞｨ"));
    }

    void newOffersBothKindsByTheirNewNames() {
        ScriptedChooser chooser;
        chooser.answer = 0;
        QVERIFY(m_frame->SendCommand(ID_FILE_NEW));
        const QStringList kinds = {QStringLiteral("ﾌｧｲﾙ編集"), QStringLiteral("ｽﾄﾘｰﾑ定義ﾌｧｲﾙ")};
        QCOMPARE(chooser.asked, QList<QStringList>{kinds});
        QCOMPARE(m_frame->GetActiveDocument()->GetTitle(), QStringLiteral("Kestrin1"));
        QVERIFY(Shown(m_frame, 129));
    }

    void switchingWindowsSwitchesToolbarAndMenu() {
        QCOMPARE(MenuTitles(), (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"),
                                            QStringLiteral("ﾍﾙﾌﾟ(&H)")}));
        CDocument* stg = m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        CDocument* def = m_app->GetDocTemplates()[1]->OpenDocumentFile({});
        QVERIFY(Shown(m_frame, 130));
        QCOMPARE(MenuTitles().size(), 5);
        QVERIFY(!m_frame->menuBar()->actions().front()->menu()->actions().contains(
            m_frame->GetCommandActions().Find(ID_STRMDEF_OPEN)));
        Activate(stg);
        QVERIFY(Shown(m_frame, 129));
        QVERIFY(!Shown(m_frame, 130));
        QVERIFY(m_frame->menuBar()->actions().front()->menu()->actions().contains(
            m_frame->GetCommandActions().Find(ID_STRMDEF_OPEN)));
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Kestrin - [Kestrin1]"));
        Activate(def);
        QVERIFY(Shown(m_frame, 130));
        QVERIFY(!Shown(m_frame, 129));
    }

    void secondWindowOpensUnmaximizedWhenTheFirstIsNot() {
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
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Kestrin - Kestrin2"));
        child->GetSubWindow()->showMaximized();
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Kestrin - [Kestrin2]"));
    }

    void closingTheLastWindowBringsBackTheMainMenu() {
        m_app->GetDocTemplates()[0]->OpenDocumentFile({});
        QCOMPARE(MenuTitles().size(), 5);
        QVERIFY(m_frame->SendCommand(ID_FILE_CLOSE));
        QCOMPARE(MenuTitles().size(), 3);
        QVERIFY(!m_frame->IsCommandEnabled(ID_FILE_SAVE));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
