#include "ui/Grid.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// A grid of 3 rails with a fixed header row, as the placement builds it.
struct GridTest : ::testing::Test {
    ui::Grid g;
    QStringList events;

    void SetUp() override {
        g.setCols(3);
        g.setRows(4);
        g.setFixedRows(1);
        for (int c = 0; c < 3; ++c) {
            g.setTextMatrix(0, c, QStringLiteral("H%1").arg(c));
            for (int r = 1; r < 4; ++r)
                g.setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
        }
        g.onClick = [this] { events << "Click"; };
        g.onSelChange = [this] { events << "SelChange"; };
        g.onDblClick = [this] { events << "DblClick"; };
    }
    std::array<int, 4> selection() const {
        return {g.SelStartRow(), g.SelEndRow(), g.SelStartCol(), g.SelEndCol()};
    }
};

} // namespace

TEST_F(GridTest, ResizingKeepsTheTextsThatStayInsideAndClampsCurrentCellAndSelection) {
    ui::Grid empty;
    EXPECT_EQ(empty.Rows(), 1);
    EXPECT_EQ(empty.Cols(), 0);
    EXPECT_THROW(empty.TextMatrix(0, 0), std::out_of_range);
    EXPECT_THROW(empty.setRows(0), std::out_of_range);
    EXPECT_THROW(empty.setFixedRows(1), std::out_of_range) << "a fixed row needs a row below it";
    g.click(3, 2);
    g.setRows(6);
    EXPECT_EQ(g.TextMatrix(3, 2), "3,2");
    EXPECT_EQ(g.TextMatrix(5, 2), "");
    g.setRows(3);
    g.setCols(2);
    EXPECT_EQ(g.TextMatrix(2, 1), "2,1");
    EXPECT_EQ((std::pair{g.Row(), g.Col()}), (std::pair{2, 1}));
    EXPECT_EQ(selection(), (std::array<int, 4>{2, 2, 1, 1}));
    g.setRows(5);
    EXPECT_EQ(g.TextMatrix(3, 0), "") << "rows cut off are gone";
}

TEST_F(GridTest, GesturesMoveCurrentCellAndSelectionThenRaiseTheirEvent) {
    g.click(2, 1);
    EXPECT_EQ((std::pair{g.Row(), g.Col()}), (std::pair{2, 1}));
    EXPECT_EQ(g.Text(), "2,1");
    EXPECT_EQ(selection(), (std::array<int, 4>{2, 2, 1, 1}));

    // Dragging up and left from the current cell: the rectangle is normalised, the current cell
    // stays where the gesture began.
    g.extendSelection(0, 0);
    EXPECT_EQ(selection(), (std::array<int, 4>{0, 2, 0, 1}));
    EXPECT_EQ(g.Col(), 1);

    g.doubleClick(3, 2);
    EXPECT_EQ((std::pair{g.Row(), g.Col()}), (std::pair{3, 2}));
    EXPECT_EQ(events, (QStringList{"Click", "SelChange", "DblClick"}));

    // Setting properties from the logic raises no event; gestures outside the grid are ignored.
    g.setSelStartRow(1);
    g.setRow(1);
    g.click(9, 0);
    EXPECT_EQ(events.size(), 3);
}

TEST_F(GridTest, ArrowsMoveTheCellOrTheSelectionsFarCornerAndAHeaderMarksItsColumn) {
    g.click(1, 1);
    EXPECT_EQ(g.moveBy(-1, 0, false), (std::pair{1, 1})) << "the fixed row is not reached";
    EXPECT_EQ(g.moveBy(1, 5, false), (std::pair{2, 2})) << "kept inside the grid";
    EXPECT_EQ(selection(), (std::array<int, 4>{2, 2, 2, 2}));
    // With Shift the corner opposite the current cell moves; the current cell stays.
    EXPECT_EQ(g.moveBy(1, -1, true), (std::pair{3, 1}));
    EXPECT_EQ(g.moveBy(0, -1, true), (std::pair{3, 0}));
    EXPECT_EQ(selection(), (std::array<int, 4>{2, 3, 0, 2}));
    EXPECT_EQ((std::pair{g.Row(), g.Col()}), (std::pair{2, 2}));

    g.selectColumn(1);
    EXPECT_EQ(selection(), (std::array<int, 4>{0, 3, 1, 1}));
    EXPECT_EQ((std::pair{g.Row(), g.Col()}), (std::pair{0, 1}));
}

TEST_F(GridTest, TheModelShowsTheRowsBelowTheFixedRowsAndTheFixedRowAsHeader) {
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.columnCount(), 3);
    EXPECT_EQ(g.data(g.index(0, 1), Qt::DisplayRole).toString(), "1,1");
    EXPECT_EQ(g.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "H2");

    QList<int> headers;
    QList<QModelIndex> cells;
    QObject::connect(&g, &QAbstractItemModel::headerDataChanged,
                     [&](Qt::Orientation, int first, int) { headers << first; });
    QObject::connect(&g, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& i, const QModelIndex&) { cells << i; });
    g.setTextMatrix(0, 2, "X");
    g.setTextMatrix(3, 0, "Y");
    EXPECT_EQ(headers, QList<int>{2});
    ASSERT_EQ(cells.size(), 1);
    EXPECT_EQ(cells[0].row(), 2) << "grid row 3 is model row 2";

    // Without fixed rows the header row is an ordinary row.
    ui::Grid plain;
    plain.setCols(2);
    plain.setTextMatrix(0, 1, "H");
    EXPECT_EQ(plain.rowCount(), 1);
    EXPECT_EQ(plain.data(plain.index(0, 1), Qt::DisplayRole).toString(), "H");
}
