// The profile: an INI file in the user's configuration folder (here a scratch folder) that
// outlives the application object, and the recent-file list kept in it.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "fw_test_support.h"
#include "menu.h"
#include "recent_file_list.h"

class ProfileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;

    static std::unique_ptr<TestApp> Start() {
        auto app = std::make_unique<TestApp>();
        app->InitInstance();
        return app;
    }
    static QString Path(int i) { return QStringLiteral("/data/file%1.tst").arg(i); }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { QFile::remove(m_profile.filePath(QStringLiteral("Morrowfen/Kestrin.ini"))); }

    // Values and the ten most recent files written by one run are read by the next; what
    // was never written gives the caller's default.
    void profileOutlivesTheApplication() {
        const QString section = QStringLiteral("Main Editor");
        {
            auto app = Start();
            QVERIFY(app->WriteProfileInt(section, QStringLiteral("Number"), 3));
            QVERIFY(app->WriteProfileString(section, QStringLiteral("Name0"),
                                            QStringLiteral("/a/b,c.stm")));
            for (int i = 1; i <= 11; ++i)
                app->AddToRecentFileList(Path(i));
            app->AddToRecentFileList(Path(5)); // ten kept, most recent first
            app->ExitInstance();
        }
        QVERIFY(QFileInfo::exists(m_profile.filePath(QStringLiteral("Morrowfen/Kestrin.ini"))));
        auto app = Start();
        QCOMPARE(app->GetProfileInt(section, QStringLiteral("Number"), 0), 3);
        QCOMPARE(app->GetProfileString(section, QStringLiteral("Name0")),
                 QStringLiteral("/a/b,c.stm"));
        QCOMPARE(app->GetProfileInt(section, QStringLiteral("None"), -4), -4);
        QCOMPARE(app->GetProfileString(section, QStringLiteral("None"), QStringLiteral("dflt")),
                 QStringLiteral("dflt"));
        CRecentFileList* list = app->GetRecentFileList();
        QCOMPARE(list->GetCount(), 10);
        QCOMPARE((*list)[0], Path(5));
        QCOMPARE((*list)[1], Path(11));
        QCOMPARE((*list)[9], Path(2));
    }

    // Shortened and escaped in the File menu, greyed while empty; choosing one opens it.
    void fileMenuShowsAndOpensTheRecentFiles() {
        auto app = Start();
        CCommandActions& actions = app->m_pMainWnd->GetCommandActions();
        QMenu* file = app->m_pMainWnd->menuBar()->actions().front()->menu();
        emit file->aboutToShow();
        QAction* first = actions.Find(ID_FILE_MRU_FILE1);
        QCOMPARE(first->text(), QStringLiteral("Recent"));
        QVERIFY(!first->isEnabled());
        QVERIFY(!actions.Find(ID_FILE_MRU_FILE1 + 1)->isVisible());

        app->AddToRecentFileList(QStringLiteral("/data/a&b.tst"));
        app->AddToRecentFileList(QStringLiteral("/data/very/long/folder/names/here/file.tst"));
        emit file->aboutToShow();
        QCOMPARE(first->text(), QStringLiteral("&1 /data/.../file.tst"));
        QVERIFY(first->isEnabled());
        QCOMPARE(actions.Find(ID_FILE_MRU_FILE1 + 1)->text(), QStringLiteral("&2 /data/a&&b.tst"));
        QVERIFY(actions.Find(ID_FILE_MRU_FILE1 + 1)->isVisible());
        QVERIFY(!actions.Find(ID_FILE_MRU_FILE1 + 2)->isVisible());

        QVERIFY(app->m_pMainWnd->SendCommand(ID_FILE_MRU_FILE1 + 1));
        CDocument* doc = app->m_pMainWnd->GetActiveDocument();
        QVERIFY(doc);
        QCOMPARE(doc->GetPathName(), QStringLiteral("/data/a&b.tst"));
    }
};

QTEST_MAIN(ProfileTest)
#include "profile_test.moc"
