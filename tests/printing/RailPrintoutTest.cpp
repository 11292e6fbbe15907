#include "Printouts.h"

#include "printing/Layouts.h"
#include "printing/RailPrintout.h"

using test::School;

namespace {

const QString kPreparing = QStringLiteral("Druck wird vorbereitet!");

// The one print job of the rail printout of s.
const QStringList& printed(School& s) {
    test::dated(s);
    printing::DruckSchienen(s.state, s.host);
    EXPECT_EQ(s.host.statuses, QStringList({kPreparing, ""}));
    EXPECT_EQ(s.host.busyDepth, 0);
    static const QStringList none;
    EXPECT_EQ(s.host.printJobs.size(), 1u);
    if (s.host.printJobs.empty())
        return none;
    EXPECT_TRUE(s.host.printJobs[0].ended);
    return s.host.printJobs[0].lines;
}

} // namespace

// Six printed rails: five in the first band, one in the second. S2 carries nothing and drops
// out; rail 4 belongs to another school year; S5 has no hours; a placement of a course that is
// gone gets no row; counts of 100 and more fill the slot.
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

    const QStringList& lines = printed(s);
    EXPECT_EQ(lines,
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
}

// No rail: nothing printed. Only a rail of another school year carries a course: the header.
TEST(RailPrintout, WithoutRailsNothingAndWithoutPlacedCoursesTheHeaderAlone) {
    School empty;
    empty.course(1, "Ma1");
    printing::DruckSchienen(empty.state, empty.host);
    EXPECT_TRUE(empty.host.printJobs.empty());
    EXPECT_EQ(empty.host.statuses, QStringList({kPreparing, ""}));

    School s;
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 3, test::kOtherYear);
    s.place(2, s.course(1, "Ma1"));
    EXPECT_EQ(printed(s), test::headerLines(s, 6, 1, 1));
}

// 101 rails and 101 courses on the first: beyond the 100 of the system's fixed tables.
TEST(RailPrintout, PrintsMoreThanAHundredRailsAndCoursesPerRail) {
    School s;
    s.batch();
    for (int i = 1; i <= 101; ++i) {
        s.rail(i, QStringLiteral("R%1").arg(i), 1);
        s.course(i, QStringLiteral("C%1").arg(i));
        s.place(i, School::courseKey(1));
    }
    for (int k = 2; k <= 101; ++k)
        s.place(1, School::courseKey(k));
    s.commit();
    const QStringList& lines = printed(s);
    // The first band, 102 lines and an empty one, runs over its page alone; 16 bands of 2 lines
    // and an empty one fill the next page, 4 the last.
    ASSERT_EQ(lines.size(), 6 + 103 + 1 + 6 + 16 * 3 + 1 + 6 + 4 * 3);
    EXPECT_EQ(lines.mid(109, 7), QStringList{"\f"} + test::headerLines(s, 6, 2, 3));
    EXPECT_EQ(lines.mid(6, 2),
              test::padded({"R1    1       R2    1       R3    1       R4    1       R5    1",
                            ".C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0    .C1    : 0"},
                           70));
    EXPECT_EQ(lines[107],
              QString(".C101  : 0     ..........    ..........    ..........    ..........")
                  .leftJustified(70));
    EXPECT_EQ(lines.mid(lines.size() - 3), test::padded({"R101  1", ".C1    : 0", ""}, 70));
}

// Bands of 21 and 27 lines fill the first page's 55 exactly (6 + 22 + 27); the band of R11
// goes whole onto the second; each page has the header with its number.
TEST(RailPrintout, BandsStayWholeOnNumberedPagesOfExactly55Lines) {
    School s;
    s.batch();
    for (int k = 1; k <= 26; ++k)
        s.course(k, QStringLiteral("C%1").arg(k));
    for (int r = 1; r <= 11; ++r) {
        s.rail(r, QStringLiteral("R%1").arg(r), 2);
        const int courses = r == 1 ? 20 : r == 6 ? 26 : 1;
        for (int k = 1; k <= courses; ++k)
            s.place(r, School::courseKey(k));
    }
    s.commit();
    const QStringList pages = printed(s).join('\n').split("\n\f\n");
    ASSERT_EQ(pages.size(), 2);
    const QStringList first = pages[0].split('\n');
    const QStringList second = pages[1].split('\n');
    EXPECT_EQ(first.mid(0, 6), test::headerLines(s, 6, 1, 2));
    ASSERT_EQ(first.size(), 6 + 22 + 28);
    EXPECT_TRUE(first[28].startsWith("R6    2")) << "the second band";
    EXPECT_EQ(second.mid(0, 6), test::headerLines(s, 6, 2, 2));
    EXPECT_EQ(second.mid(6), test::padded({"R11   2", ".C1    : 0", ""}, 70));
}

// A path longer than its line loses its middle, never the file name.
TEST(RailPrintout, ALongPathIsShortenedInTheMiddle) {
    const QString name = "/" + QString(50, 'N') + ".MDB";
    const std::pair<QString, QString> cases[] = {
        {"/tmp/a/BB.MDB", "/tmp/a/BB.MDB"},
        {"/home/planer/Schule/Oberstufe/Kursplanung/2009-2010/Blockbildung/BB.MDB",
         "/home/planer/Schule/Ob...0/Blockbildung/BB.MDB"},
        {"C:\\PALEX\\DATEN\\Kollegstufe\\Blockbildung\\Schuljahr "
         "2009-2010\\Blockbildung_Endfassung_neu.MDB",
         "C:\\PALEX\\DA...\\Blockbildung_Endfassung_neu.MDB"},
        {"/daten" + name, "..." + name},
    };
    for (const auto& [path, shown] : cases) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(printing::shortenedPath(path, 46), shown);
        EXPECT_EQ(printing::RailPlan::pageHeader(path, {}, 3, 12)[1],
                  "Kollegiaten aus Datei : " + shown);
    }
}

// Designations are cut to 6; counts of up to three digits fill the 11 characters of a slot
// whole, more are cut.
TEST(RailPrintout, CellsAndSlotsKeepTheirWidths) {
    using printing::RailPlan;
    EXPECT_EQ(printing::railHeaderCell("Schiene", 12), "Schien12");
    const std::tuple<QString, int, QString> cases[] = {
        {"Mathematik", 23, ".Mathem: 23"}, {"Sp1", 0, ".Sp1   : 0"},
        {"Sp1", 99, ".Sp1   : 99"},        {"Sp1", 100, ".Sp1   :100"},
        {"Sp1", 999, ".Sp1   :999"},       {"Sp1", 1234, ".Sp1   :123"},
    };
    for (const auto& [bez, students, slot] : cases) {
        SCOPED_TRACE(students);
        EXPECT_EQ(RailPlan::bandLine({RailPlan::fillerSlot(),
                                      RailPlan::courseSlot(RailPlan::courseCell(bez, students))}),
                  (" ..........   " + slot).leftJustified(70));
    }
}
