#include "TestWorkspace.h"

#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

using test::kOtherYear;
using test::Workspace;

namespace {

const QStringList kCounted{"Kursstärken werden berechnet!", ""};

} // namespace

// Rails of 10 hours and more are left out (their courses stay saved), courses of 10 hours and
// more are reported; 9 is the most the grid takes.
TEST(Loading, RailsShowTheirPlacedCoursesAndLNKurseTheHoursStillToPlace) {
    Workspace s;
    s.rail(1, "S1", 4);
    s.rail(2, "Block6", QVariant()); // no hours: shows 0 and places nothing
    s.rail(3, "S3", 2);
    s.rail(4, "S4", 3);
    s.rail(5, "S5", 2, kOtherYear);
    s.rail(6, "Lang", 10);
    s.rail(7, "S7", 9);
    const QString mathe = s.course(1, "Mathe1", {{"KS_LKGK", "L"}, {"KS_SORT", 5}});
    const QString deu = s.course(2, "Deu", {{"KS_STD", "5"}, {"KS_SORT", 4}});
    const QString eng = s.course(3, "Eng", {{"KS_STD", "6"}, {"KS_SORT", 3}});
    const QString fra = s.course(4, "Fra", {{"KS_STD", "3"}, {"KS_SORT", 2}});
    const QString bio = s.course(5, "Bio", {{"KS_STD", "2"}, {"KS_SORT", 1}});
    s.course(6, "Chem", {{"KS_SCHJ", kOtherYear}, {"KS_STD", "2"}});
    s.course(7, "Riesig", {{"KS_STD", "10"}});
    s.course(8, "Neun", {{"KS_STD", "9"}, {"KS_SORT", 6}});
    // A course that is gone, and a rail of another school year, place nothing.
    const std::pair<int, QString> placements[] = {{1, "KS0099"}, {1, mathe}, {2, fra},
                                                  {3, deu},      {3, eng},   {4, deu},
                                                  {4, eng},      {5, bio},   {6, deu}};
    for (const auto& [rail, course] : placements)
        s.place(rail, course);
    s.choice("ST0001", mathe);
    s.choice("ST0002", {}, mathe);
    s.choice("ST0003", mathe, mathe); // counts once
    for (const char* st : {"ST0001", "ST0002", "ST0003"})
        s.choice(st, st[5] == '1' ? deu : eng);
    s.host
        .onMessage("Die Schiene Lang hat 10 Wochenstunden;\r\ndas Programm verteilt höchstens "
                   "9. Solche Schienen werden nicht angezeigt; ihre Kurse bleiben gespeichert.")
        .onMessage("Der Kurs Riesig hat 10 Wochenstunden; das Programm verteilt höchstens 9.");
    placement::SetzenK& w = s.load();
    const ui::Grid& g = w.grdSchienen;
    EXPECT_EQ(s.columns(),
              (QStringList{"S1    4  003        1|Mathe 4      3 KS0001|",
                           "Block60  000        2|Fra   0      3 KS0004|",
                           "S3    2  003        3|Deu   2      3 KS0002|Eng   2      3 KS0003",
                           "S4    3  003        4|Deu   3      3 KS0002|Eng   3      3 KS0003",
                           "S7    9  000        7||"}));
    // One fixed row; the current cell is the one shown selected.
    EXPECT_EQ((std::array{g.FixedRows(), g.SelStartRow(), g.SelEndRow(), g.SelStartCol(),
                          g.SelEndCol(), g.Row(), g.Col()}),
              (std::array{1, 1, 1, 0, 0, 1, 0}));
    // Leistungskurs without hours: 5 on a 4-hour rail leaves 1; split over 2 + 3 hours, H 5 is
    // done and H 6 leaves 1.
    EXPECT_EQ(w.LNKurse.lines(), (QStringList{"Bio   2      3 KS0005", "Fra   3      3 KS0004",
                                              "Eng   1      3 KS0003", "Mathe 1      3 KS0001",
                                              "Neun  9      3 KS0008"}));
    EXPECT_EQ(s.host.statuses, kCounted);
    EXPECT_EQ(s.host.busyDepth, 0);
    // Saving keeps the placement on the rail left out.
    ASSERT_TRUE(s.close());
    EXPECT_EQ(s.railsOf(deu), (QStringList{"S3", "S4", "Lang"}));

    // AnzKvS counts the rail's courses and makes the rail current.
    EXPECT_EQ((std::array{w.MaxKvS(), w.AnzKvS(1), g.Col(), w.AnzKvS(4), w.AnzKvS(6) + w.AnzKvS(0),
                          g.Col()}),
              (std::array{2, 1, 0, 2, 0, 3}))
        << "beyond the rails nothing";
}

TEST(Loading, HoursComeFromKS_STDTheKindOrTheSubjectOfTheYearGroup) {
    Workspace s;
    s.subject(2, "4");
    s.subject(3, "0");
    const QString fa2 = test::School::subjectKey(2), fa3 = test::School::subjectKey(3);
    // clang-format off
    const std::pair<const char*, test::Row> courses[] = {
        {"Std", {{"KS_STD", "2"}, {"KS_LKGK", "X"}}}, {"Lk", {{"KS_LKGK", "L"}}}, {"G12", {{"KS_FA_ID3", fa2}}},
        {"G13", {{"KS_JGST", "13"}, {"KS_FA_ID3", fa2}}}, {"G50a", {{"KS_JGST", "50"}, {"KS_FA_ID3", fa2}}},
        {"G50b", {{"KS_JGST", "50"}, {"KS_FA_ID1", QVariant()}, {"KS_FA_ID3", fa2}}},
        {"G50c", {{"KS_JGST", "50"}, {"KS_FA_ID1", "FA9999"}, {"KS_FA_ID3", fa2}}},
        {"G50d", {{"KS_JGST", "50"}, {"KS_FA_ID1", fa3}, {"KS_FA_ID3", fa2}}}, {"G12x", {{"KS_FA_ID1", "FA9999"}}},
        {"G11", {{"KS_JGST", "11"}}}, {"Xk", {{"KS_LKGK", "X"}}}, {"G50e", {{"KS_JGST", "50"}, {"KS_FA_ID1", fa3}}}};
    // clang-format on
    int id = 0;
    for (const auto& [bez, fields] : courses)
        s.course(++id, bez, fields);
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

// A course without its subject stops loading where it stands: the grid stays, the counts are not
// made. So does a school year without courses of its own (said only when another year has some).
TEST(Loading, ACourseWithoutItsSubjectOrASchoolYearWithoutCoursesStopsLoading) {
    const QString noSubject = "Beim Kurs Bad fehlt das zugeordnete Fach!\r\nBitte erfassen Sie "
                              "mit Orvid neue Kurse!\r\nImportieren Sie dann nochmal!";
    const std::pair<test::Row, QString> cases[] = {
        {{{"KS_FA_ID1", QVariant()}, {"KS_FA_ID3", test::School::subjectKey(1)}}, noSubject},
        {{{"KS_JGST", "13"}}, noSubject},
        {{{"KS_FA_ID1", QVariant()}, {"KS_STD", "3"}, {"KS_LKGK", "L"}}, noSubject},
        {{{"KS_SCHJ", kOtherYear}},
         "Für das Schuljahr: 2009/2010 fehlen die Kurse der Kursdatei!\r\nBitte erfassen Sie mit "
         "Orvid neue Kurse!\r\nImportieren Sie dann nochmal!"},
        {{}, {}}};
    for (const auto& [bad, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        Workspace s;
        s.rail(1, "S1", 2);
        const bool subjectless = message == noSubject;
        if (subjectless) {
            s.course(1, "Bio", {{"KS_STD", "2"}});
            s.place(1, s.course(3, "Zzz", {{"KS_STD", "2"}}));
            s.choice("ST0001", "KS0003");
        }
        if (!bad.empty())
            s.course(2, "Bad", bad);
        if (!message.isEmpty())
            s.host.onMessage(message);
        placement::SetzenK& w = s.load();
        EXPECT_EQ(w.LNKurse.lines(),
                  subjectless ? QStringList{"Bio   2      3 KS0001"} : QStringList{});
        const QStringList rail{"S1    2  000        1", "Zzz   2      3 KS0003"};
        EXPECT_EQ(s.column(0), rail.mid(0, subjectless ? 2 : 1));
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
    ui::Grid& g = s.grid();
    // The last rail holds the most.
    EXPECT_EQ((std::array{g.Cols(), g.Rows(), w.AnzKvS(102), w.MaxKvS()}),
              (std::array{102, 102, 101, 101}));
    EXPECT_EQ(g.TextMatrix(101, 101), "K101  1      3 KS0101");
    EXPECT_EQ(g.TextMatrix(0, 0), "S1    1  234        1");
    EXPECT_EQ(placement::RailHeader::count(g.TextMatrix(0, 0)), 234);
    EXPECT_EQ(w.LNKurse.lines(), QStringList{"Big   1      3 KS0102"});
    s.selectCourses({"Big"});
    EXPECT_EQ(w.LSchueler.count(), 1234);
    g.click(1, 0);
    EXPECT_EQ(w.LSchImBlock.count(), 1234);
}
