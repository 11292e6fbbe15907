// The planner's rules: stored by name, kept or broken by a plan, kept by the search at a price.
// One teacher's courses on one rail: avoided by the search, counted, named and bounded.
#include "Blocks.h"
#include "blocking/Bounds.h"
#include "blocking/Evaluation.h"

#include <gtest/gtest.h>

namespace {

using test::Blocks;

// Three rails; A1, A2 (subject 2, "M", "Ma") and B (subject 3, "Ph") on S1, S2, S3; students 1
// and 2 chose subjects 2 and 3, student 3 subject 2 only; 1 and 3 in A1, 2 in A2. Rules are added,
// listed and removed by name; each kind is kept or broken by the plan as it stands; students kept
// in a course raise the bound of its parallels; rules that leave no plan are named before the
// search.
TEST(Rules, AreStoredByNameKeptOrBrokenByThePlanBindTheParallelsAndAreNamedWhenTheyClash) {
    Blocks s;
    s.rails({3, 3, 3});
    s.subject(2, "3", {{"FA_PSCHL", "M"}, {"FA_BEZ", "Ma"}});
    s.subject(3, "3", {{"FA_PSCHL", "Ph"}});
    const QString a1 = s.plain(1, "A1", 2), a2 = s.plain(2, "A2", 2), b = s.plain(3, "B", 3);
    for (int st = 1; st <= 3; ++st) {
        s.choice(st, 2, "S", st == 2 ? a2 : a1);
        if (st < 3)
            s.choice(st, 3, "S", b);
    }
    for (int k = 1; k <= 3; ++k)
        s.place(k, Blocks::courseKey(k));
    db::Connection c(s.path());

    EXPECT_TRUE(blocking::listRules(c, test::kYear).isEmpty()); // no table yet
    blocking::addRule(c, test::kYear, "Courses-Apart", {"A1", "b"});
    blocking::addRule(c, test::kYear, "student-not-in-course", {"st0002", "A2"});
    // A rule's kind, its names apart by commas and the refusal.
    const char* const bad[][3] = {
        {"courses-apart", "B,A1", "Die Regel gibt es schon: courses-apart B A1"},
        {"courses-apart", "A1,A1", "Die Regel courses-apart braucht zwei verschiedene Angaben."},
        {"courses-apart", "A1,X9", "Unbekannter Kurs: X9"},
        {"course-not-on-rail", "A1,S9", "Unbekannte Schiene: S9"},
        {"student-in-course", "ST0009,A1", "Unbekannter Schüler: ST0009"},
        {"parallels-apart", "Bio", "Unbekanntes Fach: Bio"},
        {"parallels-apart", "M,Ph", "Die Regel parallels-apart braucht 1 Angabe."},
        {"course-on-rail", "A1,S1",
         "Unbekannte Regel: course-on-rail (bekannt: course-not-on-rail, courses-together, "
         "courses-apart, parallels-apart, student-in-course, student-not-in-course, "
         "students-together, students-apart)"},
    };
    for (const auto& t : bad)
        EXPECT_EQ(test::refusal(
                      [&] { blocking::addRule(c, test::kYear, t[0], QString(t[1]).split(',')); }),
                  QString::fromUtf8(t[2]));
    // A renamed course keeps its rule: rules hold keys.
    c.exec("UPDATE kurs SET KS_BEZ = 'A1neu' WHERE KS_VFP_ID = ?", {a1});
    EXPECT_EQ(blocking::listRules(c, test::kYear),
              (QStringList{"courses-apart A1neu B", "student-not-in-course ST0002 A2"}));
    c.exec("UPDATE kurs SET KS_BEZ = 'A1' WHERE KS_VFP_ID = ?", {a1});
    EXPECT_THROW(blocking::removeRule(c, test::kYear, 3), std::runtime_error);
    EXPECT_THROW(blocking::removeRule(c, test::kYear, 0), std::runtime_error);
    blocking::removeRule(c, test::kYear, 1);
    EXPECT_EQ(blocking::listRules(c, test::kYear), QStringList{"student-not-in-course ST0002 A2"});
    EXPECT_TRUE(blocking::listRules(c, test::kOtherYear).isEmpty());
    blocking::removeRule(c, test::kYear, 1);

    // A rule's kind, its names apart by commas and the rule as the evaluation names it broken ("":
    // kept).
    const char* const cases[][3] = {
        {"course-not-on-rail", "A1,S2", ""},
        {"course-not-on-rail", "a1 ,s1", "course-not-on-rail A1 S1"}, // trimmed, any case
        {"courses-together", "A1,B", "courses-together A1 B"},
        {"courses-apart", "A1,B", ""},
        {"parallels-apart", "m", ""},
        {"parallels-apart", "MA", ""}, // by its abbreviation
        {"student-in-course", "ST0001,A1", ""},
        {"student-in-course", "ST0001,A2", "student-in-course ST0001 A2"},
        {"student-in-course", "ST0003,B", ""}, // he did not choose its subject
        {"student-not-in-course", "ST0002,A2", "student-not-in-course ST0002 A2"},
        {"student-not-in-course", "ST0002,A1", ""},
        {"students-together", "ST0001,ST0003", ""},
        {"students-together", "ST0001,ST0002", "students-together ST0001 ST0002"},
        {"students-apart", "ST0001,ST0002", "students-apart ST0001 ST0002"}, // both in B
        {"students-apart", "ST0002,ST0003", ""},
    };
    for (const auto& [kind, names, broken] : cases) {
        SCOPED_TRACE(std::string(kind) + " " + names);
        blocking::addRule(c, test::kYear, kind, QString(names).split(','));
        const blocking::Evaluation e = blocking::evaluate(s.model());
        EXPECT_EQ(e.ruleViolationList, *broken ? QStringList{broken} : QStringList{});
        // The line is there whenever the school has rules.
        EXPECT_EQ(blocking::describe(e)[2],
                  *broken ? QStringLiteral("Regeln verletzt: 1 (%1)").arg(broken)
                          : QStringLiteral("Regeln verletzt: 0"));
        EXPECT_EQ(e.optimal && *broken, false);
        blocking::removeRule(c, test::kYear, 1);
    }

    // Three students of subject 2 in A1 or A2: 2 and 1 at best, unless rules keep all in A1.
    const std::pair<QStringList, int> kept[] = {
        {{}, 1}, {{"ST0001", "ST0003"}, 1}, {{"ST0002"}, 3}};
    for (const auto& [students, bound] : kept) {
        SCOPED_TRACE(bound);
        for (const QString& student : students)
            s.rule("student-in-course", {student, "A1"});
        const blocking::Result r = test::plan(s.model());
        EXPECT_EQ(std::tuple(r.after.differenceBound, r.after.largestDifference,
                             r.after.ruleViolations, r.after.optimal),
                  std::tuple(bound, bound, 0, true));
    }

    // A subject's rule is shown by its abbreviation.
    c.exec("DELETE FROM regel");
    blocking::addRule(c, test::kYear, "parallels-apart", {"M"});
    c.exec("UPDATE ckkurs SET CK_BL_ID = ? WHERE CK_KS_ID = ?", {db::sixKey(1), a2});
    const blocking::Evaluation e = blocking::evaluate(s.model());
    EXPECT_EQ(e.ruleViolationList, QStringList{"parallels-apart Ma"});
    EXPECT_EQ(blocking::toJson(e).value("ruleViolations").toInt(), 1);

    // Rules that leave no plan are named before the search.
    c.exec("DELETE FROM regel");
    s.rule("courses-together", {"A1", "B"});
    s.rule("courses-apart", {"B", "A1"});
    for (const char* rail : {"S1", "S2", "S3"})
        s.rule("course-not-on-rail", {"A1", rail});
    EXPECT_EQ(blocking::ruleConflicts(s.model(), blocking::Mode::All),
              (QStringList{"Kurs A1: Die Regeln lassen ihm keine Schienen für seine Stunden.",
                           "Die Regeln „courses-together A1 B“ und „courses-apart B A1“ "
                           "widersprechen sich."}));
}

// (That the search keeps each kind of rule, the generated schools with rules show: the hidden plan
// keeps every rule, and the search reaches its optimum.)

TEST(Teachers, TheBoundCountsTheRailsOfEachHoursTheOtherYearGroupAndCoursesKeptTogether) {
    // Rails of 3 hours and teacher "Mei" (key 18); course k of subject k + 1, 3 hours, its
    // teacher. Teacher 18's courses of 3 hours on `rails` rails (B's key padded otherwise, or
    // another teacher's), D without a teacher (a blank key); E of cohort 2008 of the same teacher
    // standing on S1, where it counts; A and B joined by a rule. Three courses on two rails: one
    // clash is unavoidable, and a plan with just that one is proven optimal.
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
        Blocks s;
        for (int r = 1; r <= c.rails; ++r)
            s.rail(r, 3);
        s.db.insert("lehrer", {{"LE_KUERZ", "Mei"}, {"LE_VFP_ID", "    18"}});
        for (int k = 1; k <= c.courses; ++k) {
            s.plain(k, QString(QChar('A' + k - 1)), k + 1,
                    {{"KS_LE_ID", k == 2 ? c.keyB : "    18"}});
            s.choice(k, k + 1);
        }
        s.plain(4, "D", 5, {{"KS_LE_ID", "    "}});
        s.choice(4, 5);
        if (c.other)
            s.place(1, s.plain(5, "E", 6, {{"KS_LE_ID", "    18"}, {"KS_JGST", "13"}}));
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
        EXPECT_EQ(lines[2],
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
