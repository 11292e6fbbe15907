// "Wenig ändern": a blocked school where a student chose anew, planned again. (Who did not
// choose anew keeps his courses: kubb block's test on a larger sample.)
#include "Blocks.h"

#include <gtest/gtest.h>

namespace {

using blocking::Mode;

TEST(Keep, ACourseMovesRatherThanAStudentChangesAndARuleOrNoPlacementDecidesOtherwise) {
    // Student 1 in A1 (S1) and B1 (S3) chose C since; C1 stands on S1. Moving him to
    // A2 (S2) changes a student; moving C1 to S2 or S4 (student 2 keeps his B1 on S3) changes
    // none.
    test::Blocks s;
    s.rails({3, 3, 3, 3});
    const QString a1 = s.course(1, "A1", 1, 3), a2 = s.course(2, "A2", 1, 3);
    const QString b1 = s.course(3, "B1", 2, 3), c1 = s.course(4, "C1", 3, 3);
    for (const auto& [rail, course] : {std::pair{1, a1}, {2, a2}, {3, b1}, {1, c1}})
        s.place(rail, course);
    const qint64 a = s.choice(1, 1, "S", a1);
    s.choice(1, 2, "S", b1);
    const qint64 added = s.choice(1, 3);
    s.choice(2, 3, "S", c1);
    s.choice(2, 2, "S", b1);
    blocking::Model m = s.model();
    const int c = m.courseIndex(c1);
    blocking::Result r = test::plan(m, 30, Mode::Keep);
    EXPECT_EQ(r.after.collisions, 0);
    ASSERT_EQ(r.changes.size(), 1u);
    EXPECT_EQ(m.choices[r.changes[0].choice].bgId, added);
    EXPECT_NE(r.placement.rails[c], m.placement.rails[c]);

    // Kept in A2 by a rule, he changes as it says, and C1 may stay where it is.
    s.rule("student-in-course", {"ST0001", "A2"});
    m = s.model();
    r = test::plan(m, 30, Mode::Keep);
    EXPECT_EQ(std::tuple(r.after.collisions, r.after.ruleViolations, r.changes.size(),
                         blocking::changedStudents(r.changes), r.placement.rails[c]),
              std::tuple(0, 0, 2u, 1, m.placement.rails[c]));
    EXPECT_EQ(m.courses[r.assignment[m.students[0].firstChoice]].key, a2);
    EXPECT_EQ(m.choices[m.students[0].firstChoice].bgId, a);

    // Without a stored placement the mode plans as "Alles neu".
    db::Connection(s.path()).exec("DELETE FROM ckkurs");
    m = s.model();
    const blocking::Result keep = test::plan(m, 30, Mode::Keep);
    const blocking::Result all = test::plan(m, 30, Mode::All);
    EXPECT_EQ(std::tie(keep.placement.rails, keep.assignment),
              std::tie(all.placement.rails, all.assignment));
}

} // namespace
