#include "Printouts.h"

#include "printing/Layouts.h"
#include "printing/frmBlKuListen.h"

using printing::frmBlKuListen;
using test::School;

namespace {

const QString kNone = QString::fromUtf8(
    "Keine Blöcke ausgewählt!\r\nMarkieren Sie eine oder mehrere Zeilen der Liste!");
const QString kOver25 =
    QString::fromUtf8("Zuviele Blöcke (>25) ausgewählt!\r\nMarkieren weniger Zeilen der Liste!");
const QString kOver16 =
    QString::fromUtf8("Zuviele Blöcke (>16) ausgewählt!\r\nWählen Sie Querformat!");

// The eight lines that start every page, with the column header as written out by the test.
QStringList pageHeader(const School& s, const QString& cohort, const QString& columns) {
    return test::headerLines(s, 3) +
           QStringList{"",
                       QString::fromUtf8("Block-Kurs-Listen für den Kollegiatenjahrgang ") + cohort,
                       "", QString(256, QChar('_')), columns.leftJustified(256)};
}

void select(frmBlKuListen& w, int first, int count) {
    for (int i = 0; i < w.lstBlock.count(); ++i)
        w.lstBlock.setSelected(i, i >= first && i < first + count);
}

std::unique_ptr<frmBlKuListen> loaded(School& s) {
    test::dated(s);
    auto w = std::make_unique<frmBlKuListen>(s.state, s.host);
    w->Form_Load();
    return w;
}

// Three rails of the year and one of another; five students of the two cohorts. Two keys are
// written in lower case where the other table has them in upper case.
struct Lists : ::testing::Test {
    School s;
    std::unique_ptr<frmBlKuListen> w;

    void SetUp() override {
        s.batch();
        s.rail(1, "GK1", 3);
        s.rail(2, "GK2", 3);
        s.rail(3, "LKMath", 6);
        s.rail(4, "X1", 3, test::kOtherYear);
        const QStringList courses = {"Ma1", "Deu1", "Eng1", "LMathe", "Ph13"};
        for (int i = 0; i < courses.size(); ++i)
            s.course(i + 1, courses[i]);
        for (const auto& [rail, course] : std::vector<std::pair<int, QString>>{{1, "KS0001"},
                                                                               {1, "KS0002"},
                                                                               {2, "KS0003"},
                                                                               {2, "ks0005"},
                                                                               {3, "KS0004"},
                                                                               {4, "KS0003"}})
            s.place(rail, course);
        const QString mueller =
            s.student(1, QString::fromUtf8("Müller-Lüdenscheidt"), "Hans-Peter");
        s.choice(s.student(2, "Adler"), "ks0003");
        s.choice(s.student(3, "Zander", "Eva"), {}, "KS0003"); // year 13 only: not listed
        const QString berg = s.student(4, "Berg", "Ute", "2008");
        const QString oeztuerk = s.student(5, QString::fromUtf8("Öztürk"), "Ali");
        s.choice(mueller, "KS0001");
        s.choice(mueller, "KS0002"); // a second course on GK1: the later one on the rail, marked
        s.choice(mueller, "KS0004");
        s.choice(berg, "KS0001");
        s.choice(berg, {}, "KS0005");
        s.choice(oeztuerk, "KS0001");
        s.commit();
        w = loaded(s);
    }
};

} // namespace

// The window opens with the cohorts and the rails of the year; a line per student with his
// course on each chosen rail.
TEST_F(Lists, OpensWithTheCohortsAndRailsAndPrintsALinePerStudentWithHisCourseOnEachRail) {
    EXPECT_EQ(w->cmbKollJahrg.lines(), QStringList({"2009", "2008"}));
    EXPECT_EQ(w->cmbKollJahrg.text(), "2009");
    EXPECT_EQ(w->caption(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2009"));
    EXPECT_EQ(w->lstBlock.lines(), QStringList({"GK1   3", "GK2   3", "LKMath6"}));
    EXPECT_TRUE(w->optHoch);
    EXPECT_FALSE(w->OptQuer);
    EXPECT_EQ(s.host.statuses, QStringList({"Druck wird vorbereitet!", ""}));

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
    EXPECT_EQ(w->caption(),
              QString::fromUtf8("Druck der Block-Kurs-Listen für den Kollegiatenjahrgang 2008"));
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
    School s;
    s.rail(1, "GK1", 3);
    s.student(1, "Alt", "Anna", "2007");
    s.host.onMessage(QString::fromUtf8("Zum ausgewählten Schuljahr gibt es keine Kursphasen!"));
    const auto w = loaded(s);
    EXPECT_EQ(w->cmbKollJahrg.count(), 0);
    EXPECT_EQ(w->lstBlock.count(), 0);
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0].title, "Kurs- und Blockbildung");
}

// 26 rails: up to 16 print in portrait, up to 25 in landscape.
TEST(BlKuListen, RefusesTooManyRailsForTheOrientation) {
    School s;
    s.batch();
    for (int i = 1; i <= 26; ++i)
        s.rail(i, QStringLiteral("S%1").arg(i), 2);
    s.student(1, "Adler", "Ada");
    s.commit();
    const auto w = loaded(s);
    const struct {
        int first, count;
        bool landscape;
        QString refusal;
    } cases[] = {{0, 0, false, kNone},   {0, 16, false, {}}, {0, 17, false, kOver16},
                 {0, 17, true, {}},      {1, 25, true, {}},  {0, 26, true, kOver25},
                 {0, 26, false, kOver25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << (c.landscape ? " landscape" : " portrait"));
        s.host.printJobs.clear();
        if (!c.refusal.isEmpty())
            s.host.onMessage(c.refusal);
        select(*w, c.first, c.count);
        c.landscape ? w->OptQuer_Click() : w->optHoch_Click();
        w->cmdDruck_Click();
        EXPECT_EQ(s.host.pending(), 0u);
        if (!c.refusal.isEmpty()) {
            EXPECT_TRUE(s.host.printJobs.empty());
            continue;
        }
        ASSERT_EQ(s.host.printJobs.size(), 1u);
        QString header = "Blockbezeichnung  |";
        QString line = "1  Adler Ada      |";
        for (int i = c.first + 1; i <= c.first + c.count; ++i) {
            header += QStringLiteral("S%1").arg(i).leftJustified(5) + "|";
            line += "     |";
        }
        EXPECT_EQ(s.host.printJobs[0].lines.mid(7), test::padded({header, line}, 256));
        EXPECT_EQ(s.host.printJobs[0].operations[1], c.landscape ? "landscape" : "portrait");
    }
}

// A page holds 50 student lines in landscape and 75 in portrait; the next begins a new page
// with the full header.
TEST(BlKuListen, StartsANewPageAfter50StudentLinesInLandscapeAnd75InPortrait) {
    const struct {
        bool landscape;
        int students;
    } cases[] = {{true, 50}, {true, 51}, {false, 75}, {false, 76}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.students << (c.landscape ? " landscape" : ""));
        School s;
        s.batch();
        s.rail(1, "GK1", 3);
        for (int i = 1; i <= c.students; ++i)
            s.student(i, QStringLiteral("Name%1").arg(i, 2, 10, QChar('0')), "Eva");
        s.commit();
        const auto w = loaded(s);
        select(*w, 0, 1);
        c.landscape ? w->OptQuer_Click() : w->optHoch_Click();
        w->cmdDruck_Click();
        ASSERT_EQ(s.host.printJobs.size(), 1u);
        const QStringList& lines = s.host.printJobs[0].lines;
        const int perPage = c.landscape ? 50 : 75;
        const bool second = c.students > perPage;
        ASSERT_EQ(lines.size(), 8 + c.students + (second ? 1 + 8 : 0));
        const QStringList header = pageHeader(s, "2009", "Blockbezeichnung  |GK1  |");
        EXPECT_EQ(lines.mid(0, 8), header);
        EXPECT_EQ(lines[8 + perPage - 1],
                  QString("%1 Name%1 Eva     |     |").arg(perPage).leftJustified(256));
        EXPECT_EQ(lines.count("\f"), second ? 1 : 0);
        if (second) {
            EXPECT_EQ(lines.mid(8 + perPage, 9), QStringList{"\f"} + header);
            EXPECT_EQ(lines.last(),
                      QString("%1 Name%1 Eva     |     |").arg(perPage + 1).leftJustified(256));
        }
    }
}

// 101 rails, the last with 101 courses: beyond the 100 of the system's fixed tables.
TEST(BlKuListen, ListsMoreThanAHundredRailsAndCoursesPerRail) {
    School s;
    s.batch();
    for (int i = 1; i <= 101; ++i) {
        s.rail(i, QStringLiteral("R%1").arg(i), 1);
        s.place(101, s.course(i, QStringLiteral("C%1").arg(i)));
    }
    s.choice(s.student(1, "Adler", "Ada"), School::courseKey(101));
    s.commit();
    const auto w = loaded(s);
    ASSERT_EQ(w->lstBlock.count(), 101);
    EXPECT_EQ(w->lstBlock.line(100), "R101  1");
    select(*w, 100, 1);
    w->cmdDruck_Click();
    ASSERT_EQ(s.host.printJobs.size(), 1u);
    EXPECT_EQ(s.host.printJobs[0].lines[8],
              QString("1  Adler Ada      |C101 |").leftJustified(256));
}

TEST(BlKuListen, NamesAreCutTo14AndAPoint) {
    const std::tuple<QString, QString, QString> cases[] = {
        {QString::fromUtf8(" Müller-Lüdenscheidt "), "Hans-Peter",
         QString::fromUtf8("Müller-Lüdensc.")},
        {"Schmidt", "Anna-Lena", "Schmidt Anna-L."},
        {"Schmidt", "Anna-L", "Schmidt Anna-L"},
        {"Horn", QString(), "Horn "},
    };
    for (const auto& [fam, ruf, name] : cases)
        EXPECT_EQ(printing::CourseList::name(fam, ruf), name) << fam.toStdString();
}
