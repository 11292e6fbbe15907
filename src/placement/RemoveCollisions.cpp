// "Kollisionen beseitigen": moves the colliding students of LKollisionen into parallel courses
// placed on the rails selected in the grid, freeing such a rail for the student or making a
// place in the parallel course where needed. It asks nothing and shows no message.

#include "db/BlockDatabase.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
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

void SetzenK::cmdKollbs_Click() {
    countsStale_ = true;
    // The rail table: every non-empty course entry of each selected rail, in grid order.
    const ui::Grid& g = grdSchienen;
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
    const int n = static_cast<int>(rails.size());

    // The courses do not change during the command: each course's parallels and kind are looked
    // up once.
    QHash<QString, Alternatives> parallels;
    QHash<QString, QString> kinds;
    {
        ui::Busy busy(host_);
        // Every look-up and move of the command on one connection, in one transaction: a failure
        // midway leaves no student half moved.
        db::Connection c(s_.databasePath());
        db::Transaction tx(c);
        command_ = &c;
        struct Release {
            db::Connection*& command;
            ~Release() { command = nullptr; }
        } release{command_};
        // The list as it stands when the command starts; it is rebuilt only at the end.
        const QStringList collisions = LKollisionen.lines();
        for (const QString& line : collisions) {
            const QString studentKey = CollisionLine::studentKey(line);
            // His phase and courses, read when a candidate first needs them.
            std::optional<Kollegiat> student;
            const auto him = [&]() -> const Kollegiat& {
                if (!student)
                    student = LKKollegiat(studentKey);
                return *student;
            };
            const int k = CollisionLine::choices(line);
            int remaining = k - 1; // the moves that would end his collisions
            for (int m = 0; m < k && remaining > 0; ++m) {
                const QString courseName = CollisionLine::courseName(line, m);
                auto found = parallels.constFind(courseName);
                if (found == parallels.constEnd())
                    found = parallels.insert(courseName, AlternativKurs(courseName));
                const Alternatives& alt = *found;
                if (!alt.any())
                    continue;
                QString chosen;
                for (const QString& p : alt.courses) {
                    const QString pKey = ParallelCourse::key(p);
                    for (int r = 1; r <= n && chosen.isEmpty(); ++r) {
                        const QStringList& entries = rails[static_cast<size_t>(r - 1)];
                        int q = -1;
                        for (int i = 0; i < entries.size() && q < 0; ++i)
                            if (CourseEntry::key(entries[i]).compare(pKey, Qt::CaseInsensitive) ==
                                0)
                                q = i;
                        if (q < 0)
                            continue;
                        // His other courses on the rail go elsewhere first, or P is no use.
                        bool survives = true;
                        for (int q2 = 0; q2 < entries.size() && survives; ++q2) {
                            if (q2 == q || !him().courseKeys.contains(CourseEntry::key(entries[q2]),
                                                                      Qt::CaseInsensitive))
                                continue;
                            survives = SchFreimachen(studentKey, him().phase, r,
                                                     CourseEntry::name(entries[q2]), rails,
                                                     him().courseKeys);
                        }
                        if (!survives)
                            continue;
                        if (!kinds.contains(pKey))
                            kinds.insert(pKey, KursArt(pKey));
                        if (!PlFreimachen(courseName, pKey) &&
                            db::AnzBelKurs(c, pKey) >= sizeLimit(kinds.value(pKey)))
                            continue;
                        chosen = pKey;
                    }
                    if (!chosen.isEmpty())
                        break;
                }
                if (chosen.isEmpty())
                    continue;
                neuerkurs(chosen, CollisionLine::bgId(line, m), him().phase);
                student.reset(); // read afresh when needed again
                --remaining;
            }
        }
        tx.commit();
    }

    // Refresh: the selected courses are clicked again, which rebuilds both lists.
    if (LNKurse.selectedCount() > 0)
        LNKurse_Click();
    else
        emit changed();
    // Students moved between courses that may stand on rails: the rails' counts follow.
    GKursStUp();
}

} // namespace placement
