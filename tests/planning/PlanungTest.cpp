// The window "Kurse und Schienen" on the demo school, as the planner uses it from the menu.
#include "Demo.h"

#include "app/MainWindow.h"
#include "db/Database.h"
#include "planning/frmPlanung.h"

#include <QFile>

using planning::frmPlanung;

namespace {

QStringList column(const ui::Grid& g, int col) {
    QStringList out;
    for (int r = g.FixedRows(); r < g.Rows(); ++r)
        out << g.TextMatrix(r, col);
    return out;
}

// The window from the main window's menu "Planung"; act plays the planner's part.
void fromMenu(test::Demo& d, const std::function<void(frmPlanung&)>& act) {
    app::MDIKundB main(d.s, d.host);
    d.host.onModal("frmPlanung", [&](ui::Window& w) { act(static_cast<frmPlanung&>(w)); });
    main.click("menuPlanungKuS");
    EXPECT_EQ(d.host.pending(), 0u);
}

} // namespace

TEST(Planung, CountsRailsAndACopyFromTheMenu) {
    test::Demo d;
    ASSERT_TRUE(d.ok);
    const QString copy = d.tmp.path("Schienen2009.MDB");
    fromMenu(d, [&](frmPlanung& w) {
        EXPECT_EQ(w.CmbJahrgang.lines(),
                  (QStringList{"2009 (Jahrgangsstufe 12)", "2008 (Jahrgangsstufe 13)"}));
        EXPECT_EQ(w.lstProbleme,
                  QStringList{"It GK: 1 Schüler hat es gewählt, aber es gibt keinen Kurs."});
        EXPECT_TRUE(column(w.grdKurse, 0).contains("Sk GK"));
        w.txtMax = "26";
        w.txtZeit = "5";
        w.cmdZaehlen_Click();
        EXPECT_TRUE(column(w.grdKurse, 3).contains("KS_MAX 26 (Vorgabe)"));
        EXPECT_FALSE(w.command("cmdKopie")->enabled);
        w.cmdSchienen_Click();
        EXPECT_TRUE(w.running());
        w.waitForWork();
        EXPECT_EQ(w.lstSchienen.last(), "Schienen nötig: 18 (in der Datei 14), bewiesen");
        d.host.onSaveFile(copy).onMessage(ui::Answer::Ok);
        w.cmdKopie_Click();
        EXPECT_TRUE(d.host.messages.back().text.startsWith("Die Kopie mit 18 Schienen"));
        w.cmdSchliessen_Click();
    });
    db::Connection c(copy);
    EXPECT_EQ(c.scalar("SELECT count(*) FROM block").toInt(), 18);
}

TEST(Planung, WhatIfFillsTheListInTheBackgroundAndStopsWhenCancelled) {
    test::Demo d;
    ASSERT_TRUE(d.ok);
    fromMenu(d, [&](frmPlanung& w) {
        w.txtZeit = "1";
        w.threads = 1;
        const int changes = static_cast<int>(w.changes().size());
        ASSERT_GT(changes, 1);
        w.cmdWasWaere_Click();
        w.cmdAbbrechen_Click();
        EXPECT_FALSE(w.running());
        EXPECT_EQ(w.lblStand, "Abgebrochen; was fertig war, steht in der Liste.");
        EXPECT_LT(column(w.grdWasWaere, 1).count(QString()) + 0, changes + 1);

        w.txtMax = "26";
        w.cmdZaehlen_Click();
        w.cmdWasWaere_Click();
        w.waitForWork();
        const QStringList collisions = column(w.grdWasWaere, 1);
        EXPECT_FALSE(collisions.contains(QString()));
        EXPECT_EQ(column(w.grdWasWaere, 0).first(),
                  blocking::changeText(w.model(), w.changes().front()));
        EXPECT_EQ(w.prgRechnung, 100);
    });
}

TEST(Planung, BadSizesAndSecondsAreSaidNotGuessed) {
    test::Demo d;
    ASSERT_TRUE(d.ok);
    fromMenu(d, [&](frmPlanung& w) {
        w.txtMax = "zwölf";
        EXPECT_THROW(w.cmdZaehlen_Click(), std::runtime_error);
        w.txtMax.clear();
        w.txtZeit = "0";
        d.host.onMessage("Die Sekunden je Suche sind eine ganze Zahl von 1 bis 3600.");
        w.cmdSchienen_Click();
        EXPECT_FALSE(w.running());
    });
}
