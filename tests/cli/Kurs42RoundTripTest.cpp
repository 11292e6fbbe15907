// A Kurs42 export taken in by kubb import-kurs42 and handed back by kubb export-kurs42, before
// and after kubb block: what the plan did not change comes back byte for byte.
#include "KubbProcess.h"

#include "exchange/Kurs42.h"
#include "exchange/Zip.h"

namespace {

namespace k = exchange::kurs42;

using cli::ok;
using Entries = std::map<QString, QByteArray>;

// Two exports of a full export's shape, built on the hand export of tests/exchange: its seven
// tables with the eleven other entries, Blockung.txt's keys out of order (Stunde_10 before
// Stunde_2). The second in Windows-1252 without byte-order mark, with LF in Lehrer.txt, an extra
// column in Kurse.txt and Schueler.txt's first column moved to its end.
Entries realShape(bool second) {
    Entries e;
    const QString hand = QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42/");
    for (const QString& name : QDir(hand).entryList({"*.txt"}, QDir::Files)) {
        QFile f(hand + name);
        e[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    e["Blockung.txt"].replace("Stunde_1=07:55:00\r\n", "Stunde_1=07:55\r\nStunde_10=15:20\r\n"
                                                       "Stunde_2=08:40\r\n");
    const QByteArray bom = "\xEF\xBB\xBF";
    e["ZulKurse.txt"] = bom + "\"Sortierung\";\"KursArtInd\";\"Schriftlich\";\"KursArtAllg\"\r\n"
                              "1;\"AB4\";1;\"GK\"\r\n5;\"GKS\";1;\"GK\"\r\n";
    for (const char* name :
         {"Blockgruppen.txt", "Klassen.txt", "Jahrgaenge.txt", "Raeume.txt", "Kursplaene.txt"})
        e[name] = bom + "\"" + name + "\";\"Q1\"\r\n1;\"Q1\"\r\n";
    e["Lehrer.txt"] = bom + (second ? "\"Kuerzel\"\n\"L073\"\n" : "\"Kuerzel\"\r\n\"L073\"\r\n");
    e["Schuelerplaene.txt"] = "Q1|Weiße|Jan|G-Woche|Mo|1|-- --\r\n";
    e["Klausuren.xml"] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><KLAUSURTERMINE "
                         "Datum=\"30.12.1899\" Raum=\"Aula M\xFC\"/>\r\n";
    e["Fachwahlen.zip"] = exchange::zip::write({{"Fachwahlen.txt", e["Fachwahlen.txt"]}});
    // What the hand's choices say, in reverse order: kept, not sorted.
    QList<QByteArray> rows = k::render(k::readFiles({e.begin(), e.end()}))[7].second.split('\n');
    std::reverse(rows.begin() + 1, rows.end() - 1);
    e["Kursbelegung.txt"] = rows.join('\n');
    for (auto& [name, bytes] : e) {
        if (!second || !name.endsWith(".txt") || name == "Schuelerplaene.txt")
            continue;
        QStringList lines = QString::fromUtf8(bytes.mid(bytes.startsWith(bom) ? 3 : 0)).split('\n');
        for (QString& line : lines)
            if (name == "Kurse.txt" && !line.isEmpty())
                line.insert(line.indexOf(';'), line.startsWith('"') ? ";\"Farbe\"" : ";\"rot\"");
            else if (name == "Schueler.txt" && !line.isEmpty())
                line = line.mid(line.indexOf(';') + 1).chopped(1) + ';' +
                       line.left(line.indexOf(';')) + '\r';
        bytes = lines.join('\n').toLatin1();
    }
    return e;
}

Entries entriesOf(const QString& dirOrZip) {
    const k::Files files = k::read(dirOrZip).source;
    return {files.begin(), files.end()};
}

} // namespace

// Imported and exported unchanged: every entry as it was, from a folder and from a zip, into a
// folder and into a zip (deflated). Blocked: only the plan's files differ, in their manner; taken
// in again, the same plan comes back.
TEST(KubbKurs42, RoundTripKeepsEveryEntryAndChangesOnlyThePlansFilesAfterBlocking) {
    for (const bool second : {false, true})
        for (const QString target : {"aus", "aus.zip"}) {
            SCOPED_TRACE(target.toStdString() + (second ? " 1252" : " UTF-8"));
            test::TempDir dir;
            const Entries in = realShape(second);
            QDir().mkpath(dir.path("ein"));
            for (const auto& [name, bytes] : in)
                dir.write("ein/" + name, bytes);
            const auto pass = [&](const QString& from, const QString& db, const QString& to) {
                if (!QFile::exists(dir.path(db)))
                    ok({"import-kurs42", "--from", from, "--output", dir.path(db)});
                if (to.startsWith('2'))
                    ok({"block", "--db", dir.path(db), "--cohort", "2024", "--mode", "all",
                        "--seconds", "1", "--seed", "3", "--threads", "1"});
                ok({"export-kurs42", "--db", dir.path(db), "--cohort", "2024", "--to",
                    dir.path(to)});
                return entriesOf(dir.path(to));
            };
            EXPECT_EQ(pass(dir.path("ein"), "A.MDB", "1" + target), in);
            // As worked out by hand: M-GK2 holds 4, M-GK1 2; Fuchs's French has no course.
            const QString figures = ok({"evaluate", "--db", dir.path("A.MDB"), "--cohort", "2024"});
            EXPECT_TRUE(
                figures.contains("10 Schüler, 6 Kurse, 4 Schienen\nKollisionen (Schüler): 0") &&
                figures.contains("Belegungen ohne Kurs: 1\n") &&
                figures.contains("Größte Differenz: 2 (M-GK1 M-GK2)"))
                << figures.toStdString();
            qint64 size = 0;
            for (const auto& entry : in)
                size += entry.second.size();
            EXPECT_LT(QFileInfo(dir.path("1aus.zip")).size(), size);
            const Entries blocked = pass(dir.path("ein"), "A.MDB", "2" + target);
            QStringList changed;
            for (const auto& [name, bytes] : blocked)
                if (bytes != in.at(name)) {
                    changed << name;
                    const QByteArray was = in.at(name);
                    EXPECT_EQ(bytes.left(bytes.indexOf('\n')), was.left(was.indexOf('\n')));
                    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << name.toStdString();
                }
            changed.removeOne("Kurse.txt"); // where a course got fewer rails (Schienenzahl)
            EXPECT_EQ(changed,
                      (QStringList{"Blockplan.txt", "Fachwahlen.txt", "Kursbelegung.txt"}));
            EXPECT_EQ(pass(dir.path("2" + target), "B.MDB", "3" + target), blocked);
        }
}
