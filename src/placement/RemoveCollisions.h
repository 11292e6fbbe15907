#pragma once

#include "placement/Moves.h"
#include "placement/Workspace.h"

#include <QString>

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

// "Kollisionen beseitigen": moves each student of LKollisionen into parallel courses placed on
// the selected rails until his collisions are gone or no candidate is left; then refreshes the
// lists.
class RemoveCollisions {
public:
    RemoveCollisions(db::Connection& c, Workspace& ws, ui::Host& host);
    void run();

private:
    struct CollisionLookups;
    RailTable selectedRailTable() const;
    void removeCollisionsOf(db::Connection& c, const Workspace::Collision& student,
                            const RailTable& rails, CollisionLookups& lookups);

    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
};

} // namespace placement
