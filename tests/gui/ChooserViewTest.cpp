#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "placement/SetzenK.h"
#include "placement/frmK.h"
#include "platform/RunState.h"
#include "support/Printers.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(ChooserView, OpensWithTheCourseItsParallelsAndTheTwoButtons) {
    platform::RunState s;
    gui::QtHost host;
    gui::registerViews(host);
    placement::SetzenK caller(s, host);
    caller.lblNKurs = "x";
    placement::frmK w(caller, host);
    w.lblK = "Ma1  ";
    w.lblKi = "KS0001";
    w.lstK.setLines({"Ma2 KS0002", "Ma3 KS0003"});
    w.lstK.setCurrent(0);
    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view) << "frmK has a registered view";
    EXPECT_EQ(view->windowTitle(), "Kursauswahl");
    EXPECT_EQ(view->findChild<QLabel*>("Label1")->text(),
              QString::fromUtf8("Alternativen für Kurs: "));
    EXPECT_EQ(view->findChild<QLabel*>("lblK")->text(), "Ma1  ");
    EXPECT_EQ(view->findChild<QLabel*>("Label2")->text(), "Index:");
    EXPECT_EQ(view->findChild<QLabel*>("lblKi")->text(), "KS0001");
    auto* list = view->findChild<QListView*>("lstK");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(view->findChild<QPushButton*>("cmdOK")->text(), "&Ok");
    auto* cancel = view->findChild<QPushButton*>("cmdCancel");
    EXPECT_EQ(cancel->text(), "&Abbruch");

    // The second line chosen in the view reaches the model; "&Ok" hands its key back.
    list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    view->findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(caller.lblNKurs, "KS0003");
    EXPECT_TRUE(w.unloaded());

    // A second chooser closed by its close box answers as "&Abbruch".
    placement::frmK again(caller, host);
    again.lstK.setLines({"Ma2 KS0002"});
    host.showModeless(again);
    QWidget* view2 = host.viewOf(again);
    ASSERT_TRUE(view2);
    view2->close();
    EXPECT_EQ(caller.lblNKurs, "");
    EXPECT_TRUE(again.unloaded());
}
