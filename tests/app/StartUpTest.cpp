#include "app/StartUp.h"
#include "app/MainWindow.h"
#include "common/FileOpen.h"
#include "import/ErzKuB.h"
#include "platform/Files.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

using test::ScriptedHost;
using test::TempDir;
using test::TestDb;

namespace {

const QString kM1 = QString::fromUtf8(
    "Importieren der Daten aus Kollegstufendatei\n\rWählen dazu Sie im Menü: Importieren");
const QString kCaption2009 = "Kurs- und Blockbildung (Schuljahr: 2009/2010)";

// The import window opens; the user closes it without importing.
void expectImportClosed(ScriptedHost& host) {
    host.onModal("ErzKuB", [](ui::Window& w) { dynamic_cast<importer::ErzKuB&>(w).Form_Unload(); });
}

// A pointer folder with a database holding one school year, and the main window started on it.
struct StartUp : ::testing::Test {
    TempDir tmp;
    ScriptedHost host;
    platform::RunState state;
    app::MDIKundB main{state, host};

    QString goodDatabase(const QString& name = "BB.MDB") {
        TestDb db(tmp.path(name));
        db.schoolYear("2009/2010", "     3");
        db.schoolYear("2010/2011", "     4");
        return db.path();
    }
    void pointTo(const QString& path) { tmp.write("TCLASSK", path.toUtf8() + "\r\n"); }
    void start() { main.Form_Load(tmp.dir()); }
};

} // namespace

TEST_F(StartUp, AGoodDatabaseGivesTheSchoolYearInTheCaptionAndTheLauncher) {
    pointTo(goodDatabase());
    start();
    EXPECT_EQ(state.DatenPfad, tmp.dir());
    EXPECT_EQ(state.DatenDatei, "BB.MDB");
    EXPECT_EQ(state.SchjBez, "2009/2010");
    EXPECT_EQ(state.SchjID, "     3");
    EXPECT_EQ(main.caption(), kCaption2009);
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StartUp, MissingPointerFileImportOrCancelOfTheSearchLeadIntoTheImport) {
    const auto importPath = [&](std::function<void(ui::Window&)> act) {
        ScriptedHost h;
        platform::RunState s;
        app::MDIKundB m(s, h);
        h.onModal("frmHinwFehlt", std::move(act));
        expectImportClosed(h);
        m.Form_Load(tmp.dir());
        EXPECT_EQ(h.statuses, QStringList{"Importieren der Daten aus der Kollegstufendatei."});
        EXPECT_EQ(h.modeless, QStringList{"frmAuswahl"});
        EXPECT_TRUE(h.messages.empty()) << "no M1 on this path";
        EXPECT_EQ(m.caption(), "Kurs- und Blockbildung");
    };
    importPath([&](ui::Window& w) {
        auto& f = dynamic_cast<app::frmHinwFehlt&>(w);
        EXPECT_EQ(f.Label1, tmp.dir()) << "the window shows the pointer directory";
        EXPECT_EQ(f.caption(), "TCLASSK fehlt!");
        f.cmdImport_Click();
    });
    importPath([](ui::Window& w) {
        auto& f = dynamic_cast<app::frmHinwFehlt&>(w);
        f.Form_Unload();
    });
    // "Suchen nach ..." cancelled behaves like the import.
    ScriptedHost h;
    platform::RunState s;
    app::MDIKundB m(s, h);
    h.onModal("frmHinwFehlt",
              [](ui::Window& w) { dynamic_cast<app::frmHinwFehlt&>(w).cmdSeek_Click(); });
    h.onOpenFile(std::nullopt);
    expectImportClosed(h);
    m.Form_Load(tmp.dir());
    EXPECT_EQ(h.statuses, QStringList{"Importieren der Daten aus der Kollegstufendatei."});
    EXPECT_FALSE(QFile::exists(tmp.path("TCLASSK")));
}

TEST_F(StartUp, MissingPointerFileSearchFindsADatabaseAndWritesThePointerFile) {
    const QString db = goodDatabase();
    host.onModal("frmHinwFehlt",
                 [](ui::Window& w) { dynamic_cast<app::frmHinwFehlt&>(w).cmdSeek_Click(); });
    host.onOpenFile(db);
    start();
    EXPECT_EQ(tmp.read("TCLASSK"), db.toUtf8() + "\r\n");
    EXPECT_EQ(main.caption(), kCaption2009);
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].filter, "Alle Datendateien (*.MDB)|*.MDB");
    EXPECT_EQ(host.fileDialogs[0].filterIndex, 1);
}

TEST_F(StartUp, AbbrechenInTheMissingPointerWindowEndsTheProgram) {
    host.onModal("frmHinwFehlt",
                 [](ui::Window& w) { dynamic_cast<app::frmHinwFehlt&>(w).cmdAbbruch_Click(); });
    start();
    EXPECT_TRUE(host.quitCalled);
    EXPECT_TRUE(host.modeless.isEmpty());
    EXPECT_TRUE(host.statuses.isEmpty());
}

TEST_F(StartUp, HelpInTheMissingPointerWindowOpensTheKeywordStarten) {
    host.onModal("frmHinwFehlt", [](ui::Window& w) {
        auto& f = dynamic_cast<app::frmHinwFehlt&>(w);
        f.cmdHilfe_Click();
        f.cmdImport_Click();
    });
    expectImportClosed(host);
    start();
    ASSERT_EQ(host.help.size(), 1u);
    EXPECT_EQ(host.help[0].kind, ui::HelpRef::Kind::Keyword);
    EXPECT_EQ(host.help[0].keyword, "Starten");
}

TEST_F(StartUp, UnreadablePointerFileShowsTheDiskErrorThenM1AndTheImport) {
    QDir().mkpath(tmp.path("TCLASSK")); // exists, but cannot be read as a file
    host.onMessage(tmp.path("TCLASSK") + ": Pfad/Datei-Zugriffsfehler!\r\nNur zum Lesen gesetzt!",
                   ui::Answer::Cancel);
    host.onMessage(kM1);
    expectImportClosed(host);
    start();
    EXPECT_EQ(host.messages.at(1).title, "Kurs- und Blockbildung");
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});
}

TEST_F(StartUp, CommaInThePointerLineCutsThePath) {
    const QString db = goodDatabase();
    pointTo("  " + db + ",alt\\BB.MDB");
    start();
    EXPECT_EQ(state.databasePath(), db);
    EXPECT_EQ(main.caption(), kCaption2009);
}

TEST_F(StartUp, DatabaseInADriveRootSplitsIntoDriveAndName) {
    TempDir wine;
    qputenv("WINEPREFIX", wine.dir().toUtf8());
    QDir().mkpath(wine.path("drive_c"));
    {
        TestDb db(wine.path("drive_c/BB.MDB"));
        db.schoolYear("2009/2010", "     3");
    }
    pointTo("C:\\BB.MDB");
    start();
    qunsetenv("WINEPREFIX");
    EXPECT_EQ(state.DatenPfad, "C:");
    EXPECT_EQ(state.DatenDatei, "BB.MDB");
    EXPECT_EQ(main.caption(), kCaption2009);
}

TEST_F(StartUp, BareFileNameOrMissingDirectoryLeadsToTheDataFileDialog) {
    pointTo("BB.MDB");
    host.onOpenFile("BB.MDB");
    host.onMessage(QString::fromUtf8("ungültiger Datenpfadname!"));
    host.onOpenFile(std::nullopt);
    host.onMessage(kM1);
    expectImportClosed(host);
    start();
    EXPECT_EQ(host.messages.at(0).title, "") << "the program's default title";
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});

    ScriptedHost h;
    platform::RunState s;
    app::MDIKundB m(s, h);
    pointTo(tmp.path("gibtsnicht/BB.MDB"));
    const QString db = goodDatabase();
    h.onOpenFile(db);
    m.Form_Load(tmp.dir());
    EXPECT_EQ(s.databasePath(), db);
    EXPECT_EQ(m.caption(), kCaption2009);
    EXPECT_EQ(tmp.read("TCLASSK"), db.toUtf8() + "\r\n") << "the dialog rewrote the pointer file";
}

TEST_F(StartUp, ExistingEmptyDirectoryWithoutTheDatabaseAsksForAFile) {
    QDir().mkpath(tmp.path("leer"));
    pointTo(tmp.path("leer/BB.MDB"));
    host.onOpenFile(std::nullopt);
    host.onMessage(kM1);
    expectImportClosed(host);
    start();
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].initialDir, "") << "no initial directory at start-up";
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});
}

TEST_F(StartUp, MissingDatabaseChosenAnewShowsTheLauncherOnce) {
    pointTo(tmp.path("BB.MDB"));
    const QString other = goodDatabase("ANDERE.MDB");
    host.onOpenFile(other);
    start();
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"}) << "shown at once, not twice";
    EXPECT_EQ(main.caption(), kCaption2009);
}

TEST_F(StartUp, EmptyDatabaseFileAsksAgainAndAnEmptyChoiceIsRefused) {
    tmp.write("BB.MDB", "");
    pointTo(tmp.path("BB.MDB"));
    host.onOpenFile(tmp.path("BB.MDB"));
    host.onMessage("Datendatei ist leer!");
    host.onOpenFile(std::nullopt);
    host.onMessage(kM1);
    expectImportClosed(host);
    start();
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});
    EXPECT_EQ(main.caption(), "Kurs- und Blockbildung");
}

TEST_F(StartUp, DatabaseWithoutSchjahrOrNotADatabaseIsNoBlockFile) {
    {
        db::Connection c(tmp.path("FREMD.MDB"), db::Connection::Mode::Create);
        c.exec("CREATE TABLE irgendwas (x)");
    }
    pointTo(tmp.path("FREMD.MDB"));
    host.onMessage("Keine Blockbildungsdatei!");
    start();
    EXPECT_TRUE(host.modeless.isEmpty()) << "start-up ends without the launcher";
    EXPECT_FALSE(host.quitCalled);

    for (const QByteArray& bytes :
         {QByteArray("Standard Jet DB\0\0\0\0garbage", 27), QByteArray(4096, '\x5a')}) {
        ScriptedHost h;
        platform::RunState s;
        app::MDIKundB m(s, h);
        tmp.write("ALT.MDB", bytes);
        pointTo(tmp.path("ALT.MDB"));
        h.onMessage("Keine Blockbildungsdatei!");
        m.Form_Load(tmp.dir());
        EXPECT_FALSE(h.quitCalled);
        EXPECT_EQ(tmp.read("ALT.MDB"), bytes) << "the foreign file is left as it was";
    }
}

TEST_F(StartUp, EmptySchjahrWarnsAndShowsNoLauncher) {
    TestDb db(tmp.path("BB.MDB"));
    pointTo(db.path());
    host.onMessage("Blockbildungsdateien enthalten noch keine Daten!\r\n");
    start();
    EXPECT_TRUE(host.modeless.isEmpty());
    EXPECT_EQ(main.caption(), "Kurs- und Blockbildung");
}

TEST_F(StartUp, CommandLineNamesThePointerDirectoryUnchanged) {
    // Without a trailing separator the file name is glued onto the last directory name.
    const QString db = goodDatabase();
    QDir().mkpath(tmp.path("daten"));
    tmp.write("datenTCLASSK", db.toUtf8() + "\r\n");
    main.Form_Load(tmp.path("daten"));
    EXPECT_EQ(main.caption(), kCaption2009);
}

TEST_F(StartUp, AReadOnlyProgramFolderKeepsThePointerFileInTheUsersConfiguration) {
    const QString config =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/";
    const QString db = goodDatabase();
    // As installed: /proc takes no new file, not even from root.
    state.ProgPfad = "/proc/";
    host.onModal("frmHinwFehlt", [&](ui::Window& w) {
        auto& f = dynamic_cast<app::frmHinwFehlt&>(w);
        EXPECT_EQ(f.Label1, config);
        f.cmdSeek_Click();
    });
    host.onOpenFile(db);
    main.Form_Load(QString());
    QFile pointer(config + "TCLASSK");
    ASSERT_TRUE(pointer.open(QIODevice::ReadOnly));
    EXPECT_EQ(pointer.readAll(), db.toUtf8() + "\r\n");

    // The next start finds it there and asks nothing.
    ScriptedHost h;
    platform::RunState s;
    s.ProgPfad = "/proc/";
    app::MDIKundB next(s, h);
    next.Form_Load(QString());
    EXPECT_EQ(next.caption(), kCaption2009);
    EXPECT_TRUE(h.fileDialogs.empty());
    EXPECT_TRUE(h.messages.empty());
    pointer.remove();
}

TEST_F(StartUp, ADamagedDatabaseShowsItsCauseAndOffersAnotherOrTheImport) {
    // Half a database: the engine finds the image malformed and says so in English.
    const QString good = goodDatabase("GUT.MDB");
    {
        TestDb big(tmp.path("BB.MDB"));
        big.schoolYear("2009/2010", "     3");
        for (int i = 0; i < 300; ++i)
            big.insert("kolleg", {{"KO_FAMNAME", QString(30, 'x')}});
    }
    QFile f(tmp.path("BB.MDB"));
    ASSERT_TRUE(f.resize(f.size() / 2));
    pointTo(tmp.path("BB.MDB"));
    host.onMessage(ui::Answer::Ok)
        .onModal("frmHinwFehlt",
                 [](ui::Window& w) { static_cast<app::frmHinwFehlt&>(w).cmdSeek_Click(); })
        .onOpenFile(good);
    start();
    EXPECT_EQ(host.messages.at(0).icon, ui::Icon::Critical);
    EXPECT_EQ(host.messages.at(0).text, "Die Datenbank " + tmp.path("BB.MDB") + " ist beschädigt.")
        << "the engine's cause in German";
    EXPECT_FALSE(host.quitCalled) << "the program goes on";
    EXPECT_EQ(state.databasePath(), good);
    EXPECT_EQ(main.caption(), kCaption2009);
    EXPECT_EQ(tmp.read("TCLASSK"), good.toUtf8() + "\r\n");
    EXPECT_EQ(host.modeless, QStringList{"frmAuswahl"});

    // Or the planner imports anew.
    ScriptedHost h2;
    platform::RunState s2;
    app::MDIKundB m2(s2, h2);
    pointTo(tmp.path("BB.MDB"));
    h2.onMessage(ui::Answer::Ok).onModal("frmHinwFehlt", [](ui::Window& w) {
        static_cast<app::frmHinwFehlt&>(w).cmdImport_Click();
    });
    expectImportClosed(h2);
    m2.Form_Load(tmp.dir());
    EXPECT_FALSE(h2.quitCalled);
    EXPECT_EQ(h2.modal, (QStringList{"frmHinwFehlt", "ErzKuB"}));
}

TEST_F(StartUp, APointerFileNamingADirectoryLeadsToTheDataFileDialog) {
    const QString good = goodDatabase("GUT.MDB");
    QDir().mkpath(tmp.path("ORDNER.MDB"));
    pointTo(tmp.path("ORDNER.MDB"));
    host.onOpenFile(good);
    start();
    EXPECT_EQ(state.databasePath(), good);
    EXPECT_EQ(main.caption(), kCaption2009);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StartUp, DataFileChangeKeepsTheOldFileWhenTheNewOneHoldsNoSchoolYear) {
    pointTo(goodDatabase());
    start();
    const QString old = state.databasePath();
    state.ProgPfad = tmp.dir(); // the change writes the pointer file into the program directory
    TestDb empty(tmp.path("LEER.MDB"));
    host.onOpenFile(empty.path());
    host.onMessage("Blockbildungsdateien enthalten noch keine Daten!\r\n");
    main.click("menuDateiDW");
    EXPECT_EQ(state.databasePath(), old);
    EXPECT_EQ(main.caption(), kCaption2009);
    EXPECT_EQ(tmp.read("TCLASSK"), empty.path().toUtf8() + "\r\n")
        << "the pointer file keeps the new file";
    EXPECT_EQ(host.fileDialogs.back().initialDir, tmp.dir());

    // A good second file becomes current with its school year.
    TestDb second(tmp.path("ZWEI.MDB"));
    second.schoolYear("2010/2011", "     9");
    host.onOpenFile(second.path());
    main.click("menuDateiDW");
    EXPECT_EQ(state.databasePath(), second.path());
    EXPECT_EQ(state.SchjID, "     9");
    EXPECT_EQ(main.caption(), "Kurs- und Blockbildung (Schuljahr: 2010/2011)");
}

TEST_F(StartUp, WriteProtectedPointerFileCancelsTheDataFileDialog) {
    pointTo(goodDatabase());
    start();
    const QString old = state.databasePath();
    const QString other = goodDatabase("ZWEI.MDB");
    QFile::remove(tmp.path("TCLASSK"));
    QDir().mkpath(tmp.path("TCLASSK"));
    host.onOpenFile(other);
    host.onMessage(QString::fromUtf8(
        "Datei Tclassk ist schreibgeschützt. Datendatei wechseln nicht möglich."));
    main.menuDateiDW_Click();
    EXPECT_EQ(host.messages.back().title, "Externes Zeugnisprogramm");
    EXPECT_EQ(host.messages.back().icon, ui::Icon::Exclamation);
    EXPECT_EQ(state.databasePath(), old);
}

TEST_F(StartUp, AMissingPointerFolderIsNamedAndKeepsTheDatabase) {
    pointTo(goodDatabase());
    start();
    const QString old = state.databasePath();
    state.pointerDir = tmp.path("fehlt/");
    host.onOpenFile(goodDatabase("ZWEI.MDB"));
    host.onMessage(tmp.path("fehlt/") + "TCLASSK: Pfad nicht gefunden!");
    main.menuDateiDW_Click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(state.databasePath(), old);
}

TEST_F(StartUp, TheDataFileChangeWritesThePointerFileWhereStartUpReadIt) {
    pointTo(goodDatabase());
    start(); // the pointer folder is on the command line
    state.ProgPfad = tmp.path("prog/");
    QDir().mkpath(state.ProgPfad);
    const QString other = goodDatabase("ZWEI.MDB");
    host.onOpenFile(other);
    main.menuDateiDW_Click();
    EXPECT_EQ(state.databasePath(), other);
    QFile f(tmp.path("TCLASSK"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), other.toUtf8() + "\r\n");
    EXPECT_FALSE(QFile::exists(tmp.path("prog/TCLASSK")));
}

TEST_F(StartUp, InfoHelpAndSiblingStart) {
    pointTo(goodDatabase());
    start();
    host.onMessage("Version: 2009-08\r\nStand: 21.05.2009");
    main.click("menueHilfeInfo");
    EXPECT_EQ(host.messages.back().title, "Kurs- und Blockbildung-XR-Version");
    main.click("menuHilfeHilfe");
    EXPECT_EQ(host.help.back().kind, ui::HelpRef::Kind::Contents);

    host.startProgramSucceeds = false;
    host.onMessage(ui::Answer::Ok);
    main.launcher().click("Tessikor");
    ASSERT_EQ(host.programs.size(), 1);
    EXPECT_TRUE(host.programs[0].endsWith("Tessikor " + state.databasePath()))
        << host.programs[0].toStdString();
    EXPECT_FALSE(host.quitCalled) << "a sibling that cannot start leaves this program running";
    EXPECT_TRUE(host.messages.back().text.startsWith("Das Programm "));
    EXPECT_TRUE(host.messages.back().text.endsWith("Tessikor konnte nicht gestartet werden."));

    host.startProgramSucceeds = true;
    main.click("menuDateiTessik");
    EXPECT_TRUE(host.quitCalled) << "the sibling takes over the database";
}

TEST(MainWindow, MenusCarryTheirCaptionsInOrder) {
    ScriptedHost host;
    platform::RunState s;
    app::MDIKundB m(s, host);
    QStringList captions;
    for (const auto& item : m.commands())
        captions << item.caption;
    EXPECT_EQ(captions,
              (QStringList{"&Datei", "&Setzen der Kurse", "&Blockdaten", "&Tessik starten", "-",
                           "&Importieren", "&Exportieren", "&Datendatei wechseln", "-",
                           QString::fromUtf8("&Ändern Belegung"), "-", "&Beenden", "Dr&ucken",
                           "&Schienen", "Bl&ock-Kurs-Listen", "&?", "&Hilfe", "&Info..."}));
    QStringList launcher;
    for (const auto& b : m.launcher().commands())
        launcher << b.caption;
    EXPECT_EQ(launcher, (QStringList{"Import aus Palexor", "Start von Tessikor",
                                     QString::fromUtf8("Übertragen nach Palexor"), "Beenden"}));
    EXPECT_EQ(m.launcher().caption(), "Auswahl");
    m.click("menuDateiBeenden");
    EXPECT_TRUE(host.quitCalled);
}
