#pragma once

#include "import/Transfers.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QDate>
#include <functional>
#include <memory>
#include <optional>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
class PendingFile;
} // namespace platform

namespace importer {

// Fills the new, empty block-formation database at s.databasePath() from the container at
// s.VerwDbcPfad: the transfers in one transaction. Shared by the import window and kubb.
// Returns the number of placements dropped because their rail was not imported.
int runTransfers(const platform::RunState& s, ui::Host& host, const Selection& sel,
                 const Transfers::Progress& progress = {});

// The message on the placements an import dropped; "" when there were none.
QString droppedPlacementsText(int dropped);

// "Einstellungen für den Import aus MERIX an das Blockbildungsprogramm": the user picks the
// administration container, the school year, one or two cohorts and the target file; the window
// builds the new database. Label1 tells the caller the outcome ("Abbruch": no import). Its
// commands: "Durchsuchen" (cmdSeek), "&Daten importieren" (Befehl1), "&Abbruch" (Befehl2).
class ErzKuB : public ui::Window {
    Q_OBJECT
public:
    ErzKuB(platform::RunState& s, ui::Host& host);
    ~ErzKuB() override;

    // Today's date; tests set their own.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    const QString Label5 = QStringLiteral("Datenpfad zu Orvid:");
    QString lblDMerix =
        QStringLiteral("Orvid ist nicht im Standardverzeichnis c:\\palex. Wählen Sie durchsuchen.");
    const QString Frame2 = QStringLiteral("Schuljahre");
    ui::ListBox lstSJ{false};
    const QString Frame1 = QStringLiteral("Kollegiatenjahrgänge");
    ui::ListBox lstKollJahrg{true};
    QString Label2 = QStringLiteral("Datenpfad:");
    QString Label1;
    QString Label4;
    QString Label3;
    bool progressVisible = false; // Label1 and Label2 show during the import
    bool imported = false;        // the import ran to its end

    // The previous school year's key (6 characters, possibly empty), for the course transfer.
    QString previousKey;

    void Form_Load();
    void lstSJ_Click();
    void cmdSeek_Click();
    void Befehl1_Click();
    void Befehl2_Click();
    // The close box: no import, and the run goes on with the database it had.
    void Form_Unload();

    QString ODVFP();
    // The file to import into: its path and whether the user agreed to replace an existing one;
    // no value when cancelled.
    struct Target {
        QString dir, file;
        bool replace = false;
    };
    std::optional<Target> DialogBlockbildungsDatenbankName();
    // Copies the new file from the temporary folder to the floppy folder; false when it failed.
    bool KopDatenDat(const QString& source, const QString& targetDir);

    // After the window: the school year of the new file, the pre-assignment, then the new file
    // replaces the target and becomes the run's database. Until then the run, the pointer file
    // and any file under the target's name stay as they were; a failure leaves them so.
    // False when the copy to the floppy failed (its message has been shown).
    [[nodiscard]] bool finishImport();

private:
    void showContainer();
    void fillSchoolYears();
    void chooseCurrentYear();
    void setLabel(QString& label, const QString& text);

    void restoreRun();

    platform::RunState& s_;
    ui::Host& host_;
    QString savedPfad_, savedDatei_, savedBez_, savedId_;
    // The import is built under a temporary name beside its target (on a floppy: in the
    // temporary folder) and only committed by finishImport.
    Target target_;
    QString floppyDir_;
    std::unique_ptr<platform::PendingFile> built_;
    int dropped_ = 0;
};

// The import command of the main window and the launcher: the import window, then the school
// year of the new file and the pre-assignment. False when the user cancelled.
bool importCommand(platform::RunState& s, ui::Host& host);

} // namespace importer
