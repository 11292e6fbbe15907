// The counting bounds of "rails needed".
#include "blocking/Bounds.h"
#include "blocking/RailsNeeded.h"
#include "blocking/Search.h"

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <set>

namespace blocking {

namespace {

// Courses a courses-together rule joins stand on the same rails: one unit each.
struct Units {
    std::vector<int> parent;
    explicit Units(const Model& m) : parent(m.courses.size()) {
        std::iota(parent.begin(), parent.end(), 0);
        for (const PlanRule& r : m.rules)
            if (r.kind == RuleKind::CoursesTogether)
                parent[root(r.first)] = root(r.second);
    }
    int root(int k) {
        while (parent[k] != k)
            k = parent[k] = parent[parent[k]];
        return k;
    }
};

// The size of the largest set of nodes pairwise joined (a clique), searched branch and bound;
// on a graph too large to search through, the largest met within the steps allowed: a lower
// bound either way.
int largestClique(const std::vector<std::set<int>>& graph) {
    const int n = static_cast<int>(graph.size());
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return graph[a].size() > graph[b].size(); });
    int best = n > 0 ? 1 : 0;
    long long steps = 0;
    constexpr long long kSteps = 2000000;
    std::function<void(std::vector<int>&, int)> grow = [&](std::vector<int>& candidates, int size) {
        if (++steps > kSteps)
            return;
        best = std::max(best, size);
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (size + static_cast<int>(candidates.size() - i) <= best)
                return;
            std::vector<int> next;
            for (size_t j = i + 1; j < candidates.size(); ++j)
                if (graph[candidates[i]].count(candidates[j]))
                    next.push_back(candidates[j]);
            grow(next, size + 1);
        }
    };
    grow(order, 0);
    return best;
}

struct Counting {
    const Model& m;
    std::vector<int> single; // per course: the hours of the one rail it takes; 0: none such
    Units units;
    std::map<int, RailKind> kinds;

    explicit Counting(const Model& model) : m(model), units(model) {
        const Freedom f = freedom(m, Mode::All);
        single.assign(m.courses.size(), 0);
        for (int k = 0; k < static_cast<int>(m.courses.size()); ++k)
            if (m.courses[k].own && m.courses[k].hours > 0)
                single[k] = oneRailHours(m, f, k);
        for (const Rail& r : m.rails)
            if (r.hours > 0) {
                kinds[r.hours].hours = r.hours;
                ++kinds[r.hours].inFile;
            }
    }

    void raise(int hours, int count, const QString& why) {
        RailKind& k = kinds[hours];
        if (count > k.bound) {
            k.bound = count;
            k.why = why;
        }
    }

    // The units among these courses that take one rail of each hours.
    std::map<int, std::set<int>> unitsByHours(const std::vector<int>& courses) {
        std::map<int, std::set<int>> out;
        for (int k : courses)
            if (single[k] > 0)
                out[single[k]].insert(units.root(k));
        return out;
    }

    void anyCourse() {
        for (size_t k = 0; k < m.courses.size(); ++k)
            if (single[k] > 0)
                raise(single[k], 1, QStringLiteral("mindestens ein Kurs braucht eine"));
    }

    void fixings() {
        std::map<int, RailSet> fixed;
        for (size_t k = 0; k < m.courses.size(); ++k)
            if (m.courses[k].own)
                m.placement.fixed[k].forEach(
                    [&](int r) { fixed[m.rails[r].hours] |= RailSet::of(r); });
        for (const auto& [hours, rails] : fixed)
            raise(hours, rails.count(),
                  QStringLiteral("%1 Schienen tragen festgelegte Kurse").arg(rails.count()));
    }

    // Each of a student's courses that take one rail of some hours takes a rail of its own. A
    // choice counts where every course that can serve it takes such a rail; two choices count
    // once where the same courses could serve both.
    void students() {
        for (const Student& s : m.students) {
            std::vector<int> courses;
            for (int i = s.firstChoice; i < s.firstChoice + s.choiceCount; ++i)
                if (const int t = m.choices[i].type; t >= 0 && taken(m.types[t].candidates))
                    courses.push_back(m.types[t].candidates[0]);
            for (int k : s.fixedCourses)
                if (m.courses[k].own)
                    courses.push_back(k);
            std::map<int, std::set<int>> groups;
            for (int k : courses)
                if (single[k] > 0)
                    groups[single[k]].insert(m.courses[k].group);
            for (const auto& [hours, g] : groups)
                raise(hours, static_cast<int>(g.size()),
                      QStringLiteral("%1 hat %2 solche Kurse")
                          .arg(s.name)
                          .arg(static_cast<int>(g.size())));
        }
    }

    // Whether every candidate takes one rail of the same hours.
    bool taken(const std::vector<int>& candidates) const {
        return std::all_of(candidates.begin(), candidates.end(), [&](int k) {
            return single[k] > 0 && single[k] == single[candidates[0]];
        });
    }

    void teachers() {
        std::vector<std::vector<int>> of(m.teachers.size());
        for (size_t k = 0; k < m.courses.size(); ++k)
            if (m.courses[k].own && m.courses[k].teacher >= 0)
                of[m.courses[k].teacher].push_back(static_cast<int>(k));
        for (size_t t = 0; t < of.size(); ++t)
            for (const auto& [hours, u] : unitsByHours(of[t]))
                raise(hours, static_cast<int>(u.size()),
                      QStringLiteral("Lehrer %1 hat %2 solche Kurse")
                          .arg(m.teachers[static_cast<int>(t)])
                          .arg(static_cast<int>(u.size())));
    }

    // Courses that can never share a rail: a student must sit in both (each the only course of
    // one of his choices, or one he is kept in), a teacher teaches both, a rule keeps them
    // apart. The largest set of such courses pairwise takes as many rails.
    void cliques(bool withTeachers) {
        std::map<int, std::vector<std::set<int>>> apart; // hours -> unit -> units it excludes
        std::map<int, std::map<int, int>> index;         // hours -> unit -> node
        const auto node = [&](int k) -> int {
            const int h = single[k];
            auto [it, fresh] = index[h].emplace(units.root(k), static_cast<int>(index[h].size()));
            if (fresh)
                apart[h].emplace_back();
            return it->second;
        };
        const auto exclude = [&](const std::vector<int>& courses) {
            for (size_t i = 0; i < courses.size(); ++i)
                for (size_t j = i + 1; j < courses.size(); ++j) {
                    const int a = courses[i];
                    const int b = courses[j];
                    if (single[a] == 0 || single[a] != single[b] || units.root(a) == units.root(b))
                        continue;
                    const int na = node(a);
                    const int nb = node(b);
                    apart[single[a]][na].insert(nb);
                    apart[single[a]][nb].insert(na);
                }
        };
        for (const Student& s : m.students)
            exclude(forced(s));
        if (withTeachers) {
            std::vector<std::vector<int>> of(m.teachers.size());
            for (size_t k = 0; k < m.courses.size(); ++k)
                if (m.courses[k].own && m.courses[k].teacher >= 0)
                    of[m.courses[k].teacher].push_back(static_cast<int>(k));
            for (const std::vector<int>& courses : of)
                exclude(courses);
        }
        for (const PlanRule& r : m.rules)
            if (r.kind == RuleKind::ParallelsApart)
                exclude(r.courses);
            else if (r.kind == RuleKind::CoursesApart)
                exclude({r.first, r.second});
        for (const auto& [hours, graph] : apart) {
            const int size = largestClique(graph);
            raise(hours, size,
                  QStringLiteral("%1 Kurse, von denen keine zwei auf einer Schiene stehen "
                                 "dürfen")
                      .arg(size));
        }
    }

    // The courses a student sits in whatever the plan: the only course of a choice, and his
    // other rows' courses.
    std::vector<int> forced(const Student& s) const {
        std::vector<int> out;
        for (int i = s.firstChoice; i < s.firstChoice + s.choiceCount; ++i)
            if (const int t = m.choices[i].type; t >= 0 && m.types[t].candidates.size() == 1)
                out.push_back(m.types[t].candidates[0]);
        for (int k : s.fixedCourses)
            if (m.courses[k].own)
                out.push_back(k);
        return out;
    }

    void rules() {
        for (const PlanRule& r : m.rules) {
            std::vector<int> courses;
            if (r.kind == RuleKind::ParallelsApart)
                courses = r.courses;
            else if (r.kind == RuleKind::CoursesApart)
                courses = {r.first, r.second};
            for (const auto& [hours, u] : unitsByHours(courses))
                raise(hours, static_cast<int>(u.size()), QStringLiteral("Regel ") + r.text);
        }
    }
};

} // namespace

std::vector<RailKind> railBounds(const Model& m) {
    Counting c(m);
    c.anyCourse();
    c.fixings();
    c.students();
    c.rules();
    const bool teachersApart = currentBounds(m)->teacherClashes == 0;
    c.cliques(teachersApart);
    // Where the teachers' clashes cannot all be avoided, a plan may put two of a teacher's
    // courses on one rail: they bound nothing then.
    if (teachersApart)
        c.teachers();
    std::vector<RailKind> out;
    for (const auto& [hours, k] : c.kinds)
        out.push_back(k);
    return out;
}

} // namespace blocking
