#pragma once

#include "ui/Window.h"

#include <QString>
#include <memory>

namespace ui {
class Host;
}

namespace platform {
struct RunState;
}

namespace app {

using platform::RunState;

class frmAuswahl;

// The main window: start-up, the menus that open every workspace, the caption with the school
// year and the status line (Label1 on Picture1; the host paints it). Its menus are its command
// list.
class MDIKundB : public ui::Window {
    Q_OBJECT
public:
    MDIKundB(RunState& s, ui::Host& host);
    ~MDIKundB() override;

    // Start-up; commandLine, when not empty, names the pointer file's directory unchanged.
    void Form_Load(const QString& commandLine);

    void menuDateiSetzenK_Click();
    void menuDateiBlDaten_Click();
    void menuDateiBel_Click();
    void menuDateiTessik_Click();
    void menuDateiImp_Click();
    void menuDateiExp_Click();
    // The exchange with Kurs42: a new file from its export, a cohort as its export.
    void menuDateiK42Imp_Click();
    void menuDateiK42Exp_Click();
    // A cohort's plan as the timetable program's GPU files.
    void menuDateiGPUExp_Click();
    void menuDateiDW_Click();
    void menuDateiBeenden_Click();
    // Who teaches which course: the window "Lehrer".
    void menuBearbeitenLehrer_Click();
    // "Kurse und Schienen": course counts, rails needed and what if, before any blocking.
    void menuPlanungKuS_Click();
    void menuDruckS_Click();
    void menuDruckenBlKuListen_Click();
    void menuHilfeHilfe_Click();
    void menueHilfeInfo_Click();

    // The import command shared by the menu and the launcher.
    void importCommand();
    // Starts a sibling program with the database path and ends this program.
    void startSibling(const QString& exeName);

    frmAuswahl& launcher() { return *launcher_; }
    RunState& state() { return s_; }

private:
    void showLauncher();
    void leadIntoImport(bool withM1);
    // frmHinwFehlt: the planner looks for a database (Found: the pointer directory is known) or
    // imports anew or ends the program (Ended).
    enum class Search { Found, Ended };
    Search searchDatabase();
    // Reads the pointer file and checks the folder and the file, with the data-file dialog
    // where they are missing; IntoImport when start-up went into the import instead.
    enum class Located { Found, FoundLauncherShown, IntoImport };
    [[nodiscard]] Located locateDatabase();
    void updateCaption();

    RunState& s_;
    ui::Host& host_;
    std::unique_ptr<frmAuswahl> launcher_;
};

// "Auswahl": the launcher beside the main window with the four everyday actions, its buttons.
class frmAuswahl : public ui::Window {
    Q_OBJECT
public:
    explicit frmAuswahl(MDIKundB& main, ui::Host& host);

    void Import_Click();
    void Tessikor_Click();
    void Export_Click();
    void Ende_Click();

private:
    MDIKundB& main_;
    ui::Host& host_;
};

} // namespace app
