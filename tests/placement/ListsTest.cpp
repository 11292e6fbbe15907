#include "TestWorkspace.h"

#include "common/MessageWindow.h"

#include <gtest/gtest.h>

#include <array>

// Five courses of 3 hours, two rails of 1 hour (Mathe and Deu on S1, Eng on S2)
// and their students. Choice rows, in BG_ID order:
//   1 Müller Mathe   2 Müller Deu    3 Müller Eng (year 13)   4 Schmidt Mathe
//   5 Schmidt Deu 6 Ode Mathe      7 Weber Bio     8 Weber Bio (year 13)    9 a
//   student not in kolleg: Mathe
//  10 Ode Kunst     11 Müller: no course   12 Müller: a course that is gone
TEST(Lists, CollidingStudentsAreListedMarkedInvertedAndShownWithTheirCourses) {
    test::Workspace s;
    s.rails(2, 1);
    int id = 0;
    for (const char* bez : {"Mathe", "Deu", "Eng", "Bio", "Kunst"})
        s.course(++id, bez, {{"KS_STD", "3"}});
    for (const auto& [rail, course] : {std::pair{1, "KS0001"}, {1, "KS0002"}, {2, "KS0003"}})
        s.place(rail, course);
    // A student not in kolleg (ST0099), no course and a course that is gone give
    // no line.
    s.student(1, "Müller", "Hans", "2009", "A");
    s.student(2, "Schmidt-Rottluff", "Karl", "2009", "B");
    s.student(3, "Ode", "");
    s.student(4, "Weber", "Eva", "2008");
    const std::vector<std::array<const char*, 3>> rows{
        {"ST0001", "KS0001", nullptr}, {"ST0001", "KS0002", nullptr},
        {"ST0001", nullptr, "KS0003"}, {"ST0002", "KS0001", nullptr},
        {"ST0002", "KS0002", nullptr}, {"ST0003", "KS0001", nullptr},
        {"ST0004", "KS0004", nullptr}, {"ST0004", nullptr, "KS0004"},
        {"ST0099", "KS0001", nullptr}, {"ST0003", "KS0005", nullptr},
        {"ST0001", nullptr, nullptr},  {"ST0001", "KS0099", nullptr}};
    for (const auto& [student, c12, c13] : rows)
        s.choice(student, c12 ? QVariant(c12) : QVariant(), c13 ? QVariant(c13) : QVariant());
    placement::SetzenK& w = s.load();
    // Clicks the first colliding student; the courses of his year group shown.
    const auto firstCollision = [&] {
        w.LKollisionen.setCurrent(0);
        w.LKollisionen_Click();
        return w.txtMld;
    };
    w.lblKoll = "x";
    s.selectCourses({"Mathe", "Deu", "Eng"});
    EXPECT_EQ(
        w.LSchueler.lines(),
        (QStringList{"Müller HansA Mathe      12 ST0001", "Schmidt-Ro.B Mathe      42 ST0002",
                     "Ode          Mathe      62 ST0003", "Müller HansA Deu        22 ST0001",
                     "Schmidt-Ro.B Deu        52 ST0002", "Müller HansA Eng        33 ST0001"}));
    EXPECT_EQ(w.LKollisionen.lines(),
              (QStringList{"Müller H. MatheDeu  Eng       1     2     3ST0001",
                           "Schmidt-. MatheDeu       4     5ST0002"}));
    EXPECT_EQ(w.lblSchueler + w.lblKollisionen + w.lblKoll, "62");
    // "einem Fach": only students with exactly two of the courses.
    EXPECT_EQ(w.LSchueler.selectedRows(), (std::vector<int>{1, 4}));
    // Mathe, Deu, the year-13 row has no year-12 course (blanks), the empty row
    // is left out, the vanished course has no name.
    EXPECT_EQ(firstCollision(), "MatheDeu            ");
    w.optMKolAlle_Click();
    s.selectCourses({"Mathe", "Deu", "Eng"});
    EXPECT_EQ(w.LSchueler.selectedRows(), (std::vector<int>{0, 1, 3, 4, 5}));
    EXPECT_EQ(w.txtMld, "");
    // One course alone collides with nothing: the list of collisions is emptied.
    s.selectCourses({"Mathe"});
    EXPECT_EQ(w.lblSchueler + w.lblKollisionen, "30");

    // Weber's two rows of Bio (years 12 and 13) merge into a collision once a
    // second course is selected, since merging compares students only. Her
    // courses shown are those of her year group 13.
    s.selectCourses({"Bio", "Kunst"});
    EXPECT_EQ(w.LKollisionen.lines(), QStringList{"Weber Eva Bio  Bio       7     8ST0004"});
    EXPECT_EQ(firstCollision(), "     Bio  ");
    // Nothing selected: the student list is emptied and its count follows; the
    // collisions stay.
    s.selectCourses({});
    EXPECT_EQ(w.LSchueler.lines().join("") + w.lblSchueler + w.lblKollisionen, "01");
    w.cmdAnzBel_Click(); // an empty student list shows nothing

    // "invertieren" and "Schüler mit Kursen" on Mathe and Deu, every colliding line selected.
    s.selectCourses({"Mathe", "Deu"});
    EXPECT_EQ(w.LSchueler.selectedRows(), (std::vector<int>{0, 1, 3, 4}));
    w.CmdInvers_Click();
    EXPECT_EQ(w.LSchueler.selectedRows(), std::vector<int>{2});
    const QString shown = "Müller HansMatheDeu  \r\nSchmidt-Ro.MatheDeu  \r\nOde        Mathe\r\n";
    s.host.onModal("frmFMld", [&](ui::Window& win) {
        auto& f = static_cast<common::frmFMld&>(win);
        EXPECT_EQ(f.caption() + f.txtFMld, "Belegungen" + shown);
        f.cmddrucken_Click();
        f.cmdgelesen_Click();
    });
    w.cmdAnzBel_Click();
    ASSERT_EQ(s.host.printJobs.size(), 1);
    EXPECT_TRUE(s.host.printJobs[0].lines.contains("Schmidt-Ro.MatheDeu  "));
}
