// The planner's rules that no plan keeps together: found before the search, each group the
// least that contradicts, so that the rule bound counts one broken rule per group.
#include "blocking/Bounds.h"

#include "blocking/Domains.h"
#include "blocking/Search.h"

#include <algorithm>

namespace blocking {

namespace {

bool consistent(const Model& m, const Domains& base, const std::vector<char>& active) {
    Domains d = base;
    return narrow(m, d, active);
}

// A least group of the rules in pool that no plan keeps together: the shortest inconsistent
// prefix, then every rule left out whose absence keeps the rest inconsistent.
std::vector<int> leastGroup(const Model& m, const Domains& base, const std::vector<int>& pool) {
    std::vector<char> active(m.rules.size(), 0);
    const auto upTo = [&](size_t n) {
        std::fill(active.begin(), active.end(), 0);
        for (size_t i = 0; i < n; ++i)
            active[pool[i]] = 1;
        return consistent(m, base, active);
    };
    size_t lo = 1;
    size_t hi = pool.size(); // upTo(hi) is inconsistent
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (upTo(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    std::vector<int> group(pool.begin(), pool.begin() + static_cast<std::ptrdiff_t>(hi));
    std::fill(active.begin(), active.end(), 0);
    for (int r : group)
        active[r] = 1;
    // The last of the prefix belongs to the group; the others are tried without.
    for (size_t i = 0; i + 1 < group.size();) {
        active[group[i]] = 0;
        if (consistent(m, base, active)) {
            active[group[i]] = 1;
            ++i;
        } else {
            group.erase(group.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return group;
}

// Why one rule alone breaks, where a short reason exists.
QString aloneWhy(const Model& m, const Domains& base, const PlanRule& r) {
    const auto fixed = [&](int s, int k) {
        return std::find(base.fixed[s].begin(), base.fixed[s].end(), k) != base.fixed[s].end();
    };
    switch (r.kind) {
    case RuleKind::StudentNotInCourse:
        if (fixed(r.first, r.second))
            return QStringLiteral(": %1 bleibt in diesem Kurs.").arg(m.students[r.first].named());
        return QStringLiteral(": Nur dieser Kurs bietet %1 eine seiner Wahlen.")
            .arg(m.students[r.first].named());
    case RuleKind::StudentInCourse:
        return QStringLiteral(": Der Kurs passt nicht zu den Wahlen von %1.")
            .arg(m.students[r.first].named());
    case RuleKind::StudentsApart:
        return QStringLiteral(": Beide müssen in einen gemeinsamen Kurs.");
    case RuleKind::CourseNotOnRail:
        return QStringLiteral(": Der Kurs bleibt auf dieser Schiene.");
    case RuleKind::CoursesTogether:
        return QStringLiteral(": Die Kurse finden keine gemeinsamen Schienen.");
    default:
        return QStringLiteral(": Die Kurse liegen fest auf einer gemeinsamen Schiene.");
    }
}

QString groupText(const Model& m, const Domains& base, const std::vector<int>& group) {
    QStringList quoted;
    for (int r : group)
        quoted << QStringLiteral("„%1“").arg(m.rules[r].text);
    if (group.size() == 1)
        return QStringLiteral("Die Regel %1 kann kein Plan einhalten%2")
            .arg(quoted.front(), aloneWhy(m, base, m.rules[group.front()]));
    const QString last = quoted.takeLast();
    return QStringLiteral("Die Regeln %1 und %2 widersprechen sich.")
        .arg(quoted.join(QStringLiteral(", ")), last);
}

} // namespace

RuleConflicts findRuleConflicts(const Model& m, const Freedom& f) {
    RuleConflicts out;
    out.safe.assign(m.rules.size(), 1);
    if (m.rules.empty())
        return out;
    const Domains base = baseDomains(m, f);
    std::vector<int> pool(m.rules.size());
    for (size_t r = 0; r < pool.size(); ++r)
        pool[r] = static_cast<int>(r);
    for (;;) {
        std::vector<char> active(m.rules.size(), 0);
        for (int r : pool)
            active[r] = 1;
        if (pool.empty() || consistent(m, base, active))
            break;
        const std::vector<int> group = leastGroup(m, base, pool);
        for (int r : group)
            out.safe[r] = 0;
        std::erase_if(pool, [&](int r) { return !out.safe[r]; });
        out.lines << groupText(m, base, group);
        out.groups.push_back(group);
    }
    return out;
}

QStringList ruleConflicts(const Model& m, Mode mode) {
    if (m.rules.empty())
        return {}; // spares a look at every course's freedom
    const Freedom f = freedom(m, mode);
    return f.ruleConflicts + findRuleConflicts(m, f).lines;
}

} // namespace blocking
