#include "blocking/Search.h"

#include "blocking/Random.h"
#include "blocking/StudentSolver.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>

namespace blocking {

// ---------------------------------------------------------------------------------------------
// What may move

namespace {

// The rail sets (of rails not yet taken, among `pool` when given) whose hours take `hours`: as
// few rails as possible adding up exactly; failing that, the fewest covering them with the least
// to spare.
std::vector<RailSet> railSets(const Model& m, const RailSet& taken, int hours,
                              const RailSet* pool = nullptr) {
    std::vector<int> free;
    for (int r = 0; r < static_cast<int>(m.rails.size()); ++r)
        if (!taken.has(r) && m.rails[r].hours > 0 && (!pool || pool->has(r)))
            free.push_back(r);
    std::array<int, 3> best = {2, 4, 0}; // (not exact, rails, spare): smaller is better
    std::vector<RailSet> out;
    const auto consider = [&](const RailSet& s, int n, int sum) {
        if (sum < hours)
            return;
        const std::array<int, 3> key = {sum == hours ? 0 : 1, n, sum - hours};
        if (key < best) {
            best = key;
            out.clear();
        }
        if (key == best)
            out.push_back(s);
    };
    const int n = static_cast<int>(free.size());
    for (int i = 0; i < n; ++i)
        consider(RailSet::of(free[i]), 1, m.rails[free[i]].hours);
    const bool singleFits = best[0] == 0;
    for (int i = 0; i < n && !singleFits; ++i)
        for (int j = i + 1; j < n; ++j)
            consider(RailSet::of(free[i]) | RailSet::of(free[j]), 2,
                     m.rails[free[i]].hours + m.rails[free[j]].hours);
    const bool pairFits = best[0] == 0;
    for (int i = 0; i < n && !pairFits; ++i)
        for (int j = i + 1; j < n; ++j)
            for (int k = j + 1; k < n; ++k)
                consider(RailSet::of(free[i]) | RailSet::of(free[j]) | RailSet::of(free[k]), 3,
                         m.rails[free[i]].hours + m.rails[free[j]].hours + m.rails[free[k]].hours);
    return out;
}

} // namespace

Freedom freedom(const Model& m, Mode mode) {
    Freedom f;
    f.kept.resize(m.courses.size());
    f.options.resize(m.courses.size());
    for (size_t k = 0; k < m.courses.size(); ++k) {
        const Course& c = m.courses[k];
        const RailSet& now = m.placement.rails[k];
        f.kept[k] = now;
        if (!c.own || c.hours <= 0)
            continue;
        // A course on a rail its hours do not need keeps its fixed rails and takes the rest of
        // its hours from the others it stands on: the search chooses which rail it leaves.
        const bool surplus = onSurplusRail(m, m.placement, static_cast<int>(k));
        const RailSet kept = mode == Mode::All || surplus ? m.placement.fixed[k] : now;
        int rest = c.hours;
        kept.forEach([&](int r) { rest -= m.rails[r].hours; });
        if (rest <= 0) {
            f.kept[k] = kept;
            continue;
        }
        std::vector<RailSet> options =
            railSets(m, kept, rest, mode == Mode::Rest && surplus ? &now : nullptr);
        if (options.empty() && mode == Mode::Rest && surplus)
            continue; // more than three rails of its own would cover it: it stays as it stands
        if (options.empty()) {
            f.unplaceable << c.name;
            continue;
        }
        f.kept[k] = kept;
        f.options[k] = std::move(options);
    }
    return f;
}

// ---------------------------------------------------------------------------------------------
// The search

namespace {

// Weights of the annealing's energy, in units of the sum of squared course sizes: a collision
// outweighs everything, then a course beyond its limits and each student beyond them, then the
// largest difference.
constexpr double kCollisionWeight = 1000;
constexpr double kLimitWeight = 300;
constexpr double kDifferenceWeight = 30;
// In a student's own solve a limit outweighs any difference of sizes, and a course newly beyond
// its limits outweighs one more student in a course that is beyond them already.
constexpr std::int64_t kLimitCost = std::int64_t{1} << 20;
constexpr std::int64_t kOutsideCost = std::int64_t{1} << 26;

// The goals in their order; smaller is better.
struct Cost {
    int conflicts = 0;
    int outside = 0;      // courses beyond KS_MAX or short of KS_MIN, as the evaluation counts
    long long limits = 0; // students beyond KS_MAX or short of KS_MIN, summed over courses
    int difference = 0;
    long long squares = 0; // sum of squared sizes of the cohort's courses
    bool operator<(const Cost& o) const {
        if (conflicts != o.conflicts)
            return conflicts < o.conflicts;
        if (outside != o.outside)
            return outside < o.outside;
        if (limits != o.limits)
            return limits < o.limits;
        if (difference != o.difference)
            return difference < o.difference;
        return squares < o.squares;
    }
};

using Beyond = std::pair<int, std::int64_t>; // courses and students beyond their limits
Beyond sum(const Beyond& a, const Beyond& b) {
    return {a.first + b.first, a.second + b.second};
}

struct Snapshot {
    std::vector<int> option; // per course
    std::vector<int> assign; // per free choice
    Cost cost;
};

// The model in the form the chains read: every course's freedom, the students' free choices
// with their candidates, and who is touched when a course moves.
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
    std::vector<int> freeBegin;                 // per student, and one past the last
    std::vector<std::vector<int>> fixedCourses; // per student, each course once
    std::vector<std::vector<int>> touched;      // per course: students it may concern
    std::vector<int> freeStudent;               // per free choice
    std::vector<std::vector<int>> groupChoices; // per group: its free choices
    long long squareBound = 0;
    int differenceBound = 0;
    int movesPerRound = 64;

    Problem(const Model& model, Mode mode) : m(model), f(freedom(model, mode)) {
        courses = static_cast<int>(m.courses.size());
        students = static_cast<int>(m.students.size());
        family.assign(courses, -1);
        for (int k = 0; k < courses; ++k) {
            if (f.options[k].size() < 2)
                continue;
            movable.push_back(k);
            int fam = -1;
            for (size_t i = 0; i < families.size() && fam < 0; ++i)
                if (f.options[families[i][0]] == f.options[k])
                    fam = static_cast<int>(i);
            if (fam < 0) {
                fam = static_cast<int>(families.size());
                families.emplace_back();
            }
            families[fam].push_back(k);
            family[k] = fam;
        }
        touched.resize(courses);
        fixedCourses.resize(students);
        freeBegin.push_back(0);
        for (int s = 0; s < students; ++s) {
            const Student& st = m.students[s];
            std::vector<int>& fixed = fixedCourses[s];
            const auto addFixed = [&](int k) {
                if (k >= 0 && std::find(fixed.begin(), fixed.end(), k) == fixed.end())
                    fixed.push_back(k);
            };
            for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i) {
                const int t = m.choices[i].type;
                if (t < 0) {
                    addFixed(m.assignment[i]);
                    continue;
                }
                freeChoice.push_back(i);
                freeType.push_back(t);
                for (int k : m.types[t].candidates)
                    if (touched[k].empty() || touched[k].back() != s)
                        touched[k].push_back(s);
            }
            for (int k : st.fixedCourses)
                addFixed(k);
            for (int k : fixed)
                if (family[k] >= 0 && (touched[k].empty() || touched[k].back() != s))
                    touched[k].push_back(s);
            freeBegin.push_back(static_cast<int>(freeChoice.size()));
        }
        for (std::vector<int>& t : touched)
            std::sort(t.begin(), t.end());
        groupChoices.resize(m.groups.size());
        for (int s = 0; s < students; ++s)
            for (int f = freeBegin[s]; f < freeBegin[s + 1]; ++f) {
                freeStudent.push_back(s);
                const int g = m.courses[m.types[freeType[f]].candidates[0]].group;
                groupChoices[g].push_back(f);
            }
        for (const Group& g : m.groups) {
            squareBound += g.squareBound;
            differenceBound = std::max(differenceBound, g.differenceBound);
        }
        // Rounds of about the same work, whatever the school's size.
        movesPerRound =
            std::clamp(300000 / std::max<int>(1, static_cast<int>(freeChoice.size())), 8, 256);
    }

    RailSet railsOf(int k, int option) const {
        return option < 0 ? f.kept[k] : f.kept[k] | f.options[k][option];
    }
};

class Chain {
public:
    Chain(const Problem& p, std::uint64_t seed, int index)
        : p_(p), m_(p.m),
          random_(seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(index) + 1) {
        option_.assign(p.courses, -1);
        rails_.resize(p.courses);
        size_.assign(p.courses, 0);
        assign_.assign(p.freeChoice.size(), -1);
        conflicts_.assign(p.students, 0);
        collidingAt_.assign(p.students, -1);
        mark_.assign(p.students, 0);
        groupDiff_.assign(m_.groups.size(), 0);
        groupDirty_.assign(m_.groups.size(), 0);
        unevenAt_.assign(m_.groups.size(), -1);
        seen_.assign(p.courses, 0);
        from_.assign(p.courses, {-1, -1});
        railsScratch_.reserve(64);
        // The first chain starts from the placement as loaded, the others anywhere.
        for (int k : p.movable) {
            int o = -1;
            if (index == 0) {
                const RailSet rest = m_.placement.rails[k].without(p.f.kept[k]);
                const auto& opts = p.f.options[k];
                const auto it = std::find(opts.begin(), opts.end(), rest);
                if (it != opts.end())
                    o = static_cast<int>(it - opts.begin());
            }
            option_[k] = o >= 0 ? o : random_.below(static_cast<int>(p.f.options[k].size()));
        }
        for (int k = 0; k < p.courses; ++k) {
            if (p.family[k] < 0 && p.f.options[k].size() == 1)
                option_[k] = 0;
            rails_[k] = p.railsOf(k, option_[k]);
        }
        recount();
        std::vector<int> order(p.students);
        for (int s = 0; s < p.students; ++s)
            order[s] = s;
        random_.shuffle(order);
        for (int sweep = 0; sweep < 2; ++sweep)
            for (int s : order)
                resolve(s);
        refreshGroups();
        evenOutAll();
        energy_ = energy();
        best_ = snapshot();
        lastBetter_ = 0;
        startCycle(best_.cost.conflicts > 0);
    }

    const Snapshot& best() const { return best_; }
    long long moves() const { return moves_; }

    // Runs up to `moves` moves; stops early when stop() says so. global: the best plan of all
    // chains at the start of the round, where a chain that got stuck starts again.
    template <class Stop> void run(int moves, const Snapshot& global, Stop&& stop) {
        for (int i = 0; i < moves; ++i) {
            if ((i & 15) == 0 && stop())
                return;
            if (moves_ - lastBetter_ > stall()) {
                restart(global);
                continue;
            }
            step();
        }
    }

private:
    // Moves without a better plan before the chain starts again from the best one.
    long long stall() const { return 40LL * static_cast<long long>(p_.movable.size()) + 400; }
    // Moves over which the temperature falls from hot to cold.
    long long cycle() const { return 25LL * static_cast<long long>(p_.movable.size()) + 300; }

    void startCycle(bool colliding) {
        cycleStart_ = moves_;
        hot_ = colliding ? 0.3 * kCollisionWeight : 0.4 * kDifferenceWeight;
    }
    double temperature() const {
        const double t = static_cast<double>(moves_ - cycleStart_) / static_cast<double>(cycle());
        return t >= 1 ? 0.3 : hot_ * std::pow(0.3 / hot_, t);
    }

    // -------- bookkeeping of sizes, collisions, groups

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
    std::pair<int, std::int64_t> beyond(int k, int size) const {
        const std::int64_t e = excess(k, size);
        return {e > 0 ? 1 : 0, e};
    }

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

    void refreshGroups() {
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
            const bool uneven = squares > m_.groups[g].squareBound;
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

    void setConflicts(int s, int v) {
        conflictSum_ += v - conflicts_[s];
        conflicts_[s] = v;
        if (v > 0 && collidingAt_[s] < 0) {
            collidingAt_[s] = static_cast<int>(colliding_.size());
            colliding_.push_back(s);
        } else if (v == 0 && collidingAt_[s] >= 0) {
            const int last = colliding_.back();
            colliding_[collidingAt_[s]] = last;
            collidingAt_[last] = collidingAt_[s];
            colliding_.pop_back();
            collidingAt_[s] = -1;
        }
    }

    // Courses of the student that meet an earlier one on a rail (of the cohort's students every
    // such course; of others only the cohort's courses).
    int countConflicts(int s) const {
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

    void recount() {
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
            if (m_.courses[k].own && m_.courses[k].group >= 0 &&
                !groupDirty_[m_.courses[k].group]) {
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

    // -------- one student, solved exactly

    void resolve(int s) {
        const int b = p_.freeBegin[s];
        const int e = p_.freeBegin[s + 1];
        if (b == e) {
            setConflicts(s, countConflicts(s));
            return;
        }
        for (int f = b; f < e; ++f)
            if (assign_[f] >= 0)
                change(assign_[f], -1);
        RailSet occupied;
        for (int k : p_.fixedCourses[s])
            occupied |= rails_[k];
        rows_.clear();
        cands_.clear();
        for (int f = b; f < e; ++f) {
            rows_.push_back(static_cast<int>(cands_.size()));
            for (int k : m_.types[p_.freeType[f]].candidates) {
                const int size = size_[k];
                const auto [wasOut, was] = beyond(k, size);
                const auto [out, is] = beyond(k, size + 1);
                const std::int64_t cost =
                    2 * size + 1 + kOutsideCost * (out - wasOut) + kLimitCost * (is - was);
                cands_.push_back({k, cost, rails_[k]});
            }
        }
        rows_.push_back(static_cast<int>(cands_.size()));
        solver_.solve(rows_, cands_, occupied, chosen_);
        for (int f = b; f < e; ++f) {
            const int k = cands_[chosen_[f - b]].course;
            assign_[f] = k;
            change(k, +1);
        }
        setConflicts(s, countConflicts(s));
    }

    // Whether the student might do better now that course k stands elsewhere.
    bool concerned(int s, int k) const {
        if (conflicts_[s] > 0)
            return true;
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f) {
            const int a = assign_[f];
            if (a == k)
                return true;
            const auto& cand = m_.types[p_.freeType[f]].candidates;
            if (!std::binary_search(cand.begin(), cand.end(), k) || a < 0)
                continue;
            if (size_[a] >= size_[k] + 2 || excess(a, size_[a]) > 0 || excess(k, size_[k]) > 0)
                return true;
        }
        for (int c : p_.fixedCourses[s])
            if (c == k)
                return true;
        return false;
    }

    // -------- evening out a group along paths of students

    // Rails of the student's courses other than that of free choice `except`.
    RailSet otherRails(int s, int except) const {
        RailSet r;
        for (int k : p_.fixedCourses[s])
            r |= rails_[k];
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
            if (f != except && assign_[f] >= 0)
                r |= rails_[assign_[f]];
        return r;
    }

    // Moves students of a group from a large parallel course towards a small one, each into a
    // parallel on rails free for him, as long as that evens the sizes out: a student whose move
    // alone would change nothing (sizes 21 and 20) makes room for the next along the path.
    void evenOut(int g) {
        const std::vector<int>& courses = m_.groups[g].courses;
        if (courses.size() < 2)
            return;
        for (int round = 0; round < 64; ++round) {
            order_ = courses;
            std::sort(order_.begin(), order_.end(),
                      [&](int a, int b) { return size_[a] > size_[b]; });
            bool moved = false;
            for (int a : order_) {
                if (size_[a] < size_[order_.back()] + 2)
                    break;
                if (evenOutFrom(g, a)) {
                    moved = true;
                    break;
                }
            }
            if (!moved)
                return;
        }
    }

    bool evenOutFrom(int g, int a) {
        ++visit_;
        queue_.clear();
        queue_.push_back(a);
        seen_[a] = visit_;
        for (size_t q = 0; q < queue_.size(); ++q) {
            const int x = queue_[q];
            for (int f : p_.groupChoices[g]) {
                if (assign_[f] != x)
                    continue;
                const int s = p_.freeStudent[f];
                if (conflicts_[s] > 0)
                    continue;
                RailSet others;
                bool known = false;
                for (int y : m_.types[p_.freeType[f]].candidates) {
                    if (seen_[y] == visit_)
                        continue;
                    if (!known) {
                        others = otherRails(s, f);
                        known = true;
                    }
                    if (rails_[y].intersects(others))
                        continue;
                    seen_[y] = visit_;
                    from_[y] = {x, f};
                    const bool smaller = size_[y] + 2 <= size_[a];
                    if (smaller && sum(beyond(a, size_[a] - 1), beyond(y, size_[y] + 1)) <=
                                       sum(beyond(a, size_[a]), beyond(y, size_[y]))) {
                        shift(a, y);
                        return true;
                    }
                    queue_.push_back(y);
                }
            }
        }
        return false;
    }

    // Moves the students along the path found from a to b, last step first.
    void shift(int a, int b) {
        for (int y = b; y != a;) {
            const auto [x, f] = from_[y];
            remember(p_.freeStudent[f]);
            change(x, -1);
            assign_[f] = y;
            change(y, +1);
            y = x;
        }
    }

    // Evens out the groups that are uneven; what it changes is journalled with the move.
    void evenOutUneven() {
        work_ = uneven_;
        for (int g : work_)
            evenOut(g);
        refreshGroups();
    }

    void evenOutAll() {
        journal_.clear();
        old_.clear();
        evenOutUneven();
    }

    // -------- moves

    double energy() const {
        return kCollisionWeight * conflictSum_ +
               kLimitWeight * static_cast<double>(outside_ + limits_) +
               kDifferenceWeight * difference_ + static_cast<double>(squares_ - p_.squareBound);
    }
    Cost cost() const { return {conflictSum_, outside_, limits_, difference_, squares_}; }

    Snapshot snapshot() const { return {option_, assign_, cost()}; }

    void setOption(int k, int o) {
        option_[k] = o;
        rails_[k] = p_.railsOf(k, o);
    }

    int pickCourse() {
        if (conflictSum_ > 0 && !colliding_.empty() && random_.unit() < 0.8) {
            const int s = colliding_[random_.below(static_cast<int>(colliding_.size()))];
            pick_.clear();
            for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
                if (assign_[f] >= 0 && p_.family[assign_[f]] >= 0)
                    pick_.push_back(assign_[f]);
            for (int k : p_.fixedCourses[s])
                if (p_.family[k] >= 0)
                    pick_.push_back(k);
            if (!pick_.empty())
                return pick_[random_.below(static_cast<int>(pick_.size()))];
        }
        if (conflictSum_ == 0 && !uneven_.empty() && random_.unit() < 0.6) {
            const int g = uneven_[random_.below(static_cast<int>(uneven_.size()))];
            pick_.clear();
            for (int k : m_.groups[g].courses)
                if (p_.family[k] >= 0)
                    pick_.push_back(k);
            if (!pick_.empty())
                return pick_[random_.below(static_cast<int>(pick_.size()))];
        }
        return p_.movable[random_.below(static_cast<int>(p_.movable.size()))];
    }

    void touch(int k) {
        for (int s : p_.touched[k])
            if (mark_[s] != stamp_) {
                mark_[s] = stamp_;
                touchedNow_.push_back(s);
            }
    }

    void remember(int s) {
        journal_.push_back({s, conflicts_[s], static_cast<int>(old_.size())});
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
            old_.push_back(assign_[f]);
    }

    void undo() {
        for (auto it = journal_.rbegin(); it != journal_.rend(); ++it) {
            const int s = it->student;
            int o = it->offset;
            for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f, ++o) {
                if (assign_[f] >= 0)
                    change(assign_[f], -1);
                assign_[f] = old_[o];
                if (assign_[f] >= 0)
                    change(assign_[f], +1);
            }
            setConflicts(s, it->conflicts);
        }
    }

    // Moves one course to other rails, or swaps two courses' rails, re-solves the students it
    // concerns and keeps the result as the annealing decides.
    void step() {
        if (p_.movable.empty())
            return;
        ++moves_;
        const int k1 = pickCourse();
        int k2 = -1;
        const std::vector<int>& fam = p_.families[p_.family[k1]];
        if (fam.size() >= 2 && random_.unit() < 0.5) {
            const int other = fam[random_.below(static_cast<int>(fam.size()))];
            if (other != k1 && option_[other] != option_[k1])
                k2 = other;
        }
        const int o1 = option_[k1];
        const int o2 = k2 >= 0 ? option_[k2] : -1;
        int to = o2;
        if (k2 < 0) {
            // Any other rails of the course.
            to = random_.below(static_cast<int>(p_.f.options[k1].size()) - 1);
            if (to >= o1)
                ++to;
        }
        const double e = apply(k1, to, k2, o1);
        const double d = e - energy_;
        if (d <= 0 || random_.unit() < std::exp(-d / temperature())) {
            energy_ = e;
            const Cost c = cost();
            if (c < best_.cost) {
                best_ = snapshot();
                lastBetter_ = moves_;
            }
            return;
        }
        revert(k1, o1, k2, o2);
    }

    // Puts course k1 (and k2, unless -1) onto other rails and re-solves the students it
    // concerns; the energy after.
    double apply(int k1, int o1, int k2, int o2) {
        setOption(k1, o1);
        if (k2 >= 0)
            setOption(k2, o2);
        ++stamp_;
        touchedNow_.clear();
        touch(k1);
        if (k2 >= 0)
            touch(k2);
        journal_.clear();
        old_.clear();
        for (int s : touchedNow_) {
            if (!concerned(s, k1) && (k2 < 0 || !concerned(s, k2)))
                continue;
            remember(s);
            resolve(s);
        }
        refreshGroups();
        if (conflictSum_ == 0)
            evenOutUneven();
        return energy();
    }

    void revert(int k1, int o1, int k2, int o2) {
        undo();
        setOption(k1, o1);
        if (k2 >= 0)
            setOption(k2, o2);
        refreshGroups();
    }

    // Starts again from the best plan of all chains, shaken by a few random moves.
    void restart(const Snapshot& from) {
        option_ = from.option;
        for (int k = 0; k < p_.courses; ++k)
            rails_[k] = p_.railsOf(k, option_[k]);
        assign_ = from.assign;
        recount();
        const int shakes = 1 + random_.below(4);
        for (int i = 0; i < shakes && !p_.movable.empty(); ++i) {
            const int k = p_.movable[random_.below(static_cast<int>(p_.movable.size()))];
            setOption(k, random_.below(static_cast<int>(p_.f.options[k].size())));
            ++stamp_;
            touchedNow_.clear();
            touch(k);
            for (int s : touchedNow_)
                resolve(s);
        }
        refreshGroups();
        evenOutAll();
        energy_ = energy();
        lastBetter_ = moves_;
        if (from.cost < best_.cost)
            best_ = from;
        startCycle(from.cost.conflicts > 0);
    }

    struct Entry {
        int student;
        int conflicts;
        int offset;
    };

    const Problem& p_;
    const Model& m_;
    Random random_;
    std::vector<int> option_;
    std::vector<RailSet> rails_;
    std::vector<int> size_;
    std::vector<int> assign_;
    std::vector<int> conflicts_;
    std::vector<int> colliding_, collidingAt_;
    std::vector<int> groupDiff_;
    std::vector<char> groupDirty_;
    std::vector<int> dirtyGroups_;
    std::vector<int> uneven_, unevenAt_; // groups above their least sum of squares
    std::vector<int> order_, queue_, work_;
    std::vector<int> seen_;                 // per course: the search that reached it
    std::vector<std::pair<int, int>> from_; // per course: (course, free choice) it came from
    int visit_ = 0;
    int conflictSum_ = 0;
    long long limits_ = 0;
    int outside_ = 0;
    long long squares_ = 0;
    int difference_ = 0;
    double energy_ = 0;
    double hot_ = 1;
    long long moves_ = 0;
    long long lastBetter_ = 0;
    long long cycleStart_ = 0;
    Snapshot best_;

    std::vector<int> mark_;
    int stamp_ = 0;
    std::vector<int> touchedNow_;
    std::vector<Entry> journal_;
    std::vector<int> old_;
    std::vector<int> pick_;
    mutable std::vector<int> railsScratch_;

    StudentSolver solver_;
    std::vector<int> rows_;
    std::vector<StudentSolver::Candidate> cands_;
    std::vector<int> chosen_;
};

Placement placementOf(const Problem& p, const Snapshot& s) {
    Placement out;
    out.rails.resize(p.courses);
    out.fixed.resize(p.courses);
    for (int k = 0; k < p.courses; ++k) {
        out.rails[k] = p.railsOf(k, s.option[k]);
        out.fixed[k] = p.m.placement.fixed[k] & out.rails[k];
    }
    return out;
}

Assignment assignmentOf(const Problem& p, const Snapshot& s) {
    Assignment a = p.m.assignment;
    for (size_t f = 0; f < p.freeChoice.size(); ++f)
        a[p.freeChoice[f]] = s.assign[f];
    return a;
}

using Chains = std::vector<std::unique_ptr<Chain>>;

// One chain per thread. Each starts on its own thread: its first solve of every student is work
// already.
Chains startChains(const Problem& p, const Options& o) {
    int threads = o.threads > 0 ? o.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(1, threads);
    Chains chains(threads);
    std::vector<std::jthread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back([&, i] { chains[i] = std::make_unique<Chain>(p, o.seed, i); });
    chains[0] = std::make_unique<Chain>(p, o.seed, 0);
    return chains;
}

// One round: every chain moves on from the global best, on its own thread.
template <class Stop>
void runRound(Chains& chains, const Problem& p, const Snapshot& from, const Stop& stop) {
    std::vector<std::jthread> workers;
    for (size_t i = 1; i < chains.size(); ++i)
        workers.emplace_back([&, i] { chains[i]->run(p.movesPerRound, from, stop); });
    chains[0]->run(p.movesPerRound, from, stop);
}

// The best of the chains into global when one is better; whether one was.
bool takeBest(const Chains& chains, Snapshot& global) {
    bool better = false;
    for (const auto& c : chains)
        if (c->best().cost < global.cost) {
            global = c->best();
            better = true;
        }
    return better;
}

// The search's clock and limits, and what it tells while it runs: the times it reached a plan
// without collisions and an optimal one, and the progress reports.
class Watch {
public:
    Watch(const Model& m, const Options& o, Result& r)
        : m_(m), o_(o), r_(r), start_(Clock::now()),
          deadline_(start_ + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(o.seconds))) {}

    double elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
    bool cancelled() const { return o_.cancel && o_.cancel->load(std::memory_order_relaxed); }
    bool stop() const { return cancelled() || Clock::now() >= deadline_; }

    // A new best plan: notes the times it reached and reports it. Whether it is optimal.
    bool reached(const Problem& p, const Snapshot& global) {
        if (global.cost.conflicts == 0 && r_.secondsToCollisionFree < 0)
            r_.secondsToCollisionFree = elapsed();
        const bool optimal = isOptimal(p, global);
        if (optimal)
            r_.secondsToOptimal = elapsed();
        report(p, global, false);
        return optimal;
    }

    // At most ten times a second, and the last report always.
    void report(const Problem& p, const Snapshot& global, bool last) {
        const double now = elapsed();
        if (!o_.progress || (!last && now - lastReport_ < 0.1))
            return;
        lastReport_ = now;
        o_.progress({now, evaluate(m_, placementOf(p, global), assignmentOf(p, global))});
    }

private:
    using Clock = std::chrono::steady_clock;

    bool isOptimal(const Problem& p, const Snapshot& s) const {
        return s.cost.conflicts == 0 && s.cost.outside == 0 && s.cost.limits == 0 &&
               s.cost.squares <= p.squareBound && s.cost.difference <= p.differenceBound &&
               evaluate(m_, placementOf(p, s), assignmentOf(p, s)).optimal;
    }

    const Model& m_;
    const Options& o_;
    Result& r_;
    const Clock::time_point start_;
    const Clock::time_point deadline_;
    double lastReport_ = -1;
};

} // namespace

Result block(const Model& m, const Options& o) {
    Result r;
    Watch watch(m, o, r);
    r.before = evaluate(m);
    const Problem p(m, o.mode);
    Chains chains = startChains(p, o);
    Snapshot global = chains[0]->best();
    takeBest(chains, global);
    bool optimal = watch.reached(p, global);

    const auto stop = [&] { return watch.stop(); };
    // Without a course that may move, the chains' start is all there is.
    const bool fixed = p.movable.empty();
    for (long long round = 0; !fixed && !optimal && !stop() && (o.rounds <= 0 || round < o.rounds);
         ++round) {
        runRound(chains, p, global, stop);
        if (takeBest(chains, global))
            optimal = watch.reached(p, global);
    }
    r.cancelled = watch.cancelled();
    for (const auto& c : chains)
        r.moves += c->moves();
    r.placement = placementOf(p, global);
    r.assignment = assignmentOf(p, global);
    r.after = evaluate(m, r.placement, r.assignment);
    r.reasons = reasons(m, p.f, r.placement, r.assignment);
    r.seconds = watch.elapsed();
    watch.report(p, global, true);
    return r;
}

} // namespace blocking
