#include "School.h"

#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

using placement::CourseEntry;
using placement::RailHeader;
using test::School;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// "Schiene auffüllen" on small schools. Courses are Grundkurse of year 12; those on subject 1
// are parallel to each other, the others get a subject of their own.
struct FillRail : ::testing::Test {
    School s;

    placement::SetzenK& w() { return s.window(); }
    ui::Grid& grid() { return w().grdSchienen; }
    // A course on a subject of its own (subject id = course id + 10, 3 hours).
    QString single(int id, const QString& bez, test::Row extra = {}) {
        s.subject(id + 10, "3");
        extra.emplace_back("KS_FA_ID1", School::subjectKey(id + 10));
        return s.course(id, bez, extra);
    }
    static QString entry(const QString& bez, int hours, const QString& key) {
        return CourseEntry::format(bez, hours, test::kYear, key);
    }
    int size(const QString& key) {
        return s.db
            .scalar("SELECT count(*) FROM belegung WHERE BG_KS_ID_12 = ? OR BG_KS_ID_13 = ?",
                    {key, key})
            .toInt();
    }
    QString count(int col) { return RailHeader::countText(grid().TextMatrix(0, col)); }
    void selectRails(int c1, int c2) {
        grid().setSelStartCol(c1);
        grid().setSelEndCol(c2);
    }
    QStringList choices() {
        return s.db.rows("SELECT BG_ID, BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13 FROM belegung "
                         "ORDER BY BG_ID");
    }
};

} // namespace

TEST_F(FillRail, ACourseLongerThanTheRailLeavesItsRestAtItsPlaceInTheList) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 2);
    const QString deu = single(1, "Deu");
    const QString mathe = single(2, "Mathe", {{"KS_STD", "5"}});
    const QString eng = single(3, "Eng");
    s.choice(s.student(1, "A", "a"), mathe);
    s.choice(s.student(2, "B", "b"), mathe);
    s.load();
    EXPECT_EQ(grid().Rows(), 1);

    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_EQ(grid().FixedRows(), 1);
    EXPECT_EQ(grid().TextMatrix(1, 0), entry("Mathe", 3, mathe));
    EXPECT_EQ(w().LNKurse.lines(),
              (QStringList{entry("Deu", 3, deu), entry("Mathe", 2, mathe), entry("Eng", 3, eng)}));
    EXPECT_TRUE(w().LNKurse.selectedRows().empty());
    EXPECT_EQ(w().LSchueler.count(), 0);
    EXPECT_EQ(count(0), "002");

    // The rest fits the second rail exactly and leaves the list.
    s.selectCourses({"Mathe"});
    selectRails(1, 1);
    const int opened = db::Connection::openedSoFar();
    ASSERT_TRUE(w().click("cmdSchA"));
    EXPECT_EQ(db::Connection::openedSoFar() - opened, 1) << "the command and its refresh share one";
    EXPECT_EQ(grid().TextMatrix(1, 1), entry("Mathe", 2, mathe));
    EXPECT_EQ(w().LNKurse.lines(), (QStringList{entry("Deu", 3, deu), entry("Eng", 3, eng)}));
    EXPECT_EQ(count(1), "002");
    EXPECT_TRUE(s.host.messages.empty());
}

TEST_F(FillRail, TheRestOfASplitCourseNeverJoinsItsFirstPartOrAHeldRail) {
    s.rail(1, "S1", 2);
    s.rail(2, "S2", 2);
    const QString mathe = single(2, "Mathe", {{"KS_STD", "4"}});
    s.choice(s.student(1, "A", "a"), mathe);
    s.load();
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    ASSERT_EQ(grid().TextMatrix(1, 0), entry("Mathe", 2, mathe));
    const QStringList list = w().LNKurse.lines();
    ASSERT_EQ(list, QStringList{entry("Mathe", 2, mathe)});

    s.host.onMessage("Der Kurs Mathe steht bereits auf dieser Schiene!");
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(grid().Rows(), 2) << "nothing placed";
    EXPECT_EQ(w().LNKurse.lines(), list);

    // While rail 2 is cut and held, nothing goes onto it, neither courses nor hours.
    grid().click(1, 1);
    w().click("menuBearbAus");
    const QString held = "Diese Schiene ist ausgeschnitten!\r\nFügen Sie sie zuerst mit "
                         "Bearbeiten - einfügen wieder ein.";
    s.host.onMessage(held).onMessage(held);
    s.selectCourses({"Mathe"});
    w().cmdSchA_Click();
    w().cmdBlock_Click();
    EXPECT_EQ(grid().TextMatrix(0, 1), "S2    0  000        2");
    EXPECT_EQ(w().LNKurse.lines(), list);
    w().click("menuBearbEinf");
    EXPECT_EQ(grid().TextMatrix(0, 1), "S2    2  000        2") << "the cut rail comes back whole";
}

TEST_F(FillRail, TwoSelectedRailsAreCheckedTogetherAndTheCourseGoesIntoTheFirst) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 2);
    const QString mathe = s.course(1, "Mathe", {{"KS_STD", "2"}});
    const QString mat2 = s.course(2, "Mat2", {{"KS_STD", "2"}});
    const QString deu = single(3, "Deu");
    const QString eng = single(4, "Eng");
    s.place(1, deu);
    s.place(2, eng);
    const QString a = s.student(1, "A", "a");
    const QString b = s.student(2, "B", "b");
    const QString c = s.student(3, "C", "c");
    s.choice(a, mathe);
    s.choice(a, deu);
    s.choice(b, mathe);
    s.choice(b, eng);
    s.choice(c, mathe);
    s.load();
    s.selectCourses({"Mathe"});
    selectRails(0, 1);

    // The course has 2 hours: compared with the first rail's 3 it would be refused.
    w().cmdSchA_Click();
    EXPECT_TRUE(s.host.messages.empty());
    // A collides with Deu on the first rail, B with Eng on the second: both go to Mat2.
    EXPECT_EQ(choices(), (QStringList{"1|ST0001|KS0002|<null>", "2|ST0001|KS0003|<null>",
                                      "3|ST0002|KS0002|<null>", "4|ST0002|KS0004|<null>",
                                      "5|ST0003|KS0001|<null>"}));
    EXPECT_EQ(grid().Rows(), 3);
    EXPECT_EQ(grid().TextMatrix(1, 0), entry("Deu", 3, deu));
    EXPECT_EQ(grid().TextMatrix(2, 0), entry("Mathe", 2, mathe));
    EXPECT_EQ(grid().TextMatrix(1, 1), entry("Eng", 2, eng));
    EXPECT_EQ(grid().TextMatrix(2, 1), "");
    EXPECT_EQ(w().LNKurse.lines(), (QStringList{entry("Mat2", 2, mat2), entry("Eng", 1, eng)}));
    // Deu's student and the one left in Mathe; Mathe (1) against Mat2 (2) needs no evening out.
    EXPECT_EQ(count(0), "002");
    EXPECT_EQ(count(1), "001");
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
        return {{"KS_JGST", "13"}, {"KS_FA_ID3", School::subjectKey(subject)}};
    }
    void pick(const QString& student, const QString& course) {
        if (in13())
            s.choice(student, {}, course);
        else
            s.choice(student, course);
    }
};

} // namespace

TEST_P(FillRailByYear, ASplitParallelIsNeverTheTargetOfCollidingStudents) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 1);
    const QString mathe = s.course(1, "Mathe", year());
    const QString mat1 = s.course(2, "Mat1", year());
    const QString mat2 = s.course(3, "Mat2", year());
    const QString deu = single(4, "Deu", year(14));
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
    EXPECT_EQ(choices().at(0),
              QString(in13() ? "1|ST0001|<null>|KS0003" : "1|ST0001|KS0003|<null>"));
    EXPECT_EQ(grid().TextMatrix(2, 0), entry("Mathe", 3, mathe));
    EXPECT_EQ(count(0), "002");
}

INSTANTIATE_TEST_SUITE_P(FillRail, FillRailByYear, ::testing::Values(12, 13),
                         [](const auto& info) { return "Year" + std::to_string(info.param); });

TEST_F(FillRail, WithOnlyASplitParallelTheCollidingCourseIsRefused) {
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 1);
    const QString mathe = s.course(1, "Mathe");
    const QString mat1 = s.course(2, "Mat1");
    const QString deu = single(3, "Deu");
    s.place(1, deu);
    s.place(2, mat1);
    const QString b = s.student(2, "B", "b");
    const QString a = s.student(1, "A", "a");
    s.choice(b, mathe);
    s.choice(a, mathe);
    s.choice(a, deu);
    s.load();
    s.selectCourses({"Mathe"});
    const QStringList list = w().LNKurse.lines();
    const QStringList before = choices();

    s.host.onMessage("Kollisionen!" + kCrLf +
                     "Nicht alle Kollegiaten des Kurses Mathe  passen auf die Schiene!" + kCrLf +
                     "Zum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse vorhanden!" +
                     kCrLf + "Verwenden Sie Kollisionen beseitigen!");
    w().cmdSchA_Click();
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0].icon, ui::Icon::Critical);
    EXPECT_EQ(s.host.messages[0].title, "Kurs- und Blockbildung");
    EXPECT_EQ(choices(), before);
    EXPECT_EQ(w().LNKurse.lines(), list);
    EXPECT_EQ(grid().TextMatrix(1, 0), entry("Deu", 3, deu));
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_EQ(count(0), "001");
}

TEST_F(FillRail, RefusalsLeaveTheGridAndTheListAlone) {
    s.rail(1, "S1", 3);
    s.rail(2, "S0", QVariant());
    s.rail(3, "S5", 5);
    const QString mathe = single(1, "Mathe");
    const QString leer = single(2, "Leer");
    s.choice(s.student(1, "A", "a"), mathe);
    s.load();
    const QStringList list = w().LNKurse.lines();
    const auto unchanged = [&] {
        EXPECT_EQ(w().LNKurse.lines(), list);
        EXPECT_EQ(grid().Rows(), 1);
    };

    s.selectCourses({"Mathe"});
    s.host.onMessage("Stundenzahl der Schiene gleich 0 !");
    selectRails(0, 1);
    w().cmdSchA_Click();
    unchanged();

    s.host.onMessage("Stundenzahl des Kurses kleiner Stundenzahl der Schiene!");
    selectRails(2, 2);
    w().cmdSchA_Click();
    unchanged();

    s.selectCourses({"Leer"});
    s.host.onMessage("Kurs: Leer   ist leer!");
    selectRails(0, 0);
    w().cmdSchA_Click();
    unchanged();

    // Selected without its students listed: nothing to tell it may be placed.
    w().LNKurse.setSelected(1, false);
    w().LNKurse.setSelected(0, true);
    s.host.onMessage("Kollisionen!" + kCrLf +
                     "Nicht alle Kollegiaten des Kurses Mathe  passen auf die Schiene!" + kCrLf +
                     "Zum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse vorhanden!" +
                     kCrLf + "Verwenden Sie Kollisionen beseitigen!");
    w().cmdSchA_Click();
    unchanged();
    for (const ui::Message& m : s.host.messages) {
        EXPECT_EQ(m.icon, ui::Icon::Critical);
        EXPECT_EQ(m.title, "Kurs- und Blockbildung");
    }

    // Nothing selected: the lists are only refreshed.
    w().LNKurse.setSelected(0, false);
    w().cmdSchA_Click();
    unchanged();
    EXPECT_EQ(w().LSchueler.count(), 0);
    EXPECT_EQ(s.host.messages.size(), 4u);
    Q_UNUSED(leer);
}

TEST_F(FillRail, AFailureAmongTheCollisionMovesUndoesThemAndPlacesNothing) {
    s.rail(1, "S1", 3);
    const QString mathe = s.course(1, "Mathe");
    s.course(2, "Mat2");
    const QString deu = single(3, "Deu");
    s.place(1, deu);
    const QString a = s.student(1, "A", "a");
    const QString b = s.student(2, "B", "b");
    s.choice(a, mathe);
    s.choice(a, deu);
    s.choice(b, mathe);
    s.choice(b, deu);
    s.load();
    s.selectCourses({"Mathe"});
    const QStringList list = w().LNKurse.lines();
    // The database refuses to move B, the second colliding student.
    s.db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN old.BG_ID = 3 "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QStringList before = choices();

    EXPECT_THROW(w().cmdSchA_Click(), db::DbError);
    EXPECT_EQ(choices(), before);
    EXPECT_EQ(w().LNKurse.lines(), list);
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_EQ(count(0), "002");
}

namespace {

// A course Mathe of n0 students (the first of them listed, the others not in kolleg) and
// parallels of the given sizes, all still to place; an empty rail of 3 hours.
struct EveningOut : FillRail {
    QString mathe;
    QStringList parallels;

    // sorts: KS_SORT of each parallel; by default they follow Mathe in the order given.
    void build(int n0, const std::vector<int>& sizes, const std::vector<int>& sorts = {}) {
        s.rail(1, "S1", 3);
        mathe = s.course(1, "Mathe");
        for (size_t i = 0; i < sizes.size(); ++i) {
            const int id = static_cast<int>(i) + 2;
            const int sort = sorts.empty() ? id : sorts[i];
            parallels << s.course(id, QStringLiteral("Par%1").arg(i + 1), {{"KS_SORT", sort}});
        }
        s.choice(s.student(1, "A", "a"), mathe);
        s.choices(mathe, n0 - 1);
        for (size_t i = 0; i < sizes.size(); ++i)
            s.choices(parallels[static_cast<int>(i)], sizes[i]);
        s.load();
        s.selectCourses({"Mathe"});
    }
    static QString question(int n0, int avg) {
        return "Auf diese Schiene passen mehr Kollegiaten des Kurses!" + kCrLf +
               "Anzahl: " + QString::number(n0) + kCrLf +
               "Durchschnittliche Kursstärke    : " + QString::number(avg) + kCrLf + "Soll auf " +
               QString::number(avg) + " ausgelichen werden?";
    }
};

} // namespace

TEST_F(EveningOut, ALargerCourseOffersToMoveItsSurplusToTheFirstParallelInTheList) {
    // Par2 stands first in the list, Par1 is first among the parallels.
    build(30, {20, 22, 24}, {4, 2, 3});
    s.host.onMessage(question(30, 24), ui::Answer::Yes);
    w().click("cmdSchA");
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0].icon, ui::Icon::Question);
    EXPECT_EQ(s.host.messages[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(s.host.messages[0].title, "Kurs- und Blockbildung");
    EXPECT_EQ(size(mathe), 24);
    EXPECT_EQ(size(parallels[0]), 20);
    EXPECT_EQ(size(parallels[1]), 28);
    EXPECT_EQ(size(parallels[2]), 24);
    // The first rows of the course moved, the listed student with them.
    EXPECT_EQ(choices().at(0), "1|ST0001|KS0003|<null>");
    EXPECT_EQ(count(0), "024");
    EXPECT_EQ(w().schuelerJeKurs.value(parallels[1]), 28) << "the list's counts follow the moves";
}

TEST_F(EveningOut, NoKeepsTheCourseAsItIs) {
    build(30, {20, 22, 24});
    s.host.onMessage(question(30, 24), ui::Answer::No);
    w().cmdSchA_Click();
    EXPECT_EQ(size(mathe), 30);
    EXPECT_EQ(size(parallels[0]), 20);
    EXPECT_EQ(count(0), "030");
    EXPECT_EQ(grid().TextMatrix(1, 0), entry("Mathe", 3, mathe));
}

TEST_F(EveningOut, TheSurplusIsRoundedHalvesToTheEvenNeighbour) {
    // 30 against 21: average 25.5, surplus 4.5 moves 4.
    build(30, {21});
    s.host.onMessage(question(30, 25), ui::Answer::Yes);
    w().cmdSchA_Click();
    EXPECT_EQ(size(mathe), 26);
    EXPECT_EQ(size(parallels[0]), 25);
}

TEST_F(EveningOut, AnOddSurplusHalfRoundsUp) {
    // 31 against 20: average 25.5, surplus 5.5 moves 6.
    build(31, {20});
    s.host.onMessage(question(31, 25), ui::Answer::Yes);
    w().cmdSchA_Click();
    EXPECT_EQ(size(mathe), 25);
    EXPECT_EQ(size(parallels[0]), 26);
}

TEST_F(EveningOut, ASmallerCourseIsToldOnlyWhenTheWholeAverageExceedsIt) {
    // 20 against 21: average 20.5, whose whole part is 20: no message.
    build(20, {21});
    w().cmdSchA_Click();
    EXPECT_TRUE(s.host.messages.empty());
    EXPECT_EQ(size(mathe), 20);
    EXPECT_EQ(count(0), "020");
}

TEST_F(EveningOut, ASmallerCourseBelowTheWholeAverageIsTold) {
    // 20 against 23: average 21.5.
    build(20, {23});
    s.host.onMessage("Auf diese Schiene passen zu wenig Kollegiaten des Kurses!" + kCrLf +
                     "Anzahl: 20" + kCrLf + "Soll    : 21");
    w().cmdSchA_Click();
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0].icon, ui::Icon::Information);
    EXPECT_EQ(s.host.messages[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(size(mathe), 20);
    EXPECT_EQ(size(parallels[0]), 23);
}
