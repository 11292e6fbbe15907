#include "export/frmAKursPh.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"

#include <QDir>
#include <QListView>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(AKursPhView, OpensWithTheCoursePhasesAndHandsTheChosenOneBack) {
    gui::QtHost host;
    gui::registerViews(host);
    exporter::frmAKursPh w(host);
    w.List1.setLines({"2009", "2008"});
    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view) << "frmAKursPh has a registered view";
    EXPECT_EQ(view->windowTitle(), "Auswahl der Kursphase");
    auto* list = view->findChild<QListView*>("List1");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->model()->rowCount(), 2);
    auto* ok = view->findChild<QPushButton*>("Command1");
    auto* cancel = view->findChild<QPushButton*>("Command2");
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), "&Ok");
    EXPECT_EQ(cancel->text(), "&Abbrechen");
    QDir().mkpath(KUBB_BINARY_DIR "/screenshots");
    view->grab().save(KUBB_BINARY_DIR "/screenshots/frmAKursPh.png");

    list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    ok->click();
    EXPECT_EQ(w.Label1, "2008");

    // Another one closed by its close box answers as "&Abbrechen".
    exporter::frmAKursPh again(host);
    again.List1.setLines({"2009"});
    again.List1.setCurrent(0);
    host.showModeless(again);
    QWidget* view2 = host.viewOf(again);
    ASSERT_TRUE(view2);
    again.Label1 = "2009";
    view2->close();
    EXPECT_EQ(again.Label1, "");
}
