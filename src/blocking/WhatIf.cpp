#include "blocking/WhatIf.h"

#include "blocking/Bounds.h"
#include "blocking/Search.h"

#include <algorithm>
#include <stdexcept>

namespace blocking {

namespace {

[[noreturn]] void refuse(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

// Whether the rule names course k (not counting the subject's list of parallels-apart).
bool names(const PlanRule& r, int k) {
    switch (r.kind) {
    case RuleKind::CourseNotOnRail:
        return r.first == k;
    case RuleKind::CoursesTogether:
    case RuleKind::CoursesApart:
        return r.first == k || r.second == k;
    case RuleKind::StudentInCourse:
    case RuleKind::StudentNotInCourse:
        return r.second == k;
    default:
        return false;
    }
}

void relabel(Model& m, Group& g) {
    QStringList labels;
    for (int k : g.courses)
        labels << m.courses[k].name;
    g.label = labels.join(QLatin1Char(' '));
    m.boundsCache = {}; // the groups changed: bounds are counted afresh
}

void takeOut(Model& m, int k) {
    Course& c = m.courses[k];
    Group& g = m.groups[c.group];
    if (g.courses.size() < 2)
        refuse(QStringLiteral("Ohne %1 hätten seine Schüler keinen Kurs ihres Fachs mehr.")
                   .arg(c.name));
    for (const ChoiceType& t : m.types)
        if (t.candidates.size() == 1 && t.candidates[0] == k)
            refuse(QStringLiteral("Ohne %1 hätte das Fach %2 keinen Kurs mehr.")
                       .arg(c.name, t.subject));
    for (ChoiceType& t : m.types)
        std::erase(t.candidates, k);
    std::erase(g.courses, k);
    g.total -= c.fixedLoad;
    for (Student& s : m.students)
        std::erase(s.fixedCourses, k);
    for (int& a : m.assignment)
        if (a == k)
            a = -1;
    std::erase_if(m.rules, [&](const PlanRule& r) { return names(r, k); });
    for (PlanRule& r : m.rules)
        std::erase(r.courses, k);
    m.placement.rails[k] = RailSet();
    m.placement.fixed[k] = RailSet();
    c.own = false;
    c.fixedLoad = 0;
    c.teacher = -1;
    c.group = -1;
    --m.ownCourses;
    relabel(m, g);
}

// "1Ph3" -> the next number after the highest of its parallels with the same stem ("1Ph4");
// without a number, the name and "+".
QString parallelName(const Model& m, const Course& like) {
    const QString name = like.name.trimmed();
    int digits = 0;
    while (digits < name.size() && name[name.size() - 1 - digits].isDigit())
        ++digits;
    const QString stem = name.left(name.size() - digits);
    int highest = 0;
    for (int k : m.groups[like.group].courses) {
        const QString other = m.courses[k].name.trimmed();
        if (other.startsWith(stem) && other.size() > stem.size())
            highest = std::max(highest, other.mid(stem.size()).toInt());
    }
    return digits == 0 ? name + QLatin1Char('+') : stem + QString::number(highest + 1);
}

void addParallel(Model& m, int like) {
    const int k = static_cast<int>(m.courses.size());
    Course c = m.courses[like];
    c.key.clear();
    c.name = parallelName(m, c);
    c.teacher = -1;
    c.fixedLoad = 0;
    m.courses.push_back(c);
    m.placement.rails.emplace_back();
    m.placement.fixed.emplace_back();
    for (ChoiceType& t : m.types)
        if (std::binary_search(t.candidates.begin(), t.candidates.end(), like))
            t.candidates.push_back(k); // the highest index: the list stays ascending
    for (PlanRule& r : m.rules)
        if (r.kind == RuleKind::ParallelsApart &&
            std::find(r.courses.begin(), r.courses.end(), like) != r.courses.end())
            r.courses.push_back(k);
    Group& g = m.groups[c.group];
    g.courses.push_back(k);
    ++m.ownCourses;
    relabel(m, g);
}

} // namespace

QString changeText(const Model& m, const PlanChange& c) {
    const QString name = m.courses[c.course].name.trimmed();
    return c.kind == PlanChange::Kind::Without ? QStringLiteral("ohne %1").arg(name)
                                               : QStringLiteral("Parallelkurs zu %1").arg(name);
}

PlanChange planChange(const Model& m, PlanChange::Kind kind, const QString& course) {
    for (int k = 0; k < static_cast<int>(m.courses.size()); ++k)
        if (m.courses[k].own &&
            m.courses[k].name.trimmed().compare(course.trimmed(), Qt::CaseInsensitive) == 0)
            return {kind, k};
    refuse(
        QStringLiteral("Der Jahrgang %1 hat keinen Kurs %2.").arg(m.cohort).arg(course.trimmed()));
}

Model withChanges(const Model& m, const std::vector<PlanChange>& changes) {
    Model out = m;
    for (const PlanChange& c : changes) {
        if (c.course < 0 || c.course >= static_cast<int>(out.courses.size()) ||
            !out.courses[c.course].own)
            refuse(QStringLiteral("Der Kurs %1 ist nicht mehr im Plan.")
                       .arg(c.course >= 0 && c.course < static_cast<int>(m.courses.size())
                                ? m.courses[c.course].name.trimmed()
                                : QString::number(c.course)));
        if (c.kind == PlanChange::Kind::Without)
            takeOut(out, c.course);
        else
            addParallel(out, c.course);
    }
    return out;
}

std::vector<PlanChange> proposedChanges(const CourseCounts& counts) {
    std::vector<PlanChange> out;
    for (const CourseCount& r : counts.rows) {
        if (r.goes >= 0)
            out.push_back({PlanChange::Kind::Without, r.goes});
        if (r.add > 0 && r.addTo >= 0)
            out.push_back({PlanChange::Kind::WithParallel, r.addTo});
    }
    return out;
}

WhatIf whatIf(const Model& m, const std::vector<PlanChange>& changes, const WhatIfOptions& o) {
    WhatIf w;
    for (const PlanChange& c : changes)
        w.changes << changeText(m, c);
    const Model changed = withChanges(m, changes);
    const double share = o.rails ? 0.5 : 1.0;
    if (o.progress)
        o.progress(0, QStringLiteral("Suche %1 ...").arg(w.changes.join(QStringLiteral(", "))));
    Options so;
    so.mode = Mode::All;
    so.seconds = o.seconds;
    so.seed = o.seed;
    so.threads = o.threads;
    so.cancel = o.cancel;
    const Result r = block(changed, so);
    w.evaluation = r.after;
    w.searched = true;
    if (!o.rails || (o.cancel && *o.cancel))
        return w;
    RailsNeededOptions ro;
    ro.seconds = o.seconds;
    ro.seed = o.seed;
    ro.threads = o.threads;
    ro.cancel = o.cancel;
    if (o.progress)
        ro.progress = [&](double f, const QString& what) { o.progress(share + share * f, what); };
    w.rails = railsNeeded(changed, ro);
    w.railsCounted = true;
    return w;
}

} // namespace blocking
