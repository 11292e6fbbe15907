#pragma once

#include <vector>

namespace blocking {

class Model;
struct Group;

// The most even sizes that counting allows: total students over courses with a least and a
// largest size each (largest < 0: none), as equal as possible. They minimise every measure of
// unevenness at once (largest difference, sum of squares). Empty when the limits cannot all
// hold.
std::vector<int> evenSizes(int total, const std::vector<int>& least, const std::vector<int>& most);

// Fills the group's bounds: its sizes as even as the courses' limits (KS_MIN, KS_MAX) and the
// students the blocking cannot move allow; without the limits when they cannot all hold.
void computeBounds(const Model& m, Group& g);

} // namespace blocking
