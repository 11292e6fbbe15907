#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// The gateway of table belegung: the students' choices and the course each holds in year group 12
// or 13.
namespace db {

class Connection;

namespace choices {

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

} // namespace choices
} // namespace db
