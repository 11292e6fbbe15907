#include "app/MainWindow.h"
#include "db/BlockDatabase.h"
#include "editors/frmBeleg.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/DemoSchool.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <array>
#include <tuple>

// A planner's session on the demo school, told in the planner's steps. The expected choices
// were worked out by hand from the demo data (keys as the import makes them).

namespace {

// Courses of year group 13 (choices in BG_KS_ID_13) and the rails used.
const QString k2Ch2 = "   243", k2Ch3 = "   244", k2B2 = "   246", k2B3 = "   247",
              k2WR2 = "   264";
// Grid columns of rails that hold courses of year group 12 only: GK4 and GK5 of three hours,
// GK10 of two.
constexpr int kGK4 = 6, kGK5 = 7, kGK10 = 12;

void selectCourses(placement::SetzenK& k, const QStringList& names) {
    for (int i = 0; i < k.LNKurse.count(); ++i)
        k.LNKurse.setSelected(
            i, names.contains(placement::CourseEntry::name(k.LNKurse.line(i)).trimmed()));
    k.LNKurse_Click();
}

} // namespace

// The planner corrects a student's choice and finds her in her new course when placing: Barbara
// Ähnlich (cohort 2009, year group 12, key 211) takes Latin (subject 46, its first year-12 course
// 1L1) instead of mathematics (subject 48, 1M1) as a basic course; neither course is on a rail.
// Then three parallel courses of year group 13 go onto rails, the collisions of two courses still
// to place are looked at and the program removes them.
TEST(PlanningSession, ACorrectedChoiceIsListedAndCollisionsGoIntoTheParallelsOnTheFilledRails) {
    test::TempDir tmp;
    test::ScriptedHost host;
    platform::RunState s;
    s.DatenPfad = tmp.dir();
    s.DatenDatei = "BB.MDB";
    ASSERT_TRUE(test::importDemoSchool(s, host));
    const QString barbara = QStringLiteral("   211");
    app::MDIKundB main(s, host);
    // "&Ändern Belegung": her mathematics row becomes Latin.
    host.onModal("frmBeleg", [&](ui::Window& window) {
        auto& b = static_cast<editors::frmBeleg&>(window);
        ASSERT_EQ(b.CmbKolJg.text(), "2009");
        for (int i = 0; i < b.LstNavigator.count(); ++i)
            if (b.LstNavigator.line(i).endsWith(barbara))
                b.LstNavigator.setCurrent(i);
        b.LstNavigator_Click();
        int row = -1;
        for (int r = 0; r < editors::frmBeleg::kGkRows; ++r)
            if (b.CmbFachGK[static_cast<size_t>(r)].text().endsWith("    48"))
                row = r;
        ASSERT_GE(row, 0);
        EXPECT_EQ(b.lblKursKG[static_cast<size_t>(row)], "1M1");
        auto& box = b.CmbFachGK[static_cast<size_t>(row)];
        box.setCurrent(box.lines().indexOf(QRegularExpression(".*    46$")));
        b.CmbFachGK_Click(row);
        EXPECT_EQ(b.lblKursKG[static_cast<size_t>(row)], "1L1");
    });
    main.click("menuDateiBel");

    // The placement window lists her row 2862 under 1L1, none under 1M1.
    placement::SetzenK w(s, host);
    // The scripted host fails the test on any message it was not told of.
    w.Form_Load();
    for (const auto& [course, rows] :
         {std::pair{"1L1", QList<qint64>{2862}}, std::pair{"1M1", QList<qint64>{}}}) {
        selectCourses(w, {course});
        ASSERT_GT(w.LSchueler.count(), 0) << course;
        QList<qint64> hers;
        for (const QString& l : w.LSchueler.lines())
            if (placement::StudentLine::studentKey(l) == barbara)
                hers << placement::StudentLine::bgId(l);
        EXPECT_EQ(hers, rows) << course;
    }

    // Chemistry, biology and economics of year group 13 each get one more parallel course on a
    // rail that holds only courses of year group 12.
    // Their students have nothing on those rails, so they go on whole; each is smaller than
    // the average of its parallels (2Ch3 12 against 37 and 12: 20; 2B3 13 against 24 and 16:
    // 17; 2WR2 17 against 41, 13 and 17: 22).
    // "Schiene auffüllen" with the course selected alone and the rail's column selected; the
    // program tells how far the course falls short of its parallels' average. Each stands last
    // on its rail and has left the list; the rails' counts grew by the courses' sizes: 74 + 12,
    // 74 + 13, 108 + 17.
    QStringList placed;
    for (const auto& [name, col, count, target, row] : {std::tuple{"2Ch3", kGK4, 12, 20, 5},
                                                        {"2B3", kGK5, 13, 17, 5},
                                                        {"2WR2", kGK10, 17, 22, 6}}) {
        const QString header = w.grdSchienen.TextMatrix(0, col);
        selectCourses(w, {name});
        w.grdSchienen.click(0, col);
        host.onMessage(QStringLiteral("Auf diese Schiene passen zu wenig Kollegiaten des Kurses!"
                                      "\r\nAnzahl: %1\r\nSoll    : %2")
                           .arg(count)
                           .arg(target));
        w.cmdSchA_Click();
        EXPECT_EQ(host.messages.back().icon, ui::Icon::Information);
        placed << placement::CourseEntry::key(w.grdSchienen.TextMatrix(row, col)) + " " +
                      QString::number(placement::RailHeader::count(header)) + " " +
                      placement::RailHeader::countText(w.grdSchienen.TextMatrix(0, col));
    }
    EXPECT_EQ(placed, (QStringList{k2Ch3 + " 74 086", k2B3 + " 74 087", k2WR2 + " 108 125"}));
    for (const QString& l : w.LNKurse.lines())
        EXPECT_FALSE(QStringList({"2Ch3", "2B3", "2WR2"})
                         .contains(placement::CourseEntry::name(l).trimmed()));

    // 2Ch2 and 2B2 together: Späth, Di Marco and Weber attend both.
    selectCourses(w, {"2Ch2", "2B2"});
    ASSERT_EQ(w.LKollisionen.lines(), (QStringList{"Späth Bä. 2Ch2 2B2    1123  1124    86",
                                                   "Di Marco. 2Ch2 2B2    1259  1261    96",
                                                   "Weber Lu. 2Ch2 2B2    1625  1624   121"}));

    // "Kollisionen beseitigen" over the rails GK4 and GK5.
    w.grdSchienen.setSelStartCol(kGK4);
    w.grdSchienen.setSelEndCol(kGK5);
    w.cmdKollbs_Click();

    // Each of them goes from 2Ch2 into 2Ch3 on GK4; for each, the first student of 2Ch3 who
    // does not attend 2B2 made the place and went to 2Ch2: Weiß, Vogt (Renée), Lehmann.
    // One move each ends a collision of two courses: their 2B2 rows stay, and the other
    // students of 2Ch3 stay where they are (Vogt, Zeynep, 777, attends 2B2 and cannot make a
    // place). No move into biology was needed, and filling the rails moved nobody: every size is
    // as before.
    EXPECT_EQ(
        test::rowsOf(s.databasePath(),
                     "SELECT BG_KS_ID_13 FROM belegung WHERE BG_ID IN (83, 376, 554, 777, "
                     "903, 1123, 1124, 1259, 1261, 1624, 1625) ORDER BY BG_ID"),
        (QStringList{k2Ch2, k2Ch2, k2Ch2, k2Ch3, k2Ch3, k2Ch3, k2B2, k2Ch3, k2B2, k2B2, k2Ch3}));
    db::Connection c(s.databasePath());
    EXPECT_EQ((std::array{db::AnzBelKurs(c, k2Ch2), db::AnzBelKurs(c, k2Ch3),
                          db::AnzBelKurs(c, k2B3), db::AnzBelKurs(c, k2WR2)}),
              (std::array{12, 12, 13, 17}));

    // The refreshed lists: no collision is left between the two courses.
    EXPECT_EQ(std::tuple(w.LKollisionen.count(), w.lblKollisionen), std::tuple(0, "0"));
}
