#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
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

// --- For the Kurs42 exchange.

// The Kurs42 exchange's teachers.
struct Teacher {
    QString key;     // LE_VFP_ID
    QString kuerzel; // LE_KUERZ
    QString name;    // LE_BEZ
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

// --- For the teachers' window and kubb teachers.
namespace db {
namespace teachers {

// A teacher as stored: his key (LE_VFP_ID as stored), short name (LE_KUERZ) and name (LE_BEZ),
// both trimmed, "" for NULL.
// Every teacher, by short name; none in a file without the table.
std::vector<Teacher> all(Connection& c);
// The teacher of that key as stored now (blanks around keys and letter case ignored); none
// when he is gone.
std::optional<Teacher> byKey(Connection& c, const QString& key);
// Whether a teacher other than the one of ownKey has the short name (letter case ignored).
bool kuerzelTaken(Connection& c, const QString& kuerzel, const QString& ownKey);

// A course of the school year with its teacher and the rails it is placed on.
struct Course {
    QString key;       // KS_VFP_ID as stored
    QString bez;       // KS_BEZ, trimmed
    QString teacher;   // KS_LE_ID as stored, "" for none
    int hours = 0;     // KS_STD, 0 when empty
    QStringList rails; // BL_BEZ (trimmed) of the school year's rails it is on, in stored order
};
// The school year's courses by designation.
std::vector<Course> coursesOfYear(Connection& c, const QString& schjId);
// The designations of the courses that name the teacher, by designation, each once: those of
// the school year schjId, or (ofYear false) those of every other school year.
QStringList coursesTaughtBy(Connection& c, const QString& key, const QString& schjId, bool ofYear);
// The courses of every school year but schjId that name the teacher lose him (NULL).
void dropFromOtherYears(Connection& c, const QString& key, const QString& schjId);
// The teacher key of a course as stored now ("" for none); no value when the course is gone.
std::optional<QString> teacherOfCourse(Connection& c, const QString& courseKey);

// Adds a teacher and returns his key: the six-character key of his row's number, a number no
// teacher had before and that no course names, so that no old reference finds him.
QString add(Connection& c, const QString& kuerzel, const QString& name);
// Stores a teacher's short name and name ("" stored as NULL); a name kept from another
// program's export gives way to the new short name.
void update(Connection& c, const QString& key, const QString& kuerzel, const QString& name);
// Deletes a teacher with what was kept of him.
void remove(Connection& c, const QString& key);
// Gives the course its teacher ("" for none: NULL).
void setTeacherOfCourse(Connection& c, const QString& courseKey, const QString& teacherKey);

} // namespace teachers
} // namespace db
