#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>
#include <utility>

// The gateway of table lehrer and of the courses' teachers (KS_LE_ID).
namespace db {

class Connection;

namespace teachers {

// --- For the timetable export (GPU files).

// A course's teacher: his key (LE_VFP_ID as stored) and abbreviation (LE_KUERZ, trimmed).
struct CourseTeacher {
    QString key;
    QString abbreviation;
};

// The teachers of the school year's courses, by the course's key folded to capitals. Keys
// compare as the program compares them: blanks around them and letter case ignored. A course
// without teacher, or whose teacher the table lehrer lacks, is absent.
QHash<QString, CourseTeacher> ofCourses(Connection& c, const QString& schoolYearId);

// --- For the Kurs42 exchange.

// The Kurs42 exchange's teachers.
struct Teacher {
    QString key, kuerz; // LE_VFP_ID, LE_KUERZ
};
// Every teacher, in stored order.
std::vector<Teacher> inStoredOrder(Connection& c);
// A new teacher of that abbreviation, name and key.
void add(Connection& c, const QString& kuerz, const QString& name, const QString& key);


// The automatic blocking's read of the teachers (blocking/Model.cpp).

// Every teacher as (LE_VFP_ID trimmed, LE_KUERZ), in stored order; none in a file without the
// table.
std::vector<std::pair<QString, QString>> abbreviations(Connection& c);

} // namespace teachers
} // namespace db
