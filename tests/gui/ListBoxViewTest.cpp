#include "gui/ListBoxView.h"
#include "support/Printers.h"
#include "ui/ListBox.h"

#include <QItemSelectionModel>
#include <gtest/gtest.h>

// The user's selection reaches the model and runs the window's handler; a selection the logic
// makes shows in the view without running it again.
TEST(ListBoxView, UserSelectionsRunTheHandlerLogicSelectionsDoNot) {
    ui::ListBox model(true);
    model.setLines({"1D1", "1D2", "1E1"});
    gui::ListBoxView view(model, nullptr);
    int clicks = 0;
    QObject::connect(&view, &gui::ListBoxView::clicked, [&clicks]() { ++clicks; });

    view.selectionModel()->select(model.index(1), QItemSelectionModel::Select);
    EXPECT_TRUE(model.selected(1));
    EXPECT_EQ(clicks, 1);

    model.setSelected(2, true);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(2, QModelIndex()));
    EXPECT_EQ(clicks, 1) << "the logic's own marking is no click";

    ui::ListBox single(false);
    single.setLines({"2009/2010          9", "2008/2009          8"});
    gui::ListBoxView years(single, nullptr);
    QObject::connect(&years, &gui::ListBoxView::clicked, [&clicks]() { ++clicks; });
    years.selectionModel()->select(single.index(1), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(single.currentIndex(), 1)
        << "in a single-selection list the selected line is current";
    EXPECT_EQ(clicks, 2);
}
