// Start-up: without arguments the empty main frame with the no-document toolbar; with a
// path, that file in a document window, a file that is no compound file reported.
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QtTest>

#include "app_test_support.h"
#include "kestrin_doc.h"
#include "main_frame.h"
#include "mdi_child_wnd.h"
#include "storage_api.h"
#include "strmdef_doc.h"
#include "tool_bar.h"

class StartupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    QTemporaryDir m_files;
    std::unique_ptr<CKestrinApp> m_app;

    CMainFrame* Start(const QStringList& arguments) {
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

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void cleanup() { m_app.reset(); }

    void withoutArgumentsTheEmptyFrameShowsTheNoDocumentToolbar() {
        CMainFrame* frame = Start({});
        QVERIFY(frame);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin"));
        QCOMPARE(Windows(frame), 0);
        QVERIFY(Shown(frame, 128));
        QVERIFY(!Shown(frame, 129));
        QVERIFY(!Shown(frame, 130));
        QCOMPARE(m_app->m_nChildFrames, 0);
    }

    void windowsShowOurIconAndDialogsSpeakJapaneseOnACMachine() {
        QLocale::setDefault(QLocale::c());
        CMainFrame* frame = Start({CompoundFile()});
        QCOMPARE(QLocale().language(), QLocale::Japanese);
        const QImage ours = QImage(QStringLiteral(":/images/kestrin-16.png"))
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(!ours.isNull());
        QWidget* const child = frame->MDIGetActive()->GetSubWindow();
        for (QWidget* window : {static_cast<QWidget*>(frame), child})
            QCOMPARE(window->windowIcon().pixmap(16).toImage().convertToFormat(
                         QImage::Format_ARGB32_Premultiplied),
                     ours);
    }

    void mainWindowIs768By600() {
        CMainFrame* frame = Start({});
        QCOMPARE(frame->size(), QSize(768, 600));
    }

    void compoundFileToolbarCarriesTheComboBox() {
        CMainFrame* frame = Start({});
        QComboBox* combo = frame->GetStrmDefCombo();
        QVERIFY(combo);
        QCOMPARE(combo->parentWidget()->width(), 150);
        QVERIFY(frame->GetToolBar(129)->isAncestorOf(combo));
        QCOMPARE(combo->font().family(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(combo->font().pixelSize(), 12);
    }

    void compoundFileOnTheCommandLineOpensInAWindow() {
        const QString path = CompoundFile();
        QVERIFY(!path.isEmpty());
        RecordingMessageBox boxes;
        CMainFrame* frame = Start({path});
        QVERIFY(frame);
        QVERIFY(boxes.texts.isEmpty());
        QCOMPARE(Windows(frame), 1);
        auto* doc = dynamic_cast<CKestrinDoc*>(frame->GetActiveDocument());
        QVERIFY(doc);
        QVERIFY(doc->GetRootStorage());
        QCOMPARE(doc->GetPathName(), path);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin - [sample.cfb]"));
        auto* tree = dynamic_cast<QTreeWidget*>(frame->GetActiveFrame()->GetActiveView());
        QVERIFY(tree);
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("/"));
        QVERIFY(Shown(frame, 129));
        QVERIFY(!Shown(frame, 128));
        QCOMPARE(m_app->m_nChildFrames, 1);
        QVERIFY(frame->MDIGetActive()->GetSubWindow()->isMaximized());
    }

    void textFileIsReportedAndStillGetsAWindow() {
        RecordingMessageBox boxes;
        CMainFrame* frame = Start({TextFile(QStringLiteral("notes.txt"))});
        QVERIFY(frame);
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("ストレージファイルではありません。")});
        QCOMPARE(Windows(frame), 1);
        auto* doc = dynamic_cast<CKestrinDoc*>(frame->GetActiveDocument());
        QVERIFY(doc);
        QVERIFY(!doc->GetRootStorage());
    }

    void stmFileOpensAsAStreamDefinition() {
        CMainFrame* frame = Start({TextFile(QStringLiteral("defs.STM"))});
        QVERIFY(frame);
        QVERIFY(dynamic_cast<CStrmDefDoc*>(frame->GetActiveDocument()));
        QVERIFY(Shown(frame, 130));
        QVERIFY(!Shown(frame, 129));
        QVERIFY(!frame->IsCommandEnabled(ID_FILE_SAVE));
    }

    void viewToolbarTogglesTheCompoundFileToolbar() {
        CMainFrame* frame = Start({CompoundFile()});
        QVERIFY(frame->IsCommandEnabled(ID_VIEW_TOOLBAR));
        QVERIFY(frame->SendCommand(ID_VIEW_TOOLBAR));
        QVERIFY(!Shown(frame, 129));
        QVERIFY(frame->SendCommand(ID_VIEW_TOOLBAR));
        QVERIFY(Shown(frame, 129));
    }

    void closingTheLastWindowKeepsItsToolbar() {
        CMainFrame* frame = Start({CompoundFile()});
        QVERIFY(frame->SendCommand(ID_FILE_CLOSE));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(Windows(frame), 0);
        QCOMPARE(m_app->m_nChildFrames, 0);
        QVERIFY(Shown(frame, 129));
        QCOMPARE(frame->windowTitle(), QStringLiteral("Kestrin"));
    }

    void exitEndsCleanly() {
        Start({CompoundFile()});
        QCOMPARE(m_app->ExitInstance(), 0);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
