#pragma once

#include "db/Database.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <memory>

namespace test {

inline const QString kYear = QStringLiteral("     3");
inline const QString kOtherYear = QStringLiteral("     4");

// A school for the printouts in a real block-formation file, school year 2009/2010. Rows go in
// through one open connection; done() closes it and dates the file 21.05.2009 14:03:12.
// Keys: rails their BL_ID right-aligned, courses "KS0001", students "ST0001".
class PrintSchool {
public:
    PrintSchool();

    TempDir tmp;
    platform::RunState state;
    ScriptedHost host;

    static QString courseKey(int id) { return QStringLiteral("KS%1").arg(id, 4, 10, QChar('0')); }
    static QString studentKey(int id) { return QStringLiteral("ST%1").arg(id, 4, 10, QChar('0')); }

    void rail(int id, const QString& bez, const QVariant& hours, const QString& year = kYear);
    void course(int id, const QString& bez);
    void place(int railId, int courseId);
    void student(int id, const QString& fam, const QVariant& ruf, const QString& cohort = "2009");
    // A choice of the student with its course in year group 12 and/or 13 (0: none).
    void choice(int studentId, int course12, int course13 = 0);
    // n choice rows of the course in year group 12, of no student of kolleg.
    void choices(int courseId, int n);
    void done();

    QString path() const { return state.databasePath(); }
    // The first three header lines of the lists.
    QStringList headerLines(int n) const;
    // The six header lines of page page of the rail printout.
    QStringList railHeader(int page = 1, int pages = 1) const;

private:
    std::unique_ptr<db::Connection> c_;
    std::unique_ptr<db::Transaction> tx_;
};

// Lines as the printouts pad them: each to the width; an empty line stays empty.
QStringList padded(const QStringList& lines, int width);

} // namespace test
