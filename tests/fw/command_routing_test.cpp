// Commands walk view, document, frame, application; update handlers set what the menus and
// toolbars show, and a command that is disabled or handled by nobody never runs.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "fw_test_support.h"
#include "tool_bar.h"

namespace {

class HandlingView : public TestView {
public:
    HandlingView() { OnCommand(ID_TEST_COMMAND, &HandlingView::OnTestCommand); }
    void OnTestCommand() { ++commands; }
    int commands = 0;
};

// A frame that looks at commands and updates and hands them on.
class PassingFrame : public TestFrame {
public:
    PassingFrame() {
        OnCommandEx(ID_TEST_RADIO, &PassingFrame::OnRadio);
        OnUpdateCommand(ID_TEST_UNHANDLED, &PassingFrame::OnUpdateUnhandled);
    }
    bool OnRadio(UINT) {
        ++offered;
        return false;
    }
    void OnUpdateUnhandled(CCmdUI* ui) {
        ui->SetText(QStringLiteral("seen"));
        ui->ContinueRouting();
    }
    int offered = 0;
};

class RoutingApp : public TestApp {
public:
    RoutingApp() {
        OnCommand(ID_TEST_RADIO, &RoutingApp::OnRadio);
        OnControl(CBN_SELCHANGE, ID_TEST_CHECK, &RoutingApp::OnSelChange);
    }
    void OnRadio() { ++radioCommands; }
    void OnSelChange() { ++selChanges; }
    int radioCommands = 0;
    int selChanges = 0;
};

} // namespace

class CommandRoutingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    std::unique_ptr<RoutingApp> m_app;
    CMDIFrameWnd* m_main = nullptr;

    TestDoc* NewDoc() { return static_cast<TestDoc*>(m_app->Template(1)->OpenDocumentFile({})); }
    QAction* Action(UINT id) { return m_main->GetCommandActions().Find(id); }
    CToolBar* AddToolBar() {
        auto* bar = new CToolBar(m_main);
        bar->LoadToolBar(IDR_TESTFRAME, m_main->GetCommandActions());
        m_main->addToolBar(bar);
        return bar;
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() {
        m_app = std::make_unique<RoutingApp>();
        QVERIFY(m_app->InitInstance());
        m_main = m_app->m_pMainWnd;
    }
    void cleanup() { m_app.reset(); }

    void routeRunsFromTheDocumentToTheApplication() {
        QVERIFY(m_main->SendCommand(ID_TEST_RADIO)); // no document: the application
        QCOMPARE(m_app->radioCommands, 1);
        QVERIFY(!m_main->SendCommand(ID_TEST_COMMAND));
        TestDoc* doc = NewDoc();
        QVERIFY(m_main->SendCommand(ID_TEST_COMMAND));
        QCOMPARE(doc->commands, 1);
        QVERIFY(m_main->SendCommand(ID_TEST_RADIO));
        QCOMPARE(m_app->radioCommands, 2);
        doc->OnCloseDocument(); // its handlers leave the route with it
        QVERIFY(!m_main->IsCommandEnabled(ID_TEST_COMMAND));
    }

    void viewComesFirstAndADecliningFrameHandsOn() {
        CMultiDocTemplate docTemplate(
            IDR_TSTTYPE, [] { return new TestDoc; }, [] { return new PassingFrame; },
            [] { return new HandlingView; });
        auto* doc = static_cast<TestDoc*>(docTemplate.OpenDocumentFile({}));
        auto* frame = dynamic_cast<PassingFrame*>(m_main->MDIGetActive());
        QVERIFY(frame);
        QVERIFY(m_main->SendCommand(ID_TEST_COMMAND));
        QCOMPARE(static_cast<HandlingView*>(doc->GetViews().front())->commands, 1);
        QCOMPARE(doc->commands, 0);
        QVERIFY(m_main->SendCommand(ID_TEST_RADIO));
        QCOMPARE(frame->offered, 1);
        QCOMPARE(m_app->radioCommands, 1);
        AddToolBar();
        m_main->OnIdleUpdateCmdUI();
        QCOMPARE(Action(ID_TEST_UNHANDLED)->text(), QStringLiteral("seen"));
        QVERIFY(!Action(ID_TEST_UNHANDLED)->isEnabled()); // nobody handles it after all
        doc->OnCloseDocument();
    }

    void controlNotificationIsRoutedWithoutUpdate() {
        QVERIFY(m_main->SendCommand(ID_TEST_CHECK, CBN_SELCHANGE));
        QCOMPARE(m_app->selChanges, 1);
        QVERIFY(!m_main->SendCommand(ID_TEST_CHECK));
    }

    void idleUpdateSetsTheToolbarFromTheHandlers() {
        TestDoc* doc = NewDoc();
        AddToolBar();
        for (const bool on : {false, true, false}) {
            doc->enabled = doc->checked = on;
            m_main->OnIdleUpdateCmdUI();
            QCOMPARE(Action(ID_TEST_COMMAND)->isEnabled(), on);
            QCOMPARE(Action(ID_TEST_CHECK)->isChecked(), on);
            QCOMPARE(Action(ID_TEST_RADIO)->isChecked(), on);
            QVERIFY(!Action(ID_TEST_UNHANDLED)->isEnabled());
        }
        QVERIFY(Action(ID_TEST_RADIO)->actionGroup() &&
                Action(ID_TEST_RADIO)->actionGroup()->isExclusive());
        QVERIFY(!Action(ID_TEST_CHECK)->actionGroup());
    }

    void disabledCommandNeverRuns() {
        TestDoc* doc = NewDoc();
        doc->enabled = false;
        QVERIFY(!m_main->SendCommand(ID_TEST_COMMAND));
        Action(ID_TEST_COMMAND)->setEnabled(true); // even if something left it looking enabled
        Action(ID_TEST_COMMAND)->trigger();
        QCOMPARE(doc->commands, 0);
    }

    // A popup follows its first command; with nobody to update that, it is left alone.
    void menusUpdateBeforeTheyOpen() {
        QMenu* file = m_main->menuBar()->actions().at(0)->menu();
        QMenu* edit = m_main->menuBar()->actions().at(1)->menu();
        QAction* popupEntry = edit->actions().at(1);
        emit edit->aboutToShow();
        QVERIFY(popupEntry->isEnabled());
        QVERIFY(!Action(ID_TEST_CHECK)->isEnabled());

        TestDoc* doc = NewDoc();
        doc->enabled = false;
        doc->checked = true;
        emit file->aboutToShow();
        QVERIFY(!Action(ID_TEST_COMMAND)->isEnabled());
        QVERIFY(Action(ID_TEST_CHECK)->isChecked());
        QVERIFY(!Action(ID_TEST_UNHANDLED)->isEnabled());
        QVERIFY(Action(ID_FILE_NEW)->isEnabled());
        emit edit->aboutToShow();
        QVERIFY(!popupEntry->isEnabled());
        doc->enabled = true;
        emit edit->aboutToShow();
        QVERIFY(popupEntry->isEnabled());
    }
};

QTEST_MAIN(CommandRoutingTest)
#include "command_routing_test.moc"
