// The import window ErzKuB driven through its handlers, as the planner uses it, on the "rules"
// container; and the import command compared with kubb on the demo school.
#include "ImportTestSupport.h"

#include "common/MessageWindow.h"
#include "common/Session.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace importtest;

namespace {

const QString kDroppedOne = "1 Zuordnung eines Kurses zu einer Schiene eines anderen Schuljahres "
                            "wurde nicht übernommen.";

const QString kNoCohort = QStringLiteral(
    "Keine Kollegiatenjahrgänge sind ausgewählt!\r\nWählen Sie eine oder zwei Zeilen in der "
    "Liste aus!");

class ImportWindow : public ::testing::Test {
protected:
    ImportWindow() { s.ProgPfad = work.dir(); }

    // The window after loading with an INI file that names the rules container.
    std::unique_ptr<importer::ErzKuB> loaded(QDate today) {
        wine.writeIni(wine.installContainer(rulesFolder()));
        auto w = std::make_unique<importer::ErzKuB>(s, host);
        w->today = [today] { return today; };
        w->Form_Load();
        return w;
    }
    static QString rulesFolder() { return QFileInfo(container("rules")).path(); }
    QString pointerFile() const {
        return QString::fromLatin1(work.read(QStringLiteral("TCLASSK"))).trimmed();
    }

    WinePrefix wine;
    test::TempDir work;
    platform::RunState s;
    test::ScriptedHost host;
};

TEST_F(ImportWindow, LoadsWithoutIniFileAndWaitsForDurchsuchen) {
    importer::ErzKuB w(s, host);
    w.Form_Load();
    EXPECT_EQ(w.lblDMerix,
              "Orvid ist nicht im Standardverzeichnis c:\\palex. Wählen Sie durchsuchen.");
    EXPECT_EQ(w.lstSJ.count(), 0);
    EXPECT_EQ(w.lstKollJahrg.count(), 0);
    EXPECT_EQ(s.DatenPfad, "C:\\");
    EXPECT_EQ(s.DatenDatei, "BB.MDB");
    EXPECT_EQ(s.VerwDbcPfad, "");
}

TEST_F(ImportWindow, LoadsTheSchoolYearOfTodayAndItsTwoCohorts) {
    auto w = loaded(QDate(2009, 11, 2));
    EXPECT_EQ(w->lblDMerix, "C:\\PALEX\\DATEN\\QZ.DBC");
    // SJ_SCHJ, five blanks, the six-character key.
    EXPECT_EQ(w->lstSJ.lines(), QStringList({"2007/2008          7", "2008/2009          8",
                                             "2009/2010          9", "2012/2013         12"}));
    EXPECT_EQ(w->lstSJ.currentIndex(), 2);
    EXPECT_EQ(s.SchjBez, "2009/2010");
    EXPECT_EQ(s.SchjID, "     9");
    EXPECT_EQ(w->lstKollJahrg.lines(), QStringList({"2009", "2008"}));
    EXPECT_EQ(w->lstKollJahrg.currentIndex(), 0);

    // Clicking the current line again keeps the cohort list and its selection.
    w->lstKollJahrg.setSelected(0, true);
    w->lstKollJahrg.setSelected(1, true);
    w->lstSJ_Click();
    EXPECT_EQ(w->lstKollJahrg.selectedCount(), 2);

    // A school year without students of its two cohorts.
    host.onMessage("Zum ausgewählten Schuljahr gibt es keine Kursphasen!");
    w->lstSJ.setCurrent(3);
    w->lstSJ_Click();
    EXPECT_EQ(s.SchjID, "    12");
    EXPECT_EQ(w->lstKollJahrg.count(), 0);
    host.onMessage(kNoCohort);
    w->Befehl1_Click();
    EXPECT_TRUE(host.fileDialogs.empty()) << "no target asked for";
}

TEST_F(ImportWindow, TakesLineZeroWhenNoSchoolYearStartsThisYear) {
    auto w = loaded(QDate(2030, 1, 15));
    EXPECT_EQ(w->lstSJ.currentIndex(), 0);
    EXPECT_EQ(s.SchjBez, "2007/2008");
    EXPECT_EQ(w->lstKollJahrg.lines(), QStringList({"2007"}));
}

TEST_F(ImportWindow, CancellingDurchsuchenOrAbbruchEndsTheProgram) {
    {
        importer::ErzKuB w(s, host);
        w.Form_Load();
        host.onOpenFile(std::nullopt);
        w.cmdSeek_Click();
        ASSERT_EQ(host.fileDialogs.size(), 1u);
        EXPECT_EQ(host.fileDialogs[0].filter, "FoxPro-Datenbanken (*.dbc)|*.dbc");
        EXPECT_EQ(host.fileDialogs[0].fileName, "Qz.dbc");
        EXPECT_EQ(w.Label1, "Abbruch");
        EXPECT_TRUE(host.quitCalled);
    }
    test::ScriptedHost other;
    importer::ErzKuB w(s, other);
    w.Befehl2_Click();
    EXPECT_EQ(w.Label1, "Abbruch");
    EXPECT_TRUE(other.quitCalled);
}

TEST_F(ImportWindow, NoContainerChosenForTheImportBuildsNothing) {
    importer::ErzKuB w(s, host);
    w.Form_Load(); // no INI file: no container
    w.lstKollJahrg.setLines({"2009"});
    w.lstKollJahrg.setSelected(0, true);
    host.onSaveFile(work.path("bb.mdb")).onOpenFile(std::nullopt);
    w.Befehl1_Click();
    ASSERT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_EQ(host.fileDialogs[1].filter, "FoxPro-Datenbanken (*.dbc)|*.dbc");
    EXPECT_TRUE(host.statuses.isEmpty()) << "no database is said to be made";
    EXPECT_TRUE(QDir(work.dir()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(w.imported);
}

TEST_F(ImportWindow, NoToTheOverwriteQuestionAsksAgainThereAndKeepsTheFile) {
    importer::ErzKuB w(s, host);
    work.write("BB.MDB", "Blockdaten vom letzten Jahr");
    const QString existing = work.path("BB.MDB");
    host.onSaveFile(existing)
        .onMessage("Im gewählten Verzeichnis " + existing +
                       " existieren bereits Blockdaten!\nSollen diese tatsächlich überschrieben "
                       "werden?",
                   ui::Answer::No)
        .onSaveFile(std::nullopt);
    EXPECT_FALSE(w.DialogBlockbildungsDatenbankName()) << "cancelled";
    ASSERT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_EQ(host.fileDialogs[0].filter, "Alle Datendateien (*.MDB)|*.MDB");
    EXPECT_EQ(host.fileDialogs[1].initialDir, existing);
    EXPECT_EQ(host.messages[0].title, "");
    EXPECT_EQ(host.messages[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(host.messages[0].defaultButton, 1);
    EXPECT_EQ(work.read("BB.MDB"), "Blockdaten vom letzten Jahr");
    EXPECT_FALSE(QFileInfo::exists(work.path("TCLASSK")));
}

TEST_F(ImportWindow, AMissingPointerFolderIsNamedBeforeTheImportBegins) {
    importer::ErzKuB w(s, host);
    s.pointerDir = work.path("fehlt/");
    host.onSaveFile(work.path("bb.mdb"))
        .onMessage(work.path("fehlt/") + "TCLASSK: Pfad nicht gefunden!");
    EXPECT_FALSE(w.DialogBlockbildungsDatenbankName());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(host.messages[0].title, "Externes Zeugnisprogramm");
}

TEST_F(ImportWindow, ImportsBothCohortsIntoTheChosenFileReplacingTheOldOne) {
    auto w = loaded(QDate(2009, 11, 2));
    w->lstKollJahrg.setSelected(0, true);
    w->lstKollJahrg.setSelected(1, true);
    work.write("bb.mdb", "alt");
    const QString target = work.path("bb.mdb");
    host.onSaveFile(target).onMessage(ui::Answer::Yes);
    w->Befehl1_Click();
    EXPECT_EQ(work.read("bb.mdb"), "alt") << "the old file stays until the new one is complete";
    EXPECT_FALSE(QFileInfo::exists(work.path("TCLASSK")));
    EXPECT_EQ(s.DatenDatei, "BB.MDB") << "the run is not on the new file yet";

    host.onMessage("Kurse werden vorbesetzt!").onModal("frmFMld").onMessage(kDroppedOne);
    ASSERT_TRUE(w->finishImport());
    EXPECT_EQ(w->previousKey, "     8");
    EXPECT_EQ(s.DatenPfad, work.dir());
    EXPECT_EQ(s.DatenDatei, "bb.mdb");
    EXPECT_EQ(pointerFile(), target);
    EXPECT_EQ(w->Label1, target);
    EXPECT_EQ(w->Label4, "Erzeuge Tabelle:");
    EXPECT_EQ(w->Label3, "Ckkurs");
    EXPECT_TRUE(host.statuses.contains("Datenbank " + target + " wurde erstellt!"));
    EXPECT_EQ(host.status, "");

    // The same file as the transfers and the pre-assignment give for this selection.
    test::ScriptedHost direct;
    Import expected(container("rules"));
    expected.run(direct, select2009({"2009", "2008"}));
    common::LiesSchj(expected.state, direct);
    common::frmFMld notServed(direct);
    importer::Vorbesetzen(expected.state, direct, notServed);
    EXPECT_EQ(dumpDatabase(target), expected.dump());
    EXPECT_EQ(rowsOf(target, "SELECT count(*) FROM kolleg"), QStringList({"4"}));
}

TEST_F(ImportWindow, AFailedImportLeavesTheOldFileTheRunAndThePointerFile) {
    wine.writeIni(wine.installContainer(QFileInfo(container("teacher_twice")).path()));
    s.DatenPfad = work.dir();
    s.DatenDatei = "ALT.MDB";
    s.SchjBez = "2008/2009";
    s.SchjID = "     8";
    work.write("bb.mdb", "alt");
    importer::ErzKuB w(s, host);
    w.today = [] { return QDate(2009, 11, 2); };
    w.Form_Load();
    w.lstKollJahrg.setSelected(0, true);
    host.onSaveFile(work.path("bb.mdb")).onMessage(ui::Answer::Yes);
    EXPECT_THROW(w.Befehl1_Click(), db::DbError) << "a teacher twice stops the import";
    w.Form_Unload(); // the close box
    EXPECT_EQ(work.read("bb.mdb"), "alt") << "replaced only by a complete import";
    EXPECT_EQ(QDir(work.dir()).entryList(QDir::Files), QStringList{"bb.mdb"})
        << "no temporary file is left behind";
    EXPECT_EQ(s.databasePath(), work.path("ALT.MDB"));
    EXPECT_EQ(s.SchjBez, "2008/2009");
    EXPECT_EQ(s.SchjID, "     8");
}

TEST_F(ImportWindow, ATargetOnTheFloppyIsBuiltInTheTemporaryFolderAndCopied) {
    auto w = loaded(QDate(2009, 11, 2));
    w->lstKollJahrg.setSelected(0, true);
    const QString floppy = wine.drive('a');
    host.onSaveFile("a:\\bb.mdb");
    w->Befehl1_Click();
    host.onMessage("Kurse werden vorbesetzt!").onModal("frmFMld").onMessage(kDroppedOne);
    ASSERT_TRUE(w->finishImport());
    EXPECT_EQ(s.DatenPfad, "A:");
    EXPECT_EQ(rowsOf(floppy + "BB.MDB", "SELECT count(*) FROM kolleg"), QStringList({"2"}));
    EXPECT_FALSE(QFileInfo::exists(wine.drive('c') + "tempvx"));
    EXPECT_TRUE(w->Label3.startsWith("Quelle : C:\\tempvx\\BB.MDB")) << w->Label3.toStdString();
    EXPECT_EQ(w->Label4, "Ziel   : A:BB.MDB");
}

// The import command with its window, the school year and the pre-assignment, against kubb.
TEST(ImportCommand, GivesTheSameDatabaseAsKubbImport) {
    const QString kubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");
    ASSERT_TRUE(QFileInfo(kubb).isExecutable()) << "build the target kubb first";
    WinePrefix wine; // no INI file: the planner looks for the container
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
        .onOpenFile(demoContainer())
        .onSaveFile(work.path("window.mdb"))
        .onMessage("Kurse werden vorbesetzt!")
        .onModal("frmFMld",
                 [&](ui::Window& w) {
                     auto& window = static_cast<common::frmFMld&>(w);
                     notServed = window.txtFMld;
                     window.cmdgelesen_Click();
                 })
        .onMessage(kDroppedOne);
    ASSERT_TRUE(importer::importCommand(s, host));
    EXPECT_EQ(s.SchjBez, "2009/2010");

    QProcess p;
    p.start(kubb, {"import", "--container", demoContainer(), "--school-year", "2009/2010",
                   "--cohort", "2009", "--cohort", "2008", "--output", work.path("kubb.mdb")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());

    const QStringList window = dumpDatabase(work.path("window.mdb"));
    EXPECT_GT(window.size(), 3000);
    EXPECT_EQ(window, dumpDatabase(work.path("kubb.mdb")));
    EXPECT_FALSE(notServed.isEmpty());
    EXPECT_TRUE(
        out.contains("Kurszuweisung nicht möglich:\n" + QString(notServed).replace("\r\n", "\n")))
        << out.toStdString();
}

} // namespace

namespace {

TEST(KubbImport, DriveLetterPathsMapTheWineWayAndMisuseGoesToStderr) {
    const QString kubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");
    WinePrefix wine; // sets WINEPREFIX, which the child inherits
    const QString container =
        wine.installContainer(QFileInfo(importtest::container("rules")).path());
    QDir().mkpath(wine.drive('d') + "bb");
    QProcess p;
    p.start(kubb, {"import", "--container", container, "--school-year", "2009/2010", "--cohort",
                   "2009", "--output", "D:\\bb\\NEU.MDB", "--pointer-dir", "D:\\bb\\"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(rowsOf(wine.drive('d') + "bb/NEU.MDB", "SELECT count(*) FROM kolleg"),
              QStringList{"2"});
    QFile pointer(wine.drive('d') + "bb/TCLASSK");
    ASSERT_TRUE(pointer.open(QIODevice::ReadOnly));
    EXPECT_EQ(pointer.readAll(), "D:\\bb\\NEU.MDB\r\n");

    p.start(kubb, {});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    const QString usage = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(usage.contains("Aufruf: kubb BEFEHL"));
    // German words with their umlauts, not spelt around them.
    for (const auto& [word, spelt] : {std::pair{"Schülerzahlen", "Schuelerzahlen"},
                                      {"höchstens", "hoechstens"},
                                      {"Menüpunkt", "Menuepunkt"},
                                      {"Rückgabewert", "Rueckgabewert"},
                                      {"größte", "groesste"}}) {
        EXPECT_TRUE(usage.contains(QString::fromUtf8(word))) << word;
        EXPECT_FALSE(usage.contains(QLatin1String(spelt))) << spelt;
    }
}

} // namespace
