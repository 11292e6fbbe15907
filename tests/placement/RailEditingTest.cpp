#include "TestWorkspace.h"

#include "common/MessageWindow.h"
#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

using test::Workspace;

TEST(RailEditing, StundeAendernTakesOneToSixHoursForAnEmptyRailOnly) {
    Workspace s;
    s.rail(1, "S1", 4);
    s.rail(2, "S2", 3);
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
    EXPECT_EQ(s.host.messages.back().title, "Kurs- und Blockbildung");
    EXPECT_EQ(s.host.inputPrompts.size(), 7);
    EXPECT_EQ(g.TextMatrix(0, 1), "S2    3  000        2");

    // Double-clicking a cell of a rail runs the same command for it.
    s.host.onInput("2");
    g.doubleClick(0, 0);
    EXPECT_EQ(g.TextMatrix(0, 0), "S1    2  000        1");
    EXPECT_EQ(s.db.scalar("SELECT BL_STD FROM block WHERE BL_ID = 1").toInt(), 2);
}

TEST(RailEditing, TakingHalfASplitCourseOffMergesItWithTheWaitingHalf) {
    Workspace s;
    s.rail(1, "S1", 2);
    s.rail(2, "S2", 3);
    const QString bio = s.course(1, "Bio", {{"KS_STD", "2"}});
    const QString eng = s.course(2, "Eng", {{"KS_STD", "6"}});
    const QString fra = s.course(3, "Fra", {{"KS_STD", "2"}});
    s.course(4, "Geo", {{"KS_STD", "2"}});
    s.place(1, eng);
    s.place(1, bio);
    s.place(1, fra);
    s.place(2, eng);
    s.choice(s.student(1, "Abel", "Anna"), eng);
    s.choice(s.student(2, "Bach", "Bert"), eng);
    s.choice(s.student(3, "Cox", "Carl"), fra);
    placement::SetzenK& w = s.load();
    ui::Grid& g = w.grdSchienen;
    ASSERT_EQ(w.LNKurse.lines(), (QStringList{"Eng   1      3 KS0002", "Geo   2      3 KS0004"}));
    ASSERT_EQ(g.TextMatrix(0, 0), "S1    2  003        1");

    g.click(1, 0);
    g.extendSelection(2, 0); // Eng and Bio
    w.cmdS2K_Click();

    EXPECT_EQ(s.column(0), (QStringList{"S1    2  001        1", "Fra   2      3 KS0003"}));
    EXPECT_EQ(s.column(1), (QStringList{"S2    3  002        2", "Eng   3      3 KS0002"}));
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0001", "Eng   3      3 KS0002",
                                              "Geo   2      3 KS0004"}))
        << "one line per course with the hours summed, in KS_SORT order";
    EXPECT_EQ(w.LSchImBlock.count(), 0);

    // The last entries go: the grid keeps only its header row.
    g.click(1, 0);
    w.cmdS2K_Click();
    g.click(1, 1);
    w.cmdS2K_Click();
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(g.TextMatrix(0, 1), "S2    3  000        2");
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0001", "Eng   6      3 KS0002",
                                              "Fra   2      3 KS0003", "Geo   2      3 KS0004"}));

    // A selection of the header alone takes nothing.
    g.click(0, 0);
    w.cmdS2K_Click();
    EXPECT_EQ(w.LNKurse.count(), 4);
}

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
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_FALSE(w.command("menuBearbEinf")->enabled);
    w.click("menuBearbEinf"); // nothing cut: the item is off
    EXPECT_EQ(s.columns(), before);
    // Cutting without a column selected is refused.
    g.click(1, 3);
    s.selectRails(1, 2);
    s.host.onMessage("Keine Spalte in der Tabelle 'auf Schiene verteilte Kurse' ausgewählt!");
    w.menuBearbAus_Click();
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::None);
    EXPECT_EQ(s.host.messages.back().title, "Kurs- und Blockbildung");
    EXPECT_EQ(s.columns(), before);
    EXPECT_EQ(w.AusSpalte, -1);

    g.click(1, 2);
    w.click("menuBearbAus");
    EXPECT_EQ(w.AusSpalte, 2);
    EXPECT_EQ(w.AusKopf, "3  000");
    EXPECT_EQ(w.AusKurse, (QStringList{"K2    3      3 KS0002", "K3    3      3 KS0003",
                                       "K4    3      3 KS0004"}));
    EXPECT_EQ(g.Rows(), 2) << "the longest remaining rail holds one course";
    EXPECT_EQ(g.TextMatrix(0, 2), "R2    0  000        3");
    EXPECT_TRUE(w.command("menuBearbEinf")->enabled);
    // A second cut while one is held would lose the held courses: the item is off until then.
    const QStringList held = s.columns();
    g.click(1, 3);
    w.click("menuBearbAus");
    EXPECT_EQ(w.AusSpalte, 2);
    EXPECT_EQ(s.columns(), held);

    g.click(1, 5);
    w.click("menuBearbEinf");
    ASSERT_EQ(g.Rows(), 4) << "all three cut entries get a row";
    EXPECT_EQ(s.column(2), (QStringList{"R2    4  000        3", "K5    4      3 KS0005", "", ""}));
    EXPECT_EQ(s.column(3), (QStringList{"R3    5  000        4", "", "", ""}));
    EXPECT_EQ(s.column(4), (QStringList{"R4    6  000        5", "K6    6      3 KS0006", "", ""}));
    EXPECT_EQ(s.column(5), (QStringList{"R5    3  000        6", "K2    3      3 KS0002",
                                        "K3    3      3 KS0003", "K4    3      3 KS0004"}));
    EXPECT_EQ(s.column(1), (QStringList{"R1    2  000        2", "K1    2      3 KS0001", "", ""}));
    EXPECT_EQ(w.AusSpalte, -1);
    EXPECT_TRUE(w.AusKurse.isEmpty());
    EXPECT_FALSE(w.command("menuBearbEinf")->enabled);

    // And back: cutting column 5 and inserting at 2 restores the grid; the entries keep the
    // hours of the rail they were placed on.
    g.click(1, 5);
    w.menuBearbAus_Click();
    g.click(0, 2);
    w.menuBearbEinf_Click();
    EXPECT_EQ(s.columns(), before);

    // Inserting into the column that was cut changes nothing.
    g.click(2, 2);
    w.menuBearbAus_Click();
    w.menuBearbEinf_Click();
    EXPECT_EQ(s.columns(), before);
    EXPECT_EQ(g.Rows(), 4);
}

TEST(RailEditing, LeerenKursLoeschenDeletesOnlyACourseNobodyChose) {
    Workspace s;
    const QString deu = s.course(1, "Deu", {{"KS_STD", "3"}});
    s.course(2, "Eng", {{"KS_STD", "3"}});
    s.choice(s.student(1, "Abel", "Anna"), {}, deu);
    placement::SetzenK& w = s.load();
    const auto courses = [&] { return s.db.rows("SELECT KS_BEZ FROM kurs ORDER BY KS_ID"); };

    w.cmdKursL_Click(); // nothing selected
    const QString ask = "Wollen Sie den Kurs Eng   wirklich löschen?";
    struct Step {
        int line;
        QString message;
        ui::Answer answer;
        ui::Icon icon;
        int left;
    };
    for (const Step& st : {Step{0, "Kurs nicht leer!", ui::Answer::Ok, ui::Icon::Critical, 2},
                           Step{1, ask, ui::Answer::No, ui::Icon::Question, 2},
                           Step{1, ask, ui::Answer::Yes, ui::Icon::Question, 1}}) {
        w.LNKurse.setSelected(0, st.line == 0);
        w.LNKurse.setSelected(1, st.line == 1);
        s.host.onMessage(st.message, st.answer);
        w.cmdKursL_Click();
        EXPECT_EQ(s.host.messages.back().icon, st.icon);
        EXPECT_EQ(courses().size(), st.left);
        EXPECT_EQ(w.LNKurse.count(), st.left);
    }
    const ui::Message& m = s.host.messages[1];
    EXPECT_EQ(m.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(m.defaultButton, 1);
    EXPECT_EQ(m.title, "Kurs- und Blockbildung");
    EXPECT_EQ(courses(), (QStringList{"Deu"}));
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Deu   3      3 KS0001"}));
}

TEST(RailEditing, InvertierenAndSchuelerMitKursen) {
    Workspace s;
    const QString deu = s.course(1, "Deu", {{"KS_STD", "3"}});
    const QString eng = s.course(2, "Eng", {{"KS_STD", "3"}});
    const QString anna = s.student(1, "Abel", "Anna");
    const QString bert = s.student(2, "Bachmann-Huber", "Bert");
    const QString carl = s.student(3, "Cox", "");
    s.choice(anna, deu);
    s.choice(bert, deu);
    s.choice(carl, eng);
    s.choice(anna, eng);
    s.choice("GONE00", eng); // a student who is missing gives no line
    placement::SetzenK& w = s.load();

    w.cmdAnzBel_Click(); // an empty student list shows nothing
    s.selectCourses({"Deu", "Eng"});
    ASSERT_EQ(w.LSchueler.count(), 4);
    EXPECT_EQ(w.LSchueler.selectedRows(), (std::vector<int>{0, 3})) << "Anna collides";
    w.CmdInvers_Click();
    EXPECT_EQ(w.LSchueler.selectedRows(), (std::vector<int>{1, 2}));

    QString shown;
    s.host.onModal("frmFMld", [&](ui::Window& win) {
        auto& f = static_cast<common::frmFMld&>(win);
        EXPECT_EQ(f.caption(), "Belegungen");
        shown = f.txtFMld;
        f.cmddrucken_Click();
        f.cmdgelesen_Click();
    });
    w.cmdAnzBel_Click();
    EXPECT_EQ(shown, "Abel Anna  Deu  Eng  \r\n"
                     "Bachmann-H.Deu  \r\n"
                     "Cox        Eng  \r\n");
    ASSERT_EQ(s.host.printJobs.size(), 1);
    EXPECT_TRUE(s.host.printJobs[0].ended);
    EXPECT_TRUE(s.host.printJobs[0].lines.contains("Abel Anna  Deu  Eng  "));
}
