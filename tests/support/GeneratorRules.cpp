#include "GeneratorParts.h"

#include "db/Database.h"

#include <algorithm>

namespace test::generator {

namespace {

using blocking::Random;

// Some rules of each kind that the hidden plan keeps, on cohort 2009 (index 0), as the planner
// names them; in a real school's shape (exact) as many of each as asked.
class RuleMaker {
public:
    RuleMaker(Random& r, const std::vector<GroupDef>& groups, const std::vector<CourseDef>& courses,
              const std::vector<std::uint64_t>& railsOf, const std::vector<StudentDef>& students,
              const std::vector<QString>& names, bool exact)
        : r_(r), groups_(groups), courses_(courses), railsOf_(railsOf), students_(students),
          names_(names), exact_(exact) {
        for (size_t k = 0; k < courses.size(); ++k)
            if (courses[k].id > 0 && groups[courses[k].group].cohort <= 0)
                own_.push_back(static_cast<int>(k));
        for (size_t s = 0; s < students.size(); ++s)
            if (students[s].cohort == 0)
                cohort_.push_back(static_cast<int>(s));
    }

    std::vector<QStringList> make(const SchoolSettings::RuleCounts& n, int rails, int forbidden) {
        if (own_.size() < 2)
            return out_;
        notOnRail(n.notOnRail, rails);
        apartSubjects(n.apartSubjects);
        coursePairs(n.together, n.apart);
        if (cohort_.size() < 2)
            return out_;
        inCourse(n.inCourse);
        notInCourse(n.notInCourse);
        studentPairs(n.studentsTogether, n.studentsApart);
        notOnRail(forbidden, rails);
        return out_;
    }

private:
    int any(const std::vector<int>& v) { return v[r_.below(static_cast<int>(v.size()))]; }
    static QString key(int s) { return db::sixKey(s + 1); }
    int tries(int n) const { return exact_ ? n * 50 : n; }

    void notOnRail(int n, int rails) {
        for (int i = 0, added = 0; i < tries(n) && added < n; ++i) {
            const int k = any(own_);
            if (const int rail = r_.below(rails); !(railsOf_[k] >> rail & 1)) {
                const QStringList rule{"course-not-on-rail", names_[k],
                                       QStringLiteral("S%1").arg(rail + 1)};
                if (std::find(out_.begin(), out_.end(), rule) == out_.end()) {
                    out_.push_back(rule);
                    ++added;
                }
            }
        }
    }
    // Subjects whose parallels (every kind) the plan has on different rails.
    void apartSubjects(int n) {
        for (int sub = 0, apart = 0; sub < kSubjectCount && apart < n; ++sub) {
            std::uint64_t seen = 0;
            int count = 0;
            bool disjoint = true;
            for (int k : own_)
                if (groups_[courses_[k].group].subject == sub) {
                    disjoint = disjoint && !(seen & railsOf_[k]);
                    seen |= railsOf_[k];
                    ++count;
                }
            if (disjoint && count >= 2 && (exact_ || r_.below(2) == 0)) {
                out_.push_back({"parallels-apart", kSubjects[sub].first});
                ++apart;
            }
        }
    }
    // Pairs of courses together or apart as the plan has them.
    void coursePairs(int together, int apart) {
        for (int tries = 0, t = 0, a = 0;
             tries < (exact_ ? 4000 : 400) && (t < together || a < apart); ++tries) {
            const int x = any(own_), y = any(own_);
            if (x != y && railsOf_[x] == railsOf_[y] && t < together) {
                out_.push_back({"courses-together", names_[x], names_[y]});
                ++t;
            } else if (x != y && !(railsOf_[x] & railsOf_[y]) && a < apart) {
                out_.push_back({"courses-apart", names_[x], names_[y]});
                ++a;
            }
        }
    }
    void inCourse(int n) {
        for (int i = 0; i < n; ++i) {
            const int s = any(cohort_);
            const StudentDef& st = students_[s];
            if (st.picks.empty())
                continue;
            const int k = st.planned[r_.below(static_cast<int>(st.picks.size()))];
            out_.push_back({"student-in-course", key(s), names_[k]});
            kept_.emplace_back(s, k);
        }
    }
    // A student kept out of a parallel of one of his courses.
    void notInCourse(int n) {
        for (int tries = 0, added = 0; tries < n * 50 && added < n; ++tries) {
            const int s = any(cohort_);
            const StudentDef& st = students_[s];
            if (st.picks.empty())
                continue;
            const int k = st.planned[r_.below(static_cast<int>(st.picks.size()))];
            std::vector<int> others;
            for (int c : groups_[courses_[k].group].courses)
                if (c != k && courses_[c].id > 0)
                    others.push_back(c);
            if (others.empty())
                continue;
            out_.push_back({"student-not-in-course", key(s), names_[any(others)]});
            ++added;
        }
    }
    // Per student his course of each subject and kind in the plan.
    int planned(int s, const Pick& p) const {
        const StudentDef& st = students_[s];
        for (size_t i = 0; i < st.picks.size(); ++i)
            if (st.picks[i].subject == p.subject && (st.picks[i].art == 'L') == (p.art == 'L'))
                return st.planned[i];
        return -1;
    }
    // Whether a and b share the plan's course in every subject both chose (at least two), or
    // none; whether b chose course k's subject.
    void compare(int a, int b, bool& same, bool& shared, int& common) const {
        same = true, shared = false, common = 0;
        for (const Pick& p : students_[a].picks)
            if (const int k = planned(b, p); k >= 0) {
                ++common;
                same = same && k == planned(a, p);
                shared = shared || k == planned(a, p);
            }
    }
    void studentPairs(int together, int apart) {
        int t = 0, a = 0;
        // A chain: a student follows one kept in a course into it.
        for (int tries = 0; exact_ && t == 0 && !kept_.empty() && tries < 4000; ++tries) {
            const auto [s1, k] = kept_[r_.below(static_cast<int>(kept_.size()))];
            const int s2 = any(cohort_);
            bool same = false, shared = false;
            int common = 0;
            compare(s1, s2, same, shared, common);
            const auto& p2 = students_[s2].planned;
            if (s1 != s2 && same && common >= 2 && std::find(p2.begin(), p2.end(), k) != p2.end()) {
                out_.push_back({"students-together", key(s2), key(s1)});
                ++t;
            }
        }
        for (int tries = 0; tries < 2000 && (t < together || a < apart); ++tries) {
            const int x = any(cohort_), y = any(cohort_);
            bool same = false, shared = false;
            int common = 0;
            compare(x, y, same, shared, common);
            if (x != y && same && common >= 2 && t < together) {
                out_.push_back({"students-together", key(x), key(y)});
                ++t;
            } else if (x != y && !shared && a < apart) {
                out_.push_back({"students-apart", key(x), key(y)});
                ++a;
            }
        }
    }

    Random& r_;
    const std::vector<GroupDef>& groups_;
    const std::vector<CourseDef>& courses_;
    const std::vector<std::uint64_t>& railsOf_;
    const std::vector<StudentDef>& students_;
    const std::vector<QString>& names_;
    const bool exact_;
    std::vector<int> own_, cohort_;
    std::vector<std::pair<int, int>> kept_; // students kept in a course
    std::vector<QStringList> out_;
};

} // namespace

std::vector<QStringList> makeRules(Random& r, const HiddenPlan& plan,
                                   const SchoolSettings& settings) {
    return RuleMaker(r, plan.groups, plan.courses, plan.railsOf, plan.students, plan.names,
                     settings.railHours > 0)
        .make(settings.ruleCounts, settings.rails, settings.forbidden);
}

} // namespace test::generator
