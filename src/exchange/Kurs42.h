#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <compare>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

// The text export of the course-blocking program Kurs42: the files as this program reads and
// writes them. Every record keeps the line it came from (1-based, the header is line 1) so that
// a message can name it; records built for writing leave it 0.
namespace exchange::kurs42 {

// The files of the export that this program reads.
inline const QString kBlockung = QStringLiteral("Blockung.txt");
inline const QString kSchueler = QStringLiteral("Schueler.txt");
inline const QString kFaecher = QStringLiteral("Faecher.txt");
inline const QString kKurse = QStringLiteral("Kurse.txt");
inline const QString kSchienen = QStringLiteral("Schienen.txt");
inline const QString kBlockplan = QStringLiteral("Blockplan.txt");
inline const QString kFachwahlen = QStringLiteral("Fachwahlen.txt");

// A row that breaks the export's rules (two courses of one name, a rail number without a rail,
// a file that is not a table): the import stops, nothing is written. The message is German and
// begins with file and line ("Kurse.txt, Zeile 8: ").
class FormatError : public std::runtime_error {
public:
    FormatError(const QString& file, int line, const QString& message);
    const QString& file() const { return file_; }
    int line() const { return line_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    QString file_;
    int line_;
};

// Columns this program does not keep, by header name, for carrying them through a round trip.
using Extra = std::map<QString, QString>;

// Blockung.txt, section [Blockung]; the other keys and sections are kept as read.
struct Blocking {
    QString jahrgang;  // EF, Q1, Q2 ...
    int jahr = 0;      // first calendar year of the school year
    int abschnitt = 1; // half-year
    QString bezeichnung;
    QString schulnummer;
    // further Key=Value pairs of any section: those of [Blockung] (or before any section) by
    // their key, those of another section as "Section/Key"
    Extra other;
};

// The student key of the linking files.
struct StudentKey {
    QString name, vorname, gebDat;
    int geschlecht = 0;
    // Written out: QString has no operator<=> to default to. Exact, as the files are matched.
    std::strong_ordering operator<=>(const StudentKey& o) const {
        const int c = name != o.name         ? name.compare(o.name)
                      : vorname != o.vorname ? vorname.compare(o.vorname)
                                             : gebDat.compare(o.gebDat);
        return c != 0 ? c <=> 0 : geschlecht <=> o.geschlecht;
    }
    bool operator==(const StudentKey&) const = default;
};

struct Student {
    int line = 0;
    StudentKey key;
    int idNr = 0;
    int status = 2;
    QString jahrgang, klasse;
    qint64 dbIdNr = 0; // 0: none
    Extra extra;
};

struct Subject {
    int line = 0;
    int idNr = 0;
    QString krz, bezeichnung, statistikKrz;
    int sortierung = 0;
    Extra extra;
};

struct Course {
    int line = 0;
    int kursId = 0;
    QString fach, name, lehrer, raum; // lehrer/raum "" for "--"
    int std = 0;
    QString kursart; // GK, LK, ZK, PJK, VTF
    int schienenzahl = 1;
    std::vector<int> gesperrt;                    // 0-based rail numbers
    int parallelKursZahl = 0, parallelKursNr = 0; // 0: column absent or "--"
    Extra extra;
};

struct Rail {
    int line = 0;
    int id = 0; // 1-based
    QString bezeichnung;
    Extra extra; // KopplungsId, Stundenplan
};

struct Placement {
    int line = 0;
    int schiene = 0; // 0-based: Rail::id - 1
    QString kurs;
    bool fixiert = false;
};

struct Choice {
    int line = 0;
    StudentKey student;
    QString fachkrz;
    QString kursart; // choice kind: GKM, GKS, AB3, AB4, LK1, LK2, VTF, PJK, EFSP, ZK
    QString kurs;    // assigned course's name; "" not assigned
    Extra extra;     // Note, marks, absences ...
};

// A whole export. Files beside the ones named here are ignored on reading.
struct Export {
    Blocking blocking;
    std::vector<Student> students;
    std::vector<Subject> subjects;
    std::vector<Course> courses;
    std::vector<Rail> rails;
    std::vector<Placement> placements;
    std::vector<Choice> choices;
    // What was read but cannot be used, one German line each naming file and line.
    QStringList warnings;
};

// The export's files by name, as render() gives them or as found in a folder or zip.
using Files = std::vector<std::pair<QString, QByteArray>>;

// The course kind (Kurse.Kursart) of a choice kind (Fachwahlen.Kursart): LK1/LK2 -> LK,
// GKM/GKS/AB3/AB4/EFSP -> GK, VTF, PJK and ZK as they are; "" for a kind not known.
QString courseKind(const QString& choiceKind);

// Reads the export in a folder or a zip file: regular files only, none beyond the zip entries'
// limit. A folder that an interrupted export left mixed (platform/FileSet.h) is refused. Throws
// FormatError, or platform::FileError when a file cannot be read.
Export read(const QString& dirOrZip);

// The export's files as written: name and bytes (UTF-8 with byte-order mark, ';', quoted texts,
// CR LF), Blockung.txt first.
std::vector<std::pair<QString, QByteArray>> render(const Export& e);

// Writes render(e) into a folder as one set of files (platform/FileSet.h: until the next export
// finishes it, a set interrupted while it replaced an earlier export says so in its journal) or,
// when the path ends in ".zip", into one zip file written whole or not at all.
void write(const Export& e, const QString& dirOrZip);

// The export's files in a zip archive: at its root, or in the one folder that holds everything
// the archive has. Throws zip::Error.
Files readArchive(const QByteArray& archive);

// read() on the files' bytes: the seven files the reader needs, others ignored. Throws
// FormatError.
Export readFiles(const Files& files);

} // namespace exchange::kurs42
