// "Automatisch setzen ..." and "Rückgängig": the automatic blocking's plan taken into the
// workspace and the file, and taken back from both.
//
// The plan concerns the cohort's courses only. In the grid, entries of other courses stay where
// they stand; an entry of the cohort stays where the plan keeps it (with the plan's fixed mark),
// goes where the plan takes it off, and the plan's new placements follow at the bottom of their
// rails. LNKurse lists the cohort's courses with the hours the plan leaves unplaced, as loading
// would list them.

#include "blocking/Search.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "placement/frmAutoSetzen.h"
#include "platform/RunState.h"
#include "ui/Host.h"

namespace placement {

void SetzenK::cmdAutoS_Click() {
    ui::Grid& g = grdSchienen;
    // Placing over a cut rail would drop the courses held for inserting.
    if (refuseHeldColumn(0, g.Cols() - 1))
        return;
    const int cohort = Jahrgang();
    if (cohort == 0)
        return;
    blocking::Loaded loaded;
    {
        ui::Busy busy(host_);
        db::Connection c(s_.databasePath(), db::Connection::Mode::Existing, saveLockTimeoutMs);
        // The panel's model, where no command has made it stale since it was read.
        const bool current = !bewertungPending && !coursesStale_ && !studentsStale_;
        loaded = blocking::loadForPlan(c, {s_.SchjID, s_.SchjBez}, cohort,
                                       current ? bewertungModel_.get() : nullptr, bewertungState_);
    }
    fitToGrid(loaded.model);
    frmAutoSetzen window(std::move(loaded.model), host_);
    host_.showModal(window);
    if (window.accepted() && window.result())
        takeOver(window.model(), window.result()->placement, window.result()->assignment,
                 loaded.state);
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

SetzenK::AutoUndo SetzenK::snapshot() const {
    const ui::Grid& g = grdSchienen;
    AutoUndo undo;
    for (int row = 0; row < g.Rows(); ++row) {
        undo.cells.emplace_back();
        for (int col = 0; col < g.Cols(); ++col)
            undo.cells.back().push_back(g.TextMatrix(row, col));
    }
    undo.fixed = fixiert;
    undo.lnKurse = LNKurse.lines();
    return undo;
}

void SetzenK::takeOver(const blocking::Model& m, const blocking::Placement& p,
                       const blocking::Assignment& a, const QByteArray& readState) {
    AutoUndo undo = snapshot();
    db::Connection c(s_.databasePath(), db::Connection::Mode::Existing, saveLockTimeoutMs);
    const CourseNames named = courseNames(c, m, s_.SchjID);
    FixedEntries fixed;
    const std::vector<QStringList> columns = plannedColumns(m, p, named, fixed);
    // LNKurse: other courses' lines as they stand, the cohort's with the hours left.
    QStringList waiting;
    for (const QString& line : LNKurse.lines())
        if (!planned(m, named, m.courseIndex(CourseEntry::key(line))))
            waiting << line;
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!planned(m, named, static_cast<int>(k)))
            continue;
        const int rest = m.courses[k].hours - m.placedHours(p, static_cast<int>(k));
        if (rest > 0)
            waiting << entryOf(m, named, static_cast<int>(k), rest);
    }

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
                const QByteArray ckkursAfter = ckkursChecksum(c);
                tx.commit();
                // What this window wrote is no other program's save.
                if (ckkursBefore == ckkursAtLoading_)
                    ckkursAtLoading_ = ckkursAfter;
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
    undo_ = std::move(undo);
    setEnabled(QStringLiteral("menuBearbRueck"), true);

    ui::Grid& g = grdSchienen;
    int longest = 0;
    for (const QStringList& entries : columns)
        longest = std::max(longest, static_cast<int>(entries.size()));
    g.setRows(std::max(g.Rows(), longest + 1));
    for (int col = 0; col < g.Cols(); ++col) {
        takeEntries(col);
        putEntries(col, columns[col]);
    }
    fitRows();
    fixiert = fixed;
    LNKurse.setLines(waiting);
    SortLNKurse();
    studentsChanged(c);
    emit changed();
}

std::vector<QStringList>
SetzenK::plannedColumns(const blocking::Model& m, const blocking::Placement& p,
                        const QHash<int, std::pair<QString, QString>>& named,
                        FixedEntries& fixed) const {
    // Each column's new entries and marks: what the plan does not place stays, the cohort's
    // courses stand where the plan puts them.
    const ui::Grid& g = grdSchienen;
    std::vector<QStringList> columns(g.Cols());
    const std::vector<int> railOf = railOfColumn(m);
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
                fixed.set(col, key, fixiert.has(col, key));
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

void SetzenK::menuBearbRueck_Click() {
    if (!undo_)
        return;
    db::Connection c(s_.databasePath(), db::Connection::Mode::Existing, saveLockTimeoutMs);
    bool undone = false;
    {
        ui::Busy busy(host_);
        db::Transaction tx(c);
        const QByteArray ckkursBefore = ckkursChecksum(c);
        undone = blocking::undo(c, undo_->written);
        if (undone) {
            const QByteArray ckkursAfter = ckkursChecksum(c);
            tx.commit();
            if (ckkursBefore == ckkursAtLoading_)
                ckkursAtLoading_ = ckkursAfter;
        }
    }
    if (!undone) {
        // The grid keeps the plan, as the file does.
        dropUndo();
        ui::tell(host_,
                 QStringLiteral("Rückgängig ist nicht mehr möglich: Schienen oder Belegungen "
                                "wurden inzwischen von einem anderen Programm geändert."),
                 ui::Icon::Exclamation);
        return;
    }
    ui::Grid& g = grdSchienen;
    g.setRows(static_cast<int>(undo_->cells.size()));
    for (int row = 0; row < g.Rows(); ++row)
        for (int col = 0; col < g.Cols(); ++col)
            g.setTextMatrix(row, col, undo_->cells[row][col]);
    if (g.Rows() > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    fixiert = undo_->fixed;
    LNKurse.setLines(undo_->lnKurse);
    studentsChanged(c);
    dropUndo();
    emit changed();
}

void SetzenK::dropUndo() {
    undo_.reset();
    setEnabled(QStringLiteral("menuBearbRueck"), false);
}

void SetzenK::studentsChanged(db::Connection& c) {
    LSchueler.clear();
    LSchImBlock.clear();
    LKollisionen.clear();
    txtMld.clear();
    lblKoll.clear();
    zaehleSchueler(c);
    GKursStUp(c);
}

} // namespace placement
