#pragma once

#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QString>
#include <QStringList>

namespace db {
class Connection;
}
namespace ui {
class Host;
}
namespace platform {
class FileError;
struct RunState;
} // namespace platform

// Procedures the subsystems share with the application: which database the run works on and its
// current school year.
namespace common {

using platform::RunState;

inline const QString kPointerReadOnly =
    QStringLiteral("Datei Tclassk ist schreibgeschützt. Datendatei wechseln nicht möglich.");
inline const QString kFilterMdb = QStringLiteral("Alle Datendateien (*.MDB)|*.MDB");

inline const QString kNoData = QStringLiteral("Blockbildungsdateien enthalten noch keine Daten!");
inline const QString kNoCoursePhases =
    QStringLiteral("Zum ausgewählten Schuljahr gibt es keine Kursphasen!");

// The course phases of the school year schjBez, in this order: the year it starts, then the
// year before, each when at least one student has it.
QStringList coursePhases(db::Connection& c, const QString& schjBez);

// The pointer file cannot be written: says so under the title of the box the system shows there,
// in its words for a write-protected file (code 75), with the error's own text for any other.
void tellPointerNotWritable(ui::Host& host, const platform::FileError& e);

// Reads the current school year (the first row of schjahr) into SchjID and SchjBez. An empty
// table warns and keeps the previous values.
void LiesSchj(RunState& s, ui::Host& host);

// Makes the chosen file the run's database: writes the pointer file into pointerDir, then sets
// DatenPfad and DatenDatei. True when it did; a pointer file that cannot be written says why and
// changes nothing.
[[nodiscard]] bool switchDatabase(RunState& s, ui::Host& host, const QString& pointerDir,
                                  const QString& dir, const QString& file);

// The school years of the database as the windows list them, in stored order: SJ_SCHJ, five
// blanks, SJ_VFP_ID.
QStringList schoolYearLines(db::Connection& c);

// "Auswahl Schuljahr": lists the school years of the database; LiesSchj reads its first line.
class frmASj : public ui::Window {
    Q_OBJECT
public:
    frmASj(RunState& s, ui::Host& host);
    void Form_Load();

    QString lblDatei; // the database's full path, next to "Datendatei:"
    ui::ListBox lstASj{false};

private:
    RunState& s_;
    ui::Host& host_;
};

} // namespace common
