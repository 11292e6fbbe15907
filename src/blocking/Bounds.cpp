#include "blocking/Bounds.h"

#include "blocking/Domains.h"
#include "blocking/Evaluation.h"
#include "blocking/Search.h"

#include <QHash>
#include <algorithm>
#include <climits>

namespace blocking {

namespace {

int clampTo(int level, int least, int most) {
    return std::max(least, most < 0 ? level : std::min(level, most));
}

// Per course the students no plan keeping the rules moves out of it: the rows the blocking does
// not move, and the choices the rules leave this one course.
std::vector<int> loads(const Model& m, const Domains& d) {
    std::vector<int> out(m.courses.size());
    for (size_t k = 0; k < m.courses.size(); ++k)
        out[k] = m.courses[k].fixedLoad;
    for (size_t i = 0; i < m.choices.size(); ++i)
        if (m.choices[i].type >= 0 && d.courses[i].size() == 1)
            ++out[d.courses[i].front()];
    return out;
}

QString sizeWhy(const Group& g, int groupTotal) {
    return QStringLiteral("%1: %2 Schüler auf %3 Kurse")
        .arg(g.label)
        .arg(groupTotal)
        .arg(g.courses.size());
}

// How even the group's sizes can be at best, and why its difference cannot be smaller.
void evenness(const Group& g, const std::vector<int>& sizes, FigureBounds& b) {
    GroupBound gb;
    long long squares = 0;
    for (int s : sizes)
        squares += static_cast<long long>(s) * s;
    const auto [lo, hi] = std::minmax_element(sizes.begin(), sizes.end());
    gb.difference = sizes.empty() || g.courses.size() < 2 ? 0 : *hi - *lo;
    gb.squares = squares;
    const double k = static_cast<double>(sizes.size());
    gb.deviation = sizes.empty()
                       ? 0.0
                       : static_cast<double>(squares) - static_cast<double>(g.total) * g.total / k;
    if (g.courses.size() >= 2 && gb.difference > 0 && gb.difference >= b.difference) {
        QStringList& why = b.reasons[QStringLiteral("largestDifference")];
        if (gb.difference > b.difference)
            why.clear();
        why << sizeWhy(g, g.total) + QStringLiteral(", am gleichmäßigsten %1.").arg([&] {
            QStringList s;
            for (int x : sizes)
                s << QString::number(x);
            return s.join(QStringLiteral(", "));
        }());
    }
    b.difference = std::max(b.difference, g.courses.size() < 2 ? 0 : gb.difference);
    if (g.courses.size() >= 2)
        b.deviation += gb.deviation;
    b.squares += gb.squares;
    b.groups.push_back(gb);
}

// One group's sizes: as even as the limits allow where they can all hold, as even as the
// students that stay allow otherwise; the courses beyond their limits and the students beyond
// them that no plan avoids.
void groupBound(const Model& m, const Group& g, const std::vector<int>& load, FigureBounds& b) {
    std::vector<int> least, most, stay, none;
    int sure = 0;            // courses whose students that stay are beyond KS_MAX already
    long long over = 0;      // students beyond KS_MAX that stay
    long long asked = 0;     // KS_MIN of the courses that have one
    long long elsewhere = 0; // students that stay in courses without KS_MIN
    long long room = 0;      // KS_MAX of all courses, where every one has one
    bool allMax = true;
    for (int k : g.courses) {
        const Course& c = m.courses[k];
        least.push_back(std::max(load[k], c.min));
        most.push_back(c.max > 0 ? c.max : -1);
        stay.push_back(load[k]);
        none.push_back(-1);
        if (c.max > 0 && load[k] > c.max) {
            ++sure;
            over += load[k] - c.max;
        }
        if (c.min > 0)
            asked += c.min;
        else
            elsewhere += load[k];
        allMax = allMax && c.max > 0;
        room += c.max;
    }
    std::vector<int> sizes = evenSizes(g.total, least, most);
    const bool limitsHold = !sizes.empty();
    if (!limitsHold)
        sizes = evenSizes(g.total, stay, none);
    const long long under = asked - (g.total - elsewhere);
    const long long beyond = allMax ? g.total - room : 0;
    const long long students = std::max({over, under, beyond, 0LL});
    const int outside = std::max(sure, limitsHold ? 0 : 1);
    b.limits += students;
    b.outsideLimits += outside;
    if (outside > 0)
        b.reasons[QStringLiteral("outsideLimits")]
            << sizeWhy(g, g.total) +
                   QStringLiteral(", die Grenzen der Kurse (KS_MIN, KS_MAX) und die Schüler, "
                                  "die bleiben, lassen keine Verteilung zu.");
    evenness(g, sizes, b);
}

bool surplusOn(const Model& m, int k, const RailSet& rails) {
    Placement p;
    p.rails.assign(m.courses.size(), RailSet());
    p.rails[k] = rails;
    return onSurplusRail(m, p, k);
}

// Courses that stay as they stand: short of their hours, or on a rail they do not need.
void standing(const Model& m, const Freedom& f, FigureBounds& b) {
    for (size_t i = 0; i < m.courses.size(); ++i) {
        const int k = static_cast<int>(i);
        const Course& c = m.courses[k];
        if (!c.own || c.hours <= 0 || !f.options[k].empty())
            continue;
        b.standing.push_back(k);
        Placement p;
        p.rails.assign(m.courses.size(), RailSet());
        p.rails[k] = f.kept[k];
        if (m.placedHours(p, k) < c.hours) {
            ++b.unplaced;
            b.reasons[QStringLiteral("unplaced")]
                << (f.unplaceable.contains(c.name)
                        ? QStringLiteral("Kurs %1: Keine Schienen nehmen seine Stunden auf.")
                        : QStringLiteral(
                              "Kurs %1: Die Regeln lassen ihm keine Schienen für seine Stunden."))
                       .arg(c.name);
        } else if (surplusOn(m, k, f.kept[k])) {
            ++b.surplus;
            b.reasons[QStringLiteral("surplus")]
                << QStringLiteral("Kurs %1: Er liegt fest auf mehr Schienen, als seine Stunden "
                                  "brauchen.")
                       .arg(c.name);
        }
    }
}

// A key of what the bounds of "Alles neu" rest on besides what loading fixes: the hours, the
// fixed marks, where the courses stand that the search does not move (the other cohort's, those
// without hours, `standing`), and the students' courses it does not move. Commands that place
// courses or move students of the cohort keep it.
size_t stateKey(const Model& m, const std::vector<int>& standing) {
    size_t h = 0;
    const auto add = [&](const RailSet& s) {
        h = qHashMulti(h, s.count());
        s.forEach([&](int r) { h = qHashMulti(h, r); });
    };
    for (const Rail& r : m.rails)
        h = qHashMulti(h, r.hours);
    for (size_t k = 0; k < m.courses.size(); ++k) {
        const Course& c = m.courses[k];
        h = qHashMulti(h, c.hours, c.fixedLoad);
        add(m.placement.fixed[k]);
        if (!c.own || c.hours <= 0)
            add(m.placement.rails[k]);
    }
    for (int k : standing)
        add(m.placement.rails[k]);
    for (const Student& s : m.students)
        for (int k : s.fixedCourses)
            h = qHashMulti(h, k);
    for (size_t i = 0; i < m.choices.size(); ++i)
        if (m.choices[i].type < 0)
            h = qHashMulti(h, m.assignment[i]);
    return qHashMulti(h, m.students.size());
}

} // namespace

int oneRailHours(const Model& m, const Freedom& f, int k) {
    if (f.options[k].empty())
        return f.kept[k].count() == 1 ? m.rails[f.kept[k].first()].hours : 0;
    if (!f.kept[k].empty())
        return 0;
    int hours = 0;
    for (const RailSet& s : f.options[k]) {
        if (s.count() != 1)
            return 0;
        const int h = m.rails[s.first()].hours;
        if (hours != 0 && h != hours)
            return 0;
        hours = h;
    }
    return hours;
}

std::vector<int> evenSizes(int total, const std::vector<int>& least, const std::vector<int>& most) {
    const size_t k = least.size();
    long long low = 0;
    long long high = 0;
    for (size_t i = 0; i < k; ++i) {
        if (most[i] >= 0 && least[i] > most[i])
            return {};
        low += least[i];
        high = (high == LLONG_MAX || most[i] < 0) ? LLONG_MAX : high + most[i];
    }
    if (k == 0 || total < low || total > high)
        return {};
    const auto sum = [&](int level) {
        long long s = 0;
        for (size_t i = 0; i < k; ++i)
            s += clampTo(level, least[i], most[i]);
        return s;
    };
    // The highest level whose clamped sizes do not exceed the total; the rest goes one each to
    // courses that sit at that level and may grow.
    int lo = 0;
    int hi = total;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (sum(mid) <= total)
            lo = mid;
        else
            hi = mid - 1;
    }
    std::vector<int> sizes(k);
    long long rest = total;
    for (size_t i = 0; i < k; ++i) {
        sizes[i] = clampTo(lo, least[i], most[i]);
        rest -= sizes[i];
    }
    for (size_t i = 0; i < k && rest > 0; ++i)
        if (sizes[i] == lo && least[i] <= lo && (most[i] < 0 || lo < most[i])) {
            ++sizes[i];
            --rest;
        }
    return sizes;
}

FigureBounds figureBounds(const Model& m, Mode mode) {
    FigureBounds b;
    const Freedom f = freedom(m, mode);
    const RuleConflicts rules = findRuleConflicts(m, f);
    b.ruleViolations = static_cast<int>(rules.groups.size());
    b.reasons[QStringLiteral("ruleViolations")] = rules.lines;
    b.ruleConflicts = f.ruleConflicts + rules.lines;
    Domains d = baseDomains(m, f);
    // The rules outside the conflicts hold together; should narrowing say otherwise, the
    // domains stay as wide as the freedom makes them.
    if (Domains kept = d; narrow(m, kept, rules.safe))
        d = std::move(kept);
    standing(m, f, b);
    b.withoutCourse = m.unservable;
    b.reasons[QStringLiteral("withoutCourse")] = m.unservableChoices;
    bounds::teachers(m, d, rules.safe, b);
    bounds::students(m, d, b);
    const std::vector<int> load = loads(m, d);
    for (const Group& g : m.groups)
        groupBound(m, g, load, b);
    // The first groups at the largest difference tell why; a long list would not tell more.
    if (QStringList& why = b.reasons[QStringLiteral("largestDifference")]; why.size() > 3) {
        const qsizetype more = why.size() - 3;
        why = why.mid(0, 3);
        why << QStringLiteral("und %1 weitere Gruppen von Parallelkursen ebenso.").arg(more);
    }
    if (b.deviation > 0)
        b.reasons[QStringLiteral("squaredDeviation")]
            << QStringLiteral("Die Schüler lassen sich nicht restlos gleich auf die Parallelkurse "
                              "verteilen.");
    for (auto it = b.reasons.begin(); it != b.reasons.end();)
        it = it->isEmpty() ? b.reasons.erase(it) : std::next(it);
    return b;
}

std::shared_ptr<const FigureBounds> currentBounds(const Model& m) {
    Model::BoundsCache& cache = m.boundsCache;
    if (!cache.bounds || cache.key != stateKey(m, cache.bounds->standing)) {
        cache.bounds = std::make_shared<const FigureBounds>(figureBounds(m, Mode::All));
        cache.key = stateKey(m, cache.bounds->standing);
    }
    return cache.bounds;
}

} // namespace blocking
