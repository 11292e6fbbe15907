// The planner's rules as the model holds them: resolved to its courses, rails and students.
#include "blocking/Model.h"

#include "db/Courses.h"

#include <algorithm>

namespace blocking {

namespace {

// Keys are compared ignoring case, as the database does.
QString fold(const QString& key) {
    return key.toUpper();
}

// The own courses of the rule's subject (by FA_PSCHL) in the planned cohort `part`, named by its
// abbreviation; none below two. A subject's courses of 12 and of 13 may share a rail: their
// students differ.
void parallels(db::Connection& c, const Model& m, const Rule& r, size_t part, PlanRule& p) {
    QSet<QString> keys;
    QString name = r.first.trimmed();
    for (const auto& [key, abbreviation] : db::courses::subjectsOfPlanKey(c, r.first.trimmed())) {
        keys.insert(fold(key));
        if (!abbreviation.isEmpty())
            name = abbreviation;
    }
    for (int k = 0; k < static_cast<int>(m.courses.size()); ++k) {
        const QStringList& subjects = m.courses[k].subjects;
        if ((m.courses[k].ofParts & (1U << part)) &&
            std::any_of(subjects.begin(), subjects.end(),
                        [&](const QString& s) { return keys.contains(s); }))
            p.courses.push_back(k);
    }
    p.first = p.courses.size() >= 2 ? 0 : -1;
    p.second = 0;
    p.text = ruleText(r.kind, name);
}

} // namespace

void Model::loadRules(db::Connection& c, const SchoolYear& year) {
    QHash<QString, int> studentByKey;
    for (int s = 0; s < ownStudents; ++s)
        studentByKey.insert(fold(students[s].key.trimmed()), s);
    const auto student = [&](const QString& key) {
        return studentByKey.value(fold(key.trimmed()), -1);
    };
    for (const Rule& r : blocking::loadRules(c, year.id)) {
        const RuleKindInfo& info = ruleKind(r.kind);
        PlanRule p;
        p.kind = r.kind;
        QString second;
        switch (r.kind) {
        case RuleKind::CourseNotOnRail:
            p.first = courseIndex(r.first);
            p.second = railIndex(r.second);
            if (p.first >= 0 && p.second >= 0)
                second = rails[p.second].name.trimmed();
            break;
        case RuleKind::CoursesTogether:
        case RuleKind::CoursesApart:
            p.first = courseIndex(r.first);
            p.second = courseIndex(r.second);
            break;
        case RuleKind::ParallelsApart:
            // One rule per planned cohort; the last is added below.
            for (size_t part = 0; part + 1 < parts.size(); ++part) {
                PlanRule each = p;
                parallels(c, *this, r, part, each);
                if (each.first >= 0)
                    rules.push_back(std::move(each));
            }
            parallels(c, *this, r, parts.size() - 1, p);
            break;
        case RuleKind::StudentInCourse:
        case RuleKind::StudentNotInCourse:
            p.first = student(r.first);
            p.second = courseIndex(r.second);
            break;
        case RuleKind::StudentsTogether:
        case RuleKind::StudentsApart:
            p.first = student(r.first);
            p.second = student(r.second);
            break;
        }
        if (p.first < 0 || p.second < 0)
            continue;
        if (p.text.isEmpty()) {
            const auto name = [&](RuleArg what, int i) {
                return what == RuleArg::Course ? courses[i].name.trimmed() : students[i].named();
            };
            p.text = ruleText(r.kind, name(info.first, p.first),
                              second.isEmpty() ? name(info.second, p.second) : second);
        }
        rules.push_back(std::move(p));
    }
}

} // namespace blocking
