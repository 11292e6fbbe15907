#pragma once

#include "export/Merix.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class Connection;
}
namespace ui {
class Host;
}
namespace platform {
struct RunState;
}

// The export to the administration program: the students of one cohort, their basic-course
// choices with the courses that carry them, the rails of the school year and the courses placed
// on them, in four files of the administration program's names (upper case) in the directory of
// its database container. The files are built whole in memory, so that a value they cannot hold
// refuses the export before any file is written, and then replace the previous four together.
namespace exporter {

// The message of every failure during the export; the cause follows on the next lines.
inline const QString kExportFailed =
    QStringLiteral("Tabelle beleg_lk ist schreibgeschützt!\r\nExport nicht möglich!");
inline const QString kExportFilter = QStringLiteral("ExportDateien (MERIX.*)|MERIX.*");

// The four files of one cohort as they will be written, with what they hold.
struct Merix {
    std::vector<MerixFile> files; // MERIX.KO, MERIX.GK, MERIX.BL, MERIX.CK
    int students = 0;
    int choices = 0; // basic-course records
    int rails = 0;
    int placements = 0; // ckkurs rows
};

// The course phases the school year offers, in this order: the year it starts, then the year
// before, each when at least one student has it.
QStringList coursePhases(db::Connection& c, const QString& schjBez);

// Builds the four files of the cohort with course phase phase, reporting progress in the status
// line. Throws Refused for a value the files cannot hold, db::DbError when reading fails.
Merix buildMerix(db::Connection& c, const platform::RunState& s, const QString& phase,
                 ui::Host& host);

// What file number file (0-3) of m holds, in words: "120 Kollegiaten".
QString contents(const Merix& m, size_t file);
// The message after an export: the folder the files went to and what each holds.
QString report(const Merix& m, const QString& dir);

// The path of one file in the export directory: the directory and the name joined by a
// backslash (the administration program's form; a doubled one is accepted, and without a
// directory the file lands in the drive's root), by nothing when the directory ends in "/".
QString merixPath(const QString& dir, const QString& name);
// The export directory for the administration container: everything up to and including the
// last separator, "" when there is none.
QString exportDirectory(const QString& verwDbcPfad);

// Replaces the four files in dir all or nothing. A file that cannot be created asks through the
// file-error dialog ("Disk Error"): Retry tries again, anything else throws its FileError.
void writeMerix(ui::Host& host, const Merix& m, const QString& dir);

// The export of one cohort without windows, as kubb runs it and the menu command after its
// questions: reads the database of s in one read transaction, so that the files show one state
// of the plan, builds the four files and writes them into dir. Returns
// what was written; throws on every failure (Refused, db::DbError, platform::FileError).
Merix exportCohort(const platform::RunState& s, ui::Host& host, const QString& phase,
                   const QString& dir);

// The open-file dialog for the export directory: the chosen file, which need not exist yet (a
// fresh folder), "" when cancelled.
QString ExportVerzeichnis(ui::Host& host);

// The command of the main window's "&Exportieren" and the launcher's "Übertragen nach Palexor":
// the container's directory from the INI file or the dialog, the cohort from frmAKursPh, then
// the four files, then where they went and what they hold (report). VerwDbcPfad stays as found
// (upper case where the file system ignores case) for the import. A failure shows
// kExportFailed with its cause and leaves the previous files.
void exportCommand(platform::RunState& s, ui::Host& host);

} // namespace exporter
