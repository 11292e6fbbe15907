#include "printing/TeacherRails.h"

#include "printing/Rails.h"
#include "ui/Host.h"

#include <algorithm>

namespace printing {

int TeacherRails::clashes() const {
    int n = 0;
    for (const Row& r : rows)
        for (size_t col = 0; col < r.courses.size() && col < static_cast<size_t>(rails.size());
             ++col)
            n += std::max(0, static_cast<int>(r.courses[col].size()) - 1);
    return n;
}

QString teacherRailCell(const QStringList& courses) {
    return (TeacherRails::clash(courses) ? QStringLiteral("!") : QString()) +
           courses.join(QLatin1Char(' '));
}

namespace {

// The columns' headings: the rails, then the column of no rail.
QStringList headings(const TeacherRails& t) {
    return t.rails + QStringList{kNoRail};
}

QStringList band(const TeacherRails& t, const QStringList& heads, size_t first, size_t end,
                 int teacherWidth, const std::vector<int>& widths) {
    QStringList lines;
    QString head = QStringLiteral("Lehrer").leftJustified(teacherWidth);
    for (size_t col = first; col < end; ++col)
        head += QLatin1Char('|') + heads[static_cast<int>(col)].leftJustified(widths[col]);
    lines << head << QString(head.size(), QLatin1Char('-'));
    for (const TeacherRails::Row& r : t.rows) {
        QString line = r.teacher.leftJustified(teacherWidth);
        bool any = false;
        for (size_t col = first; col < end; ++col) {
            const QStringList cell = col < r.courses.size() ? r.courses[col] : QStringList();
            any = any || !cell.isEmpty();
            line += QLatin1Char('|') + teacherRailCell(cell).leftJustified(widths[col]);
        }
        if (any)
            lines << line;
    }
    return lines << QString();
}

} // namespace

QStringList teacherRailLines(const TeacherRails& t) {
    const QStringList heads = headings(t);
    int teacherWidth = 6;
    for (const TeacherRails::Row& r : t.rows)
        teacherWidth = std::max(teacherWidth, static_cast<int>(r.teacher.size()));
    std::vector<int> widths;
    for (int col = 0; col < heads.size(); ++col) {
        int w = static_cast<int>(heads[col].size());
        for (const TeacherRails::Row& r : t.rows)
            if (static_cast<size_t>(col) < r.courses.size())
                w = std::max(w, static_cast<int>(teacherRailCell(r.courses[col]).size()));
        widths.push_back(w);
    }
    QStringList lines{QStringLiteral("Lehrer je Schiene"), QString()};
    // A band takes the columns that fit beside the teachers; a column wider than a line alone.
    for (size_t first = 0; first < widths.size();) {
        size_t end = first;
        int used = teacherWidth;
        while (end < widths.size() &&
               (end == first || used + 1 + widths[end] <= kTeacherRailsWidth))
            used += 1 + widths[end++];
        lines << band(t, heads, first, end, teacherWidth, widths);
        first = end;
    }
    if (t.clashes() > 0)
        lines << QStringLiteral("! zwei oder mehr Kurse des Lehrers auf einer Schiene");
    return lines;
}

void DruckLehrerSchienen(ui::Host& host, const TeacherRails& t, const QString& databasePath) {
    const QStringList header = fileHeader(databasePath);
    auto job = host.startPrint();
    if (!job)
        return;
    job->setOrientation(ui::Orientation::Landscape);
    job->setFont(ui::kCourierNew, 8);
    for (const QString& line : header)
        job->printLine(line);
    job->printLine(QString());
    const QStringList lines = teacherRailLines(t);
    job->setBold(true);
    job->printLine(lines.front());
    job->setBold(false);
    for (qsizetype i = 1; i < lines.size(); ++i)
        job->printLine(lines[i]);
    job->endDoc();
}

} // namespace printing
