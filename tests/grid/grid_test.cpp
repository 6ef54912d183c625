// The grid as a model with geometry: the hex page's layout, hit testing at borders and under
// fixed headers, selection in both orders, cell blocks, repaint areas and painted pixels.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTest>

#include "grid.h"
#include "hex_page.h"
#include "platform_setup.h"

namespace {

// Records repaint areas and hands out a red 16 x 16 bitmap for every id.
class RecordingHost : public CGridHost {
public:
    void InvalidateRect(const CRect& rect, bool) override { areas.push_back(rect); }
    CRect GetClientRect() const override { return {0, 0, 700, 330}; }
    QImage LoadBitmap(UINT) const override {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    }
    std::vector<CRect> areas;
};

// The hex page, with bytes in every cell and a text column too long for its cell.
void BuildHexGrid(CGrid& grid, CGridHost* host) {
    grid.Create({}, host, true);
    LayoutHexGrid(grid);
    for (int r = 1; r < 17; ++r) {
        for (int c = 1; c < 17; ++c)
            grid.SetCellText(r, c,
                             QStringLiteral("%1").arg(r * c % 256, 2, 16, QChar('0')).toUpper());
        grid.SetCellText(r, 17, QStringLiteral("ｶﾅ漢字 text that is cut off"));
    }
}

// The highlighted cells as runs of columns by row: "2:5-16 3:1-16".
QString Marked(const CGrid& grid) {
    QStringList runs;
    for (int r = 0; r < grid.GetRowCount(); ++r)
        for (int c = 0; c < grid.GetColCount(); ++c) {
            int last = c - 1;
            while (last + 1 < grid.GetColCount() && grid.Cell(r, last + 1).m_bHighlight)
                ++last;
            if (last >= c)
                runs << QStringLiteral("%1:%2-%3").arg(r).arg(c).arg(last);
            c = std::max(c, last);
        }
    return runs.join(' ');
}

QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

} // namespace

Q_DECLARE_METATYPE(CRect)

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { MapJapaneseFonts(); }

    // Cells overlap their neighbours by one pixel; the header row and column do not scroll.
    void Geometry() {
        CGrid grid;
        BuildHexGrid(grid, nullptr);
        const struct {
            int row, col;
            CRect rect;
        } cases[] = {{0, 0, {0, 0, 125, 18}},
                     {1, 1, {124, 17, 144, 35}},
                     {1, 2, {143, 17, 163, 35}},
                     {0, 17, {428, 0, 548, 18}},
                     {16, 17, {428, 272, 548, 290}}};
        for (const auto& test : cases)
            QCOMPARE(grid.Cell(test.row, test.col).m_rect, test.rect);
        CRect area;
        grid.GetHScrollRect(&area);
        QCOMPARE(area, (CRect{125, 0, 548, 290}));
        grid.GetVScrollRect(&area);
        QCOMPARE(area, (CRect{0, 18, 548, 290}));
    }

    // A bare grid keeps its fresh rectangles; a new count resets every width; growth copies
    // the neighbour's style with an empty text.
    void Resize() {
        CGrid grid;
        grid.Create({}, nullptr, false);
        QCOMPARE(grid.Cell(1, 1).m_rect, (CRect{0, 0, 10, 10}));
        BuildHexGrid(grid, nullptr);
        grid.SetColCount(18);
        QCOMPARE(grid.Cell(5, 17).m_rect, (CRect{323, 85, 343, 103}));
        grid.SetRowCount(18);
        QCOMPARE(grid.Cell(17, 3).m_nStyle, GCS_EDIT | GCS_HEX | GCS_BOTTOMLINE);
        QVERIFY(grid.Cell(17, 3).m_strText.isEmpty() && grid.Cell(16, 3).m_strText == "30");
        QCOMPARE(grid.Cell(17, 3).m_rect, (CRect{57, 323, 77, 343}));
        QCOMPARE(grid.GetEditRect(), (CRect{22, 22, 36, 36}));
    }

    // Header borders grab the last 3 pixels; a shared line belongs to the left cell; the
    // fixed column and row hit the scrolled row and column.
    void HitTest() {
        RecordingHost host;
        CGrid grid;
        BuildHexGrid(grid, &host);
        grid.SetCellBitmap(2, 1, 140);
        const struct {
            const char* name;
            QPoint offset, point;
            int result;
            QPoint cell; // (column, row)
        } cases[] = {
            {"header grip", {}, {141, 5}, GHT_COLBORDER, {1, 0}},
            {"header before grip", {}, {140, 5}, GHT_CELL, {1, 0}},
            {"body under grip", {}, {141, 20}, GHT_CELL, {1, 1}},
            {"shared line", {}, {143, 20}, GHT_CELL, {1, 1}},
            {"row grip", {}, {50, 32}, GHT_ROWBORDER, {0, 1}},
            {"right of grid", {}, {549, 20}, GHT_NOWHERE, {-1, -1}},
            {"below grid", {}, {200, 291}, GHT_NOWHERE, {-1, -1}},
            {"bitmap", {}, {130, 40}, GHT_BITMAP, {1, 2}},
            {"fixed column", {100, 50}, {10, 40}, GHT_CELL, {0, 5}},
            {"fixed row", {100, 50}, {200, 5}, GHT_CELL, {10, 0}},
            {"scrolled body", {100, 50}, {200, 40}, GHT_CELL, {10, 5}},
        };
        for (const auto& test : cases) {
            grid.SetScrollOffset(0, test.offset.x());
            grid.SetScrollOffset(1, test.offset.y());
            int row = -1;
            int col = -1;
            const int result = grid.HitTest(test.point.x(), test.point.y(), &row, &col);
            QVERIFY2(result == test.result && QPoint(col, row) == test.cell, test.name);
        }
    }

    // Reading order runs from the anchor to the end of its row, over whole inner rows, and
    // up to the end; a block is the rectangle. Clearing unmarks what was covered.
    void Selection() {
        CGrid grid;
        BuildHexGrid(grid, nullptr);
        const struct {
            bool block;
            CRect range, covered; // anchor column, anchor row, end column, end row
            const char* marked;
        } cases[] = {
            {false, {5, 2, 1, 4}, {1, 2, 16, 4}, "2:5-16 3:1-16 4:1-1"},
            {false, {1, 4, 5, 2}, {1, 2, 16, 4}, "2:5-16 3:1-16 4:1-1"},
            {false, {7, 3, 4, 3}, {1, 3, 16, 3}, "3:4-7"},
            {true, {5, 2, 1, 4}, {1, 2, 5, 4}, "2:1-5 3:1-5 4:1-5"},
        };
        for (const auto& test : cases) {
            CRect range = test.range;
            grid.SetBlockSelect(test.block);
            grid.SelectRange(&range, true, test.block);
            QCOMPARE(range, test.covered);
            QCOMPARE(Marked(grid), QString::fromLatin1(test.marked));
            grid.SetSelRange(range);
            grid.ClearSelection(false);
            QCOMPARE(Marked(grid), QString());
            QCOMPARE(grid.GetSelRange(), (CRect{-1, -1, -1, -1}));
        }
    }

    // The current cell moves its highlight, and hides under a fixed header when scrolled.
    void CurrentCell() {
        CGrid grid;
        BuildHexGrid(grid, nullptr);
        grid.MoveToFirstCell();
        QCOMPARE(QPoint(grid.GetCurCol(), grid.GetCurRow()), QPoint(1, 1));
        grid.SelectCell(2, 2, true, false);
        grid.ClearSelection(true);
        QVERIFY(!grid.Cell(2, 2).m_bHighlight && grid.Cell(1, 1).m_bHighlight);
        grid.SetScrollOffset(0, 19);
        QVERIFY(!grid.Cell(1, 1).m_bHighlight);
        grid.SetScrollOffset(0, 0);
        QVERIFY(grid.Cell(1, 1).m_bHighlight);
    }

    // Moves read the whole block first; rectangles stay with their place.
    void MoveAndClearCells() {
        CGrid grid;
        BuildHexGrid(grid, nullptr);
        grid.SetCellData(7, 1, 1);
        grid.Cell(1, 1).m_nIndent = 2;
        grid.MoveCells(1, 1, 3, 2, 1, 1);
        QCOMPARE(grid.GetCellText(2, 2), QStringLiteral("01"));
        QCOMPARE(grid.GetCellText(3, 3), QStringLiteral("04"));
        QCOMPARE(grid.GetCellText(4, 3), QStringLiteral("06"));
        DWORD_PTR data = 0;
        grid.GetCellData(&data, 2, 2);
        QCOMPARE(data, DWORD_PTR(7));
        QCOMPARE(grid.Cell(2, 2).m_rect, (CRect{143, 34, 163, 52}));
        grid.Cell(2, 2).m_nLimit = 2;
        grid.ClearCells(2, -1, 2, -1, QStringLiteral("-"));
        for (int c : {0, 2, 17}) {
            const CGridCell& cell = grid.Cell(2, c);
            QVERIFY(cell.m_strText == "-" && cell.m_nStyle == 0 && cell.m_nBitmap == 0 &&
                    cell.m_dwData == 0);
        }
        QVERIFY(grid.Cell(2, 2).m_nIndent == 2 && grid.Cell(2, 2).m_nLimit == 2); // they stay
        QCOMPARE(grid.Cell(3, 2).m_nStyle, GCS_EDIT | GCS_HEX);
    }

    // Repaint areas are client rectangles: body cells move with both offsets, the fixed header
    // row only sideways.
    void Repaint() {
        RecordingHost host;
        CGrid grid;
        BuildHexGrid(grid, &host);
        grid.SetScrollOffset(0, 19);
        grid.SetScrollOffset(1, 17);
        host.areas.clear();
        grid.SetCellText(2, 2, QStringLiteral("ff"));
        grid.SetCellText(0, 2, QStringLiteral("01"));
        CRect range{1, 1, 2, 2};
        grid.InvalidateRange(&range, &range);
        QCOMPARE(host.areas,
                 (std::vector<CRect>{{124, 17, 144, 35}, {124, 0, 144, 18}, {105, 0, 144, 35}}));
    }

    void Paint() {
        RecordingHost host;
        CGrid grid;
        BuildHexGrid(grid, &host);
        grid.MoveToFirstCell();
        grid.Cell(16, 17).m_nStyle |= GCS_HATCH;
        grid.Cell(3, 0).m_nStyle |= GCS_BITMAP;
        QImage image(700, 330, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter painter(&image);
        grid.Draw(&painter);
        painter.end();
        QDir().mkpath(QStringLiteral(KESTRIN_ARTEFACT_DIR));
        image.save(QStringLiteral(KESTRIN_ARTEFACT_DIR "/grid_hex.png"));
        const QRgb face = QGuiApplication::palette().color(QPalette::Button).rgb() & 0xFFFFFF;
        QCOMPARE(Pixel(image, 143, 20), 0xA8A8A8u);  // the line two cells share
        QCOMPARE(Pixel(image, 125, 18), 0x000000u);  // current cell inverted inside its line
        QCOMPARE(Pixel(image, 130, 34), 0xA8A8A8u);  // but not its line
        QCOMPARE(Pixel(image, 145, 18), 0xFFFFFFu);  // its neighbour is not
        QCOMPARE(Pixel(image, 126, 14), face);       // header face
        QCOMPARE(Pixel(image, 548, 100), 0x000000u); // right line beyond the last column
        QCOMPARE(Pixel(image, 430, 100), 0x000000u); // second line of the double left edge
        QCOMPARE(Pixel(image, 600, 100), 0xFFFFFFu); // white beyond the grid
        QCOMPARE(Pixel(image, 16, 52), 0xFF0000u);   // bitmap inside the cell's top left
        int hatched = 0;
        for (int x = 432; x < 546; ++x)
            hatched += Pixel(image, x, 287) == face;
        QVERIFY(hatched > 5 && hatched < 60);
        grid.SetScrollOffset(0, 100); // the body slides under the fixed offset column
        grid.SetScrollOffset(1, 50);
        painter.begin(&image);
        grid.Draw(&painter);
        QCOMPARE(Pixel(image, 330, 100), 0x000000u); // double left edge, scrolled
        QCOMPARE(Pixel(image, 124, 100), 0x000000u); // fixed column's outline on top
    }
};

QTEST_MAIN(GridTest)
#include "grid_test.moc"
