#pragma once

#include "db/Statement.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// The questions the subsystems ask about the school year and the choices, answered in one place:
// how the school year's designation, a cohort's course phase, its year group and the course field
// of belegung belong together. A new query on choices, courses or the school year goes here.
namespace db {

class Connection;

// The year the school year of the designation ("2009/2010") starts in: its first four
// characters as a number, 0 when they are none.
int startYear(const QString& schjBez);

// The year group the cohort of a course phase (KO_KURSPH) is in during the school year schjBez:
// 12 for the cohort of the year it starts, 13 for the one before, 0 for any other.
// The phase is compared as text here, as a number in the second form.
int yearGroup(const QString& cohort, const QString& schjBez);
int yearGroup(int cohort, const QString& schjBez);

// The field of belegung that holds a choice's course in year group 12 or 13: the only field names
// the subsystems splice into a statement. Throws std::invalid_argument for any other group.
QString courseField(int yearGroup);

// A statement that writes a choice row's course of year group 12 or 13: run({courseKey, BG_ID}).
// The key is checked against the schema first.
Statement courseWriter(Connection& c, int yearGroup);

// A choice row that names a course, with its student and the field that names it.
struct CourseChoice {
    qint64 bgId = 0;
    QString studentKey;
    bool in13 = false; // the year-13 field names it (also when both do)
};

// The students of a course: the choice rows that name its key in either field, in stored order.
// Keys compare as the columns do (letter case ignored).
std::vector<CourseChoice> choicesOfCourse(Connection& c, const QString& courseKey);

// A student's courses of year group 12 or 13: that field of each of his choice rows, in stored
// order (an empty string for an empty field).
QStringList coursesOfStudent(Connection& c, const QString& studentKey, int yearGroup);

// The school years of the file (schjahr) in stored order: designation and key.
std::vector<std::pair<QString, QString>> schoolYears(Connection& c);
// The number of school years in the file.
int schoolYearCount(Connection& c);

// The Kurs42 exchange's school year: the file's first (stored order), designation and key;
// none in a file without one.
struct SchoolYearEntry {
    QString bez, id; // SJ_SCHJ, SJ_VFP_ID
};
std::optional<SchoolYearEntry> firstSchoolYear(Connection& c);
// A new school year of that designation, keyed by its row number: the key.
QString addSchoolYear(Connection& c, const QString& bez);

} // namespace db
