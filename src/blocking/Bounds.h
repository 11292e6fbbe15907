#pragma once

#include <vector>

namespace blocking {

class Model;
struct Group;
struct Freedom;

// The most even sizes that counting allows: total students over courses with a least and a
// largest size each (largest < 0: none), as equal as possible. They minimise every measure of
// unevenness at once (largest difference, sum of squares). Empty when the limits cannot all
// hold.
std::vector<int> evenSizes(int total, const std::vector<int>& least, const std::vector<int>& most);

// Fills the group's bounds: its sizes as even as the courses' limits (KS_MIN, KS_MAX) and the
// students the blocking cannot move allow (those a student-in-course rule keeps in a course
// among them); without the limits when they cannot all hold. Needs the model's rules.
void computeBounds(const Model& m, Group& g);

// The fewest courses of one teacher beyond the first on one rail (as the evaluation counts
// them) of any plan the blocking can make within the freedom that keeps the planner's rules:
// per teacher and hours of a rail, his courses that each take one rail of those hours, less
// the rails of those hours his courses of the other year group leave free (pigeonhole). Courses
// that a courses-together rule joins count as one.
int teacherClashBound(const Model& m, const Freedom& f);

// The hours of the one rail course k stands on for good, or takes whichever way it is placed;
// 0 when it may take several rails, rails of different hours, or none.
int oneRailHours(const Model& m, const Freedom& f, int k);

} // namespace blocking
