#include "Printouts.h"

#include "printing/Layouts.h"
#include "printing/frmBlKuListen.h"

using printing::frmBlKuListen;
using test::School;

namespace {

const QString kNone =
    "Keine Blöcke ausgewählt!\r\nMarkieren Sie eine oder mehrere Zeilen der Liste!";
const QString kOver25 = "Zuviele Blöcke (>25) ausgewählt!\r\nMarkieren weniger Zeilen der Liste!";
const QString kOver16 = "Zuviele Blöcke (>16) ausgewählt!\r\nWählen Sie Querformat!";

// The eight lines that start every page, with the column header as written out by the test.
QStringList pageHeader(const School& s, const QString& cohort, const QString& columns) {
    return test::headerLines(s, 3) +
           QStringList{"", "Block-Kurs-Listen für den Kollegiatenjahrgang " + cohort, "",
                       QString(256, QChar('_')), columns.leftJustified(256)};
}

// The window loaded on s; with count > 0 rails first.. selected, in the orientation, printed.
std::unique_ptr<frmBlKuListen> loaded(School& s) {
    test::dated(s);
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
    const QString schmidt = s.student(5, "Schmidt", "Anna-L");
    for (const QString course : {"KS0001", "KS0002", "KS0004"}) // two on GK1: the later shown
        s.choice(mueller, course);
    s.choice(berg, "KS0001");
    s.choice(berg, {}, "KS0005");
    s.choice(schmidt, "KS0001");
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
                             test::padded({"1  Adler          |     |Eng1 |     |",
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
    EXPECT_EQ(s.host.printJobs[1].lines,
              pageHeader(s, "2008", "Blockbezeichnung  |GK1  |GK2  |") +
                  test::padded({"1  Berg Anna-Lena |     |Ph13 |"}, 256));
    EXPECT_EQ(s.host.printJobs[1].operations[1], "landscape");
}

// 101 rails, the last with 101 courses (beyond the 100 of the system's fixed tables): up to 16
// print in portrait, up to 25 in landscape. A school year without its cohorts lists nothing.
TEST(BlKuListen, RefusesTooManyRailsForTheOrientationAndListsMoreThanAHundred) {
    School s;
    s.batch();
    for (int i = 1; i <= 101; ++i) {
        s.rail(i, QStringLiteral("S%1").arg(i), 1);
        s.place(101, s.course(i, QStringLiteral("C%1").arg(i)));
    }
    s.choice(s.student(1, "Adler", "Ada"), School::courseKey(101));
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
            EXPECT_EQ(s.host.printJobs[0].lines.mid(7), test::padded({header, line}, 256));
        }
    }

    s.state.SchjBez = "2011/2012";
    s.host.onMessage("Zum ausgewählten Schuljahr gibt es keine Kursphasen!");
    const auto none = loaded(s);
    EXPECT_EQ(none->cmbKollJahrg.count() + none->lstBlock.count(), 0);
    EXPECT_EQ(s.host.pending(), 0u);
    EXPECT_EQ(s.host.messages.back().title, "Kurs- und Blockbildung");
}

// A page holds 50 student lines in landscape and 75 in portrait; the next begins a new page
// with the full header.
TEST(BlKuListen, StartsANewPageAfter50StudentLinesInLandscapeAnd75InPortrait) {
    for (const auto& [landscape, students] :
         {std::pair{true, 50}, {true, 51}, {false, 75}, {false, 76}}) {
        SCOPED_TRACE(testing::Message() << students << " " << landscape);
        School s;
        s.batch();
        s.rail(1, "GK1", 3);
        QStringList expected = pageHeader(s, "2009", "Blockbezeichnung  |GK1  |");
        for (int i = 1; i <= students; ++i) {
            s.student(i, QStringLiteral("Name%1").arg(i, 2, 10, QChar('0')), "Eva");
            if (i == (landscape ? 51 : 76))
                expected += QStringList{"\f"} + expected.mid(0, 8);
            expected << (QString::number(i).leftJustified(3) +
                         QStringLiteral("Name%1 Eva").arg(i, 2, 10, QChar('0')))
                            .leftJustified(18)
                            .append("|     |")
                            .leftJustified(256);
        }
        s.commit();
        print(*loaded(s), 0, 1, landscape);
        ASSERT_EQ(s.host.printJobs.size(), 1u);
        EXPECT_EQ(s.host.printJobs[0].lines, expected);
    }
}
