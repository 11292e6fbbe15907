#pragma once

#include <QString>

namespace ui {
class Host;
}
namespace shell {
struct RunState;
class frmFMld;
} // namespace shell

namespace importer {

// The pre-assignment after an import: every choice of a student of the two current cohorts
// that has no course for his year group yet gets the first fitting course of the school year (a
// year-13 student the course whose name continues his year-12 course's). Choices without any
// course are listed in the message window. Runs in one transaction.
// Returns the lines written into the window.
QString Vorbesetzen(const shell::RunState& s, ui::Host& host, shell::frmFMld& window);

// Vorbesetzen, then the message window shown modally when it holds a line.
void runPreAssignment(const shell::RunState& s, ui::Host& host);

} // namespace importer
