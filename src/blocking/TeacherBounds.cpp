// The teachers' clashes no plan avoids: per teacher, the fewest of his courses beyond the first
// on one rail over every way of placing them, the other year group's courses where they stand.
// Teachers are taken one by one, so the sum is a bound even where a rule joins two teachers'
// courses.
#include "blocking/Bounds.h"

#include "blocking/Domains.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace blocking::bounds {

namespace {

// Courses of one teacher that stand together: one course, or several a rule kept joins.
struct Unit {
    std::vector<int> courses; // the teacher's own courses in it
    std::vector<RailSet> rails;
};

struct Teacher {
    std::vector<Unit> units;
    std::vector<int> other;        // per rail: his courses of the other year group there
    std::vector<int> otherCourses; // those courses
};

class Clashes {
public:
    Clashes(const Model& m, const Teacher& t) : t_(t), load_(m.rails.size(), 0) {
        order_.resize(t.units.size());
        std::iota(order_.begin(), order_.end(), 0);
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            return t.units[a].rails.size() < t.units[b].rails.size();
        });
    }

    // The fewest clashes; -1 when the work allowed did not prove it.
    int least() {
        best_ = -1;
        nodes_ = 0;
        choice_.assign(t_.units.size(), -1);
        search(0, 0);
        return nodes_ > kMaxNodes ? -1 : best_;
    }

private:
    static constexpr long kMaxNodes = 50000;

    // Units alike (same rails, same number of courses) take their rail sets in ascending order.
    bool alike(int a, int b) const {
        return t_.units[a].courses.size() == t_.units[b].courses.size() &&
               t_.units[a].rails == t_.units[b].rails;
    }

    void search(size_t i, int clashes) {
        if (best_ >= 0 && clashes >= best_)
            return;
        if (i == order_.size()) {
            best_ = clashes;
            return;
        }
        if (++nodes_ > kMaxNodes)
            return;
        const int u = order_[i];
        const Unit& unit = t_.units[u];
        const int n = static_cast<int>(unit.courses.size());
        const int from = i > 0 && alike(order_[i - 1], u) ? choice_[order_[i - 1]] : 0;
        for (int o = from; o < static_cast<int>(unit.rails.size()); ++o) {
            int added = 0;
            unit.rails[o].forEach([&](int r) {
                added += load_[r] == 0 ? n - 1 + t_.other[r] : n;
                load_[r] += n;
            });
            choice_[u] = o;
            search(i + 1, clashes + added);
            unit.rails[o].forEach([&](int r) { load_[r] -= n; });
            if (nodes_ > kMaxNodes)
                return;
        }
    }

    const Teacher& t_;
    std::vector<int> order_;
    std::vector<int> load_;
    std::vector<int> choice_;
    int best_ = -1;
    long nodes_ = 0;
};

QString names(const Model& m, const std::vector<int>& courses) {
    QStringList out;
    for (int k : courses)
        out << m.courses[k].name.trimmed();
    if (out.size() < 2)
        return out.join(QString());
    const QString last = out.takeLast();
    return out.join(QStringLiteral(", ")) + QStringLiteral(" und ") + last;
}

// The same without an exhaustive search: clashes inside units, and units beyond the rails free
// of his other courses where each takes one rail of some hours.
int counted(const Model& m, const Teacher& t) {
    int n = 0;
    std::map<int, int> units; // hours -> units taking one rail of them
    for (const Unit& u : t.units) {
        int fewest = -1;
        int hours = -1;
        for (const RailSet& s : u.rails) {
            fewest = fewest < 0 ? s.count() : std::min(fewest, s.count());
            const int h = s.count() == 1 ? m.rails[s.first()].hours : 0;
            hours = hours < 0 ? h : (hours == h ? h : 0);
        }
        n += (static_cast<int>(u.courses.size()) - 1) * std::max(0, fewest);
        if (hours > 0)
            ++units[hours];
    }
    for (const auto& [h, count] : units) {
        int free = 0;
        for (size_t r = 0; r < m.rails.size(); ++r)
            free += m.rails[r].hours == h && t.other[r] == 0 ? 1 : 0;
        n += std::max(0, count - free);
    }
    return n;
}

// Why the teacher's clashes cannot all go.
QString why(const Model& m, const Teacher& t, const QString& who) {
    std::vector<int> all;
    for (const Unit& u : t.units) {
        if (u.courses.size() > 1)
            return QStringLiteral("Die Kurse %1 des Lehrers %2 liegen nach einer Regel auf "
                                  "denselben Schienen.")
                .arg(names(m, u.courses), who);
        all.insert(all.end(), u.courses.begin(), u.courses.end());
    }
    std::map<int, std::vector<int>> byHours; // courses that take one rail of these hours
    for (const Unit& u : t.units) {
        int hours = -1;
        for (const RailSet& s : u.rails) {
            const int h = s.count() == 1 ? m.rails[s.first()].hours : 0;
            hours = hours < 0 ? h : (hours == h ? h : 0);
        }
        if (hours > 0)
            byHours[hours].push_back(u.courses.front());
    }
    for (const auto& [h, courses] : byHours) {
        int rails = 0;
        int taken = 0;
        for (size_t r = 0; r < m.rails.size(); ++r)
            if (m.rails[r].hours == h) {
                ++rails;
                taken += t.other[r] > 0 ? 1 : 0;
            }
        if (static_cast<int>(courses.size()) > rails - taken)
            return QStringLiteral("Der Lehrer %1 hat %2 Kurse mit %3 Stunden, es gibt %4 solche "
                                  "Schienen%5.")
                .arg(who)
                .arg(courses.size())
                .arg(h)
                .arg(rails)
                .arg(taken > 0 ? QStringLiteral(", %1 davon mit seinen Kursen der anderen "
                                                "Jahrgangsstufe")
                                     .arg(taken)
                               : QString());
    }
    std::vector<int> with = all;
    with.insert(with.end(), t.otherCourses.begin(), t.otherCourses.end());
    return QStringLiteral("Die Kurse %1 des Lehrers %2 finden keine Schienen ohne "
                          "Überschneidung.")
        .arg(names(m, with), who);
}

// The teachers with their units: own courses joined by the rules kept, each unit's rail sets
// those all its courses may take.
std::vector<Teacher> teachersOf(const Model& m, const Domains& d, const std::vector<char>& safe) {
    const int n = static_cast<int>(m.courses.size());
    std::vector<int> root(n);
    std::iota(root.begin(), root.end(), 0);
    const auto find = [&](int k) {
        while (root[k] != k)
            k = root[k] = root[root[k]];
        return k;
    };
    for (size_t r = 0; r < m.rules.size(); ++r)
        if (safe[r] && m.rules[r].kind == RuleKind::CoursesTogether)
            root[find(m.rules[r].first)] = find(m.rules[r].second);
    std::vector<Teacher> out(m.teachers.size());
    for (Teacher& t : out)
        t.other.assign(m.rails.size(), 0);
    std::vector<std::map<int, int>> unitOf(m.teachers.size()); // root -> unit
    for (int k = 0; k < n; ++k) {
        const Course& c = m.courses[k];
        if (c.teacher < 0 || d.rails[k].empty())
            continue;
        Teacher& t = out[c.teacher];
        if (!c.own) {
            d.rails[k].front().forEach([&](int r) { ++t.other[r]; });
            t.otherCourses.push_back(k);
            continue;
        }
        const auto [it, fresh] =
            unitOf[c.teacher].emplace(find(k), static_cast<int>(t.units.size()));
        if (fresh)
            t.units.push_back({{}, d.rails[k]});
        Unit& u = t.units[it->second];
        u.courses.push_back(k);
        std::erase_if(u.rails, [&](const RailSet& s) {
            return std::find(d.rails[k].begin(), d.rails[k].end(), s) == d.rails[k].end();
        });
    }
    return out;
}

} // namespace

void teachers(const Model& m, const Domains& d, const std::vector<char>& safe, FigureBounds& b) {
    QStringList& reasons = b.reasons[QStringLiteral("teacherClashes")];
    const std::vector<Teacher> all = teachersOf(m, d, safe);
    b.teacherFree.assign(all.size(), 0);
    for (size_t i = 0; i < all.size(); ++i) {
        const Teacher& t = all[i];
        if (t.units.empty() || std::any_of(t.units.begin(), t.units.end(),
                                           [](const Unit& u) { return u.rails.empty(); }))
            continue;
        int n = Clashes(m, t).least();
        b.teacherFree[i] = n == 0 ? 1 : 0;
        if (n < 0)
            n = counted(m, t);
        if (n == 0)
            continue;
        b.teacherClashes += n;
        reasons << why(m, t, m.teachers[static_cast<int>(i)]);
    }
}

} // namespace blocking::bounds
