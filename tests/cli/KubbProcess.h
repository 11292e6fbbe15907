#pragma once

#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/School.h"
#include "support/TestDb.h"
#include "support/WinePrefix.h"
#include "ui/QuietHost.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

// kubb run as a user runs it, on the demo school.
namespace cli {

inline const QString kKubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// kubb, under strace with these options (the faults it injects) when there are any; killed by
// them, its code is -1.
inline Run traced(const QStringList& strace, const QStringList& args, int timeoutMs = 60000) {
    QProcess p;
    if (strace.isEmpty())
        p.start(kKubb, args);
    else
        p.start("strace",
                QStringList{"-f", "-qq", "-o", "/dev/null"} + strace + QStringList{kKubb} + args);
    EXPECT_TRUE(p.waitForFinished(timeoutMs)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline Run kubb(const QStringList& args, int timeoutMs = 60000) {
    return traced({}, args, timeoutMs);
}

// kubb expected to succeed: what it printed.
inline QString ok(const QStringList& args, int timeoutMs = 120000) {
    const Run run = kubb(args, timeoutMs);
    EXPECT_EQ(run.code, 0) << args.join(' ').toStdString() << run.err.toStdString();
    return run.out;
}

// Whether strace may trace here; some containers forbid it.
inline bool canTrace() {
    return QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) == 0;
}

// A copy of the demo school, imported once for all tests, as the file `name` in dir; the run
// state on it (school year set) as the import leaves it.
inline platform::RunState demoSchool(const test::TempDir& dir, const QString& name = "BB.MDB") {
    static test::TempDir imported;
    static platform::RunState state;
    static const bool done = [] {
        state.useDatabase(imported.path("BB.MDB"));
        ui::QuietHost quiet;
        return test::importDemoSchool(state, quiet);
    }();
    EXPECT_TRUE(done);
    QFile::copy(imported.path("BB.MDB"), dir.path(name));
    platform::RunState s = state;
    s.useDatabase(dir.path(name));
    return s;
}

} // namespace cli
