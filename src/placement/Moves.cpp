#include "placement/Moves.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"

#include <QSqlQuery>

namespace placement {

namespace {

// The course field a phase rewrites (phase 1 is year group 12, phase 2 year group 13); empty
// for a phase that has none.
QString phaseField(int phase) {
    return phase == 1 || phase == 2 ? db::courseField(11 + phase) : QString();
}

// Rewrites one course field of one choice row, the value checked against the schema first.
void writeCourse(db::Connection& c, const QString& courseField, const QString& key, qint64 bgId) {
    db::checkValue(QStringLiteral("belegung"), courseField, key);
    c.prepared(QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(courseField))
        .run({key, bgId});
}

} // namespace

bool neuerkurs(db::Connection& c, const QString& newKey, qint64 bgId, int phase) {
    const QString courseField = phaseField(phase);
    if (courseField.isEmpty())
        return false;
    if (!c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM belegung WHERE BG_ID = ?)"), {bgId})
             .toBool())
        return false;
    db::Transaction tx(c);
    writeCourse(c, courseField, newKey, bgId);
    tx.commit();
    return true;
}

int andererKurs(db::Connection& c, const QString& fromKey, const QString& toKey, int n) {
    if (n <= 0)
        return 0;
    // The rows in the order AnzBelKurs counts them; the year-13 field wins when both name the
    // course. The comparison is the columns' own (letter case ignored).
    std::vector<db::CourseChoice> moves = db::choicesOfCourse(c, fromKey);
    if (static_cast<int>(moves.size()) > n)
        moves.resize(n);
    db::Transaction tx(c); // all of them or none
    for (const db::CourseChoice& m : moves)
        writeCourse(c, db::courseField(m.in13 ? 13 : 12), toKey, m.bgId);
    tx.commit();
    return static_cast<int>(moves.size());
}

QString KursArt(db::Connection& c, const QString& courseKey) {
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT KS_LKGK FROM kurs WHERE KS_VFP_ID = ? ORDER BY KS_ID LIMIT 1"),
        {courseKey});
    return q.next() ? q.value(0).toString() : QString();
}

int SucheFreieSch(int r, const RailTable& rails, const QString& courseKeys) {
    for (int i = 1; i <= static_cast<int>(rails.size()); ++i) {
        if (i == r)
            continue;
        bool free = true;
        for (const QString& entry : rails[static_cast<size_t>(i - 1)])
            if (courseKeys.contains(CourseEntry::key(entry), Qt::CaseInsensitive)) {
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

bool Workspace::SchFreimachen(db::Connection& c, const QString& studentKey, int phase, int r,
                              const QString& courseName, const RailTable& rails,
                              const QString& courseKeys) {
    const int f = SucheFreieSch(r, rails, courseKeys);
    if (f == 0)
        return false;
    const Alternatives alt = AlternativKurs(c, courseName);
    if (!alt.any())
        return false;
    // The first parallel course, in the order found, that stands on the free rail.
    QString target;
    for (const QString& p : alt.courses) {
        const QString key = ParallelCourse::key(p);
        for (const QString& entry : rails[static_cast<size_t>(f - 1)])
            if (CourseEntry::key(entry).compare(key, Qt::CaseInsensitive) == 0) {
                target = key;
                break;
            }
        if (!target.isEmpty())
            break;
    }
    const QString courseField = phaseField(phase);
    if (target.isEmpty() || courseField.isEmpty())
        return false;

    db::Transaction tx(c);
    const QVariant bgId =
        c.scalar(QStringLiteral("SELECT BG_ID FROM belegung WHERE BG_KO_ID = ? AND %1 = ? "
                                "ORDER BY BG_ID LIMIT 1")
                     .arg(courseField),
                 {lastKey(studentKey), alt.ownKey});
    if (bgId.isNull())
        return false;
    writeCourse(c, courseField, target, bgId.toLongLong());
    tx.commit();
    return true;
}

bool Workspace::PlFreimachen(db::Connection& c, const QString& courseName,
                             const QString& parallelKey) {
    const QString name = courseName.leftJustified(5, QLatin1Char(' '), true);
    // The other courses selected in LNKurse, and the selected line of the course itself.
    QStringList otherKeys;
    QString ownKey;
    for (int i : LNKurse.selectedRows()) {
        const QString& line = LNKurse.line(i);
        if (CourseEntry::name(line) != name)
            otherKeys << CourseEntry::key(line);
        else if (ownKey.isEmpty())
            ownKey = CourseEntry::key(line);
    }

    const std::vector<db::CourseChoice> choices = db::choicesOfCourse(c, parallelKey);
    // The first student of the parallel course who attends none of the other selected courses.
    for (const db::CourseChoice& ch : choices) {
        const Kollegiat k = LKKollegiat(c, ch.studentKey);
        bool usable = true;
        for (const QString& key : otherKeys)
            if (k.courseKeys.contains(key, Qt::CaseInsensitive)) {
                usable = false;
                break;
            }
        if (!usable)
            continue;
        // Without a selected line of the course there is nothing to move him into.
        if (ownKey.isEmpty())
            return false;
        db::Transaction tx(c);
        writeCourse(c, db::courseField(k.phase == 1 ? 12 : 13), ownKey, ch.bgId);
        tx.commit();
        return true;
    }
    return false;
}

} // namespace placement
