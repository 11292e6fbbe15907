#pragma once

#include "blocking/Model.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class Connection;
}

// The proposals before any blocking: how many parallel courses each subject and kind needs for
// its choosers to fit the courses' limits, which course could go or should be added, and how the
// students divide today. Counting only; nothing is searched, nothing written.
namespace blocking {

// A course's size limits; 0: not set.
struct SizeLimits {
    int min = 0; // KS_MIN
    int max = 0; // KS_MAX
    int opt = 0; // KS_OPT
};

// One subject and kind (a group of parallel courses: the courses its choices can take).
struct CourseCount {
    QString subject;          // as the planner reads it ("Ph GK"); subjects a course joins with "/"
    int group = -1;           // Model::groups; -1: no course serves the subject
    int students = 0;         // the students the courses hold when every choice has one
    std::vector<int> courses; // the group's courses, in course order
    std::vector<int> sizes;   // their sizes today
    SizeLimits limits;        // the courses' own, else the defaults
    bool limitsFromFile = false;
    // The fewest and most parallels that keep every course within the limits (most -1: no
    // upper end), the count nearest the best size (KS_OPT), -1 each when no count does.
    int fewest = 0;
    int most = -1;
    int best = 0;
    double average = 0; // students per course today
    int smallest = 0;
    int largest = 0;
    int goes = -1; // a course that could (or should) go: the smallest
    bool mustGo = false;
    int add = 0;      // parallels that should be added
    int addTo = -1;   // the course a new parallel copies
    QString proposal; // what to do, as the planner reads it
    QString problem;  // why no count serves, where none does
};

struct CourseCounts {
    std::vector<CourseCount> rows; // by group, then the subjects without a course
    QStringList problems;          // the rows' problems, one line each
};

// The file's KS_OPT and the subject designations, read for the counts.
struct ProposalData {
    QHash<int, int> optimal;         // course index -> KS_OPT
    QHash<QString, QString> subject; // folded subject key -> designation (FA_BEZ)
    // Choices of the cohort that count in its year group, per folded subject and kind ("L" for
    // an advanced course, "G" otherwise) without a course: their number.
    QHash<QString, int> unserved;
};
ProposalData readProposalData(db::Connection& c, const Model& m, const SchoolYear& year);

// The counts; defaults stand where a group's courses set no limit. Throws std::runtime_error
// (German) for a cohort without choices.
CourseCounts countCourses(const Model& m, const ProposalData& data, const SizeLimits& defaults);

// The fewest, most and best number of parallels for so many students within the limits; fewest
// -1 when no count keeps them.
struct Parallels {
    int fewest = -1;
    int most = -1;
    int best = -1;
};
Parallels parallelsFor(int students, const SizeLimits& l);

// The row for people: "Ph GK: 40 Schüler in 2 Kursen (1Ph1 21, 1Ph2 19); KS_MAX 22; nötig 2
// ...: passt", and its parts as the window's columns show them.
QString countLine(const Model& m, const CourseCount& r);
QString coursesText(const Model& m, const CourseCount& r); // "1Ph1 21, 1Ph2 19"
QString limitsText(const CourseCount& r);                  // "KS_MIN 8, KS_MAX 22 (Vorgabe)"
QString neededText(const CourseCount& r);                  // "2 (höchstens 4, bei KS_OPT 20: 2)"
QString spreadText(const CourseCount& r);                  // "Ø 20,0, Spanne 2"
QJsonObject toJson(const Model& m, const CourseCounts& counts);

} // namespace blocking
