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
    QHash<QString, Workspace::Alternatives> parallels; // by course key
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
        const std::vector<Workspace::Collision> collisions = ws_.kollisionen;
        for (const Workspace::Collision& student : collisions)
            removeCollisionsOf(c_, student, rails, lookups);
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
    // The courses of each selected rail, from the top.
    const ui::Grid& g = ws_.grdSchienen;
    RailTable rails;
    const int c1 = std::min(g.SelStartCol(), g.SelEndCol());
    const int c2 = std::max(g.SelStartCol(), g.SelEndCol());
    for (int col = std::max(c1, 0); col <= c2 && col < static_cast<int>(ws_.plan.rails.size());
         ++col) {
        QStringList keys;
        for (const Placed& p : ws_.plan.rails[static_cast<size_t>(col)].courses)
            keys << p.course;
        rails.push_back(keys);
    }
    return rails;
}

void RemoveCollisions::removeCollisionsOf(db::Connection& c, const Workspace::Collision& line,
                                          const RailTable& rails, CollisionLookups& lookups) {
    const QString& studentKey = line.studentKey;
    // His phase and courses, read when a candidate first needs them and afresh after a move.
    std::optional<Workspace::Kollegiat> student;
    const auto him = [&]() -> const Workspace::Kollegiat& {
        if (!student)
            student = ws_.LKKollegiat(c, studentKey);
        return *student;
    };
    // A parallel P of his course on a selected rail r takes him when his other courses on r go
    // elsewhere first and P has room (made, or under its size limit).
    const auto takesHim = [&](const QString& courseKey, const QString& pKey, int r) {
        const QStringList& keys = rails[static_cast<size_t>(r - 1)];
        int q = -1;
        for (int i = 0; i < keys.size() && q < 0; ++i)
            if (sameKey(keys[i], pKey))
                q = i;
        if (q < 0)
            return false;
        for (int q2 = 0; q2 < keys.size(); ++q2) {
            if (q2 == q || !him().attends(keys[q2]))
                continue;
            if (!ws_.SchFreimachen(c, studentKey, r, keys[q2], rails, him()))
                return false;
        }
        if (!lookups.kinds.contains(pKey))
            lookups.kinds.insert(pKey, placement::KursArt(c, pKey));
        return ws_.PlFreimachen(c, courseKey, pKey) ||
               db::AnzBelKurs(c, pKey) < sizeLimit(lookups.kinds.value(pKey));
    };

    const int k = static_cast<int>(line.choices.size());
    int remaining = k - 1; // the moves that would end his collisions
    for (int m = 0; m < k && remaining > 0; ++m) {
        const QString& courseKey = line.choices[static_cast<size_t>(m)].courseKey;
        auto found = lookups.parallels.constFind(courseKey.toUpper());
        if (found == lookups.parallels.constEnd())
            found = lookups.parallels.insert(courseKey.toUpper(), ws_.AlternativKurs(c, courseKey));
        QString chosen;
        for (const Workspace::Alternatives::Course& p : found->courses) {
            for (int r = 1; r <= static_cast<int>(rails.size()) && chosen.isEmpty(); ++r)
                if (takesHim(courseKey, p.key, r))
                    chosen = p.key;
            if (!chosen.isEmpty())
                break;
        }
        if (chosen.isEmpty())
            continue;
        placement::neuerkurs(c, chosen, line.choices[static_cast<size_t>(m)].bgId, him().phase,
                             ws_.recording);
        student.reset();
        --remaining;
    }
}

} // namespace placement
