// kubb import, print and export against the menu commands, and how a printout fails; kubb on
// drive letters and a Kurs42 export taken through kubb and back.
#include "KubbProcess.h"

#include "app/MainWindow.h"
#include "common/MessageWindow.h"
#include "exchange/Kurs42.h"
#include "export/frmAKursPh.h"
#include "import/ErzKuB.h"
#include "printing/frmBlKuListen.h"

#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kDemo = QStringLiteral(KUBB_SOURCE_DIR "/data/demo/QZ.DBC");

// Runs kubb, which writes the printout to `file` as `format` (--text or --pdf): its bytes.
QByteArray printed(const QStringList& args, const QString& format, const QString& file) {
    cli::ok(args + QStringList{format, file});
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of a text, the last one ended by its line break.
QStringList textLines(const QByteArray& text) {
    return QString::fromUtf8(text.chopped(text.endsWith('\n') ? 1 : 0)).split('\n');
}

} // namespace

// The import command with its window, the school year and the pre-assignment; both printouts of
// the demo school through the main window's menu, and the launcher's "Export" (the menu's command)
// of each cohort: against kubb, the same database, the same lines, the same four files.
TEST(KubbAgainstTheMenu, ImportPrintAndExportGiveWhatTheMenuCommandsGive) {
    test::WinePrefix wine; // no INI file: the planner looks for the container; kubb inherits it
    test::TempDir work;
    platform::RunState s;
    s.ProgPfad = work.dir();
    test::ScriptedHost host;
    QString notServed;
    host.onModal("ErzKuB",
                 [](ui::Window& w) {
                     auto& window = static_cast<importer::ErzKuB&>(w);
                     window.cmdSeek_Click();
                     for (int i = 0; i < window.lstKollJahrg.count(); ++i)
                         window.lstKollJahrg.setSelected(i, true);
                     window.Befehl1_Click();
                 })
        .onOpenFile(kDemo)
        .onSaveFile(work.path("window.mdb"))
        .onMessage("Kurse werden vorbesetzt!")
        .onModal("frmFMld",
                 [&](ui::Window& w) {
                     auto& window = static_cast<common::frmFMld&>(w);
                     notServed = window.txtFMld;
                     window.cmdgelesen_Click();
                 })
        .onMessage("1 Zuordnung eines Kurses zu einer Schiene eines anderen Schuljahres wurde "
                   "nicht übernommen.");
    ASSERT_TRUE(importer::importCommand(s, host));
    EXPECT_EQ(s.SchjBez, "2009/2010");

    const QString out =
        cli::ok({"import", "--container", kDemo, "--school-year", "2009/2010", "--cohort", "2009",
                 "--cohort", "2008", "--output", work.path("kubb.mdb")});
    const QStringList window = test::dumpDatabase(work.path("window.mdb"));
    EXPECT_GT(window.size(), 3000);
    EXPECT_EQ(window, test::dumpDatabase(work.path("kubb.mdb")));
    EXPECT_FALSE(notServed.isEmpty());
    EXPECT_TRUE(
        out.contains("Kurszuweisung nicht möglich:\n" + QString(notServed).replace("\r\n", "\n")))
        << out.toStdString();

    // Both printouts of the demo school, and the export of each cohort.
    s = cli::demoSchool(work);
    host.messages.clear();
    app::MDIKundB main(s, host);
    main.click("menuDruckS");
    host.onModal("frmBlKuListen", [](ui::Window& w) {
        auto& lists = static_cast<printing::frmBlKuListen&>(w);
        lists.cmbKollJahrg.setCurrent(1);
        lists.cmbKollJahrg_Click();
        for (int i = 0; i < lists.lstBlock.count(); ++i)
            lists.lstBlock.setSelected(i, i % 2 == 0);
        lists.OptQuer_Click();
        lists.click("cmdDruck");
    });
    main.click("menuDruckenBlKuListen");
    ASSERT_EQ(host.printJobs.size(), 2u);
    const QStringList& rails = host.printJobs[0].lines;
    const QStringList& lists = host.printJobs[1].lines;
    EXPECT_GT(rails.size(), 30);
    EXPECT_EQ(lists.count("\f"), 2) << "120 students of 2008 on three pages";

    const QString db = s.databasePath();
    EXPECT_EQ(textLines(printed({"print", "rails", "--db", db}, "--text", work.path("rails.txt"))),
              rails);
    const QStringList listArgs = {"print",      "lists", "--db",    db,
                                  "--cohort",   "2008",  "--rails", "LK1,LK3,GK2,GK4,GK6,GK8,GK10",
                                  "--landscape"};
    EXPECT_EQ(textLines(printed(listArgs, "--text", work.path("lists.txt"))), lists);
    // Without a display kubb writes the same pages as PDF.
    const QByteArray pdf = printed(listArgs, "--pdf", work.path("lists.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")), 3);

    for (const QString phase : {"2009", "2008"}) {
        for (const QString via : {"launcher", "kubb"})
            QDir().mkpath(work.path(phase + via));
        host.onOpenFile(work.path(phase + "launcher/MERIX.KO"))
            .onModal("frmAKursPh",
                     [phase](ui::Window& w) {
                         auto& chooser = dynamic_cast<exporter::frmAKursPh&>(w);
                         chooser.List1.setCurrent(
                             static_cast<int>(chooser.List1.lines().indexOf(phase)));
                         chooser.click("Command1");
                     })
            .onMessage(ui::Answer::Ok);
        main.launcher().click("Export");
        const QString out =
            cli::ok({"export", "--db", db, "--cohort", phase, "--to", work.path(phase + "kubb")});
        EXPECT_TRUE(out.contains(work.path(phase + "kubb/MERIX.GK: ")));
        for (const QString name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"}) {
            const QByteArray launcher = work.read(phase + "launcher/" + name);
            EXPECT_GT(launcher.size(), 2) << name.toStdString();
            EXPECT_EQ(launcher, work.read(phase + "kubb/" + name)) << name.toStdString();
        }
    }
    EXPECT_EQ(host.messages.size(), 2u) << "each export says where its files went";

    // kubb import on drive letters maps them the wine way (the prefix is inherited).
    const QString container =
        wine.installContainer(QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data/rules"));
    QDir().mkpath(wine.drive('d') + "bb");
    cli::ok({"import", "--container", container, "--school-year", "2009/2010", "--cohort", "2009",
             "--output", "D:\\bb\\NEU.MDB", "--pointer-dir", "D:\\bb\\"});
    EXPECT_EQ(test::rowsOf(wine.drive('d') + "bb/NEU.MDB", "SELECT count(*) FROM kolleg"),
              QStringList{"2"});
    QFile pointer(wine.drive('d') + "bb/TCLASSK");
    ASSERT_TRUE(pointer.open(QIODevice::ReadOnly));
    EXPECT_EQ(pointer.readAll(), "D:\\bb\\NEU.MDB\r\n");
}

// A printout whose last write or whose sync fails (strace injects the error) keeps the previous
// file, names the cause and ends with 1, as text and as PDF.
TEST(KubbPrint, AFailedWriteOrSyncKeepsThePreviousPrintout) {
    if (!cli::canTrace())
        GTEST_SKIP() << "strace is missing or cannot trace here";
    test::School s;
    s.rail(1, "S1", 4);
    s.place(1, s.course(1, "Ma1"));
    const QString out = s.tmp.path("out");
    for (const QString format : {"--text", "--pdf"}) {
        QFile::remove(out);
        const QStringList args = {"print", "rails", "--db", s.path(), format, out};
        // The number of the printout's last write among all writes of the run, found by the
        // folder of the file it goes to (its temporary file may have no name of its own); a
        // sanitizer's own writes may come after it. Of strace's two -o the last one counts.
        cli::traced({"-y", "-o", s.tmp.path("calls"), "-e", "trace=write"}, args);
        const QStringList calls =
            QString::fromUtf8(s.tmp.read("calls")).split('\n').filter("write(");
        const QRegularExpression intoFolder(".*<" + QRegularExpression::escape(s.tmp.dir()) + ".*");
        const qsizetype writes = calls.lastIndexOf(intoFolder) + 1;
        ASSERT_GT(writes, 0);
        const QByteArray previous = s.tmp.read("out");
        ASSERT_FALSE(previous.isEmpty());
        for (const auto& [inject, cause] : std::vector<std::pair<QString, QString>>{
                 {QString("write:error=ENOSPC:when=%1").arg(writes), "No space left on device"},
                 {QString("write:error=EIO:when=%1").arg(writes), "Input/output error"},
                 {"fsync:error=EIO", "Input/output error"}}) {
            SCOPED_TRACE((format + " " + inject).toStdString());
            const cli::Run run = cli::traced({"-e", "inject=" + inject}, args);
            EXPECT_EQ(run.code, 1);
            EXPECT_TRUE(run.err.contains(out + ": Schreibfehler! (" + cause + ")"));
            EXPECT_EQ(s.tmp.read("out"), previous);
            EXPECT_EQ(QDir(s.tmp.dir()).entryList(QDir::Files),
                      QStringList({"BB.MDB", "calls", "out"}));
        }
    }
}

// The hand-built export: imported, evaluated to the figures worked out by hand (M-GK2 holds 4,
// M-GK1 2; Fuchs's French has no course), blocked, and written out again. What came in goes
// out; what is read back and written again is byte for byte the same.
TEST(KubbKurs42, AHandBuiltExportComesInIsPlannedAndGoesBackOut) {
    test::TempDir dir;
    const QString from = QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42");
    const QString db = dir.path("BB.MDB");
    // Every value of the records is written: the same files mean the same records.
    const auto contentOf = [](const QString& dirOrZip) {
        return exchange::kurs42::render(exchange::kurs42::read(dirOrZip));
    };
    const auto exportTo = [&](const QString& file, const QString& to) {
        cli::ok({"export-kurs42", "--db", file, "--cohort", "2024", "--to", dir.path(to)});
        return contentOf(dir.path(to));
    };
    cli::ok({"import-kurs42", "--from", from, "--output", db});
    EXPECT_EQ(
        cli::ok({"evaluate", "--db", db, "--cohort", "2024"}).split('\n').mid(0, 11).join('\n'),
        "Jahrgang 2024 (Jahrgangsstufe 12): 10 Schüler, 6 Kurse, 4 Schienen\n"
        "Kollisionen (Schüler): 0\nKollidierende Kurspaare: 0\nLehrerkollisionen: 0\n"
        "Regeln verletzt: 0\n"
        "Kurse nicht gesetzt: 0\nBelegungen ohne Kurs: 1\n"
        "Kurse außerhalb ihrer Grenzen: 0\nKurse auf zu vielen Schienen: 0\n"
        "Größte Differenz: 2 (M-GK1 M-GK2), bestmöglich 0\n"
        "Summe der Abweichungsquadrate: 2,00, Untergrenze 0,00");
    EXPECT_EQ(exportTo(db, "a"), contentOf(from));

    cli::ok({"block", "--db", db, "--cohort", "2024", "--mode", "all", "--seconds", "0.3", "--seed",
             "1"});
    EXPECT_NE(exportTo(db, "b.zip"), contentOf(from)); // the plan changed
    exportTo(db, "c.zip");
    EXPECT_EQ(dir.read("b.zip"), dir.read("c.zip"));
    cli::ok({"import-kurs42", "--from", dir.path("b.zip"), "--output", dir.path("BB2.MDB")});
    exportTo(dir.path("BB2.MDB"), "d.zip");
    EXPECT_EQ(dir.read("d.zip"), dir.read("b.zip"));
}

// Copies of the hand-built export, each damaged in one way: refused within 10 seconds, in German
// naming the file and the line or column, with no file written and the memory of a small program.
// A zip made of the folder itself ("zip -r x.zip kurs42") comes in.
TEST(KubbKurs42, DamagedExportsAreRefusedQuicklyNamingFileAndLine) {
    test::TempDir dir;
    const QString hand = QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42/");
    const QString copy = dir.path("kurs42/");
    // Rewrites every line of a file of the copy.
    const auto edit = [&](const QString& name, const std::function<QString(QString)>& line) {
        QStringList lines = QString::fromUtf8(dir.read("kurs42/" + name)).split("\r\n");
        for (QString& l : lines)
            l = l.isEmpty() ? l : line(l);
        dir.write("kurs42/" + name, lines.join("\r\n").toUtf8());
    };
    const auto dropField = [](int i) {
        return [i](const QString& l) {
            QStringList fields = l.split(';');
            fields.removeAt(i);
            return fields.join(';');
        };
    };
    // Puts a pipe or a link to a device in the place of a file of the copy.
    const auto replace = [&](const QString& name, const std::function<void(QByteArray)>& make) {
        QFile::remove(copy + name);
        make(QFile::encodeName(copy + name));
    };
    const std::vector<std::pair<std::function<void()>, QString>> rows = {
        {[&] { replace("Schueler.txt", [](QByteArray f) { mkfifo(f.constData(), 0600); }); },
         "Schueler.txt: Die Datei ist keine gewöhnliche Datei"},
        {[&] {
             replace("Fachwahlen.txt", [](QByteArray f) { symlink("/dev/zero", f.constData()); });
         },
         "Fachwahlen.txt: Die Datei ist keine gewöhnliche Datei"},
        {[&] { edit("Kurse.txt", dropField(4)); }, "Kurse.txt, Zeile 1: Die Spalte „Std“ fehlt."},
        {[&] { edit("Schienen.txt", dropField(1)); },
         "Schienen.txt, Zeile 1: Die Spalte „Bezeichnung“ fehlt."},
        {[&] { dir.write("kurs42/Schueler.txt", dir.read("kurs42/Schueler.txt").chopped(32)); },
         "Schueler.txt, Zeile 11: Die Zeile hat nur 10 Felder, die Kopfzeile 13 Spalten."},
        {[&] {
             QByteArray rails = "\"Id\";\"Bezeichnung\"\r\n";
             for (int r = 1; r <= 5000; ++r)
                 rails += QByteArray::number(r) + ";\"Schiene " + QByteArray::number(r) + "\"\r\n";
             dir.write("kurs42/Schienen.txt", rails);
         },
         "Schienen.txt, Zeile 130: Die Datei hat 5000 Schienen; das Programm unterscheidet "
         "höchstens 128."},
        {[&] { dir.write("kurs42/EXPORT-UNVOLLSTAENDIG.txt", ""); },
         "EXPORT-UNVOLLSTAENDIG.txt: Ein Export in diesen Ordner wurde unterbrochen"},
    };
    for (const auto& [damage, said] : rows) {
        SCOPED_TRACE(said.toStdString());
        QDir(copy).removeRecursively();
        QDir().mkpath(copy);
        for (const QString& name : QDir(hand).entryList(QDir::Files))
            QFile::copy(hand + name, copy + name);
        damage();
        const cli::Run run =
            cli::kubb({"import-kurs42", "--from", copy, "--output", dir.path("BB.MDB")}, 10000);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.startsWith("kubb: " + said)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.path("BB.MDB")));
    }
    struct rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "kilobytes at most";

    QProcess zip;
    zip.setWorkingDirectory(QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data"));
    zip.start("zip", {"-qr", dir.path("folder.zip"), "kurs42"});
    if (!zip.waitForFinished() || zip.exitStatus() != QProcess::NormalExit || zip.exitCode() != 0)
        GTEST_SKIP() << "zip is missing";
    cli::ok({"import-kurs42", "--from", dir.path("folder.zip"), "--output", dir.path("BB.MDB")});
}
