#include "TestWorkspace.h"

#include "exchange/Kurs42.h"
#include "exchange/Kurs42Import.h"
#include "placement/frmK.h"

#include <gtest/gtest.h>

// The Kurs42 sample with the five parallel courses SP-GK1 ... SP-GK5 of sport, whose names all
// begin with the same five characters the workspace shows: every command acts on the course
// clicked, found by its key. SP-GK1 and SP-GK2 stand on the rail "Sport"; students 1-2 take
// SP-GK1, 3-4 SP-GK2, 5-6 SP-GK3, 7-8 SP-GK4, nobody SP-GK5; students 5-7 take KU-GK1 too.

namespace k = exchange::kurs42;

namespace {

struct SameNames : ::testing::Test {
    test::TempDir dir;
    test::ScriptedHost host;
    platform::RunState s;
    std::unique_ptr<placement::SetzenK> w;
    QHash<QString, QString> key; // by KS_BEZ
    std::vector<k::StudentKey> students;

    void SetUp() override {
        k::Export e = k::read(QStringLiteral(KUBB_SOURCE_DIR "/tests/exchange/data/kurs42"));
        extend(e);
        const k::ImportResult r = k::importExport(e, dir.path("BB.MDB"), dir.dir(), host);
        ASSERT_TRUE(r.imported);
        s.DatenPfad = dir.dir();
        s.DatenDatei = "BB.MDB";
        s.SchjID = r.schjId;
        s.SchjBez = r.schjBez;
        // The import makes the names unique in five characters; a file of another origin may not.
        db::Connection(s.databasePath())
            .exec(
                "UPDATE kurs SET KS_BEZ = 'SP-GK' || substr(KS_BEZ, 5) WHERE KS_BEZ LIKE 'SPGK_'");
        for (const QString& row :
             test::rowsOf(s.databasePath(), "SELECT KS_BEZ, KS_VFP_ID FROM kurs"))
            key.insert(row.section('|', 0, 0), row.section('|', 1, 1));
        w = std::make_unique<placement::SetzenK>(s, host);
        w->Form_Load();
    }

    void extend(k::Export& e) {
        e.subjects.push_back({0, 14, "SP", "Sport", "SP", 4, {}});
        e.subjects.push_back({0, 15, "KU", "Kunst", "KU", 5, {}});
        for (int i = 1; i <= 5; ++i)
            e.courses.push_back({0,
                                 -10 - i,
                                 "SP",
                                 QStringLiteral("SP-GK%1").arg(i),
                                 "",
                                 "",
                                 3,
                                 "GK",
                                 1,
                                 {},
                                 5,
                                 i,
                                 {}});
        e.courses.push_back({0, -20, "KU", "KU-GK1", "", "", 3, "GK", 1, {}, 1, 1, {}});
        e.rails.push_back({0, static_cast<int>(e.rails.size()) + 1, "Sport", {}});
        const int sport = static_cast<int>(e.rails.size()) - 1;
        e.placements.push_back({0, sport, "SP-GK1", false});
        e.placements.push_back({0, sport, "SP-GK2", false});
        for (const k::Choice& c : e.choices)
            if (std::find(students.begin(), students.end(), c.student) == students.end())
                students.push_back(c.student);
        for (int i = 0; i < 8 && i < static_cast<int>(students.size()); ++i) {
            e.choices.push_back(
                {0, students[i], "SP", "GKS", QStringLiteral("SP-GK%1").arg(1 + i / 2), {}});
            if (i >= 4 && i <= 6)
                e.choices.push_back({0, students[i], "KU", "GKS", "KU-GK1", {}});
        }
    }

    // Selects the LNKurse lines of these courses and clicks the list.
    void select(const QStringList& names) {
        for (int i = 0; i < w->LNKurse.count(); ++i) {
            const QString& course = w->plan.waiting[i].course;
            w->LNKurse.setSelected(
                i, std::any_of(names.begin(), names.end(),
                               [&](const QString& n) { return key.value(n) == course; }));
        }
        w->LNKurse_Click();
    }
    int sportColumn() const { return static_cast<int>(w->plan.rails.size()) - 1; }
    // The courses of the students' sport choices, by the students' order.
    QStringList sportCourses() {
        return test::rowsOf(s.databasePath(),
                            "SELECT b.BG_KS_ID_12 FROM belegung b JOIN kurs k ON k.KS_VFP_ID = "
                            "b.BG_KS_ID_12 WHERE k.KS_FA_ID1 = (SELECT KS_FA_ID1 FROM kurs WHERE "
                            "KS_BEZ = 'SP-GK1') ORDER BY b.BG_ID");
    }
};

} // namespace

TEST_F(SameNames, TheListsShowTheCourseClicked) {
    for (const QString name : {"SP-GK3", "SP-GK4"}) {
        select({name});
        ASSERT_EQ(w->schueler.size(), 2u) << name.toStdString();
        for (const auto& row : w->schueler)
            EXPECT_EQ(row.courseKey, key.value(name));
    }
    w->grdSchienen.click(2, sportColumn());
    ASSERT_EQ(w->imBlock.size(), 2u);
    EXPECT_EQ(w->imBlock[0].courseKey, key.value("SP-GK2"));
}

TEST_F(SameNames, KursZuweisenOffersTheParallelsOfTheCourseClicked) {
    select({"SP-GK3"});
    for (int i = 0; i < w->LSchueler.count(); ++i)
        w->LSchueler.setSelected(i, true);
    host.onModal("frmK", [&](ui::Window& window) {
        auto& chooser = static_cast<placement::frmK&>(window);
        EXPECT_EQ(chooser.lblKi, key.value("SP-GK3"));
        EXPECT_EQ(chooser.keys, (QStringList{key.value("SP-GK4"), key.value("SP-GK5")}));
        chooser.lstK.setCurrent(1);
        chooser.cmdOK_Click();
    });
    w->click("cmdKzw");
    const QString gk5 = key.value("SP-GK5");
    EXPECT_EQ(sportCourses().count(gk5), 2);
}

TEST_F(SameNames, KollisionenBeseitigenMovesIntoAParallelOfTheCourseClicked) {
    select({"SP-GK3", "KU-GK1"});
    ASSERT_EQ(w->kollisionen.size(), 2u);
    w->grdSchienen.click(0, sportColumn());
    w->click("cmdKollbs");
    // Each of the two makes room in SP-GK1 by swapping with one of its students.
    const QString gk1 = key.value("SP-GK1"), gk3 = key.value("SP-GK3");
    EXPECT_EQ(sportCourses().mid(0, 6),
              (QStringList{gk3, gk3, key.value("SP-GK2"), key.value("SP-GK2"), gk1, gk1}));
}

// "<", "fixieren / lösen" and "Schiene auffüllen" on one name: the entry clicked, by its key.
TEST_F(SameNames, RailCommandsActOnTheEntryClicked) {
    const int col = sportColumn();
    w->grdSchienen.click(2, col);
    w->click("menuBearbFix");
    EXPECT_EQ(w->plan.rails[col].courses[1].course, key.value("SP-GK2"));
    EXPECT_TRUE(w->isFixed(2, col) && !w->isFixed(1, col));
    w->click("cmdS2K");
    ASSERT_EQ(w->plan.rails[col].courses.size(), 1u);
    EXPECT_EQ(w->plan.rails[col].courses[0].course, key.value("SP-GK1"));
    EXPECT_GE(w->plan.findWaiting(key.value("SP-GK2")), 0);

    select({"SP-GK4"});
    w->grdSchienen.click(0, col);
    host.onMessage(ui::Answer::No); // evening out against the parallels
    w->click("cmdSchA");
    ASSERT_EQ(w->plan.rails[col].courses.size(), 2u);
    EXPECT_EQ(w->plan.rails[col].courses[1].course, key.value("SP-GK4"));
    EXPECT_LT(w->plan.findWaiting(key.value("SP-GK4")), 0);
}

TEST_F(SameNames, LeerenKursLoeschenDeletesTheCourseClicked) {
    select({"SP-GK5"});
    host.onMessage("Wollen Sie den Kurs SP-GK5 wirklich löschen?", ui::Answer::Yes);
    w->click("cmdKursL");
    EXPECT_EQ(test::rowsOf(s.databasePath(), "SELECT KS_BEZ FROM kurs WHERE KS_BEZ LIKE 'SP%'"),
              (QStringList{"SP-GK1", "SP-GK2", "SP-GK3", "SP-GK4"}));
}
