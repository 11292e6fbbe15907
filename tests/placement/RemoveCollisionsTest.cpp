#include "TestWorkspace.h"

#include <gtest/gtest.h>

namespace {

// Parallel courses of 3 hours on rails S1 and S2 of 3 hours: Mathe Ma1-Ma3 (KS0001-3), Deutsch
// De1-De2 (KS0004-5), Bio Bi1-Bi2 (KS0006-7) and the Leistungskurse Physik Ph1-Ph2
// (KS0008-9). Choice rows: 1 Xaver Ma1, 2 Xaver Ph1, 3 Xaver De1, 4 Yvonne Ma2, 5 Yvonne Ph2.
struct Kollbs : test::Workspace {
    const QString xaver = "ST0001", yvonne = "ST0002";

    Kollbs() {
        rails(2, 3);
        const char* names[] = {"Ma1", "Ma2", "Ma3", "De1", "De2", "Bi1", "Bi2", "Ph1", "Ph2"};
        for (int i = 0; i < 9; ++i)
            course(i + 1, names[i],
                   {{"KS_STD", "3"},
                    {"KS_FA_ID1", subjectKey(i < 3 ? 1 : 2 + (i - 3) / 2)},
                    {"KS_LKGK", i >= 7 ? "L" : "G"}});
        student(1, "Xaver", "X");
        student(2, "Yvonne", "Y");
        for (const auto& [student, course] :
             {std::pair{xaver, 1}, {xaver, 8}, {xaver, 4}, {yvonne, 2}, {yvonne, 9}})
            choice(student, courseKey(course));
    }
    // n students of year 12 from id first on, each with a choice row of every given course.
    void crowd(int first, int n, const QStringList& courses) {
        batch();
        for (int i = 0; i < n; ++i) {
            student(first + i, "Voll", QString::number(i));
            for (const QString& course : courses)
                choice(studentKey(first + i), course);
        }
        commit();
    }
    // Loads the window, selects the courses and the rails (grid columns 0..c2) and runs the
    // command, which asks nothing and shows no message.
    void run(const QStringList& courses, int c2) {
        load();
        selectCourses(courses);
        selectRails(0, c2);
        w().cmdKollbs_Click();
        EXPECT_EQ(host.busyDepth, 0) << "the hourglass is gone";
    }
};

} // namespace

TEST(RemoveCollisions, TheFirstParallelOnASelectedRailThatCanTakeHimIsChosen) {
    // Xaver collides in Ma1 and De1; one move ends it. Placements: rail, course id; id 0 for
    // eleven courses of other subjects, filling S1 beyond the ten entries it once had room for.
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> placed;
        int c2;
        bool inBio;
        // Xaver's Ma1 row, his De1 row, Yvonne's Ma2 row, Xaver's Bi1 row afterwards; S1's count.
        QStringList after;
        const char* count;
    };
    // clang-format off
    const Case cases[] = {
        // Yvonne made room in Ma2 for him and went to Ma1.
        {"Ma2 and De2 on S1", {{1, 2}, {1, 5}}, 0, false, {"KS0002", "KS0004", "KS0001", ""}, "001"},
        {"Ma3 empty on S1", {{1, 3}, {1, 5}}, 0, false, {"KS0003", "KS0004", "KS0002", ""}, "001"},
        {"Ma2 to place, Ma3 on S2 not selected", {{1, 7}, {2, 3}}, 0, false, {"KS0001", "KS0004", "KS0002", ""}, "000"},
        {"Ma3 on S2 selected", {{1, 7}, {2, 3}}, 1, false, {"KS0003", "KS0004", "KS0002", ""}, "000"},
        // Ma2 shares S1 with Bi1, which he attends; with S1 alone Bi1 cannot go elsewhere.
        {"Bi1 beside Ma2, no rail to free it to", {{1, 2}, {1, 6}, {2, 7}}, 0, true, {"KS0001", "KS0004", "KS0002", "KS0006"}, "002"},
        {"Bi1 beside Ma2 goes to Bi2 on S2", {{1, 2}, {1, 6}, {2, 7}}, 1, true, {"KS0002", "KS0004", "KS0001", "KS0007"}, "001"},
        {"Ma2 the twelfth entry of S1", {{1, 0}, {1, 2}}, 0, false, {"KS0002", "KS0004", "KS0001", ""}, "001"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Kollbs k;
        const qint64 bio = c.inBio ? k.choice(k.xaver, "KS0006") : 0;
        for (const auto& [rail, course] : c.placed)
            for (int i = 0; i < (course ? 1 : 11); ++i)
                k.place(rail,
                        course ? k.courseKey(course) : k.single(20 + i, QString("F%1").arg(i)));
        k.run({"Ma1", "De1"}, c.c2);
        EXPECT_EQ(
            (QStringList{k.courseOf(1), k.courseOf(3), k.courseOf(4), bio ? k.courseOf(bio) : ""}),
            c.after);
        // The refresh shows the lists of the new state; the rails' counts follow the moves.
        const bool moved = c.after[0] != "KS0001";
        EXPECT_EQ(k.w().lblKollisionen + " " + k.count(0),
                  (moved ? "0 " : "1 ") + QString(c.count));
        EXPECT_EQ(k.w().LNKurse.selectedCount(), 2);
    }
}

TEST(RemoveCollisions, AFullParallelIsUsedOnlyBelowItsLimitUnlessAPlaceCanBeMade) {
    // The parallel's students all attend De1 as well, so no place can be made in it, except for
    // the one free student of the last case. Limits: 26 for a Leistungskurs, 30 for a Grundkurs.
    struct Case {
        bool lk;
        int size, free;
        bool moves;
    };
    for (const Case& c :
         {Case{true, 25, 0, true}, Case{true, 26, 0, false}, Case{false, 29, 0, true},
          Case{false, 30, 0, false}, Case{true, 26, 1, true}}) {
        SCOPED_TRACE(testing::Message() << (c.lk ? "LK " : "GK ") << c.size << " free " << c.free);
        Kollbs k;
        const QString own = c.lk ? "KS0008" : "KS0001", parallel = c.lk ? "KS0009" : "KS0002";
        // Yvonne is one of the parallel's students and attends De1 too.
        k.choice(k.yvonne, "KS0004");
        k.crowd(100, c.size - 1 - c.free, {parallel, "KS0004"});
        k.crowd(200, c.free, {parallel});
        ASSERT_EQ(k.size(parallel), c.size);
        k.place(1, parallel);
        k.run({c.lk ? "Ph1" : "Ma1", "De1"}, 0);
        EXPECT_EQ(k.courseOf(c.lk ? 2 : 1), c.moves ? parallel : own);
        EXPECT_EQ(k.size(parallel), c.size + (c.moves && c.free == 0 ? 1 : 0));
        EXPECT_EQ(k.size(own), c.moves ? c.free : 1) << "the free student made the place";
    }
}
