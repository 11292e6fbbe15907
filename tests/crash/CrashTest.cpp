// Every flow that writes files, killed with SIGKILL before its Nth call of one writing system
// call (strace injects the signal), for each such call and N = 1, 2, ... until the flow completes:
// what is left must be the old state or the new one, each file whole, never a mix unless a
// journal says so. The exports also with an injected error at each such call.
#include "db/Database.h"
#include "db/Schema.h"
#include "support/TestDb.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

const QString kKubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");
const QString kProbe = QStringLiteral(KUBB_BINARY_DIR "/tests/kubb_crash_probe");
const QString kRules = QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data/rules/QZ.DBC");

// The calls that change files. openat needs none of its own: what it leaves is seen by the kill
// at the next of these calls.
const QStringList kSyscalls = {"write",     "pwrite64", "ftruncate", "fsync",
                               "fdatasync", "rename",   "renameat",  "renameat2",
                               "link",      "linkat",   "unlink",    "unlinkat"};
// At most this many kills per call, in even steps, so that the test stays within a minute.
constexpr int kSamples = 40;

struct Flow {
    QString name;
    QStringList command; // "@" stands for the run folder
    QStringList changes; // the files the completed flow has written
    // An export: run again after a kill or a failure, it completes; while a kill leaves its
    // journal, this reader refuses the folder naming it.
    bool repeatable = false;
    QStringList reader = {};
};

const QString kJournal = QStringLiteral("EXPORT-UNVOLLSTAENDIG.txt");
// The files of a Kurs42 export.
const QStringList kKurs42 = {"Blockplan.txt", "Blockung.txt",     "Fachwahlen.txt",
                             "Faecher.txt",   "Kursbelegung.txt", "Kurse.txt",
                             "Schienen.txt",  "Schueler.txt",     "ZulKurse.txt"};

// kubb import of school year 2009/2010 of the "rules" container, of cohort 2009 and what follows.
QStringList kubbImport(const QStringList& more) {
    return QStringList{kKubb,           "import",    "--container", kRules,
                       "--school-year", "2009/2010", "--cohort",    "2009"} +
           more;
}

const std::vector<Flow> kFlows = {
    {"Ja", {kProbe, "ja", "@"}, {"BB.MDB"}},
    {"Nein", {kProbe, "nein", "@"}, {"NEU.MDB", "TCLASSK"}},
    {"Importfenster", {kProbe, "import", "@"}, {"ALT.MDB", "TCLASSK"}},
    {"Export",
     {kKubb, "export", "--db", "@BB.MDB", "--cohort", "2008", "--to", "@"},
     {"MERIX.BL", "MERIX.CK", "MERIX.GK", "MERIX.KO"},
     true},
    {"Kurs42 folder",
     {kKubb, "export-kurs42", "--db", "@BB.MDB", "--cohort", "2008", "--to", "@"},
     kKurs42,
     true,
     {kKubb, "import-kurs42", "--from", "@", "--output", "@K42.MDB"}},
    {"Kurs42 zip",
     {kKubb, "export-kurs42", "--db", "@BB.MDB", "--cohort", "2008", "--to", "@K42.zip"},
     {"K42.zip"},
     true},
    {"GPU-Export",
     {kKubb, "export-untis", "--db", "@BB.MDB", "--cohort", "2008", "--to", "@"},
     {"GPU002.TXT", "GPU010.TXT", "GPU015.TXT", "GPU019.TXT"},
     true},
    {"kubb import",
     kubbImport({"--output", "@NEU.MDB", "--pointer-dir", "@"}),
     {"NEU.MDB", "TCLASSK"}},
    {"kubb create", {kKubb, "create", "--output", "@LEER.MDB"}, {"LEER.MDB"}},
};

// The sanitizer runtime probes memory with write() and stops dead when an injected error hits the
// probe: under the sanitizers these tests are left to the plain build.
#ifdef KUBB_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// What run gives for a run that the injected signal killed.
const QString kKilled = QStringLiteral("killed");

// The command under strace with these options.
QStringList straced(const QStringList& command, const QStringList& options) {
    return QStringList{"strace", "-f", "-qq", "-o", "/dev/null"} + options + command;
}

// "" for a run that ended well; else kKilled or the output of a run that ended with an error.
QString run(QStringList argv) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(argv.takeFirst(), argv);
    if (!p.waitForFinished(60000))
        return "no end within a minute";
    // strace ends itself with the signal that killed the flow.
    if (p.exitStatus() == QProcess::CrashExit)
        return kKilled;
    return p.exitCode() == 0 ? QString() : QString::fromLocal8Bit(p.readAll());
}

// strace must be able to trace here: some containers forbid ptrace.
bool straceWorks() {
    return run(straced({"true"}, {})).isEmpty();
}

// What a file holds: a database, opened as the program opens it (a hot journal is rolled back),
// must be a sound block-formation database; then every file is the hash of its bytes.
QString stateOf(const QString& path) {
    QString tag;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly) && f.peek(16) == QByteArray("SQLite format 3\0", 16)) {
        f.close();
        try {
            db::Connection c(path);
            if (c.scalar("PRAGMA application_id").toInt() != db::kApplicationId)
                return "a foreign database";
            const QString check = c.scalar("PRAGMA integrity_check").toString();
            if (check != "ok")
                return "damaged: " + check;
        } catch (const std::exception& e) {
            return QStringLiteral("not to be opened: ") + e.what();
        }
        tag = "db ";
    }
    if (!f.isOpen() && !f.open(QIODevice::ReadOnly))
        return "unreadable";
    return tag + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex().left(12);
}

using Snapshot = QMap<QString, QString>; // file name -> state; a missing file has none

Snapshot snapshot(const QString& dir) {
    Snapshot s;
    // By name, so that a database comes before its journal, which opening it removes.
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (QFileInfo::exists(dir + name))
            s[name] = stateOf(dir + name);
    return s;
}

// What is wrong with what a kill left, "" when nothing. Each file of the old or the new state is
// as it was or as the flow leaves it. Files of both kinds stand side by side only while the
// pointer file still names the old database (the new one is complete before it is named; a file
// the flow creates may then be a whole copy of the old database: "Nein" copies first), or, in a
// flow without pointer file, while a set of files is renamed into place: no file system
// replaces several in one step, so the set's journal must stand beside them, saying so. The
// pointer file names a sound database in the run folder.
QString fault(const Snapshot& old, const Snapshot& done, const Snapshot& now, const QString& dir) {
    const QString pointer = QStringLiteral("TCLASSK");
    const bool switches = done.value(pointer) != old.value(pointer);
    const bool beforeSwitch = switches && now.value(pointer) == old.value(pointer);
    QStringList names = old.keys() + done.keys();
    names.removeDuplicates();
    QStringList wrong;
    bool allOld = true;
    for (const QString& name : names) {
        const QString s = now.value(name);
        allOld = allOld && s == old.value(name);
        const bool copy = beforeSwitch && !old.contains(name) && s == old.value("BB.MDB");
        if (s != old.value(name) && s != done.value(name) && !copy)
            wrong << name + ": " + (s.isEmpty() ? QStringLiteral("missing") : s);
    }
    // Where all are new, no name is reported.
    if (!beforeSwitch && !allOld && (switches || !now.contains(kJournal)))
        for (const QString& name : names)
            if (now.value(name) != done.value(name))
                wrong << name + " is old among new files";
    if (now.contains(pointer)) {
        QFile f(dir + pointer);
        const QString named =
            f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
        if (!named.startsWith(dir) || !now.value(named.mid(dir.size())).startsWith("db "))
            wrong << pointer + " names " + named + ", no sound database";
    }
    return wrong.join("; ");
}

class Crash : public ::testing::Test {
protected:
    void SetUp() override {
        if (kSanitized)
            GTEST_SKIP() << "under the sanitizers the crash test is skipped";
        if (!straceWorks())
            GTEST_SKIP() << "strace is missing or cannot trace here: the crash test is skipped";
        // The starting point of every run: a database with its pointer file, an older one to
        // import over, and the export files of an earlier export.
        ASSERT_EQ(run(kubbImport({"--cohort", "2008", "--output", base.path("BB.MDB")})), "");
        ASSERT_TRUE(QFile::copy(base.path("BB.MDB"), base.path("ALT.MDB")));
        base.write("TCLASSK", (runDir() + "BB.MDB\r\n").toUtf8());
        for (const QString& name :
             kKurs42 + QStringList{"MERIX.BL", "MERIX.CK", "MERIX.GK", "MERIX.KO", "K42.zip",
                                   "GPU002.TXT", "GPU010.TXT", "GPU015.TXT", "GPU019.TXT"})
            base.write(name, ("voriger Export " + name + "\r\n").toUtf8());
    }

    QString runDir() const { return tmp.path("run/"); }
    // The run folder as the starting point holds it.
    void reset() {
        QDir(runDir()).removeRecursively();
        QDir().mkpath(runDir());
        for (const QString& name : QDir(base.dir()).entryList(QDir::Files))
            QFile::copy(base.path(name), runDir() + name);
    }
    QStringList command(const QStringList& c) const {
        return QStringList(c).replaceInStrings("@", runDir());
    }
    QStringList command(const Flow& f) const { return command(f.command); }
    // A run a kill or a failure interrupted: while its journal stands the reader refuses the
    // folder naming it; the next run completes.
    void repeat(const Flow& flow, const Snapshot& done, const std::string& point) {
        if (!flow.reader.isEmpty() && QFileInfo::exists(runDir() + kJournal)) {
            EXPECT_TRUE(run(command(flow.reader)).contains(kJournal)) << point;
        }
        ASSERT_EQ(run(command(flow)), "");
        EXPECT_EQ(snapshot(runDir()), done) << "repeated after " << point;
    }
    // The flow run to its end: the new state, and how often it makes each call.
    std::map<QString, int> complete(const Flow& flow, const Snapshot& old, Snapshot& done) {
        reset();
        EXPECT_EQ(run(straced(command(flow), {"-c", "-U", "name,calls", "-o", tmp.path("counts"),
                                              "-e", "trace=" + kSyscalls.join(',')})),
                  "");
        done = snapshot(runDir());
        QStringList changed = done.keys() + old.keys();
        changed.removeDuplicates();
        changed.removeIf([&](const QString& name) { return done.value(name) == old.value(name); });
        changed.sort();
        EXPECT_EQ(changed, flow.changes) << "no temporary file is left, nothing else changes";
        std::map<QString, int> counts;
        for (const QString& line : QString::fromUtf8(tmp.read("counts")).split('\n')) {
            const QStringList f = line.simplified().split(' ');
            if (f.size() == 2 && kSyscalls.contains(f[0]))
                counts[f[0]] = f[1].toInt();
        }
        return counts;
    }
    // The flow run with one injected fault ("signal=KILL", "error=EIO") at the call's at-th
    // time: "" for a run that ended well, else kKilled or what it said.
    QString injected(const Flow& flow, const QString& call, const QString& fault, int at) {
        reset();
        return run(straced(command(flow),
                           {"-e", "trace=" + call, "-e",
                            QStringLiteral("inject=%1:%2:when=%3").arg(call, fault).arg(at)}));
    }

    test::TempDir tmp;
    test::TempDir base;
};

// Up to kSamples points of n calls, in even steps, the last one included.
std::vector<int> points(int n) {
    std::vector<int> at;
    for (int i = 1; i <= n; i = i < n ? std::min(i + std::max(1, n / kSamples), n) : n + 1)
        at.push_back(i);
    return at;
}

TEST_F(Crash, EveryKillLeavesTheOldOrTheNewStateWhole) {
    const Snapshot old = snapshot(base.dir()); // as reset() leaves the run folder
    for (const Flow& flow : kFlows) {
        SCOPED_TRACE(flow.name.toStdString());
        Snapshot done;
        for (const auto& [call, n] : complete(flow, old, done)) {
            for (const int at : points(n)) {
                const std::string point =
                    "killed before " + call.toStdString() + " no. " + std::to_string(at);
                const QString r = injected(flow, call, "signal=KILL", at);
                ASSERT_TRUE(r.isEmpty() || r == kKilled) << r.toStdString() << point;
                const Snapshot now = snapshot(runDir());
                if (r.isEmpty()) { // fewer calls this time
                    EXPECT_EQ(now, done) << point;
                    continue;
                }
                EXPECT_EQ(fault(old, done, now, runDir()), "") << point;
                if (flow.repeatable && now.keys() != done.keys())
                    repeat(flow, done, point);
                const QStringList temporary{"NEU.MDB.tmp-*"};
                if (flow.name == "kubb import" && !QDir(runDir()).entryList(temporary).isEmpty()) {
                    // The next import of the same file removes the database and journal the
                    // killed one left (once the file it may have completed is gone).
                    QFile::remove(runDir() + "NEU.MDB");
                    ASSERT_EQ(run(command(flow)), "");
                    EXPECT_EQ(QDir(runDir()).entryList(temporary), QStringList())
                        << "after " << point;
                }
            }
            EXPECT_EQ(injected(flow, call, "signal=KILL", n + 1), "")
                << call.toStdString() << ": killed at every call, not after";
            EXPECT_EQ(snapshot(runDir()), done) << "a completed run, without leftovers";
        }
    }
}

// The exports with a full disk or an I/O error at each call: a run that ends well has written
// everything; one that fails says so in German and leaves the old files, or (a failure after
// some renames) the journal, and the next run completes.
TEST_F(Crash, EveryFailureOfAnExportLeavesTheOldStateOrAJournal) {
    const Snapshot old = snapshot(base.dir());
    for (const Flow& flow : kFlows) {
        if (!flow.repeatable)
            continue;
        SCOPED_TRACE(flow.name.toStdString());
        Snapshot done;
        for (const auto& [call, n] : complete(flow, old, done)) {
            const QString error = call.contains("write") ? "error=ENOSPC" : "error=EIO";
            for (const int at : points(n)) {
                const std::string point = error.toStdString() + " at " + call.toStdString() +
                                          " no. " + std::to_string(at);
                const QString said = injected(flow, call, error, at);
                const Snapshot now = snapshot(runDir());
                if (said.isEmpty() || now == done) {
                    EXPECT_EQ(now, done) << point;
                    continue;
                }
                EXPECT_TRUE(said.startsWith("kubb: ")) << said.toStdString() << point;
                if (now != old) {
                    EXPECT_TRUE(now.contains(kJournal)) << point;
                    EXPECT_EQ(fault(old, done, now, runDir()), "") << point;
                    repeat(flow, done, point);
                }
            }
        }
    }
}

} // namespace

// "Nein" killed before it deletes the journal of the placement it wrote into its copy: the copy
// is left with a hot journal. A database that replaces the copy later must not get its pages.
TEST_F(Crash, AJournalAKillLeftIsNotPlayedIntoTheFileThatReplacesItsDatabase) {
    reset();
    ASSERT_EQ(run({kProbe, "import", runDir()}), "");
    const QString imported = stateOf(runDir() + "ALT.MDB");
    reset();
    ASSERT_EQ(run(straced({kProbe, "nein", runDir()},
                          {"-e", "trace=unlink", "-e", "inject=unlink:signal=KILL:when=1"})),
              kKilled);
    ASSERT_TRUE(QFileInfo::exists(runDir() + "NEU.MDB-journal"));
    ASSERT_EQ(run({kProbe, "import", runDir(), "NEU.MDB"}), "");
    EXPECT_EQ(stateOf(runDir() + "NEU.MDB"), imported);
}

// Two kubb import for one new name at once: one wins, the other refuses and leaves its file. Where
// strace works, both are held at their rename until both have got there.
TEST(KubbImport, TwoRacingForOneNameOneWins) {
    test::TempDir tmp;
    ASSERT_EQ(run(kubbImport({"--output", tmp.path("ALLEIN.MDB")})), "");
    const QString imported = stateOf(tmp.path("ALLEIN.MDB"));
    const bool hold = straceWorks();
    for (int round = 1; round <= 5; ++round) {
        const QString output = tmp.path(QStringLiteral("R%1.MDB").arg(round));
        QStringList argv = kubbImport({"--output", output, "--pointer-dir", tmp.dir()});
        if (hold)
            argv = straced(argv,
                           {"-e", "trace=renameat2", "-e", "inject=renameat2:delay_enter=300000"});
        QProcess racers[2];
        for (QProcess& p : racers)
            p.start(argv.first(), argv.mid(1));
        QStringList ends; // 0 for the winner, the refusal for the other
        for (QProcess& p : racers) {
            ASSERT_TRUE(p.waitForFinished(60000));
            ends << (p.exitCode() == 0 ? "0"
                                       : QString::fromUtf8(p.readAllStandardError()).trimmed());
        }
        ends.sort();
        EXPECT_EQ(ends, QStringList({"0", "kubb: Die Datei " + output + " existiert bereits."}));
        EXPECT_EQ(stateOf(output), imported);
        EXPECT_EQ(tmp.read("TCLASSK"), (output + "\r\n").toUtf8());
    }
    EXPECT_EQ(QDir(tmp.dir()).entryList(QDir::Files).size(), 7) << "no temporary file is left";
}
