// The bounds against what searches find: on many small generated schools, made harder at random
// (placements fixed anywhere, a teacher's courses added, rules drawn blindly, extra choices), no
// search ever goes below a bound, and "optimal" stands only where every figure is at its bound.
#include "Blocks.h"
#include "Generator.h"

#include "blocking/Bounds.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

namespace {

// A small school of the family (one of 40, each made once into g), then disturbed so that no plan
// need be free of costs.
blocking::Model disturbedSchool(const QTemporaryDir& dir, unsigned i, test::GeneratedSchool& g) {
    std::mt19937 random(i / 5);
    const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    test::SchoolSettings settings = test::staffedSchool(static_cast<int>(i / 5));
    settings.students = 12 + below(10);
    settings.rails = 8 + below(3);
    settings.fixed = below(3);
    settings.courseSize = 5 + below(3);
    const QString base = dir.filePath(QStringLiteral("BASE%1.MDB").arg(i / 5));
    if (i % 5 == 0)
        g = test::generateSchool(base, settings);
    random.seed(i);
    const QString path = dir.filePath(QStringLiteral("BB%1.MDB").arg(i));
    QFile::copy(base, path);
    db::Connection c(path);
    c.exec("PRAGMA synchronous = OFF");
    db::Transaction tx(c);
    const auto nth = [&](const char* table, const char* field) {
        const QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid LIMIT 1 OFFSET ?");
        const int n = c.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
        return c.scalar(sql.arg(field, table), {below(n)}).toString();
    };
    const auto rail = [&] { return db::sixKey(1 + below(settings.rails)); };
    const auto student = [&] { return db::sixKey(1 + below(g.students)); };
    for (int n = below(3); n > 0; --n)
        c.exec("INSERT INTO ckkurs (CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX) VALUES (?, ?, '0', '1') "
               "ON CONFLICT (CK_BL_ID, CK_KS_ID) DO UPDATE SET CK_FIX = '1'",
               {rail(), nth("kurs", "KS_VFP_ID")});
    c.exec("UPDATE kurs SET KS_LE_ID = (SELECT KS_LE_ID FROM kurs WHERE KS_ID = 1) WHERE "
           "KS_VFP_ID IN (?, ?)",
           {nth("kurs", "KS_VFP_ID"), nth("kurs", "KS_VFP_ID")});
    for (int n = 3; n > 0; --n)
        c.exec("INSERT INTO belegung (BG_KO_ID, BG_FA_ID, BG_ART) VALUES (?, ?, 'C')",
               {student(), nth("fachang", "FA_VFP_ID")});
    for (int n = 2 + below(4); n > 0; --n) {
        const blocking::RuleKindInfo& kind = blocking::ruleKinds()[below(8)];
        const auto name = [&](blocking::RuleArg a) {
            switch (a) {
            case blocking::RuleArg::Course:
                return c
                    .scalar("SELECT KS_BEZ FROM kurs WHERE KS_VFP_ID = ?",
                            {nth("kurs", "KS_VFP_ID")})
                    .toString();
            case blocking::RuleArg::Rail:
                return QStringLiteral("S%1").arg(1 + below(settings.rails));
            case blocking::RuleArg::Student:
                return student();
            default:
                return QStringLiteral("M");
            }
        };
        QStringList names{name(kind.first)};
        if (kind.second != blocking::RuleArg::None)
            names << name(kind.second);
        test::refusal([&] { blocking::addRule(c, test::kGeneratedYear, kind.name, names); });
    }
    tx.commit();
    return blocking::Model::load(c, {test::kGeneratedYear, test::kGeneratedYearBez}, 2009);
}

// The figures in the order the search weighs them, then the bounds' in the same order.
std::vector<double> figures(const blocking::Evaluation& e) {
    return {double(e.ruleViolations),  double(e.teacherClashes), double(e.collisions),
            double(e.otherCollisions), double(e.unplaced),       double(e.withoutCourse),
            double(e.outsideLimits),   double(e.surplus),        double(e.largestDifference),
            e.squaredDeviation};
}
std::vector<double> figures(const blocking::FigureBounds& b) {
    return {double(b.ruleViolations), double(b.teacherClashes),
            double(b.collisions),     double(b.otherCollisions),
            double(b.unplaced),       double(b.withoutCourse),
            double(b.outsideLimits),  double(b.surplus),
            double(b.difference),     b.deviation};
}

} // namespace

TEST(Bounds, NoSearchGoesBelowABoundAndOptimalStandsOnlyAtTheBounds) {
    int raised = 0;
    QTemporaryDir dir;
    test::GeneratedSchool made;
    for (unsigned i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        const blocking::Model m = disturbedSchool(dir, i, made);
        const std::vector<double> bound = figures(blocking::figureBounds(m, blocking::Mode::All));
        raised += std::any_of(bound.begin(), bound.end() - 2, [](double b) { return b > 0; });
        for (std::uint64_t seed = 1; seed <= 5; ++seed) {
            const blocking::Result r =
                blocking::block(m, test::options(6, 1, blocking::Mode::All, seed));
            const std::vector<double> found = figures(r.after);
            // Each bound holds for the plans whose figures before it are at their bounds.
            for (size_t f = 0; f < found.size(); ++f) {
                ASSERT_GE(found[f] + 1e-6, bound[f]) << "figure " << f << ", seed " << seed;
                if (found[f] > bound[f] + 1e-6)
                    break;
            }
            for (size_t f = 0; r.after.optimal && f < found.size(); ++f)
                EXPECT_NEAR(found[f], bound[f], 1e-6) << "figure " << f << ", seed " << seed;
        }
    }
    // The disturbances raise some bound above 0 in most schools, or the test proves little.
    EXPECT_GT(raised, 100);
}
