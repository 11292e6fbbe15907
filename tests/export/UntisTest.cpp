// The timetable export (GPU files): the demo school read back by a reader of our own, whole files
// of a small school byte for byte, the refusals that leave the folder as it was, and the window.
#include "export/Untis.h"
#include "blocking/Model.h"
#include "common/Help.h"
#include "common/MessageWindow.h"
#include "common/Session.h"
#include "exchange/Kurs42.h"
#include "exchange/Kurs42Import.h"
#include "export/Merix.h"
#include "export/frmGPU.h"
#include "support/DemoSchool.h"
#include "support/FileSizeLimit.h"
#include "support/School.h"
#include "ui/QuietHost.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>

namespace untis = exporter::untis;
using test::ScriptedHost;

namespace {

const QStringList kFiles = {"GPU002.TXT", "GPU010.TXT", "GPU015.TXT", "GPU019.TXT"};

// A GPU file as a reader by position sees it: records split at CR LF, fields at the separator
// outside double quotes, the quotes dropped.
std::vector<QStringList> records(const QByteArray& bytes, QChar sep = ';') {
    std::vector<QStringList> rows;
    for (const QString& line : QString::fromUtf8(bytes).split("\r\n", Qt::SkipEmptyParts)) {
        QStringList fields{QString()};
        bool quoted = false;
        for (const QChar c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (c == sep && !quoted)
                fields << QString();
            else
                fields.last() += c;
        }
        rows.push_back(fields);
    }
    return rows;
}

} // namespace

// Both cohorts of the demo school from lesson 500 on: every course of the cohort (as the
// blocking counts them) once with a distinct number from 500, every rail one cluster of kind 2
// holding exactly the cohort's courses placed on it, every course of every student (his year
// group's field) with that course's number and, as alternatives, every course of the file that
// serves his choice's subject and kind.
TEST(UntisExport, TheDemoSchoolReadBackHasEveryCourseRailAndStudentsCourse) {
    test::TempDir tmp;
    platform::RunState s;
    s.useDatabase(tmp.path("BB.MDB"));
    ScriptedHost quiet;
    ASSERT_TRUE(test::importDemoSchool(s, quiet));
    for (const QString cohort : {"2009", "2008"}) {
        SCOPED_TRACE(cohort.toStdString());
        const QString field = cohort == "2009" ? "BG_KS_ID_12" : "BG_KS_ID_13";
        QDir().mkpath(tmp.path(cohort));
        untis::exportCohort(s, {cohort, untis::Separator::Semicolon, untis::Encoding::Utf8, 500},
                            tmp.path(cohort));
        const auto file = [&](const QString& name) {
            return records(tmp.read(cohort + "/" + name));
        };
        std::map<QString, int> number; // course name -> lesson number
        for (const QStringList& l : file("GPU002.TXT")) {
            EXPECT_EQ(l.value(0).toInt(), 500 + static_cast<int>(number.size()));
            EXPECT_TRUE(number.emplace(l.value(6), l.value(0).toInt()).second)
                << l.value(6).toStdString();
        }
        QStringList own;
        {
            db::Connection c(s.databasePath());
            for (const auto& k :
                 blocking::Model::load(c, {s.SchjID, s.SchjBez}, cohort.toInt()).courses)
                if (k.own)
                    own << k.name;
        }
        QStringList listed;
        for (const auto& [name, n] : number)
            listed << name;
        own.sort();
        EXPECT_EQ(listed, own);
        ASSERT_FALSE(own.isEmpty());

        std::map<QString, std::set<QString>> clusters, rails;
        for (const QStringList& r : file("GPU019.TXT")) {
            EXPECT_EQ(r.value(1), "2");
            EXPECT_EQ(r.value(3).toInt(), number.at(r.value(5)));
            clusters[r.value(0)].insert(r.value(5));
        }
        for (const QString& row :
             test::rowsOf(s.databasePath(),
                          "SELECT trim(b.BL_BEZ), trim(k.KS_BEZ) FROM ckkurs c "
                          "JOIN block b ON b.BL_VFP_ID = c.CK_BL_ID "
                          "JOIN kurs k ON k.KS_VFP_ID = c.CK_KS_ID WHERE b.BL_SCHJ = ?",
                          {s.SchjID}))
            if (number.count(row.section('|', 1)))
                rails[row.section('|', 0, 0)].insert(row.section('|', 1));
        EXPECT_EQ(clusters, rails);
        EXPECT_FALSE(rails.empty());

        std::map<std::pair<QString, QString>, QStringList> chosen; // student, course -> row
        for (const QStringList& r : file("GPU015.TXT")) {
            EXPECT_EQ(r.value(1).toInt(), number.at(r.value(2)));
            EXPECT_TRUE(chosen.emplace(std::pair(r.value(0), r.value(2)), r).second);
        }
        std::set<std::pair<QString, QString>> expected;
        for (const QString& row : test::rowsOf(
                 s.databasePath(),
                 QString(
                     "SELECT 'S-' || trim(ko.KO_VFP_ID), trim(k.KS_BEZ), "
                     "(SELECT group_concat(trim(p.KS_BEZ), '|') FROM kurs p WHERE p.KS_SCHJ = ? "
                     "AND bg.BG_FA_ID IN (p.KS_FA_ID1, p.KS_FA_ID2, p.KS_FA_ID3, p.KS_FA_ID4) "
                     "AND (p.KS_LKGK = 'L') = (bg.BG_ART = 'L')) "
                     "FROM kolleg ko JOIN belegung bg ON bg.BG_KO_ID = ko.KO_VFP_ID "
                     "JOIN kurs k ON k.KS_VFP_ID = bg.%1 WHERE ko.KO_KURSPH = ?")
                     .arg(field),
                 {s.SchjID, cohort})) {
            const QStringList f = row.split('|');
            if (!number.count(f[1]))
                continue;
            expected.insert({f[0], f[1]});
            const QStringList r = chosen[{f[0], f[1]}];
            ASSERT_FALSE(r.isEmpty()) << row.toStdString();
            std::set<int> alternatives = {number.at(f[1])};
            for (const QString& parallel : f.mid(2))
                if (number.count(parallel))
                    alternatives.insert(number.at(parallel));
            QStringList numbers;
            for (int n : alternatives)
                numbers << QString::number(n);
            EXPECT_EQ(r.value(9), numbers.join('~')) << row.toStdString();
        }
        EXPECT_EQ(chosen.size(), expected.size()) << "one record per student and course";
        EXPECT_EQ(
            file("GPU010.TXT").size(),
            test::rowsOf(s.databasePath(), "SELECT 1 FROM kolleg WHERE KO_KURSPH = ?", {cohort})
                .size());
    }
}

namespace {

// A school of cohort 2009: Ma1 and Ma2 parallels of subject 1 (Ma1 with teacher MÜL), D1 of
// subject 2 on both rails GK1 and GK2, rail GK3 empty; Bär in Ma1 and D1, Abel in Ma2 with a
// choice of D without course, Cem without choices. The export folder holds earlier files.
struct SmallSchool {
    test::School s;
    untis::Options o{"2009"};
    SmallSchool() {
        s.db.scalar("UPDATE fachang SET FA_KURSPH = '2009'");
        s.subject(2, "4", {{"FA_KURSPH", "2009"}});
        s.db.insert("lehrer", {{"LE_KUERZ", "MÜL"}, {"LE_VFP_ID", "LE01"}});
        const QString ma1 = s.course(1, "Ma1", {{"KS_LE_ID", "LE01"}});
        const QString ma2 = s.course(2, "Ma2");
        const QString d1 = s.course(3, "D1", {{"KS_FA_ID1", "FA0002"}, {"KS_STD", "4"}});
        const QString baer = s.student(1, "Bär", "Ben", "2009", "a");
        const QString abel = s.student(2, "Abel", "Anna");
        s.student(3, "Cem", "Can");
        const auto choice = [&](const QString& who, const QVariant& course, const char* subject) {
            s.choice(who, course, {}, {{"BG_FA_ID", subject}, {"BG_ART", "S"}});
        };
        choice(baer, ma1, "FA0001");
        choice(baer, d1, "FA0002");
        choice(abel, ma2, "FA0001");
        choice(abel, {}, "FA0002");
        s.rail(1, "GK1", 3);
        s.rail(2, "GK2", 3);
        s.rail(3, "GK3", 2);
        for (const auto& [rail, course] : {std::pair(1, ma1), {1, d1}, {2, ma2}, {2, d1}})
            s.place(rail, course);
        QDir().mkpath(dir());
        for (const QString& name : kFiles)
            s.tmp.write("gpu/" + name, "vorher");
    }
    QString dir() const { return s.tmp.path("gpu"); }
    untis::Result run(const QString& to = {}) {
        return untis::exportCohort(s.state, o, to.isEmpty() ? dir() : to);
    }
    QByteArray file(const QString& name) const { return s.tmp.read("gpu/" + name); }
    // The refusal's text; the folder as it was.
    QString refusal(const QString& to = {}) {
        QString text;
        try {
            run(to);
        } catch (const exporter::Refused& e) {
            text = e.message();
        }
        EXPECT_EQ(QDir(dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
                  kFiles);
        for (const QString& name : kFiles) {
            const QFileInfo f(dir() + "/" + name);
            EXPECT_TRUE(!f.isFile() || f.isSymLink() || file(name) == "vorher")
                << name.toStdString();
        }
        return text;
    }
};

struct UntisSchool : ::testing::Test, SmallSchool {};

} // namespace

// Tab, Windows-1252, the name key, lessons from 7: every field where the help says; a course on
// two rails in both clusters; the empty rail, the courses without teacher, the choice without
// course and the student without course as notes.
TEST_F(UntisSchool, WholeFilesWithTheirNotes) {
    o = {"2009", untis::Separator::Tab, untis::Encoding::Windows1252, 7, untis::StudentKey::Name};
    const untis::Result r = run();
    EXPECT_EQ(file("GPU002.TXT"), "7\t3\t3\t3\t\"12\"\t\"M\xDCL\"\t\"Ma1\"\t\t\t1\r\n"
                                  "8\t3\t3\t3\t\"12\"\t\t\"Ma2\"\t\t\t1\r\n"
                                  "9\t4\t4\t4\t\"12\"\t\t\"D1\"\t\t\t1\r\n");
    EXPECT_EQ(file("GPU010.TXT"),
              "\"B\xC4R_Ben\"\t\"B\xE4r\"\t\t\t\t\t\t\"Ben\"\t\t\"12\"\t\t\t\t\t\"ST0001\"\r\n"
              "\"ABEL_Ann\"\t\"Abel\"\t\t\t\t\t\t\"Anna\"\t\t\"12\"\t\t\t\t\t\"ST0002\"\r\n"
              "\"CEM_Can\"\t\"Cem\"\t\t\t\t\t\t\"Can\"\t\t\"12\"\t\t\t\t\t\"ST0003\"\r\n");
    EXPECT_EQ(file("GPU015.TXT"),
              "\"B\xC4R_Ben\"\t7\t\"Ma1\"\t\t\"12\"\t\t\t\t\t\"7~8\"\t\"Ma1~Ma2\"\t\t\"1~1\"\r\n"
              "\"B\xC4R_Ben\"\t9\t\"D1\"\t\t\"12\"\t\t\t\t\t\"9\"\t\"D1\"\t\t\"1\"\r\n"
              "\"ABEL_Ann\"\t8\t\"Ma2\"\t\t\"12\"\t\t\t\t\t\"7~8\"\t\"Ma1~Ma2\"\t\t\"1~1\"\r\n");
    EXPECT_EQ(file("GPU019.TXT"), "\"GK1\"\t2\t3\t7\t\t\"Ma1\"\t\"12\"\r\n"
                                  "\"GK1\"\t2\t3\t9\t\t\"D1\"\t\"12\"\r\n"
                                  "\"GK2\"\t2\t3\t8\t\t\"Ma2\"\t\"12\"\r\n"
                                  "\"GK2\"\t2\t3\t9\t\t\"D1\"\t\"12\"\r\n");
    EXPECT_EQ(untis::report(r, dir()).mid(1),
              QStringList(
                  {"GPU002.TXT: 3 Kurse (Unterrichtsnummern 7 bis 9)", "GPU010.TXT: 3 Schüler",
                   "GPU015.TXT: 3 Kursbelegungen", "GPU019.TXT: 2 Schienen mit 4 gesetzten Kursen",
                   "", "Hinweise:", "Kurse ohne Lehrer (GPU002 Feld 6 leer):", "  Ma2, D1",
                   "Schienen ohne Kurs des Jahrgangs (nicht in GPU019):", "  GK3",
                   "Schüler Abel, Anna: 1 Belegung(en) ohne Kurs", "Schüler Cem, Can: ohne Kurs"}));
}

// A character Windows-1252 lacks, the separator, a quote, a line break or "~" in a course name,
// two students of one key, a folder that is missing or refuses files, a target that is a folder,
// a link or a pipe, and a disk that fills up: each refused in German, the folder as it was.
TEST(UntisRefusals, NothingIsWritten) {
    const QString end = ".\r\nEs wurde nichts geschrieben.";
    const QString gpu = "Die GPU-Dateien konnten nicht nach %1 geschrieben werden: ";
    const auto sql = [](const char* statement) {
        return [statement](SmallSchool& x) { x.s.db.scalar(statement); };
    };
    struct Case {
        std::function<void(SmallSchool&)> make;
        untis::Options options;
        QString message; // a write failure: its beginning
        QString to = {};
    };
    const Case cases[] = {
        {sql("UPDATE kolleg SET KO_FAMNAME = 'Kőrösi' WHERE KO_ID = 2"),
         {"2009", untis::Separator::Semicolon, untis::Encoding::Windows1252},
         "Schüler Kőrösi, Anna (GPU010.TXT): Das Zeichen „ő“ (U+0151) in „Kőrösi“ gibt es im "
         "Zeichensatz Windows-1252 nicht. Wählen Sie UTF-8" +
             end},
        {sql("UPDATE kurs SET KS_BEZ = 'M,1' WHERE KS_ID = 2"),
         {"2009", untis::Separator::Comma},
         "Kurs M,1 (GPU002.TXT): „M,1“ enthält das Trennzeichen „,“, das die Felder trennt. "
         "Wählen Sie ein anderes Trennzeichen" +
             end},
        {sql("UPDATE block SET BL_BEZ = 'G\t3' WHERE BL_ID = 1"),
         {"2009", untis::Separator::Tab},
         "Schiene G\t3 (GPU019.TXT): „G\t3“ enthält den Tabulator, der die Felder trennt. "
         "Wählen Sie ein anderes Trennzeichen" +
             end},
        {sql("UPDATE kolleg SET KO_RUFNAME = 'An\"na' WHERE KO_ID = 2"),
         {"2009"},
         "Schüler Abel, An\"na (GPU010.TXT): „An\"na“ enthält ein Anführungszeichen (\"), das "
         "in den GPU-Dateien einen Text beendet" +
             end},
        {sql("UPDATE kolleg SET KO_FAMNAME = 'Cem\nx' WHERE KO_ID = 3"),
         {"2009"},
         "Schüler Cem\nx, Can (GPU010.TXT): „Cem\nx“ enthält einen Zeilenumbruch, der in den "
         "GPU-Dateien einen Datensatz beendet" +
             end},
        {sql("UPDATE kurs SET KS_BEZ = 'M~1' WHERE KS_ID = 2"),
         {"2009"},
         "Kurs M~1 (GPU002.TXT): „M~1“ enthält „~“, das in GPU015 die Parallelkurse trennt" + end},
        {[](SmallSchool& x) { x.s.student(4, "Abel", "Annika"); },
         {"2009", untis::Separator::Semicolon, untis::Encoding::Utf8, 1, untis::StudentKey::Name},
         "Schüler Abel, Anna und Schüler Abel, Annika bekämen denselben Schlüssel „ABEL_Ann“; die "
         "Schüler müssen im Stundenplan verschiedene Schlüssel haben. Wählen Sie die "
         "Schlüsselform „Kennung“ (id)" +
             end},
        {{},
         {"2009", untis::Separator::Semicolon, untis::Encoding::Utf8, 999998},
         "Die 3 Kurse des Jahrgangs brauchen von 999998 an Unterrichtsnummern über 999999" + end},
        {{}, {"2009"}, "Den Ordner /fehlt/gpu gibt es nicht" + end, "/fehlt/gpu"},
        {[](SmallSchool& x) {
             QFile::remove(x.dir() + "/GPU010.TXT");
             QDir().mkpath(x.dir() + "/GPU010.TXT");
         },
         {"2009"},
         "%1/GPU010.TXT ist ein Ordner; die GPU-Dateien ersetzen nur Dateien" + end},
        {[](SmallSchool& x) {
             QFile::remove(x.dir() + "/GPU015.TXT");
             QFile::link(x.dir() + "/GPU002.TXT", x.dir() + "/GPU015.TXT");
         },
         {"2009"},
         "%1/GPU015.TXT ist eine Verknüpfung; die GPU-Dateien ersetzen nur Dateien" + end},
        {[](SmallSchool& x) {
             QFile::remove(x.dir() + "/GPU019.TXT");
             mkfifo(QFile::encodeName(x.dir() + "/GPU019.TXT").constData(), 0600);
         },
         {"2009"},
         "%1/GPU019.TXT ist keine gewöhnliche Datei; die GPU-Dateien ersetzen nur Dateien" + end},
        {{}, {"2009"}, gpu.arg("/proc") + "/proc/GPU002.TXT: ", "/proc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        SmallSchool x;
        if (c.make)
            c.make(x);
        x.o = c.options;
        const QString message = x.refusal(c.to);
        EXPECT_TRUE(c.message.contains("konnten nicht")
                        ? message.startsWith(c.message)
                        : message == QString(c.message).replace("%1", x.dir()))
            << message.toStdString();
    }
    // The disk fills up while the second file is written: the first is not left new.
    SmallSchool full;
    for (int i = 4; i < 40; ++i)
        full.s.student(i, QString("Schülerin mit langem Namen %1").arg(i), "Xaver");
    test::FileSizeLimit limit(600);
    ASSERT_TRUE(limit.available());
    EXPECT_TRUE(full.refusal().startsWith(gpu.arg(full.dir()) + full.dir() +
                                          "/GPU010.TXT: Schreibfehler!"));
}

// The window offers the school year's cohorts; a missing folder, a wrong number and a refused
// value are said and the window stays; the folder comes through the dialog; the export reports
// in the message window (the school has notes) and the window closes. Help opens its page.
TEST_F(UntisSchool, TheWindowSaysWhatIsMissingAndStaysUntilTheFilesAreWritten) {
    const auto click = [](ui::Window& w, const char* name) { w.click(QString::fromLatin1(name)); };
    QString report;
    s.host.onModal("frmGPU", [&](ui::Window& window) {
        auto& w = dynamic_cast<untis::frmGPU&>(window);
        EXPECT_EQ(w.cmbJahrgang.lines(), QStringList{"2009"});
        click(w, "cmdExportieren");
        click(w, "cmdOrdner");
        w.txtNummer = "0";
        click(w, "cmdExportieren");
        w.txtNummer = " 12";
        w.cmbZeichensatz.setCurrent(1);
        s.db.scalar("UPDATE kolleg SET KO_FAMNAME = 'Kőrösi' WHERE KO_ID = 2");
        click(w, "cmdExportieren");
        EXPECT_FALSE(w.exported());
        w.cmbZeichensatz.setCurrent(0);
        click(w, "cmdExportieren");
        EXPECT_TRUE(w.exported());
        click(w, "cmdHilfe");
    });
    s.host.onMessage("Bitte wählen Sie den Ordner für die GPU-Dateien.")
        .onOpenFile(dir() + "/GPU002.TXT")
        .onMessage("Die erste Unterrichtsnummer muss eine ganze Zahl von 1 bis 999999 sein.")
        .onMessage(ui::Answer::Ok)
        .onModal("frmFMld",
                 [&](ui::Window& w) { report = dynamic_cast<common::frmFMld&>(w).txtFMld; });
    untis::showGpuExport(s.state, s.host);
    EXPECT_TRUE(s.host.messages[2].text.startsWith("Schüler Kőrösi, Anna (GPU010.TXT)"));
    EXPECT_EQ(s.host.fileDialogs.at(0).fileName, "GPU002.TXT");
    EXPECT_TRUE(report.startsWith("Die GPU-Dateien stehen in " + dir() +
                                  "/:\r\n"
                                  "GPU002.TXT: 3 Kurse (Unterrichtsnummern 12 bis 14)"));
    EXPECT_EQ(records(file("GPU010.TXT")).at(1).value(1), "Kőrösi");
    ASSERT_EQ(s.host.help.size(), 1u);
    EXPECT_EQ(common::helpPage(s.host.help[0]), "stundenplan.html");
}

// With the name key, the date of birth a Kurs42 import kept ends the key and fills field 13.
TEST(UntisExport, TheNameKeyEndsWithTheDateOfBirthAKurs42ImportKept) {
    test::TempDir tmp;
    ui::QuietHost quiet;
    exchange::kurs42::importExport(
        exchange::kurs42::read(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42"), tmp.path("BB.MDB"),
        QString(), quiet);
    platform::RunState s;
    s.useDatabase(tmp.path("BB.MDB"));
    common::LiesSchj(s, quiet);
    db::Connection c(s.databasePath());
    const QString cohort = common::coursePhases(c, s.SchjBez).value(0);
    untis::exportCohort(
        s, {cohort, untis::Separator::Semicolon, untis::Encoding::Utf8, 1, untis::StudentKey::Name},
        tmp.dir());
    const QStringList weisse = records(tmp.read("GPU010.TXT")).at(0);
    EXPECT_EQ(QStringList({weisse[0], weisse[1], weisse[7], weisse[12]}),
              QStringList({"WEISSE_Jan_20070103", "Weiße", "Jan", "20070103"}));
}
