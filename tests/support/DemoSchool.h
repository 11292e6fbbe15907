#pragma once

#include <QString>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

namespace test {

// Imports the demo school (data/demo/QZ.DBC, 2009/2010, both cohorts) into a new file at
// s.databasePath() as the planner gets it: transfers, then the pre-assignment. Sets the school
// year in s. Returns false, with a test failure, when the container lacks that school year.
bool importDemoSchool(platform::RunState& s, ui::Host& host);

} // namespace test
