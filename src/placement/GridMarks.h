#pragma once

#include <vector>

namespace blocking {
class Model;
}

namespace placement {

class Workspace;

// Marks the grid's cells and rails that break one of the planner's rules, as the evaluation's
// model with the workspace's placement sees them (Workspace::regelnJeZelle, regelnJeSchiene):
// a course on a rail it must not stand on (the rail too), two courses that must share their
// rails and do not, two that must not and do (where they meet), parallels of a subject that
// meet, a course a student must or must not sit in. railOf: the model's rail per grid column.
void markBrokenRules(Workspace& ws, const blocking::Model& m, const std::vector<int>& railOf);

} // namespace placement
