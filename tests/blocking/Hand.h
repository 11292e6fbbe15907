#pragma once

#include "blocking/Model.h"
#include "blocking/Search.h"
#include "support/TestDb.h"

namespace test {

// A school built row by row for the blocking, in school year 2009/2010: cohort 2009 is year
// group 12 (courses of code "11"), cohort 2008 year group 13. Keys are readable: rails by
// their number as the import keys them, subjects "F01", courses "K01", students "P01".
class Hand {
public:
    Hand();

    TempDir tmp;
    TestDb db;

    static QString subjectKey(int id) { return QStringLiteral("F%1").arg(id, 2, 10, QChar('0')); }
    static QString courseKey(int id) { return QStringLiteral("K%1").arg(id, 2, 10, QChar('0')); }
    static QString studentKey(int id) { return QStringLiteral("P%1").arg(id, 2, 10, QChar('0')); }

    void rail(int id, int hours); // named "S<id>"
    void subject(int id, const QString& cohort = "2009");
    // A basic course of year group 12 on the subject, with the hours; extra fields replace these.
    QString course(int id, const QString& name, int subject, int hours, const Row& extra = {});
    QString student(int id, const QString& cohort = "2009");
    // A choice of the subject; its course (in the student's year field) when given.
    qint64 choice(int student, int subject, const QString& art = "S", const QString& course = {},
                  const QString& cohort = "2009");
    void place(int rail, const QString& course, bool fixed = false);

    blocking::Model model(int cohort = 2009);
    // Blocks the cohort and writes the result, as kubb does.
    blocking::Result block(blocking::Mode mode, int cohort = 2009, long long rounds = 0);

    // The rail names of a course, in rail order; the course of a choice row.
    QStringList railsOf(const QString& course);
    QString courseOf(qint64 bgId, const QString& field = "BG_KS_ID_12");
    int size(const QString& course);
};

} // namespace test
