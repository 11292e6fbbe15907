#pragma once

#include "placement/Plan.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace db {
class Connection;
}
namespace ui {
class Host;
}

namespace placement {

class Workspace;

// "Schiene auffüllen": puts the first course selected in LNKurse onto the rail selected in the
// grid, after moving its colliding students to a parallel course, and offers to even out its size
// against the parallels.
class FillRail {
public:
    FillRail(db::Connection& c, Workspace& ws, ui::Host& host);
    void run();

    // Moves the students of the course who already have a course among railKeys (the courses
    // of the selected rails) into one unsplit parallel course of LNKurse; false when the course
    // may not be placed.
    bool FKursAuf(db::Connection& c, const QString& courseKey, const QStringList& railKeys);
    // Whether the student already has a course among railKeys.
    bool KolBereitsSchiene(db::Connection& c, const QString& studentKey, const QString& courseKey,
                           const QStringList& railKeys);
    // The weekly hours of a course; 0 when it is not found or has none.
    int StdKurs(db::Connection& c, const QString& courseKey);

private:
    // The selected rails, the checks that may refuse the course, putting it on, and evening it
    // out against its parallels.
    struct RailSelection {
        int c1 = 0;
        int c2 = 0;
        int hours = 0;    // of the last selected rail
        int freeRow = 0;  // the first row without an entry in the first selected rail
        QStringList keys; // the courses of the selected rails
    };
    std::optional<RailSelection> railsToFill();
    bool mayFill(db::Connection& c, const Waiting& entry, const RailSelection& rails);
    // Where the course on the selected rail would break one of the planner's rules on
    // placements that the plan keeps now, asks whether to place it all the same; true to go on.
    bool mayBreakRules(db::Connection& c, const QString& courseKey, const RailSelection& rails);
    void placeEntry(int index, const Waiting& entry, const RailSelection& rails);
    void evenOut(db::Connection& c, const QString& courseKey);
    // The target of FKursAuf's moves: the first parallel of the course in LNKurse with its full
    // hours; "" when there is none.
    QString unsplitParallel(db::Connection& c, const QString& courseKey);

    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
};

} // namespace placement
