#include "PlannerRun.h"
#include "TestWorkspace.h"

#include "placement/frmK.h"
#include "support/DemoSchool.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>

// "Rückgängig" and "Wiederherstellen": every command of the history taken back and done again
// leaves the file and the screen as they were; a command that fails still gets its refresh.

namespace {

using test::Workspace;

// Four rails of 3 hours; D1 on S1, E1 on S2, M2 on S3, S4 empty. M1, M2, M3 are parallels; K1
// and M3 wait in the list. Students 1-6 take M1 and D1, 1-3 E1 too, 1-2 K1.
struct Planner : Workspace {
    Planner() {
        rails(4, 3);
        subject(2, "3");
        subject(3, "3");
        subject(4, "3");
        course(1, "M1");
        place(3, course(2, "M2"));
        place(1, course(3, "D1", {{"KS_FA_ID1", subjectKey(2)}}));
        place(2, course(4, "E1", {{"KS_FA_ID1", subjectKey(3)}}));
        course(5, "K1", {{"KS_FA_ID1", subjectKey(4)}});
        course(6, "M3");
        for (int i = 1; i <= 6; ++i) {
            student(i, QStringLiteral("Name%1").arg(i), "Vor");
            wahl(i, 1, courseKey(1));
            wahl(i, 2, courseKey(3));
            if (i <= 3)
                wahl(i, 3, courseKey(4));
            if (i <= 2)
                wahl(i, 4, courseKey(5));
        }
        load();
    }
    // What a command may change: the grid with its marks, LNKurse, the choices, the rails' hours.
    QStringList state() {
        QStringList marks;
        for (int c = 0; c < grid().Cols(); ++c)
            for (int r = 1; r < grid().Rows(); ++r)
                marks << QString::number(w().isFixed(r, c));
        return snapshot() + marks + db.rows("SELECT BL_ID, BL_STD FROM block ORDER BY BL_ID");
    }
    void clickCell(int row, int col) { grid().click(row, col); }
};

struct Case {
    const char* caption;
    std::function<void(Planner&)> prepare; // selections and the script's answers
    const char* command;
    // Makes it fail: the file refuses what the command reads or writes, or the command is
    // refused.
    std::function<void(Planner&)> breakIt;
};

void noChoices(Planner& p) {
    p.db.scalar("ALTER TABLE belegung RENAME TO belegung_weg");
}

const Case kCases[] = {
    {"Schiene auffüllen",
     [](Planner& p) {
         p.selectCourses({"K1"});
         p.clickCell(0, 3);
     },
     "cmdSchA", noChoices},
    {"Kurs zuweisen",
     [](Planner& p) {
         p.selectCourses({"M1"});
         p.w().LSchueler.setSelected(0, true);
         p.host.onModal("frmK",
                        [](ui::Window& w) { static_cast<placement::frmK&>(w).cmdOK_Click(); });
     },
     "cmdKzw", noChoices},
    {"Kollisionen beseitigen",
     [](Planner& p) {
         p.selectCourses({"M1", "K1"});
         p.clickCell(0, 2);
     },
     "cmdKollbs", noChoices},
    {"Stunde ändern",
     [](Planner& p) {
         p.clickCell(0, 3);
         p.host.onInput("2");
     },
     "cmdBlock",
     [](Planner& p) {
         p.db.scalar("CREATE TRIGGER kaputt BEFORE UPDATE ON block BEGIN SELECT RAISE(ABORT, "
                     "'kaputt'); END");
     }},
    {"<", [](Planner& p) { p.clickCell(1, 0); }, "cmdS2K", noChoices},
    {"ausschneiden", [](Planner& p) { p.clickCell(0, 1); }, "menuBearbAus",
     [](Planner& p) {
         p.grid().setSelEndCol(0);
         p.host.onMessage("Keine Spalte in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
     }},
    {"einfügen",
     [](Planner& p) {
         p.clickCell(0, 0);
         p.w().click("menuBearbAus");
         p.clickCell(0, 2);
     },
     "menuBearbEinf", noChoices},
    {"fixieren / lösen", [](Planner& p) { p.clickCell(1, 1); }, "menuBearbFix",
     [](Planner& p) {
         p.clickCell(0, 1);
         p.host.onMessage("Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
     }},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.command;
}

class EveryCommand : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(EveryCommand, IsTakenBackAndDoneAgain) {
    Planner p;
    const Case& c = GetParam();
    c.prepare(p);
    const QStringList before = p.state();
    ASSERT_TRUE(p.w().click(c.command));
    const QStringList after = p.state();
    ASSERT_NE(after, before);
    const QString caption = QString::fromUtf8(c.caption);
    EXPECT_EQ(p.w().command("menuBearbRueck")->caption, "&Rückgängig: " + caption);
    ASSERT_TRUE(p.w().click("menuBearbRueck"));
    EXPECT_EQ(p.state(), before);
    EXPECT_EQ(p.w().command("menuBearbWied")->caption, "&Wiederherstellen: " + caption);
    ASSERT_TRUE(p.w().click("menuBearbWied"));
    EXPECT_EQ(p.state(), after);
}

// The command fails midway (the file refuses what it reads or writes) or is refused: nothing of
// it goes into the history, and the refresh after it still shows the file as it stands.
TEST_P(EveryCommand, FailingStillRefreshes) {
    Planner p;
    const Case& c = GetParam();
    c.prepare(p);
    c.breakIt(p);
    const bool undoable = p.w().command("menuBearbRueck")->enabled;
    p.w().lblBewertung = QStringList{"vorher"};
    try {
        p.w().click(c.command);
    } catch (const std::exception&) {
    }
    EXPECT_NE(p.w().lblBewertung, QStringList{"vorher"}) << "refreshed";
    EXPECT_EQ(p.w().command("menuBearbRueck")->enabled, undoable);
}

INSTANTIATE_TEST_SUITE_P(Workspace, EveryCommand, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) {
                             return std::to_string(i.index);
                         });

// A new command ends what could be done again; deleting a course, which the plans of the
// history may hold, starts it anew.
TEST(History, ANewCommandEndsRedoingAndDeletingACourseStartsAnew) {
    Planner p;
    p.clickCell(1, 0);
    p.w().click("menuBearbFix");
    p.w().click("menuBearbRueck");
    ASSERT_TRUE(p.w().command("menuBearbWied")->enabled);
    p.w().click("menuBearbFix");
    EXPECT_FALSE(p.w().command("menuBearbWied")->enabled);
    p.selectCourses({"M3"});
    p.host.onMessage("Wollen Sie den Kurs M3    wirklich löschen?", ui::Answer::Yes);
    p.w().click("cmdKursL");
    EXPECT_FALSE(p.w().command("menuBearbRueck")->enabled);
}

// 20 random runs of commands on the demo school, each taken back whole and done again whole:
// the file and the screen are as they were before and after.
TEST(History, RandomRunsAreTakenBackAndDoneAgainWhole) {
    test::TempDir tmp;
    test::ScriptedHost importing;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    ASSERT_TRUE(test::importDemoSchool(s, importing));
    const QString pristine = tmp.path("pristine.mdb");
    ASSERT_TRUE(QFile::copy(s.databasePath(), pristine));
    const auto shown = [&](placement::SetzenK& w) {
        return test::screen(w).mid(1, w.grdSchienen.Rows() * w.grdSchienen.Cols()) +
               w.LNKurse.lines() + test::dumpDatabase(s.databasePath());
    };
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        QFile::remove(s.databasePath());
        ASSERT_TRUE(QFile::copy(pristine, s.databasePath()));
        test::RandomHost host(seed);
        placement::SetzenK w(s, host);
        w.Form_Load();
        const QStringList start = shown(w);
        for (int i = 0; i < 12; ++i)
            test::randomStep(w, host, false);
        const QStringList end = shown(w);
        while (w.click("menuBearbRueck")) {
        }
        EXPECT_EQ(shown(w), start) << "seed " << seed;
        while (w.click("menuBearbWied")) {
        }
        EXPECT_EQ(shown(w), end) << "seed " << seed;
    }
}
