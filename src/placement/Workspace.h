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

#include <QByteArray>
#include <QHash>
#include <QSet>
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

namespace placement {

// The state of the placement workspace: what its views show and its commands read and change.
//
// The placement lives in the controls themselves: the rail grid (header and course entries) and
// the list of courses not yet placed hold fixed-layout texts (Layouts.h) that every command reads
// by position. Students' choices are read from and written to table belegung when they are
// needed, on the connection of the command that needs them. The grid is written to ckkurs only
// when the window closes.
//
// The procedures here are those several commands share: the grid's rows, the student lists and
// the rails' counts rebuilt, the look-ups of a student's and a course's parallels.
class Workspace {
public:
    Workspace(platform::RunState& s, ui::Host& host);
    virtual ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    platform::RunState& state() { return s_; }
    ui::Host& host() { return host_; }
    // The views follow; a command of the window is enabled or disabled.
    virtual void showChanges() = 0;
    virtual void enableCommand(const QString& name, bool on) = 0;

    // Controls.
    ui::ListBox LNKurse{true};      // "Nicht verteilte Kurse": course entries with hours to place
    ui::Grid grdSchienen;           // the rails: header in row 0, placed course entries below
    ui::ListBox LSchueler{true};    // students of the courses selected in LNKurse
    ui::ListBox LSchImBlock{false}; // students of the courses selected in the grid
    ui::ListBox LKollisionen{false};

    QString lblNKurs; // return channel of the course chooser
    QString lblSchueler = QStringLiteral("0");
    QString lblSchImBlock = QStringLiteral("0");
    QString lblKollisionen = QStringLiteral("0");
    QString lblKoll;
    QString txtMld; // course choices of the student clicked in LKollisionen

    // The students of every course of the school year (AnzBelKurs by course key), for the
    // "Schüler" column of LNKurse; counted when the window loads and after every command that
    // moves students.
    QHash<QString, int> schuelerJeKurs;
    // Set when counting failed: the next click on LNKurse counts afresh.
    bool countsStale = true;

    // The two option buttons of pctMKol; exactly one is set.
    bool optMKolEinfach = true;
    bool optMKolAlle = false;

    // "Bewertung" (Bewertung.h): how good the placement of one cohort is, as the grid and the
    // students' courses stand, brought up to date after every command. The cohort is chosen in
    // CmbJahrgang: year group 12 of the school year, or 13; 12 unless only 13 has students,
    // since the new year group is the one whose rails are built, while 13 mostly keeps its
    // courses of the year before.
    ui::ComboBox CmbJahrgang;    // "Jahrgangsstufe 12 (2009)", "Jahrgangsstufe 13 (2008)"
    std::vector<int> jahrgaenge; // the cohort (KO_KURSPH year) per line of CmbJahrgang
    blocking::Evaluation bewertung;
    QStringList lblBewertung; // its lines; an error's text when it cannot be counted
    // Set by Form_Load: reading the cohort takes longer than the rest of the loading, so the
    // view asks for the evaluation once the window shows.
    bool bewertungPending = false;
    // The cohort's model, read again only as far as a command made it stale.
    std::unique_ptr<blocking::Model> bewertungModel;
    bool studentsStale = false;
    bool coursesStale = true;
    // blocking::readState as the model was loaded whole; empty once students moved, so that
    // "Automatisch setzen ..." takes the model only while it is what the file holds.
    QByteArray bewertungState;
    // Grid cells (row, column) of courses whose teacher has another course on the same rail, as
    // the evaluation finds them; the view marks them.
    QSet<QPair<int, int>> lehrerKollisionen;
    bool teacherClash(int row, int col) const { return lehrerKollisionen.contains({row, col}); }
    // The parallel class (KO_PARLLKL) of every student, read with the evaluation's model.
    QHash<QString, QString> klassen;
    // "Kollisionen im Plan" and "Kurse des Schülers je Schiene": who collides in the plan as the
    // evaluation counts it (PlanCollisionLine), and the courses rail by rail of the student
    // clicked there (planStudent), followed after every command while he is listed.
    ui::ListBox LPlanKollisionen{false};
    ui::ListBox LSchuelerSchienen{false};
    QString planStudent;

    // The cohort chosen in CmbJahrgang (its KO_KURSPH year); 0 when there is none.
    int Jahrgang() const;
    // The cohort's model with the workspace's placement: the rails' hours and the placed
    // courses as the grid shows them (a rail the grid leaves out takes nothing, a course of
    // more hours than the workspace places stays as it stands), the fixed marks with them.
    void fitToGrid(blocking::Model& m) const;
    // Per grid column the model's rail shown there, -1 for none.
    std::vector<int> railOfColumn(const blocking::Model& m) const;

    // Placements marked fixed stay where they are when courses are set automatically; saving
    // writes the mark into CK_FIX. The grid's texts have no room for it: it is kept here.
    FixedEntries fixiert;
    // Whether the grid's entry at (row >= 1, col) is marked fixed.
    bool isFixed(int row, int col) const;

    // The cut buffer: the column last cut (-1: none), its hours and count (header characters
    // 7-12), its course entries from the top and the keys of those marked fixed.
    int AusSpalte = -1;
    QString AusKopf;
    QStringList AusKurse;
    QSet<QString> AusFix;
    // While a column is cut, nothing may be put onto it: true (with a message) when the held
    // column lies between from and to.
    bool refuseHeldColumn(int from, int to);

    // What "Rückgängig" puts back: the plan written and the grid, its marks and LNKurse before.
    struct AutoUndo {
        blocking::Written written;
        std::vector<std::vector<QString>> cells; // [row][col], the headers too
        FixedEntries fixed;
        QStringList lnKurse;
    };
    std::optional<AutoUndo> autoUndo;
    void dropUndo();

    // ckkurs as it was when the window loaded or last saved, to notice another program's save.
    QByteArray ckkursAtLoading;
    bool formUnloaded = false;
    // How long saving waits for another program's lock on the file.
    int saveLockTimeoutMs = db::Connection::kSaveBusyTimeoutMs;

    // The students of LKollisionen by key with their whole names, which its lines cut to 9
    // characters.
    QHash<QString, QString> kollisionsNamen;

    // Number of course entries of rail k (counted from 1) down to the first empty cell; makes its
    // column current. 0 when k is beyond the grid or no row holds entries.
    int AnzKvS(int k);
    // The largest AnzKvS over all rails.
    int MaxKvS();
    // Grid editing: the row count fitted to the longest rail (at least atLeast), a column's
    // entries taken out from the top, entries put into a column from row 1.
    void fitRows(int atLeast = 1);
    QStringList takeEntries(int col);
    void putEntries(int col, const QStringList& entries);

    // Rebuilds LSchueler and LKollisionen for the courses selected in LNKurse and marks the
    // colliding students' lines.
    void LNKurse_Click(db::Connection& c);
    // Rebuilds LSchImBlock for the courses selected in the grid's current column.
    void UpListen(db::Connection& c);
    // Writes every rail's student count into its header (hourglass and status line meanwhile).
    void GKursStUp(db::Connection& c);
    // Puts LNKurse into the courses' KS_SORT order; lines naming no course of the school year and
    // second lines of one course are dropped.
    void SortLNKurse(db::Connection& c);
    void zaehleSchueler(db::Connection& c);
    // After students moved by a plan or its undoing: the lists show none, the counts are new.
    void studentsChanged(db::Connection& c);

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

    // Moving students between parallel courses that needs the lists (Moves.cpp; the plain moves
    // are free functions in Moves.h). Each writes its move in one transaction (a savepoint
    // inside the command's); the grid and the lists are left to the caller.

    // Moves the student's course on rail r (its name courseName) to a parallel course placed on
    // the first rail where he has none of his courses (courseKeys, as LKKollegiat gives them).
    bool SchFreimachen(db::Connection& c, const QString& studentKey, int phase, int r,
                       const QString& courseName, const RailTable& rails,
                       const QString& courseKeys);
    // Makes room in the parallel course by moving one of its students, who attends none of the
    // other courses selected in LNKurse, into the selected course named courseName.
    bool PlFreimachen(db::Connection& c, const QString& courseName, const QString& parallelKey);

    // A critical message; kept in heldMessages_ while that is set.
    void critical(const QString& text);

protected:
    QStringList* heldMessages_ = nullptr;
    platform::RunState& s_;
    ui::Host& host_;
};

} // namespace placement
