#include "TestWorkspace.h"

#include <gtest/gtest.h>

using test::Workspace;

// Six rails R0..R5 with hours 1..6; rail c holds c % 2 courses, rail 2 three of them (K2-K4).
// K3 is fixed, K5 marked with a value that is not "1". The marks follow their entries through
// cut, insert and taking back; saving writes 1 or 0.
TEST(RailEditing, CutAndInsertShiftTheRailsInBetweenAndFixedMarksFollowTheirEntries) {
    Workspace s;
    const char* fix[] = {"0", "0", "1", "0", "2", "0"};
    for (int c = 0, course = 0; c < 6; ++c) {
        s.rail(c + 1, QStringLiteral("R%1").arg(c), c + 1);
        for (int i = 0; i < (c == 2 ? 3 : c % 2); ++i, ++course)
            s.place(c + 1,
                    s.course(course + 1, QStringLiteral("K%1").arg(course + 1), {{"KS_STD", "9"}}),
                    {{"CK_FIX", fix[course]}});
    }
    placement::SetzenK& w = s.load();
    ui::Grid& g = w.grdSchienen;
    // Which of the grid's entries are fixed, as "row,col" of the marked ones.
    const auto marks = [&] {
        QStringList out;
        for (int c = 0; c < s.grid().Cols(); ++c)
            for (int r = 1; r < s.grid().Rows(); ++r)
                if (s.w().isFixed(r, c))
                    out << QStringLiteral("%1,%2").arg(r).arg(c);
        return out;
    };
    EXPECT_EQ(marks(), QStringList{"2,2"}) << "only \"1\" is fixed";
    EXPECT_EQ(g.TextMatrix(2, 2), "K3    3      3 KS0003") << "the text has no mark";
    // Fixing a whole rail (its header pressed) marks all its entries; again loosens them all.
    g.click(0, 2);
    g.extendSelection(g.Rows() - 1, 2);
    for (const QStringList& marked : {QStringList{"1,2", "2,2", "3,2"}, QStringList{}}) {
        EXPECT_TRUE(w.click("menuBearbFix"));
        EXPECT_EQ(marks(), marked);
    }
    // An empty cell: nothing to fix.
    s.host.onMessage("Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
    for (const auto& [row, col] : {std::pair{1, 0}, {1, 3}, {2, 2}}) {
        g.click(row, col);
        w.click("menuBearbFix");
    }
    const QStringList before = s.columns();
    w.click("menuBearbEinf"); // nothing cut: the item is off
    // Cutting without a column selected is refused.
    g.click(1, 3);
    s.selectRails(1, 2);
    s.host.onMessage("Keine Spalte in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
    w.menuBearbAus_Click();
    EXPECT_EQ(s.columns(), before);

    g.click(1, 2);
    w.click("menuBearbAus");
    EXPECT_EQ(g.Rows(), 2) << "the longest remaining rail holds one course";
    EXPECT_EQ(g.TextMatrix(0, 2), "R2    0  000        3");
    EXPECT_EQ(marks(), QStringList{"1,3"}) << "the cut column's marks are held with it";
    // A second cut while one is held would lose the held courses: the item is off until then.
    const QStringList held = s.columns();
    g.click(1, 3);
    w.click("menuBearbAus");
    EXPECT_EQ(s.columns(), held);

    g.click(1, 5);
    w.click("menuBearbEinf");
    EXPECT_EQ(
        s.columns(),
        (QStringList{"R0    1  000        1|||", "R1    2  000        2|K1    2      3 KS0001||",
                     "R2    4  000        3|K5    4      3 KS0005||", "R3    5  000        4|||",
                     "R4    6  000        5|K6    6      3 KS0006||",
                     "R5    3  000        6|K2    3      3 KS0002|K3    3      3 KS0003|K4 "
                     "   3      3 KS0004"}))
        << "all three cut entries get a row";
    EXPECT_EQ(marks(), (QStringList{"1,2", "2,5"}));
    EXPECT_FALSE(w.command("menuBearbEinf")->enabled);
    // Inserting into the column cut changes nothing.
    const QStringList shifted = s.columns();
    g.click(2, 2);
    w.menuBearbAus_Click();
    w.menuBearbEinf_Click();
    EXPECT_EQ(s.columns() + marks(), shifted + QStringList({"1,2", "2,5"}));

    // K3 taken back into the list loses its mark; put on the rail again it is not fixed.
    g.click(2, 5);
    w.cmdS2K_Click();
    w.plan.rails[5].courses.push_back({"KS0003", 3, false});
    w.showRails();
    EXPECT_EQ(marks(), QStringList{"1,2"});
    ASSERT_TRUE(s.close());
    EXPECT_EQ(s.db.rows("SELECT trim(CK_BL_ID), CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"),
              (QStringList{"2|KS0001|0", "3|KS0005|1", "5|KS0006|0", "6|KS0002|0", "6|KS0004|0",
                           "6|KS0003|0"}));
    s.load();
    EXPECT_EQ(marks(), QStringList{"1,2"});
}
