// The grid view under real input: scrolling lands on column and row boundaries, the wheel
// moves whole rows, a dragged border stops at 3 pixels, a selection drag turns into a run
// with Shift, the keys move the current cell round the page.
#include <QScrollBar>
#include <QTest>

#include "base_scrl_view.h"
#include "hex_page.h"

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

// A point well inside cell (row, col) of the unscrolled hex page.
QPoint CellPoint(int row, int col) {
    const int x = col == 0 ? 60 : 124 + 19 * (col - 1) + 9;
    return {x, 17 * row + 9};
}

} // namespace

class GridViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CBaseScrlView> m_view;
    CGrid* m_grid = nullptr;

    // A viewport of exactly width x height pixels.
    void SizeViewport(int width, int height) {
        for (int pass = 0; pass < 3; ++pass) {
            const QSize viewport = m_view->viewport()->size();
            m_view->resize(m_view->width() + width - viewport.width(),
                           m_view->height() + height - viewport.height());
            QCoreApplication::processEvents();
        }
        QCOMPARE(m_view->viewport()->size(), QSize(width, height));
    }

    QString Marked() const {
        QStringList cells;
        for (int r = 1; r <= kHexRowBytes; ++r)
            for (int c = 1; c <= kHexRowBytes; ++c)
                if (m_grid->Cell(r, c).m_bHighlight)
                    cells << QStringLiteral("%1.%2").arg(r).arg(c);
        return cells.join(u' ');
    }

private slots:
    void init() {
        m_view = std::make_unique<CBaseScrlView>();
        m_grid = m_view->GetGrid();
        LayoutHexGrid(*m_grid);
        m_grid->MoveToFirstCell();
        m_view->resize(400, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    // Boundaries: columns at 19, 38, ... past the fixed offset column; rows at 17, 34, ....
    void scrollingSnapsToBoundaries_data() {
        QTest::addColumn<int>("bar");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("expected");
        QTest::newRow("line right") << 0 << int(SB_LINEDOWN) << 0 << 0 << 19;
        QTest::newRow("line left") << 0 << int(SB_LINEUP) << 0 << 38 << 19;
        QTest::newRow("thumb right") << 0 << int(SB_THUMBPOSITION) << 20 << 0 << 38;
        QTest::newRow("thumb left") << 0 << int(SB_THUMBPOSITION) << 20 << 57 << 19;
        // A range of 95: a page down asks for 9 pixels, which snap to the next row.
        QTest::newRow("page down") << 1 << int(SB_PAGEDOWN) << 0 << 0 << 17;
        QTest::newRow("page up") << 1 << int(SB_PAGEUP) << 0 << 51 << 34;
        QTest::newRow("line down") << 1 << int(SB_LINEDOWN) << 0 << 17 << 34;
    }
    void scrollingSnapsToBoundaries() {
        QFETCH(int, bar);
        QFETCH(int, code);
        QFETCH(int, position);
        QFETCH(int, start);
        QFETCH(int, expected);
        SizeViewport(300, 195);
        QCOMPARE(m_view->verticalScrollBar()->maximum(), 95);
        // A thumb just before a boundary lands on it.
        m_view->OnScroll(bar, SB_THUMBPOSITION, std::max(0, start - 1));
        QCOMPARE(m_grid->GetScrollOffset(bar), start);
        m_view->OnScroll(bar, code, position);
        QCOMPARE(m_grid->GetScrollOffset(bar), expected);
        QScrollBar* scrollBar =
            bar == 0 ? m_view->horizontalScrollBar() : m_view->verticalScrollBar();
        QCOMPARE(scrollBar->value(), expected);
    }

    // A page sideways asks for the whole range: the last boundary within it, or its end.
    void pageRightAndBarsFollowTheGrid() {
        SizeViewport(300, 195);
        QScrollBar* bar = m_view->horizontalScrollBar();
        QVERIFY(bar->isVisible());
        m_view->OnScroll(0, SB_PAGEDOWN);
        QCOMPARE(m_grid->GetScrollOffset(0), bar->maximum());
        // The scroll bar's own arrow snaps like a line step.
        m_view->OnScroll(0, SB_THUMBPOSITION, 0);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_grid->GetScrollOffset(0), 19);
        // Room for the whole grid: the bar stays while the grid is scrolled, so the user can
        // scroll back.
        SizeViewport(600, 400);
        QCOMPARE(m_grid->GetScrollOffset(0), 19);
        QVERIFY(bar->isVisible());
        QVERIFY(!m_view->verticalScrollBar()->isVisible());
    }

    void wheelMovesThreeRowsANotch() {
        SizeViewport(600, 150);
        const QPointF at(200, 100);
        QWheelEvent down(at, m_view->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view->viewport(), &down);
        QCOMPARE(m_grid->GetScrollOffset(1), 51);
        // Half a notch at a time, as a touchpad sends it.
        QWheelEvent half(at, m_view->mapToGlobal(at), {}, {0, 60}, Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view->viewport(), &half);
        QCOMPARE(m_grid->GetScrollOffset(1), 51);
        QApplication::sendEvent(m_view->viewport(), &half);
        QCOMPARE(m_grid->GetScrollOffset(1), 0);
    }

    void borderDragStopsAtThreePixels() {
        SizeViewport(600, 400);
        QWidget* viewport = m_view->viewport();
        // The right border of column 1 in the header row, then far to the left.
        SendMouse(viewport, QEvent::MouseButtonPress, {143, 8}, Qt::LeftButton);
        QCOMPARE(viewport->cursor().shape(), Qt::BitmapCursor);
        SendMouse(viewport, QEvent::MouseMove, {40, 8}, Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseButtonRelease, {40, 8}, Qt::NoButton);
        QCOMPARE(m_grid->GetColWidth(1), 3);
        QCOMPARE(m_grid->Cell(0, 2).m_rect.left, 124 + 2);
        // Row borders widen as well.
        SendMouse(viewport, QEvent::MouseButtonPress, {60, 17 * 2 + 17}, Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseMove, {60, 17 * 2 + 40}, Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseButtonRelease, {60, 17 * 2 + 40}, Qt::NoButton);
        QCOMPARE(m_grid->Cell(2, 1).m_rect.Height(), 40);
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
    }

    // A drag marks a rectangle; Shift turns it into a run in reading order and back.
    void selectionDragWithShift() {
        SizeViewport(600, 400);
        QWidget* viewport = m_view->viewport();
        SendMouse(viewport, QEvent::MouseButtonPress, CellPoint(1, 15), Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseMove, CellPoint(2, 2), Qt::LeftButton);
        QCOMPARE(Marked(), QStringLiteral("1.2 1.3 1.4 1.5 1.6 1.7 1.8 1.9 1.10 1.11 1.12 1.13 "
                                          "1.14 1.15 2.2 2.3 2.4 2.5 2.6 2.7 2.8 2.9 2.10 2.11 "
                                          "2.12 2.13 2.14 2.15"));
        m_grid->OnGridKeyDown(Qt::Key_Shift);
        QCOMPARE(Marked(), QStringLiteral("1.15 1.16 2.1 2.2"));
        m_grid->OnGridKeyUp(Qt::Key_Shift);
        QCOMPARE(Marked().count(u' '), 27);
        SendMouse(viewport, QEvent::MouseMove, CellPoint(2, 1), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(Marked(), QStringLiteral("1.15 1.16 2.1"));
        SendMouse(viewport, QEvent::MouseButtonRelease, CellPoint(2, 1), Qt::NoButton);
        QVERIFY(m_grid->IsSelectActive());
        QCOMPARE(m_grid->GetCurRow(), 1);
        QCOMPARE(m_grid->GetCurCol(), 15);
    }

    // Keys wrap round the row and the column; Enter walks in reading order and selects.
    void keysMoveTheCurrentCell_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("newRow");
        QTest::addColumn<int>("newCol");
        QTest::addColumn<bool>("selecting");
        QTest::newRow("down wraps") << 16 << 5 << int(Qt::Key_Down) << 1 << 5 << false;
        QTest::newRow("up wraps") << 1 << 5 << int(Qt::Key_Up) << 16 << 5 << false;
        QTest::newRow("right wraps") << 3 << 16 << int(Qt::Key_Right) << 3 << 1 << false;
        QTest::newRow("left wraps") << 3 << 1 << int(Qt::Key_Left) << 3 << 16 << false;
        QTest::newRow("home") << 3 << 9 << int(Qt::Key_Home) << 3 << 1 << false;
        QTest::newRow("end") << 3 << 9 << int(Qt::Key_End) << 3 << 16 << false;
        QTest::newRow("enter to next row") << 3 << 16 << int(Qt::Key_Return) << 4 << 1 << true;
        QTest::newRow("enter past the end") << 16 << 16 << int(Qt::Key_Return) << 1 << 1 << true;
        QTest::newRow("f2 selects") << 3 << 9 << int(Qt::Key_F2) << 3 << 9 << true;
    }
    void keysMoveTheCurrentCell() {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, key);
        QFETCH(int, newRow);
        QFETCH(int, newCol);
        QFETCH(bool, selecting);
        m_grid->SetCurCell(col, row, true);
        m_grid->OnGridKeyDown(key);
        QCOMPARE(m_grid->GetCurRow(), newRow);
        QCOMPARE(m_grid->GetCurCol(), newCol);
        QCOMPARE(m_grid->IsSelectActive(), selecting);
        // While selecting, arrows belong to the editor and leave the cell alone.
        if (selecting) {
            m_grid->OnGridKeyDown(Qt::Key_Right);
            QCOMPARE(m_grid->GetCurCol(), newCol);
        }
    }
};

QTEST_MAIN(GridViewTest)
#include "grid_view_test.moc"
