#include "db/Queries.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>
#include <stdexcept>

// The cohort of the school year's start year is in year group 12 and has its courses in one
// field of belegung, the cohort before in 13 with the other; no other cohort has a course field.
TEST(Queries, CohortGivesYearGroupAndCourseField) {
    const struct {
        const char* cohort;
        const char* schjBez;
        int group;
        const char* field;
    } cases[] = {
        {"2009", "2009/2010", 12, "BG_KS_ID_12"}, {"2008", "2009/2010", 13, "BG_KS_ID_13"},
        {"2010", "2009/2010", 0, nullptr},        {"2007", "2009/2010", 0, nullptr},
        {"2000", "2000/2001", 12, "BG_KS_ID_12"}, {"1999", "2000/2001", 13, "BG_KS_ID_13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.cohort) + " in " + c.schjBez);
        EXPECT_EQ(db::yearGroup(QString::fromLatin1(c.cohort), c.schjBez), c.group);
        EXPECT_EQ(db::yearGroup(QString::fromLatin1(c.cohort).toInt(), c.schjBez), c.group);
        if (c.field)
            EXPECT_EQ(db::courseField(c.group), QString::fromLatin1(c.field));
        else
            EXPECT_THROW(db::courseField(c.group), std::invalid_argument);
    }
    EXPECT_EQ(db::startYear("2009/2010"), 2009);
    EXPECT_EQ(db::startYear(""), 0);
}

// The students of a course in either field, keys ignoring letter case but not blanks, and how
// many rows name it; a student's courses of one year group, empty fields included.
TEST(Queries, ChoicesOfACourseAndCoursesOfAStudent) {
    test::TempDir tmp;
    test::TestDb db(tmp.path("BB.MDB"));
    const auto row = [&](const char* student, const QVariant& k12, const QVariant& k13) {
        db.insert("belegung", {{"BG_KO_ID", student}, {"BG_KS_ID_12", k12}, {"BG_KS_ID_13", k13}});
    };
    row("ST1", "KA", {});
    row("ST2", {}, "ka");
    row("ST1", "KA", "KA"); // counted once
    row("ST3", "KAB", {});
    row("ST1", "", {});
    row("ST4", " KA", {}); // another key
    db::Connection c(db.path());
    QStringList got;
    for (const db::CourseChoice& ch : db::choicesOfCourse(c, "KA"))
        got << QStringLiteral("%1 %2 %3").arg(ch.bgId).arg(ch.studentKey).arg(ch.in13);
    EXPECT_EQ(got, QStringList({"1 ST1 0", "2 ST2 1", "3 ST1 1"}));
    EXPECT_EQ(db::AnzBelKurs(c, "KA"), 3);
    EXPECT_EQ(db::AnzBelKurs(c, " KA"), 1);
    EXPECT_EQ(db::AnzBelKurs(c, "K"), 0);
    EXPECT_EQ(db::coursesOfStudent(c, "ST1", 12), QStringList({"KA", "KA", ""}));
    EXPECT_EQ(db::coursesOfStudent(c, "ST1", 13), QStringList({"", "KA", ""}));
}
