#include "placement/Moves.h"

#include "db/Choices.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"

namespace placement {

namespace {

// The year group whose course field a phase rewrites (phase 1 is year group 12, phase 2 year
// group 13); 0 for a phase that has none.
int phaseYear(int phase) {
    return phase == 1 || phase == 2 ? 11 + phase : 0;
}

// Rewrites one course field of one choice row, noted where the command keeps its changes.
void writeCourse(db::Connection& c, int yearGroup, const QString& key, qint64 bgId,
                 FileChanges* log) {
    if (log)
        log->setCourse(c, bgId, yearGroup, key);
    else
        db::choices::setCourse(c, bgId, yearGroup, key);
}

} // namespace

bool neuerkurs(db::Connection& c, const QString& newKey, qint64 bgId, int phase, FileChanges* log) {
    const int year = phaseYear(phase);
    if (year == 0)
        return false;
    if (!db::choices::exists(c, bgId))
        return false;
    db::Transaction tx(c);
    writeCourse(c, year, newKey, bgId, log);
    tx.commit();
    return true;
}

int andererKurs(db::Connection& c, const QString& fromKey, const QString& toKey, int n,
                FileChanges* log) {
    if (n <= 0)
        return 0;
    // The rows in the order AnzBelKurs counts them; the year-13 field wins when both name the
    // course. The comparison is the columns' own (letter case ignored).
    std::vector<db::CourseChoice> moves = db::choicesOfCourse(c, fromKey);
    if (static_cast<int>(moves.size()) > n)
        moves.resize(n);
    db::Transaction tx(c); // all of them or none
    for (const db::CourseChoice& m : moves)
        writeCourse(c, m.in13 ? 13 : 12, toKey, m.bgId, log);
    tx.commit();
    return static_cast<int>(moves.size());
}

QString KursArt(db::Connection& c, const QString& courseKey) {
    return db::courses::kind(c, courseKey);
}

int SucheFreieSch(int r, const RailTable& rails, const QStringList& courseKeys) {
    for (int i = 1; i <= static_cast<int>(rails.size()); ++i) {
        if (i == r)
            continue;
        bool free = true;
        for (const QString& key : rails[static_cast<size_t>(i - 1)])
            if (courseKeys.contains(key, Qt::CaseInsensitive)) {
                free = false;
                break;
            }
        if (free)
            return i;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The moves that need the placement window's lists.

bool Workspace::SchFreimachen(db::Connection& c, const QString& studentKey, int r,
                              const QString& courseKey, const RailTable& rails,
                              const Kollegiat& k) {
    const int f = SucheFreieSch(r, rails, k.courseKeys);
    if (f == 0)
        return false;
    const Alternatives alt = AlternativKurs(c, courseKey);
    if (!alt.any())
        return false;
    // The first parallel course, in the order found, that stands on the free rail.
    QString target;
    for (const Alternatives::Course& p : alt.courses) {
        if (rails[static_cast<size_t>(f - 1)].contains(p.key, Qt::CaseInsensitive)) {
            target = p.key;
            break;
        }
    }
    const int year = phaseYear(k.phase);
    if (target.isEmpty() || year == 0)
        return false;

    db::Transaction tx(c);
    const qint64 bgId = db::choices::rowWithCourse(c, lastKey(studentKey), year, alt.ownKey);
    if (bgId == 0)
        return false;
    writeCourse(c, year, target, bgId, recording);
    tx.commit();
    return true;
}

bool Workspace::PlFreimachen(db::Connection& c, const QString& courseKey,
                             const QString& parallelKey) {
    // The other courses selected in LNKurse, and whether the course itself is selected.
    QStringList otherKeys;
    QString ownKey;
    for (const QString& key : selectedCourses()) {
        if (!sameKey(key, courseKey))
            otherKeys << key;
        else if (ownKey.isEmpty())
            ownKey = key;
    }

    const std::vector<db::CourseChoice> choices = db::choicesOfCourse(c, parallelKey);
    // The first student of the parallel course who attends none of the other selected courses.
    for (const db::CourseChoice& ch : choices) {
        const Kollegiat k = LKKollegiat(c, ch.studentKey);
        bool usable = true;
        for (const QString& key : otherKeys)
            if (k.attends(key)) {
                usable = false;
                break;
            }
        if (!usable)
            continue;
        // Without a selected line of the course there is nothing to move him into.
        if (ownKey.isEmpty())
            return false;
        db::Transaction tx(c);
        writeCourse(c, k.phase == 1 ? 12 : 13, ownKey, ch.bgId, recording);
        tx.commit();
        return true;
    }
    return false;
}

} // namespace placement
