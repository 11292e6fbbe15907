#include "TestWorkspace.h"

#include "app/MainWindow.h"
#include "db/Database.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

using test::kOtherYear;
using test::saveQuestion;

namespace {

QStringList placements(const QString& path) {
    return test::rowsOf(
        path, "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID");
}

// The placement as built, and as saved (CK_VFP_ID the rail's number).
const QStringList kPlaced{"1|     9|KS0009|<null>|0", "2|     1|KS0001|<null>|0",
                          "3|     2|KS0002|<null>|0", "4|     2|KS0003|<null>|0",
                          "5||KS0001|<null>|0",       "6|  77|KS0001|<null>|0"};
const QStringList kSaved{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0", "3|     2|KS0002|2|0",
                         "4|     2|KS0003|2|0"};

// Three rails of the school year with courses, one of another school year with its own; two
// rows without a rail, which saving drops.
struct Placed : test::Workspace {
    test::TempDir prog;
    Placed() {
        state.ProgPfad = prog.dir();
        rail(1, "S1", 2);
        rail(2, "Sport", 3);
        rail(3, "S3", 2);
        rail(9, "S1", 2, kOtherYear);
        for (int i = 1; i <= 4; ++i)
            course(i, QStringLiteral("K%1").arg(i), {{"KS_STD", "2"}});
        course(9, "Alt", {{"KS_SCHJ", kOtherYear}, {"KS_STD", "2"}});
        for (const auto& [rail, course] : {std::pair{9, 9}, {1, 1}, {2, 2}, {2, 3}})
            place(rail, courseKey(course));
        place(0, courseKey(1), {{"CK_BL_ID", ""}});
        place(0, courseKey(1), {{"CK_BL_ID", "  77"}});
        load();
    }
    QStringList current() const { return placements(db.path()); }
    // Closes with "Nein" and the script of the file dialogs; whether it closed.
    bool saveAs(const std::function<void(test::ScriptedHost&)>& then) {
        w().formUnloaded = false;
        return close(ui::Answer::No, then);
    }
};

} // namespace

TEST(SavePlacement, AnotherProgramsSaveIsOverwrittenOnlyOnJaAndAFailedSaveKeepsTheWorkspace) {
    Placed s;
    ASSERT_TRUE(s.close(ui::Answer::Cancel));
    const ui::Message& m = s.host.messages.back();
    EXPECT_EQ(std::tuple(m.title, m.buttons, m.help.value().context),
              std::tuple(QString("Block- und Kursbildung"), ui::Buttons::YesNoCancel, 7400));
    EXPECT_EQ(s.current(), kPlaced);
    EXPECT_EQ(s.w().Form_Unload(), ui::Closing::Close); // closing asks once

    s.w().formUnloaded = false;
    s.place(3, "KS0004");
    const QStringList theirs = s.current();
    const QString ask = "Die Schienendaten wurden inzwischen von einem anderen Programm "
                        "gespeichert. Trotzdem überschreiben?";
    EXPECT_FALSE(s.close(ui::Answer::Yes, [&](auto& h) { h.onMessage(ask, ui::Answer::No); }));
    EXPECT_EQ(s.host.messages.back().defaultButton, 1) << "No is the default";
    EXPECT_EQ(s.current(), theirs);
    EXPECT_TRUE(s.close(ui::Answer::Yes, [&](auto& h) { h.onMessage(ask, ui::Answer::Yes); }));
    EXPECT_EQ(s.current(), kSaved) << "our grid replaced their row";

    // Our own save is no other program's: from here on only a failure's cause is said.
    s.w().formUnloaded = false;
    const auto failsWith = [&](const QString& cause) {
        const QStringList grid = s.columns();
        EXPECT_FALSE(s.close(ui::Answer::Yes, [&](test::ScriptedHost& h) {
            h.onMessage("Die Schienendaten wurden nicht gespeichert.\r\n" + cause);
        }));
        EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Critical);
        EXPECT_FALSE(s.w().formUnloaded) << "closing asks again";
        EXPECT_EQ(s.columns(), grid) << "the placement stays on screen";
        EXPECT_EQ(s.current(), kSaved) << "the table keeps the old placement";
    };
    // A course twice on one rail (the unique index would refuse the second row).
    auto& rails = s.w().plan.rails;
    rails[2].courses = {{"KS0001", 2, false}, {"KS0001", 2, false}};
    s.w().showRails();
    failsWith("Der Kurs K1 steht zweimal auf der Schiene S3.");
    rails[2].courses.pop_back();
    s.w().showRails();
    // A failure after the table has been rebuilt: the rail hours cannot be written.
    s.db.scalar("CREATE TRIGGER fest BEFORE UPDATE ON block BEGIN SELECT RAISE(ABORT, "
                "'Schienen fest'); END");
    rails[2].hours = 4;
    s.w().showRails();
    failsWith("Der Wert verletzt eine Regel der Datenbank " + s.db.path() + ": Schienen fest");
    s.db.scalar("DROP TRIGGER fest");
    // No file may grow beyond 1 KiB: the journal's page cannot be written (EFBIG), and the
    // engine's I/O error is said in German.
    {
        test::FileSizeLimit limit(1024);
        if (limit.available())
            failsWith("Die Datenbank " + s.db.path() +
                      " kann nicht gelesen oder geschrieben werden: Der Datenträger meldet einen "
                      "Ein-/Ausgabefehler.");
    }
    // Another program holds the file longer than saving waits; shorter, saving waits for it
    // with the hourglass.
    s.w().saveLockTimeoutMs = 50;
    {
        db::Connection other(s.db.path());
        db::Transaction lock(other);
        failsWith("Die Datenbank " + s.db.path() + " ist von einem anderen Programm gesperrt.");
    }
    // A rail's hours are saved by its key (rail 9 of another school year is named S1 too).
    rails[0].hours = 5;
    rails[1].courses.clear();
    s.w().showRails();
    s.w().saveLockTimeoutMs = 5000;
    db::Connection other(s.db.path());
    auto lock = std::make_unique<db::Transaction>(other);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        lock.reset();
    });
    EXPECT_TRUE(s.close());
    release.join();
    EXPECT_EQ(s.host.busyDepth, 0);
    EXPECT_EQ(s.current(), (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0",
                                        "3|     3|KS0001|3|0"}));
    EXPECT_EQ(s.db.rows("SELECT BL_ID, BL_STD FROM block ORDER BY BL_ID"),
              (QStringList{"1|5", "2|3", "3|4", "9|2"}));

    // Opened from the main window's menu, the workspace asks once and comes back with its grid
    // after a failed save.
    app::MDIKundB main(s.state, s.host);
    const auto rail = [](ui::Window& w) -> std::vector<placement::Placed>& {
        return static_cast<placement::SetzenK&>(w).plan.rails[0].courses;
    };
    s.host
        .onModal("SetzenK",
                 [&](ui::Window& w) {
                     rail(w) = {{"KS0004", 2, false}, {"KS0004", 2, false}};
                     static_cast<placement::SetzenK&>(w).showRails();
                 })
        .onMessage(saveQuestion(s.db.path()), ui::Answer::Yes)
        .onMessage(ui::Answer::Ok) // the cause
        .onModal("SetzenK",
                 [&](ui::Window& w) {
                     ASSERT_EQ(rail(w).size(), 2u);
                     rail(w).pop_back();
                 })
        .onMessage(saveQuestion(s.db.path()), ui::Answer::Yes);
    main.menuDateiSetzenK_Click();
    EXPECT_EQ(s.current(), (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0004|1|0",
                                        "3|     3|KS0001|3|0"}));
}

// "Nein" refuses the current file under any of its names, asks before replacing another file
// (default "Nein"), and saves into the copy, which becomes current.
TEST(SavePlacement, NeinSavesIntoACopyThatBecomesCurrentButNeverIntoTheCurrentFile) {
    Placed s;
    const QString old = s.db.path(), copy = s.tmp.path("NEU.MDB");
    const QByteArray bytes = s.tmp.read("BB.MDB");
    ASSERT_TRUE(QFile::link(s.tmp.dir(), s.prog.path("link")));
    // A Windows-style path of the database, chosen again in its native form.
    qputenv("WINEPREFIX", s.prog.dir().toUtf8());
    ASSERT_TRUE(QFile::link(s.tmp.dir(), s.prog.path("drive_c")));
    s.state.DatenPfad = "C:\\";
    EXPECT_TRUE(s.saveAs([&](auto& h) {
        h.onSaveFile(old).onMessage("gleicher Dateiname!").onSaveFile(std::nullopt);
    }));
    qunsetenv("WINEPREFIX");
    s.state.DatenPfad = s.tmp.dir();
    QDir().mkpath(s.tmp.path("sub"));
    s.tmp.write("NEU.MDB", "alt");
    s.w().plan.rails[1].courses.resize(1);
    s.w().plan.rails[2].courses = {{"KS0004", 2, false}};
    s.w().showRails();
    const QString replace = "Die Datei " + copy + " besteht bereits.\r\nSoll sie ersetzt werden?";
    EXPECT_TRUE(s.saveAs([&](auto& h) {
        for (const QString& same :
             {" " + old + " ", s.tmp.dir() + "sub/../BB.MDB", s.prog.path("link/BB.MDB")})
            h.onSaveFile(same).onMessage("gleicher Dateiname!");
        h.onSaveFile("NEU.MDB")
            .onMessage("ungültiger Datenpfadname!")
            .onSaveFile(copy)
            .onMessage(replace, ui::Answer::No)
            .onSaveFile(std::nullopt);
    }));
    const ui::FileDialog& d = s.host.fileDialogs.at(2);
    EXPECT_EQ(d.filter + "|" + d.fileName + "|" + d.initialDir,
              "Alle Datendateien (*.MDB)|*.MDB|BB.MDB|" + s.tmp.dir());
    EXPECT_EQ(s.host.messages[1].title + s.host.messages[6].title, "") << "the default title";
    EXPECT_EQ(s.host.messages.back().defaultButton, 1) << "No is the default";
    EXPECT_EQ(s.tmp.read("BB.MDB") + s.tmp.read("NEU.MDB"), bytes + "alt") << "both untouched";
    EXPECT_TRUE(s.saveAs([&](auto& h) { h.onSaveFile(copy).onMessage(replace, ui::Answer::Yes); }));
    EXPECT_EQ(placements(old), kPlaced) << "the old file keeps its placement";
    EXPECT_EQ(placements(copy), (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0",
                                             "3|     2|KS0002|2|0", "4|     3|KS0004|3|0"}));
    EXPECT_EQ(s.state.DatenPfad + s.state.DatenDatei, s.tmp.dir() + "NEU.MDB");
    EXPECT_EQ(s.prog.read("TCLASSK"), (copy + "\r\n").toUtf8());
    EXPECT_EQ(test::rowsOf(copy, "SELECT count(*) FROM kurs"), QStringList{"5"})
        << "the copy holds the whole database";
}

TEST(SavePlacement, NeinWithoutAFileOrAPointerFileToWriteSavesNothing) {
    // The dialog cancelled; a write-protected pointer file; a pointer folder that is gone; a
    // copy that cannot be written (a folder of its name): nothing saved, the old file current,
    // the pointer file (written last) not written.
    enum Case { Cancelled, Protected, Gone, Folder };
    for (Case c : {Cancelled, Protected, Gone, Folder}) {
        SCOPED_TRACE(c);
        Placed s;
        const QString old = s.db.path();
        const QString copy = s.tmp.path(c == Folder ? "ORDNER.MDB" : "NEU.MDB");
        s.w().plan.rails[0].courses.clear();
        s.w().showRails();
        ASSERT_TRUE(c != Protected || QDir(s.prog.dir()).mkdir("TCLASSK"));
        ASSERT_TRUE(c != Folder || QDir(s.tmp.dir()).mkdir("ORDNER.MDB"));
        if (c == Gone)
            s.state.pointerDir = s.tmp.path("weg/");
        EXPECT_EQ(s.saveAs([&](test::ScriptedHost& h) {
            h.onSaveFile(c == Cancelled ? std::nullopt : std::optional(copy));
            if (c == Protected)
                h.onMessage("Datei Tclassk ist schreibgeschützt. Datendatei wechseln nicht "
                            "möglich.");
            if (c == Gone || c == Folder)
                h.onMessage(ui::Answer::Ok);
        }),
                  c == Cancelled);
        const ui::Message& m = s.host.messages.back();
        EXPECT_EQ(m.title == "Externes Zeugnisprogramm", c == Protected || c == Gone);
        EXPECT_EQ(m.text.contains("weg/"), c == Gone) << "the error's own text";
        EXPECT_EQ(m.text.startsWith("Die Schienendaten wurden nicht gespeichert.\r\n" + copy),
                  c == Folder);
        EXPECT_EQ(s.current(), kPlaced);
        EXPECT_EQ(s.state.databasePath(), old);
        EXPECT_TRUE(s.prog.read("TCLASSK").isEmpty());
        EXPECT_FALSE(QFileInfo(copy).isFile());
    }
}
