#include "PrintSchool.h"

#include "printing/Layouts.h"
#include "printing/RailPrintout.h"

#include <gtest/gtest.h>

using test::PrintSchool;

namespace {

const QString kPreparing = QStringLiteral("Druck wird vorbereitet!");

} // namespace

// Six printed rails: five in the first band, one in the second. S2 carries nothing and drops
// out; rail 4 belongs to another school year; S5 has no hours; a placement of a course that is
// gone gets no row; GK-Ma1 has 104 students.
TEST(RailPrintout, PrintsTheRailsWithCoursesInBandsOfFive) {
    PrintSchool s;
    s.rail(1, "S1", 4);
    s.rail(2, "S2", 3);
    s.rail(3, "LKMath", 6);
    s.rail(4, "S4", 2, test::kOtherYear);
    s.rail(5, "S5", QVariant());
    s.rail(6, "S6", 2);
    s.rail(7, "S7", 2);
    s.rail(8, "S8", 2);
    const QStringList names = {"Ma1", "Deu2", "GK-Ma1", "Bio1", "Ch1", "E1", "E2",
                               "E3",  "E4",   "E5",     "Ku1",  "Mu1", "Ph1"};
    for (int i = 0; i < names.size(); ++i)
        s.course(i + 1, names[i]);
    const int students[] = {23, 17, 104, 5, 0, 1, 2, 3, 4, 5, 1, 10, 9};
    for (int i = 0; i < names.size(); ++i)
        s.choices(i + 1, students[i]);
    s.place(1, 1);
    s.place(1, 2);
    for (int k : {3, 4, 5})
        s.place(3, k);
    s.place(4, 13);
    for (int k : {6, 7, 8, 9, 10})
        s.place(5, k);
    s.place(6, 99);
    s.place(6, 11);
    s.place(7, 12);
    s.place(8, 13);
    s.done();

    printing::DruckSchienen(s.state, s.host);

    ASSERT_EQ(s.host.printJobs.size(), 1u);
    const test::PrintedJob& job = s.host.printJobs[0];
    EXPECT_TRUE(job.ended);
    const QStringList bands = test::padded(
        {
            "S1    4       LKMath6       S5    0       S6    2       S7    2",
            ".Ma1   : 23   .GK-Ma1:104   .E1    : 1    .Ku1   : 1    .Mu1   : 10",
            ".Deu2  : 17   .Bio1  : 5    .E2    : 2     ..........    ..........",
            " ..........   .Ch1   : 0    .E3    : 3     ..........    ..........",
            " ..........    ..........   .E4    : 4     ..........    ..........",
            " ..........    ..........   .E5    : 5     ..........    ..........",
            "",
            "S8    2",
            ".Ph1   : 9",
            "",
        },
        70);
    EXPECT_EQ(job.lines, s.railHeader() + bands);
    EXPECT_EQ(job.operations.mid(0, 2), QStringList({"portrait", "font Courier New 12"}));
    EXPECT_EQ(s.host.statuses, QStringList({kPreparing, ""}));
    EXPECT_EQ(s.host.busyDepth, 0);
}

TEST(RailPrintout, AnEmptyBlockTablePrintsNothing) {
    PrintSchool s;
    s.course(1, "Ma1");
    s.done();
    printing::DruckSchienen(s.state, s.host);
    EXPECT_TRUE(s.host.printJobs.empty());
    EXPECT_EQ(s.host.statuses, QStringList({kPreparing, ""}));
    EXPECT_EQ(s.host.busyDepth, 0);
}

// Only a rail of another school year carries a course: the header lines alone.
TEST(RailPrintout, NoCourseOnARailOfTheYearPrintsTheHeaderLinesAlone) {
    PrintSchool s;
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 3, test::kOtherYear);
    s.course(1, "Ma1");
    s.place(2, 1);
    s.done();
    printing::DruckSchienen(s.state, s.host);
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_EQ(s.host.printJobs[0].lines, s.railHeader());
    EXPECT_TRUE(s.host.printJobs[0].ended);
}

// 101 rails and 101 courses on the first: beyond the 100 of the system's fixed tables.
TEST(RailPrintout, PrintsMoreThanAHundredRailsAndCoursesPerRail) {
    PrintSchool s;
    for (int i = 1; i <= 101; ++i) {
        s.rail(i, QStringLiteral("R%1").arg(i), 1);
        s.course(i, QStringLiteral("C%1").arg(i));
        s.place(i, 1);
    }
    for (int k = 2; k <= 101; ++k)
        s.place(1, k);
    s.done();
    printing::DruckSchienen(s.state, s.host);
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    const QStringList& lines = s.host.printJobs[0].lines;
    // The first band, 102 lines and an empty one, runs over its page alone; 16 bands of 2 lines
    // and an empty one fill the next page, 4 the last.
    ASSERT_EQ(lines.size(), 6 + 103 + 1 + 6 + 16 * 3 + 1 + 6 + 4 * 3);
    EXPECT_EQ(lines.mid(109, 7), QStringList{"\f"} + s.railHeader(2, 3));
    EXPECT_EQ(lines[6], QString("R1    1       R2    1       R3    1       R4    1       R5    1")
                            .leftJustified(70));
    EXPECT_EQ(lines[7],
              QString(".C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0")
                  .leftJustified(70));
    EXPECT_EQ(lines[107],
              QString(".C101  : 0     ..........    ..........    ..........    ..........")
                  .leftJustified(70));
    EXPECT_EQ(lines.mid(lines.size() - 3), test::padded({"R101  1", ".C1    : 0", ""}, 70));
}

// Three bands of 21 lines: two fill the first page, the third goes whole onto the second; each
// page has the header with its number.
TEST(RailPrintout, BandsStayWholeOnNumberedPagesEachWithTheHeader) {
    PrintSchool s;
    for (int r = 1; r <= 15; ++r) {
        s.rail(r, QStringLiteral("R%1").arg(r), 2);
        for (int k = 1; k <= 20; ++k)
            s.place(r, k);
    }
    for (int k = 1; k <= 20; ++k)
        s.course(k, QStringLiteral("C%1").arg(k));
    s.done();
    printing::DruckSchienen(s.state, s.host);
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    const QStringList pages = s.host.printJobs[0].lines.join('\n').split("\n\f\n");
    ASSERT_EQ(pages.size(), 2);
    const QStringList first = pages[0].split('\n');
    const QStringList second = pages[1].split('\n');
    EXPECT_EQ(first.mid(0, 6), s.railHeader(1, 2));
    EXPECT_EQ(first.size(), 6 + 2 * 22);
    EXPECT_TRUE(first[28].startsWith("R6    2")) << "the second band";
    EXPECT_EQ(second.mid(0, 6), s.railHeader(2, 2));
    EXPECT_EQ(second.size(), 6 + 22);
    EXPECT_TRUE(second[6].startsWith("R11   2"));
}

// A path longer than its line loses its middle, never the file name.
TEST(RailPrintout, ALongPathIsShortenedInTheMiddle) {
    using printing::shortenedPath;
    EXPECT_EQ(shortenedPath("/tmp/a/BB.MDB", 46), "/tmp/a/BB.MDB");
    EXPECT_EQ(shortenedPath(
                  "/home/planer/Schule/Oberstufe/Kursplanung/2009-2010/Blockbildung/BB.MDB", 46),
              "/home/planer/Schule/Ob...0/Blockbildung/BB.MDB");
    EXPECT_EQ(shortenedPath("C:\\PALEX\\DATEN\\Kollegstufe\\Blockbildung\\Schuljahr "
                            "2009-2010\\Blockbildung_Endfassung_neu.MDB",
                            46),
              "C:\\PALEX\\DA...\\Blockbildung_Endfassung_neu.MDB");
    const QString name = "/" + QString(50, 'N') + ".MDB";
    EXPECT_EQ(shortenedPath("/daten" + name, 46), "..." + name);
    EXPECT_EQ(printing::RailPlan::pageHeader("/daten" + name, {}, 3, 12)[1],
              "Kollegiaten aus Datei : ..." + name);
}

TEST(RailPrintout, CellsAndSlotsKeepTheirWidths) {
    using printing::RailPlan;
    // A designation longer than 6 (the database holds 6 at most) is cut to 6.
    EXPECT_EQ(RailPlan::courseCell("Mathematik", 23), "Mathem: 23");
    EXPECT_EQ(printing::railHeaderCell("Schiene", 12), "Schien12");
    // Three-digit counts fill the 11 characters of a slot exactly; four digits are cut.
    EXPECT_EQ(RailPlan::bandLine({RailPlan::courseSlot(RailPlan::courseCell("Sp1", 104)),
                                  RailPlan::courseSlot(RailPlan::courseCell("Sp2", 1234))}),
              QString(".Sp1   :104   .Sp2   :123").leftJustified(70));
}
