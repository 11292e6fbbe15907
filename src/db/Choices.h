#pragma once

#include "db/Statement.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The gateway of table belegung: the students' choices and the course each holds in year group 12
// or 13.
namespace db {

class Connection;

namespace choices {

// The course field of year group 12 or 13 (courseField) read and written choice by choice, the
// statements prepared once: for the plans and variants that set many choices' courses.
class CourseField {
public:
    // field: BG_KS_ID_12 or BG_KS_ID_13; any other throws std::invalid_argument.
    CourseField(Connection& c, const QString& field);
    // What the field holds (NULL kept apart from ""); no value where there is no such choice.
    std::optional<QVariant> get(qint64 bgId);
    void set(qint64 bgId, const QVariant& course);

private:
    Statement get_;
    Statement set_;
};

// The number of choice rows.
int count(Connection& c);

// A choice row as the pre-assignment reads it.
struct Choice {
    qint64 bgId = 0;
    QString student; // BG_KO_ID
    QVariant course12;
    QVariant course13;
    QString subject; // BG_FA_ID
    QString art;     // BG_ART
};
// Every choice in stored order.
std::vector<Choice> all(Connection& c);

// The courses the students of the cohort (KO_KURSPH) hold in the field of year group 12 or 13,
// where it holds one: the student's KO_ID and the course key, in no particular order.
std::vector<std::pair<qint64, QString>> coursesOfCohort(Connection& c, const QString& cohort,
                                                        int yearGroup);

// The placement workspace's moves and their undoing: the course a choice row holds in the course
// field of a year group (NULL for none, or when the row is gone), and that field rewritten.
QVariant courseIn(Connection& c, qint64 bgId, int yearGroup);
void setCourse(Connection& c, qint64 bgId, int yearGroup, const QVariant& courseKey);

// The placement workspace's lists and look-ups.
// The choices of a course in one year group's field, in stored order, with their student;
// choices of a student missing from kolleg drop out.
struct StudentChoice {
    qint64 bgId = 0;
    QString studentKey; // BG_KO_ID
    QString famName;
    QString rufName;
    QString parallelClass;
    QString koVfpId;
};
std::vector<StudentChoice> studentsInCourse(Connection& c, const QString& courseKey, int yearGroup);
// The students of every course (by key), a row naming the course in both fields counted once.
QHash<QString, int> countsByCourse(Connection& c);
// A student's rows in stored order: the course of his phase's field (yearGroup) with its KS_BEZ,
// and whether the other field holds one.
struct PhaseRow {
    QVariant course;
    QVariant other;
    QString name;
};
std::vector<PhaseRow> rowsInPhase(Connection& c, const QString& studentKey, int yearGroup);
bool exists(Connection& c, qint64 bgId);
// The student's first row holding the course in the year group's field; 0 when none.
qint64 rowWithCourse(Connection& c, const QString& studentKey, int yearGroup,
                     const QString& courseKey);

// The course-choice editor (frmBeleg).
// A student's choice row: its subject, the courses of both year fields and its type.
struct ChoiceRow {
    qint64 bgId = 0;
    QString subject;
    QVariant course12;
    QVariant course13;
    QString art;
};
// The student's advanced choices (BG_ART "L"), or all the others, in stored order.
std::vector<ChoiceRow> rowsOfStudent(Connection& c, const QString& student, bool advanced);
bool hasAdvanced(Connection& c, const QString& student);
// BG_FA_ID or BG_ART of a row as stored, "" when the row is gone.
QString subjectOf(Connection& c, qint64 bgId);
QString artOf(Connection& c, qint64 bgId);
// The student's first row of the subject (and type); 0 or "" when there is none.
qint64 firstRow(Connection& c, const QString& student, const QString& subject, const QString& art);
QString firstArt(Connection& c, const QString& student, const QString& subject);
// Whether another row than bgId holds the subject for the student.
bool holdsElsewhere(Connection& c, const QString& student, const QString& subject, qint64 bgId);
// A row's subject changed, its courses of both years emptied.
void changeSubject(Connection& c, qint64 bgId, const QString& subject);
// A row's type changed; the course of emptiedYearGroup (12, 13; 0 none) emptied with it.
void changeArt(Connection& c, qint64 bgId, const QString& art, int emptiedYearGroup);

// --- For the Kurs42 exchange and the administration export.

// The Kurs42 exchange's choices: the keys as stored.
struct CohortChoice {
    QString key, student, subject, art; // BG_VFP_ID, BG_KO_ID, BG_FA_ID, BG_ART
    QString course;                     // the year group's course field
};
// The choices of a cohort's students (KO_KURSPH compared trimmed) with their course of year
// group 12 or 13, by student then choice in stored order.
std::vector<CohortChoice> ofCohort(Connection& c, const QString& cohort, int yearGroup);

struct NewChoice {
    qint64 id = 0;
    QString student;
    int yearGroup = 12;
    QVariant course; // null for none
    QString subject, art, key;
};
// A new choice with its course in the year group's field.
void add(Connection& c, const NewChoice& w);

// The administration export's rows: each student of a cohort with each of his choices of a type
// other than L, with the courses its fields name and its subject; null where there is none.
struct StudentBasicChoice {
    QVariant studentId, famName, rufName;          // KO_ID, KO_FAMNAME, KO_RUFNAME
    QVariant choiceId, course12, course13;         // BG_ID, BG_KS_ID_12, BG_KS_ID_13
    QVariant subjectKey, art;                      // BG_FA_ID, BG_ART
    QVariant courseId12, bez12, courseId13, bez13; // KS_ID, KS_BEZ of either course
    QVariant subjectId, subjectPhase, pschl;       // FA_ID, FA_KURSPH, FA_PSCHL
};
// Calls visit for each row, by student then choice in stored order; a student without such a
// choice comes once with a null choiceId.
void eachStudentWithBasicChoices(Connection& c, const QString& phase,
                                 const std::function<void(const StudentBasicChoice&)>& visit);

// The automatic blocking's reads of the choices (blocking/Model.cpp).

// A choice row with the courses of both year groups' fields.
struct Row {
    qint64 bgId = 0;
    QString studentKey; // BG_KO_ID
    QString course12;
    QString course13;
    QString subject; // BG_FA_ID
    QString art;     // BG_ART
};
// Every choice row in stored order (BG_ID).
std::vector<Row> rows(Connection& c);
// The same with BG_ID and the two course fields only: what commands change.
std::vector<Row> courses(Connection& c);
// How many choices the students of the cohort (KO_KURSPH) made of each subject (BG_FA_ID as
// stored) and kind (BG_ART), for the proposals to name subjects that have choosers but no course.
struct SubjectCount {
    QString subject;
    QString art;
    int count = 0;
};
std::vector<SubjectCount> subjectCountsOfCohort(Connection& c, const QString& cohort);

} // namespace choices
} // namespace db
