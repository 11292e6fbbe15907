#include "TestWorkspace.h"

#include "db/Database.h"

#include <gtest/gtest.h>

using test::Workspace;

namespace {

// Three rails, K1 and K2 on the first, K3 on the second; K2 fixed by another program, K3 marked
// with a value that is not "1".
struct Fixed : Workspace {
    Fixed() {
        for (int i = 1; i <= 3; ++i)
            rail(i, QStringLiteral("S%1").arg(i), 2);
        for (int i = 1; i <= 4; ++i)
            course(i, QStringLiteral("K%1").arg(i), {{"KS_STD", "2"}});
        place(1, courseKey(1));
        place(1, courseKey(2), {{"CK_FIX", "1"}});
        place(2, courseKey(3), {{"CK_FIX", "2"}});
        load();
    }
    // Which of the grid's entries are fixed, as "row,col" of the marked ones.
    QStringList marks() {
        QStringList out;
        for (int c = 0; c < grid().Cols(); ++c)
            for (int r = 1; r < grid().Rows(); ++r)
                if (w().isFixed(r, c))
                    out << QStringLiteral("%1,%2").arg(r).arg(c);
        return out;
    }
    QStringList saved() {
        return db.rows("SELECT trim(CK_BL_ID), CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID");
    }
};

} // namespace

TEST(Fixed, LoadingReadsTheMarkSavingWritesOneOrZero) {
    Fixed s;
    EXPECT_EQ(s.marks(), QStringList{"2,0"}) << "only \"1\" is fixed";
    EXPECT_EQ(s.grid().TextMatrix(2, 0), "K2    2      3 KS0002") << "the text has no mark";

    // Fixing a whole rail (its header pressed) marks all its entries; again loosens them all.
    s.grid().click(0, 0);
    s.grid().extendSelection(s.grid().Rows() - 1, 0);
    EXPECT_TRUE(s.w().click("menuBearbFix"));
    EXPECT_EQ(s.marks(), (QStringList{"1,0", "2,0"}));
    s.w().click("menuBearbFix");
    EXPECT_TRUE(s.marks().isEmpty());
    s.grid().click(1, 1);
    s.w().click("menuBearbFix");
    EXPECT_EQ(s.marks(), QStringList{"1,1"});
    // An empty cell: nothing to fix.
    s.grid().click(1, 2);
    s.host.onMessage("Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
    s.w().click("menuBearbFix");

    ASSERT_TRUE(s.close());
    EXPECT_EQ(s.saved(), (QStringList{"1|KS0001|0", "1|KS0002|0", "2|KS0003|1"}));
    s.load();
    EXPECT_EQ(s.marks(), QStringList{"1,1"});
}

TEST(Fixed, MarksFollowTheirEntriesThroughCutInsertAndTakingBack) {
    Fixed s;
    ui::Grid& g = s.grid();
    g.click(1, 1);
    s.w().click("menuBearbFix"); // K3 on S2
    // Cut S1 (K1, K2 fixed) and insert it at S3: S2's content moves to S1, S1's to S2.
    g.click(0, 0);
    s.w().click("menuBearbAus");
    EXPECT_EQ(s.marks(), QStringList{"1,1"}) << "the cut column's marks are held with it";
    g.click(0, 1);
    s.w().click("menuBearbEinf");
    EXPECT_EQ(g.TextMatrix(1, 0), "K3    2      3 KS0003");
    EXPECT_EQ(g.TextMatrix(2, 1), "K2    2      3 KS0002");
    EXPECT_EQ(s.marks(), (QStringList{"1,0", "2,1"}));

    // K2 taken back into the list loses its mark; put on the rail again it is not fixed.
    g.click(2, 1);
    s.w().cmdS2K_Click();
    g.setRows(3);
    g.setTextMatrix(2, 1, "K2    2      3 KS0002");
    EXPECT_EQ(s.marks(), QStringList{"1,0"});

    ASSERT_TRUE(s.close());
    EXPECT_EQ(s.saved(), (QStringList{"1|KS0003|1", "2|KS0001|0", "2|KS0002|0"}));
}
