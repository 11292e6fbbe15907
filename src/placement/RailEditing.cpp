// The smaller commands of the placement workspace: a rail's hours, taking courses off a rail,
// moving a rail's content to another rail, deleting a course nobody chose, and the student list's
// selection and overview.

#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "ui/Host.h"

#include <QHash>
#include <algorithm>
#include <utility>

namespace placement {

// Sets the row count to one more than the longest rail, keeping at least `atLeast` rows, with the
// header row fixed while there are entry rows. MaxKvS moves the current column; it is put back,
// so the next command still works on the rail the planner chose.
void SetzenK::fitRows(int atLeast) {
    ui::Grid& g = grdSchienen;
    const int col = g.Col();
    const int rows = std::max(MaxKvS() + 1, atLeast);
    g.setRows(rows);
    if (rows > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    if (col < g.Cols())
        g.setCol(col);
}

// The non-empty entries of rows 1.. of a column, from the top, and the column emptied.
QStringList SetzenK::takeEntries(int col) {
    ui::Grid& g = grdSchienen;
    QStringList out;
    for (int row = 1; row < g.Rows(); ++row) {
        const QString cell = g.TextMatrix(row, col);
        if (cell.isEmpty())
            continue;
        out << cell;
        g.setTextMatrix(row, col, QString());
    }
    return out;
}

// Writes entries into rows 1.. of a column, growing the grid where they do not fit.
void SetzenK::putEntries(int col, const QStringList& entries) {
    ui::Grid& g = grdSchienen;
    if (g.Rows() < entries.size() + 1)
        g.setRows(static_cast<int>(entries.size()) + 1);
    if (g.Rows() > 1 && g.FixedRows() == 0)
        g.setFixedRows(1);
    for (int i = 0; i < entries.size(); ++i)
        g.setTextMatrix(i + 1, col, entries[i]);
}

bool SetzenK::refuseHeldColumn(int from, int to) {
    if (AusSpalte < 0 || AusSpalte < std::min(from, to) || AusSpalte > std::max(from, to))
        return false;
    // Inserting puts the cut rail back into this column and would drop what came meanwhile.
    critical(QStringLiteral("Diese Schiene ist ausgeschnitten!\r\nFügen Sie sie zuerst mit "
                            "Bearbeiten - einfügen wieder ein."));
    return true;
}

void SetzenK::cmdBlock_Click() {
    ui::Grid& g = grdSchienen;
    const int col = g.Col();
    if (col >= g.Cols() || refuseHeldColumn(col, col))
        return;
    for (int row = 1; row < g.Rows(); ++row)
        if (!g.TextMatrix(row, col).isEmpty()) {
            critical(QStringLiteral("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!"));
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
        db::Connection c(s_.databasePath());
        QSqlQuery q = c.exec(QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_SCHJ = ? AND "
                                            "BL_ID = ?"),
                             {newHours, s_.SchjID, val(RailHeader::key(header))});
        if (q.numRowsAffected() < 1)
            return;
    }
    g.setTextMatrix(0, col, RailHeader::withHours(header, newHours));
    emit changed();
}

void SetzenK::cmdS2K_Click() {
    ui::Grid& g = grdSchienen;
    if (g.SelEndRow() == 0 || g.Col() >= g.Cols())
        return;
    if (g.SelStartRow() == 0)
        g.setSelStartRow(1);
    const int col = g.Col();
    {
        db::Connection c(s_.databasePath());
        for (int row = g.SelStartRow(); row <= g.SelEndRow() && row < g.Rows(); ++row) {
            QString entry = g.TextMatrix(row, col);
            if (entry.isEmpty())
                continue;
            const QString key = CourseEntry::key(entry);
            int hours = CourseEntry::hours(entry);
            for (int i = 0; i < LNKurse.count();) {
                if (CourseEntry::key(LNKurse.line(i)) == key) {
                    hours += CourseEntry::hours(LNKurse.line(i));
                    LNKurse.removeLine(i);
                } else {
                    ++i;
                }
            }
            entry = CourseEntry::withHours(entry, hours);
            const QString header = g.TextMatrix(0, col);
            const int count = RailHeader::count(header) - db::AnzBelKurs(c, key);
            g.setTextMatrix(0, col, RailHeader::withCount(header, std::max(count, 0)));
            LNKurse.addLine(entry);
            // Back in the list, the course is no longer fixed on this rail.
            fixiert.set(col, key, false);
            g.setTextMatrix(row, col, QString());
        }
    }
    putEntries(col, takeEntries(col));
    fitRows();
    LSchImBlock.clear();
    SortLNKurse();
    emit changed();
}

void SetzenK::menuBearbAus_Click() {
    ui::Grid& g = grdSchienen;
    if (g.SelEndCol() < g.Col() || g.Col() >= g.Cols()) {
        ui::tell(host_,
                 QStringLiteral(
                     "Keine Spalte in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!"));
        return;
    }
    const int col = g.Col();
    AusSpalte = col;
    const QString header = g.TextMatrix(0, col);
    AusKopf = RailHeader::hoursAndCount(header);
    g.setTextMatrix(0, col,
                    RailHeader::withHoursAndCount(header, RailHeader::emptyHoursAndCount()));
    AusKurse = takeEntries(col);
    AusFix = fixiert.take(col);
    fitRows();
    // One cut at a time: a second one would drop the held courses from grid and list alike.
    setEnabled(QStringLiteral("menuBearbEinf"), true);
    setEnabled(QStringLiteral("menuBearbAus"), false);
    emit changed();
}

void SetzenK::menuBearbEinf_Click() {
    ui::Grid& g = grdSchienen;
    const int target = g.Col();
    const int source = AusSpalte;
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
        const QStringList entries = takeEntries(from);
        takeEntries(to);
        putEntries(to, entries);
        fixiert.put(to, fixiert.take(from));
        fitRows();
    };
    if (target > source)
        for (int c = source + 1; c <= target; ++c)
            move(c, c - 1);
    else if (target < source)
        for (int c = source - 1; c >= target; --c)
            move(c, c + 1);

    g.setTextMatrix(0, target, RailHeader::withHoursAndCount(g.TextMatrix(0, target), AusKopf));
    QStringList entries;
    for (const QString& e : AusKurse) {
        if (e.isEmpty())
            break;
        entries << e;
    }
    // The cut entries are not in the grid while the rows are counted: make room for all of them.
    putEntries(target, entries);
    fixiert.put(target, std::exchange(AusFix, {}));
    fitRows(static_cast<int>(entries.size()) + 1);
    g.setCol(target);

    AusKurse.clear();
    AusKopf.clear();
    AusSpalte = -1;
    setEnabled(QStringLiteral("menuBearbEinf"), false);
    setEnabled(QStringLiteral("menuBearbAus"), true);
    emit changed();
}

bool SetzenK::isFixed(int row, int col) const {
    const ui::Grid& g = grdSchienen;
    if (row < 1 || row >= g.Rows() || col < 0 || col >= g.Cols())
        return false;
    const QString& cell = g.TextMatrix(row, col);
    return !cell.isEmpty() && fixiert.has(col, CourseEntry::key(cell));
}

void SetzenK::menuBearbFix_Click() {
    const ui::Grid& g = grdSchienen;
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
    const bool allFixed = std::all_of(cells.begin(), cells.end(),
                                      [&](const auto& rc) { return isFixed(rc.first, rc.second); });
    for (const auto& [row, col] : cells)
        fixiert.set(col, CourseEntry::key(g.TextMatrix(row, col)), !allFixed);
    emit changed();
}

void SetzenK::cmdKursL_Click() {
    const std::vector<int> selected = LNKurse.selectedRows();
    if (selected.empty())
        return;
    const int line = selected.front();
    const QString entry = LNKurse.line(line);
    const QString key = CourseEntry::key(entry);
    db::Connection c(s_.databasePath());
    if (db::AnzBelKurs(c, key) >= 1) {
        critical(QStringLiteral("Kurs nicht leer!"));
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
    LNKurse.removeLine(line);
    emit changed();
}

void SetzenK::CmdInvers_Click() {
    for (int i = 0; i < LSchueler.count(); ++i)
        LSchueler.setSelected(i, !LSchueler.selected(i));
    emit changed();
}

void SetzenK::cmdAnzBel_Click() {
    if (LSchueler.count() == 0)
        return;
    QStringList students;
    QHash<QString, QString> courses;
    for (const QString& l : LSchueler.lines()) {
        const QString key = StudentLine::studentKey(l);
        if (!courses.contains(key))
            students << key;
        courses[key] += StudentLine::courseName(l);
    }
    common::frmFMld window(host_);
    window.setCaption(QStringLiteral("Belegungen"));
    window.lineLayout = common::frmFMld::LineLayout::Belegungen;
    {
        db::Connection c(s_.databasePath());
        for (const QString& key : students) {
            QSqlQuery q = c.exec(QStringLiteral("SELECT KO_FAMNAME, KO_RUFNAME FROM kolleg WHERE "
                                                "KO_VFP_ID = ? ORDER BY KO_ID LIMIT 1"),
                                 {key});
            if (!q.next())
                continue;
            window.appendLine(BelegungLine::format(
                studentName(q.value(0).toString(), q.value(1).toString()), courses.value(key)));
        }
    }
    host_.showModal(window);
}

} // namespace placement
