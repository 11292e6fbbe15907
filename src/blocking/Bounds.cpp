#include "blocking/Bounds.h"

#include "blocking/Model.h"
#include "blocking/Search.h"

#include <algorithm>
#include <climits>
#include <map>
#include <numeric>

namespace blocking {

namespace {

int clampTo(int level, int least, int most) {
    return std::max(least, most < 0 ? level : std::min(level, most));
}

// Per course of the group (in its order) the choices a student-in-course rule keeps there. A
// student kept in two courses of one group counts in neither: no plan keeps both rules.
std::vector<int> keptByRules(const Model& m, const Group& g) {
    std::vector<int> out(g.courses.size(), 0);
    std::map<int, int> byStudent; // student -> position of his course; -1: two of them
    for (const PlanRule& r : m.rules) {
        if (r.kind != RuleKind::StudentInCourse)
            continue;
        const auto at = std::find(g.courses.begin(), g.courses.end(), r.second);
        if (at == g.courses.end())
            continue;
        const Student& s = m.students[r.first];
        bool chose = false;
        for (int i = s.firstChoice; i < s.firstChoice + s.choiceCount && !chose; ++i)
            chose = m.serves(r.second, i);
        if (!chose)
            continue; // the rule holds nothing where he did not choose the subject
        const int pos = static_cast<int>(at - g.courses.begin());
        const auto [it, fresh] = byStudent.emplace(r.first, pos);
        if (!fresh && it->second != pos)
            it->second = -1;
    }
    for (const auto& [student, pos] : byStudent)
        if (pos >= 0)
            ++out[pos];
    return out;
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

void computeBounds(const Model& m, Group& g) {
    std::vector<int> least, most, loads, none;
    const std::vector<int> kept = keptByRules(m, g);
    for (size_t i = 0; i < g.courses.size(); ++i) {
        const Course& c = m.courses[g.courses[i]];
        const int load = c.fixedLoad + kept[i];
        least.push_back(std::max(load, c.min));
        most.push_back(c.max > 0 ? c.max : -1);
        loads.push_back(load);
        none.push_back(-1);
    }
    std::vector<int> sizes = evenSizes(g.total, least, most);
    if (sizes.empty())
        sizes = evenSizes(g.total, loads, none);
    long long squares = 0;
    for (int s : sizes)
        squares += static_cast<long long>(s) * s;
    const auto [lo, hi] = std::minmax_element(sizes.begin(), sizes.end());
    g.differenceBound = sizes.empty() ? 0 : *hi - *lo;
    g.squareBound = squares;
    const double k = static_cast<double>(sizes.size());
    g.deviationBound =
        sizes.empty() ? 0.0
                      : static_cast<double>(squares) - static_cast<double>(g.total) * g.total / k;
}

int teacherClashBound(const Model& m, const Freedom& f) {
    if (m.teachers.isEmpty())
        return 0;
    const int n = static_cast<int>(m.courses.size());
    // Courses joined by a courses-together rule stand on the same rail: one unit each.
    std::vector<int> unit(n);
    std::iota(unit.begin(), unit.end(), 0);
    const auto root = [&](int k) {
        while (unit[k] != k)
            k = unit[k] = unit[unit[k]];
        return k;
    };
    for (const PlanRule& r : m.rules)
        if (r.kind == RuleKind::CoursesTogether)
            unit[root(r.first)] = root(r.second);
    std::map<int, int> railsOfHours;
    for (const Rail& r : m.rails)
        if (r.hours > 0)
            ++railsOfHours[r.hours];
    struct Stock {
        int courses = 0;
        std::vector<int> units;
        RailSet taken; // by the other year group's courses, which stay where they stand
    };
    // Per teacher and hours of a rail.
    std::map<std::pair<int, int>, Stock> stock;
    for (int k = 0; k < n; ++k) {
        const Course& c = m.courses[k];
        if (c.teacher < 0)
            continue;
        if (!c.own) {
            f.kept[k].forEach([&](int r) {
                stock[{c.teacher, m.rails[r].hours}].taken |= RailSet::of(r);
            });
            continue;
        }
        if (const int h = oneRailHours(m, f, k)) {
            Stock& s = stock[{c.teacher, h}];
            ++s.courses;
            if (std::find(s.units.begin(), s.units.end(), root(k)) == s.units.end())
                s.units.push_back(root(k));
        }
    }
    int bound = 0;
    for (const auto& [key, s] : stock) {
        // Each rail takes one course without a clash, unless the other year group's course of
        // the teacher is there already; a unit's courses share their rail whatever happens.
        const int free = std::max(0, railsOfHours[key.second] - s.taken.count());
        bound += s.courses - std::min(static_cast<int>(s.units.size()), free);
    }
    return bound;
}

} // namespace blocking
