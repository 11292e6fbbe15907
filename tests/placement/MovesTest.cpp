#include "Workspace.h"

#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/Moves.h"

#include <gtest/gtest.h>

using placement::CourseEntry;
using placement::RailTable;
using test::Workspace;

namespace {

// Ma1 with its parallels Ma2 and Ma3 (same subject, year group and kind), Deu and Eng on
// subjects of their own. Students of year group 12 unless said otherwise.
struct Moves : ::testing::Test {
    Workspace s;
    QString mathe, mathe2, mathe3, deu, eng;

    void SetUp() override {
        s.subject(2, "3");
        s.subject(3, "3");
        mathe = s.course(1, "Ma1");
        mathe2 = s.course(2, "Ma2");
        mathe3 = s.course(3, "Ma3");
        deu = s.course(4, "Deu", {{"KS_FA_ID1", test::School::subjectKey(2)}});
        eng = s.course(5, "Eng", {{"KS_FA_ID1", test::School::subjectKey(3)}, {"KS_LKGK", "L"}});
    }
    placement::SetzenK& w() { return s.window(); }
    QStringList choices() {
        return s.db.rows("SELECT BG_ID, BG_KO_ID, BG_KS_ID_12, BG_KS_ID_13 FROM belegung "
                         "ORDER BY BG_ID");
    }
    static QString entry(const QString& bez, const QString& key) {
        return CourseEntry::format(bez, 3, test::kYear, key);
    }
};

} // namespace

TEST_F(Moves, AndererKursMovesTheFirstRowsAndAtMostTheCourse) {
    const QString a = s.student(1, "A", "a");
    const QString b = s.student(2, "B", "b");
    const QString c = s.student(3, "C", "c", "2008");
    s.choice(a, mathe);
    s.choice(b, deu);
    s.choice(b, mathe);
    s.choice(c, {}, mathe);
    s.load();

    EXPECT_EQ(placement::andererKurs(s.connection(), mathe, mathe2, 2), 2);
    EXPECT_EQ(choices(), (QStringList{"1|ST0001|KS0002|<null>", "2|ST0002|KS0004|<null>",
                                      "3|ST0002|KS0002|<null>", "4|ST0003|<null>|KS0001"}));

    // More than the course holds: the rest moves, nothing else.
    EXPECT_EQ(placement::andererKurs(s.connection(), mathe2, mathe3, 10), 2);
    EXPECT_EQ(placement::andererKurs(s.connection(), mathe, mathe3, 10), 1);
    EXPECT_EQ(choices(), (QStringList{"1|ST0001|KS0003|<null>", "2|ST0002|KS0004|<null>",
                                      "3|ST0002|KS0003|<null>", "4|ST0003|<null>|KS0003"}));
    EXPECT_EQ(placement::andererKurs(s.connection(), mathe, mathe3, 10), 0);
    EXPECT_TRUE(s.host.messages.empty());
}

TEST_F(Moves, ARowNamingTheCourseInBothYearFieldsChangesOnlyTheYear13Field) {
    const QString a = s.student(1, "A", "a");
    s.choice(a, mathe, mathe);
    s.choice(a, mathe);
    s.load();

    // The row counts as one move.
    EXPECT_EQ(placement::andererKurs(s.connection(), mathe, mathe2, 1), 1);
    EXPECT_EQ(choices(), (QStringList{"1|ST0001|KS0001|KS0002", "2|ST0001|KS0001|<null>"}));
}

TEST_F(Moves, NeuerkursWritesOnlyTheFieldOfThePhase) {
    const QString a = s.student(1, "A", "a");
    const qint64 row = s.choice(a, mathe, mathe);
    s.load();

    placement::neuerkurs(s.connection(), mathe2, row, 2);
    EXPECT_EQ(choices(), QStringList{"1|ST0001|KS0001|KS0002"});
    placement::neuerkurs(s.connection(), mathe3, row, 1);
    EXPECT_EQ(choices(), QStringList{"1|ST0001|KS0003|KS0002"});
    // Another phase, or a row that is not there, changes nothing.
    placement::neuerkurs(s.connection(), deu, row, 3);
    placement::neuerkurs(s.connection(), deu, row, 0);
    placement::neuerkurs(s.connection(), deu, 99, 1);
    EXPECT_EQ(choices(), QStringList{"1|ST0001|KS0003|KS0002"});
}

TEST_F(Moves, KursArtIsTheKindOfTheCourse) {
    s.load();
    EXPECT_EQ(placement::KursArt(s.connection(), eng), "L");
    EXPECT_EQ(placement::KursArt(s.connection(), mathe), "G");
    EXPECT_EQ(placement::KursArt(s.connection(), "KS0099"), "");
}

TEST_F(Moves, SucheFreieSchFindsTheFirstOtherRailWithoutTheStudentsCourses) {
    const RailTable rails{
        {entry("Ma1", mathe)}, {entry("Deu", deu), entry("Ma2", mathe2)}, {}, {entry("Eng", eng)}};
    // The student attends Ma1 and Ma2: rail 2 is taken, the empty rail 3 is free.
    EXPECT_EQ(placement::SucheFreieSch(1, rails, mathe + mathe2), 3);
    EXPECT_EQ(placement::SucheFreieSch(3, rails, mathe + mathe2), 4);
    EXPECT_EQ(placement::SucheFreieSch(1, rails, deu), 3);
    EXPECT_EQ(placement::SucheFreieSch(2, rails, deu), 1);
    // A single rail has no other rail to offer, however free it is.
    EXPECT_EQ(placement::SucheFreieSch(1, RailTable{{entry("Eng", eng)}}, mathe), 0);
    EXPECT_EQ(placement::SucheFreieSch(1, RailTable{{}}, QString()), 0);
}

TEST_F(Moves, SchFreimachenMovesTheCourseToAParallelOnAFreeRail) {
    const QString a = s.student(1, "A", "a");
    s.choice(a, deu);
    s.choice(a, mathe);
    const QString b = s.student(2, "B", "b", "2008");
    s.choice(b, {}, mathe);
    s.choice(b, {}, deu);
    s.load();
    // Rail 2 holds Deu, which both attend; rail 3 holds Eng and the parallel Ma3.
    const RailTable rails{{entry("Ma1", mathe)},
                          {entry("Deu", deu), entry("Ma2", mathe2)},
                          {entry("Eng", eng), entry("Ma3", mathe3)}};

    EXPECT_TRUE(w().SchFreimachen(s.connection(), a, 1, 1, "Ma1", rails, deu + mathe));
    EXPECT_TRUE(w().SchFreimachen(s.connection(), b, 2, 1, "Ma1", rails, mathe + deu));
    EXPECT_EQ(choices(), (QStringList{"1|ST0001|KS0004|<null>", "2|ST0001|KS0003|<null>",
                                      "3|ST0002|<null>|KS0003", "4|ST0002|<null>|KS0004"}));

    // Without a parallel on the free rail, or without a free rail, nothing moves.
    const QStringList before = choices();
    const RailTable noParallel{{entry("Ma1", mathe)}, {entry("Eng", eng)}};
    EXPECT_FALSE(w().SchFreimachen(s.connection(), a, 1, 1, "Ma3", noParallel, deu + mathe3));
    const RailTable noFreeRail{{entry("Ma1", mathe)}, {entry("Deu", deu)}};
    EXPECT_FALSE(w().SchFreimachen(s.connection(), a, 1, 1, "Ma3", noFreeRail, deu + mathe3));
    // The student's row of the course is looked for in his phase's field only.
    EXPECT_FALSE(w().SchFreimachen(s.connection(), b, 1, 1, "Ma3", rails, QString()));
    EXPECT_EQ(choices(), before);
    EXPECT_TRUE(s.host.messages.empty());
}

TEST_F(Moves, PlFreimachenMovesTheFirstStudentFreeOfTheOtherSelectedCourses) {
    const QString a = s.student(1, "A", "a");
    const QString b = s.student(2, "B", "b");
    const QString c = s.student(3, "C", "c", "2008");
    s.choice(a, mathe2);
    s.choice(a, deu);
    s.choice(b, mathe2);
    s.choice(b, deu);
    s.choice(c, {}, eng);
    s.choice(c, {}, mathe2);
    s.load();
    s.selectCourses({"Ma1", "Deu", "Eng"});

    // Everyone in Ma2 also attends Deu or Eng, which are selected too.
    const QStringList before = choices();
    EXPECT_FALSE(w().PlFreimachen(s.connection(), "Ma1", mathe2));
    EXPECT_EQ(choices(), before);
    // Nobody at all in the course.
    EXPECT_FALSE(w().PlFreimachen(s.connection(), "Ma1", mathe3));
    EXPECT_EQ(choices(), before);

    // With Deu no longer selected, A is free and moves; B and C, also in Ma2, stay.
    s.selectCourses({"Ma1", "Eng"});
    EXPECT_TRUE(w().PlFreimachen(s.connection(), "Ma1", mathe2));
    EXPECT_EQ(choices(), (QStringList{"1|ST0001|KS0001|<null>", "2|ST0001|KS0004|<null>",
                                      "3|ST0002|KS0002|<null>", "4|ST0002|KS0004|<null>",
                                      "5|ST0003|<null>|KS0005", "6|ST0003|<null>|KS0002"}));

    // A student of year group 13 gets the course in his year-13 field.
    s.selectCourses({"Ma1", "Deu"});
    EXPECT_TRUE(w().PlFreimachen(s.connection(), "Ma1", mathe2));
    EXPECT_EQ(choices().at(5), "6|ST0003|<null>|KS0001");
    EXPECT_TRUE(s.host.messages.empty());
}

TEST_F(Moves, AFailedMoveLeavesEveryRowOfTheCommandAsItWas) {
    const QString a = s.student(1, "A", "a");
    s.choice(a, mathe);
    s.choice(a, mathe);
    s.choice(a, mathe);
    s.load();
    // The database refuses to change the second row.
    s.db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN old.BG_ID = 2 "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QStringList before = choices();

    EXPECT_THROW(placement::andererKurs(s.connection(), mathe, mathe2, 3), db::DbError);
    EXPECT_EQ(choices(), before);
}
