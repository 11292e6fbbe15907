#include "Workspace.h"

#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

using test::Workspace;

namespace {

// Parallel courses of 3 hours on rails S1 and S2 of 3 hours: Mathe Ma1-Ma3, Deutsch De1-De2,
// Bio Bi1-Bi2 (Grundkurse) and the Leistungskurse Physik Ph1-Ph2. Xaver attends Ma1, Ph1 and
// De1; Yvonne attends Ma2 and Ph2. Each case places what it needs, loads the window, selects
// courses in LNKurse and rails in the grid.
struct Kollbs {
    Workspace s;
    QString ma1, ma2, ma3, de1, de2, bi1, bi2, ph1, ph2;
    QString xaver, yvonne;
    qint64 xaverMa1 = 0, xaverPh1 = 0, xaverDe1 = 0, yvonneMa2 = 0, yvonnePh2 = 0;

    Kollbs() {
        s.rail(1, "S1", 3);
        s.rail(2, "S2", 3);
        const auto of = [](int subject) {
            return test::Row{{"KS_STD", "3"}, {"KS_FA_ID1", test::School::subjectKey(subject)}};
        };
        test::Row lk = of(4);
        lk.emplace_back("KS_LKGK", "L");
        ma1 = s.course(1, "Ma1", of(1));
        ma2 = s.course(2, "Ma2", of(1));
        ma3 = s.course(3, "Ma3", of(1));
        de1 = s.course(4, "De1", of(2));
        de2 = s.course(5, "De2", of(2));
        bi1 = s.course(6, "Bi1", of(3));
        bi2 = s.course(7, "Bi2", of(3));
        ph1 = s.course(8, "Ph1", lk);
        ph2 = s.course(9, "Ph2", lk);
        xaver = s.student(1, "Xaver", "X");
        yvonne = s.student(2, "Yvonne", "Y");
        xaverMa1 = s.choice(xaver, ma1);
        xaverPh1 = s.choice(xaver, ph1);
        xaverDe1 = s.choice(xaver, de1);
        yvonneMa2 = s.choice(yvonne, ma2);
        yvonnePh2 = s.choice(yvonne, ph2);
    }

    // n students of year 12 from id first on, each with a choice row of every given course.
    void crowd(int first, int n, const QStringList& courses) {
        db::Connection c(s.db.path());
        db::Transaction tx(c);
        for (int i = 0; i < n; ++i) {
            const QString key = test::School::studentKey(first + i);
            c.insert("kolleg", {{"KO_ID", first + i},
                                {"KO_KURSPH", "2009"},
                                {"KO_FAMNAME", "Voll"},
                                {"KO_RUFNAME", QString::number(i)},
                                {"KO_VFP_ID", key}});
            for (const QString& course : courses)
                c.insert("belegung", {{"BG_KO_ID", key}, {"BG_KS_ID_12", course}});
        }
        tx.commit();
    }

    // Loads the window, selects the courses and the rails (grid columns c1..c2) and runs the
    // command.
    void run(const QStringList& courses, int c1, int c2) {
        s.load();
        s.selectCourses(courses);
        w().grdSchienen.setSelStartCol(c1);
        w().grdSchienen.setSelEndCol(c2);
        w().cmdKollbs_Click();
        EXPECT_EQ(s.host.busyDepth, 0) << "the hourglass is gone";
        EXPECT_TRUE(s.host.messages.empty()) << "the command shows no message";
    }

    placement::SetzenK& w() { return s.window(); }
    QString course12(qint64 bgId) {
        return s.db.scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_ID = ?", {bgId}).toString();
    }
    int size(const QString& course) {
        return s.db.scalar("SELECT count(*) FROM belegung WHERE BG_KS_ID_12 = ?", {course}).toInt();
    }
};

} // namespace

TEST(RemoveCollisions, ALineOfTwoCollidingCoursesAllowsOneMove) {
    Kollbs k;
    // Both Ma1's and De1's parallels stand on S1; one move ends Xaver's collision.
    k.s.place(1, k.ma2);
    k.s.place(1, k.de2);
    k.s.load();
    k.s.selectCourses({"Ma1", "De1"});
    ASSERT_EQ(k.w().LKollisionen.count(), 1);
    k.run({"Ma1", "De1"}, 0, 0);

    // Yvonne made room in Ma2 for him and went to Ma1.
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma2);
    EXPECT_EQ(k.course12(k.xaverDe1), k.de1) << "no second move";
    EXPECT_EQ(k.course12(k.yvonneMa2), k.ma1);
    // The refresh shows the lists of the new state.
    EXPECT_EQ(k.w().LKollisionen.count(), 0);
    EXPECT_EQ(k.w().lblKollisionen, "0");
    EXPECT_EQ(k.w().LNKurse.selectedCount(), 2);
}

TEST(RemoveCollisions, AFullParallelIsUsedOnlyBelowItsLimitUnlessAPlaceCanBeMade) {
    // The parallel's students all attend De1 as well, so no place can be made in it, except for
    // the one free student of the last case. Limits: 26 for a Leistungskurs, 30 for a Grundkurs.
    struct Case {
        bool lk;
        int size;
        int free;
        bool moves;
    };
    for (const Case& c :
         {Case{true, 25, 0, true}, Case{true, 26, 0, false}, Case{false, 29, 0, true},
          Case{false, 30, 0, false}, Case{true, 26, 1, true}}) {
        SCOPED_TRACE(testing::Message() << (c.lk ? "LK " : "GK ") << c.size << " free " << c.free);
        Kollbs k;
        const QString own = c.lk ? k.ph1 : k.ma1;
        const QString parallel = c.lk ? k.ph2 : k.ma2;
        const qint64 row = c.lk ? k.xaverPh1 : k.xaverMa1;
        // Yvonne is one of the parallel's students and attends De1 too.
        k.s.choice(k.yvonne, k.de1);
        k.crowd(100, c.size - 1 - c.free, {parallel, k.de1});
        k.crowd(200, c.free, {parallel});
        ASSERT_EQ(k.size(parallel), c.size);
        k.s.place(1, parallel);
        k.run({c.lk ? "Ph1" : "Ma1", "De1"}, 0, 0);

        EXPECT_EQ(k.course12(row), c.moves ? parallel : own);
        EXPECT_EQ(k.size(parallel), c.size + (c.moves && c.free == 0 ? 1 : 0));
        if (c.free) {
            EXPECT_EQ(k.s.db
                          .scalar("SELECT BG_KS_ID_12 FROM belegung WHERE BG_KO_ID = ?",
                                  {test::School::studentKey(200)})
                          .toString(),
                      own)
                << "the free student made the place";
        }
    }
}

TEST(RemoveCollisions, ParallelsStillToPlaceOrOnOtherRailsAreNeverUsed) {
    Kollbs k;
    // Ma2 waits in LNKurse, Ma3 stands on S2, which is not selected; S1 holds only Bio.
    k.s.place(1, k.bi2);
    k.s.place(2, k.ma3);
    k.run({"Ma1", "De1"}, 0, 0);
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma1);
    EXPECT_EQ(k.course12(k.xaverDe1), k.de1);
    EXPECT_EQ(k.course12(k.yvonneMa2), k.ma2);
    EXPECT_EQ(k.w().LKollisionen.count(), 1);

    // With S2 selected too, Ma3 is used.
    k.run({"Ma1", "De1"}, 0, 1);
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma3);
}

TEST(RemoveCollisions, EveryEntryOfASelectedRailCountsBeyondTen) {
    Kollbs k;
    // Eleven courses of other subjects fill S1 before Ma2, the twelfth entry.
    for (int i = 0; i < 11; ++i) {
        const QString f =
            k.s.course(20 + i, QStringLiteral("F%1").arg(i),
                       {{"KS_STD", "3"}, {"KS_FA_ID1", test::School::subjectKey(20 + i)}});
        k.s.place(1, f);
    }
    k.s.place(1, k.ma2);
    k.run({"Ma1", "De1"}, 0, 0);
    ASSERT_EQ(k.w().grdSchienen.TextMatrix(12, 0).left(3), "Ma2");
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma2);
}

TEST(RemoveCollisions, HisCourseOnTheCandidateRailMovesToAFreeSelectedRailFirst) {
    Kollbs k;
    // Ma2 shares S1 with Bi1, which Xaver attends; Bi1's parallel Bi2 stands on S2.
    const qint64 xaverBi1 = k.s.choice(k.xaver, k.bi1);
    k.s.place(1, k.ma2);
    k.s.place(1, k.bi1);
    k.s.place(2, k.bi2);

    // With S1 alone there is no rail to free it to: Ma2 is no candidate.
    k.run({"Ma1", "De1"}, 0, 0);
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma1);
    EXPECT_EQ(k.course12(xaverBi1), k.bi1);

    k.run({"Ma1", "De1"}, 0, 1);
    EXPECT_EQ(k.course12(xaverBi1), k.bi2);
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma2);
    EXPECT_EQ(k.course12(k.xaverDe1), k.de1);
}

TEST(RemoveCollisions, WithoutACollisionLineItOnlyRefreshesTheLists) {
    Kollbs k;
    k.s.place(1, k.ma2);
    k.s.load();
    k.s.selectCourses({"Ma1"});
    const QStringList students = k.w().LSchueler.lines();
    ASSERT_EQ(k.w().LKollisionen.count(), 0);
    k.w().LSchueler.setLines({"stale"});
    k.w().grdSchienen.setSelStartCol(0);
    k.w().grdSchienen.setSelEndCol(0);
    const QStringList before = k.s.db.rows("SELECT * FROM belegung ORDER BY BG_ID");
    k.w().cmdKollbs_Click();
    EXPECT_EQ(k.w().LSchueler.lines(), students);
    EXPECT_EQ(k.s.db.rows("SELECT * FROM belegung ORDER BY BG_ID"), before);
    EXPECT_EQ(k.s.host.busyDepth, 0);
}

TEST(RemoveCollisions, TheRailsStudentCountsFollowTheMoves) {
    Kollbs k;
    // Ma3 on S1 is empty: Xaver moves into it, and S1's header counts him.
    k.s.place(1, k.ma3);
    k.s.place(1, k.de2);
    k.s.load();
    EXPECT_EQ(placement::RailHeader::count(k.w().grdSchienen.TextMatrix(0, 0)), 0);
    k.run({"Ma1", "De1"}, 0, 0);
    EXPECT_EQ(k.course12(k.xaverMa1), k.ma3);
    EXPECT_EQ(placement::RailHeader::count(k.w().grdSchienen.TextMatrix(0, 0)), 1);
}
