#include "ui/Grid.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

// The grid of the placement: 3 rails under a fixed header row. As a model it shows the rows below
// the fixed rows, the fixed row as header. Each step is a gesture or a setting of the logic; after
// it the current cell, the selection's corners and the events it raised.
TEST(Grid, GesturesArrowsAndResizingKeepCellAndSelectionInsideAndRaiseTheirEvents) {
    ui::Grid g;
    EXPECT_EQ(std::pair(g.Rows(), g.Cols()), std::pair(1, 0));
    EXPECT_THROW(g.TextMatrix(0, 0), std::out_of_range);
    EXPECT_THROW(g.setRows(0), std::out_of_range);
    EXPECT_THROW(g.setFixedRows(1), std::out_of_range) << "a fixed row needs a row below it";
    g.setCols(3);
    g.setRows(4);
    for (int i = 0; i < 12; ++i)
        g.setTextMatrix(i / 3, i % 3, QString::asprintf("%d,%d", i / 3, i % 3));
    EXPECT_EQ(g.rowCount(), 4) << "without fixed rows the header row is an ordinary row";
    g.setFixedRows(1);
    EXPECT_EQ(std::pair(g.rowCount(), g.columnCount()), std::pair(3, 3));
    EXPECT_EQ(g.data(g.index(0, 1), Qt::DisplayRole).toString(), "1,1");
    EXPECT_EQ(g.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "0,1");
    QList<int> changed;
    QObject::connect(&g, &QAbstractItemModel::headerDataChanged,
                     [&](Qt::Orientation, int first, int) { changed << -first; });
    QObject::connect(&g, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& i, const QModelIndex&) { changed << i.row(); });
    g.setTextMatrix(0, 2, "X");
    g.setTextMatrix(3, 0, "Y");
    EXPECT_EQ(changed, (QList<int>{-2, 2})) << "header 2, then grid row 3 as model row 2";
    QStringList events;
    g.onClick = [&] { events << "Click"; };
    g.onSelChange = [&] { events << "SelChange"; };
    g.onDblClick = [&] { events << "DblClick"; };
    const auto move = [&](int dr, int dc, bool extend) {
        const auto [r, c] = g.moveBy(dr, dc, extend);
        return QString::asprintf("%d,%d", r, c);
    };
    // clang-format off
    const std::pair<std::function<QString()>, QString> steps[] = {
        {[&] { g.click(2, 1); return g.Text(); }, "2,1 2,1-2,1 Click 2,1"},
        // Dragging up and left: the rectangle is normalised, the current cell stays.
        {[&] { g.extendSelection(0, 0); return ""; }, "2,1 0,0-2,1 SelChange "},
        {[&] { g.doubleClick(3, 2); return ""; }, "3,2 0,0-2,1 DblClick "},
        {[&] { g.setSelStartRow(1); g.setRow(1); g.click(9, 0); return ""; }, "1,2 1,0-2,1  "},
        {[&] { g.click(1, 1); return move(-1, 0, false); }, "1,1 1,1-1,1 Click+Click 1,1"},
        {[&] { return move(1, 5, false); }, "2,2 2,2-2,2 Click 2,2"},
        // With Shift the corner opposite the current cell moves.
        {[&] { return move(1, -1, true); }, "2,2 2,1-3,2 SelChange 3,1"},
        {[&] { return move(0, -1, true); }, "2,2 2,0-3,2 SelChange 3,0"},
        {[&] { g.selectColumn(1); return ""; }, "0,1 0,1-3,1 Click+SelChange "},
        {[&] { g.click(3, 2); g.setRows(6); return g.TextMatrix(3, 2) + g.TextMatrix(5, 2); },
         "3,2 3,2-3,2 Click 3,2"},
        {[&] { g.setRows(3); g.setCols(2); return g.TextMatrix(2, 1); }, "2,1 2,1-2,1  2,1"},
        {[&] { g.setRows(5); return g.TextMatrix(3, 0); }, "2,1 2,1-2,1  "}}; // cut off: gone
    // clang-format on
    for (const auto& [step, expected] : steps) {
        SCOPED_TRACE(expected.toStdString());
        const QString returned = step();
        EXPECT_EQ(QString::asprintf("%d,%d %d,%d-%d,%d ", g.Row(), g.Col(), g.SelStartRow(),
                                    g.SelStartCol(), g.SelEndRow(), g.SelEndCol()) +
                      events.join('+') + ' ' + returned,
                  expected);
        events.clear();
    }
}
