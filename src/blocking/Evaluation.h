#pragma once

#include "blocking/Model.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

namespace blocking {

struct FigureBounds;

// How good a plan is, goal by goal in the order they count: broken rules, teachers' clashes,
// collisions, choices without a course, courses outside their limits, then how even the parallel
// courses are. Every figure stands with its bound (figureBounds): the least any plan can have,
// never above the figure itself; a plan with every figure at its bound is optimal.
struct Evaluation {
    int students = 0;   // of the cohort
    int courses = 0;    // of the cohort
    int collisions = 0; // students of the cohort with two courses on one rail
    // Pairs of courses on a common rail that one student has both of (counted as collisions
    // are): separating one pair may mend several students, one student may need several.
    int clashingPairs = 0;
    // Courses of one teacher on one rail beyond the first, where one of them is the cohort's
    // (the other year group's courses count where they stand), and where they are, as
    // "Lehrer 18, Schiene 1: 1Ph1, 1Ph3"; a plan with any cannot be taught. teachers: whether
    // the school year's courses name teachers at all.
    bool teachers = false;
    int teacherClashes = 0;
    QStringList teacherClashList;
    // Students of the other year group in one of its courses who meet one of them on a rail of
    // another course; each counts in his own cohort's collisions.
    int otherCollisions = 0;
    // The planner's rules the plan breaks, by count and as the rules read; rules: whether the
    // cohort has any.
    bool rules = false;
    int ruleViolations = 0;
    QStringList ruleViolationList;
    int withoutCourse = 0;                 // choices without a course of their subject and kind
    std::vector<int> withoutCourseChoices; // those choices, as the model's indexes
    int outsideLimits = 0;                 // courses above KS_MAX or below KS_MIN
    int unplaced = 0;                      // courses of the cohort whose hours are not all on rails
    int largestDifference = 0;             // between parallel courses
    QString largestDifferenceGroup;
    double squaredDeviation = 0; // from the mean of each group of parallels
    bool optimal = false;
    // Courses of the cohort on a rail they do not need: without it their hours are still on
    // rails (a 3-hour course on two 3-hour rails). Their names, in course order.
    int surplus = 0;
    QStringList surplusCourses;

    // The bounds, each at most its figure.
    int collisionBound = 0;
    int otherCollisionBound = 0;
    int teacherClashBound = 0;
    int ruleViolationBound = 0;
    int withoutCourseBound = 0;
    int unplacedBound = 0;
    int outsideLimitsBound = 0;
    int surplusBound = 0;
    int differenceBound = 0;
    double deviationBound = 0;
    // Why a bound lies above 0, per figure by its name in the JSON ("collisions" ...).
    QMap<QString, QStringList> reasons;

    bool operator==(const Evaluation&) const = default;
};

// Counts everything afresh from a placement and the students' courses; fast enough to run
// after every command (a few milliseconds for 400 students). bounds: those of a search's mode;
// by default those of "Alles neu" for the model as it stands (currentBounds). A plan the search
// could not make (a course placed by hand on rails of other hours) may fall below a bound: the
// bound is lowered to the figure then, as that plan shows less is possible.
Evaluation evaluate(const Model& m, const Placement& p, const Assignment& a,
                    const FigureBounds* bounds = nullptr);
inline Evaluation evaluate(const Model& m, const FigureBounds* bounds = nullptr) {
    return evaluate(m, m.placement, m.assignment, bounds);
}

// One teacher's courses standing on one rail, at least one of them the cohort's.
struct TeacherClash {
    int teacher = -1;
    int rail = -1;
    std::vector<int> courses; // in course order
};
std::vector<TeacherClash> teacherClashes(const Model& m, const Placement& p);

// Whether the plan keeps the rule.
bool keeps(const Model& m, const Placement& p, const Assignment& a, const PlanRule& r);

// Whether course k stands on a rail it does not need for its hours.
bool onSurplusRail(const Model& m, const Placement& p, int k);

// Whether a student has two different courses on one rail (one of the cohort's courses, for a
// student of another cohort).
bool collides(const Model& m, const Placement& p, const Assignment& a, int student);
// Per planned cohort (Model::parts) its students with a collision; their sum is the collisions.
std::vector<int> collisionsByPart(const Model& m, const Placement& p, const Assignment& a);
// Lines of describe() with, where the model plans both year groups, each cohort's share under
// the collisions' line ("  davon Jahrgang 2009: 68"); as they are for one cohort.
QStringList withCollisionShares(QStringList described, const Model& m, const Placement& p,
                                const Assignment& a);
// The sizes of all courses: choice rows naming them (those the blocking may move as `a` has
// them).
std::vector<int> courseSizes(const Model& m, const Assignment& a);

// The evaluation as lines "Name: value" for people, and as JSON for programs. A figure whose
// bound lies above 0 says it (", bestmöglich 3"). namesTeachers: the teachers' clashes with
// where they are (for kubb); the windows give the count only, the workspace marks the courses in
// its grid. searched: the plan is a search's result; its last line says whether it is proven
// optimal, or else that it is the best plan found, with each figure above its bound ("Kollisionen
// 3, Untergrenze 1: nicht bewiesen").
// keptPlaced: a search of "Restliche Kurse" proved no plan keeping the placed courses better
// (Result::bestKeepingPlaced); the verdict says so instead.
QStringList describe(const Evaluation& e, bool namesTeachers = true, bool searched = false,
                     bool keptPlaced = false);
// Why the bounds above 0 are where they are: per figure a heading ("Kollisionen: mindestens 68")
// and its causes, indented by two blanks; empty when every bound is 0.
QStringList explain(const Evaluation& e);
QJsonObject toJson(const Evaluation& e);

} // namespace blocking
