#include "TestWorkspace.h"

#include "blocking/Rules.h"
#include "db/Database.h"
#include "placement/Layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

using test::Workspace;

namespace {

QString entry(const QString& bez, int hours, const QString& key) {
    return placement::CourseEntry::format(bez, hours, test::kYear, key);
}

} // namespace

// S1 of 3 hours, S2 of 2; Mathe of 5 hours chosen by A and B, Deu by D, Eng by C in year
// group 13, Geo by nobody. The rails' hours are set first, and "<" and "leeren Kurs löschen"
// end it.
TEST(FillRail, ASplitCoursesRestNeverJoinsItsFirstPartOrAHeldRailAndComesBackWhole) {
    Workspace s;
    s.rail(1, "S1", 3);
    s.rail(2, "S2", 2);
    const QString deu = s.single(1, "Deu");
    const QString mathe = s.single(2, "Mathe", {{"KS_STD", "5"}});
    const QString eng = s.single(3, "Eng");
    const QString geo = s.single(4, "Geo");
    s.choice(s.student(1, "A", "a"), mathe);
    s.choice(s.student(2, "B", "b"), mathe);
    s.choice(s.student(3, "C", "c"), {}, eng);
    s.choice(s.student(4, "D", "d"), deu);
    placement::SetzenK& w = s.load();
    ui::Grid& g = s.grid();
    // "Stunde ändern" takes 1 to 6 hours for the empty S2: each answer in turn and the hours after
    // it. Double-clicking a cell of the rail runs the same command.
    g.setCol(1);
    const std::pair<std::optional<QString>, int> answers[] = {
        {"7", 2}, {"0", 2}, {std::nullopt, 2}, {"abc", 2}, {"1", 1}, {" 6", 6}};
    for (const auto& [answer, hours] : answers) {
        s.host.onInput(answer);
        w.cmdBlock_Click();
        EXPECT_EQ(g.TextMatrix(0, 1), QStringLiteral("S2    %1  000        2").arg(hours));
        EXPECT_EQ(s.db.scalar("SELECT BL_STD FROM block WHERE BL_ID = 2").toInt(), hours);
    }
    s.host.onInput("2");
    g.doubleClick(0, 1);
    EXPECT_EQ(s.host.inputPrompts, QStringList(7, "Stundenzahl der Schiene:"));

    s.fill("Mathe", 0, 0);
    EXPECT_EQ(s.column(0), (QStringList{"S1    3  002        1", entry("Mathe", 3, mathe)}));
    const QStringList list{entry("Deu", 3, deu), entry("Mathe", 2, mathe), entry("Eng", 3, eng),
                           entry("Geo", 3, geo)};
    EXPECT_EQ(w.LNKurse.lines(), list);
    EXPECT_EQ(w.LNKurse.selectedCount() + w.LSchueler.count(), 0) << "the refresh clears both";
    // A rail holding a course keeps its hours without asking.
    g.setCol(0);
    s.host.onMessage("Schiene enthält bereits Kurse!\r\nÄnderungen nicht möglich!");
    w.cmdBlock_Click();
    EXPECT_EQ(s.host.messages.back().icon, ui::Icon::Critical);
    EXPECT_EQ(g.TextMatrix(0, 0), "S1    3  002        1");

    s.host.onMessage("Der Kurs Mathe steht bereits auf dieser Schiene!");
    s.fill("Mathe", 0, 0);
    // While S2 is cut and held, nothing goes onto it, neither courses nor hours.
    g.click(1, 1);
    w.click("menuBearbAus");
    s.host.onMessage(test::kHeld).onMessage(test::kHeld);
    s.fill("Mathe", 1, 1);
    w.cmdBlock_Click();
    EXPECT_EQ(s.column(1) + w.LNKurse.lines(), (QStringList{"S2    0  000        2", ""} + list))
        << "nothing placed";
    w.click("menuBearbEinf");

    // The rest fits S2 exactly and leaves the list; the command and its refresh share one
    // connection.
    s.selectCourses({"Mathe"});
    const int opened = db::Connection::openedSoFar();
    ASSERT_TRUE(w.click("cmdSchA"));
    EXPECT_EQ(db::Connection::openedSoFar() - opened, 1);
    EXPECT_EQ(s.column(1), (QStringList{"S2    2  002        2", entry("Mathe", 2, mathe)}));
    EXPECT_EQ(w.LNKurse.lines(),
              (QStringList{entry("Deu", 3, deu), entry("Eng", 3, eng), entry("Geo", 3, geo)}));

    // "<" on Mathe and Eng of S1 takes both back into the list, in KS_SORT order, and Deu moves
    // up; Mathe's rest on S2 then joins its half in the list, the hours summed.
    s.fill("Eng", 0, 0);
    s.fill("Deu", 0, 0);
    ASSERT_EQ(g.TextMatrix(0, 0), "S1    3  004        1");
    g.click(1, 0);
    g.extendSelection(2, 0);
    w.cmdS2K_Click();
    EXPECT_EQ(s.column(0), (QStringList{"S1    3  001        1", entry("Deu", 3, deu)}));
    EXPECT_EQ(w.LNKurse.lines(),
              (QStringList{entry("Mathe", 3, mathe), entry("Eng", 3, eng), entry("Geo", 3, geo)}));
    EXPECT_EQ(w.LSchImBlock.count(), 0);
    // The last entries go: the grid keeps only its header row; the header alone takes nothing.
    for (const auto& [row, col] : {std::pair{1, 1}, {1, 0}, {0, 0}}) {
        g.click(row, col);
        w.cmdS2K_Click();
    }
    EXPECT_EQ(s.columns(), (QStringList{"S1    3  000        1", "S2    2  000        2"}));
    const QStringList back{entry("Deu", 3, deu), entry("Mathe", 5, mathe), entry("Eng", 3, eng),
                           entry("Geo", 3, geo)};
    EXPECT_EQ(w.LNKurse.lines(), back);

    // "leeren Kurs löschen": Eng is chosen in year group 13; Geo goes on "Ja" only.
    w.cmdKursL_Click(); // nothing selected
    const QString ask = "Wollen Sie den Kurs Geo   wirklich löschen?";
    const size_t asked = s.host.messages.size();
    for (const auto& [line, message, answer] :
         {std::tuple{2, QString("Kurs nicht leer!"), ui::Answer::Ok},
          {3, ask, ui::Answer::No},
          {3, ask, ui::Answer::Yes}}) {
        for (int i = 0; i < 4; ++i)
            w.LNKurse.setSelected(i, i == line);
        s.host.onMessage(message, answer);
        w.cmdKursL_Click();
    }
    EXPECT_EQ(std::tuple(s.host.messages[asked].icon, s.host.messages[asked + 1].buttons,
                         s.host.messages[asked + 1].defaultButton),
              std::tuple(ui::Icon::Critical, ui::Buttons::YesNo, 1));
    EXPECT_EQ(s.db.rows("SELECT KS_BEZ FROM kurs"), (QStringList{"Deu", "Mathe", "Eng"}));
    EXPECT_EQ(w.LNKurse.lines(), back.mid(0, 3));
}

// Refusals and failures leave the grid, the list and the choices alone. With a parallel to take
// them, colliding students move to it; a split parallel is never their target. With the courses
// and choices in year 12 or in year 13, a student's other courses are looked up in that year's
// field.
TEST(FillRail, RefusalsLeaveAllAloneAndCollidingStudentsGoToAParallelNotSplit) {
    for (const bool in13 : {false, true}) {
        SCOPED_TRACE(in13);
        Workspace s;
        const auto year = [&](int subject) -> test::Row {
            return in13 ? test::Row{{"KS_JGST", "13"}, {"KS_FA_ID3", s.subjectKey(subject)}}
                        : test::Row{};
        };
        s.rail(1, "S1", 3);
        s.rail(2, "T1", 1);
        s.rail(3, "S0", QVariant());
        s.rail(4, "S4", 4);
        const QString mathe = s.course(1, "Mathe", year(1));
        const QString deu = s.single(3, "Deu", year(13));
        s.single(4, "Leer", year(14));
        s.place(1, deu);
        s.place(2, s.course(2, "Mat1", year(1)));
        const QString b = s.student(2, "B", "b"), a = s.student(1, "A", "a");
        for (const auto& [student, course] :
             {std::pair{b, mathe}, {a, mathe}, {a, deu}, {b, deu}, {s.student(3, "C", "c"), mathe}})
            s.choice(student, in13 ? QVariant() : course, in13 ? course : QVariant());
        s.load();
        const QStringList before = s.choiceRows(), state = s.snapshot();
        const QString noParallel =
            "Kollisionen!\r\nNicht alle Kollegiaten des Kurses Mathe  passen auf die "
            "Schiene!\r\nZum Ausgleich ist kein Parallelkurs bei nichtverteilte Kurse "
            "vorhanden!\r\nVerwenden Sie Kollisionen beseitigen!";
        // A 3-hour course on a rail of 4 hours; A and B collide with Deu and the only parallel,
        // Mat1, is split onto a rail; selected without its students listed nothing tells it may
        // be placed.
        const std::tuple<const char*, int, int, QString, bool> cases[] = {
            {"Mathe", 0, 2, "Stundenzahl der Schiene gleich 0 !", true},
            {"Mathe", 3, 3, "Stundenzahl des Kurses kleiner Stundenzahl der Schiene!", true},
            {"Leer", 0, 0, "Kurs: Leer   ist leer!", true},
            {"Mathe", 0, 0, noParallel, false},
            {"Mathe", 0, 0, noParallel, true},
            {"", 0, 0, "", true}};
        for (const auto& [course, c1, c2, message, listed] : cases) {
            SCOPED_TRACE(message.toStdString());
            s.selectCourses({course});
            if (!listed)
                s.w().LSchueler.clear();
            s.selectRails(c1, c2);
            if (!message.isEmpty())
                s.host.onMessage(message);
            s.w().cmdSchA_Click();
            EXPECT_EQ(s.snapshot(), state);
        }
        for (const ui::Message& m : s.host.messages)
            EXPECT_EQ(m.icon, ui::Icon::Critical);

        // With a parallel to take them, the database refuses to move B, the second colliding
        // student: A's move is undone too and nothing is placed.
        s.course(5, "Mat2", year(1));
        s.load();
        s.db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN old.BG_ID = 2 "
                    "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        s.selectCourses({"Mathe"});
        const QStringList waiting = s.snapshot();
        EXPECT_THROW(s.w().cmdSchA_Click(), db::DbError);
        EXPECT_EQ(s.snapshot(), waiting);
        // Allowed, both go to Mat2, never to the split Mat1; C stays. Of S1 and T1 the course
        // goes onto the first with the hours of the last.
        s.db.scalar("DROP TRIGGER refuse");
        s.fill("Mathe", 0, 1);
        QStringList moved = before;
        for (const int row : {0, 1})
            moved[row].replace("KS0001", "KS0005");
        EXPECT_EQ(s.choiceRows(), moved);
        EXPECT_EQ(s.column(0), (QStringList{"S1    3  003        1", entry("Deu", 3, deu),
                                            entry("Mathe", 1, mathe)}));
    }
}

TEST(FillRail, ACourseIsEvenedOutWithItsParallelsOnlyBeyondTheirAverage) {
    // Mathe of n0 students (the first of them listed) and parallels still to place, on an empty
    // rail of 3 hours. "ask": the question offering the whole average; "tell": too few, to the
    // whole average. The surplus rounds halves to the even neighbour and goes to the first
    // parallel in the list (sorts: KS_SORT of each parallel; Mathe has 1). after: the sizes of
    // Mathe and its parallels.
    enum Says { Nothing, Ask, AskNo, Tell };
    // The last field: a choice row of Mathe the database refuses to move.
    // clang-format off
    const std::tuple<int, std::vector<int>, std::vector<int>, Says, int, const char*, int> cases[] = {
        {30, {20, 22, 24}, {4, 2, 3}, Ask, 24, "24 20 28 24", 0}, // Par2 first in the list
        {30, {20, 22, 24}, {2, 3, 4}, AskNo, 24, "30 20 22 24", 0},
        {30, {21}, {2}, Ask, 25, "26 25", 0},    // surplus 4.5 moves 4
        {31, {20}, {2}, Ask, 25, "25 26", 0},    // surplus 5.5 moves 6
        {21, {20}, {2}, Ask, 20, "21 20", 0},    // surplus 0.5 moves none
        {20, {20}, {2}, Nothing, 0, "20 20", 0}, // exactly the average
        {20, {21}, {2}, Nothing, 0, "20 21", 0}, // average 20.5, whole part 20
        {20, {23}, {2}, Tell, 21, "20 23", 0},
        {30, {20}, {2}, Ask, 25, "30 20", 3}, // the first two moves are undone
    };
    // clang-format on
    for (const auto& [n0, sizes, sorts, says, target, after, refused] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::tuple{n0, sizes, sorts}));
        Workspace s;
        s.rail(1, "S1", 3);
        const QString mathe = s.course(1, "Mathe");
        QStringList parallels;
        for (size_t i = 0; i < sizes.size(); ++i)
            parallels << s.course(static_cast<int>(i) + 2, QStringLiteral("Par%1").arg(i + 1),
                                  {{"KS_SORT", sorts[i]}});
        s.choice(s.student(1, "A", "a"), mathe);
        s.choices(mathe, n0 - 1);
        for (size_t i = 0; i < sizes.size(); ++i)
            s.choices(parallels[static_cast<int>(i)], sizes[i]);
        s.load();
        s.selectCourses({"Mathe"});
        const QString count = QString::number(n0), average = QString::number(target);
        if (says == Ask || says == AskNo)
            s.host.onMessage("Auf diese Schiene passen mehr Kollegiaten des Kurses!\r\nAnzahl: " +
                                 count + "\r\nDurchschnittliche Kursstärke    : " + average +
                                 "\r\nSoll auf " + average + " ausgelichen werden?",
                             says == Ask ? ui::Answer::Yes : ui::Answer::No);
        if (says == Tell)
            s.host.onMessage(
                "Auf diese Schiene passen zu wenig Kollegiaten des Kurses!\r\nAnzahl: " + count +
                "\r\nSoll    : " + average);
        if (refused) {
            s.db.scalar(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN "
                                       "old.BG_ID = %1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                            .arg(refused));
            EXPECT_THROW(s.w().click("cmdSchA"), db::DbError);
        } else {
            s.w().click("cmdSchA");
        }
        for (const ui::Message& m : s.host.messages)
            EXPECT_EQ(m.buttons, says == Tell ? ui::Buttons::Ok : ui::Buttons::YesNo);
        // The file, the rail's count and the lists' counts agree.
        QStringList shown{QString::number(s.size(mathe))};
        for (const QString& p : parallels) {
            shown << QString::number(s.size(p));
            EXPECT_EQ(s.w().schuelerJeKurs.value(p), s.size(p)) << "the counts follow";
        }
        EXPECT_EQ(shown.join(' '), after);
        if (refused)
            continue;
        EXPECT_EQ(s.count(0).toInt(), s.size(mathe));
        // The first rows of the course moved, the listed student with them.
        const auto first = std::min_element(sorts.begin(), sorts.end()) - sorts.begin();
        EXPECT_EQ(s.courseOf(1), s.size(mathe) < n0 ? parallels[static_cast<int>(first)] : mathe);
    }
}

// A rule on placements that the course would break on the rail is asked about first (default
// "Nein"); "Nein" leaves everything, "Ja" places it. B and the parallel P1 stand on S1; the
// file's placement stays as it is, each case loads it afresh with its rule alone.
TEST(FillRail, APlacementThatBreaksARuleIsAskedAbout) {
    // The rule, the course filled onto a grid column, the rule broken ("" for no question) and
    // the answer.
    const std::tuple<const char*, QStringList, const char*, int, const char*, ui::Answer> cases[] =
        {
            {"course-not-on-rail",
             {"A", "S1"},
             "A",
             0,
             "Kurs A nicht auf Schiene S1",
             ui::Answer::No},
            {"course-not-on-rail", {"A", "S2"}, "A", 0, "", ui::Answer::No},
            {"courses-apart",
             {"B", "A"},
             "A",
             0,
             "Kurse B und A nie auf einer Schiene",
             ui::Answer::Yes},
            {"courses-apart", {"B", "P1"}, "A", 0, "", ui::Answer::No}, // broken before
            {"courses-together",
             {"A", "B"},
             "A",
             1,
             "Kurse A und B auf denselben Schienen",
             ui::Answer::No},
            {"courses-together", {"A", "B"}, "A", 0, "", ui::Answer::No},
            {"parallels-apart",
             {"MA"},
             "P2",
             0,
             "Parallelkurse in MA auf verschiedenen Schienen",
             ui::Answer::No},
            {"parallels-apart", {"MA"}, "P2", 1, "", ui::Answer::No},
        };
    Workspace s;
    s.rails(2, 3);
    s.connection().exec("UPDATE fachang SET FA_PSCHL = 'MA' WHERE FA_ID = 1");
    const QString keys[] = {s.single(1, "A"), s.single(2, "B"), s.course(3, "P1"),
                            s.course(4, "P2")};
    for (int id = 1; id <= 4; ++id)
        s.choice(s.student(id, "N"), keys[id - 1], {},
                 {{"BG_FA_ID", s.subjectKey(id > 2 ? 1 : id + 10)}, {"BG_ART", "S"}});
    s.place(1, keys[1]);
    s.place(1, keys[2]);
    for (const auto& [kind, args, course, rail, broken, answer] : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(kind, args.join(' ')).toStdString());
        blocking::addRule(s.connection(), test::kYear, QString::fromUtf8(kind), args);
        s.load();
        const QStringList before = s.columns();
        if (*broken)
            s.host.onMessage(
                QStringLiteral("Der Kurs %1 verletzt auf dieser Schiene die Regel").arg(course) +
                    "\r\n" + broken + "\r\nTrotzdem setzen?",
                answer);
        s.fill(QString::fromUtf8(course), rail, rail);
        const bool placed = !*broken || answer == ui::Answer::Yes;
        EXPECT_EQ(s.columns() != before, placed);
        EXPECT_EQ(s.w().LNKurse.count(), placed ? 1 : 2);
        blocking::removeRule(s.connection(), test::kYear, 1);
    }
    ASSERT_EQ(s.host.messages.size(), 4u);
    for (const ui::Message& m : s.host.messages)
        EXPECT_EQ(m.defaultButton, 1) << "Nein";
}
