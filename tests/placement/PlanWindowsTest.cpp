#include "TestWorkspace.h"

#include "blocking/Rules.h"
#include "common/MessageWindow.h"
#include "placement/Figures.h"
#include "placement/frmLehrerSchienen.h"
#include "placement/frmRegeln.h"
#include "placement/frmVarianten.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <tuple>

namespace {

using placement::frmRegeln;
using placement::frmVarianten;

// Rails S1, S2; A on S1 chosen by student 1 (Erst, Eva), B on S2 chosen by student 2 (Zweit,
// Zoe); when staffed, both of teacher 7, A's key padded with blanks.
struct Plan : test::Workspace {
    explicit Plan(bool staffed = false) {
        rails(2, 3);
        place(1, single(1, "A", staffed ? test::Row{{"KS_LE_ID", "     7"}} : test::Row{}));
        place(2, single(2, "B", staffed ? test::Row{{"KS_LE_ID", "7"}} : test::Row{}));
        student(1, "Erst", "Eva");
        student(2, "Zweit", "Zoe");
        wahl(1, 11, courseKey(1));
        wahl(2, 12, courseKey(2));
        load();
    }
    // Plays act in the window frm<name> that the menu item menuBearb<name> opens, then closes it.
    template <class W> void inWindow(const QString& name, const std::function<void(W&)>& act) {
        host.onModal("frm" + name, [&](ui::Window& window) {
            act(dynamic_cast<W&>(window));
            window.click("cmdSchliessen");
        });
        ASSERT_TRUE(w().click("menuBearb" + name));
    }
    void inVarianten(const std::function<void(frmVarianten&)>& act) { inWindow("Varianten", act); }
    // B onto S1 in the grid, beside A.
    void bOntoS1() {
        auto& rails = w().plan.rails;
        rails[0].courses.push_back(rails[1].courses.front());
        rails[1].courses.clear();
        w().showRails();
    }
    // The first line of the "Bewertung" panel that holds this text.
    QString line(const QString& text) { return w().lblBewertung.filter(text).value(0); }
    static void select(frmVarianten& v, const QStringList& names) {
        for (int i = 0; i < v.lstVarianten.count(); ++i)
            v.lstVarianten.setSelected(i,
                                       names.contains(v.lstVarianten.line(i).section('\t', 0, 0)));
    }
    QStringList fields(frmVarianten& v, int line) { return v.lstVarianten.line(line).split('\t'); }
};

TEST(Regeln, AreAddedFromTheListsDeletedAfterAskingAndEvaluated) {
    Plan s(true);
    s.inWindow<frmRegeln>("Regeln", [&](frmRegeln& r) {
        EXPECT_EQ(r.CmbArt.text(), "Kurs nie auf der Schiene");
        EXPECT_EQ(r.lblErste + "|" + r.lblZweite, "Kurs|Schiene");
        EXPECT_EQ(r.lstZweite.lines(), (QStringList{"S1", "S2"}));
        s.host.onMessage("Bitte wählen Sie aus, wofür die Regel gilt.");
        r.click("cmdNeu"); // nothing picked
        r.lstErste.setCurrent(static_cast<int>(r.lstErste.lines().indexOf("A")));
        r.lstZweite.setCurrent(0);
        r.click("cmdNeu");
        s.host.onMessage("Die Regel gibt es schon: Kurs A nicht auf Schiene S1");
        r.click("cmdNeu"); // the same again
        EXPECT_EQ(r.lstRegeln.lines(), QStringList{"1  Kurs A nicht auf Schiene S1"});
        r.CmbArt.setCurrent(3);
        r.CmbArt_Click();
        EXPECT_EQ(r.lblErste + "|" + r.lblZweite, "Fach|");
    });
    EXPECT_EQ(s.line("Regeln"), "Regeln verletzt: 1 (Kurs A nicht auf Schiene S1)");
    // A on S1 breaks it: the cell and the rail are marked, their tooltips name the rule.
    EXPECT_EQ(std::tuple(s.w().breaksRule(1, 0), s.w().railBreaksRule(0), s.w().breaksRule(1, 1),
                         s.w().railBreaksRule(1)),
              std::tuple(true, true, false, false));
    EXPECT_EQ(s.w().cellTip(1, 0).split('\n').last(),
              "verletzt die Regel: Kurs A nicht auf Schiene S1");

    blocking::addRule(s.connection(), test::kYear, "student-in-course", {s.studentKey(1), "b"});
    s.inWindow<frmRegeln>("Regeln", [&](frmRegeln& r) {
        EXPECT_EQ(r.lstRegeln.lines(), (QStringList{"1  Kurs A nicht auf Schiene S1",
                                                    "2  Schüler Erst, Eva im Kurs B"}));
        // Kept on Nein.
        for (const auto& [answer, left] :
             {std::pair{ui::Answer::No, 2}, {ui::Answer::Yes, 1}, {ui::Answer::Yes, 0}}) {
            r.lstRegeln.setCurrent(0);
            s.host.onMessage(answer);
            r.click("cmdLoeschen");
            EXPECT_EQ(r.lstRegeln.count(), left);
        }
    });
    EXPECT_EQ(s.host.messages[s.host.messages.size() - 2].text,
              "Die Regel „Kurs A nicht auf Schiene S1“ löschen?");
    EXPECT_EQ(s.line("Regeln"), "") << "no line without rules";
}

// Another program deletes the first rule while the list still shows it: deleting that line
// deletes nothing else, says so and lists the rules anew.
TEST(Regeln, ALineOfAnOutdatedListDeletesNoOtherRule) {
    Plan s(true);
    blocking::addRule(s.connection(), test::kYear, "course-not-on-rail", {"A", "S1"});
    blocking::addRule(s.connection(), test::kYear, "course-not-on-rail", {"A", "S2"});
    s.inWindow<frmRegeln>("Regeln", [&](frmRegeln& r) {
        blocking::removeRule(s.connection(), test::kYear, 1);
        r.lstRegeln.setCurrent(0);
        s.host.onMessage(ui::Answer::Yes)
            .onMessage("Die Regeln wurden inzwischen von einem anderen Programm geändert; die "
                       "Liste zeigt sie jetzt neu.");
        r.click("cmdLoeschen");
        EXPECT_EQ(r.lstRegeln.lines(), QStringList{"1  Kurs A nicht auf Schiene S2"});
    });
}

// A and B of Krau (keys equal but for blanks) on S1: the tooltip, the panel and "Lehrer je Schiene"
// name him; B given Mei from the grid ends the clash, an unknown short name changes nothing,
// Rückgängig brings it back.
TEST(Lehrer, NamedInTheWorkspaceByRailAndGivenToACourse) {
    Plan s(true);
    for (const auto& [id, kuerzel] : {std::pair{7, "Krau"}, {8, "Mei"}})
        s.connection().insert(
            "lehrer",
            {{"LE_ID", id}, {"LE_VFP_ID", QString("%1").arg(id, 6)}, {"LE_KUERZ", kuerzel}});
    s.load();
    s.bOntoS1();
    s.w().Bewerten();
    EXPECT_EQ(s.w().cellTip(2, 0), "Lehrer Krau; auf dieser Schiene auch A");
    const QString clash = s.line("Lehrer");
    EXPECT_EQ(clash, "Lehrerkollisionen: 1 (Lehrer Krau, Schiene S1: A, B)");
    s.host.onModal("frmLehrerSchienen", [&](ui::Window& w) {
        const auto& l = dynamic_cast<placement::frmLehrerSchienen&>(w);
        const auto& t = l.tabelle;
        EXPECT_EQ(t.rails.first() + "|" + l.lblKollisionen,
                  "S1 (3 Std.)|Lehrerkollisionen beider Jahrgangsstufen: 1");
        ASSERT_EQ(t.rows.size(), 1u);
        EXPECT_EQ(t.rows[0].courses[0], (QStringList{"A", "B"}));
        w.click("cmdDrucken");
        w.click("cmdSchliessen");
    });
    ASSERT_TRUE(s.w().click("menuAnsichtLehrer"));
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_EQ(s.host.printJobs[0].lines.filter("|!A B").size(), 1);

    s.grid().click(2, 0);
    s.host.onInput(QString("xy"))
        .onMessage("Einen Lehrer mit dem Kürzel xy gibt es nicht. Neue "
                   "Lehrer erfassen Sie unter Bearbeiten - Lehrer.");
    s.host.onInput(QString(" mei"));
    for (int i = 0; i < 2; ++i)
        s.w().click("menuBearbLehrer");
    EXPECT_EQ(s.db.rows("SELECT trim(KS_LE_ID) FROM kurs ORDER BY KS_ID"), (QStringList{"7", "8"}));
    EXPECT_EQ(s.line("Lehrer"), "Lehrerkollisionen: 0");
    s.w().click("menuBearbRueck");
    EXPECT_EQ(s.line("Lehrer"), clash);
}

// Both students in A and B, both on S1: two students collide on one pair of courses. Zoe's
// choice of subject 13 finds no course; a click on its line names her and it.
TEST(Bewertung, CountsClashingPairsAndNamesTheChoicesWithoutCourse) {
    Plan s;
    s.wahl(1, 12, s.courseKey(2));
    s.wahl(2, 11, s.courseKey(1));
    s.wahl(2, 13, QVariant());
    s.subject(13, {}, {{"FA_BEZ", "Ph"}});
    s.bOntoS1();
    s.w().coursesStale = true; // the choices came after loading
    s.w().Bewerten();
    EXPECT_EQ(s.line("Kollisionen") + "|" + s.line("Kurspaare") + "|" + s.line("ohne Kurs"),
              "Kollisionen (Schüler): 2|Kollidierende Kurspaare: 1|Belegungen ohne Kurs: 1, "
              "bestmöglich 1");
    for (const QString& line : s.w().lblBewertung)
        EXPECT_FALSE(placement::figureTip(line).isEmpty()) << line.toStdString();
    s.host.onModal("frmFMld", [](ui::Window& w) {
        EXPECT_EQ(dynamic_cast<common::frmFMld&>(w).lines(), QStringList{"Zweit, Zoe: Ph GK"});
    });
    s.w().lblBewertung_Click(static_cast<int>(s.w().lblBewertung.indexOf(s.line("ohne Kurs"))));
    s.w().lblBewertung_Click(0); // no list behind the collisions
}

TEST(Varianten, SavedRenamedComparedTakenOverAndDeleted) {
    Plan s;
    s.inVarianten([&](frmVarianten& v) {
        s.host.onInput(QString("eins")).onInput(QString("erster Plan"));
        v.click("cmdSpeichern");
    });
    // B onto S1 in the grid, not saved: the variant takes the plan as the grid shows it.
    s.bOntoS1();
    s.inVarianten([&](frmVarianten& v) {
        s.host.onInput(QString("zwei")).onInput(QString()).onInput(QString("eins"));
        s.host.onInput(QString()).onMessage("Eine Variante „eins“ gibt es schon.");
        v.click("cmdSpeichern");
        v.click("cmdSpeichern"); // a name twice
        ASSERT_EQ(v.lstVarianten.count(), 4);
        EXPECT_EQ(s.fields(v, 0).first(), "aktuell");
        // Last, the least each figure can be: no plan collides, none need leave a choice open.
        EXPECT_EQ(s.fields(v, 3).mid(0, 4), (QStringList{"Untergrenze", "0", "", "0"}));
        EXPECT_EQ(s.fields(v, 1).mid(0, 1) + s.fields(v, 1).mid(8, 2) + s.fields(v, 1).mid(11),
                  (QStringList{"eins", "0", "1", "erster Plan"}))
            << "no student changes, one course moves back onto its rail";

        // "Umbenennen": the variant lists under its new name with its figures; a name the
        // window refuses leaves every line as it was, and so does Abbrechen. The new name typed,
        // the window's message (none: renamed), the name it lists under; eins again at the end.
        const QString sixty(60, QLatin1Char('x'));
        const QStringList listed = v.lstVarianten.lines();
        const std::tuple<std::optional<QString>, QString, QString> renames[] = {
            {QString(" ZWEI "), "Eine Variante „zwei“ gibt es schon.", "eins"},
            {QString("  "), "Eine Variante braucht einen Namen.", "eins"},
            {QString("Aktuell"),
             "Der Name „aktuell“ steht für den aktuellen Plan; bitte einen anderen wählen.",
             "eins"},
            {sixty + "y", "Der Name einer Variante hat höchstens 60 Zeichen.", "eins"},
            {std::nullopt, {}, "eins"}, // Abbrechen
            {QString("EINS"), {}, "EINS"},
            {" " + sixty + " ", {}, sixty},
            {QString("eins"), {}, "eins"}};
        for (const auto& [typed, message, name] : renames) {
            SCOPED_TRACE(typed.value_or("Abbrechen").toStdString());
            s.select(v, {v.lstVarianten.line(1).section('\t', 0, 0)});
            s.host.onInput(typed);
            if (!message.isEmpty())
                s.host.onMessage(message);
            v.click("cmdUmbenennen");
            QStringList expected = listed;
            expected[1] = QStringList{name, listed[1].section('\t', 1)}.join('\t');
            EXPECT_EQ(v.lstVarianten.lines(), expected);
            EXPECT_EQ(s.variants().at(0).name, name);
        }
        // The current plan and the bounds are no variant to rename.
        for (const QString line : {"aktuell", "Untergrenze"}) {
            s.select(v, {line});
            s.host.onMessage("Bitte wählen Sie eine Variante aus.");
            v.click("cmdUmbenennen");
            EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Exclamation);
        }

        s.select(v, {"eins", "zwei"});
        v.click("cmdVergleichen");
        EXPECT_EQ(v.lstUnterschiede, (QStringList{"Kurse auf anderen Schienen: 1", "B: S2 → S1", "",
                                                  "Schüler in anderen Kursen: 0"}));
        v.click("cmdDrucken");

        // Asked first, with what changes; each variant's figures are those of the plan it becomes.
        s.select(v, {"zwei"});
        s.host.onMessage(ui::Answer::No);
        v.click("cmdUebernehmen");
        EXPECT_EQ(s.variants().size(), 2u) << "Nein takes nothing over";
        for (const auto& [line, moved] : {std::pair{2, 0}, {1, 1}}) {
            const QStringList before = s.fields(v, line);
            s.select(v, {before.first()});
            s.host.onMessage(
                QStringLiteral("Die Variante „%1“ übernehmen?\n\nSchüler, die den Kurs "
                               "wechseln: 0\nKurse, die die Schiene wechseln: %2\n\n"
                               "Der jetzige Plan bleibt als Variante „vor Übernahme "
                               "…“ erhalten.")
                    .arg(before.first())
                    .arg(moved),
                ui::Answer::Yes);
            v.click("cmdUebernehmen");
            const blocking::Evaluation e = s.evaluation();
            const QStringList figures{QString::number(e.collisions),
                                      QString::number(e.clashingPairs),
                                      QString::number(e.withoutCourse),
                                      QString::number(e.outsideLimits),
                                      QString::number(e.largestDifference),
                                      QString::number(e.squaredDeviation, 'f', 2).replace('.', ','),
                                      QString::number(e.unplaced)};
            EXPECT_EQ(before.mid(1, 7), figures) << before.first().toStdString();
        }
    });
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_TRUE(s.host.printJobs[0].lines.contains("B: S2 → S1"));
    EXPECT_EQ(
        s.columns().join(" | "),
        "S1    3  001        1|A     3      3 KS0001 | S2    3  001        2|B     3      3 KS0002")
        << "eins taken over: B back on S2";
    EXPECT_TRUE(s.w().LNKurse.lines().isEmpty());
    // "Rückgängig" brings back the plan the window replaced, in grid and file; then again.
    const QStringList taken = s.snapshot();
    s.w().menuBearbRueck_Click();
    EXPECT_EQ(s.columns().join(" | "), "S1    3  002        1|A     3      3 KS0001|B     3      3 "
                                       "KS0002 | S2    3  000        2||");
    EXPECT_EQ(s.evaluation().clashingPairs, 0);
    EXPECT_EQ(s.db.rows("SELECT CK_KS_ID, CK_BL_ID FROM ckkurs ORDER BY 1, 2").join(" "),
              "KS0001|     1 KS0002|     1");
    s.w().menuBearbWied_Click();
    EXPECT_EQ(s.snapshot(), taken);

    s.inVarianten([&](frmVarianten& v) {
        // Another program writes after the window read the file: asked first, Nein keeps all.
        s.connection().exec("UPDATE ckkurs SET CK_FIX = 1");
        s.select(v, {"zwei"});
        s.host.onMessage(ui::Answer::Yes);
        s.host.onMessage("Schienen oder Belegungen wurden inzwischen von einem anderen Programm "
                         "geändert. Die Variante trotzdem übernehmen?",
                         ui::Answer::No);
        v.click("cmdUebernehmen");
        EXPECT_EQ(s.variants().size(), 4u)
            << "eins, zwei and the two plans kept before; none kept now";
        const int kept = v.lstVarianten.count();
        for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
            s.host.onMessage("Die Variante „zwei“ löschen?", answer);
            v.click("cmdLoeschen");
        }
        EXPECT_EQ(v.lstVarianten.count(), kept - 1);
    });
}

} // namespace
