#pragma once

#include "blocking/Bounds.h"
#include "blocking/Evaluation.h"
#include "blocking/Model.h"

#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace blocking {

// What the search may change: per course the rails it keeps (fixed placements; in the mode
// "Restliche Kurse" every placement), and the rail sets its remaining hours may take. A course
// takes as few rails as its hours allow, their hours adding up exactly (as "Schiene auffüllen"
// splits a course), never one rail twice; where no rails add up exactly, the fewest that cover
// them with the least to spare.
struct Freedom {
    std::vector<RailSet> kept;
    std::vector<std::vector<RailSet>> options; // empty: the course stays as it stands
    QStringList unplaceable;                   // courses whose remaining hours no rails can take
    QStringList
        ruleConflicts; // courses the planner's rules leave no rails (they stay as they stand)
};

// Where the planner's rules leave no plan, whatever the search does: a course they keep off
// every rail its hours could take (it stays as it stands), a rule no plan keeps, rules that
// contradict each other (each least group of them once, "Die Regeln „…“ und „…“ widersprechen
// sich."). One line each; empty when none is found.
QStringList ruleConflicts(const Model& m, Mode mode);
Freedom freedom(const Model& m, Mode mode);

struct Progress {
    double seconds = 0;
    Evaluation best;
};

struct Options {
    Mode mode = Mode::Rest;
    double seconds = 10;    // time limit
    std::uint64_t seed = 1; // the same seed and number of threads give the same plan
    int threads = 0;        // independent search chains, one per thread; 0: one per core
    // Called on the calling thread whenever the best plan got better (at most ten times a
    // second, and once at the end).
    std::function<void(const Progress&)> progress;
    // Set from anywhere to stop; the best plan found so far is the result.
    const std::atomic<bool>* cancel = nullptr;
    // Stops after so many rounds of the chains (0: no limit); for reproducing a run exactly
    // regardless of the machine's speed.
    long long rounds = 0;
    // How many of the best distinct plans (differing in at least one placement) the result
    // keeps besides its own, for the planner to compare; 0: none.
    int keepPlans = 0;
};

// A choice of a student of the cohort whose course the plan changes; -1: none.
struct Change {
    int student = 0;
    int choice = 0;
    int from = -1;
    int to = -1;
    bool operator==(const Change&) const = default;
};

// A plan the search kept, with its figures.
struct KeptPlan {
    Placement placement;
    Assignment assignment;
    Evaluation evaluation;
};

struct Result {
    Placement placement;
    Assignment assignment;
    // Both against the bounds of "Alles neu" (currentBounds); explain(after) says why a bound
    // lies above 0.
    Evaluation before;
    Evaluation after;
    std::shared_ptr<const FigureBounds> bounds;
    // "Restliche Kurse": no plan that keeps the placed courses is better, though the bounds of
    // all plans lie lower; the search stopped there.
    bool bestKeepingPlaced = false;
    QStringList ruleConflicts;   // the rules that leave no plan, found before the search
    std::vector<Change> changes; // against the model's assignment, by student and choice
    bool cancelled = false;
    double seconds = 0;
    // When the plan first had as few broken rules, teachers' clashes and collisions as their
    // bounds allow (without any where the bounds are 0); -1: not reached.
    double secondsToCollisionFree = -1;
    double secondsToOptimal = -1; // optimal, or (bestKeepingPlaced) the best of the mode
    long long moves = 0;
    // With Options::keepPlans: the best plans met whose placements differ pairwise, best first
    // (the first is the result's own plan), at most keepPlans of them.
    std::vector<KeptPlan> kept;
};

// One line per change: "ST0001 Müller, Anna: 1Ph1 → 1Ph2" ("—" for no course).
QStringList changeLines(const Model& m, const std::vector<Change>& changes);
// How many students the changes concern.
int changedStudents(const std::vector<Change>& changes);

// Places the cohort's courses and fills its parallel courses: simulated annealing over the
// courses' rails in several chains, each student's choices solved exactly for every placement
// tried, a student keeping his course where another is no better. Stops when the plan is
// optimal, every figure at the bound of the mode (in "Wenig ändern" also unchanged), at the time
// limit, or when cancelled; a plan optimal as it stands is kept without a search. "Wenig ändern"
// without a stored placement plans as "Alles neu".
Result block(const Model& m, const Options& o);

} // namespace blocking
