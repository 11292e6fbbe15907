// kubb block --keep-variants stores the plan and its variants in one transaction: killed, or a
// write, sync or unlink failing, at any of its calls, the file holds the old plan without them or
// the new plan with them, and kubb fails exactly where nothing was stored.
#include "KubbProcess.h"

#include "blocking/Blocks.h"
#include "blocking/Variants.h"

namespace {

const blocking::SchoolYear kYear{test::kYear, "2009/2010"};
const QStringList kCalls = {"write",     "pwrite64", "fsync",     "fdatasync",
                            "ftruncate", "unlink",   "renameat2", "rename"};

// "old": the plan as before, without variants; "new": as many variants as a whole run stores,
// the first of them the plan the file holds; otherwise what is wrong.
QString stateOf(const QString& path, const QStringList& before, size_t variants) {
    db::Connection c(path);
    const std::vector<blocking::VariantInfo> kept = blocking::list(c, kYear, 2009);
    if (kept.empty())
        return test::planRows(path) == before ? "old" : "a new plan without its variants";
    const blocking::VariantDiff d =
        blocking::diff(c, kYear, 2009, blocking::kCurrentPlan, kept.front().name);
    return kept.size() == variants && d.courses.isEmpty() && d.students.isEmpty()
               ? "new"
               : "variants apart from the plan";
}

// How often kubb makes each of the calls (only those on the paths, where given).
QMap<QString, int> callsOf(const QStringList& args, const QStringList& paths, const QString& log) {
    QStringList options{
        "-f", "-qq", "-c", "-U", "name,calls", "-o", log, "-e", "trace=" + kCalls.join(',')};
    for (const QString& p : paths)
        options << "-P" << p;
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start("strace", options + QStringList{cli::kKubb} + args);
    EXPECT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0);
    QMap<QString, int> counts;
    QFile f(log);
    f.open(QIODevice::ReadOnly);
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
        const QStringList w = line.simplified().split(' ');
        if (w.size() == 2 && kCalls.contains(w[0]))
            counts[w[0]] = w[1].toInt();
    }
    return counts;
}

} // namespace

TEST(KubbBlock, StoresThePlanWithItsVariantsOrNeitherWhereverItIsKilledOrAWriteFails) {
    if (!cli::canTrace())
        GTEST_SKIP() << "strace is missing or cannot trace here";
    test::Blocks s;
    s.sample(60, 7);
    const QString path = s.path();
    const QString start = s.tmp.path("START.MDB");
    ASSERT_TRUE(QFile::copy(path, start));
    const QStringList before = test::planRows(start);
    // The search ends with its proof of optimality within milliseconds, always with the same
    // plans; the time limit is only a ceiling, so that a slow run (the sanitizers, a loaded
    // machine) stores what every other run stores.
    const QStringList args{
        "block", "--db",   path, "--cohort",  "2009", "--mode",          "all", "--seconds",
        "30",    "--seed", "1",  "--threads", "1",    "--keep-variants", "2"};
    const auto fresh = [&] {
        QFile::remove(path + "-journal");
        ASSERT_TRUE(QFile::remove(path) && QFile::copy(start, path));
    };
    cli::ok(args);
    size_t variants = 0;
    {
        db::Connection c(path);
        variants = blocking::list(c, kYear, 2009).size();
    }
    ASSERT_GT(variants, 0u);
    ASSERT_EQ(stateOf(path, before, variants), "new");

    // Killed before any of its calls.
    fresh();
    for (const auto& [call, n] : callsOf(args, {}, s.tmp.path("calls")).asKeyValueRange())
        for (int at = 1; at <= n; ++at) {
            SCOPED_TRACE((call + " no. " + QString::number(at)).toStdString());
            fresh();
            const cli::Run r =
                cli::traced({"-e", "trace=" + call, "-e",
                             QStringLiteral("inject=%1:signal=KILL:when=%2").arg(call).arg(at)},
                            args);
            const QString now = stateOf(path, before, variants);
            EXPECT_TRUE(now == "old" || now == "new") << now.toStdString();
            EXPECT_TRUE(r.code == -1 || now == "new") << r.err.toStdString();
        }
    // A full disk or an I/O error at any call on the file or its journal: exit 1 only with the
    // old plan.
    fresh();
    const QStringList files{path, path + "-journal"};
    for (const auto& [call, n] : callsOf(args, files, s.tmp.path("calls")).asKeyValueRange())
        for (int at = 1; at <= n; ++at) {
            SCOPED_TRACE((call + " no. " + QString::number(at)).toStdString());
            fresh();
            const QString error = call.contains("write") ? "ENOSPC" : "EIO";
            const cli::Run r =
                cli::traced({"-P", files[0], "-P", files[1], "-e", "trace=" + call, "-e",
                             QStringLiteral("inject=%1:error=%2:when=%3").arg(call, error).arg(at)},
                            args);
            EXPECT_EQ(stateOf(path, before, variants), QString(r.code == 0 ? "new" : "old"))
                << r.err.toStdString();
            EXPECT_TRUE(r.code == 0 || r.code == 1);
        }
}
