#pragma once

#include "ui/ComboBox.h"
#include "ui/Window.h"

#include <QString>

namespace platform {
struct RunState;
}
namespace ui {
class Host;
}

namespace exporter::untis {

// "Stundenplan (GPU) exportieren": the hand-over of a cohort's plan to the timetable program
// (export/Untis.h). The planner chooses the cohort, the folder, the files' separator and
// encoding, the first lesson number and the form of the students' key; "&Exportieren" writes
// the four files and reports what they hold. A value the files cannot hold, a folder that
// refuses them or a wrong number is said in a message and the window stays open, so that
// another choice can follow. The window remembers nothing: it opens with the defaults.
class frmGPU : public ui::Window {
    Q_OBJECT
public:
    frmGPU(platform::RunState& s, ui::Host& host);

    // Offers the cohorts of the school year; false (after saying so) when it has none.
    bool Form_Load();

    const QString lblJahrgang = QStringLiteral("Kollegiatenjahrgang:");
    ui::ComboBox cmbJahrgang;
    const QString lblOrdner = QStringLiteral("Ordner:");
    QString txtOrdner;
    const QString lblTrenner = QStringLiteral("Trennzeichen:");
    ui::ComboBox cmbTrenner; // ";", ",", tab
    const QString lblZeichensatz = QStringLiteral("Zeichensatz:");
    ui::ComboBox cmbZeichensatz; // UTF-8, Windows-1252
    const QString lblNummer = QStringLiteral("Erste Unterrichtsnummer:");
    QString txtNummer = QStringLiteral("1");
    const QString lblNummerHinweis =
        QStringLiteral("Die Kurse bekommen fortlaufende Unterrichtsnummern ab dieser. Wählen Sie "
                       "sie so, dass der Stundenplan keine davon schon vergeben hat.");
    const QString lblSchluessel = QStringLiteral("Schülerschlüssel:");
    ui::ComboBox cmbSchluessel; // id, name

    // "&Ordner ...": the folder, chosen by a file in it (GPU002.TXT proposed).
    void cmdOrdner_Click();
    // "&Exportieren": checks the entries, writes the files, reports and closes.
    void cmdExportieren_Click();
    // "&Abbrechen": closes without writing.
    void cmdAbbrechen_Click();
    // "&Hilfe": the help page of the export.
    void cmdHilfe_Click();

    bool exported() const { return exported_; }

private:
    platform::RunState& s_;
    ui::Host& host_;
    bool exported_ = false;
};

// Datei – "Exportieren – Stundenplan (GPU) ...": the window, loaded and shown modally.
void showGpuExport(platform::RunState& s, ui::Host& host);

} // namespace exporter::untis
