#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

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

} // namespace teachers
} // namespace db
