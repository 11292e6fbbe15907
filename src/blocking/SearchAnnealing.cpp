#include "blocking/SearchAnnealing.h"

namespace blocking::search {

double Annealing::energy(const Tally& t) const {
    return kRuleWeight * t.ruleViolations() + kTeacherWeight * t.teacherClashes() +
           kCollisionWeight * t.conflictSum() + kChangeWeight * t.changedStudents() +
           kMoveWeight * t.movedCourses() +
           kLimitWeight * static_cast<double>(t.outside() + t.limits()) +
           kDifferenceWeight * t.difference() + static_cast<double>(t.squares() - p_.squareBound) +
           kExtraWeight * t.extraConflicts();
}

double Annealing::temperature(long long moves) const {
    const double t = static_cast<double>(moves - cycleStart_) / static_cast<double>(cycle());
    return t >= 1 ? 0.3 : hot_ * std::pow(0.3 / hot_, t);
}

} // namespace blocking::search
