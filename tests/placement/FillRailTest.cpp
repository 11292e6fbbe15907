#include "TestWorkspace.h"

#include "blocking/Rules.h"
#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

#include <algorithm>

using test::kCrLf;
using test::Workspace;

namespace {

// "Schiene auffüllen" on small schools. Courses are Grundkurse of year 12; those on subject 1
// are parallel to each other, the others get a subject of their own.
struct FillRail : ::testing::Test {
    Workspace s;

    placement::SetzenK& w() { return s.window(); }
    static QString entry(const QString& bez, int hours, const QString& key) {
        return placement::CourseEntry::format(bez, hours, test::kYear, key);
    }
    static QString noParallel(const QString& bez) {
        return "Kollisionen!" + kCrLf + "Nicht alle Kollegiaten des Kurses " + bez +
               "  passen auf die Schiene!" + kCrLf +
               "Zum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse vorhanden!" + kCrLf +
               "Verwenden Sie Kollisionen beseitigen!";
    }
};

} // namespace

TEST_F(FillRail, ACourseLongerThanTheRailLeavesItsRestAtItsPlaceInTheList) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 2);
    const QString deu = s.single(1, "Deu");
    const QString mathe = s.single(2, "Mathe", {{"KS_STD", "5"}});
    const QString eng = s.single(3, "Eng");
    s.choice(s.student(1, "A", "a"), mathe);
    s.choice(s.student(2, "B", "b"), mathe);
    s.load();
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    EXPECT_EQ(s.column(0), (QStringList{"S1    3  002        1", entry("Mathe", 3, mathe)}));
    EXPECT_EQ(s.grid().FixedRows(), 1);
    EXPECT_EQ(w().LNKurse.lines(),
              (QStringList{entry("Deu", 3, deu), entry("Mathe", 2, mathe), entry("Eng", 3, eng)}));
    EXPECT_TRUE(w().LNKurse.selectedRows().empty());
    EXPECT_EQ(w().LSchueler.count(), 0);

    // The rest fits the second rail exactly and leaves the list.
    s.selectCourses({"Mathe"});
    s.selectRails(1, 1);
    const int opened = db::Connection::openedSoFar();
    ASSERT_TRUE(w().click("cmdSchA"));
    EXPECT_EQ(db::Connection::openedSoFar() - opened, 1) << "the command and its refresh share one";
    EXPECT_EQ(s.column(1), (QStringList{"S2    2  002        2", entry("Mathe", 2, mathe)}));
    EXPECT_EQ(w().LNKurse.lines(), (QStringList{entry("Deu", 3, deu), entry("Eng", 3, eng)}));
    EXPECT_TRUE(s.host.messages.empty());
}

TEST_F(FillRail, TheRestOfASplitCourseNeverJoinsItsFirstPartOrAHeldRail) {
    s.rail(1, "S1", 2);
    s.rail(2, "S2", 2);
    const QString mathe = s.single(2, "Mathe", {{"KS_STD", "4"}});
    s.choice(s.student(1, "A", "a"), mathe);
    s.load();
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    const QStringList list{entry("Mathe", 2, mathe)};
    ASSERT_EQ(w().LNKurse.lines(), list);

    s.host.onMessage("Der Kurs Mathe steht bereits auf dieser Schiene!");
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(s.grid().Rows(), 2) << "nothing placed";
    EXPECT_EQ(w().LNKurse.lines(), list);

    // While rail 2 is cut and held, nothing goes onto it, neither courses nor hours.
    s.grid().click(1, 1);
    w().click("menuBearbAus");
    const QString held = "Diese Schiene ist ausgeschnitten!\r\nFügen Sie sie zuerst mit "
                         "Bearbeiten - einfügen wieder ein.";
    s.host.onMessage(held).onMessage(held);
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    w().cmdBlock_Click();
    EXPECT_EQ(s.grid().TextMatrix(0, 1), "S2    0  000        2");
    EXPECT_EQ(w().LNKurse.lines(), list);
    w().click("menuBearbEinf");
    EXPECT_EQ(s.grid().TextMatrix(0, 1), "S2    2  000        2")
        << "the cut rail comes back whole";
}

TEST_F(FillRail, TwoSelectedRailsAreCheckedTogetherAndTheCourseGoesIntoTheFirst) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 2);
    const QString mathe = s.course(1, "Mathe", {{"KS_STD", "2"}});
    const QString mat2 = s.course(2, "Mat2", {{"KS_STD", "2"}});
    const QString deu = s.single(3, "Deu");
    const QString eng = s.single(4, "Eng");
    s.place(1, deu);
    s.place(2, eng);
    const QString a = s.student(1, "A", "a");
    const QString b = s.student(2, "B", "b");
    for (const auto& [student, course] :
         {std::pair{a, mathe}, {a, deu}, {b, mathe}, {b, eng}, {s.student(3, "C", "c"), mathe}})
        s.choice(student, course);
    s.load();
    s.selectCourses({"Mathe"});
    s.selectRails(0, 1);

    // The course has 2 hours: compared with the first rail's 3 it would be refused.
    w().cmdSchA_Click();
    EXPECT_TRUE(s.host.messages.empty());
    // A collides with Deu on the first rail, B with Eng on the second: both go to Mat2.
    EXPECT_EQ(s.choiceRows(), (QStringList{"1|ST0001|KS0002|<null>", "2|ST0001|KS0003|<null>",
                                           "3|ST0002|KS0002|<null>", "4|ST0002|KS0004|<null>",
                                           "5|ST0003|KS0001|<null>"}));
    // Deu's student and the one left in Mathe; Mathe (1) against Mat2 (2) needs no evening out.
    EXPECT_EQ(s.columns(), (QStringList{"S1    3  002        1|" + entry("Deu", 3, deu) + "|" +
                                            entry("Mathe", 2, mathe),
                                        "S2    2  001        2|" + entry("Eng", 2, eng) + "|"}));
    EXPECT_EQ(w().LNKurse.lines(), (QStringList{entry("Mat2", 2, mat2), entry("Eng", 1, eng)}));
}

namespace {

// The same school with its courses and choices in year 12 or in year 13: a colliding student's
// other courses are then looked up in that year's field.
struct FillRailByYear : FillRail, ::testing::WithParamInterface<int> {
    bool in13() const { return GetParam() == 13; }
    // A year-13 course also has a subject in year 13, here the one of year 12.
    test::Row year(int subject = 1) const {
        if (!in13())
            return {};
        return {{"KS_JGST", "13"}, {"KS_FA_ID3", test::School::subjectKey(subject)}};
    }
    void pick(const QString& student, const QString& course) {
        s.choice(student, in13() ? QVariant() : course, in13() ? course : QVariant());
    }
};

} // namespace

TEST_P(FillRailByYear, ASplitParallelIsNeverTheTargetOfCollidingStudents) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 1);
    const QString mathe = s.course(1, "Mathe", year());
    const QString mat1 = s.course(2, "Mat1", year());
    const QString mat2 = s.course(3, "Mat2", year());
    const QString deu = s.single(4, "Deu", year(14));
    s.place(1, deu);
    s.place(2, mat1);
    const QString a = s.student(1, "A", "a");
    pick(a, mathe);
    pick(a, deu);
    pick(s.student(2, "B", "b"), mathe);
    pick(s.student(3, "C", "c"), mat1);
    s.load();
    ASSERT_EQ(w().LNKurse.lines(), (QStringList{entry("Mathe", 3, mathe), entry("Mat1", 2, mat1),
                                                entry("Mat2", 3, mat2)}));
    s.selectCourses({"Mathe"});

    w().cmdSchA_Click();
    EXPECT_TRUE(s.host.messages.empty());
    EXPECT_EQ(s.choiceRows().at(0),
              QString(in13() ? "1|ST0001|<null>|KS0003" : "1|ST0001|KS0003|<null>"));
    EXPECT_EQ(s.grid().TextMatrix(2, 0), entry("Mathe", 3, mathe));
    EXPECT_EQ(s.count(0), "002");
}

INSTANTIATE_TEST_SUITE_P(FillRail, FillRailByYear, ::testing::Values(12, 13),
                         [](const auto& info) { return "Year" + std::to_string(info.param); });

TEST_F(FillRail, RefusalsAndFailuresLeaveTheGridTheListAndTheChoicesAlone) {
    s.rail(1, "S1", 3);
    s.rail(2, "S0", QVariant());
    s.rail(3, "S5", 5);
    s.rail(4, "S4", 1);
    const QString mathe = s.course(1, "Mathe");
    const QString mat1 = s.course(2, "Mat1");
    const QString deu = s.single(3, "Deu");
    s.single(4, "Leer");
    s.place(1, deu);
    s.place(4, mat1);
    const QString b = s.student(2, "B", "b");
    const QString a = s.student(1, "A", "a");
    s.choice(b, mathe);
    s.choice(a, mathe);
    s.choice(a, deu);
    s.choice(b, deu);
    s.load();
    const QStringList list = w().LNKurse.lines();
    const QStringList before = s.choiceRows();
    const QStringList grid = s.columns();
    const auto refused = [&](const QString& course, int c1, int c2, const QString& message,
                             bool listed = true) {
        SCOPED_TRACE(message.toStdString());
        if (listed)
            s.selectCourses({course});
        else // selected without its students listed: nothing tells it may be placed
            for (int i = 0; i < w().LNKurse.count(); ++i)
                w().LNKurse.setSelected(i, w().LNKurse.line(i).startsWith(course + ' '));
        s.selectRails(c1, c2);
        if (!message.isEmpty())
            s.host.onMessage(message);
        w().cmdSchA_Click();
        EXPECT_EQ(w().LNKurse.lines(), list);
        EXPECT_EQ(s.choiceRows(), before);
        EXPECT_EQ(s.columns(), grid);
        EXPECT_EQ(s.host.pending(), 0u);
    };
    refused("Mathe", 0, 1, "Stundenzahl der Schiene gleich 0 !");
    refused("Mathe", 2, 2, "Stundenzahl des Kurses kleiner Stundenzahl der Schiene!");
    refused("Leer", 0, 0, "Kurs: Leer   ist leer!");
    refused("Mathe", 0, 0, noParallel("Mathe"), false);
    // A and B collide with Deu; the only parallel, Mat1, is split onto a rail.
    refused("Mathe", 0, 0, noParallel("Mathe"));
    for (const ui::Message& m : s.host.messages) {
        EXPECT_EQ(m.icon, ui::Icon::Critical);
        EXPECT_EQ(m.title, "Kurs- und Blockbildung");
    }
    // Nothing selected: the lists are only refreshed.
    refused("", 0, 0, "");
    EXPECT_EQ(s.host.messages.size(), 5u);

    // With a parallel to take them, the database refuses to move B, the second colliding
    // student: A's move is undone too and nothing is placed.
    s.course(5, "Mat2");
    s.load();
    s.db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN old.BG_ID = 2 "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    s.selectCourses({"Mathe"});
    s.selectRails(0, 0);
    const QStringList waiting = w().LNKurse.lines();
    EXPECT_THROW(w().cmdSchA_Click(), db::DbError);
    EXPECT_EQ(s.choiceRows(), before);
    EXPECT_EQ(w().LNKurse.lines(), waiting);
    EXPECT_EQ(s.columns(), grid);
}

TEST_F(FillRail, ACourseIsEvenedOutWithItsParallelsOnlyBeyondTheirAverage) {
    // Mathe of n0 students (the first of them listed) and parallels still to place, on an empty
    // rail of 3 hours. "ask": the question offering the whole average; "tell": too few, to the
    // whole average. The surplus rounds halves to the even neighbour and goes to the first
    // parallel in the list (sorts: KS_SORT of each parallel; Mathe has 1).
    enum Says { Nothing, Ask, AskNo, Tell };
    struct Case {
        int n0;
        std::vector<int> sizes, sorts;
        Says says;
        int target;
        int after;
        std::vector<int> parallelsAfter;
        int refused = 0; // a choice row of Mathe the database refuses to move
    };
    const Case cases[] = {
        {30, {20, 22, 24}, {4, 2, 3}, Ask, 24, 24, {20, 28, 24}}, // Par2 first in the list
        {30, {20, 22, 24}, {2, 3, 4}, AskNo, 24, 30, {20, 22, 24}},
        {30, {21}, {2}, Ask, 25, 26, {25}},    // surplus 4.5 moves 4
        {31, {20}, {2}, Ask, 25, 25, {26}},    // surplus 5.5 moves 6
        {21, {20}, {2}, Ask, 20, 21, {20}},    // surplus 0.5 moves none
        {20, {20}, {2}, Nothing, 0, 20, {20}}, // exactly the average
        {20, {21}, {2}, Nothing, 0, 20, {21}}, // average 20.5, whole part 20
        {20, {23}, {2}, Tell, 21, 20, {23}},
        {30, {20}, {2}, Ask, 25, 30, {20}, 3}, // the first two moves are undone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n0 << " against " << testing::PrintToString(c.sizes)
                                        << " sorted " << testing::PrintToString(c.sorts));
        Workspace s;
        s.rail(1, "S1", 3);
        const QString mathe = s.course(1, "Mathe");
        QStringList parallels;
        for (size_t i = 0; i < c.sizes.size(); ++i)
            parallels << s.course(static_cast<int>(i) + 2, QStringLiteral("Par%1").arg(i + 1),
                                  {{"KS_SORT", c.sorts[i]}});
        s.choice(s.student(1, "A", "a"), mathe);
        s.choices(mathe, c.n0 - 1);
        for (size_t i = 0; i < c.sizes.size(); ++i)
            s.choices(parallels[static_cast<int>(i)], c.sizes[i]);
        s.load();
        s.selectCourses({"Mathe"});
        const QString n0 = QString::number(c.n0), target = QString::number(c.target);
        if (c.says == Ask || c.says == AskNo)
            s.host.onMessage("Auf diese Schiene passen mehr Kollegiaten des Kurses!" + kCrLf +
                                 "Anzahl: " + n0 + kCrLf + "Durchschnittliche Kursstärke    : " +
                                 target + kCrLf + "Soll auf " + target + " ausgelichen werden?",
                             c.says == Ask ? ui::Answer::Yes : ui::Answer::No);
        if (c.says == Tell)
            s.host.onMessage("Auf diese Schiene passen zu wenig Kollegiaten des Kurses!" + kCrLf +
                             "Anzahl: " + n0 + kCrLf + "Soll    : " + target);
        if (c.refused) {
            s.db.scalar(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN "
                                       "old.BG_ID = %1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                            .arg(c.refused));
            EXPECT_THROW(s.window().click("cmdSchA"), db::DbError);
        } else {
            s.window().click("cmdSchA");
        }
        ASSERT_EQ(s.host.messages.size(), c.says == Nothing ? 0u : 1u);
        if (c.says != Nothing) {
            const ui::Message& m = s.host.messages[0];
            EXPECT_EQ(m.icon, c.says == Tell ? ui::Icon::Information : ui::Icon::Question);
            EXPECT_EQ(m.buttons, c.says == Tell ? ui::Buttons::Ok : ui::Buttons::YesNo);
            EXPECT_EQ(m.title, "Kurs- und Blockbildung");
        }
        EXPECT_EQ(s.size(mathe), c.after);
        std::vector<int> sizes;
        for (const QString& p : parallels) {
            sizes.push_back(s.size(p));
            EXPECT_EQ(s.window().schuelerJeKurs.value(p), s.size(p)) << "the counts follow";
        }
        EXPECT_EQ(sizes, c.parallelsAfter);
        if (c.refused)
            continue;
        EXPECT_EQ(s.count(0), QStringLiteral("%1").arg(c.after, 3, 10, QChar('0')));
        EXPECT_EQ(s.grid().TextMatrix(1, 0), entry("Mathe", 3, mathe));
        // The first rows of the course moved, the listed student with them.
        const auto first = std::min_element(c.sorts.begin(), c.sorts.end()) - c.sorts.begin();
        EXPECT_EQ(s.courseOf(1), c.after < c.n0 ? parallels[static_cast<int>(first)] : mathe);
    }
}

// A rule on placements that the course would break on the rail is asked about first (default
// "Nein"); "Nein" leaves everything, "Ja" places it. B and the parallel P1 stand on S1.
TEST(FillRailRules, APlacementThatBreaksARuleIsAskedAbout) {
    struct Case {
        const char* kind;
        QStringList args;
        const char* course;
        int rail;           // grid column
        const char* broken; // "" for no question
        ui::Answer answer;
    };
    const Case cases[] = {
        {"course-not-on-rail", {"A", "S1"}, "A", 0, "course-not-on-rail A S1", ui::Answer::No},
        {"course-not-on-rail", {"A", "S2"}, "A", 0, "", ui::Answer::No},
        {"courses-apart", {"B", "A"}, "A", 0, "courses-apart B A", ui::Answer::Yes},
        {"courses-apart", {"B", "P1"}, "A", 0, "", ui::Answer::No}, // broken before
        {"courses-together", {"A", "B"}, "A", 1, "courses-together A B", ui::Answer::No},
        {"courses-together", {"A", "B"}, "A", 0, "", ui::Answer::No},
        {"parallels-apart", {"MA"}, "P2", 0, "parallels-apart MA", ui::Answer::No},
        {"parallels-apart", {"MA"}, "P2", 1, "", ui::Answer::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.kind, c.args.join(' ')).toStdString());
        test::Workspace s;
        s.rail(1, "S1", 3);
        s.rail(2, "S2", 3);
        s.connection().exec("UPDATE fachang SET FA_PSCHL = 'MA' WHERE FA_ID = 1");
        const QString a = s.single(1, "A");
        const QString b = s.single(2, "B");
        const QString p1 = s.course(3, "P1");
        const QString p2 = s.course(4, "P2");
        int id = 0;
        for (const QString& k : {a, b, p1, p2}) {
            ++id;
            s.choice(s.student(id, "N"), k, {},
                     {{"BG_FA_ID", s.subjectKey(id > 2 ? 1 : id + 10)}, {"BG_ART", "S"}});
        }
        s.place(1, b);
        s.place(1, p1);
        blocking::addRule(s.connection(), test::kYear, QString::fromUtf8(c.kind), c.args);
        s.load();
        const QStringList before = s.columns();
        s.selectCourses({QString::fromUtf8(c.course)});
        s.selectRails(c.rail, c.rail);
        if (*c.broken)
            s.host.onMessage(c.answer);
        s.w().cmdSchA_Click();
        const bool asked = *c.broken != 0;
        ASSERT_EQ(s.host.messages.size(), asked ? 1u : 0u);
        if (asked) {
            EXPECT_EQ(s.host.messages[0].defaultButton, 1) << "Nein";
            EXPECT_EQ(
                s.host.messages[0].text,
                QStringLiteral("Der Kurs %1 verletzt auf dieser Schiene die Regel").arg(c.course) +
                    kCrLf + c.broken + kCrLf + "Trotzdem setzen?");
        }
        const bool placed = !asked || c.answer == ui::Answer::Yes;
        EXPECT_EQ(s.columns() != before, placed);
        EXPECT_EQ(s.w().LNKurse.count(), placed ? 1 : 2);
    }
}
