#include "blocking/Domains.h"

#include "blocking/Search.h"

#include <algorithm>

namespace blocking {

namespace {

bool contains(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

// Keeps what `keep` says of a domain; whether anything went (changed is set then).
template <class T, class Keep> void keepOnly(std::vector<T>& v, Keep keep, bool& changed) {
    const size_t before = v.size();
    std::erase_if(v, [&](const T& x) { return !keep(x); });
    changed = changed || v.size() != before;
}

// Narrowing by one rule: each step removes what the rule forbids.
class Narrowing {
public:
    Narrowing(const Model& m, Domains& d) : m_(m), d_(d) {}

    // Whether the rule may still hold; changed is set where a domain shrank.
    bool apply(const PlanRule& r, bool& changed) {
        switch (r.kind) {
        case RuleKind::CourseNotOnRail:
            keepOnly(
                d_.rails[r.first], [&](const RailSet& s) { return !s.has(r.second); }, changed);
            return !d_.rails[r.first].empty();
        case RuleKind::CoursesTogether:
            return together(r.first, r.second, changed);
        case RuleKind::CoursesApart:
            return apart(r.first, r.second, changed) && apart(r.second, r.first, changed);
        case RuleKind::ParallelsApart:
            for (int a : r.courses)
                for (int b : r.courses)
                    if (a != b && !apart(a, b, changed))
                        return false;
            return true;
        case RuleKind::StudentInCourse:
            return inCourse(r.first, r.second, changed);
        case RuleKind::StudentNotInCourse:
            return notInCourse(r.first, r.second, changed);
        case RuleKind::StudentsTogether:
            return studentsTogether(r.first, r.second, changed);
        case RuleKind::StudentsApart:
            return studentsApart(r.first, r.second, changed) &&
                   studentsApart(r.second, r.first, changed);
        }
        return true;
    }

private:
    const Student& student(int s) const { return m_.students[s]; }

    bool together(int a, int b, bool& changed) {
        std::vector<RailSet>& da = d_.rails[a];
        std::vector<RailSet>& db = d_.rails[b];
        keepOnly(
            da, [&](const RailSet& s) { return std::find(db.begin(), db.end(), s) != db.end(); },
            changed);
        keepOnly(
            db, [&](const RailSet& s) { return std::find(da.begin(), da.end(), s) != da.end(); },
            changed);
        return !da.empty();
    }

    // Course a keeps the rail sets that leave course b one apart from them.
    bool apart(int a, int b, bool& changed) {
        const std::vector<RailSet>& db = d_.rails[b];
        keepOnly(
            d_.rails[a],
            [&](const RailSet& s) {
                return std::any_of(db.begin(), db.end(),
                                   [&](const RailSet& t) { return !s.intersects(t); });
            },
            changed);
        return !d_.rails[a].empty();
    }

    bool inCourse(int s, int k, bool& changed) {
        // Where he did not choose the course's subject and kind the rule holds anyway, and a
        // course he keeps anyway keeps it.
        if (contains(d_.fixed[s], k))
            return true;
        int served = -1;
        int count = 0;
        const Student& st = student(s);
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
            if (m_.serves(k, i)) {
                served = i;
                ++count;
            }
        if (count == 0)
            return true;
        if (count > 1) {
            for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
                if (m_.serves(k, i) && contains(d_.courses[i], k))
                    return true;
            return false;
        }
        keepOnly(
            d_.courses[served], [&](int c) { return c == k; }, changed);
        return !d_.courses[served].empty();
    }

    bool notInCourse(int s, int k, bool& changed) {
        if (contains(d_.fixed[s], k))
            return false;
        const Student& st = student(s);
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i) {
            if (m_.choices[i].type < 0)
                continue;
            keepOnly(
                d_.courses[i], [&](int c) { return c != k; }, changed);
            if (d_.courses[i].empty())
                return false;
        }
        return true;
    }

    bool studentsTogether(int s1, int s2, bool& changed) {
        const Student& x = student(s1);
        const Student& y = student(s2);
        for (int i = x.firstChoice; i < x.firstChoice + x.choiceCount; ++i)
            for (int j = y.firstChoice; j < y.firstChoice + y.choiceCount; ++j) {
                const int t = m_.choices[i].type;
                if (t < 0 || t != m_.choices[j].type)
                    continue;
                std::vector<int>& a = d_.courses[i];
                std::vector<int>& b = d_.courses[j];
                keepOnly(
                    a, [&](int c) { return contains(b, c); }, changed);
                keepOnly(
                    b, [&](int c) { return contains(a, c); }, changed);
                if (a.empty())
                    return false;
            }
        return true;
    }

    // What s1 sits in for sure, s2 must leave.
    bool studentsApart(int s1, int s2, bool& changed) {
        std::vector<int> sure = d_.fixed[s1];
        const Student& x = student(s1);
        for (int i = x.firstChoice; i < x.firstChoice + x.choiceCount; ++i)
            if (m_.choices[i].type >= 0 && d_.courses[i].size() == 1)
                sure.push_back(d_.courses[i].front());
        for (int k : d_.fixed[s2])
            if (contains(sure, k))
                return false;
        const Student& y = student(s2);
        for (int j = y.firstChoice; j < y.firstChoice + y.choiceCount; ++j) {
            if (m_.choices[j].type < 0)
                continue;
            keepOnly(
                d_.courses[j], [&](int c) { return !contains(sure, c); }, changed);
            if (d_.courses[j].empty())
                return false;
        }
        return true;
    }

    const Model& m_;
    Domains& d_;
};

} // namespace

bool chooses(const Model& m, int student, int course) {
    const Student& s = m.students[student];
    for (int i = s.firstChoice; i < s.firstChoice + s.choiceCount; ++i)
        if (m.serves(course, i))
            return true;
    return false;
}

Domains baseDomains(const Model& m, const Freedom& f) {
    Domains d;
    d.rails.resize(m.courses.size());
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (f.options[k].empty())
            d.rails[k] = {f.kept[k]};
        for (const RailSet& o : f.options[k])
            d.rails[k].push_back(f.kept[k] | o);
    }
    d.courses.resize(m.choices.size());
    for (size_t i = 0; i < m.choices.size(); ++i)
        if (const int t = m.choices[i].type; t >= 0)
            d.courses[i] = m.types[t].candidates;
    d.fixed.resize(m.ownStudents);
    for (int s = 0; s < m.ownStudents; ++s) {
        const Student& st = m.students[s];
        std::vector<int>& fixed = d.fixed[s];
        const auto add = [&](int k) {
            if (k >= 0 && !contains(fixed, k))
                fixed.push_back(k);
        };
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
            if (m.choices[i].type < 0)
                add(m.assignment[i]);
        for (int k : st.fixedCourses)
            add(k);
    }
    return d;
}

bool narrow(const Model& m, Domains& d, const std::vector<char>& active) {
    Narrowing n(m, d);
    // Each pass shrinks a domain or ends; a few dozen passes are plenty for chains of rules.
    for (int pass = 0; pass < 64; ++pass) {
        bool changed = false;
        for (size_t r = 0; r < m.rules.size(); ++r)
            if (active[r] && !n.apply(m.rules[r], changed))
                return false;
        if (!changed)
            return true;
    }
    return true;
}

} // namespace blocking
