#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

// The fixed-layout lines of the two printouts: the rail plan and the block-course lists. Each
// layout is defined here once; positions in the comments are 1-based.
namespace printing {

// Lines 1-3 of both printouts: "Schienenbildung:", the database and the date and time it was
// last changed (German form, "21.05.2009 14:03:12").
QStringList fileHeaderLines(const QString& databasePath, const QDateTime& lastModified);

// A path cut in the middle to width characters, "..." in place of what is left out; the file
// name is kept whole (and so the result is longer where the name alone does not fit).
QString shortenedPath(const QString& path, int width);

// Rail header cell of both printouts and the lines of lstBlock: BL_BEZ padded or cut to 6,
// then the hours without blanks (0 when BL_STD is empty).
QString railHeaderCell(const QString& bez, const QVariant& hours);
// The designation in a rail header cell, trimmed.
inline QString railHeaderBez(const QString& cell) {
    return cell.left(6).trimmed();
}

// The rail plan: bands of up to five rails side by side in lines of 70 characters; slot k
// (0-4) starts at 14k + 1 and takes at most 11 characters.
struct RailPlan {
    static constexpr int kLineWidth = 70;
    static constexpr int kSlots = 5;
    static constexpr int kSlotStep = 14;
    static constexpr int kSlotWidth = 11;
    // Lines of Courier New 12 pt that a page of A4 portrait holds, with room to spare for a
    // printer's wider margins. A band is never split across two pages.
    static constexpr int kLinesPerPage = 55;

    // Lines 1-6 of every page: the file header, the path shortened in the middle to the line's
    // width, "Seite p von n" at the right end of line 1, two empty lines and the title.
    static QStringList pageHeader(const QString& databasePath, const QDateTime& lastModified,
                                  int page, int pages);

    // Course cell: KS_BEZ padded or cut to 6, ": ", the number of students. A count of three
    // digits drops the blank so that the slot still shows it whole (".GK1   :104").
    static QString courseCell(const QString& bez, int students);
    // A course's slot: "." and its cell.
    static QString courseSlot(const QString& cell) { return QLatin1Char('.') + cell; }
    // The slot below a rail's last course.
    static QString fillerSlot() { return QStringLiteral(" .........."); }
    // A band line from the texts of its slots (at most five; longer texts are cut at 11).
    static QString bandLine(const QStringList& texts);
};

// The block-course lists: lines of 256 characters; after the first 19 (number and name, bar)
// one column of 6 per chosen rail: 5 characters and a bar.
struct CourseList {
    static constexpr int kLineWidth = 256;
    static constexpr int kNameWidth = 18;
    static constexpr int kColumnWidth = 6;
    static constexpr int kMaxNameLength = 14;

    // Line 1 of the page header: "Schienenbildung:" and "Seite p von n" ending where the table
    // of that many rail columns ends, at the rail printout's 70 characters where it is narrower.
    static QString firstLine(int page, int pages, int railColumns);
    // Line 5 of the page header.
    static QString title(const QString& cohort);
    // Line 7: 256 underscores.
    static QString rule();
    // Line 8: "Blockbezeichnung  |", then the first 5 characters of each chosen rail's header
    // cell and a bar.
    static QString columnHeader(const QStringList& railHeaderCells);
    // Trimmed family name, a blank, trimmed first name; cut to 14 and "." when longer.
    static QString name(const QString& famName, const QString& rufName);
    // The running number left-aligned in 3, the name, all padded or cut to 18; a bar; then per
    // chosen rail the first 5 characters of the student's course there (blanks for none) and a
    // bar.
    static QString studentLine(int number, const QString& name, const QStringList& courses);
    // The cell of a student with more than one course on the rail (a collision): the shown
    // course cut to 4 and the mark "!", so that the mark survives the 5 characters of a column.
    static QString collisionCell(const QString& bez);
    // The line below the table that explains the mark, printed where the table has one.
    static QString collisionNote();

private:
    // The first 18 characters (padded or cut) and a bar, then per column its first 5 characters
    // and a bar, as far as 256 characters go.
    static QString line(const QString& first, const QStringList& columns);
};

} // namespace printing
