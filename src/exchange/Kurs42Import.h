#pragma once

#include "exchange/Kurs42.h"

#include <QString>
#include <QStringList>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

// A Kurs42 export taken into a new block-formation file, and the mapping of its terms onto
// this program's. The export holds one year group of one half-year; the file gets that school
// year and that one cohort.
//
//   export                         this program
//   -----------------------------  ------------------------------------------------------------
//   Jahr J, Abschnitt              school year "J/J+1" (SJ_SCHJ); the half-year is kept aside
//   Jahrgang EF, Q1 (also 11, 12)  year group 12: cohort KO_KURSPH = J, choices in BG_KS_ID_12,
//                                  courses KS_JGST "12" with their subject in KS_FA_ID1
//   Jahrgang Q2 (also 13)          year group 13: cohort KO_KURSPH = J-1, choices in
//                                  BG_KS_ID_13, courses KS_JGST "13", subject in KS_FA_ID3
//   Kursart LK                     KS_LKGK "L" (advanced course)
//   Kursart GK, ZK, PJK, VTF       KS_LKGK "G" (basic course); the kind itself is kept aside
//   Fachwahl LK1, LK2              BG_ART "L"
//   Fachwahl GKS, AB3, AB4, EFSP   BG_ART "S" (written)
//   Fachwahl GKM                   BG_ART "C" (oral)
//   Fachwahl VTF, PJK, ZK          BG_ART "X"
//   Schueler DB_IdNr > 0           KO_VFP_ID: the number, right-aligned (else "S00001" ...)
//   Kurse Std                      KS_STD: the course's weekly hours on all its rails together
//   Schienen                       block; BL_STD: the hours of the one-rail courses on it
//   Blockplan Fixiert 1            CK_FIX "1"
//   Kurse Gesperrt                 rules course-not-on-rail
//
// S, C and X count in both year groups as the workspace, the automatic setting and the
// pre-assignment count choices; the editors offer them through FA_BELEG. The workspace, the
// evaluation and the printouts read only KS_LKGK "L"/"G", KS_STD and the subjects, so a ZK, PJK
// or VTF course is a basic course of its subject there.
//
// Names longer than a field (course names beyond KS_BEZ's 6 characters, subject abbreviations
// beyond FA_PSCHL's 4, rail names beyond BL_BEZ's 6, teachers beyond LE_KUERZ's 4) get a unique
// short designation; the export's names and every value the tables do not hold (choice kinds,
// dates of birth, grades, timetable masks ...) are kept in the table fremdname
// (db/KeptNames.h), from which the export restores them.
namespace exchange::kurs42 {

struct ImportResult {
    bool imported = false; // false: the user kept the file that was there
    QString schjBez, schjId;
    int cohort = 0;     // KO_KURSPH of the students
    QStringList report; // the reader's warnings and what could not be taken, file and line each
    // What the new file holds.
    int students = 0, courses = 0, rails = 0, teachers = 0, choices = 0, choicesWithCourse = 0;
};

// The lines that tell the planner what an import brought into the file at target: school year
// and cohort, students, courses, rails, teachers, choices (how many with a course), and how much
// could not be taken over.
QStringList summary(const ImportResult& r, const QString& target);

// Builds the new block-formation file at target from the export, all or nothing: under a
// temporary name beside it, renamed when complete. An existing target is replaced only when
// the user agrees (the import window's question). pointerDir, when not empty, gets the pointer
// file naming the new file. Throws FormatError for a row that breaks the export's rules
// (nothing is written), db::DbError or platform::FileError.
ImportResult importExport(const Export& e, const QString& target, const QString& pointerDir,
                          ui::Host& host);

// The year group (12 or 13) of the export's Jahrgang; 0 for one the mapping does not know.
int yearGroupOf(const QString& jahrgang);
// BG_ART of a choice kind; "" for one the mapping does not know.
QString choiceArt(const QString& kursart);
// The choice kind an exported choice gets when the export kept none: from BG_ART and the kind
// of its course (LK1 for an advanced choice; the course's ZK, PJK, VTF; GKS, GKM).
QString choiceKindOf(const QString& bgArt, const QString& courseKind);
// KS_LKGK of a course kind; "" for one the export does not know.
QString courseLkgk(const QString& kursart);

// Designations of at most width characters for the names, unique without regard to letter
// case: a name that fits keeps itself; the others lose blanks and separators and are cut,
// keeping their trailing number, with a letter or number inserted where two would meet.
QStringList shortNames(const QStringList& names, int width);

// Datei - "Importieren aus Kurs42 ...": the export (a folder, chosen by a file in it, or a zip),
// the target file, the import; the new file becomes the run's database. False when cancelled.
bool importCommand(platform::RunState& s, ui::Host& host);

} // namespace exchange::kurs42
