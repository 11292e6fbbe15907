// The export's files: read from a folder or zip, bad input, written and read back.
//
// data/kurs42/ is a hand-written export (3 subjects, 6 courses, 4 rails, 10 students): D-LK1 in
// rails 0 and 2, D-GK1 fixed in rail 1, M-LK1 barred from rails 2 and 3, Fuchs's F without a
// course. data/kurs42.zip holds the same files deflated, beside Liesmich.md and alt/Kurse.txt
// (made by Python's zipfile, an independent writer).
#include "exchange/Kurs42.h"
#include "exchange/Zip.h"
#include "platform/Files.h"
#include "support/TestDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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

QString failure(const k::Files& files) {
    try {
        k::readFiles(files);
    } catch (const k::FormatError& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(Kurs42Files, TheHandExportReadsAlikeFromItsFolderAStoredZipAndADeflatedZip) {
    test::TempDir tmp;
    tmp.write("stored.zip", exchange::zip::write(handExport()));
    for (const QString& source : {kData + "kurs42", tmp.path("stored.zip"), kData + "kurs42.zip"}) {
        SCOPED_TRACE(source.toStdString());
        const k::Export e = k::read(source);
        EXPECT_EQ(e.warnings, QStringList());
        EXPECT_EQ(e.blocking.jahrgang + e.blocking.schulnummer, "Q1123456");
        EXPECT_EQ(e.blocking.jahr * 10 + e.blocking.abschnitt, 20241);
        EXPECT_EQ(e.blocking.other.at("Anfangszeiten/Stunde_1"), "07:55:00");
        EXPECT_EQ(e.blocking.other.at("Farbgruppen/Gruppe_1"), "1=16711680");
        ASSERT_EQ(e.students.size(), 10u);
        EXPECT_EQ(e.students[0].key.name + e.students[0].extra.at("PruefOrd"),
                  "WeißeAPO-GOSt(B)10/G8");
        EXPECT_EQ(e.students[9].dbIdNr + e.students[9].status, 6);
        EXPECT_EQ(e.subjects.size(), 3u);
        ASSERT_EQ(e.courses.size(), 6u);
        EXPECT_EQ(e.courses[2].gesperrt, (std::vector<int>{2, 3}));
        EXPECT_EQ(e.courses[0].lehrer + "|" + e.courses[0].raum, "L073|") << "-- is none";
        EXPECT_EQ(e.courses[4].parallelKursZahl * 10 + e.courses[4].parallelKursNr, 22);
        EXPECT_EQ(e.rails.size(), 4u);
        QStringList placements;
        for (const k::Placement& p : e.placements)
            placements << QStringLiteral("%1%2%3").arg(p.schiene).arg(p.kurs).arg(p.fixiert);
        EXPECT_EQ(placements.join(" "), "0D-LK10 0M-GK20 1D-GK11 1M-LK10 2D-LK10 3M-GK10 3F-GK10");
        ASSERT_EQ(e.choices.size(), 29u);
        EXPECT_EQ(e.choices[0].extra.at("Note"), "08");
        EXPECT_EQ(e.choices[26].student.name + e.choices[26].fachkrz + e.choices[26].kurs,
                  "FuchsF");
    }
}

// Each row changes one file of the hand export (a regular expression, multi-line) and names what
// the reader says: the error, else the warnings and one value of what it read.
TEST(Kurs42Files, BadInputIsReadOrRefusedNamingFileAndLine) {
    struct Row {
        const char* file;
        const char* pattern;
        const char* replacement;
        QString error = {};
        QStringList warnings = {};
        std::function<QString(const k::Export&)> probe = {};
        QString value = {};
    };
    const auto gesperrt = [](const k::Export& e) {
        return QString::number(e.courses[2].gesperrt.size());
    };
    const auto count = [](auto member) {
        return [member](const k::Export& e) { return QString::number((e.*member).size()); };
    };
    const auto course4 = [](const k::Export& e) {
        return e.courses[4].name + e.courses[4].fach + QString::number(e.courses[4].parallelKursNr);
    };
    const auto kurs0 = [](const k::Export& e) { return e.choices[0].kurs; };
    const Row rows[] = {
        {"Kurse.txt", "\r$", "", {}, {}, gesperrt, "2"}, // LF only (and no byte-order mark)
        {"Kurse.txt", "\"\\[2,3\\]\"", "--", {}, {}, gesperrt, "0"},
        {"Kurse.txt", "\"\\[2,3\\]\"", "\"[]\"", {}, {}, gesperrt, "0"},
        {"Kurse.txt", "\"\\[2,3\\]\"", "[ 3,2,3 ]", {}, {}, gesperrt, "2"},
        {"Kurse.txt", ";[^;\r]*;[^;\r]*;[^;\r]*\r$", "\r", {}, {}, course4, "M-GK2M0"},
        {"Kurse.txt", "^([^;]*);([^;]*);([^;]*);", "\\3;\\1;\\2;", {}, {}, course4, "M-GK2M2"},
        {"Fachwahlen.txt", "\"D-LK1\";0\r$", "--;0\r", {}, {}, kurs0, ""},
        {"Fachwahlen.txt", "\"", "", {}, {}, kurs0, "D-LK1"}, // nothing quoted
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
        {"Faecher.txt",
         "Französisch",
         "Franz\xF6sisch",
         {},
         {"Faecher.txt, Zeile 4: Die Datei ist nicht in UTF-8 geschrieben; sie wird als "
          "ISO-8859-1 gelesen."},
         [](const k::Export& e) { return e.subjects[2].bezeichnung; },
         "Französisch"},
        {"Blockplan.txt",
         "\"M-GK1\"",
         "\"M-GK9\"",
         {},
         {"Blockplan.txt, Zeile 7: Der Kurs „M-GK9“ steht nicht in Kurse.txt; die Zeile wird "
          "nicht übernommen."},
         count(&k::Export::placements),
         "6"},
        {"Kurse.txt",
         "\"F\";\"F-GK1\"",
         "\"S\";\"F-GK1\"",
         {},
         {"Kurse.txt, Zeile 7: Das Fach „S“ des Kurses „F-GK1“ steht nicht in Faecher.txt; der "
          "Kurs wird nicht übernommen."},
         count(&k::Export::courses),
         "5"},
        {"Fachwahlen.txt",
         "^\"Fuchs\";\"Greta\";\"01.09.2007\";4;\"F\"",
         "\"Fuchs\";\"Greta\";\"01.09.2007\";3;\"F\"",
         {},
         {"Fachwahlen.txt, Zeile 28: Der Schüler „Fuchs, Greta“ (01.09.2007) steht nicht in "
          "Schueler.txt; die Wahl wird nicht übernommen."},
         count(&k::Export::choices),
         "28"},
        {"Fachwahlen.txt",
         "\"F\";\"GKM\";\"--\";17;0;\"\"",
         "\"F\";\"XYZ\";\"--\";17;0;\"\"",
         {},
         {"Fachwahlen.txt, Zeile 28: Die Kursart „XYZ“ ist unbekannt; die Wahl wird nicht "
          "übernommen."},
         count(&k::Export::choices),
         "28"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " " + (row.pattern ? row.pattern : "(fehlt)"));
        k::Files files = handExport();
        QByteArray& bytes = bytesOf(files, QString::fromUtf8(row.file));
        if (!row.pattern)
            files.erase(std::find_if(files.begin(), files.end(),
                                     [&](const auto& f) { return f.first == row.file; }));
        else if (QByteArray(row.replacement).contains('\xF6')) // ISO-8859-1: as bytes
            bytes.replace(QByteArray(row.pattern), QByteArray(row.replacement));
        else // edited as text, without the byte-order mark
            bytes = QString::fromUtf8(bytes.mid(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0))
                        .replace(QRegularExpression(QString::fromUtf8(row.pattern),
                                                    QRegularExpression::MultilineOption),
                                 QString::fromUtf8(row.replacement))
                        .toUtf8();
        EXPECT_EQ(failure(files), row.error);
        if (!row.error.isEmpty())
            continue;
        const k::Export e = k::readFiles(files);
        EXPECT_EQ(e.warnings, row.warnings);
        EXPECT_EQ(row.probe(e), row.value);
    }
}
