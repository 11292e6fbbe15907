#pragma once

#include "blocking/SearchProblem.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace blocking::search {

using Beyond = std::pair<int, std::int64_t>; // courses and students beyond their limits
inline Beyond sum(const Beyond& a, const Beyond& b) {
    return {a.first + b.first, a.second + b.second};
}

// A chain's bookkeeping: its current plan (each course's option of rails, each free choice's
// course) and the counts its cost is made of, kept up to date move by move instead of counted
// afresh: course sizes, the sum of their squares, courses and students beyond their limits,
// each student's collisions, each group's largest difference, and the lists of colliding
// students and uneven groups that the moves pick from.
//
// It does not keep itself consistent on its own: whoever sets a free choice's course calls
// change() for the course left and the one taken, and setConflicts() once the student is done;
// groups changed since are brought up to date by refreshGroups(). The order of these calls
// orders the lists, and with them the chain's random picks.
class Tally {
public:
    explicit Tally(const Problem& p);

    // -------- the plan

    int option(int k) const { return option_[k]; }
    const RailSet& rails(int k) const { return rails_[k]; }
    int assigned(int f) const { return assign_[f]; }
    void setOption(int k, int o) {
        const bool taught = m_.courses[k].teacher >= 0;
        if (taught)
            teach(k, -1);
        option_[k] = o;
        if (p_.keep)
            movedSum_ -= moved(k);
        rails_[k] = p_.railsOf(k, o);
        if (p_.keep)
            movedSum_ += moved(k);
        if (taught)
            teach(k, +1);
        for (int r : p_.rulesOf[k])
            checkRule(r);
    }
    // Sets a free choice's course; the counts follow only by change().
    void setAssigned(int f, int k) {
        if (p_.keep)
            countChange(f, k);
        assign_[f] = k;
    }
    // Takes over a snapshot's plan and counts everything afresh.
    void restore(const Snapshot& s);
    Snapshot snapshot() const { return {option_, assign_, cost()}; }

    // -------- the counts

    int size(int k) const { return size_[k]; }
    int conflicts(int s) const { return conflicts_[s]; }
    // Whether the student collides more than the bounds prove he must.
    bool avoidable(int s) const { return collidingAt_[s] >= 0; }
    // The collisions of students that may be free of them.
    int conflictSum() const { return conflictSum_; }
    // The collisions of students the bounds prove to collide, beyond the first of each.
    int extraConflicts() const { return extraSum_; }
    int outside() const { return outside_; }
    long long limits() const { return limits_; }
    long long squares() const { return squares_; }
    int difference() const { return difference_; }
    const std::vector<int>& colliding() const { return colliding_; } // avoidable()
    const std::vector<int>& uneven() const { return uneven_; }       // above their least squares
    int teacherClashes() const { return teacherSum_; }
    // Courses of teacher t on rail r, of either cohort.
    int teacherLoad(int t, int r) const { return teacherLoad_[t * railCount_ + r]; }
    // Broken rules on placements, and students' ties (together, apart) broken.
    int ruleViolations() const { return static_cast<int>(broken_.items.size()) + tieSum_; }
    const std::vector<int>& brokenRules() const { return broken_.items; } // indexes of m.rules
    const std::vector<int>& untied() const { return untied_.items; }      // students, as followers
    const std::vector<int>& clashingTeachers() const { return clashing_.items; }
    int changedStudents() const { return changedSum_; }
    int movedCourses() const { return movedSum_; }
    Cost cost() const {
        return {ruleViolations(), teacherSum_, conflictSum_, changedSum_, movedSum_,
                outside_,         limits_,     difference_,  squares_,    extraSum_};
    }

    // Students beyond the limits of course k at that size.
    std::int64_t excess(int k, int size) const {
        const Course& c = m_.courses[k];
        std::int64_t e = 0;
        if (c.max > 0 && size > c.max)
            e += size - c.max;
        if (c.min > 0 && size < c.min)
            e += c.min - size;
        return e;
    }
    // Beyond its limits at that size: counted as courses first, then as students.
    Beyond beyond(int k, int size) const {
        const std::int64_t e = excess(k, size);
        return {e > 0 ? 1 : 0, e};
    }

    // Course k gains (d = +1) or loses (-1) a student.
    void change(int k, int d) {
        const int before = size_[k];
        const int after = before + d;
        size_[k] = after;
        if (!m_.courses[k].own)
            return;
        squares_ += static_cast<long long>(after) * after - static_cast<long long>(before) * before;
        limits_ += excess(k, after) - excess(k, before);
        outside_ += (excess(k, after) > 0 ? 1 : 0) - (excess(k, before) > 0 ? 1 : 0);
        const int g = m_.courses[k].group;
        if (!groupDirty_[g]) {
            groupDirty_[g] = 1;
            dirtyGroups_.push_back(g);
        }
    }
    void setConflicts(int s, int v);
    // Courses of the student that meet an earlier one on a rail (of the cohort's students every
    // such course; of others only the cohort's courses).
    int countConflicts(int s) const;
    // The differences and the uneven groups, for the groups changed since.
    void refreshGroups();
    // Every count afresh from the plan.
    void recount();

private:
    // A set of indexes that can be listed and picked from, each in it once.
    struct IndexList {
        std::vector<int> items, at;
        void set(int i, bool in);
    };
    // Course k's teacher takes (d = +1) or leaves (-1) its rails; his clashes follow.
    void teach(int k, int d);
    int teacherClash(int cell) const {
        return teacherOwn_[cell] > 0 && teacherLoad_[cell] > 1 ? teacherLoad_[cell] - 1 : 0;
    }
    void recountTeachers();
    // "Wenig ändern": free choice f about to take course k; the changed students follow.
    void countChange(int f, int k) {
        const int before = p_.changes(f, assign_[f]) ? 1 : 0;
        const int after = p_.changes(f, k) ? 1 : 0;
        if (before == after)
            return;
        int& n = changedChoices_[p_.freeStudent[f]];
        changedSum_ -= n > 0 ? 1 : 0;
        n += after - before;
        changedSum_ += n > 0 ? 1 : 0;
    }
    // A course of the stored plan on other rails now (courses it left unplaced do not count).
    int moved(int k) const {
        const RailSet& stored = m_.placement.rails[k];
        return !stored.empty() && rails_[k] != stored ? 1 : 0;
    }
    void recountChanges();
    // The ties of student s to his partners, and those of his followers to him, against their
    // courses now.
    void checkTies(int s);
    int brokenTies(int s) const;
    void checkRule(int r) {
        broken_.set(r, !p_.holds(r, [this](int k) -> const RailSet& { return rails_[k]; }));
    }

    const Problem& p_;
    const Model& m_;
    std::vector<int> option_;
    std::vector<RailSet> rails_;
    std::vector<int> assign_;
    std::vector<int> size_;
    std::vector<int> conflicts_;
    std::vector<int> colliding_, collidingAt_;
    std::vector<int> groupDiff_;
    std::vector<char> groupDirty_;
    std::vector<int> dirtyGroups_;
    std::vector<int> uneven_, unevenAt_;
    int conflictSum_ = 0;
    int extraSum_ = 0;
    long long limits_ = 0;
    int outside_ = 0;
    long long squares_ = 0;
    int difference_ = 0;
    mutable std::vector<int> railsScratch_;
    // Per teacher and rail (teacher * rails + rail): his courses there, and of them the cohort's;
    // per teacher his clashes, and the teachers that have some.
    int railCount_ = 0;
    std::vector<int> teacherLoad_, teacherOwn_, teacherClash_;
    IndexList clashing_;
    IndexList broken_;                // placement rules the plan breaks
    std::vector<int> changedChoices_; // per student, "Wenig ändern" only
    int changedSum_ = 0;
    int movedSum_ = 0;
    int teacherSum_ = 0;
    std::vector<int> tiesBroken_; // per student: his ties to partners that are broken
    IndexList untied_;
    int tieSum_ = 0;
};

} // namespace blocking::search
