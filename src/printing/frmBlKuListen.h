#pragma once

#include "printing/Rails.h"
#include "ui/ComboBox.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

namespace platform {
struct RunState;
}
namespace ui {
class Host;
class PrintJob;
} // namespace ui

namespace printing {

// "Druck der Block-Kurs-Listen": for one cohort a table with a line per student and a column
// per chosen rail, each cell the course of that rail the student is enrolled in. Reads the
// database only. The choices of the cohort are read once per printout, not asked per student,
// rail and course. Every page repeats the header with its number ("Seite 1 von 2").
class frmBlKuListen : public ui::Window {
    Q_OBJECT
public:
    frmBlKuListen(platform::RunState& s, ui::Host& host);

    // Offers the cohorts of the school year and lists the rails of the year.
    void Form_Load();
    // Another cohort chosen: the caption names it.
    void cmbKollJahrg_Click();
    void optHoch_Click();
    void OptQuer_Click();
    // Prints the lists of the chosen cohort for the selected rails.
    void cmdDruck_Click();

    const QString Label1 = QStringLiteral("Auswahl");
    const QString Label2 = QStringLiteral("Kollegiatenjahrgang");
    const QString Label3 = QStringLiteral("Blockname/Stunde");
    const QString Frame1 = QStringLiteral("Druckeinstellungen");
    const QString optHochCaption = QStringLiteral("Hochformat");
    const QString OptQuerCaption = QStringLiteral("Querformat");
    ui::ComboBox cmbKollJahrg;
    ui::ListBox lstBlock{true}; // one line per rail of the year: its header cell
    bool optHoch = true;
    bool OptQuer = false;

    static constexpr int kMaxRails = 25;
    static constexpr int kMaxRailsPortrait = 16;
    static constexpr int kStudentsPerPageLandscape = 50;
    static constexpr int kStudentsPerPagePortrait = 75;

private:
    // The number of selected rails fits the paper; says why where it does not.
    bool selectionFits();
    // fileLines: the printout's fileHeader, read once for all pages; its first line gets the
    // page's number.
    void printPageHeader(ui::PrintJob& job, QStringList fileLines, const QString& cohort,
                         const QStringList& headers, int page, int pages);

    platform::RunState& s_;
    ui::Host& host_;
    std::vector<Rail> rails_; // the lines of lstBlock, in the same order
};

// "Bl&ock-Kurs-Listen": loads frmBlKuListen and shows it modally.
void showBlKuListen(platform::RunState& s, ui::Host& host);

} // namespace printing
