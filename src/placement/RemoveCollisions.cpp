// "Kollisionen beseitigen": moves the colliding students of LKollisionen into parallel courses
// placed on the rails selected in the grid, freeing such a rail for the student or making a
// place in the parallel course where needed. It asks nothing and shows no message.

#include "placement/RemoveCollisions.h"
#include "db/BlockDatabase.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace placement {

namespace {

// The largest course that still takes a student without a place being made in it.
int sizeLimit(const QString& kind) {
    return kind == QLatin1String("L") ? 26 : 30;
}

} // namespace

// What the command looks up once: the courses do not change while it runs.
struct RemoveCollisions::CollisionLookups {
    QHash<QString, Workspace::Alternatives> parallels; // by course name
    QHash<QString, QString> kinds;                     // by course key
};

RemoveCollisions::RemoveCollisions(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host) {}

void RemoveCollisions::run() {
    const RailTable rails = selectedRailTable();
    {
        ui::Busy busy(host_);
        // Every look-up and move of the command in one transaction: a failure midway leaves no
        // student half moved.
        db::Transaction tx(c_);
        CollisionLookups lookups;
        // The list as it stands when the command starts; it is rebuilt only at the end.
        const QStringList collisions = ws_.LKollisionen.lines();
        for (const QString& line : collisions)
            removeCollisionsOf(c_, line, rails, lookups);
        tx.commit();
    }
    {
        // The refresh reads under one lock, not one per statement.
        db::ReadTransaction read(c_);
        // The selected courses are clicked again, which rebuilds both lists.
        if (ws_.LNKurse.selectedCount() > 0)
            ws_.LNKurse_Click(c_);
        else
            ws_.showChanges();
        // Students moved between courses that may stand on rails: the rails' counts follow.
        ws_.GKursStUp(c_);
        read.end();
    }
    ws_.showChanges();
}

RailTable RemoveCollisions::selectedRailTable() const {
    // Every non-empty course entry of each selected rail, in grid order.
    const ui::Grid& g = ws_.grdSchienen;
    RailTable rails;
    const int c1 = std::min(g.SelStartCol(), g.SelEndCol());
    const int c2 = std::max(g.SelStartCol(), g.SelEndCol());
    for (int col = std::max(c1, 0); col <= c2 && col < g.Cols(); ++col) {
        QStringList entries;
        for (int row = 1; row < g.Rows(); ++row)
            if (!g.TextMatrix(row, col).isEmpty())
                entries << g.TextMatrix(row, col);
        rails.push_back(entries);
    }
    return rails;
}

void RemoveCollisions::removeCollisionsOf(db::Connection& c, const QString& line,
                                          const RailTable& rails, CollisionLookups& lookups) {
    const QString studentKey = CollisionLine::studentKey(line);
    // His phase and courses, read when a candidate first needs them and afresh after a move.
    std::optional<Workspace::Kollegiat> student;
    const auto him = [&]() -> const Workspace::Kollegiat& {
        if (!student)
            student = ws_.LKKollegiat(c, studentKey);
        return *student;
    };
    // A parallel P of his course on a selected rail r takes him when his other courses on r go
    // elsewhere first and P has room (made, or under its size limit).
    const auto takesHim = [&](const QString& courseName, const QString& pKey, int r) {
        const QStringList& entries = rails[static_cast<size_t>(r - 1)];
        int q = -1;
        for (int i = 0; i < entries.size() && q < 0; ++i)
            if (CourseEntry::key(entries[i]).compare(pKey, Qt::CaseInsensitive) == 0)
                q = i;
        if (q < 0)
            return false;
        for (int q2 = 0; q2 < entries.size(); ++q2) {
            if (q2 == q ||
                !him().courseKeys.contains(CourseEntry::key(entries[q2]), Qt::CaseInsensitive))
                continue;
            if (!ws_.SchFreimachen(c, studentKey, him().phase, r, CourseEntry::name(entries[q2]),
                                   rails, him().courseKeys))
                return false;
        }
        if (!lookups.kinds.contains(pKey))
            lookups.kinds.insert(pKey, placement::KursArt(c, pKey));
        return ws_.PlFreimachen(c, courseName, pKey) ||
               db::AnzBelKurs(c, pKey) < sizeLimit(lookups.kinds.value(pKey));
    };

    const int k = CollisionLine::choices(line);
    int remaining = k - 1; // the moves that would end his collisions
    for (int m = 0; m < k && remaining > 0; ++m) {
        const QString courseName = CollisionLine::courseName(line, m);
        auto found = lookups.parallels.constFind(courseName);
        if (found == lookups.parallels.constEnd())
            found = lookups.parallels.insert(courseName, ws_.AlternativKurs(c, courseName));
        QString chosen;
        for (const QString& p : found->courses) {
            const QString pKey = ParallelCourse::key(p);
            for (int r = 1; r <= static_cast<int>(rails.size()) && chosen.isEmpty(); ++r)
                if (takesHim(courseName, pKey, r))
                    chosen = pKey;
            if (!chosen.isEmpty())
                break;
        }
        if (chosen.isEmpty())
            continue;
        placement::neuerkurs(c, chosen, CollisionLine::bgId(line, m), him().phase);
        student.reset();
        --remaining;
    }
}

} // namespace placement
