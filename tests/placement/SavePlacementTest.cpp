#include "Workspace.h"

#include "app/MainWindow.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "platform/Files.h"

#include "support/DemoSchool.h"
#include "support/FileSizeLimit.h"
#include <QDir>
#include <QFile>
#include <QSqlRecord>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using test::kOtherYear;
using test::Workspace;

constexpr auto kClose = placement::SetzenK::Closing::Close;

namespace {

QString question(const QString& path) {
    return "Abspeichern Schienendaten in der Datei: " + path +
           "?\r\nDrücken Sie Nein für eine andere Datei, sonst Abbrechen!";
}

using test::rowsOf;

QStringList placements(const QString& path) {
    return rowsOf(path,
                  "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID");
}

QStringList gridTexts(const ui::Grid& g) {
    QStringList out;
    for (int r = 0; r < g.Rows(); ++r)
        for (int c = 0; c < g.Cols(); ++c)
            out << QStringLiteral("%1,%2 %3").arg(r).arg(c).arg(g.TextMatrix(r, c));
    return out;
}

// Three rails of the school year with courses, one of another school year with its own.
struct Placed : Workspace {
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
        place(9, courseKey(9));
        place(1, courseKey(1));
        place(2, courseKey(2));
        place(2, courseKey(3));
        load();
    }
    QStringList current() const { return placements(db.path()); }
    QByteArray pointerFile() const {
        QFile f(prog.path("TCLASSK"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
};

} // namespace

TEST(SavePlacement, TheQuestionOnClosingAndCancel) {
    Placed s;
    const QStringList before = s.current();
    s.host.onMessage(question(s.db.path()), ui::Answer::Cancel);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    const ui::Message& m = s.host.messages.back();
    EXPECT_EQ(m.title, "Block- und Kursbildung");
    EXPECT_EQ(m.icon, ui::Icon::Question);
    EXPECT_EQ(m.buttons, ui::Buttons::YesNoCancel);
    ASSERT_TRUE(m.help.has_value());
    EXPECT_EQ(m.help->kind, ui::HelpRef::Kind::Context);
    EXPECT_EQ(m.help->context, 7400);
    EXPECT_EQ(s.current(), before);

    EXPECT_EQ(s.window().Form_Unload(), kClose); // closing asks once
    EXPECT_EQ(s.host.messages.size(), 1);
}

TEST(SavePlacement, TheWorkspaceOpenedFromTheMenuAsksOnceAndStaysAfterAFailedSave) {
    Placed s;
    app::MDIKundB main(s.state, s.host);
    const auto grid = [](ui::Window& w) -> ui::Grid& {
        return static_cast<placement::SetzenK&>(w).grdSchienen;
    };
    s.host
        .onModal("SetzenK",
                 [&](ui::Window& w) {
                     grid(w).setTextMatrix(1, 0, "K4    2      3 KS0004");
                     grid(w).setTextMatrix(2, 0, "K4    2      3 KS0004");
                 })
        .onMessage(question(s.db.path()), ui::Answer::Yes)
        .onMessage(ui::Answer::Ok) // the cause; the workspace comes back with its grid
        .onModal("SetzenK",
                 [&](ui::Window& w) {
                     EXPECT_EQ(grid(w).TextMatrix(2, 0), "K4    2      3 KS0004");
                     grid(w).setTextMatrix(2, 0, "");
                 })
        .onMessage(question(s.db.path()), ui::Answer::Yes);
    main.menuDateiSetzenK_Click();
    EXPECT_EQ(s.current(), (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0004|1|0",
                                        "3|     2|KS0002|2|0", "4|     2|KS0003|2|0"}));
}

TEST(SavePlacement, JaWritesTheGridColumnByColumnAndKeepsOtherSchoolYears) {
    Placed s;
    ui::Grid& g = s.window().grdSchienen;
    // Rail 3 gets K4, rail 2 a gap: K3 below it is not saved.
    g.setTextMatrix(1, 2, "K4    2      3 KS0004");
    g.setTextMatrix(1, 1, "");

    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    ASSERT_EQ(s.window().Form_Unload(), kClose);
    const QStringList once = s.current();
    EXPECT_EQ(once, (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0",
                                 "3|     3|KS0004|3|0"}));

    // Saving again writes the same rows; the keys start again after the kept ones.
    s.window().formUnloaded = false;
    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    ASSERT_EQ(s.window().Form_Unload(), kClose);
    EXPECT_EQ(s.current(), once);

    // The saved placement loads as it was placed.
    s.load();
    EXPECT_EQ(gridTexts(s.window().grdSchienen),
              (QStringList{"0,0 S1    2  000        1", "0,1 Sport 3  000        2",
                           "0,2 S3    2  000        3", "1,0 K1    2      3 KS0001", "1,1 ",
                           "1,2 K4    2      3 KS0004"}));
}

TEST(SavePlacement, EmptyGridAndSavingTwiceRestartTheKeys) {
    Workspace s;
    s.rail(5, "X", 2, kOtherYear);
    s.place(5, s.course(1, "K1", {{"KS_STD", "2"}})); // on a rail of another school year
    s.db.insert("ckkurs", {{"CK_BL_ID", ""}, {"CK_KS_ID", "KS0001"}, {"CK_FIX", "0"}});
    s.db.insert("ckkurs", {{"CK_BL_ID", "  77"}, {"CK_KS_ID", "KS0001"}, {"CK_FIX", "0"}});
    placement::SetzenK& w = s.load();
    ASSERT_EQ(w.grdSchienen.Cols(), 0);

    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    w.SchrCkkurs();
    EXPECT_EQ(w.Form_Unload(), kClose);
    EXPECT_EQ(placements(s.db.path()), (QStringList{"1|     5|KS0001|<null>|0"}))
        << "rows without a rail of another school year go";

    // Without other school years the table ends up empty, and keys restart at 1.
    s.db.scalar("DELETE FROM block");
    w.SchrCkkurs();
    EXPECT_TRUE(placements(s.db.path()).isEmpty());
    EXPECT_EQ(s.db.scalar("SELECT count(*) FROM sqlite_master WHERE tbl_name = 'ckkurs' AND "
                          "type = 'index'")
                  .toInt(),
              3)
        << "the rebuilt table has its indexes";
    s.load();
    s.window().grdSchienen.setCols(1);
    s.window().grdSchienen.setRows(2);
    s.window().grdSchienen.setTextMatrix(0, 0, "Gone  2  000       44");
    s.window().grdSchienen.setTextMatrix(1, 0, "K1    2      3 KS0001");
    s.window().SchrCkkurs();
    EXPECT_EQ(placements(s.db.path()), (QStringList{"1||KS0001||0"}))
        << "a column naming no rail is written without one";
}

TEST(SavePlacement, AFailedSaveShowsItsCauseAndKeepsTheWorkspaceOpen) {
    Placed s;
    const QStringList before = s.current();
    ui::Grid& g = s.window().grdSchienen;
    const auto failsWith = [&](const QString& cause) {
        const QStringList grid = gridTexts(g);
        s.host.onMessage(question(s.db.path()), ui::Answer::Yes)
            .onMessage("Die Schienendaten wurden nicht gespeichert.\r\n" + cause);
        EXPECT_EQ(s.window().Form_Unload(), placement::SetzenK::Closing::KeepOpen);
        EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Critical);
        EXPECT_FALSE(s.window().formUnloaded) << "closing asks again";
        EXPECT_EQ(gridTexts(g), grid) << "the placement stays on screen";
        EXPECT_EQ(s.current(), before) << "the table keeps the old placement";
    };
    // A course twice on one rail (the unique index would refuse the second row).
    g.setTextMatrix(1, 2, "K1    2      3 KS0001");
    g.setTextMatrix(2, 2, "K1    2      3 KS0001");
    failsWith("Der Kurs K1 steht zweimal auf der Schiene S3.");
    g.setTextMatrix(2, 2, "");

    // A failure after the table has been rebuilt: the rail hours cannot be written.
    s.db.scalar("CREATE TRIGGER fest BEFORE UPDATE ON block BEGIN SELECT RAISE(ABORT, "
                "'Schienen fest'); END");
    g.setTextMatrix(0, 2, "S3    4  000        3");
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

    // Another program holds the file longer than saving waits.
    s.window().saveLockTimeoutMs = 50;
    {
        db::Connection other(s.db.path());
        db::Transaction lock(other);
        failsWith("Die Datenbank " + s.db.path() + " ist von einem anderen Programm gesperrt.");
    }
    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    EXPECT_EQ(s.window().Form_Unload(), kClose) << "once the lock is gone, saving works";
    EXPECT_EQ(s.current().last(), "5|     3|KS0001|3|0");
}

TEST(SavePlacement, SavingWaitsForAnotherProgramsLockWithTheHourglass) {
    Placed s;
    db::Connection other(s.db.path());
    auto lock = std::make_unique<db::Transaction>(other);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        lock.reset();
    });
    s.window().grdSchienen.setTextMatrix(1, 2, "K4    2      3 KS0004");
    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    release.join();
    EXPECT_EQ(s.current().last(), "5|     3|KS0004|3|0");
    EXPECT_EQ(s.host.busyDepth, 0);
}

TEST(SavePlacement, AnotherProgramsSaveIsOverwrittenOnlyWhenTheUserAgrees) {
    Placed s;
    s.db.insert("ckkurs", {{"CK_BL_ID", "     3"}, {"CK_KS_ID", "KS0004"}, {"CK_FIX", "0"}});
    const QStringList theirs = s.current();
    const QString ask = "Die Schienendaten wurden inzwischen von einem anderen Programm "
                        "gespeichert. Trotzdem überschreiben?";
    s.host.onMessage(question(s.db.path()), ui::Answer::Yes).onMessage(ask, ui::Answer::No);
    EXPECT_EQ(s.window().Form_Unload(), placement::SetzenK::Closing::KeepOpen);
    EXPECT_EQ(s.host.messages.back().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(s.host.messages.back().defaultButton, 1) << "No is the default";
    EXPECT_EQ(s.current(), theirs);

    s.host.onMessage(question(s.db.path()), ui::Answer::Yes).onMessage(ask, ui::Answer::Yes);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    EXPECT_EQ(s.current().size(), 4) << "our grid replaced their row";

    // Our own save is no other program's: the next save asks nothing more.
    s.window().formUnloaded = false;
    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
}

TEST(SavePlacement, TheGridsHoursAndRailsByTheirKeyAreSaved) {
    Placed s;
    s.rail(4, "S1  ", 5); // differs from S1 only in trailing blanks
    s.place(4, test::School::courseKey(4));
    s.load();
    ui::Grid& g = s.window().grdSchienen;
    ASSERT_EQ(g.TextMatrix(0, 3), "S1    5  000        4");
    // The rail's content cut and inserted elsewhere moves its hours with it.
    g.setTextMatrix(0, 0, "S1    5  000        1");
    g.setTextMatrix(0, 3, "S1    2  000        4");
    s.host.onMessage(question(s.db.path()), ui::Answer::Yes);
    ASSERT_EQ(s.window().Form_Unload(), kClose);
    EXPECT_EQ(rowsOf(s.db.path(), "SELECT BL_ID, BL_STD FROM block ORDER BY BL_ID"),
              (QStringList{"1|5", "2|3", "3|2", "4|2", "9|2"}));
    EXPECT_EQ(s.current(),
              (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0", "3|     2|KS0002|2|0",
                           "4|     2|KS0003|2|0", "5|     4|KS0004|4|0"}))
        << "each column onto its own rail";
    s.load();
    EXPECT_EQ(s.window().grdSchienen.TextMatrix(0, 0), "S1    5  000        1");
}

TEST(SavePlacement, NeinSavesIntoACopyThatBecomesCurrent) {
    Placed s;
    const QString old = s.db.path();
    const QStringList before = s.current();
    const QString copy = s.tmp.path("NEU.MDB");
    s.window().grdSchienen.setTextMatrix(2, 1, "");
    s.window().grdSchienen.setTextMatrix(1, 2, "K4    2      3 KS0004");

    s.host.onMessage(question(old), ui::Answer::No)
        .onSaveFile(" " + old + " ")
        .onMessage("gleicher Dateiname!")
        .onSaveFile("NEU.MDB")
        .onMessage("ungültiger Datenpfadname!")
        .onSaveFile(copy);
    EXPECT_EQ(s.window().Form_Unload(), kClose);

    EXPECT_EQ(s.host.fileDialogs.front().filter, "Alle Datendateien (*.MDB)|*.MDB");
    EXPECT_EQ(s.host.fileDialogs.front().fileName, "BB.MDB");
    EXPECT_EQ(s.host.fileDialogs.front().initialDir, s.tmp.dir()) << "the database's folder";
    for (size_t i = 1; i < s.host.messages.size(); ++i)
        EXPECT_EQ(s.host.messages[i].title, "") << "the program's default title";
    EXPECT_EQ(placements(old), before) << "the old file keeps its placement";
    EXPECT_EQ(placements(copy), (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0",
                                             "3|     2|KS0002|2|0", "4|     3|KS0004|3|0"}));
    EXPECT_EQ(s.state.databasePath(), copy);
    EXPECT_EQ(s.state.DatenPfad, s.tmp.dir());
    EXPECT_EQ(s.state.DatenDatei, "NEU.MDB");
    EXPECT_EQ(s.pointerFile(), (copy + "\r\n").toUtf8());
    EXPECT_EQ(rowsOf(copy, "SELECT count(*) FROM kurs"), QStringList{"5"})
        << "the copy holds the whole database";
}

TEST(SavePlacement, NeinCancelledOrWithAWriteProtectedPointerFileSavesNothing) {
    Placed s;
    const QString old = s.db.path();
    const QStringList before = s.current();
    s.window().grdSchienen.setTextMatrix(1, 0, "");
    s.host.onMessage(question(old), ui::Answer::No).onSaveFile(std::nullopt);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    EXPECT_EQ(s.current(), before);
    EXPECT_EQ(s.state.databasePath(), old);
    EXPECT_EQ(s.pointerFile(), "<none>");

    ASSERT_TRUE(QDir(s.prog.dir()).mkdir("TCLASSK"));
    s.window().formUnloaded = false;
    const QString copy = s.tmp.path("NEU.MDB");
    s.host.onMessage(question(old), ui::Answer::No)
        .onSaveFile(copy)
        .onMessage("Datei Tclassk ist schreibgeschützt. Datendatei wechseln nicht möglich.");
    EXPECT_EQ(s.window().Form_Unload(), placement::SetzenK::Closing::KeepOpen);
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Exclamation);
    EXPECT_EQ(s.host.messages.back().title, "Externes Zeugnisprogramm");
    EXPECT_EQ(s.current(), before);
    EXPECT_EQ(s.state.databasePath(), old);
    EXPECT_FALSE(QFile::exists(copy));

    // A pointer folder that is gone says so in the same box, and the workspace stays.
    s.state.pointerDir = s.tmp.path("weg/");
    s.window().formUnloaded = false;
    s.host.onMessage(question(old), ui::Answer::No).onSaveFile(copy).onMessage(ui::Answer::Ok);
    EXPECT_EQ(s.window().Form_Unload(), placement::SetzenK::Closing::KeepOpen);
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Exclamation);
    EXPECT_EQ(s.host.messages.back().title, "Externes Zeugnisprogramm");
    EXPECT_TRUE(s.host.messages.back().text.contains("weg")) << "the error's own text";
    EXPECT_FALSE(QFile::exists(copy));
}

TEST(SavePlacement, ACopyThatCannotBeWrittenLeavesTheOldFileCurrent) {
    Placed s;
    const QString old = s.db.path();
    const QStringList before = s.current();
    ASSERT_TRUE(QDir(s.tmp.dir()).mkdir("ORDNER.MDB")); // a folder cannot take the copy
    s.window().grdSchienen.setTextMatrix(1, 0, "");
    s.host.onMessage(question(old), ui::Answer::No)
        .onSaveFile(s.tmp.path("ORDNER.MDB"))
        .onMessage(ui::Answer::Ok);
    EXPECT_EQ(s.window().Form_Unload(), placement::SetzenK::Closing::KeepOpen);
    EXPECT_TRUE(s.host.messages.back().text.startsWith(
        "Die Schienendaten wurden nicht gespeichert.\r\n" + s.tmp.path("ORDNER.MDB")));
    EXPECT_EQ(s.state.databasePath(), old);
    EXPECT_EQ(s.pointerFile(), "<none>") << "the pointer file is written last";
    EXPECT_EQ(s.current(), before);
}

TEST(SavePlacement, NeinRefusesTheCurrentFileUnderAnotherNameAndAsksBeforeReplacing) {
    Placed s;
    const QString old = s.db.path();
    const QByteArray bytes = [&] {
        QFile f(old);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_TRUE(QFile::link(s.tmp.dir(), s.prog.path("link")));
    // A Windows-style path of the database, chosen again in its native form.
    qputenv("WINEPREFIX", s.prog.dir().toUtf8());
    ASSERT_TRUE(QFile::link(s.tmp.dir(), s.prog.path("drive_c")));
    s.state.DatenPfad = "C:\\";
    s.host.onMessage(question("C:\\BB.MDB"), ui::Answer::No)
        .onSaveFile(old)
        .onMessage("gleicher Dateiname!")
        .onSaveFile(std::nullopt);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    qunsetenv("WINEPREFIX");
    s.state.DatenPfad = s.tmp.dir();
    s.window().formUnloaded = false;

    QDir().mkpath(s.tmp.path("sub"));
    s.tmp.write("ANDERE.MDB", "alt");
    s.host.onMessage(question(old), ui::Answer::No)
        .onSaveFile(s.tmp.dir() + "sub/../BB.MDB")
        .onMessage("gleicher Dateiname!")
        .onSaveFile(s.prog.path("link/BB.MDB"))
        .onMessage("gleicher Dateiname!")
        .onSaveFile(s.tmp.path("ANDERE.MDB"))
        .onMessage("Die Datei " + s.tmp.path("ANDERE.MDB") +
                       " besteht bereits.\r\nSoll sie ersetzt werden?",
                   ui::Answer::No)
        .onSaveFile(std::nullopt);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    EXPECT_EQ(s.host.messages[5].defaultButton, 1) << "No is the default";
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes) << "the current file is untouched";
    QFile other(s.tmp.path("ANDERE.MDB"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "alt");

    s.window().formUnloaded = false;
    s.host.onMessage(question(old), ui::Answer::No)
        .onSaveFile(s.tmp.path("ANDERE.MDB"))
        .onMessage(ui::Answer::Yes);
    EXPECT_EQ(s.window().Form_Unload(), kClose);
    EXPECT_EQ(s.state.databasePath(), s.tmp.path("ANDERE.MDB"));
    EXPECT_EQ(placements(s.tmp.path("ANDERE.MDB")),
              (QStringList{"1|     9|KS0009|<null>|0", "2|     1|KS0001|1|0", "3|     2|KS0002|2|0",
                           "4|     2|KS0003|2|0"}));
}

TEST(SavePlacement, TheDemoSchoolComesBackAsItWasPlaced) {
    test::TempDir tmp;
    test::ScriptedHost host;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    s.ProgPfad = tmp.dir();
    ASSERT_TRUE(test::importDemoSchool(s, host));

    QStringList grid;
    QStringList courses;
    {
        placement::SetzenK w(s, host);
        w.Form_Load();
        ui::Grid& g = w.grdSchienen;
        ASSERT_GE(g.Cols(), 2);
        ASSERT_GE(g.Rows(), 2) << "the demo school has placed courses";
        // Take the first course off the first rail, and put a course waiting in LNKurse onto the
        // first rail whose hours it needs exactly.
        g.click(1, 0);
        w.cmdS2K_Click();
        bool placed = false;
        for (int i = 0; i < w.LNKurse.count() && !placed; ++i) {
            const QString entry = w.LNKurse.line(i);
            for (int c = 1; c < g.Cols() && !placed; ++c) {
                if (placement::RailHeader::hours(g.TextMatrix(0, c)) !=
                    placement::CourseEntry::hours(entry))
                    continue;
                bool there = false;
                for (int r = 1; r < g.Rows(); ++r)
                    there = there || placement::CourseEntry::key(g.TextMatrix(r, c)) ==
                                         placement::CourseEntry::key(entry);
                if (there)
                    continue;
                const int n = w.AnzKvS(c + 1);
                if (g.Rows() <= n + 1)
                    g.setRows(n + 2);
                g.setTextMatrix(n + 1, c, entry);
                w.LNKurse.removeLine(i);
                placed = true;
            }
        }
        ASSERT_TRUE(placed);
        w.GKursStUp();
        grid = gridTexts(g);
        courses = w.LNKurse.lines();
        host.onMessage(question(s.databasePath()), ui::Answer::Yes);
        ASSERT_EQ(w.Form_Unload(), kClose);
    }
    placement::SetzenK again(s, host);
    again.Form_Load();
    EXPECT_EQ(gridTexts(again.grdSchienen), grid);
    EXPECT_EQ(again.LNKurse.lines(), courses);
}
