#include "db/Queries.h"

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
