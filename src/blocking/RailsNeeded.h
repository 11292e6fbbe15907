#pragma once

#include "blocking/Evaluation.h"
#include "blocking/Model.h"

#include <QJsonObject>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// How many rails the cohort's courses need: the fewest rails of each number of hours on which
// they can be placed without a collision, teachers and the planner's rules kept and the fixed
// placements where they are. The search finds a plan that reaches a count (the witness); counting
// gives a count no plan can go below (the bound). Where both meet, the count is proven.
//
// The search may only leave rails out: the cohort's courses are kept off a rail by a rule of
// the planner's kind (course-not-on-rail), so every plan tried is one the blocking itself could
// make on the school year's rails. Where the school year's rails are too few, rails of the most
// wanted hours are added, as many as it takes (at most kMaxRails in all).
namespace blocking {

struct RailKind {
    int hours = 0;
    int inFile = 0;  // the school year's rails of these hours
    int added = 0;   // rails the search added to them
    int needed = -1; // the witness's: rails its courses stand on; -1: no witness
    int bound = 0;   // no plan without a collision stands on fewer
    QString why;     // what the bound counts, in the planner's words
    bool proven() const { return needed >= 0 && needed == bound; }
};

struct RailsNeededOptions {
    double seconds = 30; // for the whole search; each trial takes a part of it
    std::uint64_t seed = 1;
    int threads = 0; // as blocking::Options
    const std::atomic<bool>* cancel = nullptr;
    // Leaves no rails out once a count reaches its bound (no plan has fewer); false: tries on
    // until a trial fails, which checks the bounds.
    bool stopAtBound = true;
    // On the calling thread: how far the search is (0 to 1) and what it tries.
    std::function<void(double, const QString&)> progress;
};

struct RailsNeeded {
    std::vector<RailKind> kinds; // by hours, ascending
    bool found = false;          // a witness exists
    bool cancelled = false;
    Model model;         // the cohort, with the rails added
    RailSet used;        // the rails the witness's courses stand on
    Placement placement; // the witness
    Assignment assignment;
    Evaluation evaluation;  // of the witness; of the best plan found when none
    int clashAllowance = 0; // teachers' clashes no plan on all rails avoids
    double seconds = 0;

    int needed() const;
    int bound() const;
    bool proven() const;
};

// The bounds from counting, per hours of the model's rails: the student with the most courses
// that each take one rail of those hours, a teacher's such courses, the rails fixed placements
// hold, the courses a parallels-apart or courses-apart rule keeps apart.
std::vector<RailKind> railBounds(const Model& m);

RailsNeeded railsNeeded(const Model& m, const RailsNeededOptions& o);

// Whether a plan places the cohort as a witness must: no collision (of either cohort), every
// course's hours on rails, every choice that a course can serve served, no rule broken and no
// more teachers' clashes than allowed.
bool collisionFree(const Model& m, const Evaluation& e, int clashAllowance);

// One line per hours ("3-stündige Schienen: 14 in der Datei, nötig 12, ...") and the sum.
QStringList describe(const RailsNeeded& r);
QJsonObject toJson(const RailsNeeded& r);

} // namespace blocking
