#include "TestWorkspace.h"

#include "placement/Layouts.h"

#include <gtest/gtest.h>

#include <array>

using test::Workspace;

namespace {

// Five courses of 3 hours, two rails of 1 hour (Mathe and Deu on S1, Eng on S2) and their
// students. Choice rows, in BG_ID order:
//   1 Müller Mathe   2 Müller Deu    3 Müller Eng (year 13)   4 Schmidt Mathe   5 Schmidt Deu
//   6 Ode Mathe      7 Weber Bio     8 Weber Bio (year 13)    9 a student not in kolleg: Mathe
//  10 Ode Kunst     11 Müller: no course   12 Müller: a course that is gone
struct Lists : ::testing::Test {
    Workspace s;

    void SetUp() override {
        s.rail(1, "S1", 1);
        s.rail(2, "S2", 1);
        int id = 0;
        for (const char* bez : {"Mathe", "Deu", "Eng", "Bio", "Kunst"})
            s.course(++id, bez, {{"KS_STD", "3"}});
        s.place(1, "KS0001");
        s.place(1, "KS0002");
        s.place(2, "KS0003");
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
        s.load();
    }
    placement::SetzenK& w() { return s.window(); }
    std::vector<int> selectedStudents() { return w().LSchueler.selectedRows(); }
};

} // namespace

TEST_F(Lists, CollidingStudentsAreListedAndMarkedByTheChosenOption) {
    w().lblKoll = "x";
    w().txtMld = "x";
    s.selectCourses({"Mathe", "Deu", "Eng"});

    EXPECT_EQ(w().LSchueler.lines(), (QStringList{
                                         "Müller HansA Mathe      12 ST0001",
                                         "Schmidt-Ro.B Mathe      42 ST0002",
                                         "Ode          Mathe      62 ST0003",
                                         "Müller HansA Deu        22 ST0001",
                                         "Schmidt-Ro.B Deu        52 ST0002",
                                         "Müller HansA Eng        33 ST0001",
                                     }));
    EXPECT_EQ(w().lblSchueler, "6");
    EXPECT_EQ(w().LKollisionen.lines(),
              (QStringList{"Müller H. MatheDeu  Eng       1     2     3ST0001",
                           "Schmidt-. MatheDeu       4     5ST0002"}));
    EXPECT_EQ(w().lblKollisionen, "2");
    EXPECT_EQ(w().lblKoll, "");
    EXPECT_EQ(w().txtMld, "");
    // "einem Fach": only students with exactly two of the courses.
    EXPECT_EQ(selectedStudents(), (std::vector<int>{1, 4}));

    w().optMKolAlle_Click();
    EXPECT_FALSE(w().optMKolEinfach);
    s.selectCourses({"Mathe", "Deu", "Eng"});
    EXPECT_EQ(selectedStudents(), (std::vector<int>{0, 1, 3, 4, 5}));

    // One course alone collides with nothing: the list of collisions is emptied.
    s.selectCourses({"Mathe"});
    EXPECT_EQ(w().LSchueler.count(), 3);
    EXPECT_EQ(w().LKollisionen.count(), 0);
    EXPECT_EQ(w().lblKollisionen, "0");
}

TEST_F(Lists, CoursesWithoutCommonStudentsGiveNoCollisionButOneStudentsTwoRowsDo) {
    s.selectCourses({"Eng", "Kunst"});
    EXPECT_EQ(w().LSchueler.lines(), (QStringList{"Müller HansA Eng        33 ST0001",
                                                  "Ode          Kunst     102 ST0003"}));
    EXPECT_EQ(w().LKollisionen.count(), 0);
    EXPECT_TRUE(selectedStudents().empty());

    // Weber's two rows of Bio (years 12 and 13) are two lines; with a second course selected
    // they merge into a collision, since merging compares students only.
    s.selectCourses({"Bio"});
    EXPECT_EQ(w().LSchueler.count(), 2);
    EXPECT_EQ(w().LKollisionen.count(), 0);
    s.selectCourses({"Bio", "Kunst"});
    EXPECT_EQ(w().LKollisionen.lines(), QStringList{"Weber Eva Bio  Bio       7     8ST0004"});

    // Nothing selected: the student list is emptied and its count follows; the collisions stay.
    s.selectCourses({});
    EXPECT_EQ(w().LSchueler.count(), 0);
    EXPECT_EQ(w().lblSchueler, "0");
    EXPECT_EQ(w().LKollisionen.count(), 1);
    EXPECT_EQ(w().lblKollisionen, "1");
}

TEST_F(Lists, ClickingACollidingStudentShowsHisCoursesOfHisYearGroup) {
    s.selectCourses({"Mathe", "Deu", "Eng"});
    w().LKollisionen.setCurrent(0);
    w().LKollisionen_Click();
    // Mathe, Deu, the year-13 row has no year-12 course (blanks), the empty row is left out, the
    // vanished course has no name.
    EXPECT_EQ(w().txtMld, "MatheDeu            ");

    // Weber's courses are those of her year group 13.
    s.selectCourses({"Bio", "Kunst"});
    w().LKollisionen.setCurrent(0);
    w().LKollisionen_Click();
    EXPECT_EQ(w().txtMld, "     Bio  ");
}

TEST_F(Lists, ClickingTheGridListsTheStudentsOfTheSelectedCoursesOfTheRail) {
    ui::Grid& g = w().grdSchienen;
    g.click(1, 0);
    EXPECT_EQ(w().LSchImBlock.lines(),
              (QStringList{"Mathe Müller Hans ", "Mathe Schmidt-Rot.", "Mathe Ode         "}));
    EXPECT_EQ(w().lblSchImBlock, "3");

    // The header alone: the list is emptied, and its count follows.
    g.click(0, 0);
    EXPECT_EQ(w().LSchImBlock.count(), 0);
    EXPECT_EQ(w().lblSchImBlock, "0");

    // A selection from the header down starts at row 1.
    g.extendSelection(2, 0);
    EXPECT_EQ(g.SelStartRow(), 1);
    EXPECT_EQ(w().LSchImBlock.count(), 5);
    EXPECT_EQ(w().LSchImBlock.line(4), "Deu   Schmidt-Rot.");

    // Rows below the rail's last course add nothing.
    g.click(1, 1);
    g.extendSelection(2, 1);
    EXPECT_EQ(w().LSchImBlock.lines(), QStringList{"Eng   Müller Hans "});
    EXPECT_EQ(w().lblSchImBlock, "1");
}

TEST_F(Lists, SortLNKurseRestoresTheCourseOrderAndKeepsOneLinePerCourse) {
    QStringList l = w().LNKurse.lines();
    ASSERT_EQ(l.size(), 5);
    const QString matheRest = placement::CourseEntry::withHours(l[0], 1);
    w().LNKurse.setLines({l[4], matheRest, l[2], l[0], "Junk  3      3 XX9999", l[1], l[3]});
    w().SortLNKurse();
    EXPECT_EQ(w().LNKurse.lines(), (QStringList{matheRest, l[1], l[2], l[3], l[4]}));
}
