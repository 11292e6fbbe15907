#include "blocking/Rules.h"
#include "Blocks.h"
#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Search.h"
#include "db/Database.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using test::School;

// Three rails of 3 hours; courses A1, A2 (subject 2, abbreviated "M"), B (subject 3); students
// 1 and 2 chose subjects 2 and 3, student 3 subject 2 only. A1 on S1, A2 on S2, B on S3; students
// 1 and 3 in A1, student 2 in A2.
struct Ruled : School {
    Ruled() {
        for (int r = 1; r <= 3; ++r)
            rail(r, QStringLiteral("S%1").arg(r), 3);
        subject(2, "3", {{"FA_PSCHL", "M"}, {"FA_BEZ", "Ma"}});
        subject(3, "3", {{"FA_PSCHL", "Ph"}});
        course(1, "A1", {{"KS_FA_ID1", subjectKey(2)}});
        course(2, "A2", {{"KS_FA_ID1", subjectKey(2)}});
        course(3, "B", {{"KS_FA_ID1", subjectKey(3)}});
        const QString a[] = {courseKey(1), courseKey(2), courseKey(1)};
        for (int s = 1; s <= 3; ++s) {
            const QString key = student(s, QStringLiteral("N%1").arg(s));
            choice(key, a[s - 1], {}, {{"BG_FA_ID", subjectKey(2)}, {"BG_ART", "S"}});
            if (s < 3)
                choice(key, courseKey(3), {}, {{"BG_FA_ID", subjectKey(3)}, {"BG_ART", "S"}});
        }
        for (int k = 1; k <= 3; ++k)
            place(k, courseKey(k));
    }
    blocking::Model model() {
        db::Connection c(path());
        return blocking::Model::load(c, {test::kYear, "2009/2010"}, 2009);
    }
    void add(const QString& kind, const QStringList& names) {
        db::Connection c(path());
        blocking::addRule(c, test::kYear, kind, names);
    }
};

TEST(Rules, EachKindIsKeptOrBrokenByThePlanAsItStands) {
    struct Case {
        const char* kind;
        QStringList names;
        bool broken;
    };
    const Case cases[] = {
        {"course-not-on-rail", {"A1", "S2"}, false},
        {"course-not-on-rail", {"a1 ", "s1"}, true}, // names trimmed, any case
        {"courses-together", {"A1", "B"}, true},
        {"courses-apart", {"A1", "B"}, false},
        {"parallels-apart", {"m"}, false},
        {"parallels-apart", {"MA"}, false}, // by its abbreviation
        {"student-in-course", {"ST0001", "A1"}, false},
        {"student-in-course", {"ST0001", "A2"}, true},
        {"student-in-course", {"ST0003", "B"}, false}, // he did not choose its subject
        {"student-not-in-course", {"ST0002", "A2"}, true},
        {"student-not-in-course", {"ST0002", "A1"}, false},
        {"students-together", {"ST0001", "ST0003"}, false},
        {"students-together", {"ST0001", "ST0002"}, true},
        {"students-apart", {"ST0001", "ST0002"}, true}, // both in B
        {"students-apart", {"ST0002", "ST0003"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.kind, c.names.join(' ')).toStdString());
        Ruled s;
        s.add(c.kind, c.names);
        const blocking::Evaluation e = blocking::evaluate(s.model());
        EXPECT_TRUE(e.rules);
        EXPECT_EQ(e.ruleViolations, c.broken ? 1 : 0);
        EXPECT_EQ(e.optimal && c.broken, false);
        if (c.broken) {
            EXPECT_EQ(blocking::describe(e)[1],
                      "Regeln verletzt: 1 (" + e.ruleViolationList.value(0) + ")");
        }
    }
}

TEST(Rules, ABrokenRuleIsNamedAsThePlannerWroteIt) {
    Ruled s;
    s.add("parallels-apart", {"M"});
    s.add("course-not-on-rail", {"a2", "s2"});
    s.db.scalar("UPDATE ckkurs SET CK_BL_ID = ? WHERE CK_KS_ID = ?",
                {db::sixKey(1), School::courseKey(2)});
    const blocking::Evaluation e = blocking::evaluate(s.model());
    EXPECT_EQ(e.ruleViolationList, QStringList{"parallels-apart Ma"}); // its abbreviation
    EXPECT_EQ(blocking::toJson(e).value("ruleViolations").toInt(), 1);
}

TEST(Rules, AStudentKeptInACourseRaisesTheBoundOfItsParallels) {
    // Three students of subject 2 in A1 or A2: 2 and 1 at best, unless rules keep all in A1.
    struct Case {
        QStringList kept; // students kept in A1
        int bound;
    };
    for (const Case& c :
         {Case{{}, 1}, Case{{"ST0001", "ST0003"}, 1}, Case{{"ST0001", "ST0002", "ST0003"}, 3}}) {
        SCOPED_TRACE(c.kept.join(' ').toStdString());
        Ruled s;
        for (const QString& student : c.kept)
            s.add("student-in-course", {student, "A1"});
        const blocking::Model m = s.model();
        const blocking::Result r = test::planAnew(m);
        EXPECT_EQ(r.after.differenceBound, c.bound);
        EXPECT_EQ(r.after.largestDifference, c.bound);
        EXPECT_EQ(r.after.ruleViolations, 0);
        EXPECT_TRUE(r.after.optimal);
    }
}

TEST(Rules, AreAddedListedAndRemovedByNameAndUnknownNamesAreRefused) {
    Ruled s;
    db::Connection c(s.path());
    EXPECT_TRUE(blocking::listRules(c, test::kYear).isEmpty()); // no table yet
    blocking::addRule(c, test::kYear, "Courses-Apart", {"A1", "b"});
    blocking::addRule(c, test::kYear, "student-not-in-course", {"st0002", "A2"});
    struct Bad {
        const char* kind;
        QStringList names;
        const char* message;
    };
    const Bad bad[] = {
        {"courses-apart", {"B", "A1"}, "Die Regel gibt es schon: courses-apart B A1"},
        {"courses-apart",
         {"A1", "A1"},
         "Die Regel courses-apart braucht zwei verschiedene Angaben."},
        {"courses-apart", {"A1", "X9"}, "Unbekannter Kurs: X9"},
        {"course-not-on-rail", {"A1", "S9"}, "Unbekannte Schiene: S9"},
        {"student-in-course", {"ST0009", "A1"}, "Unbekannter Schüler: ST0009"},
        {"parallels-apart", {"Bio"}, "Unbekanntes Fach: Bio"},
        {"parallels-apart", {"M", "Ph"}, "Die Regel parallels-apart braucht 1 Angabe."},
        {"course-on-rail",
         {"A1", "S1"},
         "Unbekannte Regel: course-on-rail (bekannt: course-not-on-rail, courses-together, "
         "courses-apart, parallels-apart, student-in-course, student-not-in-course, "
         "students-together, students-apart)"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.message);
        try {
            blocking::addRule(c, test::kYear, b.kind, b.names);
            ADD_FAILURE() << "added";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(QString::fromStdString(e.what()), QString::fromUtf8(b.message));
        }
    }
    // A renamed course keeps its rule: rules hold keys.
    s.db.scalar("UPDATE kurs SET KS_BEZ = 'A1neu' WHERE KS_VFP_ID = ?", {School::courseKey(1)});
    EXPECT_EQ(blocking::listRules(c, test::kYear),
              (QStringList{"courses-apart A1neu B", "student-not-in-course ST0002 A2"}));
    EXPECT_THROW(blocking::removeRule(c, test::kYear, 3), std::runtime_error);
    EXPECT_THROW(blocking::removeRule(c, test::kYear, 0), std::runtime_error);
    blocking::removeRule(c, test::kYear, 1);
    EXPECT_EQ(blocking::listRules(c, test::kYear), QStringList{"student-not-in-course ST0002 A2"});
    EXPECT_TRUE(blocking::listRules(c, test::kOtherYear).isEmpty());
}

} // namespace

namespace {

// Rails S1, S2 of 3 hours and courses of 3 hours, one subject each unless named: the search
// keeps each rule at the price of a student's collision or of evenness the unruled plan avoids.
struct Small : School {
    Small() {
        rail(1, "S1", 3);
        rail(2, "S2", 3);
    }
    void offer(int id, const QString& name, int subjectId, const test::Row& extra = {}) {
        if (db.scalar("SELECT count(*) FROM fachang WHERE FA_VFP_ID = ?", {subjectKey(subjectId)})
                .toInt() == 0)
            subject(subjectId, "3", {{"FA_PSCHL", QStringLiteral("F%1").arg(subjectId)}});
        course(id, name, test::merged({{"KS_FA_ID1", subjectKey(subjectId)}}, extra));
    }
    void chooses(int id, const QList<int>& subjects) {
        const QString key = student(id, QStringLiteral("N%1").arg(id));
        for (int f : subjects)
            choice(key, {}, {}, {{"BG_FA_ID", subjectKey(f)}, {"BG_ART", "S"}});
    }
    blocking::Result block(const QString& kind, const QStringList& names) {
        db::Connection c(path());
        if (!kind.isEmpty())
            blocking::addRule(c, test::kYear, kind, names);
        return test::planAnew(test::cohortOf(path()), 30);
    }
};

TEST(Rules, TheSearchKeepsEveryRuleWhereTheUnruledPlanBreaksIt) {
    struct Case {
        const char* kind;
        QStringList names;
        int collisions; // with the rule kept; none without it
        int difference;
        std::function<void(Small&)> build;
    };
    const auto twoCourses = [](Small& s) { // one student chose both
        s.offer(1, "A", 2);
        s.offer(2, "B", 3);
        s.chooses(1, {2, 3});
    };
    const auto shared = [](Small& s) { // C meets A and B: they share the other rail
        s.offer(1, "A", 2);
        s.offer(2, "B", 3);
        s.offer(3, "C", 4);
        s.chooses(1, {2, 4});
        s.chooses(2, {3, 4});
    };
    const auto parallels = [](Small& s) { // M1, M2 meet C
        s.offer(1, "M1", 2);
        s.offer(2, "M2", 2);
        s.offer(3, "C", 4);
        for (int i = 1; i <= 4; ++i)
            s.chooses(i, {2, 4});
    };
    const auto pinned = [](Small& s) { // M2 and C stand fixed on S2: M1 is free of C
        s.offer(1, "M1", 2);
        s.offer(2, "M2", 2);
        s.offer(3, "C", 4);
        s.chooses(1, {2, 4});
        s.chooses(2, {2, 4});
        s.place(1, test::School::courseKey(1));
        s.place(2, test::School::courseKey(2), {{"CK_FIX", "1"}});
        s.place(2, test::School::courseKey(3), {{"CK_FIX", "1"}});
    };
    const auto couple = [](Small& s) { // two students, two parallels: one each when unruled
        s.offer(1, "M1", 2);
        s.offer(2, "M2", 2);
        s.chooses(1, {2});
        s.chooses(2, {2});
    };
    const auto apart = [](Small& s) { // M2 stands fixed beside C and D: both take M1
        s.offer(1, "M1", 2);
        s.offer(2, "M2", 2);
        s.offer(3, "C", 4);
        s.offer(4, "D", 5);
        s.chooses(1, {2, 4});
        s.chooses(2, {2, 5});
        s.place(1, test::School::courseKey(1));
        for (int k = 2; k <= 4; ++k)
            s.place(2, test::School::courseKey(k), {{"CK_FIX", "1"}});
    };
    const Case cases[] = {
        {"", {}, 0, 0, twoCourses},
        {"course-not-on-rail", {"A", "S1"}, 0, 0, twoCourses},
        {"courses-together", {"A", "B"}, 1, 0, twoCourses},
        {"courses-apart", {"A", "B"}, 1, 0, shared},
        {"parallels-apart", {"F2"}, 0, 4, parallels},
        {"student-in-course", {"ST0001", "M2"}, 1, 0, pinned},
        {"student-not-in-course", {"ST0002", "M1"}, 1, 0, pinned},
        {"students-together", {"ST0001", "ST0002"}, 0, 2, couple},
        {"students-apart", {"ST0002", "ST0001"}, 1, 0, apart},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.kind, c.names.join(' ')).toStdString());
        Small unruled;
        c.build(unruled);
        const blocking::Result unruledPlan = unruled.block({}, {});
        EXPECT_EQ(unruledPlan.after.collisions, 0);
        Small ruled;
        c.build(ruled);
        const blocking::Result r = ruled.block(c.kind, c.names);
        EXPECT_EQ(r.after.ruleViolations, 0) << r.after.ruleViolationList.join("; ").toStdString();
        EXPECT_EQ(r.after.collisions, c.collisions);
        EXPECT_EQ(r.after.largestDifference, c.difference);
        if (*c.kind && c.collisions + c.difference > 0) { // the rule had its price
            db::Connection conn(unruled.path());
            blocking::addRule(conn, test::kYear, c.kind, c.names);
            const blocking::Model m = blocking::Model::load(conn, {test::kYear, "2009/2010"}, 2009);
            EXPECT_EQ(
                blocking::evaluate(m, unruledPlan.placement, unruledPlan.assignment).ruleViolations,
                1);
        }
    }
}

TEST(Rules, RulesThatLeaveNoPlanAreNamedBeforeTheSearch) {
    Small s;
    s.offer(1, "A", 2);
    s.offer(2, "B", 3);
    s.chooses(1, {2, 3});
    db::Connection c(s.path());
    blocking::addRule(c, test::kYear, "courses-together", {"A", "B"});
    blocking::addRule(c, test::kYear, "courses-apart", {"B", "A"});
    blocking::addRule(c, test::kYear, "course-not-on-rail", {"A", "S1"});
    blocking::addRule(c, test::kYear, "course-not-on-rail", {"A", "S2"});
    const blocking::Model m = blocking::Model::load(c, {test::kYear, "2009/2010"}, 2009);
    EXPECT_EQ(blocking::ruleConflicts(m, blocking::Mode::All),
              (QStringList{"Kurs A: Die Regeln lassen ihm keine Schienen für seine Stunden.",
                           "Die Regeln „courses-together A B“ und „courses-apart B A“ "
                           "widersprechen sich."}));
}

} // namespace
