#pragma once

#include "blocking/RailSet.h"
#include "blocking/Rules.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace db {
class Connection;
}

// Automatic blocking: courses of one cohort onto the rails of the school year, and its students
// into parallel courses, so that no student has two courses on one rail and parallel courses
// are equal in size. The library reads the block-formation database and writes its result;
// it knows no window, so the placement workspace and kubb call it alike.
namespace blocking {

struct FigureBounds;

// The current school year as the run knows it (SchjID, SchjBez).
struct SchoolYear {
    QString id;
    QString bez;
};

// "Restliche Kurse": placed courses stay, only hours still to place are placed.
// "Alles neu": every placement not marked fixed may move.
// "Wenig ändern": as "Alles neu", but the stored plan is the goal after the collisions: as few
// students changing courses as possible, then as few courses changing rails.
enum class Mode { Rest, All, Keep };

struct Rail {
    QString key; // BL_VFP_ID, as ckkurs names the rail
    qint64 id = 0;
    QString name; // BL_BEZ
    int hours = 0;
};

struct Course {
    QString key;   // KS_VFP_ID
    QString name;  // KS_BEZ
    int hours = 0; // the weekly hours it needs on rails, as the workspace counts them; 0: unknown
    bool own = false;     // of a planned cohort: the blocking places it and fills it
    unsigned ofParts = 0; // bit p: a course of Model::parts[p]
    int min = 0;          // KS_MIN, 0: not set
    int max = 0;          // KS_MAX, 0: not set
    int group = -1;       // its parallel group (own courses)
    int teacher = -1;     // index into Model::teachers; -1: none given
    QStringList subjects; // KS_FA_ID1..4, folded, non-blank
    // Choice rows naming the course that the blocking does not move: the other cohort's in a
    // course of both year groups, rows that do not count in this year group, choices no course
    // of their subject and kind can serve.
    int fixedLoad = 0;
};

// What a choice asks for: a course of the subject (any of KS_FA_ID1..4) and the kind.
struct ChoiceType {
    QString subject;
    bool advanced = false;
    std::vector<int> candidates; // own courses, ascending
    int count = 0;               // choices of this type
    unsigned ofParts = 0;        // bit p: chosen in Model::parts[p]
};

// A choice of a student of the cohort that counts in his year group (its BG_ART).
struct Choice {
    qint64 bgId = 0;
    int student = 0;
    int type = -1; // -1: no course serves it; it keeps what it has
    QString asked; // subject and kind as the planner reads them ("M LK"), also without a type
};

struct Student {
    QString key;
    QString name;
    bool own = false;    // of the cohort; otherwise he sits in one of its courses
    int firstChoice = 0; // his choices are [firstChoice, firstChoice + choiceCount)
    int choiceCount = 0;
    // Courses of his other rows in his year field (of the school year); the blocking does not
    // change them, but moves some of them across rails.
    std::vector<int> fixedCourses;
    QString className; // KO_PARLLKL, trimmed
    int part = 0;      // of the cohorts planned (Model::parts), own students only
    // As reports name him: "Name, Vorname (12a)", the class where he has one.
    QString named() const { return studentInText(name, className); }
};

// Parallel courses: own courses joined by the choices they can serve. Their sizes should be
// equal; the bounds (figureBounds) say how close the counting allows.
struct Group {
    std::vector<int> courses;
    int total = 0; // students when every choice has a course
    QString label; // the course names, as reports show the group
};

// A rule of the planner in the model's indexes; rules naming what the cohort does not hold
// (another cohort's student, a course gone) are left out.
struct PlanRule {
    RuleKind kind = RuleKind::CourseNotOnRail;
    int first = -1;           // a course or a student
    int second = -1;          // a rail, a course or a student
    std::vector<int> courses; // parallels-apart: the subject's courses of the cohort
    QString text;             // "course-not-on-rail 1Ph1 GK3"
};

// Where the courses stand: per course the rails it is on, and those of them marked fixed.
struct Placement {
    std::vector<RailSet> rails;
    std::vector<RailSet> fixed;
};

// Per choice the course in the student's year field; -1: none (or one not of this school year).
using Assignment = std::vector<int>;

// A placement as the workspace's grid holds it: course key -> its rails (BL_VFP_ID) with the
// fixed mark.
struct PlacedRail {
    QString railKey;
    bool fixed = false;
    bool operator==(const PlacedRail&) const = default;
};
using PlainPlacement = QHash<QString, QList<PlacedRail>>;

// One cohort of the current school year (or both year groups, see parts), read from the
// database: the rails of the school year, all its courses (those of the cohort marked own), the
// cohort's students with their choices, and the students of other cohorts who sit in one of its
// courses. Ids are dense indexes into the vectors. Loading reads; nothing is written.
//
// A choice counts in the cohort's year group by its BG_ART as the pre-assignment counts it
// (L, A, S, C, X in 12; L, B, S, C, X in 13). A course of the school year serves it when one of
// KS_FA_ID1..4 is its subject and the kind fits: "L" for an advanced choice, "G" or "K" (the
// administration's basic course) otherwise. KS_JGST is not asked: the administration codes year
// group 12 as "11" and 13 as "12" ("50" both), while the workspace reads "12" and "13"; the
// subject keys belong to one cohort's offer anyway. The cohort's courses are those that serve
// one of its choices, and those of its subject offer (FA_KURSPH) that nobody chose.
class Model {
public:
    // Throws std::runtime_error (German) when the cohort is neither year group 12 nor 13 of the
    // school year, or the school year has more rails than kMaxRails.
    static Model load(db::Connection& c, const SchoolYear& year, int cohort);
    // Both year groups at once: the cohorts of 12 and 13 share the rails and the teachers, so one
    // plan places the courses of both and counts the students of both. Also throws when the two
    // are one cohort or one of them has no students in the file.
    static Model load(db::Connection& c, const SchoolYear& year, const std::vector<int>& cohorts);

    // A cohort the model plans, with the year field its choices' courses stand in.
    struct Part {
        int cohort = 0;
        int yearGroup = 12;
        QString courseField; // of belegung, for the year group (db::courseField)
    };
    std::vector<Part> parts; // one; two when both year groups are planned at once
    // The first part's, as the single cohort's users read them.
    int cohort = 0;
    int yearGroup = 12;
    QString courseField;
    bool bothYearGroups() const { return parts.size() > 1; }
    // The year field of a choice's course.
    const QString& fieldOf(int choice) const;
    // "Jahrgang 2009 (Jahrgangsstufe 12)", or both: "Jahrgänge 2009 und 2008 (Jahrgangsstufen 12
    // und 13)".
    QString cohortsText() const;

    std::vector<Rail> rails;
    std::vector<Course> courses;
    std::vector<ChoiceType> types;
    std::vector<Choice> choices;
    std::vector<Student> students; // the cohort's first
    std::vector<Group> groups;
    // The teachers of the school year's courses (KS_LE_ID) as a planner knows them: the
    // abbreviation from lehrer, else the key. One teacher's courses never share a rail.
    QStringList teachers;
    // The planner's rules of the school year that concern the cohort.
    std::vector<PlanRule> rules;

    Placement placement;   // as loaded, or as last set
    Assignment assignment; // as loaded

    int ownStudents = 0;
    int ownCourses = 0;
    int unservable = 0; // choices no course can serve
    // Those choices, one line each: "Name, Vorname: Kein Kurs bietet Ph als Leistungskurs."
    QStringList unservableChoices;
    // Courses of the cohort that have no hours (they cannot be placed).
    QStringList withoutHours;

    int courseIndex(const QString& key) const; // -1 when unknown
    int railIndex(const QString& key) const;
    bool serves(int course, int choice) const;
    int placedHours(const Placement& p, int course) const;
    int totalRailHours() const;

    // Reads the students' courses afresh (both year fields of every choice row), as after a
    // command that moved students; courses, rails and choices stay as loaded. Much faster than
    // a load: the workspace runs it with every command.
    void refresh(db::Connection& c);

    // The placement of the workspace's grid instead of the one loaded; courses it does not name
    // stand on no rail, unknown keys are passed over.
    void setPlacement(const PlainPlacement& plain);
    PlainPlacement plain(const Placement& p) const;

    // The bounds of the evaluation (currentBounds), kept with a key of what they were computed
    // from.
    struct BoundsCache {
        std::size_t key = 0;
        std::shared_ptr<const FigureBounds> bounds;
    };
    mutable BoundsCache boundsCache;

private:
    struct Person {
        QString key;
        QString name;
        QString className;
        bool own = false;
        int part = -1;      // of an own student
        bool twelve = true; // his courses are in the field of year group 12
        int student = -1;   // of the cohort: his index in students
    };
    struct Row {
        qint64 bgId = 0;
        int person = -1; // -1: a student missing from kolleg
        int choice = -1; // a choice of the cohort
    };
    struct CourseRow; // a course's subjects and kind, as the choice types ask for them

    // The steps of load.
    void setCohorts(const SchoolYear& year, const std::vector<int>& cohorts);
    // Both year groups want students of both: a file of one names the missing cohort.
    void requireStudentsOfEachPart() const;
    void loadRails(db::Connection& c, const SchoolYear& year);
    std::vector<CourseRow> loadCourses(db::Connection& c, const SchoolYear& year,
                                       const QHash<QString, int>& subjectHours);
    void loadRules(db::Connection& c, const SchoolYear& year);
    int teacherIndex(const QString& key, const QHash<QString, QString>& names,
                     QHash<QString, int>& byKey);
    void loadPlacement(db::Connection& c);
    QHash<QString, int> loadPersons(db::Connection& c, const QString& schjBez);
    void loadChoices(db::Connection& c, const QHash<QString, int>& personByKey,
                     const std::vector<CourseRow>& rows, std::vector<int>& course12,
                     std::vector<int>& course13);
    int choiceType(const QString& subject, bool advanced, const std::vector<CourseRow>& rows,
                   QHash<QString, int>& typeByKey);
    void numberChoices(const std::vector<std::vector<int>>& perStudent,
                       const std::vector<int>& type, const QStringList& asked);
    void markOwnCourses(const std::vector<CourseRow>& rows,
                        const std::vector<QSet<QString>>& cohortSubjects);
    void formGroups();
    // Assignment, the fixed courses, the other cohorts' students and the fixed loads from the
    // rows' year fields (course indexes per row).
    void distribute(const std::vector<int>& course12, const std::vector<int>& course13);

    QHash<QString, int> courseByKey_;
    QHash<QString, int> railByKey_;
    std::vector<Person> persons_;
    std::vector<Row> rows_; // every choice row, in BG_ID order
    // Choice rows no course serves, with their subject (folded) and whether advanced.
    struct Unserved {
        int row = 0;
        QString subject;
        bool advanced = false;
    };
    std::vector<Unserved> unserved_;
    void nameUnservable(const QHash<QString, QString>& subjectNames);
};

// Weekly hours of a course as the workspace counts them: KS_STD when filled, otherwise 5 for
// an advanced course and the subject's basic-course hours (FA_STDGK) for a basic one.
int courseHours(const QString& std, const QString& kind, const QString& yearCode,
                const QString& subject1, const QString& subject3,
                const QHash<QString, int>& subjectHours);

} // namespace blocking
