#pragma once

#include "common/CourseSizes.h"
#include "placement/Workspace.h"
#include "ui/Window.h"

#include <QHash>
#include <QString>
#include <functional>
#include <optional>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}
namespace common {
class CommandScope;
}
namespace db {
class Connection;
namespace courses {
struct Course;
}
} // namespace db

namespace placement {

// "Setzen der Kurse": the placement workspace. The planner puts the courses of the current school
// year onto rails so that no student has two of his courses on one rail.
//
// The window holds the workspace's state (Workspace) and its handlers; each command is a class
// of its own (FillRail, RemoveCollisions, AssignCourse, RailEditing, StudentOverview,
// AutoPlacement, SavePlacement, Bewertung) that the handler runs in one command scope
// (common::CommandScope): one connection for the command and the refresh after it.
class SetzenK : public ui::Window, public Workspace {
    Q_OBJECT
public:
    SetzenK(platform::RunState& s, ui::Host& host);
    ~SetzenK() override;

    void showChanges() override { emit changed(); }
    void enableCommand(const QString& name, bool on) override { setEnabled(name, on); }

    const QString Label1 = QStringLiteral("Nicht verteilte Kurse");
    const QString Label2 = QStringLiteral("Kurs");
    const QString Label3 = QStringLiteral("Stunden");
    const QString Label4 = QStringLiteral("Schüler");
    const QString LabelLehrer = QStringLiteral("Lehrer");
    const QString Label5 = QStringLiteral("Schüler im Kurs/Block");
    const QString Label6 = QStringLiteral("Kollisionen");
    const QString Label7 = QStringLiteral("Name Stunden/Anzahl der Schüler im Block");
    const QString Label8 = QStringLiteral("Auf Schienen verteilte");
    const QString Label9 = QStringLiteral("Kurse");
    const QString Label10 = QStringLiteral("Belegung des kollidierenden Schülers");
    const QString Label11 = QStringLiteral("Anzahl:");
    const QString Label12 = QStringLiteral("Anzahl:");
    const QString label16 = QStringLiteral("Anzahl:");
    const QString pctMKol = QStringLiteral("Markieren von Kollisionen mit");
    const QString optMKolEinfachCaption = QStringLiteral("einem Fach");
    const QString optMKolAlleCaption = QStringLiteral("alle");
    const QString fraBewertung = QStringLiteral("Bewertung");
    const QString Label13 = QStringLiteral("Kollisionen im Plan");
    const QString Label14 = QStringLiteral("Kurse des Schülers je Schiene");

    // The buttons (no parent) and the menu "&Bearbeiten" with its items are the window's
    // commands (commands(), click, setEnabled). A click runs the handler and then brings the
    // counts and the evaluation up to date, on the handler's connection.

    // Builds the grid from the rails of the school year and their placed courses, and LNKurse
    // from the courses with hours still to place; then the rails' student counts. The
    // evaluation waits for Bewerten (bewertungPending).
    void Form_Load();

    // The list and grid events; each on a connection of its own.
    using Workspace::GKursStUp;
    using Workspace::LNKurse_Click;
    using Workspace::SortLNKurse;
    using Workspace::UpListen;
    void LNKurse_Click();
    // Shows the course choices of the student selected in LKollisionen in txtMld.
    void LKollisionen_Click();
    void UpListen();
    void GKursStUp();
    void SortLNKurse();
    void optMKolEinfach_Click();
    void optMKolAlle_Click();
    // Grid events (the grid raises them after updating its current cell and selection).
    void grdSchienen_Click() { UpListen(); }
    void grdSchienen_SelChange() { UpListen(); }
    void grdSchienen_DblClick();

    void CmbJahrgang_Click();
    // Counts the evaluation afresh (Bewertung).
    void Bewerten();
    void LPlanKollisionen_Click();

    // The commands, each delegating to its class.
    void cmdKzw_Click();         // "Kurs zuweisen" (AssignCourse)
    void cmdKollbs_Click();      // "Kollisionen beseitigen" (RemoveCollisions)
    void cmdSchA_Click();        // "Schiene auffüllen" (FillRail)
    void cmdAutoS_Click();       // "Automatisch setzen ..." (AutoPlacement)
    void menuBearbRueck_Click(); // "Rückgängig": the last command of the history
    void menuBearbWied_Click();  // "Wiederherstellen": the last command taken back
    void menuHilfeHilfe_Click(); // "&Hilfe" (F1): the help at the workspace's page.
    void cmdBlock_Click();       // "Stunde ändern", also on double-click (RailEditing)
    void cmdS2K_Click();         // "<" (RailEditing)
    void menuBearbAus_Click();   // "&ausschneiden" (RailEditing)
    void menuBearbEinf_Click();  // "&einfügen" (RailEditing)
    void menuBearbFix_Click();   // "&fixieren / lösen" (RailEditing)
    void cmdKursL_Click();       // "leeren Kurs löschen" (RailEditing)
    void cmdAnzBel_Click();      // "Schüler mit Kursen" (StudentOverview)
    // "&Regeln ...": the school year's rules in the window frmRegeln; the evaluation follows.
    void menuBearbRegeln_Click();
    // "&Varianten ...": the cohort's named plans in the window frmVarianten; a plan taken over
    // there stands in the grid and LNKurse afterwards.
    void menuBearbVarianten_Click();
    // "Lehrer zuweisen ..." (AssignTeacher) for the course of LNKurse's current line, of the
    // grid's current cell (also "&Lehrer zuweisen ..." of "&Bearbeiten").
    void LNKurse_LehrerZuweisen();
    void grdSchienen_LehrerZuweisen();
    // "&Lehrer je Schiene ..." of "&Ansicht": the window frmLehrerSchienen.
    void menuAnsichtLehrer_Click();
    // "invertieren": inverts the selection of LSchueler.
    void CmdInvers_Click();

    // The panel's figures (Figures.h): a click on "Belegungen ohne Kurs" lists the students
    // and subjects in frmFMld; "&Kursgrößen ..." shows the cohort's course sizes through
    // showCourseSizes (a chart of the printing subsystem, set by the application).
    void lblBewertung_Click(int line);
    void menuBearbKursgroessen_Click();
    std::function<void(const std::vector<common::SizeGroup>&, const QString& cohort)>
        showCourseSizes;

    // Closing the window and saving (SavePlacement).
    using Closing = ui::Closing;
    [[nodiscard]] Closing Form_Unload();
    void SchrCkkurs(db::Connection& c);
    void SchrCkkurs();
    std::optional<QString> NeuBB();

    using Body = void (SetzenK::*)(common::CommandScope&);
    // A command of the window: its body and what it may change.
    struct Entry {
        Body body;
        Effect effect;
    };

private:
    // Runs a command's body in a scope of its own; when clicked, with the refresh after it. The
    // commands that write the cohort's whole plan, and undoing and redoing, wait for another
    // program's lock as long as saving does.
    void execute(const Entry& e, bool refresh);
    void afterCommand(common::CommandScope& scope, Effect e) noexcept;
    // A command of the planner's hand into the history, named there by caption.
    void record(common::CommandScope& scope, const QString& caption, Effect e,
                const std::function<void(db::Connection&)>& body);
    // "Rückgängig" and "Wiederherstellen" name the command they would take back or do again.
    void showHistory();
    void setUpCommands();
    void followCounts();

    void assignCourse(common::CommandScope& scope);
    void removeCollisions(common::CommandScope& scope);
    void fillRail(common::CommandScope& scope);
    void autoPlace(common::CommandScope& scope);
    void undoLast(common::CommandScope& scope);
    void redoNext(common::CommandScope& scope);
    void changeHours(common::CommandScope& scope);
    void toList(common::CommandScope& scope);
    void cutRail(common::CommandScope& scope);
    void pasteRail(common::CommandScope& scope);
    void toggleFixed(common::CommandScope& scope);
    void deleteEmptyCourse(common::CommandScope& scope);
    void invert(common::CommandScope& scope);
    void studentOverview(common::CommandScope& scope);
    void editRules(common::CommandScope& scope);
    void editVariants(common::CommandScope& scope);
    void assignTeacher(common::CommandScope& scope);
    void teachersByRail(common::CommandScope& scope);
    QString lehrerKurs_; // the course the next "Lehrer zuweisen" gives a teacher

    // Fills the plan's rails and the grid; returns the hours placed per course key.
    QHash<QString, int> loadRails(db::Connection& c);
    // The grid as loading leaves it: sizes, fixed row, the first cell selected.
    void showGridLoaded();
    // Fills LNKurse; false when loading stopped or the school year has no course.
    bool loadCourses(db::Connection& c, const QHash<QString, int>& placedHours);
    // The hours of a course as loading decides them (0: none); no value, with the message, when
    // its subject is missing and loading stops.
    std::optional<int> courseHours(const db::courses::Course& k,
                                   const std::function<int(const QVariant&)>& hoursOfSubject);
};

} // namespace placement
