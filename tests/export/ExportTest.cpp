// The export command: where the files go, the questions it asks and how it fails; and the four
// files compared whole, byte for byte, with contents worked out by hand on a small school of the
// school year 2009/2010 (key "     3").
#include "export/Export.h"
#include "common/Session.h"
#include "db/Database.h"
#include "export/frmAKursPh.h"
#include "support/FileSizeLimit.h"
#include "support/School.h"
#include "support/WinePrefix.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using test::ScriptedHost;

namespace {

const QString kFailed = "Tabelle beleg_lk ist schreibgeschützt!\r\nExport nicht möglich!\r\n";
const QStringList kNames = {"MERIX.BL", "MERIX.CK", "MERIX.GK", "MERIX.KO"}; // sorted
const QVariant null;

// The user's part in "Auswahl der Kursphase": selects the line of phase and clicks "&Ok".
std::function<void(ui::Window&)> choosePhase(const QString& phase) {
    return [phase](ui::Window& w) {
        auto& chooser = dynamic_cast<exporter::frmAKursPh&>(w);
        chooser.List1.setCurrent(static_cast<int>(chooser.List1.lines().indexOf(phase)));
        chooser.click("Command1");
    };
}

// Expected file contents, written by hand: lines of Windows-1252 bytes, each ended by CR LF.
QByteArray crlf(const QByteArrayList& lines) {
    return lines.join("\r\n") + "\r\n";
}
QByteArrayList record(const QByteArrayList& fields, int stars) {
    return QByteArrayList{"*SYNC*"} + fields + QByteArrayList(stars, "*");
}
QByteArrayList gk(const QByteArray& key, const QByteArray& year12, const QByteArray& year13,
                  const QByteArray& subject, const QByteArray& art = "S") {
    return record({key, year12, year13, subject, art}, 25);
}
QByteArrayList koRecord(const QByteArray& phase, const QByteArray& fam, const QByteArray& ruf) {
    return record({phase, "*", "*", "*", fam, "*", "*", "*", ruf}, 59);
}

// A school of one student of 2009 with one choice and one rail, nothing placed; four previous
// files in the export folder tmp/merix/.
struct Export : ::testing::Test {
    test::WinePrefix wine;
    test::School s;
    Export() {
        QDir().mkpath(out());
        choice(s.student(1, "Abel", "Anna"), "S", s.course(1, "Ma1"), null, "FA01");
        rail(1, "S1", "Schiene 1", 1, 3);
        for (const QString& name : kNames)
            s.tmp.write("merix/" + name, "previous " + name.toLatin1());
    }
    QString out(const QString& name = {}) const { return s.tmp.path("merix/" + name); }
    QByteArray file(const QString& name) const { return s.tmp.read("merix/" + name); }
    QStringList entries() const {
        return QDir(out()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    void choice(const QString& student, const QVariant& art, const QVariant& course12,
                const QVariant& course13, const QVariant& subject) {
        s.choice(student, course12, course13, {{"BG_FA_ID", subject}, {"BG_ART", art}});
    }
    void rail(int id, const QString& bez, const QVariant& name, const QVariant& sort,
              const QVariant& hours, const QString& year = test::kYear) {
        s.rail(id, bez, hours, year, {{"BL_NAME", name}, {"BL_SORT", sort}});
    }
    // Answers the questions of the export: the folder through the file dialog (no INI file),
    // the course phase in the chooser, the message where the files went (with its text if given).
    void exportCohort(const QString& phase, const QString& message = {}) {
        s.host.onOpenFile(out("MERIX.KO")).onModal("frmAKursPh", choosePhase(phase));
        message.isEmpty() ? s.host.onMessage(ui::Answer::Ok) : s.host.onMessage(message);
        exporter::exportCommand(s.state, s.host);
    }
    void expectPreviousFiles() const {
        EXPECT_EQ(entries(), kNames) << "no temporary file is left behind";
        for (const QString& name : kNames)
            EXPECT_EQ(file(name), "previous " + name.toLatin1());
    }
    // The one message of the export: a critical one.
    QString onlyMessage() const {
        EXPECT_EQ(s.host.messages.size(), 1u);
        const ui::Message& m = s.host.messages.at(0);
        EXPECT_EQ(std::pair(m.icon, m.title),
                  std::pair(ui::Icon::Critical, QString("Kurs- und Blockbildung")));
        return m.text;
    }
};

} // namespace

// Without MERIX.INI the dialog asks, taking a name still to be written; the message says where
// the files went and what each holds. What an earlier export left beside its files (new content
// after a kill during the renames, an old file it could not delete) goes; other files stay. With
// the INI file, the files go into the container's folder, found the Wine way ignoring case.
TEST_F(Export, TheFolderComesFromTheIniFileOrTheDialogAndLeftoversThereGo) {
    const QStringList leftovers = {"~MERIX.KO.k2x9q0.tmp", "~MERIX.GK.abc123.alt",
                                   "~MERIX.CK.zz00zz.tmp"};
    const QStringList others = {"~MERIX.KO.tmp", "~MERIX.BL.ABCDEF.alt", "~QZ.DBC.abc123.tmp"};
    for (const QString& name : leftovers + others)
        s.tmp.write("merix/" + name, "alt");
    exportCohort("2009", "Die Exportdateien stehen in " +
                             QDir::toNativeSeparators(out().chopped(1)) +
                             ":\r\nMERIX.KO: 1 Kollegiaten\r\nMERIX.GK: 1 Grundkursbelegungen\r\n"
                             "MERIX.BL: 1 Schienen\r\nMERIX.CK: 0 gesetzte Kurse");
    QStringList expected = others + kNames;
    expected.sort();
    EXPECT_EQ(entries(), expected);
    ASSERT_EQ(s.host.fileDialogs.size(), 1u);
    const auto& dialog = s.host.fileDialogs[0];
    EXPECT_EQ(
        std::tuple(dialog.filter, dialog.filterIndex, dialog.fileName, dialog.mustExist),
        std::tuple(QString("ExportDateien (MERIX.*)|MERIX.*"), 1, QString("MERIX.KO"), false));
    EXPECT_EQ(s.host.messages.at(0).icon, ui::Icon::Information);
    EXPECT_EQ(s.state.VerwDbcPfad, out("MERIX.KO"));

    wine.writeIni("c:\\palex\\daten\\qz.dbc");
    QDir().mkpath(wine.drive('c') + "PALEX/Daten");
    ScriptedHost again;
    again.onModal("frmAKursPh", choosePhase("2009")).onMessage(ui::Answer::Ok);
    exporter::exportCommand(s.state, again);
    EXPECT_TRUE(again.fileDialogs.empty());
    EXPECT_EQ(s.state.VerwDbcPfad, "C:\\PALEX\\DATEN\\QZ.DBC");
    EXPECT_EQ(QFile(wine.drive('c') + "PALEX/Daten/MERIX.GK").size(), file("MERIX.GK").size());
}

// The folder dialog cancelled ends the export without a word; "&Ok" with no line selected says
// so and keeps the chooser, whose "&Abbrechen" or close box then cancels; a school year without
// course phases has nothing to choose. None of them writes a file.
TEST_F(Export, CancellingOrAnEmptyChoiceWritesNothing) {
    // Whether a folder is chosen; then in the chooser "&Ok" with no line, a line and "&Abbrechen"
    // (1) or the close box (2); the message.
    const std::tuple<bool, int, QString> cases[] = {
        {false, 0, {}},
        {true, 1, "Keine Kursphase ausgewählt!"},
        {true, 2, "Keine Kursphase ausgewählt!"},
        {true, 0, common::kNoCoursePhases},
    };
    for (const auto& [folder, chooser, message] : cases) {
        SCOPED_TRACE(testing::Message() << folder << chooser);
        ScriptedHost host;
        host.onOpenFile(folder ? std::optional(out("MERIX.KO")) : std::nullopt);
        if (chooser)
            host.onModal("frmAKursPh", [close = chooser == 2](ui::Window& w) {
                auto& window = dynamic_cast<exporter::frmAKursPh&>(w);
                window.click("Command1");
                window.List1.setCurrent(0);
                close ? window.Form_Unload() : void(window.click("Command2"));
            });
        if (!message.isEmpty())
            host.onMessage(message);
        if (message == common::kNoCoursePhases)
            s.state.SchjBez = "2011/2012";
        exporter::exportCommand(s.state, host);
        EXPECT_EQ(host.pending(), 0u);
        expectPreviousFiles();
    }
}

// A character Windows-1252 lacks, or a line break (CR or LF alone: either would shift every later
// field of the file by a line), refuses the export before any file is written.
TEST_F(Export, AValueTheFileCannotHoldRefusesTheExportBeforeAnyFileIsWritten) {
    const QString refused =
        ": Ein Zeilenumbruch kann in der Exportdatei %1 nicht stehen.\r\nExport nicht möglich!";
    const std::tuple<QString, QString, QString> cases[] = {
        {"Kőrösi",
         {},
         "Kollegiat Kőrösi, Zoltán: Das Zeichen „ő“ (U+0151) gibt es im Zeichensatz der "
         "Exportdatei MERIX.KO (Windows-1252) nicht.\r\nExport nicht möglich!"},
        {"K\rrause", {}, "Kollegiat K\rrause, Zoltán" + refused.arg("MERIX.KO")},
        {{}, "Schiene\n2", "Schiene S2" + refused.arg("MERIX.BL")},
    };
    for (const auto& [fam, railName, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        s.host.messages.clear();
        s.db.scalar("DELETE FROM kolleg WHERE KO_ID = 2");
        s.db.scalar("DELETE FROM block WHERE BL_ID = 2");
        if (!fam.isEmpty())
            s.student(2, fam, "Zoltán");
        else
            rail(2, "S2", railName, 2, 3);
        exportCohort("2009");
        EXPECT_EQ(onlyMessage(), message);
        EXPECT_EQ(s.host.status, "");
        expectPreviousFiles();
    }
}

// A folder that is missing (retried, then given up), a full disk while MERIX.BL, the third file,
// is written (rails enough to make it the one file that outgrows the last 400 bytes), and a
// database that cannot be read each fail with their cause and leave the previous files.
TEST_F(Export, AFailedWriteOrAnUnreadableDatabaseLeavesThePreviousFiles) {
    const QString missing = s.tmp.path("fehlt/MERIX.KO");
    const QString text = missing + ": Pfad nicht gefunden!";
    s.host.onOpenFile(missing)
        .onModal("frmAKursPh", choosePhase("2009"))
        .onMessage(text, ui::Answer::Retry)
        .onMessage(text, ui::Answer::Cancel)
        .onMessage(kFailed + text + " (No such file or directory)");
    exporter::exportCommand(s.state, s.host);
    ASSERT_EQ(s.host.messages.size(), 3u);
    const auto& m = s.host.messages;
    EXPECT_EQ(std::tuple(m[0].title, m[0].buttons, m[2].icon),
              std::tuple(QString("Disk Error"), ui::Buttons::RetryCancel, ui::Icon::Critical));
    EXPECT_FALSE(QFileInfo::exists(s.tmp.path("fehlt")));

    for (int id = 2; id <= 10; ++id)
        rail(id, QString("S%1").arg(id), "Schiene mit einem langen Namen", id, 2);
    s.host.messages.clear();
    {
        test::FileSizeLimit fullDisk(400);
        ASSERT_TRUE(fullDisk.available());
        exportCohort("2009");
    }
    EXPECT_EQ(onlyMessage().section(" (", 0, 0), kFailed + out("MERIX.BL") + ": Schreibfehler!");
    expectPreviousFiles();

    ScriptedHost unread;
    s.state.DatenDatei = "FEHLT.MDB";
    unread.onOpenFile(out("MERIX.KO"))
        .onMessage(kFailed + "Die Datenbank " + s.state.databasePath() + " wurde nicht gefunden.");
    exporter::exportCommand(s.state, unread);
    EXPECT_TRUE(unread.modal.isEmpty());
    expectPreviousFiles();
}

// Another program renames the course and places it on a rail while the export reads (between
// the students and the rails): the four files show the plan before or after, never both.
TEST_F(Export, TheFilesShowOneStateWhileAnotherProgramWrites) {
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
            db::Connection other(s.path(), db::Connection::Mode::Existing, 100);
            db::Transaction tx(other);
            other.exec("UPDATE kurs SET KS_BEZ = 'Ph1'");
            other.exec("INSERT INTO ckkurs (CK_BL_ID, CK_KS_ID, CK_VFP_ID) "
                       "VALUES ('     1', 'KS0001', '     1')");
            tx.commit();
        } catch (const db::DbError&) {
            // Kept waiting for the export's read: the file stays as it was.
        }
    };
    exporter::exportCohort(s.state, h, "2009", out());
    QDir().mkpath(s.tmp.path("again"));
    exporter::exportCohort(s.state, h, "2009", s.tmp.path("again/"));
    for (const QString& name : kNames)
        EXPECT_EQ(file(name), s.tmp.read("again/" + name)) << name.toStdString();
}

// Three students of cohort 2008 (year 13 in 2009/2010), one more of 2009 (year 12), one of 2007;
// their choices in an order that interleaves the students; the rail of the export's school and
// three more, one of another school year; six placed courses that find their rail and course in
// every way there is.
TEST_F(Export, WholeFilesOfEitherCohortAndWithoutPlacedCoursesMerixCkIsOneEmptyLine) {
    s.db.scalar("DELETE FROM belegung");
    s.db.insert("fachang", {{"FA_KURSPH", "2008"}, {"FA_PSCHL", "0600"}, {"FA_VFP_ID", "FA01"}});
    s.db.insert("fachang", {{"FA_KURSPH", "2009"}, {"FA_PSCHL", "0100"}, {"FA_VFP_ID", "FA02"}});
    const QStringList courses = {"Ma3", " d2 ", "1D1", "Ek2"};
    for (int i = 0; i < courses.size(); ++i)
        s.course(i + 2, courses[i]);
    const QString mueller = s.student(2, "Müller", "Jörg", "2008");
    const QString abel = test::School::studentKey(1);
    // A family name fills its 30 characters: the first name follows it directly.
    const QString schmidt = s.student(3, "Schmidt-Leutheusser-Schnarrenb", "Sabine", "2008");
    s.student(4, "Özdemir", {}, "2008");
    choice(mueller, "S", "KS0001", "KS0002", "FA01");
    choice(abel, "S", null, "KS0002", "FA02");        // year 12 with a year-13 course only
    choice(mueller, "L", "KS0001", "KS0002", "FA01"); // advanced course: no GK record
    choice(mueller, null, "KS0001", null, "FA01");    // no type: no GK record
    choice(schmidt, "S", "KS0004", null, "FA01");
    choice(mueller, "S", null, "KS0003", "FA02"); // year 13 only
    choice(mueller, "m", "XX99", null, "FA99");   // a key that names no course or subject
    choice(mueller, "S", null, null, "FA01");     // no course at all: skipped
    choice(abel, "S", "KS0004", "KS0005", "FA02");
    choice(abel, "S", "XX99", null, "FA02");
    choice(s.student(5, "Alt", "Otto", "2007"), "S", "KS0001", null, "FA01");
    rail(2, " S2", null, null, null);
    rail(3, "S9", "Vorjahr", 9, 2, test::kOtherYear);
    rail(4, "Ü4", "Übung", -2, 2);
    const std::tuple<QVariant, QString, QVariant> placed[] = {
        {"     1", "KS0001", null},     // left by the import: rail by the number, BL_ID 1
        {"     2", "KS0003", "     2"}, // saved: rail by its key as written
        {"     7", "KS0002", null},     // no rail 7
        {"     1", "XX99", "     4"},   // no such course
        {"1", "KS0002", "     5"},      // saved: "1" is not the key "     1"
        {"3", "KS0004", null},          // the number 3 finds the rail of the other year
    };
    for (const auto& [railKey, course, key] : placed)
        s.place(0, course, {{"CK_BL_ID", railKey}, {"CK_VFP_ID", key}});
    exportCohort("2008");
    EXPECT_EQ(file("MERIX.KO"),
              crlf(QByteArrayList{"06_KO_68"} + koRecord("2008", "M\xFCller", "J\xF6rg") +
                   koRecord("2008", "Schmidt-Leutheusser-Schnarrenb", "Sabine") +
                   koRecord("2008", "\xD6zdemir", "Null")));
    const QByteArray muellerKey = "2008M\xFCller                        J\xF6rg";
    EXPECT_EQ(file("MERIX.GK"), crlf(QByteArrayList{"06_GK_30"} +
                                     gk(muellerKey, "2008/2009Ma1", "2009/2010Ma3", "20080600") +
                                     gk(muellerKey, "*", "2009/2010d2", "20090100") +
                                     gk(muellerKey, "2008/2009XX99", "*", "FA99", "m") +
                                     gk("2008Schmidt-Leutheusser-SchnarrenbSabine", "2008/20091D1",
                                        "*", "20080600")));
    EXPECT_EQ(file("MERIX.BL"),
              crlf(QByteArrayList{"06_BL_05"} +
                   record({"2009/2010", "S1", "Schiene 1", "1", "3"}, 0) +
                   record({"2009/2010", " S2"}, 3) +
                   record({"2009/2010", "\xDC\x34", "\xDC\x62ung", "-2", "2"}, 0))); // Ü4, Übung
    const auto ck = [](const QByteArray& rail, const QByteArray& course) {
        return record({rail, course}, 5);
    };
    EXPECT_EQ(file("MERIX.CK"),
              crlf(QByteArrayList{"06_CK_07"} + ck("2009/2010S1", "2009/2010Ma1") +
                   ck("2009/2010S2", "2009/2010d2") + ck("*", "2009/2010Ma3") +
                   ck("2009/2010S1", "*") + ck("*", "2009/2010Ma3") +
                   ck("2009/2010S9", "2009/20101D1") + QByteArrayList{""}));
    const QString k = "Kollegiatentabelle: ", g = "Grundkurse: ";
    const QString m = "Müller", sch = "Schmidt-Leutheusser-Schnarrenb";
    EXPECT_EQ(s.host.statuses, QStringList({k + m, g + m, g + m, g + m, k + sch, g + sch,
                                            k + "Özdemir", "Block", ""}));

    // The school year offers its first year and the year before where students have them.
    const std::pair<QString, QStringList> phases[] = {{"2009/2010", {"2009", "2008"}},
                                                      {"2008/2009", {"2008", "2007"}},
                                                      {"2010/2011", {"2009"}},
                                                      {"2012/2013", {}}};
    db::Connection c(s.path());
    for (const auto& [year, offered] : phases)
        EXPECT_EQ(exporter::coursePhases(c, year), offered) << year.toStdString();
    // Year 12, without placed courses: MERIX.CK is one empty line.
    s.db.scalar("DELETE FROM ckkurs");
    s.db.scalar("DELETE FROM block");
    exportCohort("2009");
    EXPECT_EQ(file("MERIX.KO"),
              crlf(QByteArrayList{"06_KO_68"} + koRecord("2009", "Abel", "Anna")));
    const QByteArray key = "2009Abel                          Anna";
    EXPECT_EQ(file("MERIX.GK"),
              crlf(QByteArrayList{"06_GK_30"} + gk(key, "2009/2010", "*", "20090100") +
                   gk(key, "2009/20101D1", "*", "20090100") +
                   gk(key, "2009/2010XX99", "*", "20090100")));
    EXPECT_EQ(file("MERIX.CK"), "\r\n");
    EXPECT_EQ(file("MERIX.BL"), "06_BL_05\r\n");
}
