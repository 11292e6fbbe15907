#include "TestWorkspace.h"

#include "placement/frmK.h"

#include <gtest/gtest.h>

#include <algorithm>

using placement::frmK;

namespace {

// Three parallel Mathe courses (M3 and half of M1, of 6 hours, placed on rail S1), two parallel
// Deutsch courses and an English course without parallels; all others of 3 hours on a rail of 3.
// Choice rows in BG_ID order:
//   1 Anna M1   2 Anna D1   3 Bernd M1   4 Carl M1 (year 13)   5 Dora D1   6 Anna E1
struct AssignCourse : ::testing::Test {
    test::Workspace s;
    const qint64 annaM1 = 1, annaD1 = 2, berndM1 = 3, carlM1 = 4, doraD1 = 5, annaE1 = 6;

    void SetUp() override {
        s.rail(1, "S1", 3);
        const test::Row deutsch{{"KS_STD", "3"}, {"KS_FA_ID1", test::School::subjectKey(2)}};
        const QString m1 = s.course(1, "M1", {{"KS_STD", "6"}});
        s.course(2, "M2", {{"KS_STD", "3"}});
        s.place(1, s.course(3, "M3", {{"KS_STD", "3"}}));
        const QString d1 = s.course(4, "D1", deutsch);
        s.course(5, "D2", deutsch);
        const QString e1 = s.course(6, "E1", {{"KS_STD", "3"}, {"KS_FA_ID1", "FA0003"}});
        const QString anna = s.student(1, "Arndt", "Anna");
        s.choice(anna, m1);
        s.choice(anna, d1);
        s.choice(s.student(2, "Brandt", "Bernd"), m1);
        s.choice(s.student(3, "Claus", "Carl", "2008"), {}, m1);
        s.choice(s.student(4, "Dorn", "Dora"), d1);
        s.choice(anna, e1);
        s.place(1, m1);
        s.load();
    }
    placement::SetzenK& w() { return s.w(); }
    static frmK& chooser(ui::Window& w) { return static_cast<frmK&>(w); }
    // The row's two course fields, "12|13".
    QString fields(qint64 bgId) { return s.courseOf(bgId) + "|" + s.courseOf(bgId, "BG_KS_ID_13"); }
};

} // namespace

TEST_F(AssignCourse, OneChooserPerCourseInListOrderOffersTheParallelsStillToPlace) {
    // Without a student chosen it says so.
    s.selectCourses({"M1"});
    s.host.onMessage(QString::fromUtf8("Kein Kollegiat in der Liste Schüler ausgewählt!"));
    w().cmdKzw_Click();
    s.selectCourses({"M1", "D1"});
    const ui::Message& m = s.host.messages.at(0);
    EXPECT_EQ(std::pair(m.title, m.help.value().context),
              std::pair(QString("Kurs- und Blockbilduung"), 1000)); // verbatim
    // The lines turned upside down: the choosers follow the list, D1 before M1.
    std::vector<placement::Workspace::StudentRow> reversed = w().schueler;
    std::reverse(reversed.begin(), reversed.end());
    w().setSchueler(reversed);
    s.selectStudents({doraD1, carlM1, berndM1});
    QStringList shown;
    const auto show = [&](ui::Window& win) {
        frmK& k = chooser(win);
        shown << k.lblK + "|" + k.lblKi + "|" + k.lstK.lines().join(",");
        EXPECT_EQ(k.lstK.selectedRows(), std::vector<int>{0}) << "preselected";
    };
    s.host
        .onModal("frmK",
                 [&](ui::Window& win) {
                     show(win);
                     chooser(win).cmdOK_Click();
                     EXPECT_TRUE(chooser(win).unloaded());
                     EXPECT_EQ(w().lblNKurs, "KS0005");
                 })
        .onModal("frmK",
                 [&](ui::Window& win) {
                     show(win);
                     // "&Ok" without a line: the chooser stays open.
                     chooser(win).lstK.setSelected(0, false);
                     chooser(win).cmdOK_Click();
                     EXPECT_FALSE(chooser(win).unloaded());
                     chooser(win).lstK.setCurrent(0); // M2
                     chooser(win).cmdOK_Click();
                 })
        .onMessage(QString::fromUtf8("Kein Kurs ausgewählt"));
    ASSERT_EQ(s.count(0), "003");
    w().cmdKzw_Click();
    EXPECT_EQ(s.host.messages.at(1).icon, ui::Icon::Exclamation);
    EXPECT_EQ(s.count(0), "001") << "the rail's count follows the moved students";
    // M3 stands on a rail and is not offered.
    EXPECT_EQ(shown, (QStringList{"D1   |KS0004|D2 KS0005", "M1   |KS0001|M2 KS0002"}));
    // Carl's line, of year 13 (digit 3), moves his year-13 field; lines not selected stay.
    EXPECT_EQ(s.choiceRows(), (QStringList{"1|ST0001|KS0001|<null>", "2|ST0001|KS0004|<null>",
                                           "3|ST0002|KS0002|<null>", "4|ST0003|<null>|KS0002",
                                           "5|ST0004|KS0005|<null>", "6|ST0001|KS0006|<null>"}));
    // The lists show the new state: only Anna is left in M1 and D1.
    EXPECT_EQ(w().lblSchueler + w().lblKollisionen, "21");
}

TEST_F(AssignCourse, StoppingAtTheSecondChooserKeepsTheFirstCoursesMoves) {
    // The second chooser is left by "&Abbruch", by its close box, and by a course without
    // parallels at all (E1), which ends the command silently.
    enum Stop { Abbruch, CloseBox, NoParallel };
    for (Stop stop : {Abbruch, CloseBox, NoParallel}) {
        SCOPED_TRACE(stop);
        s.db.rows("UPDATE belegung SET BG_KS_ID_12 = 'KS0001' WHERE BG_ID IN (1, 3)");
        s.db.rows("UPDATE belegung SET BG_KS_ID_13 = 'KS0001' WHERE BG_ID = 4");
        s.load();
        s.selectCourses({"M1", stop == NoParallel ? "E1" : "D1"});
        const qint64 other = stop == NoParallel ? annaE1 : doraD1;
        s.selectStudents({annaM1, berndM1, carlM1, other});
        // M1's chooser offers M2 alone, preselected.
        s.host.onModal("frmK", [](ui::Window& win) { chooser(win).cmdOK_Click(); });
        if (stop != NoParallel)
            s.host.onModal("frmK", [stop](ui::Window& win) {
                if (stop == CloseBox)
                    chooser(win).Form_Unload();
                else
                    chooser(win).cmdCancel_Click();
                EXPECT_TRUE(chooser(win).unloaded());
            });
        const QStringList before = w().LSchueler.lines();
        w().cmdKzw_Click();
        EXPECT_EQ(fields(annaM1) + fields(carlM1) + fields(berndM1) + fields(other),
                  "KS0002||KS0002KS0002|" + QString(stop == NoParallel ? "KS0006|" : "KS0004|"));
        EXPECT_EQ(w().lblNKurs, stop == NoParallel ? "KS0002" : "");
        // No refresh after a stop: the lines stand, the moved ones deselected, the others not.
        EXPECT_EQ(w().LSchueler.lines(), before);
        EXPECT_EQ(w().LSchueler.selectedRows(), std::vector<int>{s.lineOf(other)});
    }
    // With M2 placed too, M1 has parallels but none still to place: no chooser.
    s.db.rows("UPDATE belegung SET BG_KS_ID_12 = 'KS0001' WHERE BG_ID = ?", {berndM1});
    w().removeWaiting(1);
    ASSERT_EQ(w().LNKurse.line(0).left(2), "M1");
    s.selectCourses({"M1"});
    s.selectStudents({berndM1});
    w().cmdKzw_Click();
    EXPECT_EQ(fields(berndM1), "KS0001|");
    EXPECT_EQ(s.host.modal.size(), 5);
}
