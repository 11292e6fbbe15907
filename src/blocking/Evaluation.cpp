#include "blocking/Evaluation.h"

#include "blocking/Bounds.h"

#include <QJsonArray>
#include <QPair>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace blocking {

namespace {

constexpr double kEpsilon = 1e-6;

// German texts write the decimal comma.
QString decimal(double v) {
    return QString::number(v, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

std::vector<int> courseSizes(const Model& m, const Assignment& a) {
    std::vector<int> sizes(m.courses.size());
    for (size_t k = 0; k < m.courses.size(); ++k)
        sizes[k] = m.courses[k].fixedLoad;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] >= 0 && m.choices[i].type >= 0)
            ++sizes[a[i]];
    return sizes;
}

bool onSurplusRail(const Model& m, const Placement& p, int k) {
    const int hours = m.courses[k].hours;
    if (hours <= 0 || !p.rails[k].several())
        return false;
    const int placed = m.placedHours(p, k);
    bool surplus = false;
    p.rails[k].forEach([&](int r) { surplus = surplus || placed - m.rails[r].hours >= hours; });
    return surplus;
}

std::vector<TeacherClash> teacherClashes(const Model& m, const Placement& p) {
    std::vector<TeacherClash> out;
    if (m.teachers.isEmpty())
        return out;
    const int rails = static_cast<int>(m.rails.size());
    // Per teacher and rail the courses standing there.
    std::vector<std::vector<int>> at(static_cast<size_t>(m.teachers.size()) * rails);
    for (size_t k = 0; k < m.courses.size(); ++k)
        if (const int t = m.courses[k].teacher; t >= 0)
            p.rails[k].forEach([&](int r) { at[t * rails + r].push_back(static_cast<int>(k)); });
    for (int t = 0; t < m.teachers.size(); ++t)
        for (int r = 0; r < rails; ++r) {
            const std::vector<int>& ks = at[t * rails + r];
            if (ks.size() > 1 &&
                std::any_of(ks.begin(), ks.end(), [&](int k) { return m.courses[k].own; }))
                out.push_back({t, r, ks});
        }
    return out;
}

namespace {

// A student's courses as the assignment has them, each once.
std::vector<int> coursesOf(const Model& m, const Assignment& a, int student) {
    const Student& s = m.students[student];
    std::vector<int> all = s.fixedCourses;
    for (int i = s.firstChoice; i < s.firstChoice + s.choiceCount; ++i)
        if (a[i] >= 0 && std::find(all.begin(), all.end(), a[i]) == all.end())
            all.push_back(a[i]);
    return all;
}

bool inCourse(const Model& m, const Assignment& a, int student, int k) {
    const std::vector<int> all = coursesOf(m, a, student);
    return std::find(all.begin(), all.end(), k) != all.end();
}

// Whether the course serves one of the student's choices: he chose its subject and kind.
bool chose(const Model& m, int student, int k) {
    const Student& s = m.students[student];
    for (int i = s.firstChoice; i < s.firstChoice + s.choiceCount; ++i)
        if (m.serves(k, i))
            return true;
    return false;
}

// Whether two students sit in the same course in every subject and kind both chose.
bool together(const Model& m, const Assignment& a, int s1, int s2) {
    const Student& x = m.students[s1];
    const Student& y = m.students[s2];
    for (int i = x.firstChoice; i < x.firstChoice + x.choiceCount; ++i)
        for (int j = y.firstChoice; j < y.firstChoice + y.choiceCount; ++j)
            if (m.choices[i].type >= 0 && m.choices[i].type == m.choices[j].type && a[i] != a[j])
                return false;
    return true;
}

} // namespace

bool keeps(const Model& m, const Placement& p, const Assignment& a, const PlanRule& r) {
    switch (r.kind) {
    case RuleKind::CourseNotOnRail:
        return !p.rails[r.first].has(r.second);
    case RuleKind::CoursesTogether:
        return p.rails[r.first] == p.rails[r.second];
    case RuleKind::CoursesApart:
        return !p.rails[r.first].intersects(p.rails[r.second]);
    case RuleKind::ParallelsApart:
        for (size_t i = 0; i < r.courses.size(); ++i)
            for (size_t j = i + 1; j < r.courses.size(); ++j)
                if (p.rails[r.courses[i]].intersects(p.rails[r.courses[j]]))
                    return false;
        return true;
    case RuleKind::StudentInCourse:
        return !chose(m, r.first, r.second) || inCourse(m, a, r.first, r.second);
    case RuleKind::StudentNotInCourse:
        return !inCourse(m, a, r.first, r.second);
    case RuleKind::StudentsTogether:
        return together(m, a, r.first, r.second);
    case RuleKind::StudentsApart: {
        const std::vector<int> mine = coursesOf(m, a, r.first);
        for (int k : coursesOf(m, a, r.second))
            if (std::find(mine.begin(), mine.end(), k) != mine.end())
                return false;
        return true;
    }
    }
    return true;
}

namespace {

// Calls f(k1, k2) for each pair of the student's courses (each course once) that share a rail
// and count: the student's own, or one of the cohort's courses.
template <typename F>
void clashesOf(const Model& m, const Placement& p, const Assignment& a, int student, F f) {
    const Student& s = m.students[student];
    std::vector<int> all;
    all.reserve(s.choiceCount + s.fixedCourses.size());
    const auto add = [&](int k) {
        if (k >= 0 && std::find(all.begin(), all.end(), k) == all.end())
            all.push_back(k);
    };
    for (int i = 0; i < s.choiceCount; ++i)
        add(a[s.firstChoice + i]);
    for (int k : s.fixedCourses)
        add(k);
    for (size_t i = 0; i < all.size(); ++i) {
        const RailSet& ri = p.rails[all[i]];
        for (size_t j = i + 1; j < all.size(); ++j)
            if (ri.intersects(p.rails[all[j]]) &&
                (s.own || m.courses[all[i]].own || m.courses[all[j]].own) &&
                !f(std::min(all[i], all[j]), std::max(all[i], all[j])))
                return;
    }
}

// The students who collide, and the pairs of courses they collide on.
void countClashes(const Model& m, const Placement& p, const Assignment& a, Evaluation& e) {
    QSet<QPair<int, int>> pairs;
    for (size_t s = 0; s < m.students.size(); ++s) {
        bool clash = false;
        clashesOf(m, p, a, static_cast<int>(s), [&](int k1, int k2) {
            pairs.insert({k1, k2});
            return clash = true;
        });
        if (clash)
            ++(m.students[s].own ? e.collisions : e.otherCollisions);
    }
    e.clashingPairs = static_cast<int>(pairs.size());
}

} // namespace

bool collides(const Model& m, const Placement& p, const Assignment& a, int student) {
    bool found = false;
    clashesOf(m, p, a, student, [&](int, int) { return !(found = true); });
    return found;
}

std::vector<int> collisionsByPart(const Model& m, const Placement& p, const Assignment& a) {
    std::vector<int> counts(m.parts.size(), 0);
    for (int s = 0; s < m.ownStudents; ++s)
        if (collides(m, p, a, s))
            ++counts[static_cast<size_t>(m.students[s].part)];
    return counts;
}

QStringList withCollisionShares(QStringList described, const Model& m, const Placement& p,
                                const Assignment& a) {
    if (!m.bothYearGroups() || described.isEmpty())
        return described;
    const std::vector<int> counts = collisionsByPart(m, p, a);
    for (size_t i = m.parts.size(); i-- > 0;)
        described.insert(
            1, QStringLiteral("  davon Jahrgang %1: %2").arg(m.parts[i].cohort).arg(counts[i]));
    return described;
}

namespace {

// The figures with a whole number and their bounds, in the order the search weighs them: their
// names in the JSON and the reasons, and as the verdict names them.
struct Figure {
    const char* json;
    const char* label;
    int Evaluation::*value;
    int Evaluation::*bound;
};
const Figure kFigures[] = {
    {"ruleViolations", "Regeln verletzt", &Evaluation::ruleViolations,
     &Evaluation::ruleViolationBound},
    {"teacherClashes", "Lehrerkollisionen", &Evaluation::teacherClashes,
     &Evaluation::teacherClashBound},
    {"collisions", "Kollisionen", &Evaluation::collisions, &Evaluation::collisionBound},
    {"otherCollisions", "Kollisionen der anderen Jahrgangsstufe", &Evaluation::otherCollisions,
     &Evaluation::otherCollisionBound},
    {"unplaced", "Kurse nicht gesetzt", &Evaluation::unplaced, &Evaluation::unplacedBound},
    {"withoutCourse", "Belegungen ohne Kurs", &Evaluation::withoutCourse,
     &Evaluation::withoutCourseBound},
    {"outsideLimits", "Kurse außerhalb ihrer Grenzen", &Evaluation::outsideLimits,
     &Evaluation::outsideLimitsBound},
    {"surplus", "Kurse auf zu vielen Schienen", &Evaluation::surplus, &Evaluation::surplusBound},
    {"largestDifference", "Größte Differenz", &Evaluation::largestDifference,
     &Evaluation::differenceBound},
};
const char* const kDeviation = "squaredDeviation";
const char* const kDeviationLabel = "Summe der Abweichungsquadrate";

// How even the parallel courses are: their largest difference and squared deviations.
void countEvenness(const Model& m, const std::vector<int>& sizes, Evaluation& e) {
    e.largestDifference = 0;
    for (const Group& g : m.groups) {
        if (g.courses.size() < 2)
            continue;
        int lo = sizes[g.courses[0]];
        int hi = lo;
        long long sum = 0;
        long long squares = 0;
        for (int k : g.courses) {
            const int s = sizes[k];
            lo = std::min(lo, s);
            hi = std::max(hi, s);
            sum += s;
            squares += static_cast<long long>(s) * s;
        }
        const double n = static_cast<double>(g.courses.size());
        e.squaredDeviation +=
            static_cast<double>(squares) - static_cast<double>(sum) * static_cast<double>(sum) / n;
        if (hi - lo > e.largestDifference || e.largestDifferenceGroup.isEmpty()) {
            e.largestDifference = hi - lo;
            e.largestDifferenceGroup = g.label;
        }
    }
    if (std::abs(e.squaredDeviation) < kEpsilon)
        e.squaredDeviation = 0;
}

// The figures of the plan itself.
void count(const Model& m, const Placement& p, const Assignment& a, Evaluation& e) {
    e.students = m.ownStudents;
    e.courses = m.ownCourses;
    countClashes(m, p, a, e);
    for (size_t i = 0; i < m.choices.size(); ++i)
        if (!m.serves(a[i], static_cast<int>(i)))
            e.withoutCourseChoices.push_back(static_cast<int>(i));
    e.withoutCourse = static_cast<int>(e.withoutCourseChoices.size());
    e.rules = !m.rules.empty();
    for (const PlanRule& r : m.rules)
        if (!keeps(m, p, a, r)) {
            ++e.ruleViolations;
            e.ruleViolationList << r.text;
        }
    e.teachers = !m.teachers.isEmpty();
    for (const TeacherClash& t : teacherClashes(m, p)) {
        e.teacherClashes += static_cast<int>(t.courses.size()) - 1;
        QStringList names;
        for (int k : t.courses)
            names << m.courses[k].name.trimmed();
        e.teacherClashList << QStringLiteral("Lehrer %1, Schiene %2: %3")
                                  .arg(m.teachers[t.teacher], m.rails[t.rail].name.trimmed(),
                                       names.join(QStringLiteral(", ")));
    }
    const std::vector<int> sizes = courseSizes(m, a);
    for (size_t k = 0; k < m.courses.size(); ++k) {
        const Course& c = m.courses[k];
        if (!c.own)
            continue;
        if ((c.max > 0 && sizes[k] > c.max) || (c.min > 0 && sizes[k] < c.min))
            ++e.outsideLimits;
        if (c.hours > 0 && m.placedHours(p, static_cast<int>(k)) < c.hours)
            ++e.unplaced;
        if (onSurplusRail(m, p, static_cast<int>(k))) {
            ++e.surplus;
            e.surplusCourses << c.name.trimmed();
        }
    }
    countEvenness(m, sizes, e);
}

// The bounds beside the figures, none above its figure, with the reasons of those above 0.
void bound(const FigureBounds& b, Evaluation& e) {
    const int values[] = {b.ruleViolations,  b.teacherClashes, b.collisions,
                          b.otherCollisions, b.unplaced,       b.withoutCourse,
                          b.outsideLimits,   b.surplus,        b.difference};
    bool optimal = true;
    for (size_t i = 0; i < std::size(kFigures); ++i) {
        const Figure& f = kFigures[i];
        e.*f.bound = std::min(values[i], e.*f.value);
        optimal = optimal && e.*f.value == e.*f.bound;
        // A plan below the bound shows the reasons do not bind it.
        if (e.*f.bound > 0 && e.*f.bound == values[i] && b.reasons.contains(QLatin1String(f.json)))
            e.reasons.insert(QLatin1String(f.json), b.reasons.value(QLatin1String(f.json)));
    }
    e.deviationBound = std::min(b.deviation, e.squaredDeviation);
    if (std::abs(e.deviationBound) < kEpsilon)
        e.deviationBound = 0;
    if (e.deviationBound > 0 && e.deviationBound == b.deviation &&
        b.reasons.contains(QLatin1String(kDeviation)))
        e.reasons.insert(QLatin1String(kDeviation), b.reasons.value(QLatin1String(kDeviation)));
    e.optimal = optimal && e.squaredDeviation <= e.deviationBound + kEpsilon;
}

} // namespace

Evaluation evaluate(const Model& m, const Placement& p, const Assignment& a,
                    const FigureBounds* bounds) {
    Evaluation e;
    count(m, p, a, e);
    if (bounds) {
        bound(*bounds, e);
    } else {
        const std::shared_ptr<const FigureBounds> current = currentBounds(m);
        bound(*current, e);
    }
    return e;
}

namespace {

// A search's verdict: "optimal" only when proven; otherwise what the plan misses, each figure
// beside its bound.
QString verdict(const Evaluation& e, bool keptPlaced) {
    if (e.optimal)
        return QStringLiteral("optimal");
    QStringList misses;
    const auto miss = [&](const QString& what, const QString& value, const QString& bound) {
        misses << QStringLiteral("%1 %2, Untergrenze %3%4")
                      .arg(what, value, bound,
                           keptPlaced ? QString() : QStringLiteral(": nicht bewiesen"));
    };
    for (const Figure& f : kFigures)
        if (e.*f.value > e.*f.bound)
            miss(QString::fromUtf8(f.label), QString::number(e.*f.value),
                 QString::number(e.*f.bound));
    if (e.squaredDeviation > e.deviationBound + kEpsilon)
        miss(QString::fromUtf8(kDeviationLabel), decimal(e.squaredDeviation),
             decimal(e.deviationBound));
    const QString found = keptPlaced
                              ? QStringLiteral("bestmöglich, solange die gesetzten Kurse bleiben")
                              : QStringLiteral("beste gefundene Lösung");
    return misses.isEmpty() ? found
                            : found + QStringLiteral(" (") + misses.join(QStringLiteral("; ")) +
                                  QLatin1Char(')');
}

// ", bestmöglich 3" where the bound lies above 0.
QString atBest(int bound) {
    return bound > 0 ? QStringLiteral(", bestmöglich %1").arg(bound) : QString();
}

QString listed(bool show, const QStringList& items, const QString& separator) {
    return show ? QStringLiteral(" (%1)").arg(items.join(separator)) : QString();
}

} // namespace

QStringList describe(const Evaluation& e, bool namesTeachers, bool searched, bool keptPlaced) {
    // The courses not yet placed stand beside the collisions: few collisions with courses left
    // off the rails are no better plan. Every evaluation has the same lines, so that two of them
    // can stand side by side.
    QStringList out;
    out << QStringLiteral("Kollisionen (Schüler): %1%2%3")
               .arg(e.collisions)
               .arg(atBest(e.collisionBound))
               .arg(e.otherCollisions > 0 ? QStringLiteral(", dazu %1 der anderen Jahrgangsstufe%2")
                                                .arg(e.otherCollisions)
                                                .arg(atBest(e.otherCollisionBound))
                                          : QString())
        << QStringLiteral("Kollidierende Kurspaare: %1").arg(e.clashingPairs);
    // A school that names no teachers needs no line for them.
    if (e.teachers)
        out << QStringLiteral("Lehrerkollisionen: %1%2%3")
                   .arg(e.teacherClashes)
                   .arg(atBest(e.teacherClashBound))
                   .arg(listed(namesTeachers && e.teacherClashes > 0, e.teacherClashList,
                               QStringLiteral("; ")));
    if (e.rules)
        out << QStringLiteral("Regeln verletzt: %1%2%3")
                   .arg(e.ruleViolations)
                   .arg(atBest(e.ruleViolationBound))
                   .arg(listed(e.ruleViolations > 0, e.ruleViolationList, QStringLiteral("; ")));
    out << QStringLiteral("Kurse nicht gesetzt: %1%2").arg(e.unplaced).arg(atBest(e.unplacedBound))
        << QStringLiteral("Belegungen ohne Kurs: %1%2")
               .arg(e.withoutCourse)
               .arg(atBest(e.withoutCourseBound))
        << QStringLiteral("Kurse außerhalb ihrer Grenzen: %1%2")
               .arg(e.outsideLimits)
               .arg(atBest(e.outsideLimitsBound))
        << QStringLiteral("Kurse auf zu vielen Schienen: %1%2%3")
               .arg(e.surplus)
               .arg(atBest(e.surplusBound))
               .arg(listed(e.surplus > 0, e.surplusCourses, QStringLiteral(", ")))
        << QStringLiteral("Größte Differenz: %1%2, bestmöglich %3")
               .arg(e.largestDifference)
               .arg(e.largestDifferenceGroup.isEmpty()
                        ? QString()
                        : QStringLiteral(" (") + e.largestDifferenceGroup + QLatin1Char(')'))
               .arg(e.differenceBound)
        << QStringLiteral("Summe der Abweichungsquadrate: %1, Untergrenze %2")
               .arg(decimal(e.squaredDeviation), decimal(e.deviationBound));
    if (searched)
        out << verdict(e, keptPlaced);
    else if (e.optimal)
        out << QStringLiteral("optimal");
    return out;
}

QStringList explain(const Evaluation& e) {
    QStringList out;
    const auto add = [&](const char* json, const QString& label, const QString& bound) {
        const QStringList reasons = e.reasons.value(QLatin1String(json));
        if (reasons.isEmpty())
            return;
        out << QStringLiteral("%1: mindestens %2").arg(label, bound);
        for (const QString& r : reasons)
            out << QStringLiteral("  ") + r;
    };
    for (const Figure& f : kFigures)
        add(f.json, QString::fromUtf8(f.label), QString::number(e.*f.bound));
    add(kDeviation, QString::fromUtf8(kDeviationLabel), decimal(e.deviationBound));
    return out;
}

QJsonObject toJson(const Evaluation& e) {
    QJsonObject reasons;
    for (auto it = e.reasons.cbegin(); it != e.reasons.cend(); ++it)
        reasons.insert(it.key(), QJsonArray::fromStringList(it.value()));
    return QJsonObject{
        {QStringLiteral("students"), e.students},
        {QStringLiteral("courses"), e.courses},
        {QStringLiteral("collisions"), e.collisions},
        {QStringLiteral("collisionBound"), e.collisionBound},
        {QStringLiteral("otherCollisions"), e.otherCollisions},
        {QStringLiteral("otherCollisionBound"), e.otherCollisionBound},
        {QStringLiteral("teacherClashes"), e.teacherClashes},
        {QStringLiteral("teacherClashList"), QJsonArray::fromStringList(e.teacherClashList)},
        {QStringLiteral("teacherClashBound"), e.teacherClashBound},
        {QStringLiteral("ruleViolations"), e.ruleViolations},
        {QStringLiteral("ruleViolationList"), QJsonArray::fromStringList(e.ruleViolationList)},
        {QStringLiteral("ruleViolationBound"), e.ruleViolationBound},
        {QStringLiteral("withoutCourse"), e.withoutCourse},
        {QStringLiteral("withoutCourseBound"), e.withoutCourseBound},
        {QStringLiteral("clashingPairs"), e.clashingPairs},
        {QStringLiteral("outsideLimits"), e.outsideLimits},
        {QStringLiteral("outsideLimitsBound"), e.outsideLimitsBound},
        {QStringLiteral("unplaced"), e.unplaced},
        {QStringLiteral("unplacedBound"), e.unplacedBound},
        {QStringLiteral("surplus"), e.surplus},
        {QStringLiteral("surplusCourses"), QJsonArray::fromStringList(e.surplusCourses)},
        {QStringLiteral("surplusBound"), e.surplusBound},
        {QStringLiteral("largestDifference"), e.largestDifference},
        {QStringLiteral("largestDifferenceGroup"), e.largestDifferenceGroup},
        {QStringLiteral("differenceBound"), e.differenceBound},
        {QStringLiteral("squaredDeviation"), std::round(e.squaredDeviation * 100) / 100},
        {QStringLiteral("deviationBound"), std::round(e.deviationBound * 100) / 100},
        {QStringLiteral("reasons"), reasons},
        {QStringLiteral("optimal"), e.optimal},
    };
}

} // namespace blocking
