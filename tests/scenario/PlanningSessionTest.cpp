#include "db/BlockDatabase.h"
#include "placement/Layouts.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include "support/DemoSchool.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

// A planner's session on the demo school, told in the planner's steps: import, open the
// placement, put three parallel courses of year group 13 onto rails, look at the collisions of
// two courses still to place and let the program remove them. The expected choices were worked
// out by hand from the demo data (keys as the import makes them).

namespace {

// Courses of year group 13 (choices in BG_KS_ID_13) and the rails used.
const QString k2Ch2 = QStringLiteral("   243");
const QString k2Ch3 = QStringLiteral("   244");
const QString k2B2 = QStringLiteral("   246");
const QString k2B3 = QStringLiteral("   247");
const QString k2WR2 = QStringLiteral("   264");
// Grid columns of rails that hold courses of year group 12 only: GK4 and GK5 of three hours,
// GK10 of two.
constexpr int kGK4 = 6;
constexpr int kGK5 = 7;
constexpr int kGK10 = 12;

class PlanningSession : public ::testing::Test {
protected:
    test::TempDir tmp;
    test::ScriptedHost host;
    platform::RunState s;
    std::unique_ptr<placement::SetzenK> w;

    void SetUp() override {
        s.DatenPfad = tmp.dir();
        s.DatenDatei = "BB.MDB";
        ASSERT_TRUE(test::importDemoSchool(s, host));
        host.messages.clear();
    }

    int line(const QString& name) {
        for (int i = 0; i < w->LNKurse.count(); ++i)
            if (placement::CourseEntry::name(w->LNKurse.line(i)).trimmed() == name)
                return i;
        return -1;
    }
    void selectCourses(const QStringList& names) {
        for (int i = 0; i < w->LNKurse.count(); ++i)
            w->LNKurse.setSelected(
                i, names.contains(placement::CourseEntry::name(w->LNKurse.line(i)).trimmed()));
        w->LNKurse_Click();
    }
    // "Schiene auffüllen" with the course selected alone and the rail's column selected; the
    // program tells how far the course falls short of its parallels' average.
    void fillRail(const QString& name, int col, int count, int target) {
        selectCourses({name});
        w->grdSchienen.click(0, col);
        host.onMessage(QStringLiteral("Auf diese Schiene passen zu wenig Kollegiaten des Kurses!"
                                      "\r\nAnzahl: %1\r\nSoll    : %2")
                           .arg(count)
                           .arg(target));
        w->cmdSchA_Click();
        EXPECT_EQ(host.pending(), 0u) << name.toStdString();
        EXPECT_EQ(host.messages.back().icon, ui::Icon::Information);
    }
    QString course13(qint64 bgId) {
        db::Connection c(s.databasePath());
        return c.scalar("SELECT BG_KS_ID_13 FROM belegung WHERE BG_ID = ?", {bgId}).toString();
    }
    int size(const QString& key) {
        db::Connection c(s.databasePath());
        return db::AnzBelKurs(c, key);
    }
};

} // namespace

TEST_F(PlanningSession, CollisionsOfTwoCoursesGoIntoTheParallelsOnTheFilledRails) {
    w = std::make_unique<placement::SetzenK>(s, host);
    w->Form_Load();
    ASSERT_TRUE(host.messages.empty());

    // Chemistry, biology and economics of year group 13 each get one more parallel course on a
    // rail that holds only courses of year group 12.
    // Their students have nothing on those rails, so they go on whole; each is smaller than
    // the average of its parallels (2Ch3 12 against 37 and 12: 20; 2B3 13 against 24 and 16:
    // 17; 2WR2 17 against 41, 13 and 17: 22).
    const QStringList headers{w->grdSchienen.TextMatrix(0, kGK4),
                              w->grdSchienen.TextMatrix(0, kGK5),
                              w->grdSchienen.TextMatrix(0, kGK10)};
    fillRail("2Ch3", kGK4, 12, 20);
    fillRail("2B3", kGK5, 13, 17);
    fillRail("2WR2", kGK10, 17, 22);
    // Each stands last on its rail and has left the list; the rails' counts grew by the
    // courses' sizes: 74 + 12, 74 + 13, 108 + 17.
    QStringList placed;
    for (const auto& [col, row, was] : {std::tuple{kGK4, 5, 0}, {kGK5, 5, 1}, {kGK10, 6, 2}})
        placed << placement::CourseEntry::key(w->grdSchienen.TextMatrix(row, col)) + " " +
                      QString::number(placement::RailHeader::count(headers[was])) + " " +
                      placement::RailHeader::countText(w->grdSchienen.TextMatrix(0, col));
    EXPECT_EQ(placed, (QStringList{k2Ch3 + " 74 086", k2B3 + " 74 087", k2WR2 + " 108 125"}));
    EXPECT_EQ((std::array{line("2Ch3"), line("2B3"), line("2WR2")}), (std::array{-1, -1, -1}));
    host.messages.clear();

    // 2Ch2 and 2B2 together: Späth, Di Marco and Weber attend both.
    selectCourses({"2Ch2", "2B2"});
    ASSERT_EQ(w->LKollisionen.lines(), (QStringList{"Späth Bä. 2Ch2 2B2    1123  1124    86",
                                                    "Di Marco. 2Ch2 2B2    1259  1261    96",
                                                    "Weber Lu. 2Ch2 2B2    1625  1624   121"}));
    // Filling the rails moved nobody.
    EXPECT_EQ(size(k2Ch2), 12);
    EXPECT_EQ(size(k2Ch3), 12);

    // "Kollisionen beseitigen" over the rails GK4 and GK5.
    w->grdSchienen.setSelStartCol(kGK4);
    w->grdSchienen.setSelEndCol(kGK5);
    w->cmdKollbs_Click();
    EXPECT_TRUE(host.messages.empty());

    // Each of them goes from 2Ch2 into 2Ch3 on GK4; for each, the first student of 2Ch3 who
    // does not attend 2B2 made the place and went to 2Ch2: Weiß, Vogt (Renée), Lehmann.
    // One move each ends a collision of two courses: their 2B2 rows stay, and the other
    // students of 2Ch3 stay where they are (Vogt, Zeynep, 777, attends 2B2 and cannot make a
    // place).
    QStringList after;
    for (qint64 row : {1123, 1259, 1625, 83, 376, 554, 1124, 1261, 1624, 777, 903})
        after << course13(row);
    EXPECT_EQ(after, (QStringList{k2Ch3, k2Ch3, k2Ch3, k2Ch2, k2Ch2, k2Ch2, k2B2, k2B2, k2B2, k2Ch3,
                                  k2Ch3}));
    EXPECT_EQ(size(k2Ch2), 12);
    EXPECT_EQ(size(k2Ch3), 12);
    EXPECT_EQ(size(k2B3), 13) << "no move into biology was needed";
    EXPECT_EQ(size(k2WR2), 17);

    // The refreshed lists: no collision is left between the two courses.
    EXPECT_EQ(w->LKollisionen.count(), 0);
    EXPECT_EQ(w->lblKollisionen, "0");
}
