// The import window ErzKuB driven through its handlers, as the planner uses it, on the "rules"
// container.
#include "ImportSupport.h"

using namespace importtest;

namespace {

const QString kDroppedOne = "1 Zuordnung eines Kurses zu einer Schiene eines anderen Schuljahres "
                            "wurde nicht übernommen.";

class ImportWindow : public ::testing::Test {
protected:
    ImportWindow() { s.ProgPfad = work.dir(); }

    // The window after loading, with an INI file that names the container when one is given.
    std::unique_ptr<importer::ErzKuB> loaded(QDate today, const QString& fixture = "rules") {
        if (!fixture.isEmpty())
            wine.writeIni(wine.installContainer(QFileInfo(container(fixture)).path()));
        auto w = std::make_unique<importer::ErzKuB>(s, host);
        w->today = [today] { return today; };
        w->Form_Load();
        return w;
    }

    test::WinePrefix wine;
    test::TempDir work;
    platform::RunState s;
    test::ScriptedHost host;
};

// Without INI file the window waits for "Durchsuchen": an import asks for the container and,
// with none chosen, builds nothing; cancelling "Durchsuchen", or "Abbruch", ends the program.
TEST_F(ImportWindow, WithoutIniFileNoContainerNoImportAndCancellingEndsTheProgram) {
    auto w = loaded({}, {});
    EXPECT_EQ(w->lblDMerix,
              "Orvid ist nicht im Standardverzeichnis c:\\palex. Wählen Sie durchsuchen.");
    EXPECT_EQ(QStringList({s.DatenPfad, s.DatenDatei, s.VerwDbcPfad}),
              QStringList({"C:\\", "BB.MDB", ""}));
    w->lstKollJahrg.setLines({"2009"});
    w->lstKollJahrg.setSelected(0, true);
    host.onSaveFile(work.path("bb.mdb")).onOpenFile(std::nullopt);
    w->Befehl1_Click();
    EXPECT_TRUE(host.statuses.isEmpty() && !w->imported) << "no database is said to be made";
    EXPECT_TRUE(QDir(work.dir()).entryList(QDir::Files).isEmpty());

    host.onOpenFile(std::nullopt);
    w->cmdSeek_Click();
    ASSERT_EQ(host.fileDialogs.size(), 3u);
    EXPECT_EQ(host.fileDialogs[2].filter + host.fileDialogs[2].fileName,
              "FoxPro-Datenbanken (*.dbc)|*.dbcQz.dbc");
    test::ScriptedHost other;
    importer::ErzKuB abort(s, other);
    abort.Befehl2_Click();
    EXPECT_EQ(w->Label1 + abort.Label1, "AbbruchAbbruch");
    EXPECT_TRUE(host.quitCalled && other.quitCalled);
}

// The school year that starts in today's year, else line 0; its one or two cohorts.
TEST_F(ImportWindow, LoadsTheSchoolYearOfTodayAndItsCohorts) {
    const std::tuple<QDate, int, QString, QStringList> cases[] = {
        {QDate(2009, 11, 2), 2, "2009/2010", {"2009", "2008"}},
        {QDate(2030, 1, 15), 0, "2007/2008", {"2007"}},
    };
    for (const auto& [today, line, year, cohorts] : cases) {
        auto w = loaded(today);
        EXPECT_EQ(w->lblDMerix, "C:\\PALEX\\DATEN\\QZ.DBC");
        // SJ_SCHJ, five blanks, the six-character key.
        EXPECT_EQ(w->lstSJ.lines(), QStringList({"2007/2008          7", "2008/2009          8",
                                                 "2009/2010          9", "2012/2013         12"}));
        EXPECT_EQ(w->lstSJ.currentIndex(), line);
        EXPECT_EQ(s.SchjBez, year);
        EXPECT_EQ(w->lstKollJahrg.lines(), cohorts);
        EXPECT_EQ(w->lstKollJahrg.currentIndex(), 0);
    }
    auto w = loaded(QDate(2009, 11, 2));
    EXPECT_EQ(s.SchjID, "     9");
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
    host.onMessage("Keine Kollegiatenjahrgänge sind ausgewählt!\r\nWählen Sie eine oder zwei "
                   "Zeilen in der Liste aus!");
    w->Befehl1_Click();
    EXPECT_TRUE(host.fileDialogs.empty()) << "no target asked for";
}

// "No" to the overwrite question asks again there and keeps the file; a missing folder for the
// pointer file is named before the import begins.
TEST_F(ImportWindow, NoToTheOverwriteQuestionOrAMissingPointerFolderImportsNothing) {
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
    EXPECT_EQ(std::tuple(host.messages[0].title, host.messages[0].buttons,
                         host.messages[0].defaultButton),
              std::tuple(QString(), ui::Buttons::YesNo, 1));
    EXPECT_EQ(work.read("BB.MDB"), "Blockdaten vom letzten Jahr");
    EXPECT_FALSE(QFileInfo::exists(work.path("TCLASSK")));

    test::ScriptedHost other;
    importer::ErzKuB again(s, other);
    s.pointerDir = work.path("fehlt/");
    other.onSaveFile(work.path("bb.mdb"))
        .onMessage(work.path("fehlt/") + "TCLASSK: Pfad nicht gefunden!");
    EXPECT_FALSE(again.DialogBlockbildungsDatenbankName());
    ASSERT_EQ(other.messages.size(), 1u);
    EXPECT_EQ(std::pair(other.messages[0].icon, other.messages[0].title),
              std::pair(ui::Icon::Exclamation, QString("Externes Zeugnisprogramm")));
}

TEST_F(ImportWindow, ImportsIntoTheChosenFileReplacingTheOldOneOrThroughTheTemporaryFolder) {
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
    EXPECT_EQ(w->previousKey + s.databasePath(), "     8" + target);
    EXPECT_EQ(QString::fromLatin1(work.read("TCLASSK")).trimmed(), target);
    EXPECT_EQ(QStringList({w->Label1, w->Label4, w->Label3}),
              QStringList({target, "Erzeuge Tabelle:", "Ckkurs"}));
    EXPECT_TRUE(host.statuses.contains("Datenbank " + target + " wurde erstellt!"));
    EXPECT_EQ(host.status, "");

    // kubb import's test compares the whole file with the one the transfers give.
    EXPECT_EQ(test::rowsOf(target, "SELECT count(*) FROM kolleg"), QStringList({"4"}));

    // A target on the floppy is built in the temporary folder and copied.
    auto floppy = loaded(QDate(2009, 11, 2));
    floppy->lstKollJahrg.setSelected(0, true);
    const QString drive = wine.drive('a');
    host.onSaveFile("a:\\bb.mdb");
    floppy->Befehl1_Click();
    host.onMessage("Kurse werden vorbesetzt!").onModal("frmFMld").onMessage(kDroppedOne);
    ASSERT_TRUE(floppy->finishImport());
    EXPECT_EQ(s.DatenPfad, "A:");
    EXPECT_EQ(test::rowsOf(drive + "BB.MDB", "SELECT count(*) FROM kolleg"), QStringList({"2"}));
    EXPECT_FALSE(QFileInfo::exists(wine.drive('c') + "tempvx"));
    EXPECT_TRUE(floppy->Label3.startsWith("Quelle : C:\\tempvx\\BB.MDB"))
        << floppy->Label3.toStdString();
    EXPECT_EQ(floppy->Label4, "Ziel   : A:BB.MDB");
}

TEST_F(ImportWindow, AFailedImportLeavesTheOldFileTheRunAndThePointerFile) {
    s.useDatabase(work.path("ALT.MDB"));
    s.SchjBez = "2008/2009";
    s.SchjID = "     8";
    work.write("bb.mdb", "alt");
    auto w = loaded(QDate(2009, 11, 2), "teacher_twice");
    w->lstKollJahrg.setSelected(0, true);
    host.onSaveFile(work.path("bb.mdb")).onMessage(ui::Answer::Yes);
    EXPECT_THROW(w->Befehl1_Click(), db::DbError) << "a teacher twice stops the import";
    w->Form_Unload(); // the close box
    EXPECT_EQ(work.read("bb.mdb"), "alt") << "replaced only by a complete import";
    EXPECT_EQ(QDir(work.dir()).entryList(QDir::Files), QStringList{"bb.mdb"})
        << "no temporary file is left behind";
    EXPECT_EQ(QStringList({s.databasePath(), s.SchjBez, s.SchjID}),
              QStringList({work.path("ALT.MDB"), "2008/2009", "     8"}));
}

} // namespace
