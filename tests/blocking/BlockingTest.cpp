// Small schools whose best plan is worked out by hand: the search must find it, write it as
// the workspace's saving would, and say why it cannot do better where it cannot.
#include "Blocks.h"

#include "blocking/Evaluation.h"
#include "db/Database.h"

#include <gtest/gtest.h>

using blocking::Mode;
using test::Blocks;
using test::Row;

TEST(Blocking, HoursBeyondAnySchoolAreReportedOnLoadingNotAddedUp) {
    // A file written by another program, without the checks of ours; 99 hours still load.
    const std::pair<QString, QString> cases[] = {
        {"UPDATE block SET BL_STD = 999999999999", "Die Schiene S1 hat 999999999999"},
        {"UPDATE block SET BL_STD = -1", "Die Schiene S1 hat -1"},
        {"UPDATE kurs SET KS_STD = '999999999999'", "Der Kurs C1 hat 999999999999"},
        {"UPDATE fachang SET FA_STDGK = '100', FA_BEZ = 'D'",
         "Das Fach D der Kursphase 2009 hat 100"},
        {"UPDATE kurs SET KS_STD = '99'", ""},
    };
    for (const auto& [sql, said] : cases) {
        Blocks h;
        h.rail(1, 3);
        h.course(1, "C1", 1, 3);
        h.offer(1, "2009");
        db::Connection c(h.db.path());
        c.exec("PRAGMA ignore_check_constraints = 1");
        c.exec(sql);
        EXPECT_EQ(test::refusal([&] { h.model(); }),
                  said.isEmpty() ? "" : said + " Wochenstunden; so viele hat keine Schule.")
            << sql.toStdString();
    }
}

TEST(Blocking, FixedPlacementsStayAndTheRestModeKeepsWhatIsPlaced) {
    Blocks h;
    h.rails({3, 3, 3});
    const QString m1 = h.place(1, h.course(1, "M1", 1, 3), true);
    const QString d1 = h.place(2, h.course(2, "D1", 2, 3), true);
    const QString e1 = h.place(1, h.course(3, "E1", 3, 3));
    h.choice(1, 1, "S", m1);
    h.choice(1, 3, "S", e1);
    h.choice(2, 2, "S", d1);
    h.choice(2, 3, "S", e1);
    const QString fixed = "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID FROM ckkurs "
                          "WHERE CK_FIX = '1' ORDER BY CK_ID";
    const QStringList fixedBefore = h.db.rows(fixed);

    // E1 is placed, so it stays on M1's rail.
    const blocking::Result rest = h.block(Mode::Rest);
    EXPECT_EQ(rest.after.collisions, 1);
    // The best while E1 stays, no more: with E1 moved the collision goes.
    EXPECT_EQ(std::tuple(rest.after.collisionBound, rest.after.optimal, rest.bestKeepingPlaced),
              std::tuple(0, false, true));
    EXPECT_EQ(blocking::describe(rest.after, true, true, true).last(),
              "bestmöglich, solange die gesetzten Kurse bleiben (Kollisionen 1, Untergrenze 0)");
    EXPECT_EQ(h.railsOf(e1), QStringList{"S1"});

    // Everything anew: only S3 is free of both fixed courses.
    const blocking::Result all = h.block(Mode::All);
    EXPECT_EQ(std::tuple(all.after.collisions, all.after.optimal), std::tuple(0, true));
    EXPECT_EQ(h.db.rows(fixed), fixedBefore);
    EXPECT_EQ(h.db.rows("SELECT CK_BL_ID, CK_VFP_ID, CK_FIX FROM ckkurs WHERE CK_KS_ID = ?", {e1}),
              QStringList{"     3|3|0"});
}

TEST(Blocking, LimitsAndACourseOfTwoSubjectsBindAndTheBoundsKnowIt) {
    // One rail, B1 and B2 of subject 1 in parallel with their KS_MAX, all students in B1 at first;
    // `only` students more chose subject 2, without a course: B2 teaches it besides, B1 not.
    const struct {
        int max1, max2, students, only;
        std::vector<int> sizes; // ascending
        int outside, difference, differenceBound;
        double squares, squaresBound;
        bool optimal;
    } cases[] = {
        // 4 and 6 is as even as it gets.
        {4, 0, 10, 0, {4, 6}, 0, 2, 2, 2.0, 2.0, true},
        // Two students too many: one course beyond its limit, not both (11 and 11).
        {10, 10, 22, 0, {10, 12}, 1, 2, 0, 2.0, 0.0, false},
        // Two choices only B2 serves and six either: four and four.
        {0, 0, 6, 2, {4, 4}, 0, 0, 0, 0.0, 0.0, true},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.students);
        Blocks h;
        h.rail(1, 3);
        const QString b1 = h.course(1, "B1", 1, 3, {{"KS_MAX", t.max1}});
        const QVariant second = t.only ? QVariant(Blocks::subjectKey(2)) : QVariant();
        const QString b2 = h.course(2, "B2", 1, 3, {{"KS_MAX", t.max2}, {"KS_FA_ID2", second}});
        for (int s = 1; s <= t.students; ++s)
            h.choice(s, 1, "S", b1);
        std::vector<qint64> only;
        for (int s = 1; s <= t.only; ++s)
            only.push_back(h.choice(t.students + s, 2));

        const blocking::Result r = h.block(Mode::All, 2009, 30);
        const blocking::Evaluation& e = r.after;

        std::vector<int> sizes{h.size(b1), h.size(b2)};
        std::sort(sizes.begin(), sizes.end());
        // The squares are sums of whole squares: exact.
        EXPECT_EQ(std::tuple(sizes, e.outsideLimits, e.largestDifference, e.differenceBound,
                             e.squaredDeviation, e.deviationBound, e.optimal),
                  std::tuple(t.sizes, t.outside, t.difference, t.differenceBound, t.squares,
                             t.squaresBound, t.optimal));
        EXPECT_EQ(std::tuple(r.before.withoutCourse, e.withoutCourse), std::tuple(t.only, 0));
        for (qint64 bg : only)
            EXPECT_EQ(h.courseOf(bg), b2);
    }
}

TEST(Blocking, ACourseOfBothYearGroupsKeepsTheOtherCohortUntouchedOrIsNamedWhereItHasNoRail) {
    // Two rails of two hours; 5Ps1 and 5Ps2 of both year groups (subject 1 of 2009, 9 of 2008)
    // and 2X1 of year group 13 (subject 8 of 2008) on S1.
    Blocks h;
    h.rails({2, 2});
    h.offer(1, "2009");
    h.offer(9, "2008");
    h.offer(8, "2008");
    const QString x1 = h.place(1, h.course(3, "2X1", 8, 2, {{"KS_JGST", "12"}}));
    const Row both = {{"KS_JGST", "50"}, {"KS_FA_ID3", Blocks::subjectKey(9)}};
    const QString ps1 = h.course(1, "5Ps1", 1, 2, both), ps2 = h.course(2, "5Ps2", 1, 2, both);
    h.choice(9, 9, "S", ps1, "2008");
    h.choice(9, 8, "S", x1, "2008");
    for (int s = 1; s <= 3; ++s)
        h.choice(s, 1, "S", ps1);
    const QString other = "SELECT * FROM belegung WHERE BG_KO_ID = 'ST0009' ORDER BY BG_ID";
    const QStringList before = h.db.rows(other);

    const blocking::Result r = h.block(Mode::All);

    // ST0009 of 2008 sits in 5Ps1 and has 2X1 on S1: 5Ps1 goes to S2; four students, two each.
    EXPECT_EQ(QStringList(h.railsOf(ps1) + h.railsOf(x1)), QStringList({"S2", "S1"}));
    EXPECT_EQ(h.db.rows(other), before);
    EXPECT_EQ(std::tuple(h.size(ps1), h.size(ps2), r.after.collisions, r.after.optimal),
              std::tuple(2, 2, 0, true));

    // ST0010 of 2008 in 5Ps1 too, with 2X2 on S2: whichever rail 5Ps1 takes, one of the two
    // meets his 2X course there, a student of 2008 counted apart from the cohort's own.
    h.place(2, h.course(4, "2X2", 8, 2, {{"KS_JGST", "12"}}));
    h.choice(10, 9, "S", ps1, "2008");
    h.choice(10, 8, "S", Blocks::courseKey(4), "2008");
    const blocking::Result no = h.block(Mode::All, 2009, 20);
    EXPECT_EQ(std::tuple(no.after.collisions, no.after.otherCollisions,
                         no.after.otherCollisionBound, no.after.optimal),
              std::tuple(0, 1, 1, true));
    EXPECT_EQ(no.after.reasons.value("otherCollisions"),
              QStringList{"Kurs 5Ps1: Seine Schüler des anderen Jahrgangs haben auf jeder Schiene, "
                          "die er nehmen kann, schon einen Kurs."});
}

namespace {

// Teacher T has A1 of 2009, which may not stand on S1, and B1 of 2008. Blocked alone, 2008
// keeps B1 on S2 and B2 on S1 (optimal for it as they stand); 2009 then has only S2 for A1.
// Both year groups in one search place B1 on S1 instead. assigned: 2008's students sit in B1
// and B2; otherwise the joint plan gives them their courses in their own year field.
void bothYearGroups(Blocks& h, bool assigned) {
    h.rails({2, 2});
    for (const auto& [subject, cohort] : std::initializer_list<std::pair<int, const char*>>{
             {1, "2009"}, {2, "2009"}, {8, "2008"}, {9, "2008"}})
        h.offer(subject, cohort);
    h.course(1, "A1", 1, 2, {{"KS_LE_ID", "T"}});
    h.course(2, "A2", 2, 2);
    const QString b1 = h.place(2, h.course(3, "B1", 8, 2, {{"KS_JGST", "12"}, {"KS_LE_ID", "T"}}));
    const QString b2 = h.place(1, h.course(4, "B2", 9, 2, {{"KS_JGST", "12"}}));
    h.rule("course-not-on-rail", {"A1", "S1"});
    for (int s : {1, 2}) {
        h.choice(s, 1);
        h.choice(s, 2);
    }
    for (int s : {9, 10}) {
        h.choice(s, 8, "S", assigned ? b1 : QString(), "2008");
        h.choice(s, 9, "S", assigned ? b2 : QString(), "2008");
    }
}

blocking::Evaluation evaluateBoth(Blocks& h) {
    db::Connection c(h.path());
    return blocking::evaluate(blocking::Model::load(c, {test::kYear, "2009/2010"}, {2009, 2008}));
}

} // namespace

TEST(Both, OneSearchAvoidsTheTeachersClashThatOneYearGroupAfterTheOtherLeaves) {
    Blocks seq;
    bothYearGroups(seq, true);
    seq.block(Mode::All, 2008);
    seq.block(Mode::All, 2009);
    const blocking::Evaluation one = evaluateBoth(seq);
    EXPECT_EQ(std::tuple(one.teacherClashes + one.ruleViolations, one.collisions),
              std::tuple(1, 0));

    Blocks h;
    bothYearGroups(h, false);
    const QString choices =
        "SELECT BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13 FROM belegung ORDER BY BG_ID";
    const QStringList before = h.db.rows(choices);
    const QStringList placedBefore = test::planRows(h.path());
    db::Connection c(h.path());
    const blocking::Loaded both =
        blocking::loadForPlan(c, {test::kYear, "2009/2010"}, std::vector<int>{2009, 2008});
    EXPECT_EQ(std::tuple(both.model.ownStudents, both.model.ownCourses, both.model.cohortsText()),
              std::tuple(4, 4, QString("Jahrgänge 2009 und 2008 (Jahrgangsstufen 12 und 13)")));
    const blocking::Result r = blocking::block(both.model, test::options(0, 2));
    // Over a file changed since it was read, nothing of either cohort is written.
    EXPECT_FALSE(blocking::write(c, both.model, r.placement, r.assignment, QByteArray("alt")));
    EXPECT_EQ(test::planRows(h.path()), placedBefore);
    const std::optional<blocking::Written> w =
        blocking::write(c, both.model, r.placement, r.assignment, both.state);
    ASSERT_TRUE(w);

    const blocking::Evaluation joint = evaluateBoth(h);
    EXPECT_EQ(std::tuple(joint.teacherClashes, joint.ruleViolations, joint.collisions,
                         joint.withoutCourse, joint.optimal),
              std::tuple(0, 0, 0, 0, true));
    EXPECT_EQ(QStringList(h.railsOf(Blocks::courseKey(1)) + h.railsOf(Blocks::courseKey(3))),
              QStringList({"S2", "S1"}));
    // Each cohort's courses in its own year field, the other field as it was.
    EXPECT_EQ(h.db.rows(choices),
              QStringList({"ST0001|KS0001|<null>", "ST0001|KS0002|<null>", "ST0002|KS0001|<null>",
                           "ST0002|KS0002|<null>", "ST0009|<null>|KS0003", "ST0009|<null>|KS0004",
                           "ST0010|<null>|KS0003", "ST0010|<null>|KS0004"}));
    // Taken back whole, both fields and the rails.
    ASSERT_TRUE(blocking::undo(c, *w));
    EXPECT_EQ(h.db.rows(choices), before);
    EXPECT_EQ(test::planRows(h.path()), placedBefore);
}

// Subjects 1 (2009) and 8 (2008) share the plan key M: "parallels-apart M" keeps each year
// group's M courses apart, A1 and A3 of 2009, but not B1 of 2008 from them.
TEST(Both, AParallelsRuleHoldsWithinEachYearGroup) {
    Blocks h;
    bothYearGroups(h, true);
    h.course(5, "A3", 1, 2);
    db::Connection(h.path()).exec("UPDATE fachang SET FA_PSCHL = 'M' WHERE FA_ID IN (1, 8)");
    h.rule("parallels-apart", {"M"});
    db::Connection c(h.path());
    const blocking::Model m =
        blocking::Model::load(c, {test::kYear, "2009/2010"}, std::vector<int>{2009, 2008});
    QStringList apart;
    for (const blocking::PlanRule& r : m.rules)
        if (r.kind == blocking::RuleKind::ParallelsApart)
            for (int k : r.courses)
                apart << m.courses[k].name;
    EXPECT_EQ(apart, QStringList({"A1", "A3"}));
}

TEST(Both, AreTwoDistinctCohortsOfTheSchoolYear) {
    Blocks h;
    bothYearGroups(h, true);
    db::Connection c(h.path());
    const blocking::SchoolYear year{test::kYear, "2009/2010"};
    EXPECT_EQ(test::refusal([&] {
                  blocking::Model::load(c, year, {2009, 2009});
              }),
              "Der Jahrgang 2009 ist zweimal genannt.");
    EXPECT_EQ(test::refusal([&] {
                  blocking::Model::load(c, year, {2009, 2007});
              }),
              "Der Jahrgang 2007 ist im Schuljahr 2009/2010 weder in der Jahrgangsstufe 12 noch "
              "in der Jahrgangsstufe 13.");
}

TEST(Evaluation, CountsEveryGoalAsWorkedOutByHand) {
    Blocks h;
    h.rails({3, 3, 2});
    const QString d1 = h.place(1, h.course(1, "D1", 1, 3, {{"KS_MAX", 2}}));
    const QString d2 = h.place(2, h.course(2, "D2", 1, 3));
    h.course(3, "D3", 1, 3); // on no rail
    const QString g1 = h.place(3, h.course(4, "G1", 2, 2));
    const QString e1 = h.place(1, h.course(5, "E1", 4, 3));

    h.choice(1, 1, "S", d1);
    h.choice(1, 2, "S", g1);
    h.choice(1, 3, "X"); // no course teaches subject 3
    h.choice(2, 1, "S", d1);
    h.choice(2, 2, "C", g1);
    h.choice(3, 1, "S", d2);
    h.choice(4, 1, "S");     // still without its course
    h.choice(5, 1, "L", d1); // an advanced choice in a basic course
    h.choice(5, 1, "B", d2); // counts in year group 13 only
    h.choice(6, 1, "A", d1);
    h.choice(6, 4, "S", e1); // E1 and D1 share S1

    const blocking::Evaluation e = blocking::evaluate(h.model());

    EXPECT_EQ(std::tuple(e.students, e.courses, e.optimal), std::tuple(6, 5, false));
    // Without a course: ST0001's subject 3, ST0004's D and ST0005's advanced D (the first and the
    // last in every plan: no course serves them). D1 holds 4 of at
    // most 2. D1 4, D2 2 (with ST0005's B row), D3 0: mean 2, squares 4 + 0 + 4. ST0005's two
    // rows stay where they are; five basic choices of D move: at best D1 2 (its limit), D2 3,
    // D3 2, whose squares 17 lie 17 - 49/3 above the least.
    EXPECT_DOUBLE_EQ(e.squaredDeviation, 8.0);
    EXPECT_NEAR(e.deviationBound, 2.0 / 3.0, 1e-9);
    EXPECT_EQ(blocking::describe(e),
              QStringList({"Kollisionen (Schüler): 1", "Kollidierende Kurspaare: 1",
                           "Kurse nicht gesetzt: 1", "Belegungen ohne Kurs: 3, bestmöglich 2",
                           "Kurse außerhalb ihrer Grenzen: 1", "Kurse auf zu vielen Schienen: 0",
                           "Größte Differenz: 4 (D1 D2 D3), bestmöglich 1",
                           "Summe der Abweichungsquadrate: 8,00, Untergrenze 0,67"}));
}

TEST(Blocking, ACourseOnARailItDoesNotNeedIsNamedAndTakenOffIt) {
    // The rails it stands on (S1, S2 of 3 hours, S3 of 2, S4 of 1), the fixed one (0: none),
    // whether one is too many, how many it keeps and one of them.
    const std::tuple<std::vector<int>, int, bool, int, QString> cases[] = {
        {{1, 2}, 0, true, 1, ""},    // a 3-hour course on two 3-hour rails
        {{1, 2}, 2, true, 1, "S2"},  // the fixed one stays
        {{1, 3}, 0, true, 1, "S1"},  // 3 + 2: the 2-hour rail is not needed
        {{3, 4}, 0, false, 2, "S3"}, // 2 + 1: both are
    };
    for (const auto& [rails, fixedRail, surplus, railsAfter, keeps] : cases) {
        SCOPED_TRACE(rails[0] * 10 + rails[1]);
        Blocks h;
        h.rails({3, 3, 2, 1});
        const QString k = h.course(1, "K1", 1, 3);
        for (int r : rails)
            h.place(r, k, r == fixedRail);
        h.choice(1, 1, "S", k);

        const blocking::Evaluation e = blocking::evaluate(h.model());
        EXPECT_EQ(
            std::tuple(e.surplus, e.optimal,
                       blocking::describe(e).contains("Kurse auf zu vielen Schienen: 1 (K1)")),
            std::tuple(surplus ? 1 : 0, !surplus, surplus));

        EXPECT_EQ(h.block(Mode::Rest, 2009, 30).after.surplus, 0);
        const QStringList after = h.railsOf(k);
        EXPECT_EQ(after.size(), railsAfter);
        EXPECT_TRUE(keeps.isEmpty() || after.contains(keeps));
    }
}

TEST(Evaluation, TheLargestDifferenceNamesTheFirstGroupOnATieAndItsBoundKeepsWhatStays) {
    // Basic choices in A1, A2, B1, B2 (two parallel groups), advanced ones in A1 that no course
    // serves and that stay: the group named, its difference and the least difference possible.
    const std::tuple<std::vector<int>, int, const char*, int, int> cases[] = {
        {{3, 1, 3, 1}, 0, "A1 A2", 2, 0},
        {{3, 1, 4, 1}, 0, "B1 B2", 3, 1},
        {{1, 1, 1, 1}, 0, "A1 A2", 0, 0},
        {{0, 2, 0, 0}, 4, "A1 A2", 2, 2},
    };
    for (const auto& [sizes, advanced, group, difference, bound] : cases) {
        SCOPED_TRACE(group);
        Blocks h;
        int id = 0;
        for (int k = 0; k < 4; ++k) {
            const QString course = h.course(k + 1, QString("A1A2B1B2").mid(2 * k, 2), k / 2 + 1, 3);
            for (int i = 0; i < sizes[k] + (k == 0 ? advanced : 0); ++i)
                h.choice(++id, k / 2 + 1, i < sizes[k] ? "S" : "L", course);
        }
        const blocking::Evaluation e = blocking::evaluate(h.model());
        EXPECT_EQ(std::tuple(e.largestDifferenceGroup, e.largestDifference, e.differenceBound),
                  std::tuple(group, difference, bound));
    }
}

// "Wenig ändern": a blocked school where a student chose anew, planned again. (Who did not
// choose anew keeps his courses: kubb block's test on a larger sample.)
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
