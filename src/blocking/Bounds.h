#pragma once

#include "blocking/Model.h"

#include <QMap>
#include <QStringList>
#include <memory>
#include <vector>

namespace blocking {

struct Freedom;
struct Domains;

// The most even sizes that counting allows: total students over courses with a least and a
// largest size each (largest < 0: none), as equal as possible. They minimise every measure of
// unevenness at once (largest difference, sum of squares). Empty when the limits cannot all
// hold.
std::vector<int> evenSizes(int total, const std::vector<int>& least, const std::vector<int>& most);

// The planner's rules that no plan the search can make keeps together, in least groups that
// share no rule: each group costs at least one broken rule, so their number is the rules' bound,
// and a plan breaking no more rules than that keeps every rule outside the groups.
struct RuleConflicts {
    std::vector<std::vector<int>> groups; // indexes into m.rules
    QStringList lines;                    // one per group, as the planner reads it
    std::vector<char> safe;               // per rule: in no group
};
RuleConflicts findRuleConflicts(const Model& m, const Freedom& f);

// How even one group of parallel courses can be at best.
struct GroupBound {
    int difference = 0;
    long long squares = 0; // least sum of the squared sizes
    double deviation = 0;  // least sum of squared deviations from the mean
};

// The least value of each figure of the evaluation over the plans the search can make in a
// mode, each given that the figures the search weighs before it (broken rules, teachers'
// clashes, collisions, courses outside their limits) are at their own bounds: a plan at every
// bound is optimal. A bound rests only on causes the program can name, and every cause of a
// bound above 0 is in reasons, under the figure's name in the JSON of the evaluation
// ("collisions", "teacherClashes" ...): a student whose courses find no rails side by side, a
// teacher with more courses than rails of their hours, rules that contradict, a course no rail
// takes. What it cannot prove it leaves out, so a bound may lie below what is reachable; never
// above.
struct FigureBounds {
    int ruleViolations = 0;
    int teacherClashes = 0;
    int collisions = 0;
    int otherCollisions = 0;
    int withoutCourse = 0;
    int unplaced = 0;
    int outsideLimits = 0;
    int surplus = 0;
    int difference = 0;
    double deviation = 0;
    long long squares = 0;           // the least sum of the squared sizes of the cohort's parallels
    long long limits = 0;            // the fewest students beyond their courses' limits
    std::vector<GroupBound> groups;  // per group of the model
    std::vector<int> forcedStudents; // each collides in every plan (model indexes)
    std::vector<char> teacherFree;   // per teacher: proven to need no clash
    std::vector<int> standing;       // the cohort's courses the search leaves where they stand
    QMap<QString, QStringList> reasons;
    // Said before the search: courses the rules leave no rail, and the rules' conflicts.
    QStringList ruleConflicts;
};

FigureBounds figureBounds(const Model& m, Mode mode);
// The bounds of "Alles neu" for the model as it stands (placements, fixed marks, hours,
// students' courses), kept with the model until one of them changes.
std::shared_ptr<const FigureBounds> currentBounds(const Model& m);

// The hours of the one rail course k stands on for good, or takes whichever way it is placed;
// 0 when it may take several rails, rails of different hours, or none.
int oneRailHours(const Model& m, const Freedom& f, int k);

// The parts of figureBounds, each in a file of its own; d: the domains under the rules outside
// the conflicts.
namespace bounds {
// Students of the cohort, and of the other year group in its courses, whose courses find no
// rails side by side in any plan; needs the teachers' part first.
void students(const Model& m, const Domains& d, FigureBounds& b);
// Teachers' clashes no plan avoids; courses joined by a rule kept count as one.
void teachers(const Model& m, const Domains& d, const std::vector<char>& safe, FigureBounds& b);
} // namespace bounds

} // namespace blocking
