#include "PrintSchool.h"

#include "printing/Layouts.h"
#include "printing/frmBlKuListen.h"

#include <gtest/gtest.h>

using printing::frmBlKuListen;
using test::PrintSchool;

namespace {

const QString kNone = QString::fromUtf8(
    "Keine Blöcke ausgewählt!\r\nMarkieren Sie eine oder mehrere Zeilen der Liste!");
const QString kOver25 =
    QString::fromUtf8("Zuviele Blöcke (>25) ausgewählt!\r\nMarkieren weniger Zeilen der Liste!");
const QString kOver16 =
    QString::fromUtf8("Zuviele Blöcke (>16) ausgewählt!\r\nWählen Sie Querformat!");

// The eight lines that start every page, with the column header as written out by the test.
QStringList pageHeader(const PrintSchool& s, const QString& cohort, const QString& columns) {
    return s.headerLines(3) +
           QStringList{"",
                       QString::fromUtf8("Block-Kurs-Listen für den Kollegiatenjahrgang ") + cohort,
                       "", QString(256, QChar('_')), columns.leftJustified(256)};
}

void select(frmBlKuListen& w, int first, int count) {
    for (int i = 0; i < w.lstBlock.count(); ++i)
        w.lstBlock.setSelected(i, i >= first && i < first + count);
}

// Three rails of the year and one of another; five students of the two cohorts.
struct Lists : ::testing::Test {
    PrintSchool s;
    std::unique_ptr<frmBlKuListen> w;

    void SetUp() override {
        s.rail(1, "GK1", 3);
        s.rail(2, "GK2", 3);
        s.rail(3, "LKMath", 6);
        s.rail(4, "X1", 3, test::kOtherYear);
        const QStringList courses = {"Ma1", "Deu1", "Eng1", "LMathe", "Ph13"};
        for (int i = 0; i < courses.size(); ++i)
            s.course(i + 1, courses[i]);
        s.place(1, 1);
        s.place(1, 2);
        s.place(2, 3);
        s.place(2, 5);
        s.place(3, 4);
        s.place(4, 3);
        s.student(1, QString::fromUtf8("Müller-Lüdenscheidt"), "Hans-Peter");
        s.student(2, "Adler", QVariant());
        s.student(3, "Zander", "Eva");
        s.student(4, "Berg", "Ute", "2008");
        s.student(5, QString::fromUtf8("Öztürk"), "Ali");
        s.choice(1, 1);
        s.choice(1, 2); // a second course on GK1: the later one on the rail, marked
        s.choice(1, 4);
        s.choice(2, 3);
        s.choice(3, 0, 3); // year group 13 only: not in the list of year group 12
        s.choice(4, 1);
        s.choice(4, 0, 5);
        s.choice(5, 1);
        s.done();
        w = std::make_unique<frmBlKuListen>(s.state, s.host);
        w->Form_Load();
    }
};

} // namespace

TEST_F(Lists, OpensWithTheCohortsAndTheRailsOfTheYear) {
    EXPECT_EQ(w->cmbKollJahrg.lines(), QStringList({"2009", "2008"}));
    EXPECT_EQ(w->cmbKollJahrg.text(), "2009");
    EXPECT_EQ(w->caption(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2009"));
    EXPECT_EQ(w->lstBlock.lines(), QStringList({"GK1   3", "GK2   3", "LKMath6"}));
    EXPECT_TRUE(w->optHoch);
    EXPECT_FALSE(w->OptQuer);
    EXPECT_EQ(s.host.statuses, QStringList({"Druck wird vorbereitet!", ""}));

    w->cmbKollJahrg.setCurrent(1);
    w->cmbKollJahrg_Click();
    EXPECT_EQ(w->caption(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2008"));
}

TEST_F(Lists, PrintsALinePerStudentWithHisCourseOnEachChosenRail) {
    select(*w, 0, 3);
    w->click("cmdDruck");
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    const test::PrintedJob& job = s.host.printJobs[0];
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(job.lines,
              pageHeader(s, "2009", "Blockbezeichnung  |GK1  |GK2  |LKMat|") +
                  test::padded({"1  Adler          |     |Eng1 |     |",
                                QString::fromUtf8("2  Müller-Lüdensc.|Deu1!|     |LMath|"),
                                QString::fromUtf8("3  Öztürk Ali     |Ma1  |     |     |"),
                                "4  Zander Eva     |     |     |     |"},
                               256) +
                  QStringList{"! hinter einem Kurs: Kollision - der Kollegiat hat auf dieser "
                              "Schiene mehrere Kurse, gezeigt ist nur der letzte."});
    EXPECT_EQ(printing::CourseList::collisionCell("LMathe"), "LMat!");
    // Courier New 8 pt portrait; the title bold, the table lines underlined.
    EXPECT_EQ(job.operations.mid(0, 2), QStringList({"font Courier New 8", "portrait"}));
    EXPECT_EQ(
        job.operations.mid(6, 3),
        QStringList({"bold on",
                     QString::fromUtf8("line Block-Kurs-Listen für den Kollegiatenjahrgang 2009"),
                     "bold off"}));
    EXPECT_EQ(job.operations.mid(11, 6),
              QStringList({"underline on", "line " + job.lines[7], "underline off", "underline on",
                           "line " + job.lines[8], "underline off"}));
}

// The other cohort of the school year is in year group 13: its courses come from BG_KS_ID_13.
TEST_F(Lists, TheCohortOfYearGroup13ShowsItsYear13Courses) {
    w->cmbKollJahrg.setCurrent(1);
    w->cmbKollJahrg_Click();
    select(*w, 0, 2);
    w->OptQuer_Click();
    w->click("cmdDruck");
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_EQ(s.host.printJobs[0].lines,
              pageHeader(s, "2008", "Blockbezeichnung  |GK1  |GK2  |") +
                  test::padded({"1  Berg Ute       |     |Ph13 |"}, 256));
    EXPECT_EQ(s.host.printJobs[0].operations[1], "landscape");
}

TEST(BlKuListen, ASchoolYearWithoutItsCohortsSaysSo) {
    PrintSchool s;
    s.rail(1, "GK1", 3);
    s.student(1, "Alt", "Anna", "2007");
    s.done();
    s.host.onMessage(QString::fromUtf8("Zum ausgewählten Schuljahr gibt es keine Kursphasen!"));
    frmBlKuListen w(s.state, s.host);
    w.Form_Load();
    EXPECT_EQ(w.cmbKollJahrg.count(), 0);
    EXPECT_EQ(w.lstBlock.count(), 0);
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0].title, "Kurs- und Blockbildung");
}

// 26 rails: 16 print in portrait, 17 only in landscape, 25 in landscape, 26 in neither.
TEST(BlKuListen, RefusesTooManyRailsForTheOrientation) {
    PrintSchool s;
    for (int i = 1; i <= 26; ++i)
        s.rail(i, QStringLiteral("S%1").arg(i), 2);
    s.student(1, "Adler", "Ada");
    s.done();
    frmBlKuListen w(s.state, s.host);
    w.Form_Load();
    s.host.onMessage(kNone).onMessage(kOver16).onMessage(kOver25).onMessage(kOver25);

    w.cmdDruck_Click();
    select(w, 0, 16);
    w.cmdDruck_Click();
    select(w, 0, 17);
    w.cmdDruck_Click();
    select(w, 0, 26);
    w.cmdDruck_Click();
    w.OptQuer_Click();
    w.cmdDruck_Click();
    select(w, 1, 25);
    w.cmdDruck_Click();

    EXPECT_EQ(s.host.pending(), 0u);
    ASSERT_EQ(s.host.printJobs.size(), 2u);
    EXPECT_EQ(s.host.printJobs[0].operations[1], "portrait");
    EXPECT_EQ(s.host.printJobs[0].lines[7],
              QString("Blockbezeichnung  |S1   |S2   |S3   |S4   |S5   |S6   |S7   |S8   |S9   |"
                      "S10  |S11  |S12  |S13  |S14  |S15  |S16  |")
                  .leftJustified(256));
    EXPECT_EQ(s.host.printJobs[1].operations[1], "landscape");
    EXPECT_EQ(s.host.printJobs[1].lines[8],
              QString("1  Adler Ada      |     |     |     |     |     |     |     |     |     |"
                      "     |     |     |     |     |     |     |     |     |     |     |     |"
                      "     |     |     |     |")
                  .leftJustified(256));
    EXPECT_TRUE(s.host.printJobs[1].lines[7].startsWith("Blockbezeichnung  |S2   |"));
    EXPECT_TRUE(s.host.printJobs[1].lines[7].contains("|S26  |"));
}

// 76 students: the 51st in landscape and the 76th in portrait begin a new page with the full
// header.
TEST(BlKuListen, StartsANewPageAfter50StudentLinesInLandscapeAnd75InPortrait) {
    PrintSchool s;
    s.rail(1, "GK1", 3);
    for (int i = 1; i <= 76; ++i)
        s.student(i, QStringLiteral("Name%1").arg(i, 2, 10, QChar('0')), "Eva");
    s.done();
    frmBlKuListen w(s.state, s.host);
    w.Form_Load();
    select(w, 0, 1);
    w.OptQuer_Click();
    w.cmdDruck_Click();
    w.optHoch_Click();
    w.cmdDruck_Click();
    ASSERT_EQ(s.host.printJobs.size(), 2u);

    const QStringList header = pageHeader(s, "2009", "Blockbezeichnung  |GK1  |");
    const QStringList& landscape = s.host.printJobs[0].lines;
    ASSERT_EQ(landscape.size(), 8 + 50 + 1 + 8 + 26);
    EXPECT_EQ(landscape.mid(0, 8), header);
    EXPECT_EQ(landscape[57], QString("50 Name50 Eva     |     |").leftJustified(256));
    EXPECT_EQ(landscape[58], "\f");
    EXPECT_EQ(landscape.mid(59, 8), header);
    EXPECT_EQ(landscape[67], QString("51 Name51 Eva     |     |").leftJustified(256));

    const QStringList& portrait = s.host.printJobs[1].lines;
    ASSERT_EQ(portrait.size(), 8 + 75 + 1 + 8 + 1);
    EXPECT_EQ(portrait[83], "\f");
    EXPECT_EQ(portrait.mid(84, 8), header);
    EXPECT_EQ(portrait[92], QString("76 Name76 Eva     |     |").leftJustified(256));
}

// 101 rails, the last with 101 courses: beyond the 100 of the system's fixed tables.
TEST(BlKuListen, ListsMoreThanAHundredRailsAndCoursesPerRail) {
    PrintSchool s;
    for (int i = 1; i <= 101; ++i) {
        s.rail(i, QStringLiteral("R%1").arg(i), 1);
        s.course(i, QStringLiteral("C%1").arg(i));
        s.place(101, i);
    }
    s.student(1, "Adler", "Ada");
    s.choice(1, 101);
    s.done();
    frmBlKuListen w(s.state, s.host);
    w.Form_Load();
    ASSERT_EQ(w.lstBlock.count(), 101);
    EXPECT_EQ(w.lstBlock.line(100), "R101  1");
    select(w, 100, 1);
    w.cmdDruck_Click();
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_EQ(s.host.printJobs[0].lines[8],
              QString("1  Adler Ada      |C101 |").leftJustified(256));
}

TEST(BlKuListen, NamesAreCutTo14AndAPoint) {
    using printing::CourseList;
    EXPECT_EQ(CourseList::name(QString::fromUtf8(" Müller-Lüdenscheidt "), "Hans-Peter"),
              QString::fromUtf8("Müller-Lüdensc."));
    EXPECT_EQ(CourseList::name("Schmidt", "Anna-Lena"), "Schmidt Anna-L.");
    EXPECT_EQ(CourseList::name("Schmidt", "Anna-L"), "Schmidt Anna-L");
    EXPECT_EQ(CourseList::name("Horn", QString()), "Horn ");
}
