#pragma once

#include <QString>

namespace blocking {
class Model;
}
namespace common {
class CommandScope;
}
namespace db {
class Connection;
}
namespace platform {
struct RunState;
}

namespace placement {

class Workspace;

// "Bewertung": counts the evaluation of the cohort chosen in CmbJahrgang afresh: the cohort's
// model read again only where a command made it stale (all of it after a course was deleted, the
// students' courses after moves), the placement and the rails' hours taken from the grid. Shows
// what fails instead of throwing. The scope's connection is opened only where the model is read.
class Bewertung {
public:
    Bewertung(common::CommandScope& scope, Workspace& ws);
    void run();

    // CmbJahrgang: year groups 12 and 13 of the school year with their cohorts.
    static void fillJahrgaenge(db::Connection& c, Workspace& ws);
    // Fills LPlanKollisionen from the evaluation's model: one line per student of the chosen
    // cohort and rail where two or more of his courses meet (PlanCollisionLine), by name and
    // class; and LSchuelerSchienen for the student shown there, as long as he is listed.
    static void listPlanCollisions(Workspace& ws);
    // The courses of the student rail by rail in the grid's order (RailCoursesLine), then those
    // on no rail.
    static void showRailsOf(Workspace& ws, const QString& studentKey);

    // The chosen cohort's model, read again only as far as a command made it stale (all of it
    // after a course was deleted, the students' courses after moves); stale says whether
    // model() would read.
    static bool stale(const Workspace& ws, int cohort);
    static blocking::Model& model(db::Connection& c, Workspace& ws, int cohort);

private:
    static void readClasses(db::Connection& c, Workspace& ws);

    common::CommandScope& scope_;
    Workspace& ws_;
};

} // namespace placement
