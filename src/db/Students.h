#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
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

// The placement workspace.
// KO_KURSPH of the student; no value when he is not found.
std::optional<QString> cohortOf(Connection& c, const QString& key);
// Family and first name of the student's first row; no value when he is not found.
std::optional<std::pair<QString, QString>> nameOf(Connection& c, const QString& key);
// The parallel class of every student by key.
QHash<QString, QString> classes(Connection& c);
// The students of a cohort (KO_KURSPH, blanks around it ignored).
int countOfCohort(Connection& c, const QString& cohort);

// The course-choice editor (frmBeleg).
struct Named {
    QString famName;
    QString rufName;
    QString key;
};
// The cohort's students by family name and first name (German order), then stored order.
std::vector<Named> ofCohortWithKeys(Connection& c, const QString& cohort);
// KO_FAMNAME of the student, "" when there is none.
QString familyName(Connection& c, const QString& key);

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

// --- For the Kurs42 exchange.

// The cohorts that have students (KO_KURSPH trimmed), the latest first.
QStringList cohortsLatestFirst(Connection& c);
// A new student of the cohort phase.
void add(Connection& c, const QString& phase, const Person& s);

// The automatic blocking's reads of students (blocking/Model.cpp, Rules.cpp).

struct Enrolled {
    QString key;           // KO_VFP_ID
    QString familyName;    // KO_FAMNAME
    QString firstName;     // KO_RUFNAME
    QString phase;         // KO_KURSPH
    QString parallelClass; // KO_PARLLKL
};
// Every student in stored order (KO_ID).
std::vector<Enrolled> enrolled(Connection& c);
// The keys of the students whose trimmed key is key (letter case ignored).
QStringList keysLike(Connection& c, const QString& key);
// Every student as "KEY  Name, Vorname (Klasse)", by name; the class where he has one.
QStringList listing(Connection& c);
// --- For the texts of the planner's rules.

// The student of that key (blanks around it ignored), his first row; none when he is gone.
std::optional<Person> personOf(Connection& c, const QString& key);

} // namespace students
} // namespace db
