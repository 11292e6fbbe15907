#pragma once

#include <QString>
#include <cstdint>

// Realistic schools for the automatic blocking, for the benchmarks and tests: students'
// choices correlated as in a real school (two advanced courses from popular pairs, compulsory
// subjects, a language, sciences, social and arts subjects, electives), several parallel
// courses per subject, advanced courses or an elective on two rails, some placements fixed.
//
// Every school is made around a hidden plan: courses on rails and students in courses such
// that nobody collides; then the students are put into the first parallel course of each
// choice (as the pre-assignment leaves them), half of the courses onto random rails, and the
// fixed placements where the plan has them. A collision-free plan therefore exists. Choices
// that do not fit the hidden plan are dropped while the school is made (optional ones first).
// A second cohort (year group 13) stands as blocked the year before: its students and courses,
// and the courses of both year groups, are where the plan has them.
namespace test {

struct SchoolSettings {
    std::uint64_t seed = 1;
    int students = 120; // per cohort
    int cohorts = 1;    // 1: cohort 2009 (year group 12); 2: also 2008 (year group 13)
    int rails = 14;
    bool splitAdvanced = false; // advanced courses of 5 hours on a 3- and a 2-hour rail
    int fixed = 4;              // placements marked fixed, per cohort
    int courseSize = 22;        // the size of a parallel course the school aims at
    // Each course a teacher, two to four courses each across both cohorts, none two on one
    // rail of the hidden plan.
    bool teachers = false;
    // The planner's rules of cohort 2009 that the hidden plan keeps: courses kept off rails it
    // does not use, subjects whose parallels it has apart, courses it has together or apart,
    // students kept in their courses (or out of a parallel), pairs of students it has together
    // or apart.
    bool rules = false;

    // The shape of a real school (realSchool): every rail and course of these hours (0: rails of
    // 6, 3 and 2 hours as above), teachers of 3 to 5 courses of at least two subjects, the rules
    // in these numbers, and forbidden course-rail pairs and subjects with parallels apart
    // besides. A student kept in a course is followed there by another tied to him.
    int railHours = 0;
    struct RuleCounts {
        int notOnRail = 4, apartSubjects = 2, together = 1, apart = 2, inCourse = 3,
            notInCourse = 0, studentsTogether = 2, studentsApart = 2;
    } ruleCounts;
    int forbidden = 0;
};

struct GeneratedSchool {
    int courses = 0;  // of cohort 2009
    int students = 0; // of cohort 2009
    int teachers = 0;
    int rules = 0;
};

// The school year of every generated school.
inline const QString kGeneratedYear = QStringLiteral("     1");
inline const QString kGeneratedYearBez = QStringLiteral("2009/2010");

// Writes a new block-formation database at path.
GeneratedSchool generateSchool(const QString& path, const SchoolSettings& settings);

// Instance i of a family of realistic schools: 99 to 153 students, 12 to 15 rails, advanced
// courses on one rail or split over two, a few placements fixed.
SchoolSettings realisticSchool(int i);
// The same with teachers and rules.
SchoolSettings staffedSchool(int i);

// Two cohorts of 400 students on 16 rails: a large school with the rails of a real week.
SchoolSettings largeSchool();

// A school of the shape of one of five real schools ('A' to 'E'): their students, courses, rails
// of equal hours, teachers, 47 rules of all kinds, forbidden course-rail pairs and subjects with
// parallels apart; seed varies the school within the shape.
SchoolSettings realSchool(char shape, std::uint64_t seed = 1);

} // namespace test
