// kubb refusing misuse; kubb block, kubb evaluate and kubb variant on the demo school: the rules
// every result keeps, what is printed against what the file holds, the faults of the file said once
// in German, and a plan kept as a variant, blocked anew and taken back whole.
#include "KubbProcess.h"

#include "blocking/Blocks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sys/stat.h>
#include <thread>

namespace {

using cli::kKubb;
using cli::ok;

// The evaluation kubb evaluate prints for the file, as kubb block prints it after "Nachher:"
// (without the verdict, which only a search gives, and the reasons that follow).
QStringList evaluated(const QString& path) {
    QStringList lines = ok({"evaluate", "--db", path, "--cohort", "2009"}).split('\n');
    lines = lines.mid(0, lines.indexOf("Unvermeidbar:"));
    lines = lines.mid(lines.indexOf(QRegularExpression("^Kollisionen.*")));
    lines.removeAll("");
    lines.removeAll("optimal");
    for (QString& l : lines)
        l.prepend("  ");
    return lines;
}

// The lines after "Nachher:": the evaluation, then (with the verdict) the search's verdict.
QStringList after(const QStringList& out, bool verdict = false) {
    const int from = out.indexOf("Nachher:") + 1;
    int to = from;
    while (to < out.size() && out[to].startsWith("  "))
        ++to;
    return out.mid(from, to - from - (verdict ? 0 : 1));
}

} // namespace

TEST(KubbBlock, KeepsEveryRuleAndPrintsWhatTheFileHolds) {
    // What the search keeps (fixed placements, the other cohort, year group 13) the blocking's
    // own tests check; here the rest mode keeps every placement, as the command line asked.
    const QString placed = "SELECT CK_ID, CK_BL_ID, CK_KS_ID FROM ckkurs ORDER BY CK_ID";
    for (const QString mode : {"all", "rest"}) {
        SCOPED_TRACE(mode.toStdString());
        test::TempDir dir;
        const QString path = cli::demoSchool(dir).databasePath();
        const QStringList placedBefore = test::rowsOf(path, placed);
        const QStringList out = ok({"block", "--db", path, "--cohort", "2009", "--mode", mode,
                                    "--seconds", "5", "--seed", "1", "--threads", "2"})
                                    .split('\n');

        if (mode == "rest") {
            EXPECT_EQ(test::rowsOf(path, placed).mid(0, placedBefore.size()), placedBefore);
        }
        EXPECT_EQ(after(out), evaluated(path));
        // "optimal" only when proven, and then the search says when it got there.
        const QString verdict = after(out, true).last();
        EXPECT_TRUE(verdict == "  optimal" || verdict.startsWith("  beste gefundene Lösung (") ||
                    (mode == "rest" &&
                     verdict.startsWith("  bestmöglich, solange die gesetzten Kurse bleiben (")))
            << verdict.toStdString();
        EXPECT_EQ(verdict == "  optimal",
                  out.filter(QRegularExpression("^Optimal nach")).size() == 1);
        // The demo's cohort anew: the 68 students whose choices need more rails than there are
        // are named, and the plan is proven optimal.
        if (mode == "all") {
            EXPECT_EQ(verdict, "  optimal");
            EXPECT_EQ(
                out.filter(QRegularExpression("^    .*: Die gewählten Kurse brauchen")).size(), 68);
        }
        // Placed anew, no teacher has two courses on one rail; placed courses keep theirs.
        EXPECT_EQ(after(out).filter("Kurse nicht gesetzt"),
                  QStringList{"  Kurse nicht gesetzt: 0"});
        if (mode == "all") {
            EXPECT_EQ(after(out).filter("Lehrerkollisionen"),
                      QStringList{"  Lehrerkollisionen: 0"});
        }
    }
}

// Both year groups of the demo school in one search: no worse than one after the other, proven,
// each cohort's share of the collisions as the cohort alone counts them.
TEST(KubbBlock, BothYearGroupsInOneSearchAreNoWorseThanOneAfterTheOther) {
    test::TempDir dir;
    const QString seq = cli::demoSchool(dir, "SEQ.MDB").databasePath();
    const QString both = cli::demoSchool(dir, "BOTH.MDB").databasePath();
    const QStringList search{"--mode", "all", "--seconds", "30", "--threads", "2"};
    for (const QString cohort : {"2008", "2009"})
        ok(QStringList{"block", "--db", seq, "--cohort", cohort} + search);
    const QStringList out =
        ok(QStringList{"block", "--db", both, "--cohort", "2009,2008"} + search).split('\n');
    const auto figures = [](const QString& path, const QString& cohort) {
        return QJsonDocument::fromJson(
                   ok({"evaluate", "--db", path, "--cohort", cohort, "--json"}).toUtf8())
            .object();
    };
    const auto sum = [](const QJsonObject& o) {
        return o["collisions"].toInt() + o["teacherClashes"].toInt();
    };
    const QJsonObject one = figures(seq, "2009,2008"), joint = figures(both, "2009,2008");
    EXPECT_LE(sum(joint), sum(one));
    EXPECT_TRUE(joint["optimal"].toBool());
    EXPECT_EQ(out.first(), "Jahrgänge 2009 und 2008 (Jahrgangsstufen 12 und 13): 240 Schüler, 168 "
                           "Kurse, 14 Schienen");
    for (const QString cohort : {"2009", "2008"}) {
        const int alone = figures(both, cohort)["collisions"].toInt();
        EXPECT_EQ(joint["collisionsByCohort"].toObject()[cohort].toInt(), alone);
        EXPECT_TRUE(
            out.contains(QStringLiteral("    davon Jahrgang %1: %2").arg(cohort).arg(alone)))
            << cohort.toStdString();
    }
}

// kubb refusing what it is given or what the file cannot give: the exit code (2 a misuse, 1 a
// fault) and the message exactly, nothing on stdout, and no file changed or written.
TEST(Kubb, RefusesMisuseAndWhatTheFileCannotGiveInOneGermanLine) {
    test::School s;
    s.student(1, "Abel", "Anna");
    const QString db = s.path();
    const QString out = s.tmp.path("out.txt");
    test::TestDb withoutYear(s.tmp.path("OHNE.MDB"));
    withoutYear.insert("block", {{"BL_SCHJ", "     3"}, {"BL_BEZ", "S1"}, {"BL_VFP_ID", "     1"}});
    QDir().mkpath(s.tmp.path("merix"));
    const QByteArray before = s.tmp.read("BB.MDB");
    const QStringList block{"block", "--db", db, "--cohort", "2009"};
    const QStringList gpu{"export-untis",     "--db", db, "--cohort", "2009", "--to",
                          s.tmp.path("merix")};
    const QString seconds = "--seconds braucht eine Zahl über 0";
    // clang-format off
    const std::tuple<QStringList, int, QString> rows[] = {
        {{"block", "--db", db, "--cohort", "20x9"}, 2, "--cohort braucht ein Jahr (YYYY)"},
        {block + QStringList{"--seconds", "0"}, 2, seconds},
        {block + QStringList{"--seconds", "zehn"}, 2, seconds},
        {block + QStringList{"--keep-variants", "101"}, 2, "--keep-variants braucht eine ganze Zahl von 0 bis 100"},
        {{"block", "--db", db, "--cohort", "2009,2009"}, 2, "--cohort nennt zwei verschiedene Jahrgänge"},
        {{"block", "--db", db, "--cohort", "2009,2008,2007"}, 2, "--cohort nennt einen Jahrgang oder zwei (2009,2008)"},
        {{"block", "--db", db, "--cohort", "2009,2008", "--keep-variants", "1"}, 2,
         "--keep-variants gilt für einen Jahrgang: Varianten werden je Jahrgang gespeichert"},
        {{"propose", "--db", db, "--cohort", "2009,2008"}, 2, "--cohort nennt hier einen Jahrgang (YYYY)"},
        {{"block", "--db", db, "--cohort", "2009,2008"}, 1,
         "Der Jahrgang 2008 hat in dieser Datei keine Schüler; es gibt nur eine Jahrgangsstufe."},
        {{"block", "--db", db, "--cohort", "2009,2007"}, 1,
         "Der Jahrgang 2007 ist im Schuljahr 2009/2010 weder in der Jahrgangsstufe 12 noch in der Jahrgangsstufe 13."},
        {{"variant", "--db", db, "--cohort", "2009", "list", "--comment", "x"}, 2,
         "--comment gilt nur für save"},
        {{"export", "--db", db, "--cohort", "2007", "--to", s.tmp.path("merix")}, 1,
         "Der Kollegiatenjahrgang 2007 wird zum Schuljahr 2009/2010 nicht angeboten (angeboten: 2009)."},
        {block + QStringList{"--changes", s.tmp.path("FEHLT/x.txt")}, 1,
         s.tmp.path("FEHLT/x.txt") + ": Pfad nicht gefunden!"},
        {{"import-kurs42", "--from", s.tmp.dir(), "--output", db}, 1,
         "Die Datei " + db + " existiert bereits."},
        {{"export-kurs42", "--db", db, "--cohort", "1999", "--to", out}, 1,
         "Der Kollegiatenjahrgang 1999 ist im Schuljahr 2009/2010 weder in Jahrgangsstufe 12 noch in 13."},
        {gpu + QStringList{"--separator", "|"}, 2, "--separator braucht „;“, „,“ oder tab"},
        {gpu + QStringList{"--first-lesson", "-3"}, 2, "--first-lesson braucht eine ganze Zahl von 1 bis 999999"},
        {{"export-untis", "--db", db, "--cohort", "2007", "--to", s.tmp.path("merix")}, 1,
         "Der Kollegiatenjahrgang 2007 wird zum Schuljahr 2009/2010 nicht angeboten (angeboten: 2009)."},
        {{"print", "rails", "--db", db, "--text", out}, 1, "nichts gedruckt"},
        {{"print", "rails", "--db", withoutYear.path(), "--text", out}, 1,
         "Die Datenbank " + withoutYear.path() + " hat kein Schuljahr."}};
    // clang-format on
    for (const auto& [args, code, said] : rows) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const cli::Run run = cli::kubb(args);
        EXPECT_EQ(run.code, code);
        // A display's warning may come first; the message is said once.
        EXPECT_EQ(run.err.split('\n').filter(QRegularExpression("^kubb: ")),
                  QStringList{"kubb: " + said});
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(s.tmp.read("BB.MDB"), before);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(QDir(s.tmp.path("merix")).isEmpty());

    // Without a command the usage, its German words with their umlauts, not spelt around them.
    const cli::Run usage = cli::kubb({});
    EXPECT_EQ(usage.code, 2);
    EXPECT_EQ(usage.out, "");
    EXPECT_TRUE(usage.err.contains("Aufruf: kubb BEFEHL"));
    for (const QString word :
         {"Schülerzahlen", "höchstens", "Menüpunkt", "Rückgabewert", "größte"}) {
        EXPECT_TRUE(usage.err.contains(word)) << word.toStdString();
        const QString spelt =
            QString(word).replace("ü", "ue").replace("ö", "oe").replace("ß", "ss");
        EXPECT_FALSE(usage.err.contains(spelt)) << spelt.toStdString();
    }
}

// A FIFO where kubb is to write a printout or the changes, or a link to one, is refused before
// anything is printed or searched, and stays as it is.
TEST(Kubb, RefusesAFifoAsTheFileToWrite) {
    test::TempDir dir;
    const QString db = cli::demoSchool(dir).databasePath();
    const QString fifo = dir.path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, dir.path("link")));
    const QStringList block{"block", "--db", db, "--cohort", "2009", "--changes"};
    for (const QStringList& args : {QStringList{"print", "rails", "--db", db, "--text", fifo},
                                    QStringList{"print", "rails", "--db", db, "--pdf", fifo},
                                    block + QStringList{dir.path("link")}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const cli::Run run = cli::kubb(args);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.split('\n').filter(QRegularExpression("^kubb: ")),
                  QStringList{"kubb: " + args.last() + " ist keine gewöhnliche Datei."});
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

TEST(KubbBlock, SaysInGermanOnceWhyTheDatabaseFailsAndDoesNotSearch) {
    test::TempDir tmp;
    tmp.write("KEINE.MDB", "keine Datenbank");
    QDir().mkdir(tmp.path("ORDNER.MDB"));
    db::Connection(tmp.path("LEER.MDB"), db::Connection::Mode::Create).exec("CREATE TABLE t (a)");
    cli::demoSchool(tmp);
    const QStringList before = test::dumpDatabase(tmp.path("BB.MDB"));
    const bool strace = cli::canTrace();
    const QString kReadOnly =
        "Ein Plan könnte nicht gespeichert werden, die Suche beginnt nicht: Die Datenbank %1 ist "
        "schreibgeschützt: Sie kann gelesen, aber nicht geändert werden.";
    // The file, the fault strace injects into the calls on it (or on its journal), what kubb
    // says. Every open for writing refused, SQLite opens the file for reading.
    const std::tuple<QString, QString, QString> cases[] = {
        {"FEHLT.MDB", "", "Die Datenbank %1 wurde nicht gefunden."},
        {"ORDNER.MDB", "", "%1 ist ein Verzeichnis, keine Blockbildungsdatei."},
        {"KEINE.MDB", "", "%1 ist keine Blockbildungsdatei."},
        {"LEER.MDB", "", "In %1 fehlt die Tabelle schjahr."},
        {"BB.MDB", "openat:error=EACCES:when=1+2", kReadOnly},
        {"BB.MDB-journal", "openat:error=EACCES", kReadOnly},
        {"BB.MDB", "pwrite64:error=ENOSPC",
         "Die Datenbank %1 kann nicht geschrieben werden: Der Datenträger ist voll."},
        {"BB.MDB", "pwrite64:error=EIO",
         "Die Datenbank %1 kann nicht gelesen oder geschrieben werden: Der Datenträger meldet "
         "einen Ein-/Ausgabefehler."},
    };
    for (const auto& [file, fault, said] : cases) {
        SCOPED_TRACE((file + " " + fault).toStdString());
        if (!fault.isEmpty() && !strace)
            continue; // some containers forbid tracing
        const QString path = tmp.path(file).remove("-journal");
        const QStringList args{"block", "--db", path, "--cohort", "2009", "--seconds", "1"};
        const QStringList inject{"-P", tmp.path(file),   "-e", "trace=" + fault.section(':', 0, 0),
                                 "-e", "inject=" + fault};
        const cli::Run run = cli::traced(fault.isEmpty() ? QStringList() : inject, args);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.trimmed(), "kubb: " + said.arg(path));
        EXPECT_FALSE(run.out.contains("Suche:"));
    }
    // Reading the cohort waits for no sync of the disk: with every sync failing kubb still reads
    // and searches, and only storing the plan is refused.
    if (strace) {
        const cli::Run run =
            cli::traced({"-e", "trace=fsync,fdatasync", "-e", "inject=fsync,fdatasync:error=EIO"},
                        {"block", "--db", cli::demoSchool(tmp, "SYNC.MDB").databasePath(),
                         "--cohort", "2009", "--seconds", "0.2"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.out.startsWith("Jahrgang 2009")) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("Suche:"));
    }
    EXPECT_EQ(test::dumpDatabase(tmp.path("BB.MDB")), before);
}

// Two at once on one file leave the whole plan of one, and the other refuses; one that finds the
// file locked waits.
TEST(KubbBlock, TwoAtOnceOnOneFileLeaveTheWholePlanOfOneAndTheOtherRefusesOrWaits) {
    test::TempDir dir;
    const QString start = cli::demoSchool(dir, "START.MDB").databasePath();
    // "Wenig ändern" from a plan whose sizes only changed students even out: both searches run
    // to their time limit, side by side.
    const QString path = dir.path("BB.MDB");
    for (int race = 0; race < 10; ++race) {
        SCOPED_TRACE(race);
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(start, path));
        QProcess runs[2];
        for (int i = 0; i < 2; ++i)
            runs[i].start(kKubb,
                          {"block", "--db", path, "--cohort", "2009", "--mode", "keep", "--seconds",
                           "1", "--seed", QString::number(i + 1), "--threads", "1"});
        for (QProcess& p : runs)
            ASSERT_TRUE(p.waitForFinished(60000));
        const int winner = runs[0].exitCode() == 0 ? 0 : 1;
        ASSERT_EQ(runs[winner].exitCode(), 0) << runs[winner].readAllStandardError().data();
        ASSERT_EQ(runs[1 - winner].exitCode(), 1);
        EXPECT_EQ(QString::fromUtf8(runs[1 - winner].readAllStandardError()).trimmed(),
                  "kubb: Der Plan wurde nicht gespeichert: Schienen oder Belegungen in " + path +
                      " wurden während der Suche von einem anderen Programm geändert.");
        // The file holds what the winner reported having written.
        EXPECT_EQ(after(QString::fromUtf8(runs[winner].readAllStandardOutput()).split('\n')),
                  evaluated(path));
    }

    // Another program writes for four seconds: kubb waits for its lock as long as the
    // workspace's save would, then blocks.
    db::Connection other(path);
    db::Transaction tx(other); // BEGIN IMMEDIATE: no other writer until it ends
    QProcess p;
    p.start(kKubb, {"block", "--db", path, "--cohort", "2009", "--seconds", "2", "--threads", "1"});
    ASSERT_TRUE(p.waitForStarted());
    std::this_thread::sleep_for(std::chrono::seconds(4));
    tx.commit();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().data();
}

TEST(KubbBlock, KeepModeChangesOnlyWhoChoseAnewAndWritesTheChangesToAFile) {
    test::Blocks s;
    s.sample(60, 7);
    s.block(blocking::Mode::All);
    const std::vector<qint64> ids = s.reChoose(5);
    ASSERT_EQ(ids.size(), 5u);
    const QStringList args{"block", "--db",      s.path(), "--cohort",  "2009", "--mode",
                           "keep",  "--seconds", "1",      "--threads", "2"};
    const QString file = s.tmp.path("wechsel.txt");
    const QString out = ok(args + QStringList{"--changes", file});
    // The five have a course for their new choice (whom else the mode leaves alone the
    // blocking's own tests check); each is a line of the report and of the file.
    QStringList lines;
    for (qint64 id : ids)
        lines << test::rowsOf(s.path(),
                              "SELECT trim(k.KO_VFP_ID) || ' ' || k.KO_FAMNAME || ', ' || "
                              "k.KO_RUFNAME || ': — → ' || c.KS_BEZ FROM belegung b JOIN kolleg k "
                              "ON k.KO_VFP_ID = b.BG_KO_ID JOIN kurs c ON c.KS_VFP_ID = "
                              "b.BG_KS_ID_12 WHERE b.BG_ID = ?",
                              {id})
                     .value(0);
    const QByteArray written = (lines.join("\n") + "\n").toUtf8();
    EXPECT_EQ(s.tmp.read("wechsel.txt"), written);
    EXPECT_TRUE(out.contains("Schüler mit Kurswechsel: 5\n  " + lines.join("\n  ") + "\n"))
        << out.toStdString();
    // Again, the file's write failing: it stays as it was, and no stray file is left.
    const QStringList files = QDir(s.tmp.dir()).entryList(QDir::Files);
    if (!cli::canTrace())
        return;
    const cli::Run failed =
        cli::traced({"-e", "inject=fsync:error=EIO"}, args + QStringList{"--changes", file});
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains(file + ": Schreibfehler!")) << failed.err.toStdString();
    EXPECT_EQ(s.tmp.read("wechsel.txt"), written);
    EXPECT_EQ(QDir(s.tmp.dir()).entryList(QDir::Files), files);
}

TEST(KubbVariant, RoundTripOnTheDemoSchoolWithItsFigures) {
    test::TempDir dir;
    const QString path = cli::demoSchool(dir).databasePath();
    const QStringList base = {"variant", "--db", path, "--cohort", "2009"};
    const auto run = [&](const QStringList& args, int code = 0) {
        const cli::Run r = cli::kubb(base + args, 120000);
        EXPECT_EQ(r.code, code) << args.join(' ').toStdString() << r.err.toStdString();
        return r;
    };
    const QStringList a = test::planRows(path);
    EXPECT_EQ(run({"save", "A", "--comment", "vom Dienstag"}).out, "Variante „A“ gespeichert.\n");
    // The search keeps its two best distinct plans as variants, the written one first.
    EXPECT_TRUE(cli::ok({"block", "--db", path, "--cohort", "2009", "--mode", "all", "--seconds",
                         "2", "--threads", "2", "--keep-variants", "2"})
                    .contains("Als Varianten gespeichert:\n  Automatisch 1 ("));
    const QStringList b = test::planRows(path);
    ASSERT_TRUE(a != b);
    run({"save", "B"});
    EXPECT_EQ(run({"apply", "C"}, 1).err, "kubb: Eine Variante „C“ gibt es nicht.\n");

    const QString applied = run({"apply", "a"}).out;
    const QRegularExpressionMatch kept =
        QRegularExpression("steht als „(vor Übernahme \\d\\d\\.\\d\\d\\.\\d{4} [0-9:]{8})“")
            .match(applied);
    ASSERT_TRUE(kept.hasMatch()) << applied.toStdString();
    EXPECT_TRUE(test::planRows(path) == a);
    EXPECT_EQ(run({"diff", "B", kept.captured(1)}).out,
              "Kurse auf anderen Schienen: 0\nSchüler in anderen Kursen: 0\n");

    // A as listed is what kubb evaluate says of the file now, beside its own fields.
    const QString json = cli::ok({"evaluate", "--db", path, "--cohort", "2009", "--json"});
    QJsonObject now = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonArray listed = QJsonDocument::fromJson(run({"list", "--json"}).out.toUtf8()).array();
    ASSERT_EQ(listed.size(), 5);
    QJsonObject first = listed[0].toObject();
    EXPECT_EQ(first.take("name"), "A");
    EXPECT_EQ(first.take("comment"), "vom Dienstag");
    EXPECT_EQ(first.take("changedStudents"), 0);
    EXPECT_EQ(first.take("movedCourses"), 0);
    EXPECT_TRUE(first.take("created").toString().contains('T'));
    EXPECT_EQ(first, now);
    EXPECT_EQ(listed[4].toObject()["name"], kept.captured(1));
    EXPECT_GT(listed[3].toObject()["movedCourses"].toInt(), 0);
    // "Automatisch 1" is the plan written, B: the same figures against A.
    const auto figures = [&listed](int i) {
        QJsonObject o = listed[i].toObject();
        for (const char* own : {"name", "created", "comment"})
            o.remove(own);
        return o;
    };
    EXPECT_EQ(figures(1), figures(3));

    // Each write of variants, killed at every write to the file: the plan and every variant are
    // as before the command or as after it ran whole, never in between.
    if (!cli::canTrace())
        return;
    const QString start = dir.path("START.MDB");
    ASSERT_TRUE(QFile::copy(path, start));
    // The plan, and each variant's name, placements, choices and comment; the plan kept on taking
    // one over is named by the time of the run.
    const auto state = [](const QString& file) {
        return test::planRows(file) +
               test::rowsOf(file, "SELECT CASE WHEN VA_NAME LIKE 'vor Übernahme %' THEN 'vor "
                                  "Übernahme' ELSE VA_NAME END, (SELECT group_concat(VS_KS_ID || "
                                  "VS_BL_ID || VS_FIX) FROM varschiene WHERE VS_VA_ID = VA_ID), "
                                  "(SELECT group_concat(VK_BG_ID || VK_KS_ID) FROM varkurs WHERE "
                                  "VK_VA_ID = VA_ID), VA_KOMMENTAR FROM variante ORDER BY VA_ID");
    };
    const QStringList before = state(start);
    const QStringList commands[] = {
        {"apply", "B"}, {"save", "D", "--comment", "neu"}, {"rename", "A", "E"}, {"delete", "B"}};
    for (const QStringList& command : commands) {
        ASSERT_TRUE(QFile::remove(path) && QFile::copy(start, path));
        run(command);
        const QStringList after = state(path);
        ASSERT_NE(after, before) << command.join(' ').toStdString();
        int kills = 0;
        for (const QString call :
             {"pwrite64", "fsync", "fdatasync", "unlink", "ftruncate", "write"})
            for (int n = 1; n < 200; n += 1 + n / 10) {
                SCOPED_TRACE((command.join(' ') + ' ' + call + QString::number(n)).toStdString());
                QFile::remove(path);
                ASSERT_TRUE(QFile::copy(start, path));
                const cli::Run r = cli::traced(
                    {"-e", QStringLiteral("inject=%1:signal=KILL:when=%2").arg(call).arg(n)},
                    base + command);
                const QStringList now = state(path);
                EXPECT_TRUE(now == before || now == after);
                if (r.code != -1) {
                    EXPECT_EQ(now, after);
                    break;
                }
                ++kills;
            }
        EXPECT_GT(kills, 3) << command.join(' ').toStdString();
    }
}

// Every command's standard output is checked at its end: output that cannot be written (a full
// disk) is said in German and the command fails, whatever it did before.
TEST(Kubb, SaysWhenItsOutputCannotBeWritten) {
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    test::TempDir dir;
    const QString path = cli::demoSchool(dir).databasePath();
    const QStringList cohort{"--db", path, "--cohort", "2009"};
    cli::ok({"rules", "--db", path, "add", "parallels-apart", "Sk"}); // a line to list
    for (const QStringList& args :
         {QStringList{"rules", "--db", path, "list"},
          QStringList{"variant"} << cohort << "list"
                                 << "--json",
          QStringList{"evaluate"} << cohort << "--json", QStringList{"--help"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QProcess p;
        p.setStandardOutputFile("/dev/full");
        p.start(kKubb, args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
                  "kubb: Die Ausgabe konnte nicht vollständig geschrieben werden: Der Datenträger "
                  "ist voll.\n");
    }
}
