#pragma once

#include <QString>
#include <vector>

namespace common {

// The course sizes of a cohort by groups of parallel courses, as the workspace counts them and
// the chart "Kursgrößen" shows and prints them.
struct SizeBar {
    QString course;
    int size = 0;
    int min = 0; // KS_MIN, 0: not set
    int max = 0; // KS_MAX, 0: not set
    bool outside() const { return (max > 0 && size > max) || (min > 0 && size < min); }
};
struct SizeGroup {
    QString label;
    double target = 0; // the size every course would have if the students were spread evenly
    std::vector<SizeBar> courses;
};

} // namespace common
