#include "blocking/Bounds.h"
#include "blocking/Search.h"

#include <QMap>
#include <algorithm>

namespace blocking {

namespace {

// Fewest rails the course takes: those it keeps and the smallest of its options.
int railsNeeded(const Freedom& f, int k) {
    int fewest = 0;
    for (size_t i = 0; i < f.options[k].size(); ++i) {
        const int n = f.options[k][i].count();
        fewest = i == 0 ? n : std::min(fewest, n);
    }
    return f.kept[k].count() + fewest;
}

// The hours of the one rail every way of placing the course takes; 0 when there is no such
// (a course that stands for good included).
int singleRailHours(const Model& m, const Freedom& f, int k) {
    return f.options[k].empty() ? 0 : oneRailHours(m, f, k);
}

// The rails of the school year: how many have hours, by their hours, and all hours together.
struct RailStock {
    QMap<int, int> withHours;
    int count = 0;
    int allHours = 0;
};

RailStock railStock(const Model& m) {
    RailStock r;
    for (const Rail& rail : m.rails)
        if (rail.hours > 0) {
            ++r.withHours[rail.hours];
            ++r.count;
        }
    r.allHours = m.totalRailHours();
    return r;
}

// What a student's courses ask of the rails at least.
struct Demand {
    int hours = 0;
    int rails = 0;
    QMap<int, int> needs;   // hours of a rail -> choices that need one rail of them
    std::vector<int> fixed; // courses that cannot go elsewhere
};

Demand demandOf(const Model& m, const Freedom& f, const Assignment& a, const Student& st) {
    Demand d;
    const auto count = [&](int k, bool alone) {
        d.hours += m.courses[k].hours;
        d.rails += railsNeeded(f, k);
        if (const int h = singleRailHours(m, f, k))
            ++d.needs[h];
        if (alone && f.options[k].size() < 2)
            d.fixed.push_back(k);
    };
    for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i) {
        const int t = m.choices[i].type;
        if (t < 0) {
            if (a[i] >= 0)
                count(a[i], true);
            continue;
        }
        // The least any of its courses asks.
        const std::vector<int>& cand = m.types[t].candidates;
        int best = cand[0];
        for (int k : cand)
            if (m.courses[k].hours < m.courses[best].hours)
                best = k;
        count(best, cand.size() == 1);
    }
    for (int k : st.fixedCourses)
        count(k, true);
    return d;
}

// Why the demand cannot be met: the first reason found, or "".
QString shortfall(const Model& m, const Placement& p, const RailStock& stock, const Demand& d) {
    if (d.hours > stock.allHours)
        return QStringLiteral(
                   "Die gewählten Kurse brauchen %1 Stunden, alle Schienen zusammen haben %2.")
            .arg(d.hours)
            .arg(stock.allHours);
    if (d.rails > stock.count)
        return QStringLiteral("Die gewählten Kurse brauchen %1 Schienen, es gibt %2.")
            .arg(d.rails)
            .arg(stock.count);
    for (auto it = d.needs.constBegin(); it != d.needs.constEnd(); ++it)
        if (it.value() > stock.withHours.value(it.key()))
            return QStringLiteral(
                       "Die gewählten Kurse brauchen %1 Schienen mit %2 Stunden, es gibt %3.")
                .arg(it.value())
                .arg(it.key())
                .arg(stock.withHours.value(it.key()));
    for (size_t i = 0; i < d.fixed.size(); ++i)
        for (size_t j = i + 1; j < d.fixed.size(); ++j) {
            const RailSet both = p.rails[d.fixed[i]] & p.rails[d.fixed[j]];
            if (d.fixed[i] != d.fixed[j] && !both.empty())
                return QStringLiteral("Die Kurse %1 und %2 liegen fest auf der Schiene %3.")
                    .arg(m.courses[d.fixed[i]].name, m.courses[d.fixed[j]].name,
                         m.rails[both.first()].name.trimmed());
        }
    return {};
}

// A course of both year groups whose students of the other cohort collide and, with courses
// that stay where they are, leave it no rail.
bool leftNoRail(const Model& m, const Freedom& f, const Placement& p, const Assignment& a, int k) {
    RailSet taken;
    bool colliding = false;
    for (size_t s = m.ownStudents; s < m.students.size(); ++s) {
        const std::vector<int>& fc = m.students[s].fixedCourses;
        if (std::find(fc.begin(), fc.end(), k) == fc.end())
            continue;
        colliding = colliding || collides(m, p, a, static_cast<int>(s));
        for (int other : fc)
            if (other != k && f.options[other].size() < 2)
                taken |= p.rails[other];
    }
    if (!colliding)
        return false;
    bool free = f.options[k].empty() && !f.kept[k].intersects(taken);
    for (const RailSet& o : f.options[k])
        free = free || !(f.kept[k] | o).intersects(taken);
    return !free;
}

// Why one teacher's courses must share a rail: more of them need a rail of some hours than the
// school year has, or more rails than there are; "" when neither.
QString teacherShortfall(const Model& m, const Freedom& f, const RailStock& stock, int teacher) {
    QMap<int, int> needs;
    int rails = 0;
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (m.courses[k].teacher != teacher)
            continue;
        rails += railsNeeded(f, static_cast<int>(k));
        if (const int h = oneRailHours(m, f, static_cast<int>(k)))
            ++needs[h];
    }
    const QString who = QStringLiteral("Der Lehrer ") + m.teachers[teacher];
    for (auto it = needs.constBegin(); it != needs.constEnd(); ++it)
        if (it.value() > stock.withHours.value(it.key()))
            return who + QStringLiteral(" hat %1 Kurse mit %2 Stunden, es gibt %3 solche Schienen.")
                             .arg(it.value())
                             .arg(it.key())
                             .arg(stock.withHours.value(it.key()));
    if (rails > stock.count)
        return who + QStringLiteral(" hat Kurse auf %1 Schienen, es gibt %2.")
                         .arg(rails)
                         .arg(stock.count);
    return {};
}

} // namespace

QStringList ruleConflicts(const Model& m, Mode mode) {
    if (m.rules.empty())
        return {}; // spares a second look at every course's freedom
    const Freedom f = freedom(m, mode);
    QStringList out = f.ruleConflicts;
    // Pairs of rules that say opposite things of the same two.
    const auto opposite = [](RuleKind a, RuleKind b) {
        const auto is = [&](RuleKind x, RuleKind y) { return a == x && b == y; };
        return is(RuleKind::CoursesTogether, RuleKind::CoursesApart) ||
               is(RuleKind::StudentInCourse, RuleKind::StudentNotInCourse) ||
               is(RuleKind::StudentsTogether, RuleKind::StudentsApart);
    };
    for (const PlanRule& a : m.rules)
        for (const PlanRule& b : m.rules) {
            const bool same = a.first == b.first && a.second == b.second;
            const bool swapped =
                a.first == b.second && a.second == b.first && a.kind != RuleKind::StudentInCourse;
            if (opposite(a.kind, b.kind) && (same || swapped))
                out << QStringLiteral("Die Regeln „%1“ und „%2“ widersprechen sich.")
                           .arg(a.text, b.text);
        }
    // Two courses a student is kept in that stand fixed on one rail.
    for (size_t i = 0; i < m.rules.size(); ++i)
        for (size_t j = i + 1; j < m.rules.size(); ++j) {
            const PlanRule& a = m.rules[i];
            const PlanRule& b = m.rules[j];
            if (a.kind != RuleKind::StudentInCourse || b.kind != RuleKind::StudentInCourse ||
                a.first != b.first)
                continue;
            const RailSet both = f.kept[a.second] & f.kept[b.second];
            if (f.options[a.second].empty() && f.options[b.second].empty() && !both.empty())
                out << QStringLiteral("Die Regeln „%1“ und „%2“ widersprechen sich: beide Kurse "
                                      "liegen fest auf der Schiene %3.")
                           .arg(a.text, b.text, m.rails[both.first()].name.trimmed());
        }
    return out;
}

QStringList reasons(const Model& m, const Freedom& f, const Placement& p, const Assignment& a) {
    QStringList out;
    for (const QString& name : f.unplaceable)
        out << QStringLiteral("Kurs %1: Keine Schienen nehmen seine Stunden auf.").arg(name);
    const RailStock stock = railStock(m);
    QList<int> clashing;
    for (const TeacherClash& t : teacherClashes(m, p))
        if (!clashing.contains(t.teacher))
            clashing << t.teacher;
    for (int t : clashing)
        if (const QString why = teacherShortfall(m, f, stock, t); !why.isEmpty())
            out << why;
    for (int s = 0; s < m.ownStudents; ++s) {
        if (!collides(m, p, a, s))
            continue;
        const Student& st = m.students[s];
        const QString why = shortfall(m, p, stock, demandOf(m, f, a, st));
        if (!why.isEmpty())
            out << st.name + QStringLiteral(": ") + why;
    }
    for (size_t k = 0; k < m.courses.size(); ++k)
        if (m.courses[k].own && leftNoRail(m, f, p, a, static_cast<int>(k)))
            out << QStringLiteral("Kurs %1: Seine Schüler des anderen Jahrgangs haben auf jeder "
                                  "Schiene, die er nehmen kann, schon einen Kurs.")
                       .arg(m.courses[k].name);
    return out;
}

} // namespace blocking
