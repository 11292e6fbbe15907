#pragma once

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

    // Moves the students of the course entry who already have a course among railTexts (the
    // entries of the selected rails) into one unsplit parallel course of LNKurse; false when the
    // course may not be placed.
    bool FKursAuf(db::Connection& c, const QString& entry, const QStringList& railTexts);
    // Whether the student already has a course among railTexts.
    bool KolBereitsSchiene(db::Connection& c, const QString& studentKey, const QString& courseKey,
                           const QStringList& railTexts);
    // The weekly hours of a course; 0 when it is not found or has none.
    int StdKurs(db::Connection& c, const QString& courseKey);

private:
    // The selected rails, the checks that may refuse the course, putting it on, and evening it
    // out against its parallels.
    struct RailSelection {
        int c1 = 0;
        int c2 = 0;
        int hours = 0;     // of the last selected rail
        int freeRow = 0;   // the first row without an entry in the first selected rail
        QStringList texts; // the entries of the selected rails
    };
    std::optional<RailSelection> railsToFill();
    bool mayFill(db::Connection& c, const QString& entry, const RailSelection& rails);
    // Where the entry on the selected rail would break one of the planner's rules on placements
    // that the grid keeps now, asks whether to place it all the same; true to go on.
    bool mayBreakRules(db::Connection& c, const QString& entry, const RailSelection& rails);
    void placeEntry(int index, const QString& entry, const RailSelection& rails);
    void evenOut(db::Connection& c, const QString& entry);
    // The target of FKursAuf's moves: the first parallel of the course in LNKurse with its full
    // hours; "" when there is none.
    QString unsplitParallel(db::Connection& c, const QString& courseName);

    db::Connection& c_;
    Workspace& ws_;
    ui::Host& host_;
};

} // namespace placement
