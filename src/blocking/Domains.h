#pragma once

#include "blocking/Model.h"

#include <vector>

namespace blocking {

struct Freedom;

// Where each course may stand and which course each choice may take in the plans the search can
// make, narrowed by a set of the planner's rules: what the bounds and the rules' conflicts reason
// about. Narrowing only removes what no plan keeping those rules can use (a course kept off a
// rail, two courses apart whose one stands fixed, a student kept in a course), so whatever it
// proves holds for every such plan; it does not find every consequence.
struct Domains {
    // Per course the rail sets it may stand on as a whole (kept rails included); a course that
    // stays as it stands has that one set, possibly empty.
    std::vector<std::vector<RailSet>> rails;
    // Per choice of a course's subject and kind (type >= 0) the courses it may take, ascending;
    // other choices hold nothing.
    std::vector<std::vector<int>> courses;
    // Per student of the cohort the courses he keeps whatever the plan: those of his other rows
    // and of choices no course serves, each once.
    std::vector<std::vector<int>> fixed;
};

// The domains of the search's freedom before any rule narrows them: every candidate of a
// choice, every rail set the freedom offers a course.
Domains baseDomains(const Model& m, const Freedom& f);

// Narrows the domains under the rules m.rules[r] with active[r] set, until nothing changes;
// false when a domain runs empty or a rule breaks whatever the plan (no plan keeps all of them).
bool narrow(const Model& m, Domains& d, const std::vector<char>& active);

// Whether the student's choice i is one a course of his choices serves.
bool chooses(const Model& m, int student, int course);

} // namespace blocking
