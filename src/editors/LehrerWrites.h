#pragma once

#include "db/Teachers.h"

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// The teachers of the file and the courses they teach, read in one state, and the writes on
// them, shared by the window "Lehrer" and `kubb teachers`. Each write runs in one transaction on
// the caller's connection and first checks there that what it was computed from (the teacher or
// course as read) is as it was; else it refuses, writing nothing. The evaluation and the search
// read KS_LE_ID afresh, so a changed teacher's clashes follow at once.
namespace editors::lehrer {

// A write that the file's state forbids, with the German reason the planner reads.
class Refused : public std::runtime_error {
public:
    explicit Refused(const QString& reason) : std::runtime_error(reason.toStdString()) {}
    QString reason() const { return QString::fromUtf8(what()); }
};

using db::teachers::Course;
using db::teachers::Teacher;

// What a teacher's courses add up to in the school year.
struct Load {
    std::vector<const Course*> courses; // by designation
    int hours = 0;
    QStringList rails;      // every rail of his courses once, in the order first met
    QStringList clashRails; // rails that carry two or more of his courses
};

// The teachers and the school year's courses as one read saw them.
struct Staff {
    std::vector<Teacher> teachers; // by short name
    std::vector<Course> courses;   // by designation

    Load loadOf(const Teacher& t) const;
    // The teacher a course names, none when it names none or one the table lacks.
    const Teacher* teacherOf(const Course& c) const;
    // Look-ups as the planner names them, letter case ignored; nullptr for none. A designation
    // that several courses share is refused as ambiguous.
    const Teacher* byKuerzel(const QString& kuerzel) const;
    const Course* courseNamed(const QString& bez) const;
};

// One read of the teachers and the school year's courses.
Staff read(db::Connection& c, const QString& schjId);

// How the planner reads a teacher: "Krau (Krause, Anna)", or the short name alone.
QString named(const Teacher& t);
// Keys compare as the program compares them: blanks around them and letter case ignored.
bool sameKey(const QString& a, const QString& b);

// Adds a teacher; his key. Refuses an empty or taken short name; an overlong one is a
// db::DbError naming the field.
QString add(db::Connection& c, const QString& kuerzel, const QString& name);
// Gives the teacher as read a new short name and name.
void rename(db::Connection& c, const Teacher& read, const QString& kuerzel, const QString& name);
// The designations of the courses of other school years than schjId that name the teacher.
QStringList formerCourses(db::Connection& c, const Teacher& t, const QString& schjId);
// Deletes the teacher as read; refused, naming them, while courses of the school year schjId
// name him. Courses of other school years lose him; their designations are returned.
QStringList remove(db::Connection& c, const Teacher& read, const QString& schjId);
// Gives the course as read the teacher of that key ("" none).
void assign(db::Connection& c, const Course& read, const QString& teacherKey);

} // namespace editors::lehrer
