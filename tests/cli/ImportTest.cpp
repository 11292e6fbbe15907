// kubb import against the import command with its window, and kubb on drive letters.
#include "KubbProcess.h"

#include "common/MessageWindow.h"
#include "exchange/Kurs42.h"
#include "import/ErzKuB.h"

namespace {

const QString kDemo = QStringLiteral(KUBB_SOURCE_DIR "/data/demo/QZ.DBC");

// The import command with its window, the school year and the pre-assignment, against kubb.
TEST(KubbImport, GivesTheSameDatabaseAsTheImportCommand) {
    test::WinePrefix wine; // no INI file: the planner looks for the container
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

    const cli::Run run =
        cli::kubb({"import", "--container", kDemo, "--school-year", "2009/2010", "--cohort", "2009",
                   "--cohort", "2008", "--output", work.path("kubb.mdb")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList window = test::dumpDatabase(work.path("window.mdb"));
    EXPECT_GT(window.size(), 3000);
    EXPECT_EQ(window, test::dumpDatabase(work.path("kubb.mdb")));
    EXPECT_FALSE(notServed.isEmpty());
    EXPECT_TRUE(run.out.contains("Kurszuweisung nicht möglich:\n" +
                                 QString(notServed).replace("\r\n", "\n")))
        << run.out.toStdString();
}

TEST(KubbImport, DriveLetterPathsMapTheWineWay) {
    test::WinePrefix wine; // sets WINEPREFIX, which the child inherits
    const QString container =
        wine.installContainer(QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data/rules"));
    QDir().mkpath(wine.drive('d') + "bb");
    const cli::Run run =
        cli::kubb({"import", "--container", container, "--school-year", "2009/2010", "--cohort",
                   "2009", "--output", "D:\\bb\\NEU.MDB", "--pointer-dir", "D:\\bb\\"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(test::rowsOf(wine.drive('d') + "bb/NEU.MDB", "SELECT count(*) FROM kolleg"),
              QStringList{"2"});
    QFile pointer(wine.drive('d') + "bb/TCLASSK");
    ASSERT_TRUE(pointer.open(QIODevice::ReadOnly));
    EXPECT_EQ(pointer.readAll(), "D:\\bb\\NEU.MDB\r\n");
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
        cli::ok({"evaluate", "--db", db, "--cohort", "2024"}).split('\n').mid(0, 10).join('\n'),
        "Jahrgang 2024 (Jahrgangsstufe 12): 10 Schüler, 6 Kurse, 4 Schienen\n"
        "Kollisionen (Schüler): 0\nLehrerkollisionen: 0\nRegeln verletzt: 0\n"
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

} // namespace
