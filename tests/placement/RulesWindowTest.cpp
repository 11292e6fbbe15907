#include "TestWorkspace.h"

#include "blocking/Rules.h"
#include "placement/frmRegeln.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using placement::frmRegeln;

// Rails S1, S2; courses A (chosen by one student of cohort 2009) and B, both of teacher 7.
struct Staffed : test::Workspace {
    Staffed(int railOfB) {
        rail(1, "S1", 3);
        rail(2, "S2", 3);
        const QString a = single(1, "A", {{"KS_LE_ID", "     7"}});
        const QString b = single(2, "B", {{"KS_LE_ID", "7"}});
        choice(student(1, "Name", "Vor"), a, {}, {{"BG_FA_ID", subjectKey(11)}, {"BG_ART", "S"}});
        place(1, a);
        place(railOfB, b);
    }
    QString line(const char* start) {
        for (const QString& l : w().lblBewertung)
            if (l.startsWith(QString::fromUtf8(start)))
                return l;
        return {};
    }
};

TEST(Regeln, AreAddedFromTheListsDeletedAfterAskingAndEvaluated) {
    Staffed s(2);
    s.load();
    s.host.onModal("frmRegeln", [&](ui::Window& window) {
        auto& r = dynamic_cast<frmRegeln&>(window);
        EXPECT_EQ(r.CmbArt.text(), "Kurs nie auf der Schiene");
        EXPECT_EQ(r.lblErste, "Kurs");
        EXPECT_EQ(r.lblZweite, "Schiene");
        EXPECT_EQ(r.lstZweite.lines(), (QStringList{"S1", "S2"}));
        s.host.onMessage(ui::Answer::Ok);
        r.click("cmdNeu"); // nothing picked
        r.lstErste.setCurrent(static_cast<int>(r.lstErste.lines().indexOf("A")));
        r.lstZweite.setCurrent(0);
        r.click("cmdNeu");
        s.host.onMessage(ui::Answer::Ok);
        r.click("cmdNeu"); // the same again
        EXPECT_EQ(r.lstRegeln.lines(), QStringList{"1  Kurs nie auf der Schiene: A, S1"});
        r.CmbArt.setCurrent(3);
        r.CmbArt_Click();
        EXPECT_EQ(r.lblErste, "Fach");
        EXPECT_TRUE(r.lblZweite.isEmpty());
        r.click("cmdSchliessen");
    });
    ASSERT_TRUE(s.w().click("menuBearbRegeln"));
    ASSERT_EQ(s.host.messages.size(), 2u);
    EXPECT_EQ(s.host.messages[0].text, "Bitte wählen Sie aus, wofür die Regel gilt.");
    EXPECT_EQ(s.host.messages[1].text, "Die Regel gibt es schon: course-not-on-rail A S1");
    EXPECT_EQ(s.line("Regeln"), "Regeln verletzt: 1 (course-not-on-rail A S1)");

    blocking::addRule(s.connection(), test::kYear, "student-in-course", {s.studentKey(1), "b"});
    s.host.onModal("frmRegeln", [&](ui::Window& window) {
        auto& r = dynamic_cast<frmRegeln&>(window);
        EXPECT_EQ(r.lstRegeln.lines(),
                  (QStringList{"1  Kurs nie auf der Schiene: A, S1",
                               "2  Schüler in dem Kurs: " + s.studentKey(1) + " (Name, Vor), B"}));
        r.lstRegeln.setCurrent(0);
        s.host.onMessage(ui::Answer::No);
        r.click("cmdLoeschen");
        EXPECT_EQ(r.lstRegeln.count(), 2) << "kept on Nein";
        s.host.onMessage(ui::Answer::Yes);
        r.click("cmdLoeschen");
        r.lstRegeln.setCurrent(0);
        s.host.onMessage(ui::Answer::Yes);
        r.click("cmdLoeschen");
        EXPECT_EQ(r.lstRegeln.count(), 0);
        r.click("cmdSchliessen");
    });
    ASSERT_TRUE(s.w().click("menuBearbRegeln"));
    EXPECT_EQ(s.host.messages[s.host.messages.size() - 2].text,
              "Die Regel „Kurs nie auf der Schiene: A, S1“ löschen?");
    EXPECT_EQ(s.line("Regeln"), "") << "no line without rules";

    // B beside A on S1: their teacher (keys equal but for blanks) has two courses on the rail;
    // both entries are marked.
    ui::Grid& g = s.grid();
    EXPECT_EQ(s.line("Lehrer"), "Lehrerkollisionen: 0");
    g.setRows(3);
    g.setTextMatrix(2, 0, g.TextMatrix(1, 1));
    g.setTextMatrix(1, 1, "");
    s.w().Bewerten();
    EXPECT_EQ(
        (std::array{s.w().teacherClash(1, 0), s.w().teacherClash(2, 0), s.w().teacherClash(1, 1)}),
        (std::array{true, true, false}));
    EXPECT_EQ(s.line("Lehrer"), "Lehrerkollisionen: 1");
}

} // namespace
