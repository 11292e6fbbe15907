// Rails needed on generated schools of real shape and on the demo school: the witness, written
// into a copy, is a plan without a collision there, and no seed finds fewer rails than the bound.
#include "Demo.h"
#include "Generator.h"

#include "blocking/RailsCopy.h"
#include "blocking/RailsNeeded.h"
#include "blocking/Write.h"
#include "db/Database.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const blocking::SchoolYear kGenerated{test::kGeneratedYear, test::kGeneratedYearBez};

QByteArray hashOf(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// With stopAtBound false the search leaves rails out below the bound too, for as long as it
// finds a plan: a bound above what it finds is wrong.
blocking::RailsNeeded needed(const blocking::Model& m, double seconds, std::uint64_t seed = 1,
                             bool stopAtBound = true) {
    blocking::RailsNeededOptions o;
    o.stopAtBound = stopAtBound;
    o.seconds = seconds;
    o.seed = seed;
    o.threads = 1;
    return blocking::railsNeeded(m, o);
}

// Counts the cohort's rails, writes the copy and checks it as the evaluation sees it.
blocking::RailsCopy witnessHolds(const QString& path, const blocking::SchoolYear& year, int cohort,
                                 const QString& copy) {
    db::Connection c(path);
    const blocking::Model m = blocking::Model::load(c, year, cohort);
    const blocking::RailsNeeded r = needed(m, 4);
    if (!r.found) {
        ADD_FAILURE() << "no witness on " << path.toStdString();
        return {};
    }
    for (const blocking::RailKind& k : r.kinds)
        EXPECT_LE(k.bound, k.needed) << k.hours;
    const QByteArray before = hashOf(path);
    const blocking::RailsCopy written =
        blocking::writeRailsCopy(path, copy, year, r, blocking::readState(c));
    EXPECT_EQ(hashOf(path), before) << "the original stays as it is";

    db::Connection again(copy);
    const blocking::Model w = blocking::Model::load(again, year, cohort);
    const blocking::Evaluation e = blocking::evaluate(w);
    EXPECT_EQ(std::tuple(e.collisions, e.otherCollisions, e.unplaced, e.ruleViolations),
              std::tuple(0, 0, 0, 0))
        << blocking::describe(e).join('\n').toStdString();
    EXPECT_LE(e.teacherClashes, r.clashAllowance);
    blocking::RailSet used;
    for (size_t k = 0; k < w.courses.size(); ++k)
        if (w.courses[k].own)
            used |= w.placement.rails[k];
    EXPECT_EQ(used.count(), r.needed());
    return written;
}

} // namespace

TEST(RailsNeeded, TheWitnessWrittenIntoACopyHasNoCollisionOnRealShapedSchools) {
    for (int i = 0; i < 5; ++i) {
        test::TempDir tmp;
        const QString path = tmp.path("BB.MDB");
        test::generateSchool(path, test::staffedSchool(i));
        witnessHolds(path, kGenerated, 2009, tmp.path("Schienen.MDB"));
    }
}

TEST(RailsNeeded, TheDemoSchoolNeedsMoreRailsThanItHasAndTheCopyAddsThem) {
    test::Demo d;
    ASSERT_TRUE(d.ok);
    const blocking::RailsCopy copy = witnessHolds(d.s.databasePath(), {d.s.SchjID, d.s.SchjBez},
                                                  2009, d.tmp.path("Schienen.MDB"));
    EXPECT_EQ(copy.added, (QStringList{"GK12", "GK13", "GK14", "GK15"}));
}

TEST(RailsNeeded, NoSeedFindsFewerRailsThanTheBound) {
    int witnesses = 0;
    for (int i = 0; i < 5; ++i) {
        test::TempDir tmp;
        test::SchoolSettings settings = test::realisticSchool(i);
        settings.seed = 100 + static_cast<std::uint64_t>(i);
        settings.students = 24 + 6 * i;
        settings.teachers = i % 2 == 1;
        settings.rules = i % 3 == 2;
        test::generateSchool(tmp.path("BB.MDB"), settings);
        db::Connection c(tmp.path("BB.MDB"));
        const blocking::Model m = blocking::Model::load(c, kGenerated, 2009);
        for (std::uint64_t seed = 1; seed <= 2; ++seed) {
            const blocking::RailsNeeded r =
                needed(m, 2, seed * 7 + static_cast<std::uint64_t>(i), false);
            witnesses += r.found ? 1 : 0;
            for (const blocking::RailKind& k : r.kinds)
                EXPECT_TRUE(!r.found || k.bound <= k.needed)
                    << "school " << i << " seed " << seed << ", " << k.hours
                    << " hours: " << k.why.toStdString();
        }
    }
    EXPECT_GE(witnesses, 8);
}

TEST(RailsNeeded, TheCopyIsRefusedOverTheFileItselfAndAfterAChangeLeavingNothing) {
    test::TempDir tmp;
    const QString path = tmp.path("BB.MDB");
    test::generateSchool(path, test::realisticSchool(0));
    db::Connection c(path);
    const blocking::Model m = blocking::Model::load(c, kGenerated, 2009);
    const QByteArray state = blocking::readState(c);
    const blocking::RailsNeeded r = needed(m, 1);
    const QString copy = tmp.path("Kopie.MDB");
    const auto refusal = [&](const QString& target) {
        try {
            blocking::writeRailsCopy(path, target, kGenerated, r, state);
        } catch (const std::exception& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    };
    EXPECT_TRUE(refusal(tmp.path("./BB.MDB")).startsWith("Die Kopie darf nicht die "));
    c.exec("UPDATE kurs SET KS_MAX = 99");
    EXPECT_TRUE(refusal(copy).contains("wurde geändert, seit die Schienen gezählt wurden"));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(QDir(tmp.dir()).entryList(QDir::Files), QStringList{"BB.MDB"});
}
