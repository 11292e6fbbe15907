#include "Workspace.h"

#include "placement/Layouts.h"
#include "placement/frmK.h"

#include <gtest/gtest.h>

#include <algorithm>

using placement::frmK;
using test::Workspace;

namespace {

frmK& chooser(ui::Window& w) {
    return static_cast<frmK&>(w);
}

// The chooser's user: picks the line naming this course and clicks "&Ok".
std::function<void(ui::Window&)> choose(const QString& courseName) {
    return [courseName](ui::Window& w) {
        frmK& k = chooser(w);
        for (int i = 0; i < k.lstK.count(); ++i)
            if (k.lstK.line(i).startsWith(courseName + ' '))
                k.lstK.setCurrent(i);
        k.cmdOK_Click();
    };
}

// Three parallel Mathe courses (M3 placed on rail S1), two parallel Deutsch courses and an
// English course without parallels; all of 3 hours on rails of 3. Choice rows in BG_ID order:
//   1 Anna M1   2 Anna D1   3 Bernd M1   4 Carl M1 (year 13)   5 Dora D1   6 Anna E1
struct AssignCourse : ::testing::Test {
    Workspace s;
    QString m1, m2, m3, d1, d2, e1;
    QString anna, bernd, carl, dora;
    qint64 annaM1 = 0, annaD1 = 0, berndM1 = 0, carlM1 = 0, doraD1 = 0, annaE1 = 0;

    void SetUp() override {
        s.rail(1, "S1", 3);
        const test::Row deutsch{{"KS_STD", "3"}, {"KS_FA_ID1", test::School::subjectKey(2)}};
        m1 = s.course(1, "M1", {{"KS_STD", "3"}});
        m2 = s.course(2, "M2", {{"KS_STD", "3"}});
        m3 = s.course(3, "M3", {{"KS_STD", "3"}});
        d1 = s.course(4, "D1", deutsch);
        d2 = s.course(5, "D2", deutsch);
        e1 = s.course(6, "E1", {{"KS_STD", "3"}, {"KS_FA_ID1", test::School::subjectKey(3)}});
        s.place(1, m3);
        anna = s.student(1, "Arndt", "Anna");
        bernd = s.student(2, "Brandt", "Bernd");
        carl = s.student(3, "Claus", "Carl", "2008");
        dora = s.student(4, "Dorn", "Dora");
        annaM1 = s.choice(anna, m1);
        annaD1 = s.choice(anna, d1);
        berndM1 = s.choice(bernd, m1);
        carlM1 = s.choice(carl, {}, m1);
        doraD1 = s.choice(dora, d1);
        annaE1 = s.choice(anna, e1);
        s.load();
    }
    placement::SetzenK& w() { return s.window(); }

    // The row's two course fields, "12|13".
    QString fields(qint64 bgId) {
        return s.db.rows("SELECT BG_KS_ID_12, BG_KS_ID_13 FROM belegung WHERE BG_ID = ?", {bgId})
            .value(0);
    }
    // Selects the LSchueler lines of these choice rows.
    void selectStudents(const std::vector<qint64>& bgIds) {
        for (int i = 0; i < w().LSchueler.count(); ++i) {
            const qint64 id = placement::StudentLine::bgId(w().LSchueler.line(i));
            w().LSchueler.setSelected(i, std::find(bgIds.begin(), bgIds.end(), id) != bgIds.end());
        }
    }
    int lineOf(qint64 bgId) {
        for (int i = 0; i < w().LSchueler.count(); ++i)
            if (placement::StudentLine::bgId(w().LSchueler.line(i)) == bgId)
                return i;
        return -1;
    }
};

} // namespace

TEST_F(AssignCourse, OneChooserPerCourseInListOrderOffersTheParallelsStillToPlace) {
    s.selectCourses({"M1", "D1"});
    // The lines turned upside down: the choosers follow the list, D1 before M1.
    QStringList reversed = w().LSchueler.lines();
    std::reverse(reversed.begin(), reversed.end());
    w().LSchueler.setLines(reversed);
    selectStudents({doraD1, carlM1, berndM1});
    QStringList shown;
    s.host
        .onModal("frmK",
                 [&](ui::Window& win) {
                     frmK& k = chooser(win);
                     EXPECT_EQ(k.caption(), "Kursauswahl");
                     EXPECT_EQ(k.Label1, QString::fromUtf8("Alternativen für Kurs: "));
                     EXPECT_EQ(k.Label2, "Index:");
                     EXPECT_EQ(k.command("cmdOK")->caption, "&Ok");
                     EXPECT_EQ(k.command("cmdCancel")->caption, "&Abbruch");
                     shown << k.lblK + "|" + k.lblKi + "|" + k.lstK.lines().join(",");
                     // The first line is preselected.
                     EXPECT_EQ(k.lstK.selectedRows(), std::vector<int>{0});
                     k.cmdOK_Click();
                     EXPECT_TRUE(k.unloaded());
                     EXPECT_EQ(w().lblNKurs, "KS0005");
                 })
        .onModal("frmK", [&](ui::Window& win) {
            shown << chooser(win).lblK + "|" + chooser(win).lblKi + "|" +
                         chooser(win).lstK.lines().join(",");
            choose("M2")(win);
        });
    w().cmdKzw_Click();

    // M3 stands on a rail and is not offered.
    EXPECT_EQ(shown, (QStringList{"D1   |KS0004|D2 KS0005", "M1   |KS0001|M2 KS0002"}));
    EXPECT_EQ(fields(berndM1), "KS0002|<null>");
    EXPECT_EQ(fields(carlM1), "<null>|KS0002") << "the year-13 field of a line with digit 3";
    EXPECT_EQ(fields(doraD1), "KS0005|<null>");
    EXPECT_EQ(fields(annaM1), "KS0001|<null>") << "a line not selected stays";
    EXPECT_EQ(fields(annaD1), "KS0004|<null>");
    // The lists show the new state: only Anna is left in M1 and D1.
    EXPECT_EQ(w().LSchueler.count(), 2);
    EXPECT_EQ(w().LKollisionen.count(), 1);
    EXPECT_TRUE(s.host.messages.empty());
}

TEST_F(AssignCourse, CancellingTheSecondChooserKeepsTheFirstCoursesMoves) {
    // The second chooser is left by "&Abbruch" once and by its close box once.
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Abbruch");
        s.db.rows("UPDATE belegung SET BG_KS_ID_12 = 'KS0001' WHERE BG_ID IN (1, 3)");
        s.load();
        s.selectCourses({"M1", "D1"});
        selectStudents({annaM1, berndM1, annaD1, doraD1});
        s.host.onModal("frmK", choose("M2")).onModal("frmK", [closeBox](ui::Window& win) {
            if (closeBox)
                chooser(win).Form_Unload();
            else
                chooser(win).cmdCancel_Click();
            EXPECT_TRUE(chooser(win).unloaded());
        });
        const QStringList before = w().LSchueler.lines();
        w().cmdKzw_Click();

        EXPECT_EQ(fields(annaM1), "KS0002|<null>");
        EXPECT_EQ(fields(berndM1), "KS0002|<null>");
        EXPECT_EQ(fields(annaD1), "KS0004|<null>");
        EXPECT_EQ(fields(doraD1), "KS0004|<null>");
        EXPECT_EQ(w().lblNKurs, "");
        // No refresh after a stop: the lines stand, the moved ones deselected, the others not.
        EXPECT_EQ(w().LSchueler.lines(), before);
        EXPECT_FALSE(w().LSchueler.selected(lineOf(annaM1)));
        EXPECT_FALSE(w().LSchueler.selected(lineOf(berndM1)));
        EXPECT_TRUE(w().LSchueler.selected(lineOf(annaD1)));
        EXPECT_TRUE(w().LSchueler.selected(lineOf(doraD1)));
        EXPECT_EQ(s.host.pending(), 0u);
    }
}

TEST_F(AssignCourse, OkWithoutALineSaysSoAndTheChooserStaysOpen) {
    s.selectCourses({"M1"});
    selectStudents({berndM1});
    s.host
        .onModal("frmK",
                 [](ui::Window& win) {
                     frmK& k = chooser(win);
                     k.lstK.setSelected(0, false);
                     k.cmdOK_Click();
                     EXPECT_FALSE(k.unloaded());
                     choose("M2")(win);
                 })
        .onMessage(QString::fromUtf8("Kein Kurs ausgewählt"));
    w().cmdKzw_Click();
    ASSERT_EQ(s.host.messages.size(), 1u);
    EXPECT_EQ(s.host.messages[0].title, "Kurs- und Blockbildung");
    EXPECT_EQ(s.host.messages[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(s.host.messages[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(fields(berndM1), "KS0002|<null>");
}

TEST_F(AssignCourse, ALineWithAnotherYearDigitIsDeselectedButNotWritten) {
    s.selectCourses({"M1", "D1"});
    // Bernd's line claims neither year field.
    const int bernd = lineOf(berndM1);
    QString line = w().LSchueler.line(bernd);
    line[25] = '4';
    w().LSchueler.setLine(bernd, line);
    selectStudents({berndM1, carlM1, doraD1});
    s.host.onModal("frmK", choose("M2")).onModal("frmK", [](ui::Window& win) {
        chooser(win).cmdCancel_Click();
    });
    w().cmdKzw_Click();
    EXPECT_EQ(fields(berndM1), "KS0001|<null>");
    EXPECT_EQ(fields(carlM1), "<null>|KS0002");
    EXPECT_FALSE(w().LSchueler.selected(bernd));
    EXPECT_FALSE(w().LSchueler.selected(lineOf(carlM1)));
    EXPECT_TRUE(w().LSchueler.selected(lineOf(doraD1)));
}

TEST_F(AssignCourse, WithoutASelectedStudentItAsksForOneWithItsHelpPage) {
    s.selectCourses({"M1"});
    s.host.onMessage(QString::fromUtf8("Kein Kollegiat in der Liste Schüler ausgewählt!"));
    w().cmdKzw_Click();
    ASSERT_EQ(s.host.messages.size(), 1u);
    const ui::Message& m = s.host.messages[0];
    EXPECT_EQ(m.title, "Kurs- und Blockbilduung");
    EXPECT_EQ(m.icon, ui::Icon::Exclamation);
    EXPECT_EQ(m.buttons, ui::Buttons::Ok);
    ASSERT_TRUE(m.help.has_value());
    EXPECT_EQ(m.help->kind, ui::HelpRef::Kind::Context);
    EXPECT_EQ(m.help->context, 1000);
    EXPECT_TRUE(s.host.modal.isEmpty());
    EXPECT_EQ(fields(berndM1), "KS0001|<null>");
}

TEST_F(AssignCourse, ACourseWithoutParallelsToOfferEndsTheCommandSilently) {
    // E1 has no parallel course at all: after M1's chooser the command stops, M1's move stays.
    s.selectCourses({"M1", "E1"});
    selectStudents({berndM1, annaE1});
    s.host.onModal("frmK", choose("M2"));
    w().cmdKzw_Click();
    EXPECT_EQ(fields(berndM1), "KS0002|<null>");
    EXPECT_EQ(fields(annaE1), "KS0006|<null>");
    EXPECT_TRUE(w().LSchueler.selected(lineOf(annaE1)));

    // With M2 placed too, M1 has parallels but none still to place: no chooser.
    w().LNKurse.removeLine(1);
    ASSERT_EQ(w().LNKurse.line(0).left(2), "M1");
    s.selectCourses({"M1"});
    selectStudents({annaM1});
    w().cmdKzw_Click();
    EXPECT_EQ(fields(annaM1), "KS0001|<null>");
    EXPECT_EQ(s.host.modal, QStringList{"frmK"});
    EXPECT_TRUE(s.host.messages.empty());
}

TEST(AssignCourseCounts, TheRailsStudentCountFollowsTheMovedStudents) {
    // M1 needs 6 hours and stands on a rail of 3: it is on the rail and still in LNKurse.
    Workspace s;
    s.rail(1, "S1", 3);
    const QString m1 = s.course(1, "M1", {{"KS_STD", "6"}});
    s.course(2, "M2", {{"KS_STD", "3"}});
    s.place(1, m1);
    s.choice(s.student(1, "Arndt", "Anna"), m1);
    const qint64 bernd = s.choice(s.student(2, "Brandt", "Bernd"), m1);
    s.load();
    placement::SetzenK& w = s.window();
    EXPECT_EQ(placement::RailHeader::count(w.grdSchienen.TextMatrix(0, 0)), 2);

    s.selectCourses({"M1"});
    for (int i = 0; i < w.LSchueler.count(); ++i)
        w.LSchueler.setSelected(i, placement::StudentLine::bgId(w.LSchueler.line(i)) == bernd);
    s.host.onModal("frmK", choose("M2"));
    w.cmdKzw_Click();
    EXPECT_EQ(placement::RailHeader::count(w.grdSchienen.TextMatrix(0, 0)), 1)
        << "Bernd left M1 on the rail";
}
