#include "blocking/SearchProblem.h"

#include <algorithm>
#include <iterator>

namespace blocking::search {

Problem::Problem(const Model& model, Mode mode, const FigureBounds& bounds)
    : m(model), f(freedom(model, mode)) {
    courses = static_cast<int>(m.courses.size());
    students = static_cast<int>(m.students.size());
    takeFamilies();
    takeStudents();
    takeRules();
    keep = mode == Mode::Keep;
    if (keep) {
        storedCourse.assign(freeChoice.size(), -1);
        for (size_t f = 0; f < freeChoice.size(); ++f) {
            const int k = m.assignment[freeChoice[f]];
            const std::vector<int>& c = candidates(static_cast<int>(f));
            if (std::find(c.begin(), c.end(), k) != c.end())
                storedCourse[f] = k;
        }
    }
    teacherMovable.resize(m.teachers.size());
    for (int k : movable)
        if (m.courses[k].teacher >= 0)
            teacherMovable[m.courses[k].teacher].push_back(k);
    squareBound = bounds.squares;
    differenceBound = bounds.difference;
    for (const GroupBound& g : bounds.groups)
        groupSquares.push_back(g.squares);
    for (int i : freeChoice)
        current.push_back(m.assignment[i]);
    forced.assign(students, 0);
    for (int s : bounds.forcedStudents)
        forced[s] = 1;
    // Rounds of about the same work, whatever the school's size.
    movesPerRound =
        std::clamp(300000 / std::max<int>(1, static_cast<int>(freeChoice.size())), 8, 256);
}

// Movable courses, and families of those with the same rails to choose from.
void Problem::takeFamilies() {
    family.assign(courses, -1);
    for (int k = 0; k < courses; ++k) {
        if (f.options[k].size() < 2)
            continue;
        movable.push_back(k);
        int fam = -1;
        for (size_t i = 0; i < families.size() && fam < 0; ++i)
            if (f.options[families[i][0]] == f.options[k])
                fam = static_cast<int>(i);
        if (fam < 0) {
            fam = static_cast<int>(families.size());
            families.emplace_back();
        }
        families[fam].push_back(k);
        family[k] = fam;
    }
}

// Per student his choices the search may move and the courses he keeps; per course the students
// a move of it touches.
void Problem::takeStudents() {
    touched.resize(courses);
    fixedCourses.resize(students);
    freeBegin.push_back(0);
    for (int s = 0; s < students; ++s) {
        const Student& st = m.students[s];
        std::vector<int>& fixed = fixedCourses[s];
        const auto addFixed = [&](int k) {
            if (k >= 0 && std::find(fixed.begin(), fixed.end(), k) == fixed.end())
                fixed.push_back(k);
        };
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i) {
            const int t = m.choices[i].type;
            if (t < 0) {
                addFixed(m.assignment[i]);
                continue;
            }
            freeChoice.push_back(i);
            freeType.push_back(t);
            for (int k : m.types[t].candidates)
                if (touched[k].empty() || touched[k].back() != s)
                    touched[k].push_back(s);
        }
        for (int k : st.fixedCourses)
            addFixed(k);
        for (int k : fixed)
            if (family[k] >= 0 && (touched[k].empty() || touched[k].back() != s))
                touched[k].push_back(s);
        freeBegin.push_back(static_cast<int>(freeChoice.size()));
    }
    for (std::vector<int>& t : touched)
        std::sort(t.begin(), t.end());
    groupChoices.resize(m.groups.size());
    for (int s = 0; s < students; ++s)
        for (int f = freeBegin[s]; f < freeBegin[s + 1]; ++f) {
            freeStudent.push_back(s);
            const int g = m.courses[m.types[freeType[f]].candidates[0]].group;
            groupChoices[g].push_back(f);
        }
}

void Problem::takeRules() {
    rulesOf.resize(courses);
    restrictedAt.assign(freeChoice.size(), -1);
    ties.resize(students);
    followers.resize(students);
    tied.assign(students, 0);
    for (int r = 0; r < static_cast<int>(m.rules.size()); ++r) {
        const PlanRule& rule = m.rules[r];
        switch (rule.kind) {
        case RuleKind::CoursesTogether:
        case RuleKind::CoursesApart:
            placementRules.push_back(r);
            rulesOf[rule.first].push_back(r);
            rulesOf[rule.second].push_back(r);
            break;
        case RuleKind::ParallelsApart:
            placementRules.push_back(r);
            for (int k : rule.courses)
                rulesOf[k].push_back(r);
            break;
        case RuleKind::StudentInCourse:
        case RuleKind::StudentNotInCourse:
            for (int f = freeBegin[rule.first]; f < freeBegin[rule.first + 1]; ++f) {
                const std::vector<int>& now = candidates(f);
                if (std::find(now.begin(), now.end(), rule.second) == now.end())
                    continue;
                std::vector<int> keep;
                if (rule.kind == RuleKind::StudentInCourse)
                    keep = {rule.second};
                else
                    std::copy_if(now.begin(), now.end(), std::back_inserter(keep),
                                 [&](int k) { return k != rule.second; });
                // A choice the rules leave no course keeps its candidates; the evaluation
                // names the rule it breaks.
                if (keep.empty())
                    continue;
                restrictedAt[f] = static_cast<int>(restricted.size());
                restricted.push_back(std::move(keep));
            }
            break;
        case RuleKind::StudentsTogether:
        case RuleKind::StudentsApart:
            ties[rule.second].push_back({rule.first, rule.kind == RuleKind::StudentsTogether});
            followers[rule.first].push_back(rule.second);
            tied[rule.first] = tied[rule.second] = 1;
            break;
        default:
            break;
        }
    }
}

Placement placementOf(const Problem& p, const Snapshot& s) {
    Placement out;
    out.rails.resize(p.courses);
    out.fixed.resize(p.courses);
    for (int k = 0; k < p.courses; ++k) {
        out.rails[k] = p.railsOf(k, s.option[k]);
        out.fixed[k] = p.m.placement.fixed[k] & out.rails[k];
    }
    return out;
}

Assignment assignmentOf(const Problem& p, const Snapshot& s) {
    Assignment a = p.m.assignment;
    for (size_t f = 0; f < p.freeChoice.size(); ++f)
        a[p.freeChoice[f]] = s.assign[f];
    return a;
}

} // namespace blocking::search
