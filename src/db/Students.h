#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The gateway of table kolleg: the students of a cohort with their names and classes.
namespace db {

class Connection;

namespace students {

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
