// The search as the workspace will drive it: from the grid's placement, with progress and
// cancel, the same plan for the same seed.
#include "Generator.h"

#include "blocking/Search.h"
#include "blocking/SearchProblem.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "support/TestDb.h"

#include <QFile>
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

TEST(Search, APlanIsWrittenWholeOverWhatItWasReadFromAndUndoneExactly) {
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
    const auto file = [&] {
        QStringList all;
        for (const char* t : {"ckkurs", "belegung", "block"})
            all << test::rowsOf(path, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(t));
        return all;
    };
    const QStringList before = file();
    blocking::Loaded loaded;
    {
        db::Connection c(path);
        loaded = blocking::loadForPlan(c, {test::kGeneratedYear, test::kGeneratedYearBez}, 2009);
    }
    blocking::Model& m = loaded.model;
    m.rails[0].hours += 1; // as the workspace's grid may show it: written with the plan
    blocking::Options o;
    o.mode = blocking::Mode::All;
    o.threads = 1;
    o.rounds = 1;
    const blocking::Result r = blocking::block(m, o);

    // Another program's placement, fixed mark, choice or rail written during the search: the
    // plan is not written.
    for (const char* other :
         {"UPDATE ckkurs SET CK_FIX = '1' WHERE CK_ID = (SELECT min(CK_ID) FROM ckkurs WHERE "
          "CK_FIX = '0')",
          "DELETE FROM ckkurs WHERE CK_ID = (SELECT max(CK_ID) FROM ckkurs)",
          "UPDATE belegung SET BG_KS_ID_12 = 'OLD' WHERE BG_ID = 4",
          "UPDATE block SET BL_STD = 1 WHERE BL_ID = (SELECT max(BL_ID) FROM block)"}) {
        SCOPED_TRACE(other);
        test::TempDir copy;
        QFile::copy(path, copy.path("BB.MDB"));
        db::Connection c(copy.path("BB.MDB"));
        c.exec(other);
        const QStringList changed = test::rowsOf(copy.path("BB.MDB"), "SELECT * FROM belegung");
        EXPECT_FALSE(blocking::write(c, m, r.placement, r.assignment, loaded.state));
        EXPECT_EQ(test::rowsOf(copy.path("BB.MDB"), "SELECT * FROM belegung"), changed);
    }

    db::Connection c(path);
    const std::optional<blocking::Written> w =
        blocking::write(c, m, r.placement, r.assignment, loaded.state);
    ASSERT_TRUE(w);
    ASSERT_FALSE(w->courses.empty());
    ASSERT_FALSE(w->added.empty());
    ASSERT_EQ(w->hours.size(), 1u);
    EXPECT_NE(file(), before);
    EXPECT_EQ(blocking::evaluate(load(path)), r.after);

    // Taken back exactly, but not over another program's change.
    const QVariant was = c.scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_ID = 4");
    c.exec("UPDATE belegung SET BG_KS_ID_12 = 'OLD' WHERE BG_ID = 4");
    const QStringList changed = file();
    EXPECT_FALSE(blocking::undo(c, *w));
    EXPECT_EQ(file(), changed);
    c.exec("UPDATE belegung SET BG_KS_ID_12 = ? WHERE BG_ID = 4", {was});
    ASSERT_TRUE(blocking::undo(c, *w));
    EXPECT_EQ(file(), before);
}

TEST(Search, TheGoalsOrderPlansOneAfterTheOther) {
    using blocking::search::Cost;
    // Each goal decides over all later ones, however much worse they are; an equal plan is not
    // better. {conflicts, outside, limits, difference, squares}
    const struct {
        Cost better, worse;
    } cases[] = {
        {{0, 9, 99, 99, 999}, {1, 0, 0, 0, 0}}, {{1, 0, 99, 99, 999}, {1, 1, 0, 0, 0}},
        {{1, 1, 0, 99, 999}, {1, 1, 1, 0, 0}},  {{1, 1, 1, 0, 999}, {1, 1, 1, 1, 0}},
        {{1, 1, 1, 1, 0}, {1, 1, 1, 1, 1}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_TRUE(cases[i].better < cases[i].worse) << "case " << i;
        EXPECT_FALSE(cases[i].worse < cases[i].better) << "case " << i;
        EXPECT_FALSE(cases[i].worse < cases[i].worse) << "case " << i;
    }
}
