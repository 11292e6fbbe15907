// The window "Lehrer" through its handlers on a real file: three teachers, one with two courses on
// one rail, a course without teacher; of another school year a course of one of them and one
// naming a key no teacher has.
#include "editors/frmLehrer.h"

#include "support/School.h"

#include <gtest/gtest.h>

namespace {

using editors::frmLehrer;

struct LehrerTest : ::testing::Test {
    test::School school;
    test::ScriptedHost& host = school.host;
    std::unique_ptr<frmLehrer> w;

    void SetUp() override {
        const char* const teachers[][2] = {
            {"Krau", "Krause, Anna"}, {"Lang", nullptr}, {"Ohne", "Ohnesorg"}};
        for (int i = 0; i < 3; ++i)
            school.db.insert("lehrer",
                             {{"LE_ID", i + 1},
                              {"LE_KUERZ", teachers[i][0]},
                              {"LE_BEZ", teachers[i][1] ? QVariant(teachers[i][1]) : QVariant()},
                              {"LE_VFP_ID", db::sixKey(i + 1)}});
        school.rail(1, "GK1", 3);
        school.rail(2, "GK2", 3);
        const std::tuple<int, const char*, QVariant, int> courses[] = {{1, "1M1", db::sixKey(1), 1},
                                                                       {2, "1D1", db::sixKey(1), 1},
                                                                       {3, "1E1", db::sixKey(2), 2},
                                                                       {4, "1Sp1", {}, 0}};
        for (const auto& [id, bez, teacher, rail] : courses) {
            school.course(id, bez, {{"KS_LE_ID", teacher}, {"KS_STD", "3"}});
            if (rail > 0)
                school.place(rail, test::School::courseKey(id));
        }
        school.course(5, "alt", {{"KS_SCHJ", test::kOtherYear}, {"KS_LE_ID", db::sixKey(2)}});
        school.course(6, "verw", {{"KS_SCHJ", test::kOtherYear}, {"KS_LE_ID", "    42"}});
        w = std::make_unique<frmLehrer>(school.state, host);
        w->Form_Load();
    }
    void select(int teacher, int course) {
        w->lstLehrer.setCurrent(teacher);
        w->lstKurse.setCurrent(course);
        w->lstKurse_Click();
    }
    QStringList teachers() {
        return school.db.rows(
            "SELECT LE_ID, LE_KUERZ, LE_BEZ, LE_VFP_ID FROM lehrer ORDER BY LE_ID");
    }
    QString teacherOf(int course) {
        return school.db.scalar("SELECT KS_LE_ID FROM kurs WHERE KS_ID = ?", {course}).toString();
    }
};

TEST_F(LehrerTest, ListsTeachersWithCoursesHoursRailsAndTwoCoursesOnOneRail) {
    EXPECT_EQ(w->caption(), "Lehrer");
    EXPECT_EQ(w->lstLehrer.lines(),
              QStringList({"Krau\tKrause, Anna\t6\t1D1, 1M1\tGK1\tGK1", "Lang\t\t3\t1E1\tGK2\t",
                           "Ohne\tOhnesorg\t0\t\t\t"}));
    EXPECT_EQ(w->lstKurse.lines(),
              QStringList({"1D1\t3\tGK1\tKrau (Krause, Anna)", "1E1\t3\tGK2\tLang",
                           "1M1\t3\tGK1\tKrau (Krause, Anna)", "1Sp1\t3\t\t"}));
    EXPECT_FALSE(w->command("cmdZuordnen")->enabled);
    select(2, 3);
    EXPECT_TRUE(w->command("cmdZuordnen")->enabled);
    EXPECT_FALSE(w->command("cmdOhne")->enabled) << "1Sp1 has no teacher";
}

TEST_F(LehrerTest, AssignsAndRefusesWhatAnotherProgramChangedMeanwhile) {
    select(2, 3);
    w->click("cmdZuordnen");
    EXPECT_EQ(teacherOf(4), db::sixKey(3));
    EXPECT_EQ(w->lstLehrer.line(2), "Ohne\tOhnesorg\t3\t1Sp1\t\t");
    EXPECT_EQ(w->lstKurse.currentIndex(), 3) << "the selection stays";

    select(0, 1);
    school.db.scalar("UPDATE kurs SET KS_LE_ID = ? WHERE KS_ID = 3", {db::sixKey(3)});
    host.onMessage("Der Kurs 1E1 hat inzwischen einen anderen Lehrer. Nichts wurde geändert.");
    w->click("cmdZuordnen");
    EXPECT_EQ(teacherOf(3), db::sixKey(3));
    EXPECT_EQ(w->lstKurse.line(1), "1E1\t3\tGK2\tOhne (Ohnesorg)") << "the lists follow the file";

    w->click("cmdOhne");
    EXPECT_TRUE(school.db.scalar("SELECT KS_LE_ID FROM kurs WHERE KS_ID = 3").isNull());
}

TEST_F(LehrerTest, RemovesOnlyWhoTeachesNothingAndAddsWithAKeyNoOneNamed) {
    select(0, -1);
    host.onMessage("Der Lehrer Krau (Krause, Anna) unterrichtet noch die Kurse 1D1, 1M1 und kann "
                   "nicht gelöscht werden. Geben Sie diesen Kursen zuerst einen anderen Lehrer.");
    w->click("cmdLoeschen");
    EXPECT_EQ(teachers().size(), 3);
    // Courses of other school years lose him, as the question says.
    select(1, 1);
    w->click("cmdOhne");
    host.onMessage("Den Lehrer Lang löschen?\r\nDie Kurse alt früherer Schuljahre haben dann "
                   "keinen Lehrer mehr.",
                   ui::Answer::Yes);
    w->click("cmdLoeschen");
    EXPECT_EQ(teachers().size(), 2);
    EXPECT_TRUE(school.db.scalar("SELECT KS_LE_ID FROM kurs WHERE KS_ID = 5").isNull());

    host.onInput("krau").onInput("");
    host.onMessage("Das Kürzel krau hat schon ein anderer Lehrer.");
    w->click("cmdNeu");
    host.onInput("Neu").onInput(" Neumann, Ute ");
    w->click("cmdNeu");
    EXPECT_EQ(teachers().last(), "43|Neu|Neumann, Ute|    43") << "past key 42 of the old course";
    EXPECT_EQ(w->lstLehrer.line(w->lstLehrer.currentIndex()), "Neu\tNeumann, Ute\t0\t\t\t");
    host.onInput("Neuer").onInput("");
    EXPECT_THROW(w->click("cmdUmbenennen"), db::DbError) << "five characters";
    host.onInput("Nm").onInput("");
    w->click("cmdUmbenennen");
    EXPECT_EQ(teachers().last(), "43|Nm|<null>|    43");
    host.onMessage("Den Lehrer Nm löschen?", ui::Answer::Yes);
    w->click("cmdLoeschen");
    EXPECT_EQ(teachers().size(), 2);
    EXPECT_EQ(host.pending(), 0u);
}

} // namespace
