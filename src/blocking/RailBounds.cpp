// The counting bounds of "rails needed".
#include "blocking/Bounds.h"
#include "blocking/RailsNeeded.h"
#include "blocking/Search.h"

#include <algorithm>
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
        return std::all_of(candidates.begin(), candidates.end(),
                           [&](int k) { return single[k] > 0 && single[k] == single[candidates[0]]; });
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
    // Where the teachers' clashes cannot all be avoided, a plan may put two of a teacher's
    // courses on one rail: they bound nothing then.
    if (teacherClashBound(m, freedom(m, Mode::All)) == 0)
        c.teachers();
    std::vector<RailKind> out;
    for (const auto& [hours, k] : c.kinds)
        out.push_back(k);
    return out;
}

} // namespace blocking
