#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table kolleg: the students of a cohort with their names and classes.
namespace db {

class Connection;

namespace students {

// Whether the file has a student of the cohort (KO_KURSPH).
bool anyOfCohort(Connection& c, const QString& cohort);

// Every student's key (KO_VFP_ID) in no particular order.
QStringList keys(Connection& c);

// A student as the pre-assignment and the printouts read him.
struct Student {
    qint64 id = 0;   // KO_ID
    QString key;     // KO_VFP_ID
    QString cohort;  // KO_KURSPH
    QString famName; // KO_FAMNAME as stored
    QString rufName; // KO_RUFNAME as stored
};
// Every student in stored order (key, cohort and family name).
std::vector<Student> all(Connection& c);
// The cohort's students by family and first name in the German order (KO_ID, names).
std::vector<Student> ofCohortByName(Connection& c, const QString& cohort);

// The Kurs42 exchange's students.
struct StudentName {
    QString key, famName, rufName, klasse; // KO_VFP_ID, KO_FAMNAME, KO_RUFNAME, KO_PARLLKL
};
// The students of a cohort (KO_KURSPH, compared trimmed), in stored order.
std::vector<StudentName> ofCohort(Connection& c, const QString& cohort);
// The cohorts that have students (KO_KURSPH trimmed), the latest first.
QStringList cohortsLatestFirst(Connection& c);
// A new student of the cohort phase.
void add(Connection& c, const QString& phase, const StudentName& s);

} // namespace students
} // namespace db
