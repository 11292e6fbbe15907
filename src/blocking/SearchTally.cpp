#include "blocking/SearchTally.h"

#include <algorithm>

namespace blocking::search {

Tally::Tally(const Problem& p) : p_(p), m_(p.m) {
    option_.assign(p.courses, -1);
    rails_.resize(p.courses);
    size_.assign(p.courses, 0);
    assign_.assign(p.freeChoice.size(), -1);
    conflicts_.assign(p.students, 0);
    collidingAt_.assign(p.students, -1);
    groupDiff_.assign(m_.groups.size(), 0);
    groupDirty_.assign(m_.groups.size(), 0);
    unevenAt_.assign(m_.groups.size(), -1);
    railsScratch_.reserve(64);
    railCount_ = static_cast<int>(m_.rails.size());
    const size_t cells = static_cast<size_t>(m_.teachers.size()) * railCount_;
    teacherLoad_.assign(cells, 0);
    teacherOwn_.assign(cells, 0);
    teacherClash_.assign(m_.teachers.size(), 0);
    clashing_.at.assign(m_.teachers.size(), -1);
    broken_.at.assign(m_.rules.size(), -1);
    changedChoices_.assign(p.students, 0);
    tiesBroken_.assign(p.students, 0);
    untied_.at.assign(p.students, -1);
    recountChanges();
}

void Tally::recountChanges() {
    if (!p_.keep)
        return;
    std::fill(changedChoices_.begin(), changedChoices_.end(), 0);
    changedSum_ = 0;
    movedSum_ = 0;
    for (size_t f = 0; f < assign_.size(); ++f)
        if (p_.changes(static_cast<int>(f), assign_[f]) &&
            changedChoices_[p_.freeStudent[f]]++ == 0)
            ++changedSum_;
    for (int k = 0; k < p_.courses; ++k)
        movedSum_ += moved(k);
}

void Tally::IndexList::set(int i, bool in) {
    if (in && at[i] < 0) {
        at[i] = static_cast<int>(items.size());
        items.push_back(i);
    } else if (!in && at[i] >= 0) {
        const int last = items.back();
        items[at[i]] = last;
        at[last] = at[i];
        items.pop_back();
        at[i] = -1;
    }
}

void Tally::teach(int k, int d) {
    const int t = m_.courses[k].teacher;
    const int own = m_.courses[k].own ? d : 0;
    rails_[k].forEach([&](int r) {
        const int cell = t * railCount_ + r;
        const int before = teacherClash(cell);
        teacherLoad_[cell] += d;
        teacherOwn_[cell] += own;
        const int change = teacherClash(cell) - before;
        teacherClash_[t] += change;
        teacherSum_ += change;
    });
    clashing_.set(t, teacherClash_[t] > 0);
}

void Tally::recountTeachers() {
    std::fill(teacherLoad_.begin(), teacherLoad_.end(), 0);
    std::fill(teacherOwn_.begin(), teacherOwn_.end(), 0);
    std::fill(teacherClash_.begin(), teacherClash_.end(), 0);
    teacherSum_ = 0;
    for (int k = 0; k < p_.courses; ++k)
        if (m_.courses[k].teacher >= 0)
            teach(k, +1);
    for (int t = 0; t < static_cast<int>(teacherClash_.size()); ++t)
        clashing_.set(t, teacherClash_[t] > 0);
}

void Tally::restore(const Snapshot& s) {
    option_ = s.option;
    for (int k = 0; k < p_.courses; ++k)
        rails_[k] = p_.railsOf(k, option_[k]);
    assign_ = s.assign;
    recount();
}

void Tally::refreshGroups() {
    for (int g : dirtyGroups_) {
        groupDirty_[g] = 0;
        const std::vector<int>& cs = m_.groups[g].courses;
        int lo = size_[cs[0]];
        int hi = lo;
        long long squares = 0;
        for (int k : cs) {
            lo = std::min(lo, size_[k]);
            hi = std::max(hi, size_[k]);
            squares += static_cast<long long>(size_[k]) * size_[k];
        }
        groupDiff_[g] = hi - lo;
        const bool uneven = squares > p_.groupSquares[g];
        if (uneven && unevenAt_[g] < 0) {
            unevenAt_[g] = static_cast<int>(uneven_.size());
            uneven_.push_back(g);
        } else if (!uneven && unevenAt_[g] >= 0) {
            const int last = uneven_.back();
            uneven_[unevenAt_[g]] = last;
            unevenAt_[last] = unevenAt_[g];
            uneven_.pop_back();
            unevenAt_[g] = -1;
        }
    }
    dirtyGroups_.clear();
    difference_ = 0;
    for (int d : groupDiff_)
        difference_ = std::max(difference_, d);
}

int Tally::brokenTies(int s) const {
    int n = 0;
    for (const Problem::Tie& tie : p_.ties[s]) {
        const int q = tie.partner;
        bool broken = false;
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1] && !broken; ++f)
            for (int g = p_.freeBegin[q]; g < p_.freeBegin[q + 1] && !broken; ++g)
                broken = tie.together ? p_.freeType[f] == p_.freeType[g] && assign_[f] != assign_[g]
                                      : assign_[f] >= 0 && assign_[f] == assign_[g];
        // Apart also in the courses neither can leave.
        for (int k : p_.fixedCourses[s])
            broken = broken || (!tie.together &&
                                (std::find(p_.fixedCourses[q].begin(), p_.fixedCourses[q].end(),
                                           k) != p_.fixedCourses[q].end()));
        n += broken ? 1 : 0;
    }
    return n;
}

void Tally::checkTies(int s) {
    const auto check = [&](int t) {
        const int n = brokenTies(t);
        tieSum_ += n - tiesBroken_[t];
        tiesBroken_[t] = n;
        untied_.set(t, n > 0);
    };
    check(s);
    for (int t : p_.followers[s])
        check(t);
}

void Tally::setConflicts(int s, int v) {
    if (p_.tied[s])
        checkTies(s);
    // A student the bounds prove to collide counts beyond his first collision only, and after
    // everybody else's.
    if (p_.forced[s])
        extraSum_ += std::max(0, v - 1) - std::max(0, conflicts_[s] - 1);
    else
        conflictSum_ += v - conflicts_[s];
    conflicts_[s] = v;
    const bool in = v > (p_.forced[s] ? 1 : 0);
    if (in && collidingAt_[s] < 0) {
        collidingAt_[s] = static_cast<int>(colliding_.size());
        colliding_.push_back(s);
    } else if (!in && collidingAt_[s] >= 0) {
        const int last = colliding_.back();
        colliding_[collidingAt_[s]] = last;
        collidingAt_[last] = collidingAt_[s];
        colliding_.pop_back();
        collidingAt_[s] = -1;
    }
}

int Tally::countConflicts(int s) const {
    std::vector<int>& list = railsScratch_;
    list = p_.fixedCourses[s];
    for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f) {
        const int k = assign_[f];
        if (k >= 0 && std::find(list.begin(), list.end(), k) == list.end())
            list.push_back(k);
    }
    int n = 0;
    if (m_.students[s].own) {
        RailSet seen;
        for (int k : list) {
            if (rails_[k].intersects(seen))
                ++n;
            seen |= rails_[k];
        }
        return n;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (!m_.courses[list[i]].own)
            continue;
        for (size_t j = 0; j < list.size(); ++j)
            if (j != i && rails_[list[i]].intersects(rails_[list[j]])) {
                ++n;
                break;
            }
    }
    return n;
}

void Tally::recount() {
    recountTeachers();
    recountChanges();
    for (int r : p_.placementRules)
        checkRule(r);
    std::fill(size_.begin(), size_.end(), 0);
    squares_ = 0;
    limits_ = 0;
    outside_ = 0;
    for (int k = 0; k < p_.courses; ++k) {
        size_[k] = m_.courses[k].fixedLoad;
        if (m_.courses[k].own) {
            squares_ += static_cast<long long>(size_[k]) * size_[k];
            limits_ += excess(k, size_[k]);
            outside_ += excess(k, size_[k]) > 0 ? 1 : 0;
        }
    }
    for (int k = 0; k < p_.courses; ++k)
        if (m_.courses[k].own && m_.courses[k].group >= 0 && !groupDirty_[m_.courses[k].group]) {
            groupDirty_[m_.courses[k].group] = 1;
            dirtyGroups_.push_back(m_.courses[k].group);
        }
    for (size_t f = 0; f < assign_.size(); ++f)
        if (assign_[f] >= 0)
            change(assign_[f], +1);
    for (int s = 0; s < p_.students; ++s)
        setConflicts(s, countConflicts(s));
    refreshGroups();
}

} // namespace blocking::search
