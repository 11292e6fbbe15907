// The export command: where the files go, the questions it asks and how it fails; and the same
// files from the main window's menu, the launcher and kubb export on the demo school.
#include "ExportSchool.h"

#include "app/MainWindow.h"
#include "common/Session.h"
#include "db/Database.h"
#include "export/Export.h"
#include "export/frmAKursPh.h"
#include "support/DemoSchool.h"
#include "support/FileSizeLimit.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace test;

namespace {

const QString kFailed = "Tabelle beleg_lk ist schreibgeschützt!\r\nExport nicht möglich!\r\n";

// One student of 2008 with one choice, one rail, nothing placed; and four previous files in the
// export folder.
struct Command : ::testing::Test, ExportSchool {
    void SetUp() override {
        course("KS01", "Ma1");
        student("ST01", "2008", "Abel", "Anna");
        choice("ST01", "S", "KS01", QVariant(), "FA01");
        rail(1, "     3", "S1", "Schiene 1", 1, 3);
        for (const char* name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"})
            tmp.write(QString("merix/") + name, QByteArray("previous ") + name);
    }
    void expectPreviousFiles() const {
        EXPECT_EQ(entries(), QStringList({"MERIX.BL", "MERIX.CK", "MERIX.GK", "MERIX.KO"}))
            << "no temporary file is left behind";
        for (const char* name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"})
            EXPECT_EQ(file(name), QByteArray("previous ") + name);
    }
    QString onlyMessage() const {
        EXPECT_EQ(host.messages.size(), 1u);
        if (host.messages.empty())
            return {};
        EXPECT_EQ(host.messages.front().icon, ui::Icon::Critical);
        EXPECT_EQ(host.messages.front().title, "Kurs- und Blockbildung");
        return host.messages.front().text;
    }
};

} // namespace

TEST_F(Command, TheFolderComesFromTheIniFileOrTheDialogAndTheNameStaysForTheImport) {
    // Without MERIX.INI the dialog asks; the files go beside the chosen one.
    answer("2008");
    host.onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, host);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_EQ(host.fileDialogs[0].filter, "ExportDateien (MERIX.*)|MERIX.*");
    EXPECT_EQ(host.fileDialogs[0].filterIndex, 1);
    EXPECT_EQ(host.fileDialogs[0].fileName, "MERIX.KO");
    EXPECT_EQ(s.VerwDbcPfad, out("MERIX.KO"));
    EXPECT_TRUE(file("MERIX.KO").startsWith("06_KO_68\r\n*SYNC*\r\n2008\r\n"));

    // With it, the files go into the container's folder, found the Wine way ignoring case.
    const QString c = wine.driveC();
    QDir().mkpath(c + "PALEX/XR");
    QDir().mkpath(c + "PALEX/Daten");
    QFile ini(c + "PALEX/XR/MERIX.INI");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Pfad]\r\nDaten = c:\\palex\\daten\\qz.dbc\r\n");
    ini.close();
    ScriptedHost again;
    again.onModal("frmAKursPh", choosePhase("2008")).onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, again);
    EXPECT_TRUE(again.fileDialogs.empty());
    EXPECT_EQ(s.VerwDbcPfad, "C:\\PALEX\\DATEN\\QZ.DBC");
    EXPECT_TRUE(QFile::exists(c + "PALEX/Daten/MERIX.GK"));
}

// A fresh folder holds no MERIX file yet: the dialog takes a name still to be written, and the
// message says where the files went and what each holds.
TEST_F(Command, AFreshFolderTakesTheFirstExportAndTheMessageSaysWhereAndHowMany) {
    QDir().mkpath(tmp.path("neu"));
    host.onOpenFile(tmp.path("neu/MERIX.KO"))
        .onModal("frmAKursPh", choosePhase("2008"))
        .onMessage(QDir::toNativeSeparators("Die Exportdateien stehen in " + tmp.path("neu")) +
                   ":\r\nMERIX.KO: 1 Kollegiaten\r\nMERIX.GK: 1 Grundkursbelegungen\r\n"
                   "MERIX.BL: 1 Schienen\r\nMERIX.CK: 0 gesetzte Kurse");
    exporter::exportCommand(s, host);
    ASSERT_EQ(host.fileDialogs.size(), 1u);
    EXPECT_FALSE(host.fileDialogs[0].mustExist);
    EXPECT_EQ(host.messages.at(0).icon, ui::Icon::Information);
    EXPECT_EQ(tmp.read("neu/MERIX.BL").count("*SYNC*"), 1);
}

// What an earlier export left (its new content after a kill during the renames, an old file it
// could not delete) goes with the next export; other files of the folder stay.
TEST_F(Command, TheNextExportRemovesTheLeftoversOfAnEarlierOne) {
    const QStringList leftovers = {"~MERIX.KO.k2x9q0.tmp", "~MERIX.GK.abc123.alt",
                                   "~MERIX.CK.zz00zz.tmp"};
    const QStringList others = {"~MERIX.KO.tmp", "~MERIX.BL.ABCDEF.alt", "~QZ.DBC.abc123.tmp"};
    for (const QString& name : leftovers + others)
        tmp.write("merix/" + name, "alt");
    answer("2008");
    host.onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, host);
    QStringList expected = others + QStringList{"MERIX.BL", "MERIX.CK", "MERIX.GK", "MERIX.KO"};
    expected.sort();
    EXPECT_EQ(entries(), expected);
}

TEST(ExportPaths, TheFilesGoUpToTheLastSeparatorJoinedAsTheAdministrationProgramJoinsThem) {
    using exporter::exportDirectory;
    using exporter::merixPath;
    EXPECT_EQ(exportDirectory("C:\\PALEX\\DATEN\\QZ.DBC"), "C:\\PALEX\\DATEN\\");
    EXPECT_EQ(merixPath("C:\\PALEX\\DATEN\\", "MERIX.KO"), "C:\\PALEX\\DATEN\\\\MERIX.KO");
    // No backslash: the root of the current drive.
    EXPECT_EQ(exportDirectory("QZ.DBC"), "");
    EXPECT_EQ(merixPath("", "MERIX.CK"), "\\MERIX.CK");
    EXPECT_EQ(exportDirectory("/home/anna/Daten/qz.dbc"), "/home/anna/Daten/");
    EXPECT_EQ(merixPath("/home/anna/Daten/", "MERIX.BL"), "/home/anna/Daten/MERIX.BL");
}

TEST_F(Command, CancellingOrAnEmptyChoiceWritesNothing) {
    // The directory dialog cancelled: the export ends without a word.
    host.onOpenFile(std::nullopt);
    exporter::exportCommand(s, host);
    EXPECT_TRUE(host.modal.isEmpty());

    // "&Ok" with no line selected says so and keeps the window; "&Abbrechen" then cancels.
    ScriptedHost chooser;
    chooser.onOpenFile(out("MERIX.KO"))
        .onModal("frmAKursPh",
                 [](ui::Window& w) {
                     auto& window = dynamic_cast<exporter::frmAKursPh&>(w);
                     EXPECT_EQ(window.caption(), "Auswahl der Kursphase");
                     EXPECT_EQ(window.List1.lines(), QStringList({"2008"}));
                     EXPECT_EQ(window.command("Command1")->caption, "&Ok");
                     EXPECT_EQ(window.command("Command2")->caption, "&Abbrechen");
                     window.click("Command1");
                     EXPECT_EQ(window.Label1, "");
                     window.List1.setCurrent(0);
                     window.click("Command2");
                 })
        .onMessage(QString::fromUtf8("Keine Kursphase ausgewählt!"));
    exporter::exportCommand(s, chooser);
    expectPreviousFiles();

    // Closed by its close box: as "&Abbrechen".
    ScriptedHost closed;
    closed.onOpenFile(out("MERIX.KO")).onModal("frmAKursPh", [](ui::Window& w) {
        auto& window = dynamic_cast<exporter::frmAKursPh&>(w);
        window.List1.setCurrent(0);
        window.Form_Unload();
    });
    exporter::exportCommand(s, closed);
    expectPreviousFiles();

    // In 2010/2011 no student has the course phase 2010 or 2009: nothing to choose.
    ScriptedHost none;
    s.SchjBez = "2010/2011";
    none.onOpenFile(out("MERIX.KO")).onMessage(common::kNoCoursePhases);
    exporter::exportCommand(s, none);
    EXPECT_TRUE(none.modal.isEmpty());
    expectPreviousFiles();
}

TEST_F(Command, ANameWindows1252CannotHoldRefusesTheExportBeforeAnyFileIsWritten) {
    student("ST02", "2008", QString::fromUtf8("Kőrösi"), QString::fromUtf8("Zoltán"));
    answer("2008");
    host.onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, host);
    EXPECT_EQ(onlyMessage(),
              QString::fromUtf8("Kollegiat Kőrösi, Zoltán: Das Zeichen „ő“ (U+0151) gibt es im "
                                "Zeichensatz der Exportdatei MERIX.KO (Windows-1252) nicht.\r\n"
                                "Export nicht möglich!"));
    EXPECT_EQ(host.status, "");
    expectPreviousFiles();

    // A line break would shift every later field of the file by a line.
    db.scalar("DELETE FROM kolleg WHERE KO_VFP_ID = 'ST02'");
    rail(2, "     3", "S2", "Schiene\n2", 2, 3);
    ScriptedHost again;
    again.onOpenFile(out("MERIX.KO"))
        .onModal("frmAKursPh", choosePhase("2008"))
        .onMessage("Schiene S2: Ein Zeilenumbruch kann in der Exportdatei MERIX.BL nicht "
                   "stehen.\r\nExport nicht möglich!");
    exporter::exportCommand(s, again);
    expectPreviousFiles();
}

TEST_F(Command, AFailureWhileTheThirdFileIsWrittenLeavesThePreviousFourFiles) {
    // Rails enough to make MERIX.BL the one file that outgrows a full disk's last 400 bytes.
    for (int id = 2; id <= 10; ++id)
        rail(id, "     3", QString("S%1").arg(id), "Schiene mit einem langen Namen", id, 2);
    answer("2008");
    host.onMessage(ui::Answer::Ok);
    {
        FileSizeLimit fullDisk(400);
        if (!fullDisk.available())
            GTEST_SKIP() << "no file size limit on this system";
        exporter::exportCommand(s, host);
    }
    const QString text = onlyMessage();
    EXPECT_TRUE(text.startsWith(kFailed + out("MERIX.BL") + ": Schreibfehler! ("))
        << text.toStdString();
    expectPreviousFiles();
}

// Another program renames the course and places it on a rail while the export reads (between
// the students and the rails): the four files show the plan before or after, never both.
TEST_F(Command, TheFilesShowOneStateWhileAnotherProgramWrites) {
    struct WritingHost : ScriptedHost {
        std::function<void()> meanwhile;
        void setStatus(const QString& text) override {
            ScriptedHost::setStatus(text);
            if (text == "Block" && meanwhile)
                std::exchange(meanwhile, nullptr)();
        }
    } h;
    h.meanwhile = [this]() {
        try {
            db::Connection other(db.path(), db::Connection::Mode::Existing, 100);
            db::Transaction tx(other);
            other.exec("UPDATE kurs SET KS_BEZ = 'Ph1'");
            other.exec("INSERT INTO ckkurs (CK_BL_ID, CK_KS_ID, CK_VFP_ID) "
                       "VALUES ('     1', 'KS01', '     1')");
            tx.commit();
        } catch (const db::DbError&) {
            // Kept waiting for the export's read: the file stays as it was.
        }
    };
    exporter::exportCohort(s, h, "2008", out());
    QDir().mkpath(tmp.path("again"));
    exporter::exportCohort(s, h, "2008", tmp.path("again/"));
    for (const char* name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"})
        EXPECT_EQ(file(name), tmp.read(QString("again/") + name)) << name;
}

TEST_F(Command, AFolderThatCannotTakeTheFilesAsksThroughTheDiskErrorBox) {
    const QString missing = tmp.path("fehlt/MERIX.KO");
    const QString text = missing + ": Pfad nicht gefunden!";
    host.onOpenFile(missing)
        .onModal("frmAKursPh", choosePhase("2008"))
        .onMessage(text, ui::Answer::Retry)
        .onMessage(text, ui::Answer::Cancel)
        .onMessage(kFailed + text + " (No such file or directory)");
    exporter::exportCommand(s, host);
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[0].title, "Disk Error");
    EXPECT_EQ(host.messages[0].buttons, ui::Buttons::RetryCancel);
    EXPECT_EQ(host.messages[2].icon, ui::Icon::Critical);
    EXPECT_FALSE(QFileInfo::exists(tmp.path("fehlt")));
}

TEST_F(Command, AFileThatCannotBeReadFromIsAFailureWithItsCause) {
    s.DatenDatei = "FEHLT.MDB";
    host.onOpenFile(out("MERIX.KO"));
    host.onMessage(kFailed + "Die Datenbank " + s.databasePath() + " wurde nicht gefunden.");
    exporter::exportCommand(s, host);
    EXPECT_TRUE(host.modal.isEmpty());
}

// The menu "&Exportieren", the launcher's "Übertragen nach Palexor" and kubb export write the
// same four files for each cohort of the demo school.
TEST(DemoSchool, MenuLauncherAndKubbExportWriteTheSameFiles) {
    const QString kubb = QStringLiteral(KUBB_BINARY_DIR "/src/kubb");
    ASSERT_TRUE(QFileInfo(kubb).isExecutable()) << "build the target kubb first";
    WinePrefix wine;
    TempDir work;
    platform::RunState s;
    s.DatenPfad = work.dir();
    s.DatenDatei = "BB.MDB";
    ScriptedHost host;
    ASSERT_TRUE(importDemoSchool(s, host));
    app::MDIKundB main(s, host);
    const QStringList names = {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"};
    for (const QString phase : {"2009", "2008"}) {
        for (const QString via : {"menu", "launcher", "kubb"})
            QDir().mkpath(work.path(phase + via));
        const auto choose = [&](const QString& via) {
            host.onOpenFile(work.path(phase + via + "/MERIX.KO"))
                .onModal("frmAKursPh", choosePhase(phase))
                .onMessage(ui::Answer::Ok);
        };
        choose("menu");
        main.click("menuDateiExp");
        choose("launcher");
        main.launcher().click("Export");
        QProcess p;
        p.start(kubb, {"export", "--db", s.databasePath(), "--cohort", phase, "--to",
                       work.path(phase + "kubb")});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardOutput())
                        .contains(work.path(phase + "kubb/MERIX.GK: ")));
        for (const QString& name : names) {
            const QByteArray menu = work.read(phase + "menu/" + name);
            EXPECT_GT(menu.size(), 2) << name.toStdString();
            EXPECT_EQ(menu, work.read(phase + "launcher/" + name)) << name.toStdString();
            EXPECT_EQ(menu, work.read(phase + "kubb/" + name)) << name.toStdString();
        }
    }
    EXPECT_EQ(host.messages.size(), 4u) << "each export says where its files went";
}

TEST(KubbExport, ACohortTheSchoolYearDoesNotOfferIsAnErrorNamingTheOfferedOnes) {
    ExportSchool school;
    school.student("ST01", "2008", "Abel", "Anna");
    QProcess p;
    p.start(QStringLiteral(KUBB_BINARY_DIR "/src/kubb"),
            {"export", "--db", school.db.path(), "--cohort", "2006", "--to", school.out()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
              "kubb: Der Kollegiatenjahrgang 2006 wird zum Schuljahr 2008/2009 nicht angeboten "
              "(angeboten: 2008).\n");
    EXPECT_TRUE(school.entries().isEmpty());
}
