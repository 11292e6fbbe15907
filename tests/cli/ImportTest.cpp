// kubb import against the import command with its window, and kubb on drive letters.
#include "KubbProcess.h"

#include "common/MessageWindow.h"
#include "import/ErzKuB.h"
#include "support/ScriptedHost.h"
#include "support/WinePrefix.h"

#include <gtest/gtest.h>

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

} // namespace

namespace {

TEST(KubbKurs42, RefusesAnExistingOutputAndACohortTheSchoolYearLacks) {
    test::TempDir dir;
    dir.write("BB.MDB", "alt");
    const cli::Run import =
        cli::kubb({"import-kurs42", "--from", dir.dir(), "--output", dir.path("BB.MDB")});
    EXPECT_EQ(import.code, 1);
    EXPECT_TRUE(import.err.contains("existiert bereits")) << import.err.toStdString();
    EXPECT_EQ(dir.read("BB.MDB"), QByteArray("alt"));

    const platform::RunState s = cli::demoSchool(dir, "DEMO.MDB");
    const cli::Run out = cli::kubb({"export-kurs42", "--db", s.databasePath(), "--cohort", "1999",
                                    "--to", dir.path("k42.zip")});
    EXPECT_EQ(out.code, 1);
    EXPECT_TRUE(out.err.contains("weder in Jahrgangsstufe 12 noch in 13")) << out.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.path("k42.zip")));
}

} // namespace
