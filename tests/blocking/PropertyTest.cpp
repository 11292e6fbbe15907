#include "Blocks.h"
#include "Generator.h"
#include "blocking/Evaluation.h"
#include "blocking/Search.h"
#include "blocking/Write.h"
#include "db/Database.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

using blocking::Model;
using blocking::RuleKind;

// What a plan costs, counted here from the courses' rails and the students' courses alone.
struct Recount {
    int collisions = 0;
    int clashes = 0;
    int broken = 0;
    std::vector<int> sizes;
};

Recount recount(const Model& m, const blocking::Placement& p, const blocking::Assignment& a) {
    Recount out;
    const auto meet = [&](int x, int y) { return (p.rails[x] & p.rails[y]).count() > 0; };
    std::vector<std::set<int>> in(m.students.size());
    for (size_t s = 0; s < m.students.size(); ++s) {
        const blocking::Student& st = m.students[s];
        in[s].insert(st.fixedCourses.begin(), st.fixedCourses.end());
        for (int i = 0; i < st.choiceCount; ++i)
            if (a[st.firstChoice + i] >= 0)
                in[s].insert(a[st.firstChoice + i]);
    }
    for (int s = 0; s < m.ownStudents; ++s) {
        bool collides = false;
        for (int x : in[s])
            for (int y : in[s])
                collides = collides || (x < y && meet(x, y));
        out.collisions += collides;
    }
    std::map<std::pair<int, int>, std::vector<int>> byTeacherRail;
    for (size_t k = 0; k < m.courses.size(); ++k)
        for (size_t r = 0; r < m.rails.size(); ++r)
            if (m.courses[k].teacher >= 0 && p.rails[k].has(static_cast<int>(r)))
                byTeacherRail[{m.courses[k].teacher, static_cast<int>(r)}].push_back(
                    static_cast<int>(k));
    for (const auto& [where, ks] : byTeacherRail) {
        bool own = false;
        for (int k : ks)
            own = own || m.courses[k].own;
        if (own)
            out.clashes += static_cast<int>(ks.size()) - 1;
    }
    // The course of a student in a subject and kind; -1: none chosen.
    const auto courseOf = [&](int s, int type) {
        const blocking::Student& st = m.students[s];
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
            if (m.choices[i].type == type)
                return a[i];
        return -2;
    };
    for (const blocking::PlanRule& r : m.rules) {
        bool kept = true;
        switch (r.kind) {
        case RuleKind::CourseNotOnRail:
            kept = !p.rails[r.first].has(r.second);
            break;
        case RuleKind::CoursesTogether:
            kept = p.rails[r.first] == p.rails[r.second];
            break;
        case RuleKind::CoursesApart:
            kept = !meet(r.first, r.second);
            break;
        case RuleKind::ParallelsApart:
            for (int x : r.courses)
                for (int y : r.courses)
                    kept = kept && (x == y || !meet(x, y));
            break;
        case RuleKind::StudentInCourse: {
            bool chose = false;
            for (size_t t = 0; t < m.types.size(); ++t)
                if (courseOf(r.first, static_cast<int>(t)) != -2)
                    for (int k : m.types[t].candidates)
                        chose = chose || k == r.second;
            kept = !chose || in[r.first].count(r.second) > 0;
            break;
        }
        case RuleKind::StudentNotInCourse:
            kept = in[r.first].count(r.second) == 0;
            break;
        case RuleKind::StudentsTogether:
            for (size_t t = 0; t < m.types.size(); ++t) {
                const int x = courseOf(r.first, static_cast<int>(t));
                const int y = courseOf(r.second, static_cast<int>(t));
                kept = kept && (x == -2 || y == -2 || x == y);
            }
            break;
        case RuleKind::StudentsApart:
            for (int k : in[r.first])
                kept = kept && in[r.second].count(k) == 0;
            break;
        }
        out.broken += !kept;
    }
    out.sizes.assign(m.courses.size(), 0);
    for (size_t s = 0; s < m.students.size(); ++s)
        for (int k : in[s])
            ++out.sizes[k];
    return out;
}

// Small schools with teachers and rules that a hidden plan keeps without a collision: a short
// search ends without a teacher's clash or a broken rule, leaves fixed placements and the other
// year group alone, and its evaluation is what the recount says.
TEST(Properties, GeneratedSchoolsWithTeachersAndRules) {
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        QTemporaryDir dir;
        const QString path = dir.filePath("BB.MDB");
        test::SchoolSettings settings = test::staffedSchool(i);
        settings.students = 30 + 7 * i;
        settings.courseSize = 12;
        const test::GeneratedSchool school = test::generateSchool(path, settings);
        ASSERT_GT(school.rules, 4);
        const blocking::SchoolYear year{test::kGeneratedYear, test::kGeneratedYearBez};
        db::Connection c(path);
        const Model m = Model::load(c, year, 2009);
        const Model otherBefore = Model::load(c, year, 2008);
        ASSERT_FALSE(m.teachers.isEmpty());
        ASSERT_EQ(m.rules.size(), static_cast<size_t>(school.rules));
        EXPECT_TRUE(blocking::ruleConflicts(m, blocking::Mode::All).isEmpty());

        const blocking::Result r = test::planAnew(m, 400);
        const blocking::Evaluation& e = r.after;
        EXPECT_EQ(e.teacherClashes, 0);
        EXPECT_EQ(e.ruleViolations, 0) << e.ruleViolationList.join("; ").toStdString();
        for (size_t k = 0; k < m.courses.size(); ++k) {
            const blocking::RailSet& fixed = m.placement.fixed[k];
            EXPECT_EQ(r.placement.fixed[k], fixed);
            EXPECT_EQ(r.placement.rails[k] & fixed, fixed);
            if (!m.courses[k].own) {
                EXPECT_EQ(r.placement.rails[k], m.placement.rails[k]);
            }
        }

        const Recount n = recount(m, r.placement, r.assignment);
        EXPECT_EQ(e.collisions, n.collisions);
        EXPECT_EQ(e.teacherClashes, n.clashes);
        EXPECT_EQ(e.ruleViolations, n.broken);
        std::vector<int> sizes = blocking::courseSizes(m, r.assignment);
        for (size_t k = 0; k < m.courses.size(); ++k)
            if (m.courses[k].own && m.courses[k].group >= 0) {
                EXPECT_EQ(sizes[k], n.sizes[k]) << m.courses[k].name.toStdString();
            }

        // Written and read again: the same evaluation, the other year group as it was.
        ASSERT_TRUE(blocking::write(c, m, r.placement, r.assignment, std::nullopt).has_value());
        EXPECT_EQ(blocking::evaluate(Model::load(c, year, 2009), e.teacherClashBound), e);
        const Model otherAfter = Model::load(c, year, 2008);
        for (size_t k = 0; k < m.courses.size(); ++k)
            if (!m.courses[k].own) {
                EXPECT_EQ(otherAfter.placement.rails[k], otherBefore.placement.rails[k]) << k;
            }
        EXPECT_EQ(otherAfter.assignment, otherBefore.assignment);
    }
}

} // namespace
