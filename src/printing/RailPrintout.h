#pragma once

namespace platform {
struct RunState;
}
namespace ui {
class Host;
}

namespace printing {

// "&Schienen" under "Dr&ucken": the rails of the school year that carry courses, five side by
// side, each with its hours and its courses with their number of students, in Courier New
// 12 pt. Every page repeats the header with its number ("Seite 1 von 2"); a band of rails stays
// on one page (only one taller than a page runs over). Reads the database only. An empty block
// table prints nothing; a school year without placed courses prints the header lines alone.
void DruckSchienen(platform::RunState& s, ui::Host& host);

} // namespace printing
