#include "TestWorkspace.h"

#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

using test::kOtherYear;
using test::Workspace;

namespace {

const QStringList kCounted{"Kursstärken werden berechnet!", ""};

} // namespace

TEST(Loading, RailsShowTheirPlacedCoursesAndLNKurseTheHoursStillToPlace) {
    Workspace s;
    s.rail(1, "S1", 4);
    s.rail(2, "Block6", QVariant()); // no hours: shows 0 and places nothing
    s.rail(3, "S3", 2);
    s.rail(4, "S4", 3);
    s.rail(5, "S5", 2, kOtherYear);
    const QString mathe = s.course(1, "Mathe1", {{"KS_LKGK", "L"}, {"KS_SORT", 5}});
    const QString deu = s.course(2, "Deu", {{"KS_STD", "5"}, {"KS_SORT", 4}});
    const QString eng = s.course(3, "Eng", {{"KS_STD", "6"}, {"KS_SORT", 3}});
    const QString fra = s.course(4, "Fra", {{"KS_STD", "3"}, {"KS_SORT", 2}});
    const QString bio = s.course(5, "Bio", {{"KS_STD", "2"}, {"KS_SORT", 1}});
    s.course(6, "Chem", {{"KS_SCHJ", kOtherYear}, {"KS_STD", "2"}});
    // A course that is gone, and a rail of another school year, place nothing.
    for (const auto& [rail, course] : {std::pair{1, QString("KS0099")},
                                       {1, mathe},
                                       {2, fra},
                                       {3, deu},
                                       {3, eng},
                                       {4, deu},
                                       {4, eng},
                                       {5, bio}})
        s.place(rail, course);
    s.choice("ST0001", mathe);
    s.choice("ST0002", {}, mathe);
    s.choice("ST0003", mathe, mathe); // counts once
    for (const char* st : {"ST0001", "ST0002", "ST0003"})
        s.choice(st, st[5] == '1' ? deu : eng);
    placement::SetzenK& w = s.load();
    const ui::Grid& g = w.grdSchienen;
    ASSERT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(s.columns(),
              (QStringList{"S1    4  003        1|Mathe 4      3 KS0001|",
                           "Block60  000        2|Fra   0      3 KS0004|",
                           "S3    2  003        3|Deu   2      3 KS0002|Eng   2      3 KS0003",
                           "S4    3  003        4|Deu   3      3 KS0002|Eng   3      3 KS0003"}));
    EXPECT_EQ((std::array{g.SelStartRow(), g.SelEndRow(), g.SelStartCol(), g.SelEndCol()}),
              (std::array{1, 1, 0, 0}));
    // Leistungskurs without hours: 5 on a 4-hour rail leaves 1; split over 2 + 3 hours, H 5 is
    // done and H 6 leaves 1.
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0005", "Fra   3      3 KS0004",
                                              "Eng   1      3 KS0003", "Mathe 1      3 KS0001"}));
    EXPECT_EQ(s.host.statuses, kCounted);
    EXPECT_EQ(s.host.busyDepth, 0);

    // AnzKvS counts down to the first empty cell and makes the rail current.
    EXPECT_EQ(w.MaxKvS(), 2);
    w.grdSchienen.setTextMatrix(1, 2, "");
    EXPECT_EQ(w.AnzKvS(3), 0);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_EQ(w.AnzKvS(4), 2);
    EXPECT_EQ(w.AnzKvS(5) + w.AnzKvS(0), 0) << "beyond the rails";
    EXPECT_EQ(g.Col(), 3);
}

TEST(Loading, HoursOfTenAndMoreAreReportedNotMisreadAndTheCurrentCellIsTheSelectedOne) {
    Workspace s;
    s.rail(1, "S1", 2);
    s.rail(2, "Lang", 10);
    s.rail(3, "S3", 9);
    const QString deu = s.course(1, "Deu", {{"KS_STD", "2"}});
    s.course(2, "Riesig", {{"KS_STD", "10"}});
    s.course(3, "Neun", {{"KS_STD", "9"}});
    s.place(1, deu);
    s.place(2, deu);
    s.host
        .onMessage("Die Schiene Lang hat 10 Wochenstunden;\r\ndas Programm verteilt höchstens "
                   "9. Solche Schienen werden nicht angezeigt; ihre Kurse bleiben gespeichert.")
        .onMessage("Der Kurs Riesig hat 10 Wochenstunden; das Programm verteilt höchstens 9.");
    placement::SetzenK& w = s.load();
    const ui::Grid& g = w.grdSchienen;
    ASSERT_EQ(g.Cols(), 2);
    EXPECT_EQ(g.TextMatrix(0, 1), "S3    9  000        3");
    EXPECT_EQ(w.LNKurse.lines(), QStringList{"Neun  9      3 KS0003"});
    EXPECT_EQ((std::array{g.Col(), g.Row(), g.SelStartCol()}), (std::array{0, 1, 0}))
        << "the current cell is the one shown selected";
    // Saving keeps the placement on the rail left out.
    ASSERT_TRUE(s.close());
    EXPECT_EQ(s.db.rows("SELECT CK_BL_ID, CK_KS_ID FROM ckkurs ORDER BY CK_BL_ID"),
              (QStringList{"     1|KS0001", "     2|KS0001"}));
}

TEST(Loading, HoursComeFromKS_STDTheKindOrTheSubjectOfTheYearGroup) {
    Workspace s;
    s.subject(2, "4");
    s.subject(3, "0");
    const QString fa2 = test::School::subjectKey(2), fa3 = test::School::subjectKey(3);
    // clang-format off
    const test::Row courses[] = {
        {{"KS_STD", "2"}, {"KS_LKGK", "X"}}, {{"KS_LKGK", "L"}}, {{"KS_FA_ID3", fa2}},
        {{"KS_JGST", "13"}, {"KS_FA_ID3", fa2}}, {{"KS_JGST", "50"}, {"KS_FA_ID3", fa2}},
        {{"KS_JGST", "50"}, {"KS_FA_ID1", QVariant()}, {"KS_FA_ID3", fa2}},
        {{"KS_JGST", "50"}, {"KS_FA_ID1", "FA9999"}, {"KS_FA_ID3", fa2}},
        {{"KS_JGST", "50"}, {"KS_FA_ID1", fa3}, {"KS_FA_ID3", fa2}},
        {{"KS_FA_ID1", "FA9999"}}, {{"KS_JGST", "11"}}, {{"KS_LKGK", "X"}}, {{"KS_JGST", "50"}, {"KS_FA_ID1", fa3}},
    };
    const char* names[] = {"Std", "Lk", "G12", "G13", "G50a", "G50b", "G50c", "G50d", "G12x", "G11", "Xk", "G50e"};
    // clang-format on
    for (int i = 0; i < 12; ++i)
        s.course(i + 1, names[i], courses[i]);
    // Another program writes while each message is open: the window holds no lock then.
    struct WritingHost : test::ScriptedHost {
        QString path;
        ui::Answer message(const ui::Message& m) override {
            db::Connection other(path, db::Connection::Mode::Existing, 0);
            other.exec("UPDATE kurs SET KS_SORT = KS_SORT WHERE KS_ID = 1");
            return ScriptedHost::message(m);
        }
    } host;
    host.path = s.db.path();
    for (const char* bez : {"G12x", "G11", "Xk", "G50e"})
        host.onMessage(QString("Bei %1 fehlt die Stundenzahl!\r\n").arg(bez));
    placement::SetzenK w(s.state, host);
    ASSERT_NO_THROW(w.Form_Load());
    QStringList hours;
    for (const QString& l : w.LNKurse.lines())
        hours << l.left(7);
    EXPECT_EQ(hours, (QStringList{"Std   2", "Lk    5", "G12   3", "G13   4", "G50a  3", "G50b  4",
                                  "G50c  4", "G50d  4"}));
    EXPECT_EQ(host.messages.at(0).icon, ui::Icon::Critical);
    EXPECT_EQ(host.statuses, kCounted) << "loading went on to the end";
}

TEST(Loading, ACourseWithoutItsSubjectStopsLoadingWhereItStands) {
    const test::Row withoutSubject[] = {
        {{"KS_FA_ID1", QVariant()}, {"KS_FA_ID3", test::School::subjectKey(1)}}, // year 12
        {{"KS_JGST", "13"}},                                                     // year 13
        {{"KS_FA_ID1", QVariant()}, {"KS_STD", "3"}, {"KS_LKGK", "L"}}, // no subject at all
    };
    for (const test::Row& bad : withoutSubject) {
        Workspace s;
        s.rail(1, "S1", 2);
        s.course(1, "Bio", {{"KS_STD", "2"}});
        s.course(2, "Bad", bad);
        const QString later = s.course(3, "Zzz", {{"KS_STD", "2"}});
        s.place(1, later);
        s.choice("ST0001", later);
        s.host.onMessage("Beim Kurs Bad fehlt das zugeordnete Fach!\r\nBitte erfassen Sie mit "
                         "Orvid neue Kurse!\r\nImportieren Sie dann nochmal!");
        placement::SetzenK& w = s.load();
        EXPECT_EQ(w.LNKurse.lines(), QStringList{"Bio   2      3 KS0001"});
        EXPECT_EQ(s.column(0), (QStringList{"S1    2  000        1", "Zzz   2      3 KS0003"}))
            << "the grid stays, the counts are not made";
        EXPECT_TRUE(s.host.statuses.isEmpty());
    }
}

TEST(Loading, ASchoolYearWithoutRailsOrCoursesLoadsWhatItHas) {
    Workspace s;
    s.rail(1, "S1", 3, kOtherYear);
    s.place(1, s.course(1, "Bio", {{"KS_STD", "2"}}));
    s.course(2, "Lk", {{"KS_LKGK", "L"}});
    placement::SetzenK& w = s.load();
    EXPECT_EQ((std::array{w.grdSchienen.Cols(), w.grdSchienen.Rows(), w.grdSchienen.FixedRows(),
                          w.grdSchienen.SelEndRow(), w.MaxKvS()}),
              (std::array{0, 1, 0, 0, 0}));
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0001", "Lk    5      3 KS0002"}));
    EXPECT_EQ(s.host.statuses, kCounted);

    // Courses of another school year only: said; none at all: nothing to say.
    for (const bool other : {true, false}) {
        Workspace s;
        s.rail(1, "S1", 2);
        if (other) {
            s.course(1, "Alt", {{"KS_SCHJ", kOtherYear}});
            s.host.onMessage("Für das Schuljahr: 2009/2010 fehlen die Kurse der Kursdatei!\r\n"
                             "Bitte erfassen Sie mit Orvid neue Kurse!\r\nImportieren Sie dann "
                             "nochmal!");
        }
        EXPECT_EQ(s.load().grdSchienen.TextMatrix(0, 0), "S1    2  000        1");
        EXPECT_EQ(s.w().LNKurse.count(), 0);
        EXPECT_TRUE(s.host.statuses.isEmpty());
    }
}

TEST(Loading, LargeSchoolsLoadWholeAndCountsShowThreeDigits) {
    // 102 rails, 101 courses on the last; 1234 choices of a course on the first, far beyond the
    // 200 choices per selected course and 100 per grid cell of old.
    Workspace s;
    s.batch();
    s.rails(102, 1);
    for (int k = 1; k <= 101; ++k)
        s.place(102, s.course(k, QString("K%1").arg(k), {{"KS_STD", "1"}}));
    const QString big = s.course(102, "Big", {{"KS_STD", "2"}});
    s.place(1, big);
    s.choices(big, 1234, s.student(1, "Viel", "Belegt"));
    s.commit();
    placement::SetzenK& w = s.load();
    EXPECT_EQ(w.grdSchienen.Cols(), 102);
    EXPECT_EQ(w.grdSchienen.Rows(), 102);
    EXPECT_EQ(w.AnzKvS(102), 101);
    EXPECT_EQ(w.MaxKvS(), 101) << "the last rail holds the most";
    EXPECT_EQ(w.grdSchienen.TextMatrix(101, 101), "K101  1      3 KS0101");
    EXPECT_EQ(w.grdSchienen.TextMatrix(0, 0), "S1    1  234        1");
    EXPECT_EQ(w.grdSchienen.TextMatrix(0, 1), "S2    1  000        2") << "an empty rail";
    EXPECT_EQ(placement::RailHeader::count(w.grdSchienen.TextMatrix(0, 0)), 234);
    EXPECT_EQ(w.LNKurse.lines(), QStringList{"Big   1      3 KS0102"});
    s.selectCourses({"Big"});
    EXPECT_EQ(w.LSchueler.count(), 1234);
    w.grdSchienen.click(1, 0);
    EXPECT_EQ(w.LSchImBlock.count(), 1234);
}
