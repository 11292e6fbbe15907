#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table kolleg: the students of a cohort with their names and classes.
namespace db {

class Connection;

namespace students {

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
