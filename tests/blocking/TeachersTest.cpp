#include "Blocks.h"
#include "blocking/Bounds.h"
#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Rules.h"
#include "blocking/Search.h"
#include "db/Database.h"

#include <gtest/gtest.h>

namespace {

using test::Row;
using test::School;

// Rails of 3 hours; basic courses of 3 hours with a teacher each, one subject per course;
// students of cohort 2009 choosing subjects in year group 12.
struct Staffed : School {
    explicit Staffed(int rails) {
        for (int r = 1; r <= rails; ++r)
            rail(r, QStringLiteral("S%1").arg(r), 3);
        db.insert("lehrer", {{"LE_KUERZ", "Mei"}, {"LE_VFP_ID", "    18"}});
    }
    QString taught(int id, const QString& name, const QString& teacher, const Row& extra = {}) {
        subject(id + 1, "3");
        return course(
            id, name,
            test::merged({{"KS_FA_ID1", subjectKey(id + 1)}, {"KS_LE_ID", teacher}}, extra));
    }
    void chooses(int student, const QList<int>& courses, const QString& cohort = "2009") {
        const QString key =
            School::student(student, QStringLiteral("N%1").arg(student), {}, cohort);
        for (int k : courses)
            choice(key, {}, {}, {{"BG_FA_ID", subjectKey(k + 1)}, {"BG_ART", "S"}});
    }
    blocking::Model model() { return test::cohortOf(path()); }
    static blocking::Result block(const blocking::Model& m) { return test::planAnew(m); }
};

TEST(Teachers, OneTeachersCoursesNeverShareARailEvenAtTheCostOfACollision) {
    // Students of A and C, of B and C: without teachers A and B share the rail C leaves them.
    // Teacher 18 teaching both makes that plan unteachable; a collision is the lesser evil.
    struct Case {
        const char* teacherB;
        int clashes;
        int collisions;
    };
    for (const Case& c :
         {Case{"    18", 0, 1}, Case{" 18", 0, 1}, Case{"    19", 0, 0}, Case{"", 0, 0}}) {
        SCOPED_TRACE(c.teacherB);
        Staffed s(2);
        s.taught(1, "A", "    18");
        s.taught(2, "B", c.teacherB);
        s.taught(3, "C", "    20");
        s.chooses(1, {1, 3});
        s.chooses(2, {2, 3});
        const blocking::Model m = s.model();
        const blocking::Result r = Staffed::block(m);
        EXPECT_EQ(r.after.teacherClashes, c.clashes);
        EXPECT_EQ(r.after.collisions, c.collisions);
        EXPECT_EQ(r.after.optimal, c.collisions == 0);
        EXPECT_TRUE(r.after.teachers);
    }
}

TEST(Teachers, ClashesAreCountedNamedAndExplainedWhereNoPlanAvoidsThem) {
    // Three courses of teacher 18 and two rails of their hours: one clash is unavoidable, and a
    // plan with just that one is proven optimal.
    Staffed s(2);
    s.taught(1, "A", "    18");
    s.taught(2, "B", "    18");
    s.taught(3, "C", "    18");
    s.taught(4, "D", "    ");
    s.chooses(1, {1, 4});
    s.chooses(2, {2, 3});
    const blocking::Model m = s.model();
    EXPECT_EQ(m.teachers, QStringList{"Mei"}); // the abbreviation, not the key
    const blocking::Result r = Staffed::block(m);
    EXPECT_EQ(r.after.teacherClashes, 1);
    EXPECT_EQ(r.after.teacherClashBound, 1);
    EXPECT_TRUE(r.after.optimal);
    ASSERT_EQ(r.after.teacherClashList.size(), 1);
    EXPECT_TRUE(r.after.teacherClashList[0].startsWith("Lehrer Mei, Schiene S"));
    EXPECT_EQ(r.reasons,
              QStringList{"Der Lehrer Mei hat 3 Kurse mit 3 Stunden, es gibt 2 solche Schienen."});
    const QStringList lines = blocking::describe(r.after, true, true);
    EXPECT_EQ(lines[1],
              "Lehrerkollisionen: 1, bestmöglich 1 (" + r.after.teacherClashList[0] + ")");
    EXPECT_EQ(lines.last(), "optimal");
    EXPECT_EQ(blocking::toJson(r.after).value("teacherClashes").toInt(), 1);
    EXPECT_EQ(blocking::toJson(r.after).value("teacherClashBound").toInt(), 1);
    // A search's plan with a clash too many claims no more than is proven; a plan no search
    // made has no verdict.
    blocking::Evaluation worse = r.after;
    worse.teacherClashes = 2;
    worse.optimal = false;
    EXPECT_EQ(blocking::describe(worse, true, true).last(),
              "beste gefundene Lösung (Lehrerkollisionen 2, Untergrenze 1)");
    EXPECT_TRUE(blocking::describe(worse).last().startsWith("Summe der Abweichungsquadrate"));
}

TEST(Teachers, TheBoundCountsTheRailsOfEachHoursTheOtherYearGroupAndCoursesKeptTogether) {
    // Teacher 18's courses of 3 hours on `rails` rails; E of cohort 2008 of the same teacher
    // standing on S1; A and B joined by a rule.
    struct Case {
        int rails;
        int courses;
        bool other;
        bool together;
        int bound;
    };
    for (const Case& c :
         {Case{2, 2, false, false, 0}, Case{2, 3, false, false, 1}, Case{2, 2, true, false, 1},
          Case{3, 2, false, true, 1}, Case{3, 3, true, true, 1}, Case{3, 2, true, false, 0}}) {
        SCOPED_TRACE(testing::Message() << c.rails << c.courses << c.other << c.together);
        Staffed s(c.rails);
        for (int k = 1; k <= c.courses; ++k) {
            s.taught(k, QString(QChar('A' + k - 1)), "    18");
            s.chooses(k, {k});
        }
        if (c.other) {
            s.taught(5, "E", "    18", {{"KS_JGST", "13"}});
            s.place(1, School::courseKey(5));
        }
        if (c.together) {
            db::Connection conn(s.path());
            blocking::addRule(conn, test::kYear, "courses-together", {"A", "B"});
        }
        const blocking::Model m = s.model();
        EXPECT_EQ(blocking::teacherClashBound(m, blocking::freedom(m, blocking::Mode::All)),
                  c.bound);
        const blocking::Result r = Staffed::block(m);
        EXPECT_EQ(r.after.teacherClashes, c.bound);
        EXPECT_TRUE(r.after.optimal);
    }
}

TEST(Teachers, TheOtherYearGroupsCoursesCountWhereTheyStand) {
    // E of cohort 2008 stands on S1 with teacher 18; the cohort's A of the same teacher must
    // take S2, and standing on S1 it is a clash of the evaluation.
    Staffed s(2);
    s.taught(1, "A", "    18");
    s.taught(5, "E", "    18", {{"KS_JGST", "13"}});
    s.chooses(1, {1});
    const QString other = s.student(2, "Alt", {}, "2008");
    s.choice(other, {}, School::courseKey(5),
             {{"BG_FA_ID", School::subjectKey(6)}, {"BG_ART", "S"}});
    s.place(1, School::courseKey(5));
    s.place(1, School::courseKey(1));
    const blocking::Model m = s.model();
    const blocking::Evaluation before = blocking::evaluate(m);
    EXPECT_EQ(before.teacherClashes, 1);
    EXPECT_EQ(before.teacherClashList, QStringList{"Lehrer Mei, Schiene S1: A, E"});
    const blocking::Result r = Staffed::block(m);
    EXPECT_EQ(r.after.teacherClashes, 0);
    EXPECT_EQ(r.placement.rails[m.courseIndex(School::courseKey(1))], blocking::RailSet::of(1));
    EXPECT_EQ(r.placement.rails[m.courseIndex(School::courseKey(5))], blocking::RailSet::of(0));
}

TEST(Teachers, ASchoolWithoutTeachersHasNoLineForThem) {
    Staffed s(1);
    s.taught(1, "A", "");
    s.chooses(1, {1});
    const blocking::Evaluation e = blocking::evaluate(s.model());
    EXPECT_FALSE(e.teachers);
    EXPECT_FALSE(blocking::describe(e).join('\n').contains("Lehrer"));
}

} // namespace
