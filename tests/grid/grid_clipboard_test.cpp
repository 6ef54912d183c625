// Cell texts through the real (in-process, headless) clipboard: both texts of both selection
// orders, the lines a paste hands over, and private blocks that are not ours.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include "grid.h"
#include "grid_clip_format.h"

namespace {

class PasteHost : public CGridHost {
public:
    void InvalidateRect(const CRect&, bool) override {}
    CRect GetClientRect() const override { return {0, 0, 300, 200}; }
    void OnPasteCell(int nCol, int nRow, const QStringList& texts) override {
        lines << QStringLiteral("%1,%2:%3").arg(nCol).arg(nRow).arg(texts.join(u'|'));
    }
    QStringList lines;
};

// Headers around rows of cells A B / C 漢 / E F, then a column that is not selectable.
void Build(CGrid& grid, CGridHost* host) {
    grid.Create({}, host, false);
    grid.SetColCount(4);
    grid.SetRowCount(4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool body = r > 0 && c > 0 && c < 3;
            grid.Cell(r, c).m_nStyle = body ? GCS_EDIT : c < 3 ? GCS_HEADER : 0;
            grid.SetCellText(r, c, QChar(body ? u"ABC漢EF"[(r - 1) * 2 + c - 1] : u'x'));
        }
}

QByteArray Block(char flag, const QByteArray& text) {
    return QByteArray(1, flag) + QByteArray(3, '\0') + text + '\0';
}

} // namespace

class GridClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void copy_data() {
        QTest::addColumn<QList<int>>("sel"); // anchor column, row; end column, row
        QTest::addColumn<QByteArray>("grid");
        QTest::addColumn<QString>("plain");
        QTest::newRow("block") << QList{1, 1, 2, 2} << Block(1, "A,B\nC,漢") << "A\tB\nC\t漢";
        QTest::newRow("run") << QList{2, 1, 1, 2} << Block(0, "B,C") << "\tB\nC\t";
        QTest::newRow("run backwards over an inner row")
            << QList{1, 3, 2, 1} << Block(0, "B,C,漢,E") << "\tB\nC\t漢\nE\t";
        QTest::newRow("click only") << QList{1, 1, -1, -1} << Block(1, "") << "";
    }
    void copy() {
        QFETCH(QList<int>, sel);
        CGrid grid;
        Build(grid, nullptr);
        grid.SetBlockSelect(QTest::currentDataTag()[0] != 'r'); // "run..." rows
        grid.SetSelRange({sel[0], sel[1], sel[2], sel[3]});
        grid.SetSelectActive(true);
        grid.CopyCells(QStringLiteral("\t"));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QTEST(data->data(kGridMimeType), "grid");
        QTEST(data->text(), "plain");
    }

    void paste_data() {
        QTest::addColumn<QByteArray>("grid");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("sel"); // from the current cell; 1: a rectangle, 0: a run
        QTest::newRow("two lines, CR kept, none below the grid")
            << QByteArray() << "11\t22\r\n33\t44\n55" << QStringList{"1,2:11|22\r", "1,3:33|44"}
            << QList{1, 2, 2, 3, 1};
        QTest::newRow("too wide, then an empty field")
            << QByteArray() << "1\t2\t3\t4\n5\t\t6" << QStringList{"1,1:1|2"}
            << QList{1, 1, 2, 1, 1};
        QTest::newRow("private rectangle first")
            << Block(1, "A,B\nC,D") << "9" << QStringList{"1,1:A|B", "1,2:C|D"}
            << QList{1, 1, 2, 2, 1};
        QTest::newRow("private run past the last cell")
            << Block(0, "1,2,3,4\n5") << "9" << QStringList{"2,2:1|2|3|4"} << QList{2, 2, 2, 3, 0};
        for (const auto& [name, block] : {std::pair{"short", QByteArray(3, '\1')},
                                          {"wrong flag", Block(2, "A")},
                                          {"bad UTF-8", Block(1, "A\xff")},
                                          {"huge", Block(1, QByteArray(kMaxGridClipBytes, 'A'))}})
            QTest::newRow(name) << block << "9" << QStringList{"1,1:9"} << QList{1, 1, 1, 1, 1};
    }
    void paste() {
        QFETCH(QByteArray, grid);
        QFETCH(QString, plain);
        QFETCH(QList<int>, sel);
        auto* data = new QMimeData;
        data->setText(plain);
        data->setData(kGridMimeType, grid);
        QGuiApplication::clipboard()->setMimeData(data);
        PasteHost host;
        CGrid target;
        Build(target, &host);
        target.SetCurCell(sel[0], sel[1], false);
        target.PasteCells(QStringLiteral("\t"));
        QTEST(host.lines, "lines");
        const CRect& r = target.GetSelRange();
        QVERIFY(target.IsSelectActive());
        QCOMPARE((QList{r.left, r.top, r.right, r.bottom, int(target.IsBlockSelect())}), sel);
    }
};

QTEST_MAIN(GridClipboardTest)
#include "grid_clipboard_test.moc"
