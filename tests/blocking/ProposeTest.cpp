// The proposals on small schools counted by hand: parallels within the limits, what cannot be
// met named, and the changes of "what if".
#include "Blocks.h"

#include "blocking/Propose.h"
#include "blocking/RailsNeeded.h"
#include "blocking/WhatIf.h"

#include <gtest/gtest.h>

using blocking::PlanChange;
using test::Blocks;

namespace {

blocking::CourseCounts counts(Blocks& h, const blocking::SizeLimits& defaults = {}) {
    const blocking::Model m = h.model();
    db::Connection c(h.path());
    return blocking::countCourses(m, blocking::readProposalData(c, m, {test::kYear, "2009/2010"}),
                                  defaults);
}

} // namespace

TEST(Propose, ParallelsKeepEveryCourseWithinItsLimits) {
    const struct {
        int students, min, max, opt, fewest, most, best;
    } cases[] = {
        {44, 0, 22, 0, 2, -1, 2},    // exactly full
        {45, 0, 22, 0, 3, -1, 3},    // one more: a third course
        {16, 8, 10, 0, 2, 2, 2},     // two courses at their least size
        {40, 8, 22, 20, 2, 5, 2},    // KS_OPT agrees with the fewest
        {60, 8, 0, 15, 1, 7, 4},     // no KS_MAX: one course would do, KS_OPT asks for four
        {60, 8, 0, 5, 1, 7, 7},      // KS_OPT beyond KS_MIN: as many as KS_MIN allows
        {5, 8, 22, 0, -1, -1, -1},   // KS_MIN above the choosers
        {25, 13, 20, 0, -1, -1, -1}, // one course too big, two too small
        {30, 25, 20, 0, -1, -1, -1}, // KS_MIN above KS_MAX
        {0, 8, 22, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const blocking::Parallels p = blocking::parallelsFor(c.students, {c.min, c.max, c.opt});
        EXPECT_EQ(std::tuple(p.fewest, p.most, p.best), std::tuple(c.fewest, c.most, c.best))
            << c.students << " " << c.min << ".." << c.max << " opt " << c.opt;
    }
}

TEST(Propose, CountsNameWhatGoesWhatComesAndWhatNoCountMeets) {
    Blocks h;
    h.rails({3, 3, 3});
    for (int s = 2; s <= 4; ++s)
        h.offer(s, "2009");
    // Subject 1: 12 choosers in three courses of at most 10: two do, the emptiest could go.
    for (int k = 1; k <= 3; ++k)
        h.course(k, QStringLiteral("A%1").arg(k), 1, 3, {{"KS_MAX", 10}});
    // Subject 2: 8 choosers in one course of at most 5: a parallel should come.
    h.course(4, "B1", 2, 3, {{"KS_MAX", 5}});
    // Subject 3: 4 choosers, but no course at least 6 can fill.
    h.course(5, "C1", 3, 3, {{"KS_MIN", 6}});
    for (int s = 1; s <= 12; ++s) {
        h.choice(s, 1, "S", test::School::courseKey(s <= 8 ? 1 : s <= 11 ? 2 : 3));
        if (s <= 8)
            h.choice(s, 2, "S", test::School::courseKey(4));
        if (s <= 4)
            h.choice(s, 3, "S", test::School::courseKey(5));
        if (s <= 2)
            h.choice(s, 4); // subject 4 has no course at all
    }
    const blocking::CourseCounts c = counts(h);
    ASSERT_EQ(c.rows.size(), 4u);
    EXPECT_EQ(
        std::tuple(c.rows[0].fewest, c.rows[0].proposal, c.rows[0].largest - c.rows[0].smallest),
        std::tuple(2, QString("A3 könnte entfallen"), 7));
    EXPECT_EQ(std::tuple(c.rows[1].fewest, c.rows[1].add, c.rows[1].proposal),
              std::tuple(2, 1, QString("ein Parallelkurs zu B1 sollte hinzukommen")));
    ASSERT_EQ(c.problems.size(), 2);
    EXPECT_TRUE(c.problems[0].contains("4 Schüler, aber KS_MIN 6")) << c.problems[0].toStdString();
    EXPECT_TRUE(c.problems[1].endsWith("2 Schüler haben es gewählt, aber es gibt keinen Kurs."))
        << c.problems[1].toStdString();
    // The planner's default stands only where the file sets no limit.
    const blocking::CourseCounts defaulted = counts(h, {0, 4, 0});
    EXPECT_EQ(defaulted.rows[0].fewest, 2);
    EXPECT_TRUE(defaulted.problems[0].contains("KS_MIN 6 liegt über KS_MAX 4"));
    EXPECT_EQ(blocking::proposedChanges(c),
              (std::vector<PlanChange>{{PlanChange::Kind::Without, 2},
                                       {PlanChange::Kind::WithParallel, 3}}));
}

TEST(Propose, ACohortWithoutChoicesIsNamedNotCounted) {
    Blocks h;
    h.rails({3});
    h.course(1, "A1", 1, 3);
    h.offer(1, "2009");
    EXPECT_EQ(test::refusal([&] { counts(h); }),
              "Der Jahrgang 2009 hat keine Kurswahlen, die in der Jahrgangsstufe 12 zählen; es "
              "gibt nichts vorzuschlagen.");
}

TEST(Propose, WhatIfMovesTheStudentsOfACourseTakenOutAndFillsANewParallel) {
    Blocks h;
    h.rails({3, 3});
    h.offer(2, "2009");
    const QString a1 = h.course(1, "A1", 1, 3);
    h.course(2, "A2", 1, 3);
    const QString b1 = h.course(3, "B1", 2, 3);
    for (int s = 1; s <= 6; ++s) {
        h.choice(s, 1, "S", s <= 3 ? a1 : test::School::courseKey(2));
        h.choice(s, 2, "S", b1);
    }
    const blocking::Model m = h.model();
    const auto course = [&](const char* name) {
        return m.courseIndex(
            h.db.scalar("SELECT KS_VFP_ID FROM kurs WHERE KS_BEZ = ?", {name}).toString());
    };
    EXPECT_EQ(test::refusal([&] {
                  blocking::withChanges(m, {{PlanChange::Kind::Without, course("B1")}});
              }),
              "Ohne B1 hätten seine Schüler keinen Kurs ihres Fachs mehr.");
    EXPECT_EQ(test::refusal([&] { blocking::planChange(m, PlanChange::Kind::Without, "X9"); }),
              "Der Jahrgang 2009 hat keinen Kurs X9.");

    blocking::WhatIfOptions o;
    o.seconds = 2;
    o.threads = 1;
    const blocking::WhatIf without =
        blocking::whatIf(m, {blocking::planChange(m, PlanChange::Kind::Without, "a2")}, o);
    EXPECT_EQ(without.changes, QStringList{"ohne A2"});
    EXPECT_EQ(std::tuple(without.evaluation.courses, without.evaluation.collisions,
                         without.evaluation.withoutCourse),
              std::tuple(2, 0, 0));
    EXPECT_EQ(without.rails.needed(), 2);

    const blocking::Model more =
        blocking::withChanges(m, {{PlanChange::Kind::WithParallel, course("A1")}});
    ASSERT_EQ(more.courses.size(), m.courses.size() + 1);
    EXPECT_EQ(more.courses.back().name, "A3");
    const blocking::WhatIf with =
        blocking::whatIf(m, {{PlanChange::Kind::WithParallel, course("A1")}}, o);
    EXPECT_EQ(std::tuple(with.evaluation.courses, with.evaluation.collisions,
                         with.evaluation.largestDifference),
              std::tuple(4, 0, 0)); // A1, A2, A3 two students each
    EXPECT_TRUE(with.rails.proven());
}

TEST(Propose, RailsNeededLeaveEveryCourseARailOfItsHours) {
    // Three rails, two courses that meet in every student: one rail of each hours, no fewer.
    Blocks h;
    h.rails({3, 3, 2});
    h.offer(2, "2009");
    const QString a1 = h.course(1, "A1", 1, 3);
    const QString b1 = h.course(2, "B1", 2, 2);
    for (int s = 1; s <= 3; ++s) {
        h.choice(s, 1, "S", a1);
        h.choice(s, 2, "S", b1);
    }
    blocking::RailsNeededOptions o;
    o.seconds = 2;
    o.threads = 1;
    o.stopAtBound = false; // tries on below the bounds: only a plan stops it
    const blocking::RailsNeeded r = blocking::railsNeeded(h.model(), o);
    ASSERT_EQ(r.kinds.size(), 2u);
    EXPECT_EQ(std::tuple(r.kinds[0].hours, r.kinds[0].needed, r.kinds[0].bound),
              std::tuple(2, 1, 1));
    EXPECT_EQ(std::tuple(r.kinds[1].hours, r.kinds[1].needed, r.kinds[1].bound),
              std::tuple(3, 1, 1));
    EXPECT_EQ(blocking::describe(r).last(), "Schienen nötig: 2 (in der Datei 3), bewiesen");
}
