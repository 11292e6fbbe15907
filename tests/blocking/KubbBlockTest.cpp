// kubb block and kubb evaluate on generated realistic schools: the rules every result keeps,
// and the printed evaluation against one counted from the database with plain queries.
#include "Generator.h"
#include "Recount.h"

#include "db/Database.h"
#include "support/TestDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <thread>

namespace {

const QString kKubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");

QString kubb(const QStringList& args) {
    QProcess p;
    p.start(kKubb, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString block(const QString& path, const QString& mode, const QString& seed = "1") {
    return kubb({"block", "--db", path, "--cohort", "2009", "--mode", mode, "--seconds", "5",
                 "--seed", seed, "--threads", "2"});
}

test::Recount recount(const QString& path) {
    return test::recount(path, 2009, 2009, test::kGeneratedYear);
}

void expectPrinted(const test::Printed& p, const test::Recount& r) {
    EXPECT_EQ(p.collisions, r.collisions);
    EXPECT_EQ(p.otherCollisions, r.otherCollisions);
    EXPECT_EQ(p.withoutCourse, r.withoutCourse);
    EXPECT_EQ(p.outsideLimits, r.outsideLimits);
    EXPECT_EQ(p.unplaced, r.unplaced);
    EXPECT_EQ(p.surplus, r.surplus);
    EXPECT_EQ(p.largestDifference, r.largestDifference);
    EXPECT_TRUE(r.groups.contains(p.group)) << p.group.toStdString();
    EXPECT_EQ(p.differenceBound, r.differenceBound);
    EXPECT_NEAR(p.squaredDeviation, r.squaredDeviation, 0.006);
    EXPECT_NEAR(p.deviationBound, r.deviationBound, 0.006);
    EXPECT_EQ(p.optimal, r.optimal);
}

// What blocking cohort 2009 must leave alone.
struct Untouched {
    QStringList fixed, otherStudents, otherCourses;
    explicit Untouched(const QString& path)
        : fixed(test::rowsOf(path, "SELECT * FROM ckkurs WHERE CK_FIX = '1' ORDER BY CK_ID")),
          otherStudents(test::rowsOf(path, "SELECT b.* FROM belegung b JOIN kolleg k ON "
                                           "k.KO_VFP_ID = b.BG_KO_ID WHERE k.KO_KURSPH <> '2009' "
                                           "ORDER BY b.BG_ID")),
          otherCourses(test::rowsOf(path, "SELECT c.* FROM ckkurs c JOIN kurs k ON k.KS_VFP_ID = "
                                          "c.CK_KS_ID WHERE k.KS_JGST = '12' ORDER BY c.CK_ID")) {}
    bool operator==(const Untouched&) const = default;
};

void expectRulesKept(const QString& path) {
    const test::Recount r = recount(path);
    EXPECT_TRUE(r.servedWrongly.isEmpty()) << r.servedWrongly.join(' ').toStdString();
    EXPECT_EQ(r.unplaced, 0);
    // Their courses are of the cohort's year group (or of both).
    EXPECT_EQ(test::rowsOf(path, "SELECT b.BG_ID FROM belegung b JOIN kolleg o ON o.KO_VFP_ID = "
                                 "b.BG_KO_ID JOIN kurs k ON k.KS_VFP_ID = b.BG_KS_ID_12 WHERE "
                                 "o.KO_KURSPH = '2009' AND k.KS_JGST NOT IN ('11', '50')"),
              QStringList());
    EXPECT_EQ(test::rowsOf(path, "SELECT CK_BL_ID, CK_KS_ID FROM ckkurs GROUP BY CK_BL_ID, "
                                 "CK_KS_ID HAVING count(*) > 1"),
              QStringList());
}

} // namespace

TEST(KubbBlock, KeepsEveryRuleAndPrintsWhatTheDatabaseHolds) {
    ASSERT_TRUE(QFileInfo(kKubb).isExecutable()) << "build the target kubb first";
    // One cohort and two, advanced courses on one rail and on two.
    for (int i : {0, 1, 2, 5}) {
        SCOPED_TRACE(i);
        test::TempDir dir;
        const QString path = dir.path("BB.MDB");
        test::generateSchool(path, test::realisticSchool(i));
        const Untouched before(path);

        const QJsonObject json =
            QJsonDocument::fromJson(
                kubb({"evaluate", "--db", path, "--cohort", "2009", "--json"}).toUtf8())
                .object();
        const test::Recount start = recount(path);
        EXPECT_EQ(json["collisions"].toInt(), start.collisions);
        EXPECT_EQ(json["withoutCourse"].toInt(), start.withoutCourse);
        EXPECT_EQ(json["unplaced"].toInt(), start.unplaced);
        EXPECT_EQ(json["largestDifference"].toInt(), start.largestDifference);
        EXPECT_NEAR(json["squaredDeviation"].toDouble(), start.squaredDeviation, 0.006);
        EXPECT_NEAR(json["deviationBound"].toDouble(), start.deviationBound, 0.006);

        const QString out = block(path, "all");
        expectRulesKept(path);
        EXPECT_TRUE(Untouched(path) == before);
        const test::Printed printed = test::parsePrinted(out, "Nachher:");
        expectPrinted(printed, recount(path));
        EXPECT_EQ(printed.collisions, 0) << out.toStdString();
        EXPECT_TRUE(out.contains("Kollisionsfrei nach"));
    }
}

TEST(KubbBlock, TheRestModeKeepsThePlacedCourses) {
    test::TempDir dir;
    const QString path = dir.path("BB.MDB");
    test::generateSchool(path, test::realisticSchool(3));
    const QString placed = "SELECT CK_ID, CK_BL_ID, CK_KS_ID FROM ckkurs ORDER BY CK_ID";
    const QStringList before = test::rowsOf(path, placed);

    const QString out = block(path, "rest");

    expectRulesKept(path);
    const QStringList after = test::rowsOf(path, placed);
    for (const QString& row : before)
        EXPECT_TRUE(after.contains(row)) << row.toStdString();
    expectPrinted(test::parsePrinted(out, "Nachher:"), recount(path));
}

TEST(KubbBlock, TheSameSeedAndThreadsGiveTheSamePlan) {
    test::TempDir dir;
    const QString path = dir.path("BB.MDB");
    test::generateSchool(path, test::realisticSchool(4));
    QFile::copy(path, dir.path("COPY.MDB"));

    // Both end before the time limit, at an optimal plan.
    EXPECT_TRUE(block(path, "all", "4").contains("Optimal nach"));
    EXPECT_TRUE(block(dir.path("COPY.MDB"), "all", "4").contains("Optimal nach"));
    for (const QString& sql :
         {QString("SELECT CK_ID, CK_BL_ID, CK_KS_ID FROM ckkurs ORDER BY CK_ID"),
          QString("SELECT * FROM belegung ORDER BY BG_ID")})
        EXPECT_EQ(test::rowsOf(dir.path("COPY.MDB"), sql), test::rowsOf(path, sql));
}

TEST(KubbBlock, SaysInGermanOnceWhyTheDatabaseFails) {
    test::TempDir tmp;
    tmp.write("KEINE.MDB", "keine Datenbank");
    QDir().mkdir(tmp.path("ORDNER.MDB"));
    db::Connection(tmp.path("LEER.MDB"), db::Connection::Mode::Create).exec("CREATE TABLE t (a)");
    test::generateSchool(tmp.path("BB.MDB"), test::realisticSchool(0));
    const QStringList before = test::rowsOf(tmp.path("BB.MDB"), "SELECT * FROM ckkurs");
    const bool strace = QProcess::execute("strace", {"-qq", "-o", "/dev/null", "true"}) == 0;
    // The file, the fault strace injects into its calls, what kubb says. Every open for writing
    // refused, SQLite opens the file for reading.
    const std::tuple<QString, QString, QString> cases[] = {
        {"FEHLT.MDB", "", "Die Datenbank %1 wurde nicht gefunden."},
        {"ORDNER.MDB", "", "%1 ist ein Verzeichnis, keine Blockbildungsdatei."},
        {"KEINE.MDB", "", "%1 ist keine Blockbildungsdatei."},
        {"LEER.MDB", "", "In %1 fehlt die Tabelle schjahr."},
        {"BB.MDB", "openat:error=EACCES:when=1+2",
         "Ein Plan könnte nicht gespeichert werden, die Suche beginnt nicht: Die Datenbank %1 ist "
         "schreibgeschützt: Sie kann gelesen, aber nicht geändert werden."},
        {"BB.MDB", "pwrite64:error=ENOSPC",
         "Die Datenbank %1 kann nicht geschrieben werden: Der Datenträger ist voll."},
        {"BB.MDB", "pwrite64:error=EIO",
         "Die Datenbank %1 kann nicht gelesen oder geschrieben werden: Der Datenträger meldet "
         "einen Ein-/Ausgabefehler."},
    };
    for (const auto& [file, fault, said] : cases) {
        if (!fault.isEmpty() && !strace)
            continue; // some containers forbid tracing
        const QString path = tmp.path(file);
        QStringList args{"block", "--db", path, "--cohort", "2009", "--seconds", "1"};
        if (!fault.isEmpty())
            args = QStringList{"-f", "-qq", "-o", "/dev/null", "-P", path, "-e", "inject=" + fault,
                               kKubb} +
                   args;
        QProcess p;
        p.start(fault.isEmpty() ? kKubb : "strace", args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()).trimmed(), "kubb: " + said.arg(path));
    }
    EXPECT_EQ(test::rowsOf(tmp.path("BB.MDB"), "SELECT * FROM ckkurs"), before);
}

TEST(KubbBlock, TwoAtOnceOnOneFileLeaveTheWholePlanOfOneAndTheOtherRefuses) {
    test::TempDir dir;
    const QString start = dir.path("START.MDB");
    test::generateSchool(start, test::realisticSchool(0));
    {
        // A course no plan fills: both searches run to their time limit, side by side.
        db::Connection c(start);
        c.exec("UPDATE kurs SET KS_MIN = 999 WHERE KS_ID = (SELECT min(KS_ID) FROM kurs)");
    }
    const QString path = dir.path("BB.MDB");
    for (int race = 0; race < 10; ++race) {
        SCOPED_TRACE(race);
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(start, path));
        QProcess runs[2];
        for (int i = 0; i < 2; ++i)
            runs[i].start(kKubb,
                          {"block", "--db", path, "--cohort", "2009", "--mode", "all", "--seconds",
                           "1", "--seed", QString::number(i + 1), "--threads", "1"});
        for (QProcess& p : runs)
            ASSERT_TRUE(p.waitForFinished(60000));
        const int winner = runs[0].exitCode() == 0 ? 0 : 1;
        ASSERT_EQ(runs[winner].exitCode(), 0) << runs[winner].readAllStandardError().data();
        ASSERT_EQ(runs[1 - winner].exitCode(), 1);
        EXPECT_EQ(QString::fromUtf8(runs[1 - winner].readAllStandardError()).trimmed(),
                  "kubb: Der Plan wurde nicht gespeichert: Schienen oder Belegungen in " + path +
                      " wurden während der Suche von einem anderen Programm geändert.");
        // The file, counted afresh, holds what the winner reported having written.
        const test::Printed reported =
            test::parsePrinted(QString::fromUtf8(runs[winner].readAllStandardOutput()), "Nachher:");
        EXPECT_EQ(reported.collisions, 0);
        expectPrinted(reported, recount(path));
    }
}

TEST(KubbBlock, WaitsForAnotherProgramsLockAndRefusesAFileItCannotWriteBeforeSearching) {
    test::TempDir dir;
    const QString path = dir.path("BB.MDB");
    test::generateSchool(path, test::realisticSchool(0));
    const QStringList args = {"block", "--db",   path,  "--cohort",  "2009", "--seconds",
                              "30",    "--mode", "all", "--threads", "1"};
    {
        // Another program writes for four seconds: kubb waits, then blocks.
        db::Connection other(path);
        db::Transaction tx(other); // BEGIN IMMEDIATE: no other writer until it ends
        QProcess p;
        p.start(kKubb, args);
        ASSERT_TRUE(p.waitForStarted());
        std::this_thread::sleep_for(std::chrono::seconds(4));
        tx.commit();
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().data();
    }

    // The folder takes no journal: nothing could be stored, so the search does not start.
    const QStringList rows = test::rowsOf(path, "SELECT * FROM belegung ORDER BY BG_ID");
    QProcess p;
    p.start("strace", QStringList{"-f", "-qq", "-o", "/dev/null", "-P", path + "-journal", "-e",
                                  "trace=openat", "-e", "inject=openat:error=EACCES", kKubb} +
                          args);
    if (!p.waitForStarted())
        GTEST_SKIP() << "strace is missing";
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString said = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(said.startsWith("kubb: Ein Plan könnte nicht gespeichert werden, die Suche "
                                "beginnt nicht: "))
        << said.toStdString();
    EXPECT_FALSE(QString::fromUtf8(p.readAllStandardOutput()).contains("Suche:"));
    EXPECT_EQ(test::rowsOf(path, "SELECT * FROM belegung ORDER BY BG_ID"), rows);
}
