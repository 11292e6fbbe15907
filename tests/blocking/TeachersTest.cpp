// One teacher's courses on one rail: avoided by the search, counted, named and bounded.
#include "Blocks.h"
#include "blocking/Bounds.h"
#include "blocking/Evaluation.h"

#include <gtest/gtest.h>

namespace {

using test::Blocks;

// Rails of 3 hours and teacher "Mei" (key 18); course k of subject k + 1, 3 hours, its teacher.
struct Staffed : Blocks {
    explicit Staffed(int rails) {
        for (int r = 1; r <= rails; ++r)
            rail(r, 3);
        db.insert("lehrer", {{"LE_KUERZ", "Mei"}, {"LE_VFP_ID", "    18"}});
    }
    QString taught(int id, const QString& name, const QString& teacher,
                   const test::Row& extra = {}) {
        return plain(id, name, id + 1, test::merged({{"KS_LE_ID", teacher}}, extra));
    }
};

TEST(Teachers, TheBoundCountsTheRailsOfEachHoursTheOtherYearGroupAndCoursesKeptTogether) {
    // Teacher 18's courses of 3 hours on `rails` rails (B's key padded otherwise, or another
    // teacher's), D without a teacher (a blank key); E of cohort 2008 of the same teacher standing
    // on S1, where it counts; A and B joined by a rule. Three courses on two rails: one clash is
    // unavoidable, and a plan with just that one is proven optimal.
    const struct {
        int rails, courses;
        bool other, together;
        int bound;
        const char* keyB = "    18";
    } cases[] = {{2, 2, false, false, 0},        {2, 3, false, false, 1},
                 {2, 2, true, false, 1},         {3, 2, false, true, 1},
                 {3, 3, true, true, 1},          {3, 2, true, false, 0},
                 {2, 3, false, false, 1, " 18"}, {2, 3, false, false, 0, "    19"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rails << c.courses << c.other << c.together << c.keyB);
        Staffed s(c.rails);
        for (int k = 1; k <= c.courses; ++k) {
            s.taught(k, QString(QChar('A' + k - 1)), k == 2 ? c.keyB : "    18");
            s.chooses(k, {k + 1});
        }
        s.taught(4, "D", "    ");
        s.chooses(4, {5});
        if (c.other)
            s.place(1, s.taught(5, "E", "    18", {{"KS_JGST", "13"}}));
        if (c.together)
            s.rule("courses-together", {"A", "B"});
        const blocking::Model m = s.model();
        // The abbreviation, not the key; a teacher missing from lehrer by his key.
        EXPECT_EQ(m.teachers.join(' '), c.keyB == QString("    19") ? "Mei 19" : "Mei");
        if (c.other) { // A on S1 with E: a clash of the evaluation
            blocking::Placement p = m.placement;
            p.rails[m.courseIndex(Blocks::courseKey(1))] = blocking::RailSet::of(0);
            EXPECT_EQ(blocking::evaluate(m, p, m.assignment).teacherClashList,
                      QStringList{"Lehrer Mei, Schiene S1: A, E"});
        }
        EXPECT_EQ(blocking::teacherClashBound(m, blocking::freedom(m, blocking::Mode::All)),
                  c.bound);
        const blocking::Result r = test::plan(m);
        EXPECT_EQ(std::tuple(r.after.teacherClashes, r.after.teacherClashBound, r.after.optimal),
                  std::tuple(c.bound, c.bound, true));
        if (c.rails != 2 || c.courses != 3 || c.bound == 0)
            continue;
        ASSERT_EQ(r.after.teacherClashList.size(), 1);
        EXPECT_TRUE(r.after.teacherClashList[0].startsWith("Lehrer Mei, Schiene S"));
        EXPECT_EQ(r.reasons, QStringList{"Der Lehrer Mei hat 3 Kurse mit 3 Stunden, es gibt 2 "
                                         "solche Schienen."});
        const QStringList lines = blocking::describe(r.after, true, true);
        EXPECT_EQ(lines[1],
                  "Lehrerkollisionen: 1, bestmöglich 1 (" + r.after.teacherClashList[0] + ")");
        EXPECT_EQ(lines.last(), "optimal");
        const QJsonObject json = blocking::toJson(r.after);
        EXPECT_EQ(std::tuple(json.value("teacherClashes").toInt(),
                             json.value("teacherClashBound").toInt()),
                  std::tuple(1, 1));
        // A search's plan with a clash too many claims no more than is proven; a plan no search
        // made has no verdict.
        blocking::Evaluation worse = r.after;
        worse.teacherClashes = 2;
        worse.optimal = false;
        EXPECT_EQ(blocking::describe(worse, true, true).last(),
                  "beste gefundene Lösung (Lehrerkollisionen 2, Untergrenze 1)");
        EXPECT_TRUE(blocking::describe(worse).last().startsWith("Summe der Abweichungsquadrate"));
    }
}

} // namespace
