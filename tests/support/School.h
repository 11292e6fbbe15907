#pragma once

#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QStringList>
#include <memory>

namespace db {
class Connection;
class Transaction;
} // namespace db

namespace test {

// The school year of the tests (2009/2010) and the one after (2010/2011).
inline const QString kYear = QStringLiteral("     3");
inline const QString kOtherYear = QStringLiteral("     4");

// The one school builder of the tests: a real block-formation file, filled row by row through the
// insert the program uses, with the run state on it and a scripted host. Cohort 2009 is year
// group 12 of the school year, 2008 year group 13. Keys are readable: courses "KS0001", students
// "ST0001", subjects "FA0001"; rails carry their BL_ID right-aligned, as the import makes them.
// Every builder call takes extra fields that replace or add to its defaults.
class School {
public:
    School();
    ~School();

    TempDir tmp;
    TestDb db;
    platform::RunState state;
    ScriptedHost host;

    static QString courseKey(int id) { return key("KS", id); }
    static QString studentKey(int id) { return key("ST", id); }
    static QString subjectKey(int id) { return key("FA", id); }
    const QString& path() const { return db.path(); }

    // A rail of the school year unless another is given, named bez; hours NULL when invalid.
    void rail(int id, const QString& bez, const QVariant& hours, const QString& year = kYear,
              const Row& extra = {});
    // A subject with its basic course's hours.
    QString subject(int id, const QVariant& hoursGk = {}, const Row& extra = {});
    // A Grundkurs of year group 12 on subject 1, sorted by its id.
    QString course(int id, const QString& bez, const Row& extra = {});
    // A student of the cohort (KO_KURSPH); an empty first name or class is NULL.
    QString student(int id, const QString& fam, const QString& ruf = {},
                    const QString& cohort = QStringLiteral("2009"),
                    const QString& parallelClass = {}, const Row& extra = {});
    // A choice row with its courses in year group 12 and 13; returns its BG_ID.
    qint64 choice(const QString& student, const QVariant& course12, const QVariant& course13 = {},
                  const Row& extra = {});
    // n choice rows of the course in year group 12, of a student who is not in kolleg.
    void choices(const QString& course, int n, const QString& student = QStringLiteral("ZZZZZZ"));
    void place(int railId, const QString& course, const Row& extra = {});

    // Rows written between batch() and commit() go in through one connection and transaction,
    // for schools of hundreds of students.
    void batch();
    void commit();

    // What the file holds: the rail names of a course in rail order, the course in a field of a
    // choice row, and how many choice rows name a course in either year.
    QStringList railsOf(const QString& course);
    QString courseOf(qint64 bgId, const QString& field = QStringLiteral("BG_KS_ID_12"));
    int size(const QString& course);

private:
    static QString key(const char* prefix, int id) {
        return QLatin1String(prefix) + QStringLiteral("%1").arg(id, 4, 10, QChar('0'));
    }
    qint64 insert(const QString& table, const Row& values);
    std::unique_ptr<db::Connection> c_;
    std::unique_ptr<db::Transaction> tx_;
};

} // namespace test
