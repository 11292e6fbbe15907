#include "TestWorkspace.h"

#include "blocking/Rules.h"
#include "placement/frmAutoSetzen.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <thread>

using placement::frmAutoSetzen;
using test::Workspace;

namespace {

// Three rails of 3 hours; Mathe with M1 and M2, Deutsch D1 (on S1), Englisch E1 (on S2), all
// of 3 hours, of year group 12. Six students choose Mathe (all in M1) and Deutsch, the first
// three Englisch too. The first three need Mathe on S3; the parallels can be 3 and 3.
struct Cohort : Workspace {
    QStringList belegung() { return db.rows("SELECT * FROM belegung ORDER BY BG_ID"); }
    Cohort() {
        rails(3, 3);
        subject(2, "3");
        subject(3, "3");
        course(1, "M1");
        course(2, "M2");
        place(1, course(3, "D1", {{"KS_FA_ID1", subjectKey(2)}}));
        place(2, course(4, "E1", {{"KS_FA_ID1", subjectKey(3)}}));
        for (int i = 1; i <= 6; ++i) {
            student(i, QStringLiteral("Name%1").arg(i), "Vor");
            for (int subject = 1; subject <= (i <= 3 ? 3 : 2); ++subject)
                wahl(i, subject, courseKey(subject == 1 ? 1 : subject + 1));
        }
        load();
    }
    // "Automatisch setzen ..." with the planner's part in the window (by default the search
    // runs and its plan is taken over), then the script's further prompts.
    void autoSetzen(const std::function<void(frmAutoSetzen&)>& act = take,
                    const std::function<void(test::ScriptedHost&)>& then = {}) {
        host.onModal("frmAutoSetzen", [act](ui::Window& window) {
            auto& a = static_cast<frmAutoSetzen&>(window);
            a.threads = 2;
            act(a);
        });
        if (then)
            then(host);
        ASSERT_TRUE(w().click("cmdAutoS"));
    }
    static void take(frmAutoSetzen& a) {
        run(a);
        a.click("cmdUebernehmen");
    }
    QStringList fileEvaluation() { return blocking::describe(evaluation()); }
    static void run(frmAutoSetzen& a) {
        a.click("cmdStart");
        a.waitForSearch();
    }
};

// The lines of the "Bewertung" panel, with what differs between the cases.
QStringList panel(int unplaced, const QString& difference, const QString& squares) {
    return {"Kollisionen (Schüler): 0",
            "Kollidierende Kurspaare: 0",
            QStringLiteral("Kurse nicht gesetzt: %1").arg(unplaced),
            "Belegungen ohne Kurs: 0",
            "Kurse außerhalb ihrer Grenzen: 0",
            "Kurse auf zu vielen Schienen: 0",
            "Größte Differenz: " + difference + ", bestmöglich 0",
            "Summe der Abweichungsquadrate: " + squares + ", Untergrenze 0,00"};
}
const QStringList kBefore = panel(2, "6 (M1 M2)", "18,00");
const QStringList kOptimal = panel(0, "0 (M1 M2)", "0,00") << "optimal";

} // namespace

TEST(AutoSetzen, SearchesTakesOverOnlyAskedRueckgaengigAndAllesNeuKeepsFixedPlacements) {
    Cohort s;
    placement::SetzenK fresh(s.state, s.host);
    fresh.Form_Load();
    EXPECT_TRUE(fresh.bewertungPending && fresh.lblBewertung.isEmpty()) << "once it shows";
    placement::SetzenK& w = s.w();
    EXPECT_EQ(w.lblBewertung, kBefore);
    const QStringList grid = s.columns(), waiting = w.LNKurse.lines(), rows = s.belegung();
    // "Übernehmen" of the search's plan.
    s.autoSetzen();
    EXPECT_TRUE(w.LNKurse.lines().isEmpty());
    // The file holds the whole plan: its rails with its students' courses; placed courses stay.
    EXPECT_EQ(s.fileEvaluation() + w.lblBewertung, kOptimal + kOptimal);
    EXPECT_EQ(s.railsOf("KS0003") + s.railsOf("KS0004"), (QStringList{"S1", "S2"}));

    // Rückgängig: the choices and placements exactly, the grid and LNKurse as before.
    ASSERT_TRUE(w.click("menuBearbRueck"));
    EXPECT_EQ(s.belegung() + s.columns() + w.LNKurse.lines(), rows + grid + waiting);
    EXPECT_EQ(s.fileEvaluation() + w.lblBewertung, kBefore + kBefore);
    EXPECT_FALSE(w.command("menuBearbRueck")->enabled) << "one step";

    const QString zeit = "Die Zeitgrenze ist eine ganze Zahl von Sekunden von 1 bis 3600.";
    const QString keep = "Varianten behalten: eine ganze Zahl von 0 bis 10.";
    // Each input just beyond its limits is refused.
    const QStringList refused[] = {
        {"0", "0", zeit}, {"3601", "0", zeit}, {"10", "11", keep}, {"10", "-1", keep}};
    s.autoSetzen(
        [&](frmAutoSetzen& a) {
            EXPECT_EQ(a.lblVorher, kBefore);
            EXPECT_EQ(a.lblStand, "Jahrgangsstufe 12 (2009): 6 Schüler, 4 Kurse, 3 Schienen");
            EXPECT_FALSE(a.command("cmdUebernehmen")->enabled);
            for (const QStringList& r : refused) {
                a.txtZeit = r[0];
                a.txtVarianten = r[1];
                EXPECT_TRUE(a.click("cmdStart"));
                EXPECT_FALSE(a.running()) << r.join(' ').toStdString();
            }
            a.txtZeit = "10";
            a.txtVarianten = "0";
            Cohort::run(a);
            EXPECT_EQ(a.lblNachher, kOptimal);
            EXPECT_TRUE(a.lblStand.startsWith("Optimal nach ")) << a.lblStand.toStdString();
            EXPECT_TRUE(a.click("cmdVerwerfen"));
        },
        [&](test::ScriptedHost& h) {
            for (const QStringList& r : refused)
                h.onMessage(r[2]);
        });
    EXPECT_EQ(s.columns() + s.belegung() + w.lblBewertung, grid + rows + kBefore);
    EXPECT_FALSE(w.command("menuBearbRueck")->enabled);

    // Refused while a rail is cut.
    w.grdSchienen.click(0, 0);
    w.click("menuBearbAus");
    s.host.onMessage(test::kHeld);
    w.click("cmdAutoS");
    EXPECT_EQ(s.host.modal, QStringList(2, "frmAutoSetzen")) << "none opened now";

    // Another program moves a student of M1 into M2 after the panel has read the cohort: the
    // window reads it again.
    w.click("menuBearbEinf");
    s.db.scalar("UPDATE belegung SET BG_KS_ID_12 = 'KS0002' WHERE BG_ID = 1");
    s.autoSetzen([](frmAutoSetzen& a) {
        EXPECT_NE(a.lblVorher, kBefore);
        EXPECT_TRUE(a.click("cmdVerwerfen"));
    });

    // It moves him back and forth during the search: the plan is taken over only when the
    // planner agrees, and "Rückgängig" returns to the other program's state.
    QStringList changed;
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        const bool yes = answer == ui::Answer::Yes;
        const QStringList shown = s.columns();
        s.autoSetzen(
            [&](frmAutoSetzen& a) {
                Cohort::run(a);
                s.db.scalar("UPDATE belegung SET BG_KS_ID_12 = ? WHERE BG_ID = 1",
                            {QString(yes ? "KS0002" : "KS0001")});
                changed = s.belegung();
                a.click("cmdUebernehmen");
            },
            [&](test::ScriptedHost& h) {
                h.onMessage("Schienen oder Belegungen wurden während der Suche von einem anderen "
                            "Programm geändert. Den Plan trotzdem übernehmen?",
                            answer);
            });
        EXPECT_EQ(s.belegung() == changed, !yes);
        EXPECT_EQ(s.columns() == shown, !yes);
        EXPECT_EQ(w.command("menuBearbRueck")->caption == "&Rückgängig: Automatisch setzen", yes);
    }
    ASSERT_TRUE(w.click("menuBearbRueck"));
    EXPECT_EQ(s.belegung(), changed);

    // E1 fixed on S2; in "Alles neu" D1 may move, E1 may not.
    w.grdSchienen.click(1, 1);
    w.click("menuBearbFix");
    // "Varianten behalten": the search's best distinct plans become variants, the plan taken over
    // first.
    size_t kept = 0;
    s.autoSetzen([&](frmAutoSetzen& a) {
        a.txtVarianten = "10";
        a.optAlles_Click();
        Cohort::run(a);
        kept = a.result()->kept.size();
        a.click("cmdUebernehmen");
    });
    const std::vector<blocking::VariantInfo> variants = s.variants();
    ASSERT_GE(kept, 2u);
    ASSERT_EQ(variants.size(), kept);
    for (size_t i = 0; i < kept; ++i)
        EXPECT_TRUE(variants[i].name.startsWith(QStringLiteral("Automatisch %1 (").arg(i + 1)));
    EXPECT_EQ(variants[0].movedCourses + variants[0].changedStudents, 0);
    EXPECT_GT(variants[1].movedCourses, 0);
    EXPECT_EQ(w.lblBewertung, kOptimal);
    EXPECT_EQ(s.railsOf("KS0004"), QStringList{"S2"});
    const auto e1 = s.column(1).indexOf(QRegularExpression("E1 .*"));
    EXPECT_TRUE(w.isFixed(static_cast<int>(e1), 1));
    // A command that changes the placement comes next in the history.
    EXPECT_EQ(w.command("menuBearbRueck")->caption, "&Rückgängig: Automatisch setzen");
    w.click("menuBearbFix");
    EXPECT_EQ(w.command("menuBearbRueck")->caption, "&Rückgängig: fixieren / lösen");
    // "Abbrechen" on closing leaves the file with the whole plan taken over; it comes back.
    const QStringList shown = s.columns();
    ASSERT_TRUE(s.close(ui::Answer::Cancel));
    EXPECT_EQ(s.fileEvaluation(), kOptimal);
    EXPECT_EQ(s.load().lblBewertung + s.columns() + s.w().LNKurse.lines(), kOptimal + shown);
}

TEST(AutoSetzen, WenigAendernShowsAndPrintsTheChangesBeforeUebernehmen) {
    // M1 on S3 holds every student; student 4 chose Englisch since. Only his new choice needs a
    // course: Mathe stays as it is, though M2 would even out the sizes.
    Cohort s;
    s.place(3, test::School::courseKey(1));
    const qint64 english = s.wahl(4, 3, {});
    s.load();
    const QString others =
        "SELECT BG_ID, BG_KS_ID_12 FROM belegung WHERE BG_ID <> ? ORDER BY BG_ID";
    const QStringList rows = s.db.rows(others, {english});
    const QString line = "ST0004 Name4, Vor: — → E1";
    s.autoSetzen([&](frmAutoSetzen& a) {
        a.txtZeit = "1";
        a.optWenig_Click();
        EXPECT_FALSE(a.optRest || a.optAlles);
        Cohort::run(a);
        EXPECT_EQ(a.lblWechselCaption, "Schüler mit Kurswechsel: 1");
        EXPECT_EQ(a.lstWechsel, QStringList{line});
        ASSERT_TRUE(a.click("cmdDrucken"));
        ASSERT_EQ(s.host.printJobs.size(), 1u);
        EXPECT_EQ(s.host.printJobs[0].lines,
                  (QStringList{"Kurswechsel der Jahrgangsstufe 12 (2009)",
                               "Schüler mit Kurswechsel: 1", "", line}));
        a.click("cmdUebernehmen");
    });
    // The file holds the change shown, and nothing else of the students.
    EXPECT_EQ(s.courseOf(english), test::School::courseKey(4));
    EXPECT_EQ(s.db.rows(others, {english}), rows);
}

TEST(AutoSetzen, AbbrechenKeepsTheBestPlanFound) {
    // The first student chooses a fourth subject: one of his courses always collides. "Wenig
    // ändern" keeps everybody in M1, so the search would run to its time limit.
    Cohort s;
    s.subject(4, "3");
    s.course(5, "K4", {{"KS_FA_ID1", test::School::subjectKey(4)}});
    s.wahl(1, 4, {});
    s.load();
    s.host.onModal("frmAutoSetzen", [](ui::Window& window) {
        auto& a = static_cast<frmAutoSetzen&>(window);
        a.threads = 1;
        a.txtZeit = "60";
        a.optWenig_Click();
        a.click("cmdStart");
        EXPECT_TRUE(a.running());
        EXPECT_FALSE(a.command("cmdStart")->enabled || a.command("cmdVerwerfen")->enabled);
        // The first plan is reported as soon as the chains have started.
        for (int i = 0; i < 100 && a.lblNachher.isEmpty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            a.tmrSuche_Timer();
        }
        EXPECT_EQ(a.lblNachherCaption, "Bisher bestes Ergebnis");
        EXPECT_TRUE(a.lblStand.startsWith("Die Suche läuft: ")) << a.lblStand.toStdString();

        a.click("cmdAbbrechen");
        EXPECT_FALSE(a.running());
        ASSERT_TRUE(a.result());
        EXPECT_TRUE(a.result()->cancelled);
        EXPECT_EQ(a.lblNachherCaption, "Nachher");
        EXPECT_TRUE(a.lblNachher.last().startsWith(
            "beste gefundene Lösung (Größte Differenz 6, Untergrenze 0: nicht bewiesen"))
            << a.lblNachher.last().toStdString();
        EXPECT_EQ(a.lblGruendeCaption, "Unvermeidbar:");
        EXPECT_EQ(a.lblGruende,
                  (QStringList{"Kollisionen: mindestens 1",
                               "  Name1, Vor: Die gewählten Kurse brauchen 12 Stunden, alle "
                               "Schienen zusammen haben 9."}));
        EXPECT_TRUE(a.lblStand.startsWith("Abgebrochen nach ")) << a.lblStand.toStdString();
        EXPECT_TRUE(a.command("cmdUebernehmen")->enabled);
    });
    s.w().click("cmdAutoS");
}

TEST(AutoSetzen, RulesNoPlanKeepsAreListedBeforeTheSearchWhichGoesOnOnlyWhenAsked) {
    // D1 is the only course of Deutsch, which the first student chose.
    Cohort s;
    {
        db::Connection c(s.path());
        blocking::addRule(c, test::kYear, "student-not-in-course", {"ST0001", "D1"});
    }
    s.load();
    const QString rule = "Die Regel „Schüler Name1, Vor nicht im Kurs D1“ kann kein Plan "
                         "einhalten: Nur dieser Kurs bietet Name1, Vor eine seiner Wahlen.";
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        bool searched = false;
        s.autoSetzen(
            [&](frmAutoSetzen& a) {
                EXPECT_EQ(a.lblGruendeCaption, "Die Regeln lassen keinen Plan zu:");
                EXPECT_EQ(a.lblGruende, QStringList{rule});
                Cohort::run(a);
                searched = a.result().has_value();
                EXPECT_EQ(a.lblNachher.filter("Regeln verletzt"),
                          searched ? QStringList{"Regeln verletzt: 1, bestmöglich 1 "
                                                 "(Schüler Name1, Vor nicht im Kurs D1)"}
                                   : QStringList{});
            },
            [&](test::ScriptedHost& h) {
                h.onMessage("Die Regeln lassen keinen Plan zu:\n\n" + rule +
                                "\n\nTrotzdem suchen? „Nein“ führt zurück zu den Regeln.",
                            answer);
                if (answer == ui::Answer::No)
                    h.onModal("frmRegeln", [](ui::Window& r) { r.click("cmdSchliessen"); });
            });
        EXPECT_EQ(searched, answer == ui::Answer::Yes);
    }
}

// "beide Jahrgangsstufen": two students of 2008 choose X1 of year group 13, which teacher T
// shares with M1. The window plans both, refuses variants for them, writes both year fields and
// "Rückgängig" takes the whole plan back; a file of one cohort says so and plans it alone.
TEST(AutoSetzen, BeideJahrgangsstufenPlansBothYearGroupsInOneSearch) {
    Cohort alone;
    alone.autoSetzen(
        [](frmAutoSetzen& a) {
            a.chkBeide_Click();
            EXPECT_FALSE(a.chkBeide);
            EXPECT_EQ(a.lblStand, "Jahrgangsstufe 12 (2009): 6 Schüler, 4 Kurse, 3 Schienen");
            a.click("cmdVerwerfen");
        },
        [](test::ScriptedHost& h) {
            h.onMessage("Der Jahrgang 2008 hat in dieser Datei keine Schüler; es gibt nur eine "
                        "Jahrgangsstufe.");
        });

    Cohort s;
    s.subject(4, "3", {{"FA_KURSPH", "2008"}});
    s.connection().exec("UPDATE kurs SET KS_LE_ID = 'T' WHERE KS_ID = 1");
    const QString x1 = s.course(
        5, "X1",
        {{"KS_FA_ID1", test::School::subjectKey(4)}, {"KS_JGST", "12"}, {"KS_LE_ID", "T"}});
    for (int i = 7; i <= 8; ++i) {
        s.student(i, QStringLiteral("Name%1").arg(i), "Vor", "2008");
        s.choice(test::School::studentKey(i), {}, {},
                 {{"BG_FA_ID", test::School::subjectKey(4)}, {"BG_ART", "S"}});
    }
    const QStringList before = s.snapshot();
    s.autoSetzen(
        [](frmAutoSetzen& a) {
            // On, off and on again: the cohort alone, then both, as loaded once.
            for (const bool both : {true, false, true}) {
                a.chkBeide_Click();
                EXPECT_EQ(a.chkBeide, both);
                EXPECT_EQ(a.lblStand,
                          both ? "Jahrgangsstufen 12 und 13 (2009, 2008): 8 Schüler, 5 Kurse, 3 "
                                 "Schienen"
                               : "Jahrgangsstufe 12 (2009): 6 Schüler, 4 Kurse, 3 Schienen");
            }
            a.txtVarianten = "1";
            a.click("cmdStart");
            EXPECT_FALSE(a.running());
            a.txtVarianten = "0";
            Cohort::run(a);
            EXPECT_EQ(a.lblNachher.mid(0, 3),
                      QStringList({"Kollisionen (Schüler): 0", "  davon Jahrgang 2009: 0",
                                   "  davon Jahrgang 2008: 0"}));
            a.click("cmdUebernehmen");
        },
        [](test::ScriptedHost& h) {
            h.onMessage("Varianten werden je Jahrgang gespeichert: für beide Jahrgangsstufen "
                        "zusammen bitte 0 Varianten behalten.");
        });
    // X1 beside M1 of the same teacher on no rail; both students of 2008 in it, in their field.
    ASSERT_EQ(s.railsOf(x1).size(), 1);
    EXPECT_FALSE(s.railsOf("KS0001").contains(s.railsOf(x1).first()));
    EXPECT_EQ(s.db.rows("SELECT BG_KS_ID_12, BG_KS_ID_13 FROM belegung WHERE BG_KO_ID IN "
                        "('ST0007', 'ST0008')"),
              QStringList(2, "<null>|" + x1));
    ASSERT_TRUE(s.w().click("menuBearbRueck"));
    EXPECT_EQ(s.snapshot(), before);
}
