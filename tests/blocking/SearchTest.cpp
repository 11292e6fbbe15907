// The search as the workspace will drive it: from the grid's placement, with progress and
// cancel, the same plan for the same seed.
#include "Generator.h"

#include "blocking/Search.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

namespace {

blocking::Model load(const QString& path) {
    db::Connection c(path);
    return blocking::Model::load(c, {test::kGeneratedYear, test::kGeneratedYearBez}, 2009);
}

} // namespace

TEST(Search, TheSameSeedAndThreadsGiveTheSamePlanAfterAsManyRounds) {
    test::TempDir dir;
    test::generateSchool(dir.path("BB.MDB"), test::realisticSchool(2));
    const blocking::Model m = load(dir.path("BB.MDB"));
    blocking::Options o;
    o.mode = blocking::Mode::All;
    o.threads = 2;
    o.seed = 9;
    o.rounds = 3;

    const blocking::Result a = blocking::block(m, o);
    const blocking::Result b = blocking::block(m, o);
    o.seed = 10;
    const blocking::Result c = blocking::block(m, o);

    EXPECT_EQ(a.placement.rails, b.placement.rails);
    EXPECT_EQ(a.assignment, b.assignment);
    EXPECT_EQ(a.after, b.after);
    EXPECT_NE(a.assignment, c.assignment);
}

TEST(Search, ReportsProgressAndCancelsWithTheBestPlanSoFar) {
    test::TempDir dir;
    test::generateSchool(dir.path("BB.MDB"), test::realisticSchool(5));
    const blocking::Model m = load(dir.path("BB.MDB"));
    std::atomic<bool> cancel{false};
    std::vector<blocking::Evaluation> seen;
    blocking::Options o;
    o.mode = blocking::Mode::All;
    o.threads = 2;
    o.seconds = 60;
    o.cancel = &cancel;
    o.progress = [&](const blocking::Progress& p) {
        seen.push_back(p.best);
        cancel = true;
    };

    const blocking::Result r = blocking::block(m, o);

    ASSERT_FALSE(seen.empty());
    EXPECT_LT(r.seconds, 30);
    EXPECT_TRUE(r.cancelled || r.after.optimal);
    EXPECT_EQ(seen.back(), r.after);
    EXPECT_EQ(r.after, blocking::evaluate(m, r.placement, r.assignment));
    EXPECT_EQ(r.before, blocking::evaluate(m));
}

TEST(Search, AGridPlacementReplacesTheLoadedOne) {
    test::TempDir dir;
    test::generateSchool(dir.path("BB.MDB"), test::realisticSchool(0));
    blocking::Model m = load(dir.path("BB.MDB"));
    const blocking::Placement loaded = m.placement;
    const blocking::PlainPlacement plain = m.plain(loaded);
    ASSERT_FALSE(plain.isEmpty());

    m.setPlacement({});
    EXPECT_EQ(blocking::evaluate(m).unplaced, m.ownCourses);
    m.setPlacement(plain);
    EXPECT_EQ(m.placement.rails, loaded.rails);
    EXPECT_EQ(m.placement.fixed, loaded.fixed);
}

TEST(Search, WritingTheStudentsCoursesCanBeUndoneExactly) {
    test::TempDir dir;
    const QString path = dir.path("BB.MDB");
    test::generateSchool(path, test::realisticSchool(0));
    {
        // A year field that names no course of the school year, and one that is empty text.
        db::Connection c(path);
        c.exec("UPDATE belegung SET BG_KS_ID_12 = 'OLD' WHERE BG_ID = 1");
        c.exec("UPDATE belegung SET BG_KS_ID_12 = '' WHERE BG_ID = 2");
        c.exec("UPDATE belegung SET BG_KS_ID_12 = NULL WHERE BG_ID = 3");
    }
    const QString all = "SELECT * FROM belegung ORDER BY BG_ID";
    const QStringList before = test::rowsOf(path, all);
    const blocking::Model m = load(path);
    blocking::Options o;
    o.mode = blocking::Mode::All;
    o.threads = 1;
    o.rounds = 1;
    const blocking::Result r = blocking::block(m, o);

    db::Connection c(path);
    const std::vector<blocking::CourseChange> changes = blocking::writeCourses(c, m, r.assignment);
    ASSERT_FALSE(changes.empty());
    EXPECT_NE(test::rowsOf(path, all), before);
    blocking::undoCourses(c, m.courseField, changes);
    EXPECT_EQ(test::rowsOf(path, all), before);
}
