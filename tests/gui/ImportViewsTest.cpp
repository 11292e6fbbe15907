#include "common/MessageWindow.h"
#include "gui/QtHost.h"
#include "gui/ShellViews.h"
#include "import/ErzKuB.h"
#include "platform/RunState.h"
#include "support/Printers.h"

#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(ImportViews, ImportWindowAndMessageWindowOpenWithTheirControls) {
    platform::RunState s;
    gui::QtHost host;
    gui::registerViews(host);
    importer::ErzKuB w(s, host);
    w.lstSJ.setLines({"2009/2010          9", "2008/2009          8"});
    w.lstKollJahrg.setLines({"2009", "2008"});
    host.showModeless(w);
    QWidget* view = host.viewOf(w);
    ASSERT_TRUE(view);
    EXPECT_EQ(
        view->windowTitle(),
        QString::fromUtf8("Einstellungen für den Import aus MERIX an das Blockbildungsprogramm"));
    QStringList frames;
    for (auto* g : view->findChildren<QGroupBox*>())
        frames << g->title();
    EXPECT_EQ(frames, (QStringList{"Schuljahre", QString::fromUtf8("Kollegiatenjahrgänge")}));
    EXPECT_EQ(view->findChild<QPushButton*>("Befehl1")->text(), "&Daten importieren");
    EXPECT_EQ(view->findChild<QPushButton*>("Befehl2")->text(), "&Abbruch");
    EXPECT_EQ(view->findChild<QPushButton*>("cmdSeek")->text(), "Durchsuchen");
    auto* cohorts = view->findChild<QListView*>("lstKollJahrg");
    ASSERT_TRUE(cohorts);
    EXPECT_EQ(cohorts->model()->rowCount(), 2);
    cohorts->selectionModel()->select(cohorts->model()->index(1, 0), QItemSelectionModel::Select);
    EXPECT_TRUE(w.lstKollJahrg.selected(1)) << "the user's selection reaches the model";

    common::frmFMld m(host);
    m.appendLine("2008: Fach: It   Bergmann");
    host.showModeless(m);
    QWidget* mv = host.viewOf(m);
    ASSERT_TRUE(mv);
    EXPECT_EQ(mv->windowTitle(), QString::fromUtf8("Kurszuweisung nicht möglich:"));
    EXPECT_EQ(mv->findChild<QPlainTextEdit*>("txtFMld")->toPlainText(),
              "2008: Fach: It   Bergmann\n");
    EXPECT_EQ(mv->findChild<QPushButton*>("cmddrucken")->text(), "&drucken");
    EXPECT_EQ(mv->findChild<QPushButton*>("cmdgelesen")->text(), "&gelesen");
}
