#pragma once

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "db/Teachers.h"
#include "placement/FileChanges.h"
#include "placement/Moves.h"
#include "placement/Plan.h"
#include "placement/PlanCommand.h"
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
#include <utility>
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
// The plan (Plan.h) is the typed model: rails, their placed courses and the courses still to
// place. The grid and LNKurse are drawn from it (showRails, the waiting-list edits below); the
// student lists keep the rows they show (schueler, kollisionen, imBlock) beside their lines.
// Students' choices are read from and written to table belegung when they are needed, on the
// connection of the command that needs them. The plan is written to ckkurs when the window
// closes.
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

    // The plan; the grid and LNKurse show it.
    Plan plan;

    // Controls.
    ui::ListBox LNKurse{true};      // "Nicht verteilte Kurse": plan.waiting, line by line
    ui::Grid grdSchienen;           // the rails: header in row 0, placed courses below
    ui::ListBox LSchueler{true};    // students of the courses selected in LNKurse
    ui::ListBox LSchImBlock{false}; // students of the courses selected in the grid
    ui::ListBox LKollisionen{false};

    // What the student lists show, row for row.
    struct StudentRow {
        QString studentKey;
        QString name; // family name, a blank, first name
        QString parallelClass;
        QString courseKey;
        qint64 bgId = 0;
        int yearGroup = 12; // whose course field holds the course
    };
    std::vector<StudentRow> schueler;
    struct Collision {
        QString studentKey;
        QString name;
        struct Choice {
            QString courseKey;
            qint64 bgId = 0;
        };
        std::vector<Choice> choices; // in the order of LSchueler
    };
    std::vector<Collision> kollisionen;
    struct BlockRow {
        QString courseKey;
        QString name;
    };
    std::vector<BlockRow> imBlock;
    void setSchueler(std::vector<StudentRow> rows);
    void setKollisionen(std::vector<Collision> rows);
    void setImBlock(std::vector<BlockRow> rows);
    // The course name (5 characters) as the fixed-layout lines hold it.
    QString shortName(const QString& courseKey) const;
    // The whole designation, as the views show it.
    QString wholeName(const QString& courseKey) const {
        return plan.course(courseKey).name.trimmed();
    }

    QString lblNKurs; // return channel of the course chooser
    QString lblSchueler = QStringLiteral("0");
    QString lblSchImBlock = QStringLiteral("0");
    QString lblKollisionen = QStringLiteral("0");
    QString lblKoll;
    QString txtMld;          // course choices of the student clicked in LKollisionen
    QStringList txtMldKurse; // the same, whole designations, as the view shows them

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
    // The planner's rules the plan breaks, as the evaluation finds them: by grid cell (row,
    // column) the rules its course breaks there, by column those its rail breaks. The view marks
    // them; the tooltips name the rules.
    QHash<QPair<int, int>, QStringList> regelnJeZelle;
    QHash<int, QStringList> regelnJeSchiene;
    bool breaksRule(int row, int col) const { return regelnJeZelle.contains({row, col}); }
    bool railBreaksRule(int col) const { return regelnJeSchiene.contains(col); }

    // The teachers of the school year's courses by course key in capitals, read when the window
    // loads and after a course got its teacher here.
    QHash<QString, db::teachers::CourseTeacher> lehrer;
    // The teacher's short name of a course, "" for none.
    QString teacherOf(const QString& courseKey) const;
    // The other courses on the grid column that the course's teacher teaches, by designation.
    QStringList sameTeacherOnRail(int col, const QString& courseKey) const;
    // What the grid shows of its cells and headers: the course's whole designation ("*" after a
    // fixed one; its hours where they differ from the rail's), the rail's name over its hours
    // and student count.
    QString cellText(int row, int col) const;
    QString railHeading(int col) const;
    // Their tooltips: "Lehrer Krau; auf dieser Schiene auch 1Mu3", "fixiert", the rules broken.
    QString cellTip(int row, int col) const;
    QString railTip(int col) const;

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
    // courses as the plan has them (a rail the grid leaves out takes nothing, a course of
    // more hours than the workspace places stays as it stands), the fixed marks with them.
    void fitToPlan(blocking::Model& m) const;
    // Per grid column the model's rail shown there, -1 for none.
    std::vector<int> railOfColumn(const blocking::Model& m) const;

    // Whether the grid's entry at (row >= 1, col) is marked fixed.
    bool isFixed(int row, int col) const;
    // The placed course at a grid cell of rows 1.., nullptr for an empty cell.
    const Placed* placedAt(int row, int col) const;
    Placed* placedAt(int row, int col) {
        return const_cast<Placed*>(std::as_const(*this).placedAt(row, col));
    }

    // While a column is cut (plan.held), nothing may be put onto it: true (with a message) when
    // the held column lies between from and to.
    bool refuseHeldColumn(int from, int to);

    // The commands done and undone since the window opened ("Rückgängig", "Wiederherstellen").
    History history;

    // ckkurs as it was when the window loaded or last saved, to notice another program's save.
    QByteArray ckkursAtLoading;
    bool formUnloaded = false;
    // How long saving waits for another program's lock on the file.
    int saveLockTimeoutMs = db::Connection::kSaveBusyTimeoutMs;

    // Number of course entries of rail k (counted from 1); makes its column current. 0 when k
    // is beyond the grid or no row holds entries.
    int AnzKvS(int k);
    // The largest AnzKvS over all rails.
    int MaxKvS();
    // Draws the grid from the plan: the headers, the placed courses from row 1 and the row
    // count fitted to the longest rail (at least atLeast rows); the current cell stays.
    void showRails(int atLeast = 1);
    // LNKurse drawn from plan.waiting, edited line by line so that the other lines keep their
    // selection; setWaiting draws it anew.
    void removeWaiting(int line);
    void insertWaiting(int line, const Waiting& w);
    void setWaiting(std::vector<Waiting> waiting);
    // A plan put back by undoing or redoing: grid and LNKurse drawn anew, the student lists
    // emptied, cutting and inserting as the plan holds a rail or not.
    void showPlan(const Plan& p);
    // The courses of the lines selected in LNKurse, in list order.
    QStringList selectedCourses() const;

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
    // and keys (none for an empty field) of his courses.
    struct Kollegiat {
        int phase = 2;
        QString courseNames;
        QStringList names; // whole, one per name of courseNames
        QStringList courseKeys;
        bool attends(const QString& courseKey) const;
    };
    Kollegiat LKKollegiat(db::Connection& c, const QString& studentKey);

    // The parallel courses of the school-year course of that key: same subjects, year group and
    // kind, any school year, the course itself left out, in stored order. Shows "Kurs in
    // Kursdatei nicht gefunden!" when the school year has no such course.
    struct Alternatives {
        QString ownKey;
        struct Course {
            QString name; // KS_BEZ
            QString key;
        };
        std::vector<Course> courses;
        bool any() const { return !courses.empty(); }
    };
    Alternatives AlternativKurs(db::Connection& c, const QString& courseKey);

    // Moving students between parallel courses that needs the lists (Moves.cpp; the plain moves
    // are free functions in Moves.h). Each writes its move in one transaction (a savepoint
    // inside the command's); the grid and the lists are left to the caller.

    // Moves the student's course courseKey on rail r to a parallel course placed on the first
    // rail where he has none of his courses (as LKKollegiat gives them).
    bool SchFreimachen(db::Connection& c, const QString& studentKey, int r,
                       const QString& courseKey, const RailTable& rails, const Kollegiat& k);
    // Makes room in the parallel course by moving one of its students, who attends none of the
    // other courses selected in LNKurse, into the selected course courseKey.
    bool PlFreimachen(db::Connection& c, const QString& courseKey, const QString& parallelKey);

    // Where the command running notes what it writes into belegung and block, for its undoing;
    // none outside a command of the history.
    FileChanges* recording = nullptr;

    // A critical message; kept in heldMessages_ while that is set.
    void critical(const QString& text);

protected:
    QStringList* heldMessages_ = nullptr;
    platform::RunState& s_;
    ui::Host& host_;
};

} // namespace placement
