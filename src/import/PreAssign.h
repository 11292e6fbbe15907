#pragma once

#include "db/Courses.h"

#include <QString>
#include <vector>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}
namespace common {
class frmFMld;
}
namespace db {
class Connection;
}

namespace importer {

// A course the look-up found: its key (KS_VFP_ID) and its designation (KS_BEZ, trimmed).
using CourseCandidate = db::courses::Candidate;

// The courses of school year schjId that teach subject at year-group code code ("11", "12",
// "50" ...) and course kind kind ("L", "K" ...), in stored order. Year group yg "12" looks in the
// first two subject columns, any other yg in the third and fourth. The pre-assignment and the
// course-choice editor both choose their courses from this list.
std::vector<CourseCandidate> findCourses(db::Connection& c, const QString& schjId,
                                         const QString& subject, const QString& kind,
                                         const QString& code, const QString& yg);

// Whether a choice of type art ("L", "A", "S" ...) has a course in year group yg: in "12" the
// types L, A, S, C, X count, in "13" L, B, S, C, X ("A" has no year-13 course, "B" no year-12
// one).
bool countsInYearGroup(const QString& art, const QString& yg);

// The line that tells a choice found no course: cohort, subject short name (its key when the
// subject is unknown) in 4 characters, and the student's family name.
QString notServedLine(const QString& phase, const QString& subject, const QString& name);

// The pre-assignment after an import: every choice of a student of the two current cohorts
// that has no course for his year group yet gets the first fitting course of the school year (a
// year-13 student the course whose name continues his year-12 course's). Choices without any
// course are listed in the message window. Runs in one transaction.
// Returns the lines written into the window.
QString Vorbesetzen(const platform::RunState& s, ui::Host& host, common::frmFMld& window);

// Vorbesetzen, then the message window shown modally when it holds a line.
void runPreAssignment(const platform::RunState& s, ui::Host& host);

} // namespace importer
