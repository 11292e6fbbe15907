// "Wenig ändern": a blocked school where a few students chose anew, planned again.
#include "Blocks.h"
#include "blocking/Rules.h"

#include <gtest/gtest.h>

namespace {

using blocking::Mode;

// The students a plan moves to another course, by index.
std::set<int> movedStudents(const blocking::Result& r) {
    std::set<int> out;
    for (const blocking::Change& c : r.changes)
        out.insert(c.student);
    return out;
}

struct Rechosen : test::Blocks {
    std::set<int> chose; // the students whose choice changed
    Rechosen() {
        sample(60, 7);
        const blocking::Result r = block(Mode::All);
        EXPECT_EQ(r.after.collisions, 0);
        const std::vector<qint64> ids = reChoose(5);
        EXPECT_EQ(ids.size(), 5u);
        const blocking::Model m = model();
        for (size_t i = 0; i < m.choices.size(); ++i)
            if (std::find(ids.begin(), ids.end(), m.choices[i].bgId) != ids.end())
                chose.insert(m.choices[i].student);
    }
};

TEST(Keep, OnlyTheStudentsWhoChoseAnewChangeWhereOthersWouldMoveInTheOtherModes) {
    Rechosen s;
    const blocking::Model m = s.model();
    for (const Mode mode : {Mode::Keep, Mode::Rest, Mode::All}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const blocking::Result r = test::plan(m, 30, mode);
        EXPECT_EQ(r.after.collisions, 0);
        const std::set<int> moved = movedStudents(r);
        const bool others =
            !std::includes(s.chose.begin(), s.chose.end(), moved.begin(), moved.end());
        EXPECT_EQ(others, mode != Mode::Keep);
        if (mode != Mode::Keep)
            continue;
        // Each of the five gets a course for his new choice, and nothing else changes.
        EXPECT_EQ(moved, s.chose);
        ASSERT_EQ(r.changes.size(), 5u);
        EXPECT_TRUE(std::all_of(r.changes.begin(), r.changes.end(),
                                [](const blocking::Change& c) { return c.from < 0; }));
        EXPECT_EQ(blocking::changedStudents(r.changes), 5);
        EXPECT_EQ(r.placement.rails, m.placement.rails); // no course needed to move
    }
}

TEST(Keep, FixedPlacementsAndStudentsKeptInACourseHold) {
    // Student 1 kept in the parallel of his first course: he changes, as the rule says, and
    // the fixed K1 stays on its rail.
    Rechosen s;
    blocking::Model m = s.model();
    int student = 0;
    while (s.chose.count(student))
        ++student;
    const int first = m.students[student].firstChoice;
    const int was = m.assignment[first];
    const std::vector<int>& both = m.types[m.choices[first].type].candidates;
    const int parallel = both[0] == was ? both[1] : both[0];
    {
        db::Connection c(s.path());
        blocking::addRule(c, test::kYear, "student-in-course",
                          {m.students[student].key, m.courses[parallel].name});
    }
    m = s.model();
    const int k1 = m.courseIndex(test::School::courseKey(1));
    ASSERT_FALSE(m.placement.fixed[k1].empty());
    const blocking::Result r = test::plan(m, 30, Mode::Keep);
    EXPECT_EQ(r.after.ruleViolations, 0);
    EXPECT_EQ(r.after.collisions, 0);
    EXPECT_EQ(r.assignment[first], parallel);
    EXPECT_TRUE(r.placement.fixed[k1] == m.placement.fixed[k1]);
    EXPECT_TRUE(movedStudents(r).count(student));
}

TEST(Keep, ACourseMovesRatherThanAStudentChanges) {
    // Student 1 in A1 (S1) and B1 (S3) chose C since; C1 stands on S1. Moving him to A2 (S2)
    // changes a student; moving C1 to S2 or S4 (student 2 keeps his B1 on S3) changes none.
    test::Blocks s;
    for (int r = 1; r <= 4; ++r)
        s.rail(r, 3);
    const QString a1 = s.course(1, "A1", 1, 3), a2 = s.course(2, "A2", 1, 3);
    const QString b1 = s.course(3, "B1", 2, 3), c1 = s.course(4, "C1", 3, 3);
    for (const auto& [rail, course] : {std::pair{1, a1}, {2, a2}, {3, b1}, {1, c1}})
        s.place(rail, course);
    s.choice(1, 1, "S", a1);
    s.choice(1, 2, "S", b1);
    const qint64 added = s.choice(1, 3);
    s.choice(2, 3, "S", c1);
    s.choice(2, 2, "S", b1);
    const blocking::Model m = s.model();
    const blocking::Result r = test::plan(m, 30, Mode::Keep);
    EXPECT_EQ(r.after.collisions, 0);
    ASSERT_EQ(r.changes.size(), 1u);
    EXPECT_EQ(m.choices[r.changes[0].choice].bgId, added);
    EXPECT_NE(r.placement.rails[m.courseIndex(c1)], m.placement.rails[m.courseIndex(c1)]);
}

TEST(Keep, WithoutAStoredPlacementPlansAsAllesNeu) {
    test::Blocks s;
    s.sample(30, 3);
    db::Connection(s.path()).exec("DELETE FROM ckkurs");
    const blocking::Model m = s.model();
    const blocking::Result keep = test::plan(m, 30, Mode::Keep);
    const blocking::Result all = test::plan(m, 30, Mode::All);
    EXPECT_EQ(keep.placement.rails, all.placement.rails);
    EXPECT_EQ(keep.assignment, all.assignment);
    EXPECT_EQ(keep.after.collisions, 0);
}

} // namespace
