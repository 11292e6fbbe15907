// Reading the export. Where the format is known only in part, this reader and the writer
// (Kurs42Write.cpp) decide so:
// - Blockung.txt: Folgejahr, GUID, Kursversion, the school's address and the further sections
//   are not interpreted; they are kept in Blocking::other and written back as read. A key of
//   [Blockung] wins over the same key in another section.
// - Schueler.txt: CollCount, ExterneId and Gruppe are carried through unread (CollCount written
//   as -1 where a student has none).
// - Kurse.txt: FixiertInSchiene (its rail numbering is not known) and Blocken are carried
//   through unread; a course is fixed only by Blockplan.Fixiert. Written where a course has
//   none: Blocken 1, FixiertInSchiene empty. Schienenzahl is kept as read, also where it
//   disagrees with the course's Blockplan rows.
// - Schienen.txt: KopplungsId and Stundenplan are carried through unread, written empty where a
//   rail has none.
// - Kursbelegung.txt is not read (Fachwahlen.Kurs is the source of the memberships); it is
//   written with Fixiert 0.
// - A column no export is known to have is kept and written after the known ones, quoted (the
//   administration server may read such a file as empty; our own records bring none).
// - Blockung.txt is written as [Blockung] with the five keys and the other keys of that section,
//   then the other sections ("Section/Key" in other); no byte-order mark, UTF-8 only where a
//   value is not ASCII (its readers try UTF-8 first).
// - ZulKurse.txt, for an export without kept files: the texts, the written-exam flag and the
//   order of the ten kinds are ours (SF "GY", JgBereich 0, Sichtbar 1). Where the export came
//   from Kurs42, every file goes back as read except the rows the plan changed (output(),
//   Kurs42Merge.cpp); a table without byte-order mark that is plain ASCII counts as UTF-8.
// - "--" reads as "none" in every text column the records keep, and as 0 in a number column.
#include "exchange/Kurs42.h"

#include "exchange/Kurs42Table.h"
#include "exchange/Zip.h"
#include "platform/FileSet.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <set>

namespace exchange::kurs42 {

FormatError::FormatError(const QString& file, int line, const QString& message)
    : std::runtime_error((table::where(file, line) + message).toStdString()), file_(file),
      line_(line) {}

namespace {

using table::fail;
using table::Table;
using table::where;

const QStringList kNeeded = {kBlockung, kSchueler,  kFaecher,   kKurse,
                             kSchienen, kBlockplan, kFachwahlen};

QString describe(const StudentKey& k) {
    return QStringLiteral("„%1, %2“ (%3)").arg(k.name, k.vorname, k.gebDat);
}

int parseInt(const QString& file, int line, const QString& key, const QString& value) {
    bool ok = false;
    const int v = value.trimmed().toInt(&ok);
    if (!ok && !value.trimmed().isEmpty())
        fail(file, line, QStringLiteral("„%1“ bei %2 ist keine Zahl.").arg(value.left(40), key));
    return v;
}

struct Pair {
    QString section, key, value;
    int line;
};

// The keys of Blockung.txt with their sections, in the order of the file.
std::vector<Pair> blockingPairs(const QByteArray& bytes, QStringList& warnings) {
    std::vector<Pair> pairs;
    QString section;
    for (const auto& [line, text] : table::lines(table::decode(kBlockung, bytes, warnings))) {
        const QString t = text.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            section = t.mid(1, t.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq > 0) // else neither a section nor a key (a comment)
            pairs.push_back({section, t.left(eq).trimmed(), t.mid(eq + 1).trimmed(), line});
    }
    return pairs;
}

Blocking readBlocking(const QByteArray& bytes, QStringList& warnings) {
    const std::vector<Pair> pairs = blockingPairs(bytes, warnings);
    const auto inBlockung = [](const QString& s) {
        return s.isEmpty() || s.compare(QLatin1String("Blockung"), Qt::CaseInsensitive) == 0;
    };
    const QStringList known = {QStringLiteral("Jahrgang"), QStringLiteral("Jahr"),
                               QStringLiteral("Abschnitt"), QStringLiteral("Bezeichnung"),
                               QStringLiteral("Schulnummer")};
    std::map<qsizetype, size_t> chosen; // known key -> its pair: the last in [Blockung], else last
    for (size_t i = 0; i < pairs.size(); ++i) {
        const auto found = std::find_if(known.begin(), known.end(), [&](const QString& name) {
            return name.compare(pairs[i].key, Qt::CaseInsensitive) == 0;
        });
        const qsizetype k = found == known.end() ? -1 : found - known.begin();
        const auto it = chosen.find(k);
        if (k >= 0 && (it == chosen.end() || inBlockung(pairs[i].section) ||
                       !inBlockung(pairs[it->second].section)))
            chosen[k] = i;
    }
    Blocking b;
    std::set<size_t> used;
    for (const auto& [k, i] : chosen) {
        const Pair& p = pairs[i];
        used.insert(i);
        if (k == 0)
            b.jahrgang = p.value;
        else if (k == 1)
            b.jahr = parseInt(kBlockung, p.line, p.key, p.value);
        else if (k == 2)
            b.abschnitt = parseInt(kBlockung, p.line, p.key, p.value);
        else if (k == 3)
            b.bezeichnung = p.value;
        else
            b.schulnummer = p.value;
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        const Pair& p = pairs[i];
        if (used.count(i))
            continue;
        if (!inBlockung(p.section))
            b.other[p.section + QLatin1Char('/') + p.key] = p.value;
        // A known key repeated in [Blockung] is not kept (the last counts), nor one with a '/'
        // there, which would read back as a key of another section.
        else if (!known.contains(p.key, Qt::CaseInsensitive) && !p.key.contains(QLatin1Char('/')))
            b.other[p.key] = p.value;
    }
    return b;
}

void readStudents(const Table& t, Export& e) {
    t.require({"Name", "Vorname", "GebDat", "Geschlecht"});
    std::map<StudentKey, int> first;
    for (const Table::Row& row : t.rows()) {
        Student s;
        s.line = row.line;
        s.key = {t.text(row, "Name"), t.text(row, "Vorname"), t.text(row, "GebDat"),
                 t.integer(row, "Geschlecht")};
        s.idNr = t.integer(row, "IdNr");
        if (t.has("Status"))
            s.status = t.integer(row, "Status");
        s.jahrgang = t.text(row, "Jahrgang");
        s.klasse = t.text(row, "Klasse");
        s.dbIdNr = t.number(row, "DB_IdNr");
        s.extra = t.extra(row, {"Name", "Vorname", "GebDat", "Geschlecht", "IdNr", "Status",
                                "Jahrgang", "Klasse", "DB_IdNr"});
        const auto [it, fresh] = first.emplace(s.key, row.line);
        if (!fresh)
            fail(t.file(), row.line,
                 QStringLiteral("Der Schüler %1 steht zweimal in der Datei, zuerst in Zeile %2.")
                     .arg(describe(s.key))
                     .arg(it->second));
        e.students.push_back(std::move(s));
    }
}

void readSubjects(const Table& t, Export& e) {
    t.require({"Krz"});
    std::map<QString, int> first;
    for (const Table::Row& row : t.rows()) {
        Subject s;
        s.line = row.line;
        s.idNr = t.integer(row, "IDNr");
        s.krz = t.text(row, "Krz");
        s.bezeichnung = t.text(row, "Bezeichnung");
        s.statistikKrz = t.text(row, "StatistikKrz");
        s.sortierung = t.integer(row, "Sortierung");
        s.extra = t.extra(row, {"IDNr", "Krz", "Bezeichnung", "StatistikKrz", "Sortierung"});
        if (s.krz.isEmpty())
            fail(t.file(), row.line, QStringLiteral("Ein Fach hat kein Kürzel."));
        const auto [it, fresh] = first.emplace(s.krz, row.line);
        if (!fresh)
            fail(t.file(), row.line,
                 QStringLiteral("Das Fach „%1“ steht zweimal in der Datei, zuerst in Zeile %2.")
                     .arg(s.krz)
                     .arg(it->second));
        e.subjects.push_back(std::move(s));
    }
}

void readCourses(const Table& t, Export& e) {
    t.require({"Fach", "Name", "Kursart", "Std"});
    std::map<QString, int> first;
    for (const Table::Row& row : t.rows()) {
        Course c;
        c.line = row.line;
        c.kursId = t.integer(row, "KursId");
        c.fach = t.text(row, "Fach");
        c.name = t.text(row, "Name");
        c.lehrer = t.text(row, "Lehrer");
        c.raum = t.text(row, "Raum");
        c.std = t.integer(row, "Std");
        c.kursart = t.text(row, "Kursart");
        if (t.has("Schienenzahl"))
            c.schienenzahl = t.integer(row, "Schienenzahl");
        c.gesperrt = t.rails(row, "Gesperrt");
        c.parallelKursZahl = t.integer(row, "ParallelKursZahl");
        c.parallelKursNr = t.integer(row, "ParallelKursNr");
        c.extra = t.extra(row, {"KursId", "Fach", "Name", "Lehrer", "Raum", "Std", "Kursart",
                                "Schienenzahl", "Gesperrt", "ParallelKursZahl", "ParallelKursNr"});
        if (c.name.isEmpty())
            fail(t.file(), row.line, QStringLiteral("Ein Kurs hat keinen Namen."));
        const auto [it, fresh] = first.emplace(c.name, row.line);
        if (!fresh)
            fail(t.file(), row.line,
                 QStringLiteral("Der Kurs „%1“ steht zweimal in der Datei, zuerst in Zeile %2.")
                     .arg(c.name)
                     .arg(it->second));
        e.courses.push_back(std::move(c));
    }
}

void readRails(const Table& t, Export& e) {
    t.require({"Id", "Bezeichnung"});
    std::map<int, int> first;
    for (const Table::Row& row : t.rows()) {
        Rail r;
        r.line = row.line;
        r.id = t.integer(row, "Id");
        r.bezeichnung = t.text(row, "Bezeichnung");
        r.extra = t.extra(row, {"Id", "Bezeichnung"});
        if (r.id < 1)
            fail(t.file(), row.line,
                 QStringLiteral("Die Schiene hat die Id %1; Schienen zählen ab 1.").arg(r.id));
        const auto [it, fresh] = first.emplace(r.id, row.line);
        if (!fresh)
            fail(t.file(), row.line,
                 QStringLiteral("Die Schiene %1 steht zweimal in der Datei, zuerst in Zeile %2.")
                     .arg(r.id)
                     .arg(it->second));
        e.rails.push_back(std::move(r));
    }
}

void readPlacements(const Table& t, Export& e) {
    t.require({"Schiene", "Kursbezeichnung", "Fixiert"});
    std::set<qint64> rails;
    for (const Rail& r : e.rails)
        rails.insert(r.id);
    for (const Table::Row& row : t.rows()) {
        Placement p;
        p.line = row.line;
        p.schiene = t.integer(row, "Schiene");
        p.kurs = t.text(row, "Kursbezeichnung");
        p.fixiert = t.number(row, "Fixiert") != 0;
        // 0-based here, 1-based in Schienen.txt.
        if (p.schiene < 0 || !rails.count(qint64(p.schiene) + 1))
            fail(t.file(), row.line,
                 QStringLiteral("Die Schiene %1 (Id %2) steht nicht in %3.")
                     .arg(p.schiene)
                     .arg(qint64(p.schiene) + 1)
                     .arg(kSchienen));
        e.placements.push_back(std::move(p));
    }
}

void readChoices(const Table& t, Export& e) {
    t.require({"Name", "Vorname", "GebDat", "Geschlecht", "Fachkrz", "Kursart", "Kurs"});
    for (const Table::Row& row : t.rows()) {
        Choice c;
        c.line = row.line;
        c.student = {t.text(row, "Name"), t.text(row, "Vorname"), t.text(row, "GebDat"),
                     t.integer(row, "Geschlecht")};
        c.fachkrz = t.text(row, "Fachkrz");
        c.kursart = t.text(row, "Kursart");
        c.kurs = t.text(row, "Kurs");
        c.extra =
            t.extra(row, {"Name", "Vorname", "GebDat", "Geschlecht", "Fachkrz", "Kursart", "Kurs"});
        e.choices.push_back(std::move(c));
    }
}

// What the later files may link to: the subjects, the courses kept (each name once), and the
// courses dropped for an unknown subject (their warning is given already).
struct Linked {
    std::set<QString> subjects, courses, dropped;
};

void warn(Export& e, const QString& file, int line, const QString& text) {
    e.warnings << where(file, line) + text;
}

Linked dropCourses(Export& e) {
    Linked l;
    for (const Subject& s : e.subjects)
        l.subjects.insert(s.krz);
    std::erase_if(e.courses, [&](const Course& c) {
        if (l.subjects.count(c.fach))
            return !l.courses.insert(c.name).second;
        warn(e, kKurse, c.line,
             QStringLiteral("Das Fach „%1“ des Kurses „%2“ steht nicht in %3; der Kurs wird "
                            "nicht übernommen.")
                 .arg(c.fach, c.name, kFaecher));
        l.dropped.insert(c.name);
        return true;
    });
    return l;
}

void dropPlacements(Export& e, const Linked& l) {
    std::set<std::pair<QString, int>> placed;
    std::erase_if(e.placements, [&](const Placement& p) {
        if (!l.courses.count(p.kurs)) {
            if (!l.dropped.count(p.kurs)) // else its course's warning says it
                warn(e, kBlockplan, p.line,
                     QStringLiteral("Der Kurs „%1“ steht nicht in %2; die Zeile wird nicht "
                                    "übernommen.")
                         .arg(p.kurs, kKurse));
            return true;
        }
        if (placed.insert({p.kurs, p.schiene}).second)
            return false;
        warn(e, kBlockplan, p.line,
             QStringLiteral("Der Kurs „%1“ steht schon in Schiene %2; die Zeile wird nicht "
                            "übernommen.")
                 .arg(p.kurs)
                 .arg(p.schiene));
        return true;
    });
}

void dropChoices(Export& e, const Linked& l) {
    std::set<StudentKey> students;
    for (const Student& s : e.students)
        students.insert(s.key);
    std::set<std::pair<StudentKey, QString>> chosen;
    std::erase_if(e.choices, [&](Choice& c) {
        const QString notTaken = QStringLiteral("; die Wahl wird nicht übernommen.");
        if (!students.count(c.student))
            warn(e, kFachwahlen, c.line,
                 QStringLiteral("Der Schüler %1 steht nicht in %2")
                         .arg(describe(c.student), kSchueler) +
                     notTaken);
        else if (!l.subjects.count(c.fachkrz))
            warn(e, kFachwahlen, c.line,
                 QStringLiteral("Das Fach „%1“ steht nicht in %2").arg(c.fachkrz, kFaecher) +
                     notTaken);
        else if (courseKind(c.kursart).isEmpty())
            warn(e, kFachwahlen, c.line,
                 QStringLiteral("Die Kursart „%1“ ist unbekannt").arg(c.kursart) + notTaken);
        else if (!chosen.insert({c.student, c.fachkrz}).second)
            warn(e, kFachwahlen, c.line,
                 QStringLiteral("Der Schüler %1 hat das Fach „%2“ schon gewählt")
                         .arg(describe(c.student), c.fachkrz) +
                     notTaken);
        else {
            if (!c.kurs.isEmpty() && !l.courses.count(c.kurs)) {
                if (!l.dropped.count(c.kurs)) // else its course's warning says it
                    warn(e, kFachwahlen, c.line,
                         QStringLiteral("Der Kurs „%1“ steht nicht in %2; die Wahl bleibt ohne "
                                        "Kurs.")
                             .arg(c.kurs, kKurse));
                c.kurs.clear();
            }
            return false;
        }
        return true;
    });
}

// Drops what the links of the files do not carry, each with a warning naming its line: a course
// of an unknown subject, a placement of an unknown course, a choice of an unknown student,
// subject or kind, a subject chosen twice; a choice of a course not taken stays without course.
void dropUnlinked(Export& e) {
    const Linked l = dropCourses(e);
    dropPlacements(e, l);
    dropChoices(e, l);
}

QByteArray readWhole(const QString& path, const QString& name, qint64 limit) {
    platform::RegularFile file = platform::readRegularFile(path, limit);
    if (file.status == platform::RegularFile::Status::NotRegular)
        fail(name, 0,
             QStringLiteral("Die Datei ist keine gewöhnliche Datei (sondern ein Ordner, eine "
                            "Pipe oder ein Gerät); sie wird nicht gelesen."));
    if (file.status == platform::RegularFile::Status::TooLarge)
        fail(name, 0,
             QStringLiteral("Die Datei ist größer als %1 MiB; sie wird nicht gelesen.")
                 .arg(limit >> 20));
    return std::move(file.bytes);
}

// The files of a folder, read while no export writes there; a folder that an interrupted
// export left mixed is refused. Hidden files and a set's temporaries ("~NAME.tmp") are no part
// of the export.
Files folderFiles(const QString& dirOrZip) {
    const QString dir = QFileInfo(platform::nativePath(dirOrZip)).absoluteFilePath();
    const platform::FolderLock lock(dir, platform::FolderLock::Kind::Shared);
    if (QFileInfo::exists(dir + QLatin1Char('/') + platform::kFileSetJournal))
        fail(platform::kFileSetJournal, 0,
             QStringLiteral("Ein Export in diesen Ordner wurde unterbrochen; seine Dateien "
                            "gehören nicht zusammen. Ein neuer Export in den Ordner schließt "
                            "ihn ab."));
    // Pipes and devices listed too: one in a file's place is refused by name.
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::System, QDir::Name);
    names.removeIf([](const QString& n) { return n.startsWith(QLatin1Char('~')); });
    if (names.size() > kMaxSourceFiles)
        fail(QFileInfo(dir).fileName(), 0,
             QStringLiteral("Der Ordner enthält mehr als %1 Dateien; ein Kurs42-Export hat "
                            "weniger. Bitte den Ordner wählen, der nur den Export enthält.")
                 .arg(kMaxSourceFiles));
    qint64 total = 0;
    for (const QString& name : names)
        if ((total += QFileInfo(dir + QLatin1Char('/') + name).size()) > zip::kMaxTotalSize)
            fail(QFileInfo(dir).fileName(), 0,
                 QStringLiteral("Die Dateien des Ordners sind zusammen größer als %1 MiB; ein "
                                "Kurs42-Export ist kleiner.")
                     .arg(zip::kMaxTotalSize >> 20));
    Files files;
    for (const QString& name : names)
        files.emplace_back(name,
                           readWhole(dir + QLatin1Char('/') + name, name, zip::kMaxEntrySize));
    return files;
}

// The folder of the archive that holds the export: its root, or where the root holds none of
// the files and every entry lies in one folder ("zip -r x.zip NAME" makes such), that folder.
// A Mac's "__MACOSX/" beside it does not count.
QString folderInArchive(const QByteArray& archive) {
    QStringList names;
    zip::read(archive, [&](const QString& n) {
        names << n;
        return false;
    });
    std::set<QString> tops;
    for (const QString& n : names) {
        if (kNeeded.contains(n))
            return {};
        if (!n.startsWith(QLatin1String("__MACOSX/")))
            tops.insert(n.left(n.indexOf(QLatin1Char('/')) + 1));
    }
    return tops.size() == 1 && !tops.begin()->isEmpty() ? *tops.begin() : QString();
}

} // namespace

QString courseKind(const QString& choiceKind) {
    static const std::map<QString, QString> kinds = {{QStringLiteral("GKM"), QStringLiteral("GK")},
                                                     {QStringLiteral("GKS"), QStringLiteral("GK")},
                                                     {QStringLiteral("AB3"), QStringLiteral("GK")},
                                                     {QStringLiteral("AB4"), QStringLiteral("GK")},
                                                     {QStringLiteral("EFSP"), QStringLiteral("GK")},
                                                     {QStringLiteral("LK1"), QStringLiteral("LK")},
                                                     {QStringLiteral("LK2"), QStringLiteral("LK")},
                                                     {QStringLiteral("VTF"), QStringLiteral("VTF")},
                                                     {QStringLiteral("PJK"), QStringLiteral("PJK")},
                                                     {QStringLiteral("ZK"), QStringLiteral("ZK")}};
    const auto it = kinds.find(choiceKind);
    return it == kinds.end() ? QString() : it->second;
}

Export readFiles(const Files& files) {
    const auto bytes = [&](const QString& name) -> const QByteArray& {
        for (const auto& [n, b] : files)
            if (n == name)
                return b;
        fail(name, 0, QStringLiteral("Die Datei fehlt im Export."));
    };
    for (const QString& name : kNeeded)
        (void)bytes(name); // a missing file is named before any other fault
    Export e;
    e.blocking = readBlocking(bytes(kBlockung), e.warnings);
    const auto tableOf = [&](const QString& name) {
        return Table(name, table::decode(name, bytes(name), e.warnings));
    };
    readStudents(tableOf(kSchueler), e);
    readSubjects(tableOf(kFaecher), e);
    readCourses(tableOf(kKurse), e);
    readRails(tableOf(kSchienen), e);
    readPlacements(tableOf(kBlockplan), e);
    readChoices(tableOf(kFachwahlen), e);
    dropUnlinked(e);
    e.source = files;
    return e;
}

Files readArchive(const QByteArray& archive) {
    const QString folder = folderInArchive(archive);
    // Entries in sub-folders of the export's folder are no part of it.
    Files files = zip::read(archive, [&](const QString& n) {
        return n.startsWith(folder) && n.size() > folder.size() &&
               !n.mid(folder.size()).contains(QLatin1Char('/'));
    });
    for (auto& file : files)
        file.first.remove(0, folder.size());
    return files;
}

Export read(const QString& dirOrZip) {
    if (QFileInfo(platform::nativePath(dirOrZip)).isDir())
        return readFiles(folderFiles(dirOrZip));
    const QString name = QFileInfo(dirOrZip).fileName();
    const QByteArray archive = readWhole(dirOrZip, name, 8 * zip::kMaxEntrySize);
    Files files;
    try {
        files = readArchive(archive);
    } catch (const zip::Error& error) {
        fail(name, 0, error.message());
    }
    return readFiles(files);
}

} // namespace exchange::kurs42
