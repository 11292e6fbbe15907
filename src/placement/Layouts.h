#pragma once

#include "platform/Text.h"

#include <QString>
#include <QStringList>

// The fixed-layout texts of the placement workspace: what the grid cells and list lines show and
// the printouts hold, each layout defined here once. They are drawn from the plan (Plan.h) and the
// rows the lists keep; no command reads them back. The few readers left serve the views that
// split a line into columns and the tests that compare texts. Positions in the comments are
// 1-based. Hours are one digit; the layouts assume 0-9.
namespace placement {

// A name fitted into n characters: trimmed, then cut to n - 1 characters and "." when longer
// than n, else padded with blanks to n.
QString AbkNV(const QString& text, int n);

using platform::val;

// The six-character key at the end of a line or cell.
inline QString lastKey(const QString& text) {
    return text.right(6);
}

// Rail header, row 0 of a grid column, 21 characters with one-digit hours:
// 1-6 rail name (BL_BEZ), 7 hours, 8-9 blanks, 10-12 student count (three digits),
// 13-15 blanks, 16-21 BL_ID right-aligned.
struct RailHeader {
    // hours: BL_STD as a whole number, 0 when empty.
    static QString format(const QString& bez, int hours, qint64 blId);
    // The count as three digits; larger numbers keep their last three ("1234" shows "234").
    static QString withCount(const QString& h, int count);
    static int count(const QString& h) { return val(h.mid(9, 3)); }
    // As the grid shows the header: the name with the hours over the count.
    static QString nameAndHours(const QString& h) { return h.left(7); }
    static QString countText(const QString& h) { return h.mid(9, 3); }
};

// Course entry: a grid cell of rows 1.. and a line of LNKurse, 21 characters:
// 1-5 course name (KS_BEZ), 6 blank, 7 hours, 8 blank, 9-14 KS_SCHJ, 15 blank, 16-21 KS_VFP_ID.
struct CourseEntry {
    static constexpr int kNameWidth = 5;
    static QString format(const QString& bez, int hours, const QString& schj, const QString& key);
    static QString name(const QString& e) { return e.left(kNameWidth); }
    static QString key(const QString& e) { return lastKey(e); }
    // As the grid shows a fixed entry: "*" right after the name, within characters 1-6 (the
    // hours stay at 7). Only for showing; the entry itself never carries the mark.
    static QString withFixedMark(const QString& e) {
        return (name(e).trimmed() + QLatin1Char('*')).leftJustified(6, QLatin1Char(' ')) + e.mid(6);
    }
};

// Line of LSchueler, one per choice of a student in a selected course, 33 characters:
// 1-11 AbkNV(name, 11), 12-13 parallel class, 14-18 course name, 19 blank,
// 20-25 BG_ID right-aligned, 26 "2" or "3" (the course field of year group 12 or 13), 27 blank,
// 28-33 the student's key (BG_KO_ID).
struct StudentLine {
    // The part from character 20 on, as the choice rows are first collected.
    static QString choice(qint64 bgId, QChar yearDigit, const QString& studentKey);
    // name is fitted to 11, the parallel class to 2 characters.
    static QString format(const QString& name, const QString& parallelClass,
                          const QString& courseName, const QString& choice);
    static constexpr int kNameWidth = 11;
    static constexpr int kClassWidth = 2;
    static int bgId(const QString& l) { return val(l.mid(19, 6)); }
    static QString studentKey(const QString& l) { return lastKey(l); }
};

// Line of LKollisionen, one per colliding student:
// 1-9 AbkNV(name, 9), 10 blank, then for k colliding choices k course names (5 each), the k
// BG_IDs (6 each, right-aligned) and the student's key (6). The part from character 11 on is
// 11k + 6 characters long.
struct CollisionLine {
    // name is fitted to 9; bgIds: the BG_IDs right-aligned in 6, concatenated.
    static QString format(const QString& name, const QString& courseNames, const QString& bgIds,
                          const QString& studentKey);
    static constexpr int kNameWidth = 9;
};

// Line of LSchImBlock, 18 characters: course name (5), a blank, AbkNV(name, 12).
struct BlockLine {
    // name is fitted to 12.
    static QString format(const QString& courseName, const QString& name);
    static constexpr int kNameWidth = 12;
};

// Line of "Kollisionen im Plan", one per colliding student and rail where his courses meet:
// 1-30 AbkNV(name, 30), 31-32 parallel class, 33 blank, 34-39 rail name, 40 blank, then the
// course names meeting there (whole: 6 each, a blank after each) and the student's key (6).
struct PlanCollisionLine {
    static QString format(const QString& name, const QString& parallelClass, const QString& rail,
                          const QStringList& courseNames, const QString& studentKey);
    static constexpr int kNameWidth = 30;
    static QString name(const QString& l) { return l.left(kNameWidth); }
    static QString parallelClass(const QString& l) { return l.mid(kNameWidth, 2); }
    static QString rail(const QString& l) { return l.mid(kNameWidth + 3, 6); }
    static QStringList courseNames(const QString& l);
    static QString studentKey(const QString& l) { return lastKey(l); }
};

// Line of "Kurse des Schülers je Schiene": 1-6 rail name ("(ohne)" for his courses on no rail),
// 7 "!" where two or more of his courses meet, else blank, 8 blank, then the course names
// (whole: 6 each, a blank after each).
struct RailCoursesLine {
    static QString format(const QString& rail, bool meet, const QStringList& courseNames);
    static QString noRail() { return QStringLiteral("(ohne)"); }
    static QString rail(const QString& l) { return l.left(6); }
    static bool meet(const QString& l) { return l.mid(6, 1) == QLatin1String("!"); }
    static QStringList courseNames(const QString& l);
};

// Course names run together, 5 characters each, as LKKollegiat gives a student's courses (a
// blank name for a choice without a course in his phase), split into the names.
QStringList splitCourseNames(const QString& names);

// Line of the window "Belegungen" (the students of LSchueler with their courses):
// 1-11 AbkNV(name, 11), then the course names, 5 characters each.
struct BelegungLine {
    // name is fitted to 11; courseNames run together.
    static QString format(const QString& name, const QString& courseNames);
    static QString name(const QString& l) { return l.left(11); }
    static QStringList courseNames(const QString& l) { return splitCourseNames(l.mid(11)); }
};

// A parallel course as AlternativKurs returns it and the course chooser lists it:
// KS_BEZ, a blank, KS_VFP_ID.
struct ParallelCourse {
    static QString format(const QString& bez, const QString& key) {
        return bez + QLatin1Char(' ') + key;
    }
};

// Student names in the lists: family name, a blank, first name.
QString studentName(const QString& famName, const QString& rufName);

// The nominal metric of the grid's text, in twips, from which the column widths and the header
// height are set: the grid shows its texts in a fixed-pitch font of 10 points.
inline constexpr int kCharWidthTwips = 120;
inline constexpr int kLineHeightTwips = 240;
// Width of a rail column: the rail name and hours (characters 1-7 of the header) and the
// padding.
inline constexpr int kRailColumnPaddingTwips = 300;
int railColumnWidth(const QString& header);
// Height of the header row: two text lines and 100.
int railHeaderHeight();

} // namespace placement
