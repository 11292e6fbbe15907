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
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "placement/Layouts.h"
#include "placement/SavePlacement.h"
#include "placement/Workspace.h"
#include "placement/frmAutoSetzen.h"
#include "placement/frmRegeln.h"
#include "platform/RunState.h"
#include "ui/Host.h"

namespace placement {

AutoPlacement::AutoPlacement(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host), s_(ws.state()) {}

bool AutoPlacement::run(TakenOver& t) {
    ui::Grid& g = ws_.grdSchienen;
    // Placing over a cut rail would drop the courses held for inserting.
    if (ws_.refuseHeldColumn(0, g.Cols() - 1))
        return false;
    const int cohort = ws_.Jahrgang();
    if (cohort == 0)
        return false;
    blocking::Loaded loaded;
    {
        ui::Busy busy(host_);
        // The panel's model, where no command has made it stale since it was read.
        const bool current = !ws_.bewertungPending && !ws_.coursesStale && !ws_.studentsStale;
        loaded =
            blocking::loadForPlan(c_, {s_.SchjID, s_.SchjBez}, cohort,
                                  current ? ws_.bewertungModel.get() : nullptr, ws_.bewertungState);
    }
    ws_.fitToPlan(loaded.model);
    frmAutoSetzen window(std::move(loaded.model), host_);
    // Both year groups: the other one is 13 beside 12, 12 beside 13.
    QByteArray bothState;
    window.loadBoth = [&]() {
        ui::Busy busy(host_);
        const int partner = db::yearGroup(cohort, s_.SchjBez) == 12 ? cohort - 1 : cohort + 1;
        blocking::Loaded both =
            blocking::loadForPlan(c_, {s_.SchjID, s_.SchjBez}, {cohort, partner});
        ws_.fitToPlan(both.model);
        bothState = both.state;
        return std::move(both.model);
    };
    host_.showModal(window);
    if (window.zuDenRegeln) {
        frmRegeln rules(s_, host_);
        rules.Form_Load();
        host_.showModal(rules);
        ws_.coursesStale = ws_.coursesStale || rules.rulesChanged;
        return false;
    }
    if (!window.accepted() || !window.result())
        return false;
    t.model = window.model();
    t.placement = window.result()->placement;
    t.assignment = window.result()->assignment;
    takeOver(t, t.model.bothYearGroups() ? bothState : loaded.state, window.result()->kept);
    return t.inFile;
}

namespace {

const QString kPlanOverOther = QStringLiteral(
    "Schienen oder Belegungen wurden während der Suche von einem anderen Programm geändert. Den "
    "Plan trotzdem übernehmen?");

// The cohort's courses as the plan names them, by the model's course.
using CourseNames = QHash<int, PlanCourse>;

CourseNames courseNames(db::Connection& c, const blocking::Model& m, const QString& schjId) {
    CourseNames named;
    for (const db::courses::Course& course : db::courses::namesOfSchoolYear(c, schjId)) {
        const int k = m.courseIndex(course.key);
        if (k >= 0 && !named.contains(k))
            named.insert(k, {m.courses[k].key, course.bez, course.schj});
    }
    return named;
}

// What a plan places: the cohort's courses with hours, as fitToPlan leaves them.
bool planned(const blocking::Model& m, const CourseNames& named, int k) {
    return k >= 0 && m.courses[k].own && m.courses[k].hours > 0 && named.contains(k);
}

} // namespace

void AutoPlacement::takeOver(TakenOver& t, const QByteArray& readState,
                             const std::vector<blocking::KeptPlan>& kept) {
    t.before = ws_.plan;
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
            std::optional<blocking::Written> written =
                blocking::write(c, t.model, t.placement, t.assignment, expected);
            if (written) {
                // The kept plans with the plan, in its transaction: both or neither.
                if (!kept.empty())
                    blocking::saveKept(c, {s_.SchjID, s_.SchjBez}, t.model, kept);
                commitOwn(tx, ckkursBefore);
                t.written = std::move(*written);
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
    t.inFile = true;
    show(t.model, t.placement);
    t.after = ws_.plan;
}

void AutoPlacement::commitOwn(db::Transaction& tx, const QByteArray& ckkursBefore) {
    const QByteArray ckkursAfter = ckkursChecksum(c_);
    tx.commit();
    // What this window wrote is no other program's save.
    if (ckkursBefore == ws_.ckkursAtLoading)
        ws_.ckkursAtLoading = ckkursAfter;
}

void AutoPlacement::show(const blocking::Model& m, const blocking::Placement& p) {
    db::Connection& c = c_;
    const CourseNames named = courseNames(c, m, s_.SchjID);
    for (const PlanCourse& course : named)
        ws_.plan.addCourse(course);
    const std::vector<std::vector<Placed>> rails = plannedRails(m, p, named);
    // LNKurse: other courses' lines as they stand, the cohort's with the hours left.
    std::vector<Waiting> waiting;
    for (const Waiting& w : ws_.plan.waiting)
        if (!planned(m, named, m.courseIndex(w.course)))
            waiting.push_back(w);
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!planned(m, named, static_cast<int>(k)))
            continue;
        const int rest = m.courses[k].hours - m.placedHours(p, static_cast<int>(k));
        if (rest > 0)
            waiting.push_back({m.courses[k].key, rest});
    }
    for (size_t col = 0; col < rails.size(); ++col)
        ws_.plan.rails[col].courses = rails[col];
    ws_.showRails();
    ws_.setWaiting(std::move(waiting));
    ws_.SortLNKurse(c);
    ws_.studentsChanged(c);
    ws_.showChanges();
}

std::vector<std::vector<Placed>> AutoPlacement::plannedRails(const blocking::Model& m,
                                                             const blocking::Placement& p,
                                                             const CourseNames& named) const {
    std::vector<std::vector<Placed>> out(ws_.plan.rails.size());
    const std::vector<int> railOf = ws_.railOfColumn(m);
    for (size_t col = 0; col < out.size(); ++col) {
        const int r = railOf[col];
        std::vector<char> present(m.courses.size(), 0);
        for (const Placed& q : ws_.plan.rails[col].courses) {
            const int k = m.courseIndex(q.course);
            if (r < 0 || !planned(m, named, k)) {
                out[col].push_back(q);
            } else if (p.rails[k].has(r)) {
                out[col].push_back({q.course, q.hours, p.fixed[k].has(r)});
                present[k] = 1;
            }
        }
        if (r < 0)
            continue;
        for (size_t k = 0; k < m.courses.size(); ++k) {
            if (!planned(m, named, static_cast<int>(k)) || present[k] || !p.rails[k].has(r))
                continue;
            out[col].push_back({m.courses[k].key, ws_.plan.rails[col].hours, p.fixed[k].has(r)});
        }
    }
    return out;
}

bool AutoPlacement::undo(TakenOver& t) {
    db::Connection& c = c_;
    bool undone = false;
    {
        ui::Busy busy(host_);
        db::Transaction tx(c);
        const QByteArray ckkursBefore = ckkursChecksum(c);
        undone = blocking::undo(c, t.written);
        if (undone) {
            t.undoneState = blocking::readState(c);
            commitOwn(tx, ckkursBefore);
        }
    }
    if (!undone) {
        // The grid keeps the plan, as the file does.
        ui::tell(host_,
                 QStringLiteral("Rückgängig ist nicht mehr möglich: Schienen oder Belegungen "
                                "wurden inzwischen von einem anderen Programm geändert."),
                 ui::Icon::Exclamation);
        return false;
    }
    putBack(t.before);
    return true;
}

bool AutoPlacement::redo(TakenOver& t) {
    db::Connection& c = c_;
    std::optional<blocking::Written> written;
    {
        ui::Busy busy(host_);
        db::Transaction tx(c);
        const QByteArray ckkursBefore = ckkursChecksum(c);
        written = blocking::write(c, t.model, t.placement, t.assignment, t.undoneState, t.cleared);
        if (written)
            commitOwn(tx, ckkursBefore);
    }
    if (!written) {
        ui::tell(host_,
                 QStringLiteral("Wiederherstellen ist nicht mehr möglich: Schienen oder "
                                "Belegungen wurden inzwischen von einem anderen Programm "
                                "geändert."),
                 ui::Icon::Exclamation);
        return false;
    }
    t.written = std::move(*written);
    putBack(t.after);
    return true;
}

void AutoPlacement::putBack(const Plan& p) {
    ws_.showPlan(p);
    ws_.studentsChanged(c_);
    ws_.showChanges();
}

VariantPlanCommand::VariantPlanCommand(Workspace& ws, ui::Host& host, blocking::Applied taken,
                                       Plan before)
    : ws_(ws), host_(host) {
    t_.model = std::move(taken.model);
    t_.placement = std::move(taken.placement);
    t_.assignment = std::move(taken.assignment);
    t_.written = std::move(taken.written);
    t_.cleared = std::move(taken.cleared);
    t_.before = std::move(before);
    t_.after = ws.plan;
    t_.inFile = true;
}

} // namespace placement
