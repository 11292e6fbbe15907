#include "Workspace.h"

#include "db/Database.h"

#include <gtest/gtest.h>

using test::Workspace;

namespace {

// The saved placement: rail key, course key and CK_FIX per row.
QStringList saved(const Workspace& s) {
    QStringList out;
    db::Connection c(s.db.path());
    QSqlQuery q = c.exec("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID");
    while (q.next())
        out << q.value(0).toString().trimmed() + "|" + q.value(1).toString() + "|" +
                   q.value(2).toString();
    return out;
}

// Which of the grid's entries are fixed, as "row,col" of the marked ones.
QStringList marks(const placement::SetzenK& w) {
    QStringList out;
    const ui::Grid& g = w.grdSchienen;
    for (int c = 0; c < g.Cols(); ++c)
        for (int r = 1; r < g.Rows(); ++r)
            if (w.isFixed(r, c))
                out << QStringLiteral("%1,%2").arg(r).arg(c);
    return out;
}

// Three rails, K1 and K2 on the first, K3 on the second; K2 fixed by another program.
struct Fixed : Workspace {
    Fixed() {
        for (int i = 1; i <= 3; ++i)
            rail(i, QStringLiteral("S%1").arg(i), 2);
        for (int i = 1; i <= 4; ++i)
            course(i, QStringLiteral("K%1").arg(i), {{"KS_STD", "2"}});
        place(1, courseKey(1));
        db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(1)}, {"CK_KS_ID", "KS0002"}, {"CK_FIX", "1"}});
        db.insert("ckkurs", {{"CK_BL_ID", db::sixKey(2)}, {"CK_KS_ID", "KS0003"}, {"CK_FIX", "2"}});
        load();
    }
    void save() {
        host.onMessage(ui::Answer::Yes);
        ASSERT_EQ(window().Form_Unload(), placement::SetzenK::Closing::Close);
    }
};

} // namespace

TEST(Fixed, LoadingReadsTheMarkSavingWritesOneOrZero) {
    Fixed s;
    placement::SetzenK& w = s.window();
    EXPECT_EQ(marks(w), QStringList{"2,0"}) << "only \"1\" is fixed";
    EXPECT_EQ(w.grdSchienen.TextMatrix(2, 0), "K2    2      3 KS0002") << "the text has no mark";

    // Fixing a whole rail (its header pressed) marks all its entries; again loosens them all.
    ui::Grid& g = w.grdSchienen;
    g.click(0, 0);
    g.extendSelection(g.Rows() - 1, 0);
    EXPECT_TRUE(w.click("menuBearbFix"));
    EXPECT_EQ(marks(w), (QStringList{"1,0", "2,0"}));
    w.click("menuBearbFix");
    EXPECT_TRUE(marks(w).isEmpty());
    // A single cell.
    g.click(1, 1);
    w.click("menuBearbFix");
    EXPECT_EQ(marks(w), QStringList{"1,1"});
    // An empty cell: nothing to fix.
    g.click(1, 2);
    s.host.onMessage("Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
    w.click("menuBearbFix");

    s.save();
    EXPECT_EQ(saved(s), (QStringList{"1|KS0001|0", "1|KS0002|0", "2|KS0003|1"}));
    s.load();
    EXPECT_EQ(marks(s.window()), QStringList{"1,1"});
}

TEST(Fixed, MarksFollowTheirEntriesThroughCutInsertAndTakingBack) {
    Fixed s;
    placement::SetzenK& w = s.window();
    ui::Grid& g = w.grdSchienen;
    g.click(1, 1);
    w.click("menuBearbFix"); // K3 on S2
    // Cut S1 (K1, K2 fixed) and insert it at S3: S2's content moves to S1, S1's to S2.
    g.click(0, 0);
    w.click("menuBearbAus");
    EXPECT_EQ(marks(w), QStringList{"1,1"}) << "the cut column's marks are held with its entries";
    g.click(0, 1);
    w.click("menuBearbEinf");
    EXPECT_EQ(g.TextMatrix(1, 0), "K3    2      3 KS0003");
    EXPECT_EQ(g.TextMatrix(2, 1), "K2    2      3 KS0002");
    EXPECT_EQ(marks(w), (QStringList{"1,0", "2,1"}));

    // K2 taken back into the list loses its mark; put on the rail again it is not fixed.
    g.click(2, 1);
    w.cmdS2K_Click();
    EXPECT_EQ(marks(w), QStringList{"1,0"});
    g.setRows(3);
    g.setTextMatrix(2, 1, "K2    2      3 KS0002");
    EXPECT_EQ(marks(w), QStringList{"1,0"});

    s.save();
    EXPECT_EQ(saved(s), (QStringList{"1|KS0003|1", "2|KS0001|0", "2|KS0002|0"}));
}
