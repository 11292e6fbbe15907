// "Automatisch setzen ..." and "Rückgängig": the automatic blocking's plan taken into the
// workspace and the file, and taken back from both.
//
// The plan concerns the cohort's courses only. In the grid, entries of other courses stay where
// they stand; an entry of the cohort stays where the plan keeps it (with the plan's fixed mark),
// goes where the plan takes it off, and the plan's new placements follow at the bottom of their
// rails. LNKurse lists the cohort's courses with the hours the plan leaves unplaced, as loading
// would list them.

#include "placement/AutoPlacement.h"
#include "blocking/Search.h"
#include "blocking/Variants.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/SavePlacement.h"
#include "placement/Workspace.h"
#include "placement/frmAutoSetzen.h"
#include "platform/RunState.h"
#include "ui/Host.h"

namespace placement {

AutoPlacement::AutoPlacement(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host), s_(ws.state()) {}

void AutoPlacement::run() {
    ui::Grid& g = ws_.grdSchienen;
    // Placing over a cut rail would drop the courses held for inserting.
    if (ws_.refuseHeldColumn(0, g.Cols() - 1))
        return;
    const int cohort = ws_.Jahrgang();
    if (cohort == 0)
        return;
    blocking::Loaded loaded;
    {
        ui::Busy busy(host_);
        // The panel's model, where no command has made it stale since it was read.
        const bool current = !ws_.bewertungPending && !ws_.coursesStale && !ws_.studentsStale;
        loaded =
            blocking::loadForPlan(c_, {s_.SchjID, s_.SchjBez}, cohort,
                                  current ? ws_.bewertungModel.get() : nullptr, ws_.bewertungState);
    }
    ws_.fitToGrid(loaded.model);
    frmAutoSetzen window(std::move(loaded.model), host_);
    host_.showModal(window);
    if (window.accepted() && window.result())
        takeOver(window.model(), window.result()->placement, window.result()->assignment,
                 loaded.state, window.result()->kept);
}

namespace {

const QString kPlanOverOther = QStringLiteral(
    "Schienen oder Belegungen wurden während der Suche von einem anderen Programm geändert. Den "
    "Plan trotzdem übernehmen?");

// The entries of the cohort's courses as loading makes them: name and school year by course.
using CourseNames = QHash<int, std::pair<QString, QString>>;

CourseNames courseNames(db::Connection& c, const blocking::Model& m, const QString& schjId) {
    CourseNames named;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_BEZ, KS_SCHJ FROM kurs WHERE "
                                        "KS_SCHJ = ? ORDER BY KS_ID"),
                         {schjId});
    while (q.next()) {
        const int k = m.courseIndex(q.value(0).toString());
        if (k >= 0 && !named.contains(k))
            named.insert(k, {q.value(1).toString(), q.value(2).toString()});
    }
    return named;
}

// What a plan places: the cohort's courses with hours, as fitToGrid leaves them.
bool planned(const blocking::Model& m, const CourseNames& named, int k) {
    return k >= 0 && m.courses[k].own && m.courses[k].hours > 0 && named.contains(k);
}

QString entryOf(const blocking::Model& m, const CourseNames& named, int k, int hours) {
    const auto& [bez, schj] = named.value(k);
    return CourseEntry::format(bez, hours, schj, m.courses[k].key);
}

} // namespace

Workspace::AutoUndo AutoPlacement::snapshot() const {
    const ui::Grid& g = ws_.grdSchienen;
    Workspace::AutoUndo undo;
    for (int row = 0; row < g.Rows(); ++row) {
        undo.cells.emplace_back();
        for (int col = 0; col < g.Cols(); ++col)
            undo.cells.back().push_back(g.TextMatrix(row, col));
    }
    undo.fixed = ws_.fixiert;
    undo.lnKurse = ws_.LNKurse.lines();
    return undo;
}

void AutoPlacement::takeOver(const blocking::Model& m, const blocking::Placement& p,
                             const blocking::Assignment& a, const QByteArray& readState,
                             const std::vector<blocking::KeptPlan>& kept) {
    Workspace::AutoUndo undo = snapshot();
    db::Connection& c = c_;
    // The plan's rails go into the file with its students' courses, so that the file holds one
    // whole plan whatever the answer on closing; the grid is saved on closing as ever.
    std::optional<QByteArray> expected = readState;
    for (;;) {
        QByteArray now;
        {
            ui::Busy busy(host_);
            db::Transaction tx(c); // waits for another program's lock
            const QByteArray ckkursBefore = ckkursChecksum(c);
            std::optional<blocking::Written> written = blocking::write(c, m, p, a, expected);
            if (written) {
                // The kept plans with the plan, in its transaction: both or neither.
                if (!kept.empty())
                    blocking::saveKept(c, {s_.SchjID, s_.SchjBez}, m, kept);
                const QByteArray ckkursAfter = ckkursChecksum(c);
                tx.commit();
                // What this window wrote is no other program's save.
                if (ckkursBefore == ws_.ckkursAtLoading)
                    ws_.ckkursAtLoading = ckkursAfter;
                undo.written = std::move(*written);
                break;
            }
            now = blocking::readState(c);
        }
        if (host_.message({kPlanOverOther, QString(), ui::Icon::Question, ui::Buttons::YesNo, 1,
                           std::nullopt}) != ui::Answer::Yes)
            return;
        expected = now;
    }
    // The plan is in the file: whatever fails from here, the way back is offered.
    ws_.autoUndo = std::move(undo);
    ws_.enableCommand(QStringLiteral("menuBearbRueck"), true);

    show(m, p);
}

void AutoPlacement::show(const blocking::Model& m, const blocking::Placement& p) {
    db::Connection& c = c_;
    const CourseNames named = courseNames(c, m, s_.SchjID);
    FixedEntries fixed;
    const std::vector<QStringList> columns = plannedColumns(m, p, named, fixed);
    // LNKurse: other courses' lines as they stand, the cohort's with the hours left.
    QStringList waiting;
    for (const QString& line : ws_.LNKurse.lines())
        if (!planned(m, named, m.courseIndex(CourseEntry::key(line))))
            waiting << line;
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!planned(m, named, static_cast<int>(k)))
            continue;
        const int rest = m.courses[k].hours - m.placedHours(p, static_cast<int>(k));
        if (rest > 0)
            waiting << entryOf(m, named, static_cast<int>(k), rest);
    }

    ui::Grid& g = ws_.grdSchienen;
    int longest = 0;
    for (const QStringList& entries : columns)
        longest = std::max(longest, static_cast<int>(entries.size()));
    g.setRows(std::max(g.Rows(), longest + 1));
    for (int col = 0; col < g.Cols(); ++col) {
        ws_.takeEntries(col);
        ws_.putEntries(col, columns[col]);
    }
    ws_.fitRows();
    ws_.fixiert = fixed;
    ws_.LNKurse.setLines(waiting);
    ws_.SortLNKurse(c);
    ws_.studentsChanged(c);
    ws_.showChanges();
}

std::vector<QStringList>
AutoPlacement::plannedColumns(const blocking::Model& m, const blocking::Placement& p,
                              const QHash<int, std::pair<QString, QString>>& named,
                              FixedEntries& fixed) const {
    // Each column's new entries and marks: what the plan does not place stays, the cohort's
    // courses stand where the plan puts them.
    const ui::Grid& g = ws_.grdSchienen;
    std::vector<QStringList> columns(g.Cols());
    const std::vector<int> railOf = ws_.railOfColumn(m);
    for (int col = 0; col < g.Cols(); ++col) {
        const int r = railOf[col];
        std::vector<char> present(m.courses.size(), 0);
        for (int row = 1; row < g.Rows(); ++row) {
            const QString& cell = g.TextMatrix(row, col);
            if (cell.isEmpty())
                continue;
            const QString key = CourseEntry::key(cell);
            const int k = m.courseIndex(key);
            if (r < 0 || !planned(m, named, k)) {
                columns[col] << cell;
                fixed.set(col, key, ws_.fixiert.has(col, key));
            } else if (p.rails[k].has(r)) {
                columns[col] << cell;
                fixed.set(col, key, p.fixed[k].has(r));
                present[k] = 1;
            }
        }
        if (r < 0)
            continue;
        for (size_t k = 0; k < m.courses.size(); ++k) {
            if (!planned(m, named, static_cast<int>(k)) || present[k] || !p.rails[k].has(r))
                continue;
            columns[col] << entryOf(m, named, static_cast<int>(k),
                                    RailHeader::hours(g.TextMatrix(0, col)));
            fixed.set(col, m.courses[k].key, p.fixed[k].has(r));
        }
    }
    return columns;
}

void AutoPlacement::undo() {
    if (!ws_.autoUndo)
        return;
    db::Connection& c = c_;
    bool undone = false;
    {
        ui::Busy busy(host_);
        db::Transaction tx(c);
        const QByteArray ckkursBefore = ckkursChecksum(c);
        undone = blocking::undo(c, ws_.autoUndo->written);
        if (undone) {
            const QByteArray ckkursAfter = ckkursChecksum(c);
            tx.commit();
            if (ckkursBefore == ws_.ckkursAtLoading)
                ws_.ckkursAtLoading = ckkursAfter;
        }
    }
    if (!undone) {
        // The grid keeps the plan, as the file does.
        ws_.dropUndo();
        ui::tell(host_,
                 QStringLiteral("Rückgängig ist nicht mehr möglich: Schienen oder Belegungen "
                                "wurden inzwischen von einem anderen Programm geändert."),
                 ui::Icon::Exclamation);
        return;
    }
    ui::Grid& g = ws_.grdSchienen;
    g.setRows(static_cast<int>(ws_.autoUndo->cells.size()));
    for (int row = 0; row < g.Rows(); ++row)
        for (int col = 0; col < g.Cols(); ++col)
            g.setTextMatrix(row, col, ws_.autoUndo->cells[row][col]);
    if (g.Rows() > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    ws_.fixiert = ws_.autoUndo->fixed;
    ws_.LNKurse.setLines(ws_.autoUndo->lnKurse);
    ws_.studentsChanged(c);
    ws_.dropUndo();
    ws_.showChanges();
}

} // namespace placement
