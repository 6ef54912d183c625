// The recent stream definitions: short names replace each other without regard to case, at
// most ten are kept, and the list comes back in the same order after a restart.
#include <QComboBox>
#include <QtTest>

#include "app_test_support.h"
#include "main_frame.h"

class RecentStrmDefTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_profile;
    std::unique_ptr<CKestrinApp> m_app;

    QComboBox* Start() {
        m_app = std::make_unique<CKestrinApp>();
        m_app->m_lpCmdLine.clear();
        return m_app->InitInstance() ? KestrinMainFrame()->GetStrmDefCombo() : nullptr;
    }
    void Restart() {
        m_app->ExitInstance();
        m_app.reset();
    }
    void Load(const QString& path) {
        QString copy = path;
        m_app->AddRecentStrmDef(copy, false);
    }
    static QStringList Items(QComboBox* combo) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
    void Store(const QStringList& entries, int number) {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Morrowfen"),
                           QStringLiteral("Kestrin"));
        settings.remove(QStringLiteral("Main Editor"));
        settings.setValue(QStringLiteral("Main Editor/StrmDefNumber"), number);
        for (int i = 0; i < entries.size(); ++i)
            settings.setValue(QStringLiteral("Main Editor/StrmDefName%1").arg(i), entries[i]);
    }

private slots:
    void initTestCase() { UseScratchProfile(m_profile); }
    void init() { Store({}, 0); }
    void cleanup() { m_app.reset(); }

    void newestComesFirstAndReplacesItsNameInAnyCase() {
        QComboBox* combo = Start();
        Load(QStringLiteral("/a/one.stm"));
        Load(QStringLiteral("/a/two.v2.stm"));
        Load(QStringLiteral("/a/one.stm"));
        QCOMPARE(Items(combo), (QStringList{QStringLiteral("one"), QStringLiteral("two.v2")}));
        Load(QStringLiteral("/b/TWO.V2.stm"));
        QCOMPARE(Items(combo), (QStringList{QStringLiteral("TWO.V2"), QStringLiteral("one")}));
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(m_app->m_aStrmDefPath,
                 (QStringList{QStringLiteral("/b/TWO.V2.stm"), QStringLiteral("/a/one.stm")}));
    }

    void eleventhDropsTheOldestAndTenComeBackAfterARestart() {
        QComboBox* combo = Start();
        for (int i = 0; i <= 10; ++i)
            Load(QStringLiteral("/defs/def%1.stm").arg(i));
        QStringList expected;
        for (int i = 10; i >= 1; --i)
            expected << QStringLiteral("def%1").arg(i);
        QCOMPARE(Items(combo), expected);
        QCOMPARE(m_app->m_aStrmDefPath.size(), 10);
        QCOMPARE(m_app->m_aStrmDefPath.first(), QStringLiteral("/defs/def10.stm"));
        QCOMPARE(m_app->m_aStrmDefPath.last(), QStringLiteral("/defs/def1.stm"));

        Restart();
        combo = Start();
        QCOMPARE(Items(combo), expected);
        QCOMPARE(m_app->m_aStrmDefPath.first(), QStringLiteral("/defs/def10.stm"));
        QCOMPARE(m_app->m_aStrmDefPath.size(), 10);
    }

    // What another run left in the profile: empty entries are skipped, and entries beyond
    // the stored number are stale.
    void storedListIsReadAsWritten_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty entry") << QStringList{"/a/first.stm", "", "/a/third.stm"} << 3
                                     << QStringList{"first", "third"};
        QTest::newRow("beyond the number")
            << QStringList{"/a/first.stm", "/a/stale.stm"} << 1 << QStringList{"first"};
    }
    void storedListIsReadAsWritten() {
        QFETCH(QStringList, stored);
        QFETCH(int, number);
        QFETCH(QStringList, items);
        Store(stored, number);
        QCOMPARE(Items(Start()), items);
        QCOMPARE(m_app->m_aStrmDefPath.size(), items.size());
    }
};

QTEST_MAIN(RecentStrmDefTest)
#include "recent_strmdef_test.moc"
