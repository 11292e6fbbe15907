#include "ui/ListBox.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

// The current line and the selection over every line index, one past the last and none.
TEST(ListBox, OnlyLinesOfTheListBecomeCurrentOrSelected) {
    for (const bool multi : {false, true}) {
        ui::ListBox box(multi);
        box.setLines({"1D1", "1D2", "1E1"});
        int emitted = 0;
        QObject::connect(&box, &ui::ListBox::selectionChanged, [&] { ++emitted; });
        // The line; the current line after setCurrent, and the selected lines after setSelected
        // too, in single and in multi-selection (which keeps what was selected).
        const std::tuple<int, int, std::vector<int>, std::vector<int>> rows[] = {
            {2, 2, {2}, {2}},
            {3, 2, {2}, {2}},
            {-2, 2, {2}, {2}},
            {0, 0, {0}, {0, 2}},
            {-1, -1, {}, {0, 2}}};
        for (const auto& [line, current, single, several] : rows) {
            SCOPED_TRACE(line + 10 * multi);
            box.setCurrent(line);
            box.setSelected(line, true);
            EXPECT_EQ(box.currentIndex(), current);
            EXPECT_EQ(box.selectedRows(), multi ? several : single);
        }
        EXPECT_EQ(emitted, multi ? 5 : 3);
    }
}
