// The export's files: read from a folder or zip, bad input, written and read back; and an export
// taken into a block-formation database and handed back.
//
// data/kurs42/ is a hand-written export (3 subjects, 6 courses, 4 rails, 10 students): D-LK1 in
// rails 0 and 2, D-GK1 fixed in rail 1, M-LK1 barred from rails 2 and 3, Fuchs's F without a
// course. data/kurs42.zip holds the same files deflated, beside Liesmich.md and alt/Kurse.txt
// (made by Python's zipfile, an independent writer).
#include "exchange/Kurs42.h"
#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Rules.h"
#include "exchange/Kurs42Export.h"
#include "exchange/Kurs42Import.h"
#include "exchange/Zip.h"
#include "platform/Files.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"
#include "ui/QuietHost.h"

#include <QDir>
#include <QRegularExpression>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace k = exchange::kurs42;

namespace {

const QString kData = QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/");

k::Files handExport() {
    k::Files files;
    for (const QString& name : QDir(kData + "kurs42").entryList(QDir::Files, QDir::Name)) {
        QFile f(kData + "kurs42/" + name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        files.emplace_back(name, f.readAll());
    }
    return files;
}

QByteArray& bytesOf(k::Files& files, const QString& name) {
    for (auto& [n, b] : files)
        if (n == name)
            return b;
    return files.emplace_back(name, QByteArray()).second;
}

// The reader's refusal, else a line of what the rows below change (how many rails course 3 is
// barred from; course 5's name, subject and parallel number; the first choice's course; the
// third subject's name; how many placements, courses and choices), then its warnings.
QString outcome(const k::Files& files) {
    try {
        const k::Export e = k::readFiles(files);
        const k::Course& c = e.courses[4];
        return (QStringList{QString("%1|%2%3%4|%5|%6|%7/%8/%9")
                                .arg(e.courses[2].gesperrt.size())
                                .arg(c.name, c.fach)
                                .arg(c.parallelKursNr)
                                .arg(e.choices[0].kurs, e.subjects[2].bezeichnung)
                                .arg(e.placements.size())
                                .arg(e.courses.size())
                                .arg(e.choices.size())} +
                e.warnings)
            .join('\n');
    } catch (const k::FormatError& e) {
        return e.message();
    }
}

// An export taken in: a small blocking built by hand as the reader would give it, its figures
// worked out on paper.

k::StudentKey student(int n) {
    return {QStringLiteral("Süncksen%1").arg(n), QStringLiteral("Anna"),
            QStringLiteral("0%1.03.2007").arg(n % 10), n % 2 ? 3 : 4};
}

// 3 subjects, 6 courses on 4 rails of 3 hours: PXSP-PJK1 (6 hours) over rails 0 and 2, D-GK2
// fixed on rail 1, M-LK1 barred from rails 0 and 1. Students 1-3 take D-GK1 M-LK1 VM-VTF2,
// 4-5 D-GK2 M-LK1 PXSP-PJK1 (both on rail 2: 2 collisions), 6-8 D-GK2 M-GK1 PXSP-PJK1,
// 9 D-GK1 M-GK1 VM-VTF2, 10 D-GK1 M-GK1 and a VTF choice without course.
k::Export handBuilt() {
    k::Export e;
    e.blocking = {"Q1", 2023, 2, "Blockung (09.04.2024)", "123456", {{"GUID", "{76D9}"}}};
    const char* krz[] = {"D", "M", "PX_Info"};
    for (int i = 0; i < 3; ++i)
        e.subjects.push_back({i + 2, i + 1, krz[i], krz[i] + QString(" lang"), krz[i], i + 1, {}});
    const char* rails[] = {"Grundkurs 1", "Grundkurs 2", "Grundkurs 3", "Grundkurs 12"};
    for (int r = 0; r < 4; ++r)
        e.rails.push_back({r + 2, r + 1, rails[r], {{"Stundenplan", "0110"}}});
    // Line, id, subject, name, teacher, room, hours, kind, rails, barred, parallel count and
    // number.
    e.courses = {{2, -2, "D", "D-GK1", "L073", "", 3, "GK", 1, {}, 2, 1, {}},
                 {3, -3, "D", "D-GK2", "", "", 3, "GK", 1, {}, 2, 2, {}},
                 {4, -4, "M", "M-LK1", "Müller-Lüdenscheidt", "", 3, "LK", 1, {0, 1}, 1, 1, {}},
                 {5, -5, "M", "M-GK1", "L073", "", 3, "GK", 1, {}, 1, 1, {}},
                 {6, -6, "PX_Info", "PXSP-PJK1", "", "", 6, "PJK", 2, {}, 1, 1, {}},
                 {7, -7, "PX_Info", "VM-VTF2", "", "", 3, "VTF", 1, {}, 1, 1, {}}};
    e.placements = {{2, 0, "D-GK1", false}, {3, 0, "PXSP-PJK1", false},
                    {4, 1, "D-GK2", true},  {5, 1, "VM-VTF2", false},
                    {6, 2, "M-LK1", false}, {7, 2, "PXSP-PJK1", false},
                    {8, 3, "M-GK1", false}};
    for (int s = 1; s <= 10; ++s) {
        e.students.push_back({s + 1, student(s), s, 2, "Q1", "Q1", s == 7 ? 0 : 81380 + s, {}});
        const auto choose = [&](const char* fach, const char* kind, const char* kurs) {
            const int line = int(e.choices.size()) + 2;
            e.choices.push_back({line, student(s), fach, kind, kurs, {{"Note", "08"}}});
        };
        choose("D", "GKS", s <= 3 || s >= 9 ? "D-GK1" : "D-GK2");
        choose("M", s <= 5 ? "LK1" : "GKM", s <= 5 ? "M-LK1" : "M-GK1");
        choose("PX_Info", s >= 4 && s <= 8 ? "PJK" : "VTF",
               s >= 4 && s <= 8 ? "PXSP-PJK1" : (s == 10 ? "" : "VM-VTF2"));
    }
    return e;
}

} // namespace

// The hand export's values as read; from a stored and a deflated zip it reads the same. Written
// again, Faecher.txt, Kurse.txt, Schienen.txt and Blockplan.txt are the hand's byte for byte.
TEST(Kurs42Files, TheHandExportReadsAlikeFromFolderAndZipsAndIsWrittenBackAlike) {
    const k::Export e = k::read(kData + "kurs42");
    EXPECT_EQ(e.warnings, QStringList());
    ASSERT_EQ(e.students.size(), 10u);
    EXPECT_EQ(e.students[0].key.name + e.students[0].extra.at("PruefOrd"), "WeißeAPO-GOSt(B)10/G8");
    EXPECT_EQ(e.students[9].dbIdNr + e.students[9].status, 6);
    EXPECT_EQ(e.blocking.jahr * 10 + e.blocking.abschnitt, 20241);
    ASSERT_EQ(e.courses.size(), 6u);
    EXPECT_EQ(e.courses[2].gesperrt, (std::vector<int>{2, 3}));
    EXPECT_EQ(e.courses[0].lehrer + "|" + e.courses[0].raum, "L073|") << "-- is none";
    EXPECT_EQ(e.courses[4].parallelKursZahl * 10 + e.courses[4].parallelKursNr, 22);
    QStringList placements;
    for (const k::Placement& p : e.placements)
        placements << QStringLiteral("%1%2%3").arg(p.schiene).arg(p.kurs).arg(p.fixiert);
    EXPECT_EQ(placements.join(" "), "0D-LK10 0M-GK20 1D-GK11 1M-LK10 2D-LK10 3M-GK10 3F-GK10");
    ASSERT_EQ(e.choices.size(), 29u);
    EXPECT_EQ(e.choices[0].extra.at("Note"), "08");
    EXPECT_EQ(e.choices[26].student.name + e.choices[26].fachkrz + e.choices[26].kurs, "FuchsF");

    test::TempDir tmp;
    k::Files hand = handExport();
    tmp.write("stored.zip", exchange::zip::write(hand));
    for (const QString& zip : {tmp.path("stored.zip"), kData + "kurs42.zip"}) {
        const k::Export z = k::read(zip);
        EXPECT_EQ(z.warnings, QStringList());
        EXPECT_EQ(k::render(z), k::render(e)) << zip.toStdString();
    }

    // Written, the files read back to the same records and the same bytes: every value of the
    // records is written, so the same bytes mean the same records.
    k::Files first = k::render(e);
    EXPECT_EQ(k::render(k::readFiles(first)), first);
    for (const QString name : {"Faecher.txt", "Kurse.txt", "Schienen.txt", "Blockplan.txt"})
        EXPECT_EQ(bytesOf(first, name), bytesOf(hand, name)) << name.toStdString();
    EXPECT_EQ(bytesOf(first, "Blockung.txt"),
              "[Blockung]\r\nJahrgang=Q1\r\nJahr=2024\r\nAbschnitt=1\r\nBezeichnung=Blockung "
              "(02.09.2024)\r\nSchulnummer=123456\r\nFolgejahr=0\r\nGUID={0A1B2C3D-0000-4000-"
              "8000-000000000042}\r\n\r\n[Anfangszeiten]\r\nStunde_1=07:55:00\r\nStundenDauer="
              "45\r\n\r\n[Farbgruppen]\r\nGruppe_1=1=16711680\r\n");
    const QStringList belegung =
        QString::fromUtf8(bytesOf(first, "Kursbelegung.txt")).split("\r\n");
    ASSERT_EQ(belegung.size(), 30) << "header, 28 courses of choices, end";
    EXPECT_EQ(belegung[5], "\"Brandt\";\"Clara\";\"17.05.2007\";4;\"D-GK1\";\"GKS\";0");
    EXPECT_TRUE(bytesOf(first, "ZulKurse.txt")
                    .contains("\r\n2;\"GKS\";\"Grundkurs schriftlich\";\"GY\";0;1;1;\"GK\"\r\n"));
    for (const QString& target : {tmp.path("aus"), tmp.path("aus.zip")}) {
        k::write(e, target);
        EXPECT_EQ(k::render(k::read(target)), first) << target.toStdString();
    }
}

// Each row changes one file of the hand export (a regular expression, multi-line) and names what
// the reader says.
TEST(Kurs42Files, BadInputIsReadOrRefusedNamingFileAndLine) {
    const QString read = "2|M-GK2M2|D-LK1|Französisch|7/6/29";
    // The file, the pattern and its replacement, what the reader says.
    const std::tuple<const char*, const char*, const char*, QString> rows[] = {
        {"Kurse.txt", "\r$", "", read}, // LF only (and no byte-order mark)
        {"Kurse.txt", "\"\\[2,3\\]\"", "--", "0" + read.mid(1)},
        {"Kurse.txt", "\"\\[2,3\\]\"", "\"[]\"", "0" + read.mid(1)},
        {"Kurse.txt", "\"\\[2,3\\]\"", "[ 3,2,3 ]", read},
        {"Kurse.txt", ";[^;\r]*;[^;\r]*;[^;\r]*\r$", "\r", "2|M-GK2M0|D-LK1|Französisch|7/6/29"},
        {"Kurse.txt", "^([^;]*);([^;]*);([^;]*);", "\\3;\\1;\\2;", read},
        {"Fachwahlen.txt", "\"D-LK1\";0\r$", "--;0\r", "2|M-GK2M2||Französisch|7/6/29"},
        {"Fachwahlen.txt", "\"", "", read}, // nothing quoted
        {"Kurse.txt", "\"Name\"", "\"Bez\"", "Kurse.txt, Zeile 1: Die Spalte „Name“ fehlt."},
        {"Kurse.txt", ";5;\"--\";\"LK\"", ";fünf;\"--\";\"LK\"",
         "Kurse.txt, Zeile 2: „fünf“ in Spalte „Std“ ist keine Zahl."},
        {"Kurse.txt", "M-GK2", "D-LK1",
         "Kurse.txt, Zeile 6: Der Kurs „D-LK1“ steht zweimal in der Datei, zuerst in Zeile 2."},
        {"Blockplan.txt", "^3;\"F-GK1\"", "4;\"F-GK1\"",
         "Blockplan.txt, Zeile 8: Die Schiene 4 (Id 5) steht nicht in Schienen.txt."},
        {"Schueler.txt", "\"Adam\";\"Ben\";-1;\"06.04.2007\"",
         "\"Weiße\";\"Jan\";-1;\"03.01.2007\"",
         "Schueler.txt, Zeile 5: Der Schüler „Weiße, Jan“ (03.01.2007) steht zweimal in der "
         "Datei, zuerst in Zeile 2."},
        {"Fachwahlen.txt", "\"M-LK1\";0", "\"M-LK1;0",
         "Fachwahlen.txt, Zeile 3: Ein Anführungszeichen wird nicht geschlossen."},
        {"Blockplan.txt", ".*", "",
         "Blockplan.txt, Zeile 1: Die Kopfzeile mit den Spaltennamen fehlt."},
        {"Schienen.txt", nullptr, nullptr, "Schienen.txt: Die Datei fehlt im Export."},
        {"Faecher.txt", "Französisch", "Franz\xF6sisch",
         read + "\nFaecher.txt, Zeile 4: Die Datei ist nicht in UTF-8 geschrieben; sie wird als "
                "ISO-8859-1 gelesen."},
        {"Blockplan.txt", "\"M-GK1\"", "\"M-GK9\"",
         "2|M-GK2M2|D-LK1|Französisch|6/6/29\nBlockplan.txt, Zeile 7: Der Kurs „M-GK9“ steht "
         "nicht in Kurse.txt; die Zeile wird nicht übernommen."},
        {"Kurse.txt", "\"F\";\"F-GK1\"", "\"S\";\"F-GK1\"",
         "2|M-GK2M2|D-LK1|Französisch|6/5/29\nKurse.txt, Zeile 7: Das Fach „S“ des Kurses "
         "„F-GK1“ steht nicht in Faecher.txt; der Kurs wird nicht übernommen."},
        {"Fachwahlen.txt", "^\"Fuchs\";\"Greta\";\"01.09.2007\";4;\"F\"",
         "\"Fuchs\";\"Greta\";\"01.09.2007\";3;\"F\"",
         "2|M-GK2M2|D-LK1|Französisch|7/6/28\nFachwahlen.txt, Zeile 28: Der Schüler „Fuchs, "
         "Greta“ (01.09.2007) steht nicht in Schueler.txt; die Wahl wird nicht übernommen."},
        {"Fachwahlen.txt", "\"F\";\"GKM\";\"--\";17;0;\"\"", "\"F\";\"XYZ\";\"--\";17;0;\"\"",
         "2|M-GK2M2|D-LK1|Französisch|7/6/28\nFachwahlen.txt, Zeile 28: Die Kursart „XYZ“ ist "
         "unbekannt; die Wahl wird nicht übernommen."},
    };
    for (const auto& [file, pattern, replacement, said] : rows) {
        SCOPED_TRACE(std::string(file) + " " + (pattern ? pattern : "(fehlt)"));
        k::Files files = handExport();
        QByteArray& bytes = bytesOf(files, QString::fromUtf8(file));
        if (!pattern)
            files.erase(std::find_if(files.begin(), files.end(),
                                     [name = file](const auto& f) { return f.first == name; }));
        else if (QByteArray(replacement).contains('\xF6')) // ISO-8859-1: as bytes
            bytes.replace(QByteArray(pattern), QByteArray(replacement));
        else // edited as text, without the byte-order mark
            bytes = QString::fromUtf8(bytes.mid(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0))
                        .replace(QRegularExpression(QString::fromUtf8(pattern),
                                                    QRegularExpression::MultilineOption),
                                 QString::fromUtf8(replacement))
                        .toUtf8();
        EXPECT_EQ(outcome(files), said);
    }
}

// Each row patches a 32-bit field of the zip that Python wrote: of the central directory entry
// of Kurse.txt (deflated there) or of the archive's end record; "cut" drops that many last bytes.
TEST(Kurs42Files, DamagedOrHostileZipsAreRefusedWithAGermanMessage) {
    QFile f(kData + "kurs42.zip");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    const qint64 end = good.size() - 22;
    const qint64 directory = qFromLittleEndian<quint32>(good.constData() + end + 16);
    // The root entry comes first in the directory, alt/Kurse.txt last.
    const qint64 entry = good.indexOf("Kurse.txt", directory) - 46;
    const QString bad = QStringLiteral("Die Zip-Datei ist beschädigt: ");
    const QString kurse = QStringLiteral("Der Eintrag „Kurse.txt“ der Zip-Datei ");
    const std::tuple<qint64, quint32, QString> rows[] = {
        {entry + 8, 0x00080001, kurse + "ist verschlüsselt; er wird nicht gelesen."},
        {entry + 10, 12,
         kurse + "ist mit Verfahren 12 gepackt; gelesen werden nur ungepackte "
                 "und mit Deflate gepackte."},
        {entry + 16, 0, bad + "die Prüfsumme des Eintrags „Kurse.txt“ stimmt nicht."},
        {entry + 20, 1000000, bad + "der Eintrag „Kurse.txt“ reicht über das Archiv hinaus."},
        {entry + 24, 100, bad + "der Eintrag „Kurse.txt“ lässt sich nicht entpacken."},
        {entry + 24, 0x7FFFFFFF, kurse + "ist größer als 64 MiB; er wird nicht gelesen."},
        {entry + 24, 0xFFFFFFFF, "Die Zip-Datei hat das Format Zip64; es wird nicht gelesen."},
        {entry + 42, 7, bad + "der Kopf des Eintrags „Kurse.txt“ fehlt."},
        {end + 4, 1, "Die Zip-Datei ist auf mehrere Teile verteilt; sie wird nicht gelesen."},
        {end + 8, 0x000A000A, bad + "ein Eintrag des Inhaltsverzeichnisses fehlt."},
        {end + 16, quint32(end - 10),
         bad + "das Inhaltsverzeichnis reicht über das Archiv hinaus."},
        {-1, 23, bad + "das Inhaltsverzeichnis am Ende fehlt."},
    };
    test::TempDir tmp;
    for (const auto& [at, value, message] : rows) {
        QByteArray archive = good;
        if (at < 0)
            archive.chop(value);
        else
            qToLittleEndian(value, archive.data() + at);
        tmp.write("x.zip", archive);
        try {
            k::read(tmp.path("x.zip"));
            ADD_FAILURE() << message.toStdString();
        } catch (const k::FormatError& e) {
            EXPECT_EQ(e.message(), "x.zip: " + message);
        }
    }
}

// The demo school keeps no Kurs42 kinds: each student's two advanced choices go out as LK1, then
// LK2.
TEST(Kurs42Export, AdvancedChoicesWithoutKeptKindsAreTheFirstAndTheSecond) {
    test::TempDir dir;
    platform::RunState s;
    s.useDatabase(dir.path("BB.MDB"));
    ui::QuietHost quiet;
    ASSERT_TRUE(test::importDemoSchool(s, quiet));
    db::Connection c(s.databasePath());
    std::map<k::StudentKey, QStringList> kinds;
    for (const QString& cohort : k::exportableCohorts(c))
        for (const k::Choice& w : k::exportCohort(c, cohort).choices)
            if (k::courseKind(w.kursart) == "LK")
                kinds[w.student] << w.kursart;
    ASSERT_GT(kinds.size(), 100u);
    // Namesakes (the demo has no dates of birth) share a key: their pairs follow each other.
    for (const auto& [student, advanced] : kinds)
        for (qsizetype i = 0; i < advanced.size(); ++i)
            EXPECT_EQ(advanced[i], i % 2 ? "LK2" : "LK1") << student.name.toStdString();
}

// Imported: its figures, its long names shortened where the file's fields are short (and still
// nameable in rules), and the cohort exported back as it went.
TEST(Kurs42Import, HandBuiltExportIsEvaluatedGetsShortNamesAndComesBackAsItWent) {
    test::TempDir dir;
    const QString path = dir.path("BB.MDB");
    test::ScriptedHost host;
    const k::ImportResult result = k::importExport(handBuilt(), path, dir.dir(), host);
    ASSERT_TRUE(result.imported);
    EXPECT_EQ(result.schjBez, "2023/2024");
    EXPECT_EQ(result.report, QStringList());
    EXPECT_TRUE(QFile::exists(dir.path("TCLASSK")));

    db::Connection c(path);
    const blocking::Model m = blocking::Model::load(c, {result.schjId, result.schjBez}, 2023);
    const blocking::Evaluation ev = blocking::evaluate(m);
    EXPECT_EQ(std::tuple(ev.students, ev.courses, ev.collisions, ev.withoutCourse, ev.unplaced,
                         ev.surplus, ev.rules, ev.ruleViolations, ev.largestDifference),
              std::tuple(10, 6, 2, 1, 0, 0, true, 0, 1));
    EXPECT_EQ(test::rowsOf(path, "SELECT KS_BEZ, KS_LKGK, KS_JGST FROM kurs ORDER BY KS_ID"),
              (QStringList{"D-GK1|G|12", "D-GK2|G|12", "M-LK1|L|12", "M-GK1|G|12", "PXSPP1|G|12",
                           "VMVTF2|G|12"}));
    EXPECT_EQ(
        test::rowsOf(path, "SELECT BG_ART, count(*) FROM belegung GROUP BY BG_ART ORDER BY 1"),
        (QStringList{"C|5", "L|5", "S|10", "X|10"}));
    EXPECT_EQ(test::rowsOf(path, "SELECT BL_BEZ FROM block ORDER BY BL_ID"),
              (QStringList{"Grund1", "Grund2", "Grund3", "Grun12"}));
    EXPECT_EQ(test::rowsOf(path, "SELECT FA_PSCHL FROM fachang ORDER BY FA_ID"),
              (QStringList{"D", "M", "PXIn"}));
    // Short forms that would meet, and a name that fits taking the form first.
    EXPECT_EQ(k::shortNames({"Mathe-GK1", "Mathematik-GK1", "Mathe-GK2"}, 6),
              (QStringList{"Mathe1", "MathA1", "Mathe2"}));
    EXPECT_EQ(k::shortNames({"Mathe-GK1", "mathe1"}, 6), (QStringList{"MathA1", "mathe1"}));

    // Every value of the records is written: the same files mean the same records.
    EXPECT_EQ(k::render(k::exportCohort(c, "2023")), k::render(handBuilt()));
    blocking::addRule(c, result.schjId, "course-not-on-rail", {"pxsp-pjk1", "Grundkurs 12"});
    EXPECT_EQ(blocking::listRules(c, result.schjId).last(), "course-not-on-rail PXSPP1 Grun12");

    // Q2: the cohort a year older in year group 13, with its own course fields, and back alike.
    k::Export q2 = handBuilt();
    q2.blocking.jahrgang = "Q2";
    for (k::Student& st : q2.students)
        st.jahrgang = "Q2";
    const QString path13 = dir.path("Q2.MDB");
    ASSERT_TRUE(k::importExport(q2, path13, dir.dir(), host).imported);
    EXPECT_EQ(test::rowsOf(path13, "SELECT count(BG_KS_ID_12), count(BG_KS_ID_13) FROM belegung"),
              QStringList{"0|29"});
    EXPECT_EQ(
        test::rowsOf(path13, "SELECT DISTINCT KS_JGST, KS_FA_ID1, KS_FA_ID3 IS NULL FROM kurs"),
        QStringList{"13|<null>|0"});
    db::Connection c13(path13);
    const blocking::Evaluation ev13 =
        blocking::evaluate(blocking::Model::load(c13, {result.schjId, result.schjBez}, 2022));
    EXPECT_EQ(std::tuple(ev13.students, ev13.collisions, ev13.withoutCourse), std::tuple(10, 2, 1));
    EXPECT_EQ(k::render(k::exportCohort(c13, "2022")), k::render(q2));
}

TEST(Kurs42Import, RowsThatBreakTheRulesStopOthersAreReported) {
    // The change, whether it stops the import, and the file and line named.
    const std::tuple<std::function<void(k::Export&)>, bool, QString> rows[] = {
        {[](k::Export& e) { e.courses[3].name = "D-GK1"; }, true, "Kurse.txt, Zeile 5"},
        {[](k::Export& e) { e.placements[2].schiene = 4; }, true, "Blockplan.txt, Zeile 4"},
        {[](k::Export& e) { e.choices[4].fachkrz = "D"; }, true, "Fachwahlen.txt, Zeile 6"},
        {[](k::Export& e) { e.courses[1].kursart = "XK"; }, true, "Kurse.txt, Zeile 3"},
        {[](k::Export& e) { e.courses[5].fach = "VM"; }, false, "Kurse.txt, Zeile 7"},
        {[](k::Export& e) { e.placements[6].kurs = "M-GK9"; }, false, "Blockplan.txt, Zeile 8"},
        {[](k::Export& e) { e.choices[0].student.gebDat = "1.1.2000"; }, false,
         "Fachwahlen.txt, Zeile 2"},
        {[](k::Export& e) { e.choices[1].kursart = "LK3"; }, false, "Fachwahlen.txt, Zeile 3"},
    };
    for (const auto& [change, stops, where] : rows) {
        test::TempDir dir;
        test::ScriptedHost host;
        k::Export e = handBuilt();
        change(e);
        const QString path = dir.path("BB.MDB");
        if (stops) {
            try {
                k::importExport(e, path, dir.dir(), host);
                ADD_FAILURE() << "no stop at " << where.toStdString();
            } catch (const k::FormatError& x) {
                EXPECT_EQ(QString("%1, Zeile %2").arg(x.file()).arg(x.line()), where);
                EXPECT_TRUE(x.message().startsWith(where + ": ") && x.message().count("Zeile") == 1)
                    << x.message().toStdString();
            }
            EXPECT_EQ(QDir(dir.dir()).entryList(QDir::Files), QStringList()) << where.toStdString();
        } else {
            const QStringList report = k::importExport(e, path, QString(), host).report;
            EXPECT_TRUE(!report.isEmpty() && report[0].startsWith(where + ": "))
                << report.join('\n').toStdString();
        }
    }
    // An existing file stays when the user says no.
    test::TempDir dir;
    dir.write("BB.MDB", "alt");
    test::ScriptedHost host;
    host.onMessage(ui::Answer::No);
    EXPECT_FALSE(k::importExport(handBuilt(), dir.path("BB.MDB"), QString(), host).imported);
    EXPECT_EQ(dir.read("BB.MDB"), QByteArray("alt"));
}

// The window's import ends with what the new file holds; what could not be taken over is counted
// there and listed after it.
TEST(Kurs42Import, TheWindowsImportEndsWithASummaryOfTheNewFile) {
    test::TempDir dir;
    platform::RunState s;
    s.useDatabase(dir.path("BB.MDB"));
    test::ScriptedHost host;
    host.onOpenFile(kData + "kurs42/Blockung.txt").onSaveFile(dir.path("K42.MDB"));
    host.onMessage("Die Blockbildungsdatei " + dir.path("K42.MDB") +
                   " wurde aus dem Export von Kurs42 erstellt.\r\nSchuljahr 2024/2025, "
                   "Kollegiatenjahrgang 2024\r\nSchüler: 10\r\nKurse: 6\r\nSchienen: 4\r\nLehrer: "
                   "4\r\nFachwahlen: 29, davon mit Kurs: 28\r\nNicht übernommen: nichts.");
    ASSERT_TRUE(k::importCommand(s, host));
    EXPECT_EQ(host.messages.back().title, "Importieren aus Kurs42");
    EXPECT_EQ(s.databasePath(), dir.path("K42.MDB"));
    k::ImportResult reported;
    reported.report = QStringList{"Kurse.txt, Zeile 3: ..."};
    EXPECT_EQ(k::summary(reported, "X").last(), "Nicht übernommen: 1 Angabe (die Liste folgt).");
}
