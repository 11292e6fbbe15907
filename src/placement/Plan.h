#pragma once

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

// The plan of the placement workspace as typed data: the school year's courses by their key,
// the rails in grid order with the courses placed on them, and the courses still to place. It is
// the only copy: the grid and the list of courses not yet placed are drawn from it (Layouts.h),
// and every command reads and changes it here. Course keys compare ignoring letter case, as the
// database compares them.
namespace placement {

// A course as the workspace shows it.
struct PlanCourse {
    QString key;  // KS_VFP_ID
    QString name; // KS_BEZ
    QString schj; // KS_SCHJ
};

// A course on a rail: the hours it takes there (those of the rail, or of the last rail selected
// when it was put on) and the planner's mark that keeps it there when courses are set
// automatically.
struct Placed {
    QString course;
    int hours = 0;
    bool fixed = false;
    bool operator==(const Placed&) const = default;
};

// What cutting and inserting moves between rails: hours, student count and courses. The rail's
// name and key stay in their column.
struct RailContent {
    int hours = 0;
    int students = 0; // the count its header shows
    std::vector<Placed> courses;
    bool operator==(const RailContent&) const = default;
};

// A rail, a column of the grid.
struct PlanRail : RailContent {
    qint64 id = 0; // BL_ID
    QString name;  // BL_BEZ
    // Index of the course on the rail, -1 when it is not there.
    int find(const QString& courseKey) const;
    bool operator==(const PlanRail&) const = default;
};

// A course of LNKurse with the hours still to place.
struct Waiting {
    QString course;
    int hours = 0;
    bool operator==(const Waiting&) const = default;
};

// The rail last cut and held for inserting.
struct HeldRail {
    int column = -1;
    RailContent content;
    bool operator==(const HeldRail&) const = default;
};

bool sameKey(const QString& a, const QString& b);

class Plan {
public:
    std::vector<PlanRail> rails;
    std::vector<Waiting> waiting;
    std::optional<HeldRail> held;

    // The courses: every course the plan names is known by its key.
    void addCourse(const PlanCourse& c);
    const PlanCourse& course(const QString& key) const;
    bool knows(const QString& key) const { return courses_.contains(key.toUpper()); }

    // The most courses on one rail.
    int longestRail() const;
    // The LNKurse line of the course, -1 when it waits in none.
    int findWaiting(const QString& courseKey) const;
    // What the workspace shows in a grid cell and a line of LNKurse.
    QString railHeader(int col) const;
    QString entry(const QString& courseKey, int hours) const;
    QString cell(int col, int index) const;
    QString waitingText(int line) const;

    bool operator==(const Plan& o) const {
        return rails == o.rails && waiting == o.waiting && held == o.held;
    }

private:
    QHash<QString, PlanCourse> courses_; // by key in capitals
};

} // namespace placement
