// Rail and grid editing in the placement workspace: a rail's hours, taking courses off a rail,
// moving a rail's content to another rail, fixing placements and deleting a course nobody chose.

#include "placement/RailEditing.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/Workspace.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QSqlQuery>
#include <algorithm>
#include <utility>

namespace placement {

RailEditing::RailEditing(db::Connection& c, Workspace& ws, ui::Host& host)
    : c_(c), ws_(ws), host_(host), s_(ws.state()) {}

void RailEditing::changeHours() {
    ui::Grid& g = ws_.grdSchienen;
    const int col = g.Col();
    if (col >= g.Cols() || ws_.refuseHeldColumn(col, col))
        return;
    for (int row = 1; row < g.Rows(); ++row)
        if (!g.TextMatrix(row, col).isEmpty()) {
            ws_.critical(
                QStringLiteral("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!"));
            return;
        }
    const QString header = g.TextMatrix(0, col);
    const int hours = RailHeader::hours(header);
    const std::optional<QString> answer = host_.inputBox(QStringLiteral("Stundenzahl der Schiene:"),
                                                         ui::kTitle, QString::number(hours));
    if (!answer || answer->trimmed().isEmpty())
        return;
    const int newHours = val(*answer);
    if (newHours == hours || newHours <= 0 || newHours >= 7)
        return;
    {
        db::Connection& c = c_;
        QSqlQuery q = c.exec(QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_SCHJ = ? AND "
                                            "BL_ID = ?"),
                             {newHours, s_.SchjID, val(RailHeader::key(header))});
        if (q.numRowsAffected() < 1)
            return;
    }
    g.setTextMatrix(0, col, RailHeader::withHours(header, newHours));
    ws_.showChanges();
}

void RailEditing::toList() {
    ui::Grid& g = ws_.grdSchienen;
    if (g.SelEndRow() == 0 || g.Col() >= g.Cols())
        return;
    if (g.SelStartRow() == 0)
        g.setSelStartRow(1);
    const int col = g.Col();
    {
        db::Connection& c = c_;
        for (int row = g.SelStartRow(); row <= g.SelEndRow() && row < g.Rows(); ++row) {
            QString entry = g.TextMatrix(row, col);
            if (entry.isEmpty())
                continue;
            const QString key = CourseEntry::key(entry);
            int hours = CourseEntry::hours(entry);
            for (int i = 0; i < ws_.LNKurse.count();) {
                if (CourseEntry::key(ws_.LNKurse.line(i)) == key) {
                    hours += CourseEntry::hours(ws_.LNKurse.line(i));
                    ws_.LNKurse.removeLine(i);
                } else {
                    ++i;
                }
            }
            entry = CourseEntry::withHours(entry, hours);
            const QString header = g.TextMatrix(0, col);
            const int count = RailHeader::count(header) - db::AnzBelKurs(c, key);
            g.setTextMatrix(0, col, RailHeader::withCount(header, std::max(count, 0)));
            ws_.LNKurse.addLine(entry);
            // Back in the list, the course is no longer fixed on this rail.
            ws_.fixiert.set(col, key, false);
            g.setTextMatrix(row, col, QString());
        }
    }
    ws_.putEntries(col, ws_.takeEntries(col));
    ws_.fitRows();
    ws_.LSchImBlock.clear();
    ws_.SortLNKurse(c_);
    ws_.showChanges();
}

void RailEditing::cut() {
    ui::Grid& g = ws_.grdSchienen;
    if (g.SelEndCol() < g.Col() || g.Col() >= g.Cols()) {
        ui::tell(host_,
                 QStringLiteral(
                     "Keine Spalte in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!"));
        return;
    }
    const int col = g.Col();
    ws_.AusSpalte = col;
    const QString header = g.TextMatrix(0, col);
    ws_.AusKopf = RailHeader::hoursAndCount(header);
    g.setTextMatrix(0, col,
                    RailHeader::withHoursAndCount(header, RailHeader::emptyHoursAndCount()));
    ws_.AusKurse = ws_.takeEntries(col);
    ws_.AusFix = ws_.fixiert.take(col);
    ws_.fitRows();
    // One cut at a time: a second one would drop the held courses from grid and list alike.
    ws_.enableCommand(QStringLiteral("menuBearbEinf"), true);
    ws_.enableCommand(QStringLiteral("menuBearbAus"), false);
    ws_.showChanges();
}

void RailEditing::paste() {
    ui::Grid& g = ws_.grdSchienen;
    const int target = g.Col();
    const int source = ws_.AusSpalte;
    if (source < 0 || source >= g.Cols() || target >= g.Cols())
        return;
    // Moves the hours, count and entries of column from into column to, and empties from.
    const auto move = [&](int from, int to) {
        const QString fromHeader = g.TextMatrix(0, from);
        g.setTextMatrix(0, to,
                        RailHeader::withHoursAndCount(g.TextMatrix(0, to),
                                                      RailHeader::hoursAndCount(fromHeader)));
        g.setTextMatrix(
            0, from, RailHeader::withHoursAndCount(fromHeader, RailHeader::emptyHoursAndCount()));
        const QStringList entries = ws_.takeEntries(from);
        ws_.takeEntries(to);
        ws_.putEntries(to, entries);
        ws_.fixiert.put(to, ws_.fixiert.take(from));
        ws_.fitRows();
    };
    if (target > source)
        for (int c = source + 1; c <= target; ++c)
            move(c, c - 1);
    else if (target < source)
        for (int c = source - 1; c >= target; --c)
            move(c, c + 1);

    g.setTextMatrix(0, target, RailHeader::withHoursAndCount(g.TextMatrix(0, target), ws_.AusKopf));
    QStringList entries;
    for (const QString& e : ws_.AusKurse) {
        if (e.isEmpty())
            break;
        entries << e;
    }
    // The cut entries are not in the grid while the rows are counted: make room for all of them.
    ws_.putEntries(target, entries);
    ws_.fixiert.put(target, std::exchange(ws_.AusFix, {}));
    ws_.fitRows(static_cast<int>(entries.size()) + 1);
    g.setCol(target);

    ws_.AusKurse.clear();
    ws_.AusKopf.clear();
    ws_.AusSpalte = -1;
    ws_.enableCommand(QStringLiteral("menuBearbEinf"), false);
    ws_.enableCommand(QStringLiteral("menuBearbAus"), true);
    ws_.showChanges();
}

void RailEditing::toggleFixed() {
    const ui::Grid& g = ws_.grdSchienen;
    // The selected entries: the selection rectangle below the headers.
    std::vector<std::pair<int, int>> cells;
    for (int col = g.SelStartCol(); col <= g.SelEndCol() && col < g.Cols(); ++col)
        for (int row = std::max(g.SelStartRow(), 1); row <= g.SelEndRow() && row < g.Rows(); ++row)
            if (!g.TextMatrix(row, col).isEmpty())
                cells.emplace_back(row, col);
    if (cells.empty()) {
        ui::tell(host_, QStringLiteral(
                            "Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!"));
        return;
    }
    const bool allFixed = std::all_of(cells.begin(), cells.end(), [&](const auto& rc) {
        return ws_.isFixed(rc.first, rc.second);
    });
    for (const auto& [row, col] : cells)
        ws_.fixiert.set(col, CourseEntry::key(g.TextMatrix(row, col)), !allFixed);
    ws_.showChanges();
}

void RailEditing::deleteEmptyCourse() {
    const std::vector<int> selected = ws_.LNKurse.selectedRows();
    if (selected.empty())
        return;
    const int line = selected.front();
    const QString entry = ws_.LNKurse.line(line);
    const QString key = CourseEntry::key(entry);
    db::Connection& c = c_;
    if (db::AnzBelKurs(c, key) >= 1) {
        ws_.critical(QStringLiteral("Kurs nicht leer!"));
        return;
    }
    const QVariant id = c.scalar(
        QStringLiteral("SELECT KS_ID FROM kurs WHERE KS_VFP_ID = ? ORDER BY KS_ID LIMIT 1"), {key});
    if (id.isNull())
        return;
    const ui::Answer answer =
        host_.message({QStringLiteral("Wollen Sie den Kurs ") + CourseEntry::name(entry) +
                           QStringLiteral(" wirklich löschen?"),
                       ui::kTitle, ui::Icon::Question, ui::Buttons::YesNo, 1, std::nullopt});
    if (answer == ui::Answer::No)
        return;
    c.exec(QStringLiteral("DELETE FROM kurs WHERE KS_ID = ?"), {id});
    ws_.LNKurse.removeLine(line);
    ws_.showChanges();
}

} // namespace placement
