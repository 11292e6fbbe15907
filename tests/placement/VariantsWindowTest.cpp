#include "TestWorkspace.h"

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Variants.h"
#include "placement/frmVarianten.h"

#include <gtest/gtest.h>
#include <optional>
#include <tuple>

namespace {

using placement::frmVarianten;

// Rails S1, S2; A on S1 chosen by student 1, B on S2 chosen by student 2.
struct TwoCourses : test::Workspace {
    TwoCourses() {
        rail(1, "S1", 3);
        rail(2, "S2", 3);
        const QString a = single(1, "A");
        const QString b = single(2, "B");
        choice(student(1, "Erst", "Eva"), a, {}, {{"BG_FA_ID", subjectKey(11)}, {"BG_ART", "S"}});
        choice(student(2, "Zweit", "Zoe"), b, {}, {{"BG_FA_ID", subjectKey(12)}, {"BG_ART", "S"}});
        place(1, a);
        place(2, b);
    }
    // Runs act in the window opened from the menu.
    void inWindow(const std::function<void(frmVarianten&)>& act) {
        host.onModal("frmVarianten", [&](ui::Window& window) {
            auto& v = dynamic_cast<frmVarianten&>(window);
            act(v);
            v.click("cmdSchliessen");
        });
        ASSERT_TRUE(w().click("menuBearbVarianten"));
    }
    static blocking::SchoolYear year() { return {test::kYear, "2009/2010"}; }
    static void select(frmVarianten& v, const QStringList& names) {
        for (int i = 0; i < v.lstVarianten.count(); ++i)
            v.lstVarianten.setSelected(
                i, names.contains(v.lstVarianten.line(i).section(QLatin1Char('\t'), 0, 0)));
    }
    QStringList fields(frmVarianten& v, int line) {
        return v.lstVarianten.line(line).split(QLatin1Char('\t'));
    }
};

TEST(Varianten, SavedRenamedComparedTakenOverAndDeleted) {
    TwoCourses s;
    s.load();
    s.inWindow([&](frmVarianten& v) {
        s.host.onInput(QString("eins")).onInput(QString("erster Plan"));
        v.click("cmdSpeichern");
    });
    // B onto S1 in the grid, not saved: the variant takes the plan as the grid shows it.
    const QString b = s.grid().TextMatrix(1, 1);
    s.grid().setTextMatrix(1, 1, "");
    s.grid().setRows(3);
    s.grid().setTextMatrix(2, 0, b);
    s.inWindow([&](frmVarianten& v) {
        s.host.onInput(QString("zwei")).onInput(QString());
        s.host.onInput(QString("eins")).onInput(QString());
        s.host.onMessage(ui::Answer::Ok);
        v.click("cmdSpeichern");
        v.click("cmdSpeichern"); // a name twice
        ASSERT_EQ(v.lstVarianten.count(), 3);
        EXPECT_EQ(s.fields(v, 0).first(), "aktuell");
        EXPECT_EQ(s.fields(v, 1).mid(0, 1) + s.fields(v, 1).mid(7, 2) + s.fields(v, 1).mid(10),
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
            TwoCourses::select(v, {v.lstVarianten.line(1).section('\t', 0, 0)});
            s.host.onInput(typed);
            if (!message.isEmpty())
                s.host.onMessage(message);
            v.click("cmdUmbenennen");
            QStringList expected = listed;
            expected[1] = QStringList{name, listed[1].section('\t', 1)}.join('\t');
            EXPECT_EQ(v.lstVarianten.lines(), expected);
            EXPECT_EQ(blocking::list(s.connection(), s.year(), 2009).at(0).name, name);
        }
        // The current plan is no variant to rename.
        TwoCourses::select(v, {"aktuell"});
        s.host.onMessage("Bitte wählen Sie eine Variante aus.");
        v.click("cmdUmbenennen");
        EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Exclamation);

        TwoCourses::select(v, {"eins", "zwei"});
        v.click("cmdVergleichen");
        EXPECT_EQ(v.lstUnterschiede, (QStringList{"Kurse auf anderen Schienen: 1", "B: S2 → S1", "",
                                                  "Schüler in anderen Kursen: 0"}));
        v.click("cmdDrucken");

        // Each variant's figures are those of the plan it becomes.
        for (const int line : {2, 1}) {
            const QStringList before = s.fields(v, line);
            TwoCourses::select(v, {before.first()});
            v.click("cmdUebernehmen");
            const blocking::Evaluation e =
                blocking::evaluate(blocking::Model::load(s.connection(), s.year(), 2009));
            const QStringList figures{QString::number(e.collisions),
                                      QString::number(e.withoutCourse),
                                      QString::number(e.outsideLimits),
                                      QString::number(e.largestDifference),
                                      QString::number(e.squaredDeviation, 'f', 2).replace('.', ','),
                                      QString::number(e.unplaced)};
            EXPECT_EQ(before.mid(1, 6), figures) << before.first().toStdString();
        }
    });
    EXPECT_EQ(s.host.messages.front().text, "Eine Variante „eins“ gibt es schon.");
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_TRUE(s.host.printJobs[0].lines.contains("B: S2 → S1"));
    EXPECT_EQ(
        s.columns().join(" | "),
        "S1    3  001        1|A     3      3 KS0001 | S2    3  001        2|B     3      3 KS0002")
        << "eins taken over: B back on S2";
    EXPECT_TRUE(s.w().LNKurse.lines().isEmpty());

    s.inWindow([&](frmVarianten& v) {
        // Another program writes after the window read the file: asked first, Nein keeps all.
        s.connection().exec("UPDATE ckkurs SET CK_FIX = 1");
        TwoCourses::select(v, {"zwei"});
        s.host.onMessage(ui::Answer::No);
        v.click("cmdUebernehmen");
        EXPECT_EQ(blocking::list(s.connection(), s.year(), 2009).size(), 4u)
            << "eins, zwei and the two plans kept before; none kept now";
        s.host.onMessage(ui::Answer::No);
        v.click("cmdLoeschen");
        const int kept = v.lstVarianten.count();
        s.host.onMessage(ui::Answer::Yes);
        v.click("cmdLoeschen");
        EXPECT_EQ(v.lstVarianten.count(), kept - 1);
    });
    EXPECT_EQ(s.host.messages.back().text, "Die Variante „zwei“ löschen?");
    EXPECT_EQ(s.host.messages[s.host.messages.size() - 3].text,
              "Schienen oder Belegungen wurden inzwischen von einem anderen Programm geändert. "
              "Die Variante trotzdem übernehmen?");
}

} // namespace
