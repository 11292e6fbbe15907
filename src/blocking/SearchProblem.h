#pragma once

#include "blocking/Search.h"

#include <vector>

// The parts of the search's chains (Problem, Tally, Moves, Annealing, Chain): internal to
// Search.cpp, in headers of their own so that each part can be read alone.
namespace blocking::search {

// The goals in their order; smaller is better.
struct Cost {
    int rules = 0;     // the planner's rules the plan breaks (on placements, students tied)
    int teachers = 0;  // courses of one teacher on one rail beyond the first
    int conflicts = 0; // of students that may be free of them
    // "Wenig ändern" only (0 otherwise): students in another course than the stored plan has
    // for one of their choices, and courses standing on other rails than stored.
    int changed = 0;
    int moved = 0;
    int outside = 0;      // courses beyond KS_MAX or short of KS_MIN, as the evaluation counts
    long long limits = 0; // students beyond KS_MAX or short of KS_MIN, summed over courses
    int difference = 0;
    long long squares = 0; // sum of squared sizes of the cohort's courses
    // Collisions of students who collide in every plan, beyond the first of each: what the
    // evaluation does not count, and so last.
    int extra = 0;
    bool operator<(const Cost& o) const {
        if (rules != o.rules)
            return rules < o.rules;
        if (teachers != o.teachers)
            return teachers < o.teachers;
        if (conflicts != o.conflicts)
            return conflicts < o.conflicts;
        if (changed != o.changed)
            return changed < o.changed;
        if (moved != o.moved)
            return moved < o.moved;
        if (outside != o.outside)
            return outside < o.outside;
        if (limits != o.limits)
            return limits < o.limits;
        if (difference != o.difference)
            return difference < o.difference;
        if (squares != o.squares)
            return squares < o.squares;
        return extra < o.extra;
    }
};

// A chain's plan as it is kept and handed between chains: per course its option of rails, per
// free choice its course, and what the plan costs.
struct Snapshot {
    std::vector<int> option; // per course
    std::vector<int> assign; // per free choice
    Cost cost;
};

// The model in the form the chains read: every course's freedom, the students' free choices
// with their candidates, and who is touched when a course moves. Built once per search and
// shared read-only by all chains.
struct Problem {
    const Model& m;
    Freedom f;
    int courses = 0;
    int students = 0;
    std::vector<int> movable;               // courses with a choice of rails
    std::vector<std::vector<int>> families; // movable courses with the same options
    std::vector<int> family;                // per course, -1: not movable
    std::vector<int> freeChoice;            // per free choice: the model's choice
    std::vector<int> freeType;
    std::vector<int> freeBegin;                   // per student, and one past the last
    std::vector<std::vector<int>> fixedCourses;   // per student, each course once
    std::vector<std::vector<int>> touched;        // per course: students it may concern
    std::vector<int> freeStudent;                 // per free choice
    std::vector<std::vector<int>> groupChoices;   // per group: its free choices
    std::vector<std::vector<int>> teacherMovable; // per teacher: his movable courses
    // The rules on placements (courses together, apart, parallels apart) as indexes into
    // m.rules, and per course those that name it.
    std::vector<int> placementRules;
    std::vector<std::vector<int>> rulesOf;
    // Per free choice the courses it may take: its type's candidates, or fewer where a rule
    // keeps the student in a course or out of one.
    const std::vector<int>& candidates(int f) const {
        return restrictedAt[f] < 0 ? m.types[freeType[f]].candidates : restricted[restrictedAt[f]];
    }
    std::vector<int> restrictedAt;
    std::vector<std::vector<int>> restricted;
    // Students a rule ties to another: per student the partners whose courses his follow
    // (students together) or avoid (apart), and per student those that follow him. A tied
    // student is solved after his partner and never moved to even out sizes.
    struct Tie {
        int partner = -1;
        bool together = true;
    };
    std::vector<std::vector<Tie>> ties;
    std::vector<std::vector<int>> followers;
    std::vector<char> tied;
    long long squareBound = 0;
    int differenceBound = 0;
    std::vector<long long> groupSquares; // per group: its least sum of squared sizes
    std::vector<char> forced;            // per student: the bounds prove he collides
    // Per free choice the course it has in the model: among equally good courses it stays.
    std::vector<int> current;
    int movesPerRound = 64;
    // "Wenig ändern": the stored plan is the goal. Per free choice its stored course where the
    // choice may keep it, else -1 (a new choice, or one whose course no longer serves it: it
    // changes anyway and is not counted).
    bool keep = false;
    std::vector<int> storedCourse;
    bool changes(int f, int k) const {
        return keep && storedCourse[f] >= 0 && k != storedCourse[f];
    }

    Problem(const Model& model, Mode mode, const FigureBounds& bounds);
    // Whether the placement rule m.rules[r] holds with the courses' rails as given.
    template <class RailsOf> bool holds(int r, const RailsOf& rails) const;
    // Takes the planner's rules into the problem (part of the constructor).
    void takeFamilies();
    void takeStudents();
    void takeRules();

    RailSet railsOf(int k, int option) const {
        return option < 0 ? f.kept[k] : f.kept[k] | f.options[k][option];
    }
};

template <class RailsOf> bool Problem::holds(int r, const RailsOf& rails) const {
    const PlanRule& rule = m.rules[r];
    switch (rule.kind) {
    case RuleKind::CoursesTogether:
        return rails(rule.first) == rails(rule.second);
    case RuleKind::CoursesApart:
        return !rails(rule.first).intersects(rails(rule.second));
    case RuleKind::ParallelsApart:
        for (size_t i = 0; i < rule.courses.size(); ++i)
            for (size_t j = i + 1; j < rule.courses.size(); ++j)
                if (rails(rule.courses[i]).intersects(rails(rule.courses[j])))
                    return false;
        return true;
    default:
        return true;
    }
}

// A snapshot as the model's placement and assignment.
Placement placementOf(const Problem& p, const Snapshot& s);
Assignment assignmentOf(const Problem& p, const Snapshot& s);

} // namespace blocking::search
