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

// --- For the timetable export (GPU files).

// A student of a cohort as the timetable's files name him.
struct Person {
    QString key;           // KO_VFP_ID as stored
    QString famName;       // KO_FAMNAME, trimmed
    QString rufName;       // KO_RUFNAME, trimmed
    QString parallelClass; // KO_PARLLKL, trimmed
};

// The students of the cohort (KO_KURSPH, blanks ignored), in stored order.
std::vector<Person> ofCohort(Connection& c, const QString& cohort);

} // namespace students
} // namespace db
