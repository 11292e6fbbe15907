// Rail and grid editing in the placement workspace: a rail's hours, taking courses off a rail,
// moving a rail's content to another rail, fixing placements and deleting a course nobody chose.

#include "placement/RailEditing.h"

#include "db/BlockDatabase.h"
#include "db/Courses.h"
#include "db/Database.h"
#include "db/Rails.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <algorithm>
#include <utility>

namespace placement {

RailEditing::RailEditing(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host), s_(ws.state()) {}

namespace {

RailContent& content(PlanRail& r) {
    return r;
}

} // namespace

void RailEditing::changeHours() {
    const ui::Grid& g = ws_.grdSchienen;
    const int col = g.Col();
    if (col >= static_cast<int>(ws_.plan.rails.size()) || ws_.refuseHeldColumn(col, col))
        return;
    PlanRail& rail = ws_.plan.rails[static_cast<size_t>(col)];
    if (!rail.courses.empty()) {
        ws_.critical(QStringLiteral("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!"));
        return;
    }
    const std::optional<QString> answer = host_.inputBox(QStringLiteral("Stundenzahl der Schiene:"),
                                                         ui::kTitle, QString::number(rail.hours));
    if (!answer || answer->trimmed().isEmpty())
        return;
    const int newHours = val(*answer);
    if (newHours == rail.hours || newHours <= 0 || newHours >= 7)
        return;
    const QVariant before = db::rails::hoursOf(c_, rail.id);
    if (!db::rails::setHours(c_, s_.SchjID, rail.id, newHours))
        return;
    if (ws_.recording)
        ws_.recording->note({FileChanges::Field::RailHours, rail.id, before, newHours});
    rail.hours = newHours;
    ws_.showRails();
    ws_.showChanges();
}

void RailEditing::toList() {
    ui::Grid& g = ws_.grdSchienen;
    if (g.SelEndRow() == 0 || g.Col() >= static_cast<int>(ws_.plan.rails.size()))
        return;
    if (g.SelStartRow() == 0)
        g.setSelStartRow(1);
    PlanRail& rail = ws_.plan.rails[static_cast<size_t>(g.Col())];
    const int first = g.SelStartRow() - 1;
    const int last = std::min(g.SelEndRow(), static_cast<int>(rail.courses.size())) - 1;
    for (int i = first; i <= last; ++i) {
        const Placed& p = rail.courses[static_cast<size_t>(i)];
        int hours = p.hours;
        // The rest of the course waiting in the list joins it.
        for (int line = 0; line < static_cast<int>(ws_.plan.waiting.size());) {
            if (ws_.plan.waiting[static_cast<size_t>(line)].course == p.course) {
                hours += ws_.plan.waiting[static_cast<size_t>(line)].hours;
                ws_.removeWaiting(line);
            } else {
                ++line;
            }
        }
        rail.students = std::max(rail.students - db::AnzBelKurs(c_, p.course), 0);
        // Back in the list, the course is no longer fixed on this rail.
        ws_.insertWaiting(static_cast<int>(ws_.plan.waiting.size()), {p.course, hours});
    }
    if (first <= last)
        rail.courses.erase(rail.courses.begin() + first, rail.courses.begin() + last + 1);
    ws_.showRails();
    ws_.setImBlock({});
    ws_.SortLNKurse(c_);
    ws_.showChanges();
}

void RailEditing::cut() {
    const ui::Grid& g = ws_.grdSchienen;
    if (g.SelEndCol() < g.Col() || g.Col() >= static_cast<int>(ws_.plan.rails.size())) {
        ui::tell(host_,
                 QStringLiteral(
                     "Keine Spalte in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!"));
        return;
    }
    const int col = g.Col();
    ws_.plan.held = HeldRail{
        col, std::exchange(content(ws_.plan.rails[static_cast<size_t>(col)]), RailContent{})};
    ws_.showRails();
    // One cut at a time: a second one would drop the held courses from grid and list alike.
    ws_.enableCommand(QStringLiteral("menuBearbEinf"), true);
    ws_.enableCommand(QStringLiteral("menuBearbAus"), false);
    ws_.showChanges();
}

void RailEditing::paste() {
    ui::Grid& g = ws_.grdSchienen;
    std::vector<PlanRail>& rails = ws_.plan.rails;
    const int target = g.Col();
    const int cols = static_cast<int>(rails.size());
    if (!ws_.plan.held || ws_.plan.held->column >= cols || target >= cols)
        return;
    const int source = ws_.plan.held->column;
    // The rails in between move one column towards the cut one.
    const auto move = [&](int from, int to) {
        content(rails[static_cast<size_t>(to)]) =
            std::exchange(content(rails[static_cast<size_t>(from)]), RailContent{});
    };
    if (target > source)
        for (int c = source + 1; c <= target; ++c)
            move(c, c - 1);
    else if (target < source)
        for (int c = source - 1; c >= target; --c)
            move(c, c + 1);
    content(rails[static_cast<size_t>(target)]) = std::move(ws_.plan.held->content);
    ws_.plan.held.reset();
    ws_.showRails();
    g.setCol(target);

    ws_.enableCommand(QStringLiteral("menuBearbEinf"), false);
    ws_.enableCommand(QStringLiteral("menuBearbAus"), true);
    ws_.showChanges();
}

void RailEditing::toggleFixed() {
    const ui::Grid& g = ws_.grdSchienen;
    // The selected entries: the selection rectangle below the headers.
    std::vector<Placed*> cells;
    for (int col = g.SelStartCol(); col <= g.SelEndCol(); ++col)
        for (int row = std::max(g.SelStartRow(), 1); row <= g.SelEndRow(); ++row)
            if (Placed* p = ws_.placedAt(row, col))
                cells.push_back(p);
    if (cells.empty()) {
        ui::tell(host_, QStringLiteral(
                            "Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!"));
        return;
    }
    const bool allFixed =
        std::all_of(cells.begin(), cells.end(), [](const Placed* p) { return p->fixed; });
    for (Placed* p : cells)
        p->fixed = !allFixed;
    ws_.showChanges();
}

void RailEditing::deleteEmptyCourse() {
    const std::vector<int> selected = ws_.LNKurse.selectedRows();
    if (selected.empty())
        return;
    const int line = selected.front();
    const QString key = ws_.plan.waiting.at(static_cast<size_t>(line)).course;
    db::Connection& c = c_;
    if (db::AnzBelKurs(c, key) >= 1) {
        ws_.critical(QStringLiteral("Kurs nicht leer!"));
        return;
    }
    const QVariant id = db::courses::idOf(c, key);
    if (id.isNull())
        return;
    const ui::Answer answer =
        host_.message({QStringLiteral("Wollen Sie den Kurs ") +
                           ws_.wholeName(key).leftJustified(CourseEntry::kNameWidth) +
                           QStringLiteral(" wirklich löschen?"),
                       ui::kTitle, ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt});
    if (answer == ui::Answer::No)
        return;
    db::courses::remove(c, id);
    ws_.removeWaiting(line);
    ws_.showChanges();
}

} // namespace placement
