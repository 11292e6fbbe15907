#pragma once

#include "blocking/Model.h"
#include "blocking/Search.h"
#include "placement/Workspace.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace db {
class Connection;
}
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
    void run();
    // "Rückgängig": puts the cohort's placements and the students' courses in the file back
    // exactly as they were before the last plan was taken over, and the grid, its fixed marks
    // and LNKurse too. One step only, and only while no command has changed the placement or
    // moved students since, and no other program has written them.
    void undo();
    // Puts the plan p of the cohort's model m (fitted to the grid) into the grid and LNKurse,
    // as the file now holds it; writes nothing.
    void show(const blocking::Model& m, const blocking::Placement& p);

private:
    // Writes a plan of the cohort's model m, read in the state readState (blocking::readState),
    // and puts it into the grid and LNKurse; keeps what it replaced for "Rückgängig". When
    // another program has written placements or choices since, the planner is asked first.
    // The kept plans are saved as variants in the same transaction ("Rückgängig" leaves them).
    void takeOver(const blocking::Model& m, const blocking::Placement& p,
                  const blocking::Assignment& a, const QByteArray& readState,
                  const std::vector<blocking::KeptPlan>& kept = {});
    Workspace::AutoUndo snapshot() const;
    std::vector<QStringList> plannedColumns(const blocking::Model& m, const blocking::Placement& p,
                                            const QHash<int, std::pair<QString, QString>>& named,
                                            FixedEntries& fixed) const;

    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
    platform::RunState& s_;
};

} // namespace placement
