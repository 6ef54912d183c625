// The in-place editor under real key events: the hexadecimal filter and its beep, the length
// limit, the keys that commit, Escape and focus changes.
#include <QTest>

#include "beep.h"
#include "grid_cell.h"
#include "grid_edit.h"

class GridEditTest : public QObject, CGridEditHost, BeepSink {
    Q_OBJECT
    void OnCellEdit(int nRow, int nCol, const QString& text) override {
        log << QStringLiteral("edit %1 %2 %3").arg(nRow).arg(nCol).arg(text);
    }
    void Beep(unsigned type) override { log << QStringLiteral("beep %1").arg(type, 0, 16); }
    QWidget window;
    QLineEdit other{&window};
    CGridEdit edit{&window, this};
    QStringList log;

private slots:
    void initTestCase() {
        SetBeepSink(this);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    static void Row(const char* name, UINT style, int limit, const QString& keys, const char* text,
                    const char* log) {
        QTest::newRow(name) << style << limit << keys << QString(text) << QString(log);
    }
    // Keys by name; Tab moves the focus to another field.
    void typing_data() {
        QTest::addColumn<UINT>("style");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("log");
        Row("digit, g", GCS_HEX, 0, "1 G Return", "1", "beep 40; edit 3 5 1");
        Row("g", GCS_HEX, 0, "G", "", "beep 40");
        Row("cut, typed on", GCS_HEX, 0, "1 2 X 3 Return", "123", "beep 40; edit 3 5 123");
        Row("plain cell", 0, 0, "X Y Enter", "xy", "edit 3 5 xy");
        Row("limit", GCS_HEX, 2, "A B C", "ab", "");
        Row("enter twice", GCS_HEX, 2, "7 F Return Return", "7f", "edit 3 5 7f");
        for (const char* key : {"Left", "Right", "Up", "Down", "Home", "End"})
            Row(key, GCS_HEX, 2, QString("7 F ") + key, "7f", "edit 3 5 7f");
        Row("escape", GCS_HEX, 2, "7 F Esc Return", "41", "");
        Row("escape after commit", GCS_HEX, 2, "7 F Return Esc", "41", "edit 3 5 7f");
        Row("focus out", GCS_HEX, 2, "7 F Tab", "7f", "");
        Row("focus out, enter", GCS_HEX, 2, "7 F Tab Return", "7f", "edit 3 5 7f");
    }
    void typing() {
        QFETCH(UINT, style);
        QFETCH(int, limit);
        QFETCH(QString, keys);
        edit.SetText("41");
        edit.SetCell(3, 5);
        edit.SetCellFormat(style, limit);
        other.setFocus();
        edit.setFocus();
        log.clear();
        for (const QString& key : keys.split(' '))
            QTest::keyClick(&edit, QKeySequence(key)[0].key());
        QTEST(edit.text(), "text");
        QTEST(log.join("; "), "log");
        if (!edit.hasFocus())
            QVERIFY(!edit.hasSelectedText() && edit.cursorPosition() == 0);
    }
};

QTEST_MAIN(GridEditTest)
#include "grid_edit_test.moc"
