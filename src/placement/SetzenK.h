#pragma once

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "placement/FixedEntries.h"
#include "placement/Moves.h"
#include "ui/ComboBox.h"
#include "ui/Grid.h"
#include "ui/ListBox.h"
#include "ui/Window.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace ui {
class Host;
}
namespace platform {
struct RunState;
}
namespace db {
class Connection;
}

namespace placement {

// A fingerprint of every row of ckkurs, to notice that another program has saved meanwhile.
QByteArray ckkursChecksum(db::Connection& c);

// "Setzen der Kurse": the placement workspace. The planner puts the courses of the current school
// year onto rails so that no student has two of his courses on one rail.
//
// The placement lives in the controls themselves: the rail grid (header and course entries) and
// the list of courses not yet placed hold fixed-layout texts (Layouts.h) that every command reads
// by position. Nothing else of the placement is kept between commands; students' choices are read
// from and written to table belegung when they are needed, each command on its own connection.
// The grid is written to ckkurs only when the window closes.
class SetzenK : public ui::Window {
    Q_OBJECT
public:
    SetzenK(platform::RunState& s, ui::Host& host);
    ~SetzenK() override;

    // Controls.
    ui::ListBox LNKurse{true};      // "Nicht verteilte Kurse": course entries with hours to place
    ui::Grid grdSchienen;           // the rails: header in row 0, placed course entries below
    ui::ListBox LSchueler{true};    // students of the courses selected in LNKurse
    ui::ListBox LSchImBlock{false}; // students of the courses selected in the grid
    ui::ListBox LKollisionen{false};

    const QString Label1 = QStringLiteral("Nicht verteilte Kurse");
    const QString Label2 = QStringLiteral("Kurs");
    const QString Label3 = QStringLiteral("Stunden");
    const QString Label4 = QStringLiteral("Schüler");
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

    QString lblNKurs; // return channel of the course chooser
    QString lblSchueler = QStringLiteral("0");
    QString lblSchImBlock = QStringLiteral("0");
    QString lblKollisionen = QStringLiteral("0");
    QString lblKoll;
    QString txtMld; // course choices of the student clicked in LKollisionen

    // The students of every course of the school year (AnzBelKurs by course key), for the
    // "Schüler" column of LNKurse; counted when the window loads and whenever the student lists
    // are rebuilt, which every command that moves students does.
    QHash<QString, int> schuelerJeKurs;

    // The two option buttons of pctMKol; exactly one is set.
    bool optMKolEinfach = true;
    bool optMKolAlle = false;

    // "Bewertung" (Bewertung.cpp): how good the placement of one cohort is, as the grid and the
    // students' courses stand, brought up to date after every command. The cohort is chosen in
    // CmbJahrgang: year group 12 of the school year, or 13; 12 unless only 13 has students,
    // since the new year group is the one whose rails are built, while 13 mostly keeps its
    // courses of the year before.
    const QString fraBewertung = QStringLiteral("Bewertung");
    ui::ComboBox CmbJahrgang; // "Jahrgangsstufe 12 (2009)", "Jahrgangsstufe 13 (2008)"
    blocking::Evaluation bewertung;
    QStringList lblBewertung; // its lines; an error's text when it cannot be counted
    // The cohort chosen in CmbJahrgang (its KO_KURSPH year); 0 when there is none.
    int Jahrgang() const;
    void CmbJahrgang_Click();
    // Counts the evaluation afresh: the cohort's model read again only where a command made it
    // stale (all of it after a course was deleted, the students' courses after moves), the
    // placement and the rails' hours taken from the grid. Shows what fails instead of throwing.
    void Bewerten();
    // Set by Form_Load: reading the cohort takes longer than the rest of the loading, so the
    // view asks for the evaluation once the window shows.
    bool bewertungPending = false;
    // The cohort's model with the workspace's placement: the rails' hours and the placed
    // courses as the grid shows them (a rail the grid leaves out takes nothing, a course of
    // more hours than the workspace places stays as it stands), the fixed marks with them.
    void fitToGrid(blocking::Model& m) const;
    // Per grid column the model's rail shown there, -1 for none.
    std::vector<int> railOfColumn(const blocking::Model& m) const;

    // "Kollisionen im Plan": who collides in the plan as the evaluation counts it, whatever is
    // selected; one line per student of the chosen cohort and rail where two or more of his
    // courses meet (PlanCollisionLine), by name and class; brought up to date with the
    // evaluation.
    const QString Label13 = QStringLiteral("Kollisionen im Plan");
    ui::ListBox LPlanKollisionen{false};
    // "Kurse des Schülers je Schiene": the courses of the student clicked in LPlanKollisionen,
    // rail by rail in the grid's order (RailCoursesLine), then those on no rail; followed after
    // every command while he is listed.
    const QString Label14 = QStringLiteral("Kurse des Schülers je Schiene");
    ui::ListBox LSchuelerSchienen{false};
    void LPlanKollisionen_Click();

    // The buttons (no parent) and the menu "&Bearbeiten" with its items are the window's
    // commands (commands(), click, setEnabled).

    // Builds the grid from the rails of the school year and their placed courses, and LNKurse
    // from the courses with hours still to place; then the rails' student counts.
    void Form_Load();

    // Rebuilds LSchueler and LKollisionen for the courses selected in LNKurse and marks the
    // colliding students' lines.
    void LNKurse_Click();
    // Shows the course choices of the student selected in LKollisionen in txtMld.
    void LKollisionen_Click();
    // The students of LKollisionen by key with their whole names, which its lines cut to 9
    // characters.
    QHash<QString, QString> kollisionsNamen;
    // Rebuilds LSchImBlock for the courses selected in the grid's current column.
    void UpListen();
    // Writes every rail's student count into its header (hourglass and status line meanwhile).
    void GKursStUp();
    // Puts LNKurse into the courses' KS_SORT order; lines naming no course of the school year and
    // second lines of one course are dropped.
    void SortLNKurse();

    void optMKolEinfach_Click();
    void optMKolAlle_Click();

    // Grid events (the grid raises them after updating its current cell and selection).
    void grdSchienen_Click() { UpListen(); }
    void grdSchienen_SelChange() { UpListen(); }
    void grdSchienen_DblClick();

    // A student's course phase (1: his courses are in the field of year group 12, 2: of 13) and,
    // one per choice row of his, the names (5 characters; blanks when the phase's field is empty)
    // and keys (6 characters; none for an empty field) of his courses.
    struct Kollegiat {
        int phase = 2;
        QString courseNames;
        QString courseKeys;
    };
    Kollegiat LKKollegiat(db::Connection& c, const QString& studentKey);

    // The parallel courses of the school-year course whose name begins with courseName (5
    // characters): same subjects, year group and kind, any school year, the course itself left
    // out; each as KS_BEZ, a blank and KS_VFP_ID (ParallelCourse). ownKey is the course's key.
    // Shows "Kurs in Kursdatei nicht gefunden!" when no course has that name.
    struct Alternatives {
        QString ownKey;
        QStringList courses;
        bool any() const { return !courses.isEmpty(); }
    };
    Alternatives AlternativKurs(db::Connection& c, const QString& courseName);

    // Number of course entries of rail k (counted from 1) down to the first empty cell; makes its
    // column current. 0 when k is beyond the grid or no row holds entries.
    int AnzKvS(int k);
    // The largest AnzKvS over all rails.
    int MaxKvS();

    // "Kurs zuweisen" (AssignCourse.cpp): moves the students selected in LSchueler into a
    // parallel course still in LNKurse, chosen in frmK once per course of the selection; the
    // moves chosen before a cancel are kept.
    void cmdKzw_Click();
    // "Kollisionen beseitigen" (RemoveCollisions.cpp): moves each student of LKollisionen into
    // parallel courses placed on the selected rails until his collisions are gone or no
    // candidate is left; then refreshes the lists.
    void cmdKollbs_Click();

    // Moving students between parallel courses that needs the window's lists (Moves.cpp; the
    // plain moves neuerkurs, andererKurs and KursArt are free functions in Moves.h). Each writes
    // its move on the command's connection in one transaction (a savepoint inside the
    // command's); the grid and the lists are left to the caller.

    // Moves the student's course on rail r (its name courseName) to a parallel course placed on
    // the first rail where he has none of his courses (courseKeys, as LKKollegiat gives them).
    bool SchFreimachen(db::Connection& c, const QString& studentKey, int phase, int r,
                       const QString& courseName, const RailTable& rails,
                       const QString& courseKeys);
    // Makes room in the parallel course by moving one of its students, who attends none of the
    // other courses selected in LNKurse, into the selected course named courseName.
    bool PlFreimachen(db::Connection& c, const QString& courseName, const QString& parallelKey);

    // "Schiene auffüllen" (FillRail.cpp): puts the first course selected in LNKurse onto the
    // rail selected in the grid, after moving its colliding students to a parallel course, and
    // offers to even out its size against the parallels.
    void cmdSchA_Click();
    // Moves the students of the course entry who already have a course among railTexts (the
    // entries of the selected rails) into one unsplit parallel course of LNKurse; false when the
    // course may not be placed.
    bool FKursAuf(db::Connection& c, const QString& entry, const QStringList& railTexts);
    // Whether the student already has a course among railTexts.
    bool KolBereitsSchiene(db::Connection& c, const QString& studentKey, const QString& courseKey,
                           const QStringList& railTexts);
    // The weekly hours of a course; 0 when it is not found or has none.
    int StdKurs(db::Connection& c, const QString& courseKey);

    // "Automatisch setzen ..." (AutoPlacement.cpp): the automatic blocking of the cohort chosen
    // in CmbJahrgang, in the window frmAutoSetzen. When the planner takes its plan over, the
    // cohort's placements (ckkurs) and its students' courses are written in one transaction,
    // so that the file holds one whole plan whatever is answered on closing; the cohort's
    // courses stand in the grid and LNKurse as the plan has them, the other cohort's entries
    // stay (and are saved on closing, as every placement). Refused while a rail is cut.
    void cmdAutoS_Click();
    // "&Hilfe" (F1): the help at the workspace's page.
    void menuHilfeHilfe_Click();
    // "Rückgängig": puts the cohort's placements and the students' courses in the file back
    // exactly as they were before the last plan was taken over, and the grid, its fixed marks
    // and LNKurse too. One step only, and only while no command has changed the placement or
    // moved students since, and no other program has written them.
    void menuBearbRueck_Click();
    // Writes a plan of the cohort's model m, read in the state readState (blocking::readState),
    // and puts it into the grid and LNKurse; keeps what it replaced for "Rückgängig". When
    // another program has written placements or choices since, the planner is asked first.
    void takeOver(const blocking::Model& m, const blocking::Placement& p,
                  const blocking::Assignment& a, const QByteArray& readState);

    // Rail and grid editing (RailEditing.cpp) and saving the placement (SavePlacement.cpp).

    // Placements marked fixed stay where they are when courses are set automatically; saving
    // writes the mark into CK_FIX. The grid's texts have no room for it: it is kept here.
    FixedEntries fixiert;
    // Whether the grid's entry at (row >= 1, col) is marked fixed.
    bool isFixed(int row, int col) const;
    // "fixieren / lösen": marks the entries selected in the grid fixed; when all of them are
    // fixed already, it loosens them.
    void menuBearbFix_Click();

    // "Stunde ändern" (also on double-click): new hours (1-6) for the current rail while it
    // holds no course.
    void cmdBlock_Click();
    // "<": takes the selected entries of the current rail back into LNKurse, merged with what
    // is left of the same course there.
    void cmdS2K_Click();
    // "&ausschneiden" / "&einfügen": takes the hours, count and courses off the current rail and
    // puts them onto another; the rails in between shift by one. Rail names and keys stay.
    void menuBearbAus_Click();
    void menuBearbEinf_Click();
    // "leeren Kurs löschen": deletes the first course selected in LNKurse when nobody chose it.
    void cmdKursL_Click();
    // "invertieren": inverts the selection of LSchueler.
    void CmdInvers_Click();
    // "Schüler mit Kursen": the students of LSchueler with their courses in frmFMld.
    void cmdAnzBel_Click();
    // The cut buffer: the column last cut (-1: none), its hours and count (header characters
    // 7-12), its course entries from the top and the keys of those marked fixed.
    int AusSpalte = -1;
    QString AusKopf;
    QStringList AusKurse;
    QSet<QString> AusFix;
    // While a column is cut, nothing may be put onto it: true (with a message) when the held
    // column lies between from and to.
    bool refuseHeldColumn(int from, int to);

    // Closing the window: asks whether to save the grid into this file or into a copy under
    // another name. A save that fails shows its cause and keeps the window open (the planner
    // retries or chooses another file); so does "Nein" to the question whether to overwrite what
    // another program saved meanwhile. Once the window may close, later calls do nothing, so the
    // view and the caller may both call it.
    using Closing = ui::Closing;
    [[nodiscard]] Closing Form_Unload();
    // Writes the grid into ckkurs of the connection's database in one transaction: the rows of
    // rails of other school years stay, the others are replaced by the grid's entries (CK_FIX
    // "1" for a fixed one, "0" otherwise); each rail's hours as the grid shows them go into
    // BL_STD.
    void SchrCkkurs(db::Connection& c);
    void SchrCkkurs();
    // Lets the user choose another database file for a copy; no value when cancelled. The
    // current file, under whatever name, is refused; an existing file is replaced only when the
    // user agrees.
    std::optional<QString> NeuBB();
    bool formUnloaded = false;
    // How long saving waits for another program's lock on the file.
    int saveLockTimeoutMs = db::Connection::kSaveBusyTimeoutMs;

    platform::RunState& state() { return s_; }
    ui::Host& host() { return host_; }

private:
    // What a command may have changed, for the evaluation and the undo step: nothing, the
    // placement in the grid, the students' courses, the courses themselves; Auto: students and
    // placement, by a command that keeps the undo step itself.
    enum class Effect { None, Placement, Students, Courses, Auto };
    void afterCommand(Effect e) noexcept;
    // What "Rückgängig" puts back.
    struct AutoUndo {
        blocking::Written written;
        std::vector<std::vector<QString>> cells; // [row][col], the headers too
        FixedEntries fixed;
        QStringList lnKurse;
    };
    std::optional<AutoUndo> undo_;
    AutoUndo snapshot() const;
    std::vector<QStringList> plannedColumns(const blocking::Model& m, const blocking::Placement& p,
                                            const QHash<int, std::pair<QString, QString>>& named,
                                            FixedEntries& fixed) const;
    void setUpCommands();
    void followCounts();
    void dropUndo();
    // After students moved by a plan or its undoing: the lists show none, the counts are new.
    void studentsChanged(db::Connection& c);
    void fillJahrgaenge(db::Connection& c);
    std::vector<int> jahrgaenge_; // per line of CmbJahrgang
    // The parallel class (KO_PARLLKL) of every student, read with the evaluation's model.
    QHash<QString, QString> klassen_;
    void readClasses(db::Connection& c);
    // Fills LPlanKollisionen from the evaluation's model and LSchuelerSchienen for the student
    // shown there (planStudent_), as long as he is listed.
    void listPlanCollisions();
    void showRailsOf(const QString& studentKey);
    QString planStudent_;
    std::unique_ptr<blocking::Model> bewertungModel_;
    // blocking::readState as the panel's model was loaded whole; empty once students moved, so
    // that "Automatisch setzen ..." takes the model only while it is what the file holds.
    QByteArray bewertungState_;
    bool studentsStale_ = false;
    bool coursesStale_ = true;
    void GKursStUp(db::Connection& c);
    void zaehleSchueler(db::Connection& c);
    // Set when counting after a command failed: LNKurse_Click counts afresh.
    bool countsStale_ = true;
    // Grid editing: the row count fitted to the longest rail (at least atLeast), a column's
    // entries taken out from the top, entries put into a column from row 1.
    void fitRows(int atLeast = 1);
    QStringList takeEntries(int col);
    void putEntries(int col, const QStringList& entries);
    // Fills the grid; returns the hours placed per course key.
    QHash<QString, int> loadRails(db::Connection& c);
    // Fills LNKurse; false when loading stopped or the school year has no course.
    bool loadCourses(db::Connection& c, const QHash<QString, int>& placedHours);
    void critical(const QString& text);

    Closing saveHere();
    Closing saveElsewhere();
    // ckkurs as it was when the window loaded or last saved, to notice another program's save.
    QByteArray ckkursAtLoading_;

    // The steps of "Schiene auffüllen" (FillRail.cpp): the selected rails, the checks that may
    // refuse the course, putting it on, and evening it out against its parallels.
    struct RailSelection {
        int c1 = 0;
        int c2 = 0;
        int hours = 0;     // of the last selected rail
        int freeRow = 0;   // the first row without an entry in the first selected rail
        QStringList texts; // the entries of the selected rails
    };
    std::optional<RailSelection> railsToFill();
    bool mayFill(db::Connection& c, const QString& entry, const RailSelection& rails);
    void placeEntry(int index, const QString& entry, const RailSelection& rails);
    void evenOut(db::Connection& c, const QString& entry);
    // The target of FKursAuf's moves: the first parallel of the course in LNKurse with its full
    // hours; "" when there is none.
    QString unsplitParallel(db::Connection& c, const QString& courseName);

    // The steps of "Kollisionen beseitigen" (RemoveCollisions.cpp).
    struct CollisionLookups;
    RailTable selectedRailTable() const;
    void removeCollisionsOf(db::Connection& c, const QString& line, const RailTable& rails,
                            CollisionLookups& lookups);

    platform::RunState& s_;
    ui::Host& host_;
};

} // namespace placement
