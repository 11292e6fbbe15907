#pragma once

#include "db/Statement.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// The gateway of the kept variants of a plan: stored, listed, taken over, removed.
namespace db {

class Connection;

namespace variants {

// The variants live in tables of our own (variante, varschiene, varkurs), created on the first
// save; a file without them has none.

// A variant as stored: its key, name, time of saving (ISO text) and comment.
struct Stored {
    qint64 id = 0;
    QString name;
    QString created;
    QString comment;
};
// The variants of the school year's cohort in the order they were saved.
std::vector<Stored> ofCohort(Connection& c, const QString& schoolYear, int cohort);

// A new variant, its placements and its choices' courses added row by row (statements prepared
// once); the tables are created where missing.
class Writer {
public:
    Writer(Connection& c, const QString& schoolYear, int cohort, const QString& name,
           const QString& created, const QString& comment);
    // A course on a rail (railKey NULL: on none), with its fixed mark ("1"/"0", NULL for none).
    void placement(const QString& courseKey, const QVariant& railKey, const QVariant& fix);
    // A choice's course (NULL: none).
    void course(qint64 bgId, const QVariant& courseKey);

private:
    qint64 id_;
    Statement rail_;
    Statement course_;
};

// A variant's course on a rail, in stored order.
struct Placement {
    QString course;
    QVariant rail; // NULL: the course stood on no rail
    QString fix;
};
std::vector<Placement> placements(Connection& c, qint64 id);

// A variant's course of a choice, in stored order.
struct Course {
    qint64 bgId = 0;
    QVariant course; // NULL: none
};
std::vector<Course> courses(Connection& c, qint64 id);

void remove(Connection& c, qint64 id);
void rename(Connection& c, qint64 id, const QString& name);

} // namespace variants
} // namespace db
