#pragma once

#include "exchange/Kurs42.h"

#include <QString>

namespace db {
class Connection;
}
namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

namespace exchange::kurs42 {

// One cohort of the file's school year (the first of schjahr) as a Kurs42 export, read in one
// read transaction: its students, the subjects of its offer, the school year's courses of those
// subjects and rails, the placements with their fixings, the course-not-on-rail rules as
// Gesperrt, the choices with the students' current courses. Names and values an import kept
// (db/KeptNames.h) come back as they were read; what the planner changed here comes from the
// tables. Rails are numbered in their order (BL_SORT), courses of one subject and kind counted
// for ParallelKursZahl/Nr. Throws std::runtime_error (German) for a cohort that is neither year
// group 12 nor 13 of the school year.
Export exportCohort(db::Connection& c, const QString& cohort);

// The cohorts of the file's school year (year group 12 or 13) that have students.
QStringList exportableCohorts(db::Connection& c);

// Datei - "Exportieren als Kurs42 ...": the cohort (asked when the school year has two), the
// zip file or folder, the export. False when cancelled.
bool exportCommand(platform::RunState& s, ui::Host& host);

} // namespace exchange::kurs42
