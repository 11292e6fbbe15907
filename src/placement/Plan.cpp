#include "placement/Plan.h"

#include "placement/Layouts.h"

#include <algorithm>

namespace placement {

bool sameKey(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

int PlanRail::find(const QString& courseKey) const {
    for (size_t i = 0; i < courses.size(); ++i)
        if (sameKey(courses[i].course, courseKey))
            return static_cast<int>(i);
    return -1;
}

void Plan::addCourse(const PlanCourse& c) {
    // The first row of a key names it, as the look-ups by key find the first.
    if (!courses_.contains(c.key.toUpper()))
        courses_.insert(c.key.toUpper(), c);
}

const PlanCourse& Plan::course(const QString& key) const {
    static const PlanCourse unknown;
    const auto it = courses_.constFind(key.toUpper());
    return it == courses_.constEnd() ? unknown : *it;
}

int Plan::longestRail() const {
    size_t most = 0;
    for (const PlanRail& r : rails)
        most = std::max(most, r.courses.size());
    return static_cast<int>(most);
}

int Plan::findWaiting(const QString& courseKey) const {
    for (size_t i = 0; i < waiting.size(); ++i)
        if (sameKey(waiting[i].course, courseKey))
            return static_cast<int>(i);
    return -1;
}

QString Plan::railHeader(int col) const {
    const PlanRail& r = rails.at(static_cast<size_t>(col));
    return RailHeader::withCount(RailHeader::format(r.name, r.hours, r.id), r.students);
}

QString Plan::entry(const QString& courseKey, int hours) const {
    const PlanCourse& c = course(courseKey);
    return CourseEntry::format(c.name, hours, c.schj, c.key.isEmpty() ? courseKey : c.key);
}

QString Plan::cell(int col, int index) const {
    const Placed& p = rails.at(static_cast<size_t>(col)).courses.at(static_cast<size_t>(index));
    return entry(p.course, p.hours);
}

QString Plan::waitingText(int line) const {
    const Waiting& w = waiting.at(static_cast<size_t>(line));
    return entry(w.course, w.hours);
}

} // namespace placement
