#include "PlannerRun.h"

#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/Generator.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

// 200 random steps of a planner on the demo school and on a generated school of two cohorts of
// 400: what the file and the screen hold afterwards is pinned by its digest, so that a change
// of how the workspace keeps its plan cannot change what its commands do. A failing run writes
// what it saw to the file named by KUBB_RUN_TRACE, to compare with a run of the code before.

namespace {

QString run(platform::RunState& s, std::uint32_t seed) {
    test::RandomHost host(seed);
    placement::SetzenK w(s, host);
    w.Form_Load();
    w.Bewerten();
    QStringList trace;
    for (int i = 0; i < 200; ++i)
        trace << test::randomStep(w, host);
    trace << host.shown << test::screen(w);
    w.SchrCkkurs();
    trace << test::dumpDatabase(s.databasePath());
    const QByteArray all = trace.join(QLatin1Char('\n')).toUtf8();
    if (const QByteArray to = qgetenv("KUBB_RUN_TRACE"); !to.isEmpty()) {
        QFile f(QString::fromLocal8Bit(to));
        if (f.open(QIODevice::WriteOnly))
            f.write(all);
    }
    return QString::fromLatin1(QCryptographicHash::hash(all, QCryptographicHash::Sha1).toHex());
}

} // namespace

TEST(RandomRun, DemoSchool) {
    test::TempDir tmp;
    test::ScriptedHost importing;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    ASSERT_TRUE(test::importDemoSchool(s, importing));
    EXPECT_EQ(run(s, 7), "1dcb3b45ee3a3896493f30ca80064cc368e26bbd");
}

TEST(RandomRun, GeneratedSchoolOfTwiceFourHundred) {
    test::TempDir tmp;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    s.SchjID = test::kGeneratedYear;
    s.SchjBez = test::kGeneratedYearBez;
    test::generateSchool(s.databasePath(), test::largeSchool());
    EXPECT_EQ(run(s, 11), "cba8c45817718038d250ddb7fce362c4ad7e5683");
}
