#pragma once

#include "db/Database.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QStringList>
#include <optional>

namespace test {

// The current school year of the placement tests and another one.
inline const QString kYear = QStringLiteral("     3");
inline const QString kOtherYear = QStringLiteral("     4");

// A school in a real block-formation file, built row by row, with the placement window on it.
// Keys are readable: courses "KS0001", students "ST0001", subjects "FA0001"; rails carry their
// BL_ID right-aligned, as the import makes them.
class School {
public:
    School();

    TempDir tmp;
    TestDb db;
    platform::RunState state;
    ScriptedHost host;

    static QString courseKey(int id) { return QStringLiteral("KS%1").arg(id, 4, 10, QChar('0')); }
    static QString studentKey(int id) { return QStringLiteral("ST%1").arg(id, 4, 10, QChar('0')); }
    static QString subjectKey(int id) { return QStringLiteral("FA%1").arg(id, 4, 10, QChar('0')); }

    // A rail of the current school year unless another is given; hours NULL when invalid.
    void rail(int id, const QString& bez, const QVariant& hours, const QString& year = kYear);
    // A course of the current school year: a Grundkurs of year 12 on subject 1, sorted by its id;
    // extra fields replace these.
    QString course(int id, const QString& bez, const Row& extra = {});
    void subject(int id, const QVariant& hoursGk);
    QString student(int id, const QString& fam, const QString& ruf, const QString& kursph = "2009",
                    const QString& parallelClass = {});
    // A choice row; returns its BG_ID.
    qint64 choice(const QString& student, const QVariant& course12, const QVariant& course13 = {});
    // Many choice rows of one course in year 12, written in one go.
    void choices(const QString& course, int n, const QString& student = "ZZZZZZ");
    void place(int railId, const QString& course);

    // The window, loaded.
    placement::SetzenK& load();
    // A connection to the school's file, as a command of the window opens one.
    db::Connection& connection() {
        if (!connection_)
            connection_.emplace(db.path());
        return *connection_;
    }
    placement::SetzenK& window() { return *window_; }

    // Selects the LNKurse lines of these course names (characters 1-5) and clicks the list.
    void selectCourses(const QStringList& names);

private:
    std::unique_ptr<placement::SetzenK> window_;
    std::optional<db::Connection> connection_;
};

} // namespace test
