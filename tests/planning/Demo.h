#pragma once

#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

namespace test {

// The demo school as the planner gets it from the import, in a folder of its own.
struct Demo {
    TempDir tmp;
    ScriptedHost host;
    platform::RunState s;
    bool ok = false;
    Demo() {
        s.DatenPfad = tmp.dir();
        s.DatenDatei = QStringLiteral("BB.MDB");
        ok = importDemoSchool(s, host);
    }
};

} // namespace test
