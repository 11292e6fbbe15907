#include "app/StartUp.h"
#include "app/MainWindow.h"
#include "exchange/Kurs42.h"
#include "import/ErzKuB.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using test::TestDb;

namespace {

const QString kM1 =
    "Importieren der Daten aus Kollegstufendatei\n\rWählen dazu Sie im Menü: Importieren";
const QString kNoData = "Blockbildungsdateien enthalten noch keine Daten!\r\n";
const QString kPlain = "Kurs- und Blockbildung";
const QString kCaption2009 = "Kurs- und Blockbildung (Schuljahr: 2009/2010)";

// One start of the program on a pointer folder of its own.
struct Start {
    test::TempDir tmp;
    test::ScriptedHost host;
    platform::RunState state;
    app::MDIKundB main{state, host};

    // A database with two school years and as many students of 30 characters.
    QString goodDatabase(const QString& name = "BB.MDB", int students = 0) {
        TestDb db(tmp.path(name));
        db.schoolYear("2009/2010", "     3");
        db.schoolYear("2010/2011", "     4");
        for (int i = 0; i < students; ++i)
            db.insert("kolleg", {{"KO_FAMNAME", QString(30, 'x')}});
        return db.path();
    }
    void pointTo(const QString& path) { tmp.write("TCLASSK", path.toUtf8() + "\r\n"); }
    // The pointer file's bytes, none when it is missing.
    QByteArray pointer() const {
        return QFileInfo(tmp.path("TCLASSK")).isFile() ? tmp.read("TCLASSK") : QByteArray();
    }
    void start() { main.Form_Load(tmp.dir()); }
};

// One start-up: the files in the pointer folder, the pointer file ("@" the folder), the user's
// part, and what start-up ends with.
struct Case {
    const char* name;
    // "GUT.MDB" a database with two school years; "dir:", "empty:", "noyear:", "foreign:"
    // (another program's SQLite file), "zzz:" (bytes of no database, as an old Jet file is to
    // SQLite) and "damaged:" (a database cut in half) files of other kinds.
    QStringList files;
    const char* pointer; // nullptr: none
    // "missing:seek|import|close|abbruch|hilfe" in the missing-pointer window, "open:FILE"
    // ("open:" cancelled), "msg:TEXT", "cancel:TEXT" (answered with Abbrechen), "import" (the
    // import window, closed).
    QStringList script;
    bool launcher; // "Auswahl" shown, once
    // The database in use afterwards, its school year named in the caption; nullptr: none.
    const char* database = nullptr;
    const char* written = nullptr; // the pointer file afterwards; nullptr: as before
    QString titles = "";           // the messages' titles
};

QString at(const Start& r, const QString& text) {
    return QString(text).replace("@", r.tmp.dir());
}

void arrange(Start& r, const Case& c) {
    for (const QString& f : c.files) {
        const QString kind = f.section(':', 0, -2);
        const QString path = r.tmp.path(f.section(':', -1));
        if (kind.isEmpty()) {
            r.goodDatabase(f);
        } else if (kind == "dir") {
            QDir().mkpath(path);
        } else if (kind == "empty" || kind == "zzz") {
            r.tmp.write(f.section(':', -1),
                        kind == "zzz" ? QByteArray(4096, '\x5a') : QByteArray());
        } else if (kind == "noyear") {
            TestDb db(path);
        } else if (kind == "foreign") {
            db::Connection(path, db::Connection::Mode::Create).exec("CREATE TABLE irgendwas (x)");
        } else if (kind == "damaged") {
            QFile file(r.goodDatabase(f.section(':', -1), 300));
            ASSERT_TRUE(file.resize(file.size() / 2));
        }
    }
    if (c.pointer)
        r.tmp.write("TCLASSK", at(r, c.pointer).toUtf8() + "\r\n");
    for (const QString& step : c.script) {
        const QString verb = step.section(':', 0, 0);
        const QString rest = at(r, step.section(':', 1));
        if (verb == "missing")
            // The missing-pointer window opens; the step plays the user's part in it.
            r.host.onModal("frmHinwFehlt", [&r, rest](ui::Window& w) {
                auto& f = dynamic_cast<app::frmHinwFehlt&>(w);
                EXPECT_EQ(f.Label1, r.tmp.dir()) << "the window shows the pointer folder";
                EXPECT_EQ(f.caption(), "TCLASSK fehlt!");
                if (rest == "hilfe")
                    f.cmdHilfe_Click();
                rest == "seek"      ? f.cmdSeek_Click()
                : rest == "abbruch" ? f.cmdAbbruch_Click()
                : rest == "close"   ? (void)f.Form_Unload()
                                    : f.cmdImport_Click();
            });
        else if (verb == "open")
            r.host.onOpenFile(rest.isEmpty() ? std::nullopt : std::optional(rest));
        else if (verb == "msg" || verb == "cancel")
            r.host.onMessage(rest, verb == "msg" ? ui::Answer::Ok : ui::Answer::Cancel);
        else // the import window opens; the user closes it without importing
            r.host.onModal("ErzKuB",
                           [](ui::Window& w) { dynamic_cast<importer::ErzKuB&>(w).Form_Unload(); });
    }
}

} // namespace

// Every way start-up finds, asks for or gives up on the database. The scripted host fails a row
// whose prompts differ from its script; no database file is changed by it.
TEST(StartUp, FindsTheDatabaseThroughThePointerFileOrLeadsToTheDialogOrTheImport) {
    const QString damaged = "msg:Die Datenbank @BB.MDB ist beschädigt.";
    const QString m1 = "msg:" + kM1;
    const QString notBlock = "msg:Keine Blockbildungsdatei!";
    // clang-format off
    const Case cases[] = {
        {"a good database", {"BB.MDB"}, "@BB.MDB", {}, true, "@BB.MDB"},
        {"no pointer file, import", {}, nullptr, {"missing:import", "import"}, true},
        {"no pointer file, window closed", {}, nullptr, {"missing:close", "import"}, true},
        {"no pointer file, search cancelled", {}, nullptr, {"missing:seek", "open:", "import"},
         true, nullptr, ""},
        {"no pointer file, search finds a database", {"BB.MDB"}, nullptr,
         {"missing:seek", "open:@BB.MDB"}, true, "@BB.MDB", "@BB.MDB"},
        {"no pointer file, Abbrechen", {}, nullptr, {"missing:abbruch"}, false},
        {"no pointer file, Hilfe", {}, nullptr, {"missing:hilfe", "import"}, true},
        {"an unreadable pointer file", {"dir:TCLASSK"}, nullptr,
         {"cancel:@TCLASSK: Pfad/Datei-Zugriffsfehler!\r\nNur zum Lesen gesetzt!", m1, "import"},
         true, nullptr, nullptr, "Disk Error|" + kPlain},
        {"two lines, the first item cut at its comma", {"BB.MDB"},
         "  @BB.MDB,alt\\BB.MDB\r\n@ZWEI.MDB", {}, true, "@BB.MDB"},
        {"a bare file name, then a cancelled dialog", {}, "BB.MDB",
         {"open:BB.MDB", "msg:ungültiger Datenpfadname!", "open:", m1, "import"}, true, nullptr,
         nullptr, "|" + kPlain},
        {"a missing folder, then a database chosen", {"BB.MDB"}, "@gibtsnicht/BB.MDB",
         {"open:@BB.MDB"}, true, "@BB.MDB", "@BB.MDB"},
        {"an empty folder without the database", {"dir:leer"}, "@leer/BB.MDB",
         {"open:", m1, "import"}, true},
        {"a missing database chosen anew", {"ANDERE.MDB"}, "@BB.MDB", {"open:@ANDERE.MDB"}, true,
         "@ANDERE.MDB", "@ANDERE.MDB"},
        {"a folder in the database's place", {"GUT.MDB", "dir:ORDNER.MDB"}, "@ORDNER.MDB",
         {"open:@GUT.MDB"}, true, "@GUT.MDB", "@GUT.MDB"},
        {"an empty database file, and an empty choice", {"empty:BB.MDB"}, "@BB.MDB",
         {"open:@BB.MDB", "msg:Datendatei ist leer!", "open:", m1, "import"}, true},
        {"a database without schjahr", {"noyear:BB.MDB"}, "@BB.MDB", {"msg:" + kNoData}, false},
        {"another program's database", {"foreign:ALT.MDB"}, "@ALT.MDB", {notBlock}, false},
        {"no database at all", {"zzz:ALT.MDB"}, "@ALT.MDB", {notBlock}, false},
        {"a damaged database, another chosen", {"damaged:BB.MDB", "GUT.MDB"}, "@BB.MDB",
         {damaged, "missing:seek", "open:@GUT.MDB"}, true, "@GUT.MDB", "@GUT.MDB"},
        {"a damaged database, import", {"damaged:BB.MDB"}, "@BB.MDB",
         {damaged, "missing:import", "import"}, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start r;
        arrange(r, c);
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(r.tmp.dir()).entryList(QDir::Files))
            if (name != "TCLASSK")
                files[name] = r.tmp.read(name);
        const QByteArray pointer = r.pointer();
        r.start();
        EXPECT_EQ(r.host.pending(), 0u);
        EXPECT_EQ(r.main.caption(), c.database ? kCaption2009 : kPlain);
        EXPECT_EQ(r.host.modeless, c.launcher ? QStringList{"frmAuswahl"} : QStringList{});
        EXPECT_EQ(r.host.quitCalled, c.script.contains("missing:abbruch")) << "the program goes on";
        EXPECT_EQ(r.state.SchjID, c.database ? "     3" : "");
        EXPECT_EQ(r.state.databasePath(), c.database ? at(r, c.database) : r.state.databasePath());
        const QString written = c.written ? at(r, c.written) : QString();
        EXPECT_EQ(QString(r.pointer()), QString(!c.written          ? pointer
                                                : written.isEmpty() ? QByteArray()
                                                                    : written.toUtf8() + "\r\n"));
        for (auto f = files.begin(); f != files.end(); ++f)
            EXPECT_EQ(r.tmp.read(f.key()), f.value()) << f.key().toStdString();
        QStringList titles;
        for (const ui::Message& m : r.host.messages)
            titles << m.title;
        EXPECT_EQ(c.titles.isEmpty() ? c.titles : titles.join('|'), c.titles);
        // No initial folder at start-up.
        for (const ui::FileDialog& d : r.host.fileDialogs)
            EXPECT_EQ(d.filter + d.initialDir + QString::number(d.filterIndex),
                      "Alle Datendateien (*.MDB)|*.MDB1");
        const bool intoImport =
            c.script.contains("import") && c.script.join(' ').contains("missing:");
        EXPECT_EQ(r.host.statuses.contains("Importieren der Daten aus der Kollegstufendatei."),
                  intoImport);
        if (c.script.contains("missing:hilfe")) {
            ASSERT_EQ(r.host.help.size(), 1u);
            EXPECT_EQ(r.host.help[0].kind, ui::HelpRef::Kind::Keyword);
            EXPECT_EQ(r.host.help[0].keyword, "Starten");
        }
    }
}

// "Datendatei wechseln" after a good start: the pointer file is rewritten where start-up read
// it; the database changes only to one that holds a school year.
TEST(StartUp, TheDataFileChangeTakesOnlyAGoodFileAndSaysWhyNot) {
    Start r;
    r.pointTo(r.goodDatabase());
    r.start();
    const QString old = r.state.databasePath();
    r.state.ProgPfad = r.tmp.path("prog/");
    QDir().mkpath(r.state.ProgPfad);
    TestDb empty(r.tmp.path("LEER.MDB"));
    r.host.onOpenFile(empty.path()).onMessage(kNoData);
    r.main.click("menuDateiDW");
    EXPECT_EQ(r.state.databasePath(), old);
    EXPECT_EQ(r.main.caption(), kCaption2009);
    EXPECT_EQ(r.pointer(), empty.path().toUtf8() + "\r\n") << "the pointer file keeps the new file";
    EXPECT_EQ(r.host.fileDialogs.back().initialDir, r.tmp.dir());
    EXPECT_FALSE(QFile::exists(r.tmp.path("prog/TCLASSK")));

    TestDb second(r.tmp.path("ZWEI.MDB"));
    second.schoolYear("2010/2011", "     9");
    r.host.onOpenFile(second.path());
    r.main.menuDateiDW_Click();
    EXPECT_EQ(r.state.databasePath(), second.path());
    EXPECT_EQ(r.state.SchjID, "     9");
    EXPECT_EQ(r.main.caption(), "Kurs- und Blockbildung (Schuljahr: 2010/2011)");

    // A write-protected pointer file or a missing pointer folder keeps the database.
    QFile::remove(r.tmp.path("TCLASSK"));
    QDir().mkpath(r.tmp.path("TCLASSK"));
    r.host.onOpenFile(old).onMessage(
        "Datei Tclassk ist schreibgeschützt. Datendatei wechseln nicht möglich.");
    r.main.menuDateiDW_Click();
    EXPECT_EQ(r.host.messages.back().title, "Externes Zeugnisprogramm");
    EXPECT_EQ(r.host.messages.back().icon, ui::Icon::Exclamation);
    r.state.pointerDir = r.tmp.path("fehlt/");
    r.host.onOpenFile(old).onMessage(r.tmp.path("fehlt/") + "TCLASSK: Pfad nicht gefunden!");
    r.main.menuDateiDW_Click();
    EXPECT_EQ(r.host.messages.back().icon, ui::Icon::Exclamation);
    EXPECT_EQ(r.state.databasePath(), second.path());
}

TEST(MainWindow, MenusInfoHelpAndSiblingStart) {
    Start r;
    QStringList captions;
    for (const auto& item : r.main.commands())
        captions << item.caption;
    EXPECT_EQ(captions.join('|'),
              "&Datei|&Setzen der Kurse|&Blockdaten|&Tessik starten|-|&Importieren|&Exportieren|"
              "Importieren aus Kurs42 ...|Exportieren als Kurs42 ...|"
              "Exportieren – Stundenplan (GPU) ...|&Datendatei wechseln|-|"
              "&Ändern Belegung|-|&Beenden|&Bearbeiten|&Lehrer ...|&Planung|&Kurse und Schienen "
              "...|Dr&ucken|&Schienen|Bl&ock-Kurs-Listen|&?|&Hilfe|"
              "&Info...");
    EXPECT_EQ(r.main.launcher().caption(), "Auswahl");

    r.pointTo(r.goodDatabase());
    r.start();
    r.host.onMessage("Version: 2009-08\r\nStand: 21.05.2009");
    r.main.click("menueHilfeInfo");
    EXPECT_EQ(r.host.messages.back().title, "Kurs- und Blockbildung-XR-Version");
    r.main.click("menuHilfeHilfe");
    EXPECT_EQ(r.host.help.back().kind, ui::HelpRef::Kind::Contents);
    // Cancelled at its file dialog, the Kurs42 import leaves the run on its file.
    const QString before = r.state.databasePath();
    r.host.onOpenFile(std::nullopt);
    r.main.click("menuDateiK42Imp");
    EXPECT_EQ(r.state.databasePath(), before);
    EXPECT_EQ(r.host.fileDialogs.back().title, "Importieren aus Kurs42");
    // A row that breaks the export's rules stops it with file and line, once; a good export,
    // chosen by its Blockung.txt, becomes the run's file and goes back out as a zip.
    const QString k42 = QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42/");
    QDir().mkpath(r.tmp.path("bad"));
    for (const QString& f : QDir(k42).entryList({"*.txt"}))
        QFile::copy(k42 + f, r.tmp.path("bad/" + f));
    r.tmp.write("bad/Kurse.txt",
                r.tmp.read("bad/Kurse.txt") + r.tmp.read("bad/Kurse.txt").split('\n')[1] + '\n');
    r.host.onOpenFile(r.tmp.path("bad/Blockung.txt")).onSaveFile(r.tmp.path("K42.MDB"));
    r.host.onMessage(ui::Answer::Ok);
    r.main.click("menuDateiK42Imp");
    EXPECT_EQ(
        r.host.messages.back().text,
        "Kurse.txt, Zeile 8: Der Kurs „D-LK1“ steht zweimal in der Datei, zuerst in Zeile 2.");
    EXPECT_EQ(r.state.databasePath(), before);
    EXPECT_FALSE(QFile::exists(r.tmp.path("K42.MDB")));
    r.host.onOpenFile(k42 + "Blockung.txt").onSaveFile(r.tmp.path("K42.MDB"));
    r.host.onMessage(ui::Answer::Ok);
    r.main.click("menuDateiK42Imp");
    EXPECT_TRUE(r.host.messages.back().text.contains("Lehrer: 4"));
    EXPECT_EQ(r.state.databasePath(), r.tmp.path("K42.MDB"));
    EXPECT_EQ(r.state.SchjBez, "2024/2025");
    r.host.onSaveFile(r.tmp.path("k42.zip")).onMessage(ui::Answer::Ok);
    r.main.click("menuDateiK42Exp");
    EXPECT_EQ(r.host.messages.back().text,
              "Der Kollegiatenjahrgang 2024 wurde nach " + r.tmp.path("k42.zip") + " exportiert.");
    EXPECT_EQ(exchange::kurs42::read(r.tmp.path("k42.zip")).choices.size(), 29u);
    r.host.onModal("frmGPU");
    r.main.click("menuDateiGPUExp");
    r.state.useDatabase(before);

    r.host.startProgramSucceeds = false;
    r.host.onMessage(ui::Answer::Ok);
    r.main.launcher().click("Tessikor");
    ASSERT_EQ(r.host.programs.size(), 1);
    EXPECT_TRUE(r.host.programs[0].endsWith("Tessikor " + r.state.databasePath()));
    EXPECT_FALSE(r.host.quitCalled) << "a sibling that cannot start leaves this program running";
    const QString told = r.host.messages.back().text;
    EXPECT_TRUE(told.startsWith("Das Programm ") &&
                told.endsWith("Tessikor konnte nicht gestartet werden."));
    r.host.startProgramSucceeds = true;
    r.main.click("menuDateiTessik");
    EXPECT_TRUE(r.host.quitCalled) << "the sibling takes over the database";
    Start quit;
    quit.main.click("menuDateiBeenden");
    EXPECT_TRUE(quit.host.quitCalled);
}
