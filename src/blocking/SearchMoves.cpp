#include "blocking/SearchMoves.h"

#include <algorithm>

namespace blocking::search {

namespace {

// In a student's own solve a limit outweighs any difference of sizes, and a course newly beyond
// its limits outweighs one more student in a course that is beyond them already.
constexpr std::int64_t kLimitCost = std::int64_t{1} << 20;
constexpr std::int64_t kOutsideCost = std::int64_t{1} << 26;
// In "Wenig ändern" each choice leaving its stored course outweighs all of that; the choices of
// one student together stay below a collision.
constexpr std::int64_t kChangeCost = std::int64_t{1} << 33;

} // namespace

Moves::Moves(const Problem& p, Tally& t, Random& random)
    : p_(p), m_(p.m), t_(t), random_(random),
      bound_(!p.m.teachers.empty() || !p.placementRules.empty()) {
    mark_.assign(p.students, 0);
    seen_.assign(p.courses, 0);
    from_.assign(p.courses, {-1, -1});
    side_.assign(p.courses, {-1, -1});
}

// -------- one student, solved exactly

void Moves::resolve(int s, bool journal, int depth) {
    solve(s);
    // Ties may run in a circle (two rules on one pair): a few steps along them are enough.
    if (depth >= 4)
        return;
    for (int t : p_.followers[s]) {
        if (journal)
            remember(t);
        resolve(t, journal, depth + 1);
    }
}

bool Moves::allowed(int s, int f, int k) const {
    for (const Problem::Tie& tie : p_.ties[s]) {
        bool partnerIn = false;    // the partner sits in k
        bool partnerChose = false; // and chose the same subject and kind
        int partnerCourse = -1;
        for (int g = p_.freeBegin[tie.partner]; g < p_.freeBegin[tie.partner + 1]; ++g) {
            partnerIn = partnerIn || t_.assigned(g) == k;
            if (p_.freeType[g] == p_.freeType[f]) {
                partnerChose = true;
                partnerCourse = t_.assigned(g);
            }
        }
        if (tie.together && partnerChose && partnerCourse >= 0 && partnerCourse != k)
            return false;
        if (!tie.together && partnerIn)
            return false;
    }
    return true;
}

void Moves::solve(int s) {
    const int b = p_.freeBegin[s];
    const int e = p_.freeBegin[s + 1];
    if (b == e) {
        t_.setConflicts(s, t_.countConflicts(s));
        return;
    }
    for (int f = b; f < e; ++f)
        if (t_.assigned(f) >= 0)
            t_.change(t_.assigned(f), -1);
    RailSet occupied;
    for (int k : p_.fixedCourses[s])
        occupied |= t_.rails(k);
    rows_.clear();
    cands_.clear();
    for (int f = b; f < e; ++f) {
        rows_.push_back(static_cast<int>(cands_.size()));
        const std::vector<int>& all = p_.candidates(f);
        // A tie the candidates cannot keep leaves them all; the evaluation names the rule.
        const bool ruled = !p_.ties[s].empty() && std::any_of(all.begin(), all.end(), [&](int k) {
            return allowed(s, f, k);
        });
        for (int k : all) {
            if (ruled && !allowed(s, f, k))
                continue;
            const int size = t_.size(k);
            const auto [wasOut, was] = t_.beyond(k, size);
            const auto [out, is] = t_.beyond(k, size + 1);
            // Twice what the course's squares grow by; polishing, one more for leaving his course.
            const std::int64_t cost = 2 * (2 * size + 1) +
                                      (polishing_ && k != p_.current[f] ? 1 : 0) +
                                      kOutsideCost * (out - wasOut) + kLimitCost * (is - was) +
                                      (p_.changes(f, k) ? kChangeCost : 0);
            cands_.push_back({k, cost, t_.rails(k)});
        }
    }
    rows_.push_back(static_cast<int>(cands_.size()));
    solver_.solve(rows_, cands_, occupied, chosen_);
    for (int f = b; f < e; ++f) {
        const int k = cands_[chosen_[f - b]].course;
        t_.setAssigned(f, k);
        t_.change(k, +1);
    }
    t_.setConflicts(s, t_.countConflicts(s));
}

bool Moves::concerned(int s, int k) const {
    if (t_.avoidable(s))
        return true;
    for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f) {
        const int a = t_.assigned(f);
        if (a == k)
            return true;
        const auto& cand = p_.candidates(f);
        if (!std::binary_search(cand.begin(), cand.end(), k) || a < 0)
            continue;
        if (t_.size(a) >= t_.size(k) + 2 || t_.excess(a, t_.size(a)) > 0 ||
            t_.excess(k, t_.size(k)) > 0)
            return true;
    }
    for (int c : p_.fixedCourses[s])
        if (c == k)
            return true;
    return false;
}

// -------- evening out a group along paths of students

// Rails of the student's courses other than that of free choice `except`.
RailSet Moves::otherRails(int s, int except) const {
    RailSet r;
    for (int k : p_.fixedCourses[s])
        r |= t_.rails(k);
    for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
        if (f != except && t_.assigned(f) >= 0)
            r |= t_.rails(t_.assigned(f));
    return r;
}

// Moves students of a group from a large parallel course towards a small one, each into a
// parallel on rails free for him, as long as that evens the sizes out: a student whose move
// alone would change nothing (sizes 21 and 20) makes room for the next along the path.
void Moves::evenOut(int g) {
    const std::vector<int>& courses = m_.groups[g].courses;
    if (courses.size() < 2)
        return;
    for (int round = 0; round < 64; ++round) {
        order_ = courses;
        std::sort(order_.begin(), order_.end(),
                  [&](int a, int b) { return t_.size(a) > t_.size(b); });
        bool moved = false;
        for (int a : order_) {
            if (t_.size(a) < t_.size(order_.back()) + 2)
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

bool Moves::evenOutFrom(int g, int a) {
    ++visit_;
    queue_.clear();
    queue_.push_back(a);
    seen_[a] = visit_;
    for (size_t q = 0; q < queue_.size(); ++q) {
        const int x = queue_[q];
        for (int f : p_.groupChoices[g]) {
            if (t_.assigned(f) != x)
                continue;
            const int s = p_.freeStudent[f];
            // Sizes are not worth a change of the stored plan.
            if (t_.avoidable(s) || p_.tied[s] || (p_.keep && p_.storedCourse[f] == x))
                continue;
            RailSet others;
            bool known = false;
            for (int y : p_.candidates(f)) {
                if (seen_[y] == visit_)
                    continue;
                if (!known) {
                    others = otherRails(s, f);
                    known = true;
                }
                std::pair<int, int> side{-1, -1};
                if (t_.rails(y).intersects(others) && !sideStep(s, f, y, side))
                    continue;
                seen_[y] = visit_;
                from_[y] = {x, f};
                side_[y] = side;
                const bool smaller = t_.size(y) + 2 <= t_.size(a);
                if (smaller && sum(t_.beyond(a, t_.size(a) - 1), t_.beyond(y, t_.size(y) + 1)) <=
                                   sum(t_.beyond(a, t_.size(a)), t_.beyond(y, t_.size(y)))) {
                    shift(a, y);
                    return true;
                }
                queue_.push_back(y);
            }
        }
    }
    return false;
}

// Whether student s can leave the course of his free choice e that stands in the way of course
// y for his free choice f, for a parallel on free rails no larger than the one he leaves: the
// other group gets no more uneven. side: (e, that parallel).
bool Moves::sideStep(int s, int f, int y, std::pair<int, int>& side) const {
    const RailSet target = t_.rails(y);
    RailSet rest;
    for (int k : p_.fixedCourses[s])
        rest |= t_.rails(k);
    int e = -1;
    for (int g = p_.freeBegin[s]; g < p_.freeBegin[s + 1]; ++g) {
        const int k = t_.assigned(g);
        if (g == f || k < 0)
            continue;
        if (!t_.rails(k).intersects(target)) {
            rest |= t_.rails(k);
        } else if (e >= 0) {
            return false;
        } else {
            e = g;
        }
    }
    if (e < 0 || rest.intersects(target) || (p_.keep && p_.storedCourse[e] == t_.assigned(e)))
        return false;
    const int c = t_.assigned(e);
    rest |= target;
    for (int k : p_.candidates(e))
        if (k != c && t_.size(k) + 1 <= t_.size(c) && !t_.rails(k).intersects(rest) &&
            sum(t_.beyond(c, t_.size(c) - 1), t_.beyond(k, t_.size(k) + 1)) <=
                sum(t_.beyond(c, t_.size(c)), t_.beyond(k, t_.size(k)))) {
            side = {e, k};
            return true;
        }
    return false;
}

// Moves the students along the path found from a to b, last step first.
void Moves::shift(int a, int b) {
    for (int y = b; y != a;) {
        const auto [x, f] = from_[y];
        remember(p_.freeStudent[f]);
        if (const auto [e, k] = side_[y]; e >= 0) {
            t_.change(t_.assigned(e), -1);
            t_.setAssigned(e, k);
            t_.change(k, +1);
        }
        t_.change(x, -1);
        t_.setAssigned(f, y);
        t_.change(y, +1);
        y = x;
    }
}

// Evens out the groups that are uneven; what it changes is journalled with the move.
void Moves::evenOutUneven() {
    work_ = t_.uneven();
    for (int g : work_)
        evenOut(g);
    t_.refreshGroups();
}

void Moves::evenOutAll() {
    journal_.clear();
    old_.clear();
    evenOutUneven();
}

void Moves::polish() {
    polishing_ = true;
    for (int s = 0; s < p_.students; ++s) {
        bool moved = false;
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
            moved = moved || t_.assigned(f) != p_.current[f];
        if (!moved || p_.tied[s])
            continue;
        const Cost before = t_.cost();
        journal_.clear();
        old_.clear();
        remember(s);
        solve(s);
        t_.refreshGroups();
        if (before < t_.cost()) {
            undoStudents();
            t_.refreshGroups();
        }
    }
    polishing_ = false;
}

// -------- moves

int Moves::pickCourse() {
    // A broken rule first: one of its courses that may move.
    if (!t_.brokenRules().empty() && random_.unit() < 0.5) {
        const std::vector<int>& broken = t_.brokenRules();
        const PlanRule& r = m_.rules[broken[random_.below(static_cast<int>(broken.size()))]];
        pick_ = r.courses;
        if (r.kind != RuleKind::ParallelsApart)
            pick_ = {r.first, r.second};
        std::erase_if(pick_, [&](int k) { return p_.family[k] < 0; });
        if (!pick_.empty())
            return pick_[random_.below(static_cast<int>(pick_.size()))];
    }
    // A broken tie of two students: a course of the one who follows the other, so that both
    // are solved again.
    if (!t_.untied().empty() && random_.unit() < 0.5) {
        const std::vector<int>& untied = t_.untied();
        const int s = untied[random_.below(static_cast<int>(untied.size()))];
        pick_.clear();
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
            if (t_.assigned(f) >= 0 && p_.family[t_.assigned(f)] >= 0)
                pick_.push_back(t_.assigned(f));
        if (!pick_.empty())
            return pick_[random_.below(static_cast<int>(pick_.size()))];
    }
    // A teacher's clash first: one of his courses that may move. Schools that name no teachers
    // draw nothing here, so their plans stay as they were.
    if (t_.teacherClashes() > 0 && random_.unit() < 0.5) {
        const std::vector<int>& teachers = t_.clashingTeachers();
        const std::vector<int>& ks =
            p_.teacherMovable[teachers[random_.below(static_cast<int>(teachers.size()))]];
        if (!ks.empty())
            return ks[random_.below(static_cast<int>(ks.size()))];
    }
    if (t_.conflictSum() > 0 && !t_.colliding().empty() && random_.unit() < 0.8) {
        const std::vector<int>& colliding = t_.colliding();
        const int s = colliding[random_.below(static_cast<int>(colliding.size()))];
        pick_.clear();
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
            if (t_.assigned(f) >= 0 && p_.family[t_.assigned(f)] >= 0)
                pick_.push_back(t_.assigned(f));
        for (int k : p_.fixedCourses[s])
            if (p_.family[k] >= 0)
                pick_.push_back(k);
        if (!pick_.empty())
            return pick_[random_.below(static_cast<int>(pick_.size()))];
    }
    if (t_.conflictSum() == 0 && !t_.uneven().empty() && random_.unit() < 0.6) {
        const std::vector<int>& uneven = t_.uneven();
        const int g = uneven[random_.below(static_cast<int>(uneven.size()))];
        if (const int k = blocker(g); k >= 0 && random_.unit() < 0.5)
            return k;
        pick_.clear();
        for (int k : m_.groups[g].courses)
            if (p_.family[k] >= 0)
                pick_.push_back(k);
        if (!pick_.empty())
            return pick_[random_.below(static_cast<int>(pick_.size()))];
    }
    return p_.movable[random_.below(static_cast<int>(p_.movable.size()))];
}

// A course in the way of evening out group g: a student of one of its large courses could go
// to a parallel smaller by two but for the rails of another of his courses. -1 where there is
// none. The last step of evening out often waits for such a course to make room.
int Moves::blocker(int g) {
    const std::vector<int>& courses = m_.groups[g].courses;
    int low = courses.front();
    for (int k : courses)
        if (t_.size(k) < t_.size(low))
            low = k;
    work_.clear();
    for (int k : courses)
        if (t_.size(k) >= t_.size(low) + 2)
            work_.push_back(k);
    if (work_.empty())
        return -1;
    const int a = work_[random_.below(static_cast<int>(work_.size()))];
    work_.clear();
    for (int f : p_.groupChoices[g])
        if (t_.assigned(f) == a)
            work_.push_back(f);
    if (work_.empty())
        return -1;
    const int f = work_[random_.below(static_cast<int>(work_.size()))];
    const int s = p_.freeStudent[f];
    RailSet smaller;
    for (int y : p_.candidates(f))
        if (t_.size(y) + 2 <= t_.size(a))
            smaller |= t_.rails(y);
    pick_.clear();
    for (int k : p_.fixedCourses[s])
        if (p_.family[k] >= 0 && t_.rails(k).intersects(smaller))
            pick_.push_back(k);
    for (int e = p_.freeBegin[s]; e < p_.freeBegin[s + 1]; ++e) {
        const int k = t_.assigned(e);
        if (e != f && k >= 0 && p_.family[k] >= 0 && t_.rails(k).intersects(smaller))
            pick_.push_back(k);
    }
    return pick_.empty() ? -1 : pick_[random_.below(static_cast<int>(pick_.size()))];
}

void Moves::touch(int k) {
    for (int s : p_.touched[k])
        if (mark_[s] != stamp_) {
            mark_[s] = stamp_;
            touchedNow_.push_back(s);
        }
}

void Moves::remember(int s) {
    journal_.push_back({s, t_.conflicts(s), static_cast<int>(old_.size())});
    for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f)
        old_.push_back(t_.assigned(f));
}

void Moves::undoStudents() {
    for (auto it = journal_.rbegin(); it != journal_.rend(); ++it) {
        const int s = it->student;
        int o = it->offset;
        for (int f = p_.freeBegin[s]; f < p_.freeBegin[s + 1]; ++f, ++o) {
            if (t_.assigned(f) >= 0)
                t_.change(t_.assigned(f), -1);
            t_.setAssigned(f, old_[o]);
            if (t_.assigned(f) >= 0)
                t_.change(t_.assigned(f), +1);
        }
        t_.setConflicts(s, it->conflicts);
    }
}

// Whether course k on these rails meets no other course of its teacher and keeps the rules on
// it; course `leaving` (-1: none) is about to take k's present rails.
bool Moves::fits(int k, const RailSet& rails, int leaving) const {
    const int t = m_.courses[k].teacher;
    if (t >= 0) {
        const bool along = leaving >= 0 && m_.courses[leaving].teacher == t;
        bool free = true;
        rails.forEach([&](int r) {
            const int others = t_.teacherLoad(t, r) - (t_.rails(k).has(r) ? 1 : 0) -
                               (along && t_.rails(leaving).has(r) ? 1 : 0);
            free = free && others == 0;
        });
        if (!free)
            return false;
    }
    const auto railsOf = [&](int c) -> RailSet {
        return c == k ? rails : c == leaving ? t_.rails(k) : t_.rails(c);
    };
    for (int r : p_.rulesOf[k])
        if (!p_.holds(r, railsOf))
            return false;
    return true;
}

int Moves::sameRails(int c, int k, int o) const {
    if (p_.family[c] < 0)
        return -1;
    const std::vector<RailSet>& options = p_.f.options[c];
    const auto it = std::find(options.begin(), options.end(), p_.f.options[k][o]);
    return it == options.end() ? -1 : static_cast<int>(it - options.begin());
}

// A course of k's family whose rails k can swap with, neither then meeting its teacher's other
// courses or breaking a rule; after a few tries any course of the family.
int Moves::fittingPartner(int k, const std::vector<int>& family) {
    int other = -1;
    for (int tries = 0; tries < 4; ++tries) {
        other = family[random_.below(static_cast<int>(family.size()))];
        if (other != k && t_.option(other) != t_.option(k) && fits(k, t_.rails(other), other) &&
            fits(other, t_.rails(k), k))
            return other;
    }
    return other;
}

// Course k1 onto rails where it fits, where it has any; else onto any others, with the course
// it must stand with, or the one in its way making room on its old rails (any course that may
// stand there, not only one of its family: where rails are forbidden to some courses, families
// are small).
void Moves::aim(Move& mv) {
    const int k = mv.k1;
    const int n = static_cast<int>(p_.f.options[k].size());
    aims_.clear();
    for (int o = 0; o < n; ++o)
        if (o != mv.o1 && fits(k, p_.railsOf(k, o), -1))
            aims_.push_back(o);
    if (!aims_.empty()) {
        mv.to = aims_[random_.below(static_cast<int>(aims_.size()))];
        return;
    }
    mv.to = random_.below(n - 1);
    if (mv.to >= mv.o1)
        ++mv.to;
    const RailSet target = p_.railsOf(k, mv.to);
    const auto take = [&](int c, int to2) {
        mv.k2 = c;
        mv.o2 = t_.option(c);
        mv.to2 = to2;
    };
    aims_.clear();
    for (int r : p_.rulesOf[k]) {
        const PlanRule& rule = m_.rules[r];
        if (rule.kind == RuleKind::CoursesTogether) {
            const int c = rule.first == k ? rule.second : rule.first;
            const int along = sameRails(c, k, mv.to);
            if (along >= 0 && t_.option(c) >= 0 && t_.option(c) == sameRails(c, k, mv.o1)) {
                take(c, along);
                return;
            }
        } else if (rule.kind == RuleKind::CoursesApart) {
            aims_.push_back(rule.first == k ? rule.second : rule.first);
        } else {
            aims_.insert(aims_.end(), rule.courses.begin(), rule.courses.end());
        }
    }
    if (const int t = m_.courses[k].teacher; t >= 0)
        aims_.insert(aims_.end(), p_.teacherMovable[t].begin(), p_.teacherMovable[t].end());
    // The course in the way takes k's rails, where it may stand there.
    for (int c : aims_) {
        const int back = c != k ? sameRails(c, k, mv.o1) : -1;
        if (back >= 0 && t_.option(c) != back && t_.rails(c).intersects(target) &&
            fits(k, target, c)) {
            take(c, back);
            return;
        }
    }
}

Move Moves::propose() {
    Move mv;
    mv.k1 = pickCourse();
    const std::vector<int>& fam = p_.families[p_.family[mv.k1]];
    if (fam.size() >= 2 && random_.unit() < 0.5) {
        const int other =
            bound_ ? fittingPartner(mv.k1, fam) : fam[random_.below(static_cast<int>(fam.size()))];
        if (other != mv.k1 && t_.option(other) != t_.option(mv.k1))
            mv.k2 = other;
    }
    mv.o1 = t_.option(mv.k1);
    mv.o2 = mv.k2 >= 0 ? t_.option(mv.k2) : -1;
    mv.to = mv.o2;
    mv.to2 = mv.o1;
    if (mv.k2 < 0 && bound_) {
        aim(mv);
    } else if (mv.k2 < 0) {
        // Any other rails of the course.
        mv.to = random_.below(static_cast<int>(p_.f.options[mv.k1].size()) - 1);
        if (mv.to >= mv.o1)
            ++mv.to;
    }
    return mv;
}

void Moves::make(const Move& mv) {
    t_.setOption(mv.k1, mv.to);
    if (mv.k2 >= 0)
        t_.setOption(mv.k2, mv.to2);
    ++stamp_;
    touchedNow_.clear();
    touch(mv.k1);
    if (mv.k2 >= 0)
        touch(mv.k2);
    journal_.clear();
    old_.clear();
    for (int s : touchedNow_) {
        if (!concerned(s, mv.k1) && (mv.k2 < 0 || !concerned(s, mv.k2)))
            continue;
        remember(s);
        resolve(s, true);
    }
    t_.refreshGroups();
    if (t_.conflictSum() == 0)
        evenOutUneven();
}

void Moves::undo(const Move& mv) {
    undoStudents();
    t_.setOption(mv.k1, mv.o1);
    if (mv.k2 >= 0)
        t_.setOption(mv.k2, mv.o2);
    t_.refreshGroups();
}

void Moves::shake(int k, int o) {
    t_.setOption(k, o);
    ++stamp_;
    touchedNow_.clear();
    touch(k);
    for (int s : touchedNow_)
        resolve(s);
}

} // namespace blocking::search
