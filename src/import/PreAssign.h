#pragma once

#include <QString>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}
namespace common {
class frmFMld;
}

namespace importer {

// The pre-assignment after an import: every choice of a student of the two current cohorts
// that has no course for his year group yet gets the first fitting course of the school year (a
// year-13 student the course whose name continues his year-12 course's). Choices without any
// course are listed in the message window. Runs in one transaction.
// Returns the lines written into the window.
QString Vorbesetzen(const platform::RunState& s, ui::Host& host, common::frmFMld& window);

// Vorbesetzen, then the message window shown modally when it holds a line.
void runPreAssignment(const platform::RunState& s, ui::Host& host);

} // namespace importer
