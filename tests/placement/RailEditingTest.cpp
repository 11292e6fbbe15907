#include "TestWorkspace.h"

#include "common/MessageWindow.h"
#include "db/Database.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using test::Workspace;

TEST(RailEditing, CutAndInsertShiftTheRailsInBetweenAndGiveEveryEntryARow) {
    // Six rails R0..R5 with hours 1..6; rail c holds c % 2 courses, rail 2 three of them.
    Workspace s;
    for (int c = 0, course = 0; c < 6; ++c) {
        s.rail(c + 1, QStringLiteral("R%1").arg(c), c + 1);
        for (int i = 0; i < (c == 2 ? 3 : c % 2); ++i, ++course)
            s.place(c + 1,
                    s.course(course + 1, QStringLiteral("K%1").arg(course + 1), {{"KS_STD", "9"}}));
    }
    placement::SetzenK& w = s.load();
    ui::Grid& g = w.grdSchienen;
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
    EXPECT_FALSE(w.command("menuBearbEinf")->enabled);
    // Inserting into the column cut changes nothing.
    const QStringList shifted = s.columns();
    g.click(2, 2);
    w.menuBearbAus_Click();
    w.menuBearbEinf_Click();
    EXPECT_EQ(s.columns(), shifted);
}

// Three rails, K1 and K2 on the first, K3 on the second; K2 fixed by another program, K3 marked
// with a value that is not "1". The marks follow their entries through cut, insert and taking
// back; saving writes 1 or 0.
TEST(RailEditing, FixedMarksAreReadFollowTheirEntriesAndAreSavedAsOneOrZero) {
    Workspace s;
    s.rails(3, 2);
    for (int i = 1; i <= 4; ++i)
        s.course(i, QStringLiteral("K%1").arg(i), {{"KS_STD", "2"}});
    s.place(1, "KS0001");
    s.place(1, "KS0002", {{"CK_FIX", "1"}});
    s.place(2, "KS0003", {{"CK_FIX", "2"}});
    placement::SetzenK& w = s.load();
    ui::Grid& g = s.grid();
    // Which of the grid's entries are fixed, as "row,col" of the marked ones.
    const auto marks = [&] {
        QStringList out;
        for (int c = 0; c < s.grid().Cols(); ++c)
            for (int r = 1; r < s.grid().Rows(); ++r)
                if (s.w().isFixed(r, c))
                    out << QStringLiteral("%1,%2").arg(r).arg(c);
        return out;
    };
    EXPECT_EQ(marks(), QStringList{"2,0"}) << "only \"1\" is fixed";
    EXPECT_EQ(g.TextMatrix(2, 0), "K2    2      3 KS0002") << "the text has no mark";
    // Fixing a whole rail (its header pressed) marks all its entries; again loosens them all.
    g.click(0, 0);
    g.extendSelection(g.Rows() - 1, 0);
    for (const QStringList& marked : {QStringList{"1,0", "2,0"}, QStringList{}}) {
        EXPECT_TRUE(w.click("menuBearbFix"));
        EXPECT_EQ(marks(), marked);
    }
    // An empty cell: nothing to fix.
    g.click(1, 2);
    s.host.onMessage("Kein Kurs in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
    w.click("menuBearbFix");
    for (const auto& [row, col] : {std::pair{1, 1}, {2, 0}}) {
        g.click(row, col);
        w.click("menuBearbFix");
    }
    // Cut S1 (K1, K2 fixed) and insert it at S3: S2's content moves to S1, S1's to S2.
    g.click(0, 0);
    w.click("menuBearbAus");
    EXPECT_EQ(marks(), QStringList{"1,1"}) << "the cut column's marks are held with it";
    g.click(0, 1);
    w.click("menuBearbEinf");
    EXPECT_EQ(g.TextMatrix(1, 0) + g.TextMatrix(2, 1),
              "K3    2      3 KS0003K2    2      3 KS0002");
    EXPECT_EQ(marks(), (QStringList{"1,0", "2,1"}));
    // K2 taken back into the list loses its mark; put on the rail again it is not fixed.
    g.click(2, 1);
    w.cmdS2K_Click();
    g.setRows(3);
    g.setTextMatrix(2, 1, "K2    2      3 KS0002");
    EXPECT_EQ(marks(), QStringList{"1,0"});
    ASSERT_TRUE(s.close());
    EXPECT_EQ(s.db.rows("SELECT trim(CK_BL_ID), CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"),
              (QStringList{"1|KS0003|1", "2|KS0001|0", "2|KS0002|0"}));
    s.load();
    EXPECT_EQ(marks(), QStringList{"1,0"});
}

TEST(RailEditing, LeerenKursLoeschenDeletesOnlyACourseNobodyChose) {
    Workspace s;
    const QString deu = s.course(1, "Deu", {{"KS_STD", "3"}});
    s.course(2, "Eng", {{"KS_STD", "3"}});
    s.choice(s.student(1, "Abel", "Anna"), {}, deu);
    placement::SetzenK& w = s.load();
    w.cmdKursL_Click(); // nothing selected
    // Deu is chosen; Eng goes on "Ja" only.
    const QString ask = "Wollen Sie den Kurs Eng   wirklich löschen?";
    for (const auto& [line, message, answer] :
         {std::tuple{0, QString("Kurs nicht leer!"), ui::Answer::Ok},
          {1, ask, ui::Answer::No},
          {1, ask, ui::Answer::Yes}}) {
        w.LNKurse.setSelected(0, line == 0);
        w.LNKurse.setSelected(1, line == 1);
        s.host.onMessage(message, answer);
        w.cmdKursL_Click();
    }
    EXPECT_EQ(std::tuple(s.host.messages[0].icon, s.host.messages[1].buttons,
                         s.host.messages[1].defaultButton),
              std::tuple(ui::Icon::Critical, ui::Buttons::YesNo, 1));
    EXPECT_EQ(s.db.rows("SELECT KS_BEZ FROM kurs"), QStringList{"Deu"});
    EXPECT_EQ(w.LNKurse.lines(), QStringList{"Deu   3      3 KS0001"});
}

TEST(RailEditing, StundeAendernTakesOneToSixHoursForAnEmptyRailOnly) {
    Workspace s;
    s.rails(2, 4);
    s.place(2, s.course(1, "Deu", {{"KS_STD", "3"}}));
    placement::SetzenK& w = s.load();
    ui::Grid& g = w.grdSchienen;
    g.setCol(0);
    // Each answer in turn and the hours the rail has after it.
    const std::pair<std::optional<QString>, int> answers[] = {
        {"7", 4}, {"0", 4}, {std::nullopt, 4}, {"abc", 4}, {"1", 1}, {" 6", 6}, {"4", 4}};
    for (const auto& [answer, hours] : answers) {
        s.host.onInput(answer);
        w.cmdBlock_Click();
        EXPECT_EQ(g.TextMatrix(0, 0), QStringLiteral("S1    %1  000        1").arg(hours));
        EXPECT_EQ(s.db.scalar("SELECT BL_STD FROM block WHERE BL_ID = 1").toInt(), hours);
    }
    EXPECT_EQ(s.host.inputPrompts.first(), "Stundenzahl der Schiene:");
    // A rail holding a course keeps its hours without asking.
    g.setCol(1);
    s.host.onMessage("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!");
    w.cmdBlock_Click();
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(g.TextMatrix(0, 1), "S2    4  000        2");
    // Double-clicking a cell of a rail runs the same command for it.
    s.host.onInput("2");
    g.doubleClick(0, 0);
    EXPECT_EQ(g.TextMatrix(0, 0), "S1    2  000        1");
    EXPECT_EQ(s.host.inputPrompts.size(), 8);
}

TEST(RailEditing, TakingHalfASplitCourseOffMergesItWithTheWaitingHalf) {
    Workspace s;
    s.rail(1, "S1", 2);
    s.rail(2, "S2", 3);
    const QString bio = s.course(1, "Bio", {{"KS_STD", "2"}});
    const QString eng = s.course(2, "Eng", {{"KS_STD", "6"}});
    const QString fra = s.course(3, "Fra", {{"KS_STD", "2"}});
    s.course(4, "Geo", {{"KS_STD", "2"}});
    for (const QString& k : {eng, bio, fra})
        s.place(1, k);
    s.place(2, eng);
    s.choice(s.student(1, "Abel", "Anna"), eng);
    s.choice(s.student(2, "Bach", "Bert"), eng);
    s.choice(s.student(3, "Cox", "Carl"), fra);
    placement::SetzenK& w = s.load();
    ui::Grid& g = w.grdSchienen;
    ASSERT_EQ(g.TextMatrix(0, 0), "S1    2  003        1");
    g.click(1, 0);
    g.extendSelection(2, 0); // Eng and Bio
    w.cmdS2K_Click();
    EXPECT_EQ(s.columns(), (QStringList{"S1    2  001        1|Fra   2      3 KS0003",
                                        "S2    3  002        2|Eng   3      3 KS0002"}));
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0001", "Eng   3      3 KS0002",
                                              "Geo   2      3 KS0004"}))
        << "one line per course with the hours summed, in KS_SORT order";
    EXPECT_EQ(w.LSchImBlock.count(), 0);
    // The last entries go: the grid keeps only its header row; the header alone takes nothing.
    for (const auto& [row, col] : {std::pair{1, 0}, {1, 1}, {0, 0}}) {
        g.click(row, col);
        w.cmdS2K_Click();
    }
    EXPECT_EQ(s.columns(), (QStringList{"S1    2  000        1", "S2    3  000        2"}));
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0001", "Eng   6      3 KS0002",
                                              "Fra   2      3 KS0003", "Geo   2      3 KS0004"}));
}
