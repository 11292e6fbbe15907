// The planner's rules: stored by name, kept or broken by a plan, kept by the search at a price,
// named before the search where no plan keeps them.
// One teacher's courses on one rail: avoided by the search, counted, named and bounded.
#include "Blocks.h"
#include "blocking/Bounds.h"
#include "blocking/Evaluation.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

using test::Blocks;

// Three rails; A1, A2 (subject 2, "M", "Ma") and B (subject 3, "Ph") on S1, S2, S3; students 1
// and 2 chose subjects 2 and 3, student 3 subject 2 only; 1 and 3 in A1, 2 in A2.
struct RuleSchool : Blocks {
    QString a1, a2, b;
    RuleSchool() {
        rails({3, 3, 3});
        subject(2, "3", {{"FA_PSCHL", "M"}, {"FA_BEZ", "Ma"}});
        subject(3, "3", {{"FA_PSCHL", "Ph"}});
        a1 = plain(1, "A1", 2), a2 = plain(2, "A2", 2), b = plain(3, "B", 3);
        for (int st = 1; st <= 3; ++st) {
            choice(st, 2, "S", st == 2 ? a2 : a1);
            if (st < 3)
                choice(st, 3, "S", b);
        }
        for (int k = 1; k <= 3; ++k)
            place(k, Blocks::courseKey(k));
    }
    void add(const QString& kind, const QString& names) {
        db::Connection c(path());
        blocking::addRule(c, test::kYear, kind, names.split(','));
    }
    QString refused(const QString& kind, const QString& names) {
        return test::refusal([&] { add(kind, names); });
    }
};

TEST(Rules, AreStoredByNameListedWithTodaysNamesAndRemovedByNumber) {
    RuleSchool s;
    db::Connection c(s.path());
    EXPECT_TRUE(blocking::listRules(c, test::kYear).isEmpty()); // no table yet
    s.add("Courses-Apart", "A1,b");
    s.add("student-not-in-course", "st0002,A2");
    // A renamed course keeps its rule: rules hold keys.
    c.exec("UPDATE kurs SET KS_BEZ = 'A1neu' WHERE KS_VFP_ID = ?", {s.a1});
    EXPECT_EQ(blocking::listRules(c, test::kYear),
              (QStringList{"Kurse A1neu und B nie auf einer Schiene",
                           "Schüler Name2, Vor2 nicht im Kurs A2"}));
    EXPECT_THROW(blocking::removeRule(c, test::kYear, 3), std::runtime_error);
    EXPECT_THROW(blocking::removeRule(c, test::kYear, 0), std::runtime_error);
    blocking::removeRule(c, test::kYear, 1);
    EXPECT_EQ(blocking::listRules(c, test::kYear),
              QStringList{"Schüler Name2, Vor2 nicht im Kurs A2"});
    EXPECT_TRUE(blocking::listRules(c, test::kOtherYear).isEmpty());
}

TEST(Rules, ARuleNamingWhatIsNotThereOrNotOneIsRefused) {
    RuleSchool s;
    s.add("courses-apart", "A1,B");
    // Two courses of one name: a rule cannot tell which.
    s.course(4, "A2", 2, 3);
    const char* const bad[][3] = {
        {"courses-apart", "B,A1", "Die Regel gibt es schon: Kurse B und A1 nie auf einer Schiene"},
        {"courses-apart", "A1,A1", "Die Regel kurse-getrennt braucht zwei verschiedene Angaben."},
        {"courses-apart", "A1,X9", "Unbekannter Kurs: X9"},
        {"courses-apart", "A1,a2", "Der Kurs a2 ist nicht eindeutig: mehrere Kurse heißen so."},
        {"course-not-on-rail", "A1,S9", "Unbekannte Schiene: S9"},
        {"student-in-course", "ST0009,A1", "Unbekannter Schüler: ST0009"},
        {"parallels-apart", "Bio", "Unbekanntes Fach: Bio"},
        {"parallels-apart", "M,Ph", "Die Regel parallelkurse-getrennt braucht 1 Angabe."},
        {"course-on-rail", "A1,S1",
         "Unbekannte Regel: course-on-rail (bekannt: kurs-nicht-auf-schiene, kurse-zusammen, "
         "kurse-getrennt, parallelkurse-getrennt, schueler-im-kurs, schueler-nicht-im-kurs, "
         "schueler-zusammen, schueler-getrennt)"},
    };
    for (const auto& [kind, names, refusal] : bad)
        EXPECT_EQ(s.refused(kind, names), QString::fromUtf8(refusal)) << kind << " " << names;
}

TEST(Rules, EachKindIsKeptOrBrokenByThePlanAsItStands) {
    // A rule's kind, its names and the rule as the evaluation names it broken ("": kept), and
    // after "|" the bound where no plan keeps it.
    const char* const cases[][3] = {
        {"course-not-on-rail", "A1,S2", ""},
        {"course-not-on-rail", "a1 ,s1", "Kurs A1 nicht auf Schiene S1"},    // trimmed, any case
        {"Kurse-Zusammen", "A1,B", "Kurse A1 und B auf denselben Schienen"}, // German
        {"courses-apart", "A1,B", ""},
        {"parallels-apart", "m", ""},
        {"parallels-apart", "MA", ""}, // by its abbreviation
        {"student-in-course", "ST0001,A1", ""},
        {"schüler-im-kurs", "ST0001,A2", "Schüler Name1, Vor1 im Kurs A2"},
        {"student-in-course", "ST0003,B", ""}, // he did not choose its subject
        {"student-not-in-course", "ST0002,A2", "Schüler Name2, Vor2 nicht im Kurs A2"},
        {"student-not-in-course", "ST0002,A1", ""},
        {"students-together", "ST0001,ST0003", ""},
        {"students-together", "ST0001,ST0002",
         "Schüler Name1, Vor1 und Name2, Vor2 in denselben Kursen"},
        // Both chose subject 3, which B alone teaches: broken in every plan.
        {"students-apart", "ST0001,ST0002",
         "Schüler Name1, Vor1 und Name2, Vor2 in verschiedenen Kursen|bestmöglich 1"},
        {"students-apart", "ST0002,ST0003", ""},
    };
    RuleSchool s;
    db::Connection c(s.path());
    for (const auto& [kind, names, broken] : cases) {
        SCOPED_TRACE(std::string(kind) + " " + names);
        s.add(kind, names);
        const blocking::Evaluation e = blocking::evaluate(s.model());
        const QString rule = QString(broken).section('|', 0, 0);
        const QString bound = QString(broken).section('|', 1);
        EXPECT_EQ(e.ruleViolationList, *broken ? QStringList{rule} : QStringList{});
        // The line is there whenever the school has rules.
        EXPECT_EQ(blocking::describe(e)[2],
                  *broken ? QStringLiteral("Regeln verletzt: 1%1 (%2)")
                                .arg(bound.isEmpty() ? "" : ", " + bound, rule)
                          : QStringLiteral("Regeln verletzt: 0"));
        EXPECT_EQ(e.optimal, !*broken || !bound.isEmpty());
        blocking::removeRule(c, test::kYear, 1);
    }
    // A subject's rule is shown by its abbreviation.
    s.add("parallels-apart", "M");
    c.exec("UPDATE ckkurs SET CK_BL_ID = ? WHERE CK_KS_ID = ?", {db::sixKey(1), s.a2});
    const blocking::Evaluation e = blocking::evaluate(s.model());
    EXPECT_EQ(e.ruleViolationList, QStringList{"Parallelkurse in Ma auf verschiedenen Schienen"});
    EXPECT_EQ(blocking::toJson(e).value("ruleViolations").toInt(), 1);
}

TEST(Rules, StudentsKeptInACourseRaiseTheBoundOfItsParallels) {
    // Three students of subject 2 in A1 or A2: 2 and 1 at best, unless rules keep all in A1.
    RuleSchool s;
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
}

TEST(Rules, ThatNoPlanKeepsAreNamedBeforeTheSearchAloneOrInGroupsAndBoundTheBrokenOnes) {
    // The rules added, what is named before the search, and the least broken rules.
    const std::tuple<QStringList, QStringList, int> cases[] = {
        {{"courses-together A1,B", "courses-apart B,A1", "course-not-on-rail A1,S1",
          "course-not-on-rail A1,S2", "course-not-on-rail A1,S3"},
         {"Kurs A1: Die Regeln lassen ihm keine Schienen für seine Stunden.",
          "Die Regeln „Kurse A1 und B auf denselben Schienen“ und „Kurse B und A1 nie auf einer "
          "Schiene“ widersprechen sich.",
          "Die Regel „Kurs A1 nicht auf Schiene S1“ kann kein Plan einhalten: Der Kurs bleibt auf "
          "dieser Schiene."},
         2},
        // B is the only course of subject 3 that students 1 and 2 chose.
        {{"student-not-in-course ST0001,B"},
         {"Die Regel „Schüler Name1, Vor1 nicht im Kurs B“ kann kein Plan einhalten: Nur dieser "
          "Kurs bietet Name1, Vor1 eine seiner Wahlen."},
         1},
        // A chain: 3 follows 1 into A1, where a third rule keeps him out.
        {{"student-in-course ST0001,A1", "students-together ST0003,ST0001",
          "student-not-in-course ST0003,A1", "students-apart ST0001,ST0002"},
         {"Die Regeln „Schüler Name1, Vor1 im Kurs A1“, „Schüler Name3, Vor3 und Name1, Vor1 in "
          "denselben Kursen“ und „Schüler Name3, Vor3 nicht im Kurs A1“ widersprechen sich.",
          "Die Regel „Schüler Name1, Vor1 und Name2, Vor2 in verschiedenen Kursen“ kann kein Plan "
          "einhalten: Beide müssen in einen gemeinsamen Kurs."},
         2},
    };
    for (const auto& [rules, named, bound] : cases) {
        SCOPED_TRACE(rules.join("; ").toStdString());
        RuleSchool s;
        for (const QString& r : rules)
            s.add(r.section(' ', 0, 0), r.section(' ', 1));
        const blocking::Model m = s.model();
        EXPECT_EQ(blocking::ruleConflicts(m, blocking::Mode::All), named);
        const blocking::Evaluation e = test::plan(m).after;
        EXPECT_EQ(std::tuple(e.ruleViolationBound, e.ruleViolations), std::tuple(bound, bound));
        EXPECT_EQ(e.reasons.value("ruleViolations"), named.mid(named.size() - bound));
    }
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
        EXPECT_EQ(blocking::figureBounds(m, blocking::Mode::All).teacherClashes, c.bound);
        const blocking::Result r = test::plan(m);
        EXPECT_EQ(std::tuple(r.after.teacherClashes, r.after.teacherClashBound, r.after.optimal),
                  std::tuple(c.bound, c.bound, true));
        if (c.rails != 2 || c.courses != 3 || c.bound == 0)
            continue;
        ASSERT_EQ(r.after.teacherClashList.size(), 1);
        EXPECT_TRUE(r.after.teacherClashList[0].startsWith("Lehrer Mei, Schiene S"));
        EXPECT_EQ(r.after.reasons.value("teacherClashes"),
                  QStringList{"Der Lehrer Mei hat 3 Kurse mit 3 Stunden, es gibt 2 solche "
                              "Schienen."});
        const QStringList lines = blocking::describe(r.after, true, true);
        EXPECT_EQ(lines[2],
                  "Lehrerkollisionen: 1, bestmöglich 1 (" + r.after.teacherClashList[0] + ")");
        EXPECT_EQ(lines.last(), "optimal");
        const QJsonObject json = blocking::toJson(r.after);
        EXPECT_EQ(std::tuple(json.value("teacherClashes").toInt(),
                             json.value("teacherClashBound").toInt(),
                             json.value("reasons")["teacherClashes"].toArray().size(),
                             json.value("collisionBound").toInt(-1)),
                  std::tuple(1, 1, 1, 0));
        // A search's plan with a clash too many claims no more than is proven; a plan no search
        // made has no verdict.
        blocking::Evaluation worse = r.after;
        worse.teacherClashes = 2;
        worse.optimal = false;
        EXPECT_EQ(blocking::describe(worse, true, true).last(),
                  "beste gefundene Lösung (Lehrerkollisionen 2, Untergrenze 1: nicht bewiesen)");
        EXPECT_TRUE(blocking::describe(worse).last().startsWith("Summe der Abweichungsquadrate"));
    }
}

} // namespace
