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

// The hours of the one rail every way of placing the course takes; 0 when there is no such.
int singleRailHours(const Model& m, const Freedom& f, int k) {
    if (!f.kept[k].empty() || f.options[k].empty())
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

} // namespace

QStringList reasons(const Model& m, const Freedom& f, const Placement& p, const Assignment& a) {
    QStringList out;
    for (const QString& name : f.unplaceable)
        out << QStringLiteral("Kurs %1: Keine Schienen nehmen seine Stunden auf.").arg(name);

    QMap<int, int> railsWithHours;
    int railCount = 0;
    for (const Rail& r : m.rails)
        if (r.hours > 0) {
            ++railsWithHours[r.hours];
            ++railCount;
        }
    const int allHours = m.totalRailHours();

    for (int s = 0; s < m.ownStudents; ++s) {
        if (!collides(m, p, a, s))
            continue;
        const Student& st = m.students[s];
        int hours = 0;
        int rails = 0;
        QMap<int, int> needs;   // hours of a rail -> choices that need one rail of them
        std::vector<int> fixed; // courses that cannot go elsewhere
        const auto count = [&](int k, bool alone) {
            hours += m.courses[k].hours;
            rails += railsNeeded(f, k);
            if (const int h = singleRailHours(m, f, k))
                ++needs[h];
            if (alone && f.options[k].size() < 2)
                fixed.push_back(k);
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

        QString why;
        if (hours > allHours)
            why =
                QStringLiteral("Seine Kurse brauchen %1 Stunden, alle Schienen zusammen haben %2.")
                    .arg(hours)
                    .arg(allHours);
        else if (rails > railCount)
            why = QStringLiteral("Seine Kurse brauchen %1 Schienen, es gibt %2.")
                      .arg(rails)
                      .arg(railCount);
        for (auto it = needs.constBegin(); why.isEmpty() && it != needs.constEnd(); ++it)
            if (it.value() > railsWithHours.value(it.key()))
                why = QStringLiteral("Seine Kurse brauchen %1 Schienen mit %2 Stunden, es gibt %3.")
                          .arg(it.value())
                          .arg(it.key())
                          .arg(railsWithHours.value(it.key()));
        for (size_t i = 0; why.isEmpty() && i < fixed.size(); ++i)
            for (size_t j = i + 1; why.isEmpty() && j < fixed.size(); ++j) {
                const RailSet both = p.rails[fixed[i]] & p.rails[fixed[j]];
                if (fixed[i] != fixed[j] && !both.empty())
                    why = QStringLiteral("Die Kurse %1 und %2 liegen fest auf der Schiene %3.")
                              .arg(m.courses[fixed[i]].name, m.courses[fixed[j]].name,
                                   m.rails[both.first()].name.trimmed());
            }
        if (!why.isEmpty())
            out << st.name + QStringLiteral(": ") + why;
    }

    // A course of both year groups whose students of the other cohort, with courses that stay
    // where they are, leave it no rail.
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!m.courses[k].own)
            continue;
        RailSet taken;
        bool colliding = false;
        for (size_t s = m.ownStudents; s < m.students.size(); ++s) {
            const std::vector<int>& fc = m.students[s].fixedCourses;
            if (std::find(fc.begin(), fc.end(), static_cast<int>(k)) == fc.end())
                continue;
            colliding = colliding || collides(m, p, a, static_cast<int>(s));
            for (int other : fc)
                if (other != static_cast<int>(k) && f.options[other].size() < 2)
                    taken |= p.rails[other];
        }
        if (!colliding)
            continue;
        bool free = f.options[k].empty() && !f.kept[k].intersects(taken);
        for (const RailSet& o : f.options[k])
            free = free || !(f.kept[k] | o).intersects(taken);
        if (!free)
            out << QStringLiteral("Kurs %1: Seine Schüler des anderen Jahrgangs haben auf jeder "
                                  "Schiene, die er nehmen kann, schon einen Kurs.")
                       .arg(m.courses[k].name);
    }
    return out;
}

} // namespace blocking
