// The grid's marks and tooltips: whole designations, teachers and the rules a placement breaks.
#include "placement/GridMarks.h"

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "placement/Workspace.h"

#include <algorithm>

namespace placement {

namespace {

// What of the grid a broken rule concerns: courses, each on one rail or (-1) on all of its
// rails, and rails.
struct Concerned {
    std::vector<std::pair<int, int>> courses;
    std::vector<int> rails;
};

// Course a and b where they meet.
void meeting(const blocking::Model& m, int a, int b, Concerned& out) {
    for (int r = 0; r < static_cast<int>(m.rails.size()); ++r)
        if (m.placement.rails[a].has(r) && m.placement.rails[b].has(r)) {
            out.courses.push_back({a, r});
            out.courses.push_back({b, r});
        }
}

Concerned concerned(const blocking::Model& m, const blocking::PlanRule& rule) {
    using blocking::RuleKind;
    Concerned out;
    switch (rule.kind) {
    case RuleKind::CourseNotOnRail:
        out.courses.push_back({rule.first, rule.second});
        out.rails.push_back(rule.second);
        break;
    case RuleKind::CoursesTogether:
        out.courses.push_back({rule.first, -1});
        out.courses.push_back({rule.second, -1});
        break;
    case RuleKind::CoursesApart:
        meeting(m, rule.first, rule.second, out);
        break;
    case RuleKind::ParallelsApart:
        for (size_t i = 0; i < rule.courses.size(); ++i)
            for (size_t j = i + 1; j < rule.courses.size(); ++j)
                meeting(m, rule.courses[i], rule.courses[j], out);
        break;
    case RuleKind::StudentInCourse:
    case RuleKind::StudentNotInCourse:
        out.courses.push_back({rule.second, -1});
        break;
    case RuleKind::StudentsTogether:
    case RuleKind::StudentsApart:
        break; // no course of the grid stands for it
    }
    return out;
}

} // namespace

void markBrokenRules(Workspace& ws, const blocking::Model& m, const std::vector<int>& railOf) {
    ws.regelnJeZelle.clear();
    ws.regelnJeSchiene.clear();
    const auto add = [](QStringList& list, const QString& text) {
        if (!list.contains(text))
            list << text;
    };
    for (const blocking::PlanRule& rule : m.rules) {
        if (blocking::keeps(m, m.placement, m.assignment, rule))
            continue;
        const Concerned c = concerned(m, rule);
        for (int col = 0; col < static_cast<int>(railOf.size()); ++col) {
            const int r = railOf[static_cast<size_t>(col)];
            if (r < 0)
                continue;
            if (std::find(c.rails.begin(), c.rails.end(), r) != c.rails.end())
                add(ws.regelnJeSchiene[col], rule.text);
            const std::vector<Placed>& placed = ws.plan.rails[static_cast<size_t>(col)].courses;
            for (int row = 1; row <= static_cast<int>(placed.size()); ++row) {
                const int k = m.courseIndex(placed[static_cast<size_t>(row - 1)].course);
                for (const auto& [course, rail] : c.courses)
                    if (course == k && (rail < 0 || rail == r))
                        add(ws.regelnJeZelle[{row, col}], rule.text);
            }
        }
    }
}

QString Workspace::teacherOf(const QString& courseKey) const {
    return lehrer.value(courseKey.toUpper()).abbreviation;
}

QStringList Workspace::sameTeacherOnRail(int col, const QString& courseKey) const {
    QStringList out;
    const auto it = lehrer.constFind(courseKey.toUpper());
    if (it == lehrer.constEnd() || col < 0 || col >= static_cast<int>(plan.rails.size()))
        return out;
    for (const Placed& p : plan.rails[static_cast<size_t>(col)].courses) {
        const auto other = lehrer.constFind(p.course.toUpper());
        if (!sameKey(p.course, courseKey) && other != lehrer.constEnd() &&
            sameKey(other->key.trimmed(), it->key.trimmed()))
            out << plan.course(p.course).name.trimmed();
    }
    return out;
}

QString Workspace::cellText(int row, int col) const {
    const Placed* p = placedAt(row, col);
    if (!p)
        return {};
    QString text = plan.course(p->course).name.trimmed() + (p->fixed ? QStringLiteral("*") : "");
    if (p->hours != plan.rails[static_cast<size_t>(col)].hours)
        text += QLatin1Char(' ') + QString::number(p->hours);
    return text;
}

QString Workspace::railHeading(int col) const {
    const PlanRail& r = plan.rails.at(static_cast<size_t>(col));
    // As Label7 reads: the name, then hours and students.
    return r.name.trimmed() + QLatin1Char('\n') + QString::number(r.hours) + QStringLiteral(" / ") +
           QString::number(r.students);
}

QString Workspace::cellTip(int row, int col) const {
    const Placed* p = placedAt(row, col);
    if (!p)
        return {};
    QStringList lines;
    if (!lehrer.isEmpty()) {
        const QString teacher = teacherOf(p->course);
        QString line =
            teacher.isEmpty() ? QStringLiteral("ohne Lehrer") : QStringLiteral("Lehrer ") + teacher;
        if (const QStringList others = sameTeacherOnRail(col, p->course); !others.isEmpty())
            line +=
                QStringLiteral("; auf dieser Schiene auch ") + others.join(QStringLiteral(", "));
        lines << line;
    }
    if (p->hours != plan.rails[static_cast<size_t>(col)].hours)
        lines << QStringLiteral("%1 Stunden").arg(p->hours);
    if (p->fixed)
        lines << QStringLiteral("fixiert");
    for (const QString& rule : regelnJeZelle.value({row, col}))
        lines << QStringLiteral("verletzt die Regel: ") + rule;
    return lines.join(QLatin1Char('\n'));
}

QString Workspace::railTip(int col) const {
    const PlanRail& r = plan.rails.at(static_cast<size_t>(col));
    QStringList lines{QStringLiteral("Schiene %1, %2 Stunden, %3 Schüler")
                          .arg(r.name.trimmed())
                          .arg(r.hours)
                          .arg(r.students)};
    for (const QString& rule : regelnJeSchiene.value(col))
        lines << QStringLiteral("verletzt die Regel: ") + rule;
    return lines.join(QLatin1Char('\n'));
}

} // namespace placement
