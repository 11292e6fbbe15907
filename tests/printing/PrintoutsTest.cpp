// The two printouts, the block-course lists and the rail printout, as the printer gets them; both
// head their pages with the school's file, dated as the header shows it.
#include "printing/Layouts.h"
#include "printing/RailPrintout.h"
#include "printing/frmBlKuListen.h"
#include "printing/frmKursgroessen.h"
#include "support/School.h"

#include <QFile>
#include <gtest/gtest.h>

using printing::frmBlKuListen;
using test::School;

namespace {

// Dates the school's file 21.05.2009 14:03:12, the "Stand" of every header.
void dated(const School& s) {
    QFile f(s.path());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2009, 5, 21), QTime(14, 3, 12)),
                              QFileDevice::FileModificationTime));
}

// The first n of the six header lines; with a page number, line 1 of the rail printout.
QStringList headerLines(const School& s, int n, int page = 0, int pages = 0) {
    QStringList lines = {"Schienenbildung:",
                         "Kollegiaten aus Datei : " + s.path(),
                         "Stand : 21.05.2009 14:03:12",
                         "",
                         "",
                         QString::fromUtf8("Kursestatistik über gesetze Kurse")};
    const QString number = QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
    if (page > 0)
        lines[0] = lines[0].leftJustified(70 - number.size()) + number;
    return lines.mid(0, n);
}

// Lines as the printouts pad them: each to the width; an empty line stays empty.
QStringList padded(const QStringList& lines, int width) {
    QStringList out;
    for (const QString& l : lines)
        out << (l.isEmpty() ? l : l.leftJustified(width));
    return out;
}

const QString kNone =
    "Keine Blöcke ausgewählt!\r\nMarkieren Sie eine oder mehrere Zeilen der Liste!";
const QString kOver25 = "Zuviele Blöcke (>25) ausgewählt!\r\nMarkieren weniger Zeilen der Liste!";
const QString kOver16 = "Zuviele Blöcke (>16) ausgewählt!\r\nWählen Sie Querformat!";

// The eight lines that start every page, with the column header as written out by the test; line
// 1 numbers the page at the right end of the table, or at 70 characters where it is narrower.
QStringList pageHeader(const School& s, const QString& cohort, const QString& columns, int page = 1,
                       int pages = 1) {
    QStringList file = headerLines(s, 3);
    const QString number = QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
    file[0] = file[0].leftJustified(std::max(70, int(columns.size())) - number.size()) + number;
    return file + QStringList{"", "Block-Kurs-Listen für den Kollegiatenjahrgang " + cohort, "",
                              QString(256, QChar('_')), columns.leftJustified(256)};
}

// The window loaded on s; with count > 0 rails first.. selected, in the orientation, printed.
std::unique_ptr<frmBlKuListen> loaded(School& s) {
    dated(s);
    auto w = std::make_unique<frmBlKuListen>(s.state, s.host);
    w->Form_Load();
    return w;
}
void print(frmBlKuListen& w, int first, int count, bool landscape) {
    for (int i = 0; i < w.lstBlock.count(); ++i)
        w.lstBlock.setSelected(i, i >= first && i < first + count);
    landscape ? w.OptQuer_Click() : w.optHoch_Click();
    w.click("cmdDruck");
}

// The one print job of the rail printout of s.
QStringList printed(School& s) {
    dated(s);
    printing::DruckSchienen(s.state, s.host);
    EXPECT_EQ(s.host.statuses, QStringList({"Druck wird vorbereitet!", ""}));
    EXPECT_EQ(s.host.busyDepth, 0);
    if (s.host.printJobs.size() != 1u || !s.host.printJobs[0].ended)
        return {"not one whole print job"};
    return s.host.printJobs[0].lines;
}

} // namespace

// Three rails of the year and one of another; five students of the two cohorts; two keys are
// written in lower case where the other table has them in upper case. A line per student with
// his course on each chosen rail (a second one on a rail marked), for either cohort; names cut
// to 14 characters and a point.
TEST(BlKuListen, PrintsALinePerStudentWithHisCourseOnEachChosenRail) {
    School s;
    s.batch();
    s.rail(1, "GK1", 3);
    s.rail(2, "GK2", 3);
    s.rail(3, "LKMath", 6);
    s.rail(4, "X1", 3, test::kOtherYear);
    const QStringList courses = {"Ma1", "Deu1", "Eng1", "LMathe", "Ph13"};
    for (int i = 0; i < courses.size(); ++i)
        s.course(i + 1, courses[i]);
    const std::pair<int, const char*> placed[] = {{1, "KS0001"}, {1, "KS0002"}, {2, "KS0003"},
                                                  {2, "ks0005"}, {3, "KS0004"}, {4, "KS0003"}};
    for (const auto& [rail, course] : placed)
        s.place(rail, course);
    const QString mueller = s.student(1, "Müller-Lüdenscheidt ", "Hans-Peter ");
    s.choice(s.student(2, "Adler"), "ks0003");
    s.choice(s.student(3, "Zander", "Eva"), {}, "KS0003"); // year 13 only: not listed
    const QString berg = s.student(4, "Berg", "Anna-Lena", "2008");
    for (const QString course : {"KS0001", "KS0002", "KS0004"}) // two on GK1: the later shown
        s.choice(mueller, course);
    s.choice(berg, "KS0001");
    s.choice(berg, {}, "KS0005");
    s.choice(s.student(5, "Schmidt", "Anna-L"), "KS0001");
    s.commit();
    const auto w = loaded(s);
    EXPECT_EQ(w->cmbKollJahrg.lines(), QStringList({"2009", "2008"}));
    EXPECT_EQ(w->caption(), "Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2009");
    EXPECT_EQ(w->lstBlock.lines(), QStringList({"GK1   3", "GK2   3", "LKMath6"}));
    EXPECT_TRUE(w->optHoch && !w->OptQuer);
    EXPECT_EQ(s.host.statuses, QStringList({"Druck wird vorbereitet!", ""}));

    print(*w, 0, 3, false);
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    const test::PrintedJob& job = s.host.printJobs[0];
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(job.lines, pageHeader(s, "2009", "Blockbezeichnung  |GK1  |GK2  |LKMat|") +
                             padded({"1  Adler          |     |Eng1 |     |",
                                     "2  Müller-Lüdensc.|Deu1!|     |LMath|",
                                     "3  Schmidt Anna-L |Ma1  |     |     |",
                                     "4  Zander Eva     |     |     |     |"},
                                    256) +
                             QStringList{"! hinter einem Kurs: Kollision - der Kollegiat hat auf "
                                         "dieser Schiene mehrere Kurse, gezeigt ist nur der "
                                         "letzte."});
    // Courier New 8 pt portrait; the title bold, the table lines underlined.
    EXPECT_EQ(job.operations.mid(0, 2), QStringList({"font Courier New 8", "portrait"}));
    EXPECT_EQ(
        job.operations.mid(6, 11),
        QStringList({"bold on", "line " + job.lines[4], "bold off", "line ", "line " + job.lines[6],
                     "underline on", "line " + job.lines[7], "underline off", "underline on",
                     "line " + job.lines[8], "underline off"}));

    // The other cohort of the school year is in year group 13: its courses from BG_KS_ID_13.
    w->cmbKollJahrg.setCurrent(1);
    w->cmbKollJahrg_Click();
    EXPECT_EQ(w->caption(), "Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2008");
    print(*w, 0, 2, true);
    ASSERT_EQ(s.host.printJobs.size(), 2u);
    EXPECT_EQ(s.host.printJobs[1].lines, pageHeader(s, "2008", "Blockbezeichnung  |GK1  |GK2  |") +
                                             padded({"1  Berg Anna-Lena |     |Ph13 |"}, 256));
    EXPECT_EQ(s.host.printJobs[1].operations[1], "landscape");
}

// 101 rails, the last with 101 courses (beyond the 100 of the system's fixed tables), and 100
// students: up to 16 rails print in portrait, up to 25 in landscape; a page holds 50 student
// lines in landscape and 75 in portrait, the next begins a new page with the full header. A
// school year without its cohorts lists nothing.
TEST(BlKuListen, RefusesTooManyRailsAndStartsANewPageAfter50LinesInLandscapeAnd75InPortrait) {
    School s;
    s.batch();
    for (int i = 1; i <= 101; ++i) {
        s.rail(i, QStringLiteral("S%1").arg(i), 1);
        s.place(101, s.course(i, QStringLiteral("C%1").arg(i)));
    }
    s.choice(s.student(1, "Adler", "Ada"), School::courseKey(101));
    for (int i = 2; i <= 100; ++i)
        s.student(i, QStringLiteral("Name%1").arg(i, 3, 10, QChar('0')), "Eva");
    s.commit();
    const auto w = loaded(s);
    ASSERT_EQ(w->lstBlock.count(), 101);
    const struct {
        int first, count;
        bool landscape;
        QString refusal;
    } cases[] = {{0, 0, false, kNone},    {0, 16, false, {}}, {0, 17, false, kOver16},
                 {0, 17, true, {}},       {1, 25, true, {}},  {0, 26, true, kOver25},
                 {0, 26, false, kOver25}, {100, 1, false, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << "+" << c.count << " " << c.landscape);
        s.host.printJobs.clear();
        if (!c.refusal.isEmpty())
            s.host.onMessage(c.refusal);
        print(*w, c.first, c.count, c.landscape);
        EXPECT_EQ(s.host.pending(), 0u);
        QString header = "Blockbezeichnung  |";
        QString line = "1  Adler Ada      |";
        for (int i = c.first + 1; i <= c.first + c.count; ++i) {
            header += QStringLiteral("S%1").arg(i).leftJustified(5) + "|";
            line += i == 101 ? "C101 |" : "     |";
        }
        ASSERT_EQ(s.host.printJobs.size(), c.refusal.isEmpty() ? 1u : 0u);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(s.host.printJobs[0].lines.mid(7, 2), padded({header, line}, 256));
            EXPECT_EQ(s.host.printJobs[0].lines[0], pageHeader(s, "2009", header, 1, 2)[0]);
        }
    }
    for (const bool landscape : {true, false}) {
        SCOPED_TRACE(landscape ? "landscape" : "portrait");
        s.host.printJobs.clear();
        print(*w, 0, 1, landscape);
        QStringList expected = pageHeader(s, "2009", "Blockbezeichnung  |S1   |", 1, 2);
        for (int i = 1; i <= 100; ++i) {
            if (i == (landscape ? 51 : 76))
                expected +=
                    QStringList{"\f"} + pageHeader(s, "2009", "Blockbezeichnung  |S1   |", 2, 2);
            const QString name =
                i == 1 ? "Adler Ada" : QStringLiteral("Name%1 Eva").arg(i, 3, 10, QChar('0'));
            expected << (QString::number(i).leftJustified(3) + name)
                            .leftJustified(18)
                            .append("|     |")
                            .leftJustified(256);
        }
        ASSERT_EQ(s.host.printJobs.size(), 1u);
        EXPECT_EQ(s.host.printJobs[0].lines, expected);
    }

    s.state.SchjBez = "2011/2012";
    s.host.onMessage("Zum ausgewählten Schuljahr gibt es keine Kursphasen!");
    const auto none = loaded(s);
    EXPECT_EQ(none->cmbKollJahrg.count() + none->lstBlock.count(), 0);
    EXPECT_EQ(s.host.pending(), 0u);
    EXPECT_EQ(s.host.messages.back().title, "Kurs- und Blockbildung");
}

// Six printed rails: five in the first band, one in the second. S2 carries nothing and drops
// out; rail 4 belongs to another school year; S5 has no hours; a placement of a course that is
// gone gets no row; counts of 100 and more fill the slot. No rail: nothing printed; only a rail
// of another school year carries a course: the header alone.
TEST(RailPrintout, PrintsTheRailsWithCoursesInBandsOfFive) {
    School s;
    s.batch();
    const QVariant hours[] = {2, 2, 6, 2, {}, 2, 2, 2};
    for (int r = 1; r <= 8; ++r)
        s.rail(r, QStringLiteral("S%1").arg(r), hours[r - 1],
               r == 4 ? test::kOtherYear : test::kYear);
    const QStringList names = {"Ma1", "Deu2", "GK-Ma1", "Bio1", "Ch1", "E1", "E2",
                               "E3",  "E4",   "E5",     "Ku1",  "Mu1", "Ph1"};
    const int students[] = {23, 17, 104, 100, 0, 1, 2, 3, 4, 5, 1, 10, 9};
    for (int i = 0; i < names.size(); ++i)
        s.choices(s.course(i + 1, names[i]), students[i]);
    const std::pair<int, int> placed[] = {{1, 1},  {1, 2},  {3, 3},  {3, 4},  {3, 5},
                                          {4, 13}, {5, 6},  {5, 7},  {5, 8},  {5, 9},
                                          {5, 10}, {6, 99}, {6, 11}, {7, 12}, {8, 13}};
    for (const auto& [rail, course] : placed)
        s.place(rail, School::courseKey(course));
    s.commit();
    const QStringList bands = {
        "S1    2       S3    6       S5    0       S6    2       S7    2",
        ".Ma1   : 23   .GK-Ma1:104   .E1    : 1    .Ku1   : 1    .Mu1   : 10",
        ".Deu2  : 17   .Bio1  :100   .E2    : 2     ..........    ..........",
        " ..........   .Ch1   : 0    .E3    : 3     ..........    ..........",
        " ..........    ..........   .E4    : 4     ..........    ..........",
        " ..........    ..........   .E5    : 5     ..........    ..........",
        "",
        "S8    2",
        ".Ph1   : 9",
        "",
    };
    EXPECT_EQ(printed(s), headerLines(s, 6, 1, 1) + padded(bands, 70));
    EXPECT_EQ(s.host.printJobs[0].operations.mid(0, 2),
              QStringList({"portrait", "font Courier New 12"}));

    School empty;
    empty.rail(1, "S1", 3);
    empty.rail(2, "S2", 3, test::kOtherYear);
    empty.place(2, empty.course(1, "Ma1"));
    EXPECT_EQ(printed(empty), headerLines(empty, 6, 1, 1));
    School none;
    printing::DruckSchienen(none.state, none.host);
    EXPECT_EQ(none.host.printJobs.size() + none.host.busyDepth, 0u);
}

// Rails R1.. with course 1, and more courses on the first and the sixth. 101 rails and 101
// courses on the first, beyond the 100 of the system's fixed tables: the first band (102 lines and
// an empty one) runs over its page alone; 16 bands of 2 lines and an empty one fill the next
// page, 4 the last. 11 rails, 20 courses on the first and 26 on the sixth: bands of 21 and 27
// lines fill the first page's 55 exactly (6 + 22 + 27); the band of R11 goes whole onto the
// second. Each page starts with the header and its number.
TEST(RailPrintout, BandsStayWholeOnNumberedPagesOfAtMost55Lines) {
    const struct {
        int rails, first, sixth;
        std::vector<qsizetype> pageBreaks;
        qsizetype size;
    } cases[] = {{101, 101, 1, {109, 164}, 183}, {11, 20, 26, {56}, 66}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rails);
        School s;
        s.batch();
        for (int k = 1; k <= 101; ++k)
            s.course(k, QStringLiteral("C%1").arg(k));
        for (int r = 1; r <= c.rails; ++r) {
            s.rail(r, QStringLiteral("R%1").arg(r), 2);
            s.place(r, School::courseKey(1));
        }
        for (int k = 2; k <= c.first; ++k)
            s.place(1, School::courseKey(k));
        for (int k = 2; k <= c.sixth; ++k)
            s.place(6, School::courseKey(k));
        s.commit();
        const QStringList lines = printed(s);
        ASSERT_EQ(lines.size(), c.size);
        const int pages = int(c.pageBreaks.size()) + 1;
        EXPECT_EQ(lines.mid(0, 6), headerLines(s, 6, 1, pages));
        for (int p = 2; p <= pages; ++p)
            EXPECT_EQ(lines.mid(c.pageBreaks[size_t(p - 2)], 7),
                      QStringList{"\f"} + headerLines(s, 6, p, pages));
        EXPECT_EQ(lines.count("\f"), pages - 1);
        EXPECT_EQ(lines.mid(6, 2),
                  padded({"R1    2       R2    2       R3    2       R4    2       R5    2",
                          ".C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0"},
                         70));
        EXPECT_EQ(lines[6 + c.first],
                  (QStringLiteral(".C%1").arg(c.first).leftJustified(7) +
                   ": 0     ..........    ..........    ..........    ..........")
                      .leftJustified(70));
        EXPECT_EQ(
            lines.mid(lines.size() - 3),
            padded({QStringLiteral("R%1").arg(c.rails).leftJustified(6) + "2", ".C1    : 0", ""},
                   70));
    }
}

// A path longer than its line (46 characters) loses its middle, never the file name. Designations
// are cut to 6; counts of up to three digits fill the 11 characters of a slot whole, more are cut.
TEST(RailPrintout, PathsCellsAndSlotsKeepTheirWidths) {
    using printing::RailPlan;
    const QString name = "/" + QString(50, 'N') + ".MDB";
    const std::pair<QString, QString> paths[] = {
        {"/tmp/a/BB.MDB", "/tmp/a/BB.MDB"},
        {"/home/planer/Schule/Kursplanung/2009-10/BB.MDB",
         "/home/planer/Schule/Kursplanung/2009-10/BB.MDB"}, // fits exactly
        {"/home/planer/Schule/Oberstufe/Kursplanung/2009-2010/Blockbildung/BB.MDB",
         "/home/planer/Schule/Ob...0/Blockbildung/BB.MDB"},
        {"C:\\PALEX\\DATEN\\Kollegstufe\\Blockbildung\\Schuljahr "
         "2009-2010\\Blockbildung_Endfassung_neu.MDB",
         "C:\\PALEX\\DA...\\Blockbildung_Endfassung_neu.MDB"},
        {"/daten" + name, "..." + name},
    };
    for (const auto& [path, shown] : paths)
        EXPECT_EQ(RailPlan::pageHeader(path, {}, 3, 12)[1], "Kollegiaten aus Datei : " + shown);
    EXPECT_EQ(printing::railHeaderCell("Schiene", 12), "Schien12");
    const std::tuple<QString, int, QString> cells[] = {
        {"Mathematik", 23, ".Mathem: 23"}, {"Sp1", 0, ".Sp1   : 0"},
        {"Sp1", 99, ".Sp1   : 99"},        {"Sp1", 100, ".Sp1   :100"},
        {"Sp1", 999, ".Sp1   :999"},       {"Sp1", 1234, ".Sp1   :123"},
    };
    for (const auto& [bez, students, slot] : cells)
        EXPECT_EQ(RailPlan::bandLine({RailPlan::fillerSlot(),
                                      RailPlan::courseSlot(RailPlan::courseCell(bez, students))}),
                  (" ..........   " + slot).leftJustified(70))
            << students;
}

// The course sizes printed as bars scaled to the largest size or limit (40 characters for 20),
// a course beyond its limits marked.
TEST(Kursgroessen, PrintsABarPerCourseUnderItsGroupsTargetSize) {
    const std::vector<common::SizeGroup> groups{
        {"M1 M2", 12.5, {{"M1", 15, 0, 20}, {"M2", 10, 11, 20}}}};
    EXPECT_EQ(
        printing::frmKursgroessen::lines(groups),
        (QStringList{"M1 M2 – Zielgröße 12,5",
                     "  M1       " + QString(30, '#') + QString(10, ' ') + "  15 (–20)",
                     "  M2       " + QString(20, '#') + QString(20, ' ') + "  10 (11–20) außerhalb",
                     ""}));
}
