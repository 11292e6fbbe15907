#include "Printouts.h"

#include "printing/Layouts.h"
#include "printing/RailPrintout.h"

using test::School;

namespace {

// The one print job of the rail printout of s.
QStringList printed(School& s) {
    test::dated(s);
    printing::DruckSchienen(s.state, s.host);
    EXPECT_EQ(s.host.statuses, QStringList({"Druck wird vorbereitet!", ""}));
    EXPECT_EQ(s.host.busyDepth, 0);
    if (s.host.printJobs.size() != 1u || !s.host.printJobs[0].ended)
        return {"not one whole print job"};
    return s.host.printJobs[0].lines;
}

// A school with rails R1.. of 2 hours and courses C1..: courses[r] are the courses of rail r+1.
void railsWith(School& s, const std::vector<std::vector<int>>& courses) {
    s.batch();
    for (int r = 1; r <= int(courses.size()); ++r) {
        s.rail(r, QStringLiteral("R%1").arg(r), 2);
        for (const int k : courses[r - 1])
            s.place(r, School::courseKey(k));
    }
    for (int k = 1; k <= 101; ++k)
        s.course(k, QStringLiteral("C%1").arg(k));
    s.commit();
}

} // namespace

// Six printed rails: five in the first band, one in the second. S2 carries nothing and drops
// out; rail 4 belongs to another school year; S5 has no hours; a placement of a course that is
// gone gets no row; counts of 100 and more fill the slot. No rail: nothing printed; only a rail
// of another school year carries a course: the header alone.
TEST(RailPrintout, PrintsTheRailsWithCoursesInBandsOfFive) {
    School s;
    s.batch();
    for (int r = 1; r <= 8; ++r)
        s.rail(r, QStringLiteral("S%1").arg(r),
               r == 3   ? 6
               : r == 5 ? QVariant()
                        : QVariant(2),
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
    EXPECT_EQ(printed(s),
              test::headerLines(s, 6, 1, 1) +
                  test::padded(
                      {
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
                      },
                      70));
    EXPECT_EQ(s.host.printJobs[0].operations.mid(0, 2),
              QStringList({"portrait", "font Courier New 12"}));

    School empty;
    empty.rail(1, "S1", 3);
    empty.rail(2, "S2", 3, test::kOtherYear);
    empty.place(2, empty.course(1, "Ma1"));
    EXPECT_EQ(printed(empty), test::headerLines(empty, 6, 1, 1));
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
        std::vector<std::vector<int>> courses(size_t(c.rails), {1});
        for (int k = 2; k <= std::max(c.first, c.sixth); ++k) {
            if (k <= c.first)
                courses[0].push_back(k);
            if (k <= c.sixth)
                courses[5].push_back(k);
        }
        railsWith(s, courses);
        const QStringList lines = printed(s);
        ASSERT_EQ(lines.size(), c.size);
        const int pages = int(c.pageBreaks.size()) + 1;
        EXPECT_EQ(lines.mid(0, 6), test::headerLines(s, 6, 1, pages));
        for (int p = 2; p <= pages; ++p)
            EXPECT_EQ(lines.mid(c.pageBreaks[size_t(p - 2)], 7),
                      QStringList{"\f"} + test::headerLines(s, 6, p, pages));
        EXPECT_EQ(lines.count("\f"), pages - 1);
        EXPECT_EQ(
            lines.mid(6, 2),
            test::padded({"R1    2       R2    2       R3    2       R4    2       R5    2",
                          ".C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0"},
                         70));
        EXPECT_EQ(lines[6 + c.first],
                  (QStringLiteral(".C%1").arg(c.first).leftJustified(7) +
                   ": 0     ..........    ..........    ..........    ..........")
                      .leftJustified(70));
        EXPECT_EQ(
            lines.mid(lines.size() - 3),
            test::padded(
                {QStringLiteral("R%1").arg(c.rails).leftJustified(6) + "2", ".C1    : 0", ""}, 70));
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
