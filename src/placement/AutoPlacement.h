#pragma once

#include "blocking/Model.h"
#include "blocking/Search.h"
#include "blocking/Variants.h"
#include "placement/Workspace.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace db {
class Connection;
class Transaction;
} // namespace db
namespace platform {
struct RunState;
}
namespace ui {
class Host;
}

namespace placement {

// "Automatisch setzen ..." and "Rückgängig": the automatic blocking of the cohort chosen in
// CmbJahrgang, in the window frmAutoSetzen. When the planner takes its plan over, the cohort's
// placements (ckkurs) and its students' courses are written in one transaction, so that the file
// holds one whole plan whatever is answered on closing; the cohort's courses stand in the grid
// and LNKurse as the plan has them, the other cohort's entries stay (and are saved on closing, as
// every placement). Refused while a rail is cut.
class AutoPlacement {
public:
    AutoPlacement(db::Connection& c, Workspace& ws, ui::Host& host);

    // What taking a plan over wrote and replaced, to take it back and do it again.
    struct TakenOver {
        blocking::Model model;
        blocking::Placement placement;
        blocking::Assignment assignment;
        blocking::Written written;
        Plan before;
        Plan after;
        QByteArray undoneState; // blocking::readState after undoing it
        bool inFile = false;
        std::vector<qint64> cleared; // choices the plan leaves without a course
    };
    // Searches in frmAutoSetzen and takes the plan over when the planner accepts it; whether a
    // plan went into the file (then t holds it, also when showing it failed).
    bool run(TakenOver& t);
    // "Rückgängig": puts the cohort's placements and the students' courses in the file back
    // exactly as they were before the plan was taken over, and the workspace's plan too; only
    // while no other program has written them since. "Wiederherstellen": writes it again, only
    // while the file stands as the undoing left it.
    bool undo(TakenOver& t);
    bool redo(TakenOver& t);
    // Puts the plan p of the cohort's model m (fitted to the grid) into the grid and LNKurse,
    // as the file now holds it; writes nothing.
    void show(const blocking::Model& m, const blocking::Placement& p);

private:
    // Writes a plan of the cohort's model m, read in the state readState (blocking::readState),
    // and puts it into the grid and LNKurse; keeps what it replaced for "Rückgängig". When
    // another program has written placements or choices since, the planner is asked first.
    // The kept plans are saved as variants in the same transaction ("Rückgängig" leaves them).
    void takeOver(TakenOver& t, const QByteArray& readState,
                  const std::vector<blocking::KeptPlan>& kept);
    // Commits a write of this window; ckkurs as written is no other program's save.
    void commitOwn(db::Transaction& tx, const QByteArray& ckkursBefore);
    void putBack(const Plan& p);
    // Each rail's courses as the plan has them: what the plan does not place stays, the
    // cohort's courses stand where the plan puts them.
    std::vector<std::vector<Placed>> plannedRails(const blocking::Model& m,
                                                  const blocking::Placement& p,
                                                  const QHash<int, PlanCourse>& named) const;

    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
    platform::RunState& s_;
};

// "Automatisch setzen ..." as a command of the history.
class AutoPlanCommand : public PlanCommand {
public:
    AutoPlanCommand(Workspace& ws, ui::Host& host) : ws_(ws), host_(host) {}
    QString caption() const override { return QStringLiteral("Automatisch setzen"); }
    Effect effect() const override { return Effect::Auto; }
    void run(db::Connection& c) override { AutoPlacement(c, ws_, host_).run(t_); }
    bool changed() const override { return t_.inFile; }
    bool undo(db::Connection& c) override { return AutoPlacement(c, ws_, host_).undo(t_); }
    bool redo(db::Connection& c) override { return AutoPlacement(c, ws_, host_).redo(t_); }

private:
    Workspace& ws_;
    ui::Host& host_;
    AutoPlacement::TakenOver t_;
};

// A variant taken over in frmVarianten, as a command of the history: it ran in that window;
// undoing and redoing it are those of an automatic plan.
class VariantPlanCommand : public PlanCommand {
public:
    // before: the workspace's plan before the variant was taken over; it shows the variant now.
    VariantPlanCommand(Workspace& ws, ui::Host& host, blocking::Applied taken, Plan before);
    QString caption() const override { return QStringLiteral("Variante übernehmen"); }
    Effect effect() const override { return Effect::Auto; }
    void run(db::Connection&) override {}
    bool changed() const override { return true; }
    bool undo(db::Connection& c) override { return AutoPlacement(c, ws_, host_).undo(t_); }
    bool redo(db::Connection& c) override { return AutoPlacement(c, ws_, host_).redo(t_); }

private:
    Workspace& ws_;
    ui::Host& host_;
    AutoPlacement::TakenOver t_;
};

} // namespace placement
