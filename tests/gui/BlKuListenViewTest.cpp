#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "platform/RunState.h"
#include "printing/frmBlKuListen.h"
#include "support/DemoSchool.h"
#include "support/Printers.h"
#include "support/TestDb.h"
#include "ui/QuietHost.h"

#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

TEST(BlKuListenView, OpensWithTheCohortsTheRailsAndTheOrientation) {
    test::TempDir tmp;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = QStringLiteral("BB.MDB");
    ui::QuietHost quiet;
    ASSERT_TRUE(test::importDemoSchool(s, quiet));
    gui::QtHost host;
    gui::registerViews(host);
    printing::frmBlKuListen w(s, host);
    w.Form_Load();
    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view) << "frmBlKuListen has a registered view";
    EXPECT_EQ(view->windowTitle(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2009"));
    auto* cohorts = view->findChild<QComboBox*>("cmbKollJahrg");
    ASSERT_TRUE(cohorts);
    EXPECT_EQ(cohorts->count(), 2);
    EXPECT_EQ(cohorts->currentText(), "2009");
    auto* rails = view->findChild<QListView*>("lstBlock");
    ASSERT_TRUE(rails);
    EXPECT_EQ(rails->model()->rowCount(), 14);
    EXPECT_EQ(rails->selectionMode(), QAbstractItemView::MultiSelection);
    auto* portrait = view->findChild<QRadioButton*>("optHoch");
    auto* landscape = view->findChild<QRadioButton*>("OptQuer");
    ASSERT_TRUE(portrait && landscape);
    EXPECT_TRUE(portrait->isChecked());
    EXPECT_EQ(landscape->text(), "Querformat");
    EXPECT_EQ(view->findChild<QPushButton*>("cmdDruck")->text(), "&drucken");

    // The user's choices reach the window.
    landscape->click();
    EXPECT_TRUE(w.OptQuer);
    EXPECT_FALSE(w.optHoch);
    emit cohorts->activated(1);
    EXPECT_EQ(view->windowTitle(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2008"));
    rails->selectionModel()->select(rails->model()->index(2, 0), QItemSelectionModel::Select);
    EXPECT_EQ(w.lstBlock.selectedRows(), std::vector<int>({2}));
    view->close();
}
