#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ui {
class Host;
}

namespace printing {

// "Lehrer je Schiene": the teachers by the rails, in each cell the courses the teacher has on
// that rail, whole designations; a cell of two or more courses is a clash (he cannot teach them
// at once). The last column holds his courses on no rail.
struct TeacherRails {
    QStringList rails; // the columns' headings: rail name and hours ("Grund1 (3 Std.)")
    struct Row {
        QString teacher;                  // short name
        std::vector<QStringList> courses; // per column of rails, then the one of no rail
    };
    std::vector<Row> rows; // by short name
    static bool clash(const QStringList& cell) { return cell.size() >= 2; }
    // Courses beyond the first in a cell, as the evaluation counts a teacher's clashes.
    int clashes() const;
};

// The heading of the column of courses on no rail.
inline const QString kNoRail = QStringLiteral("ohne Schiene");

// The printed lines: after the title, bands of rails side by side in lines of at most
// kTeacherRailsWidth characters, each band a heading line, a rule and one line per teacher who
// has a course in it: his short name, then per rail its courses (a clash marked "!" before
// them), columns as wide as their longest text, separated by "|". Under the last band, where a
// clash is, the note that explains the mark.
inline constexpr int kTeacherRailsWidth = 160;
QStringList teacherRailLines(const TeacherRails& t);
// The cell as printed: the courses with a blank between, "!" before a clash.
QString teacherRailCell(const QStringList& courses);

// Prints the table in Courier New 8, landscape, under the file's header lines (fileHeader);
// nothing when the host has no printer.
void DruckLehrerSchienen(ui::Host& host, const TeacherRails& t, const QString& databasePath);

} // namespace printing
