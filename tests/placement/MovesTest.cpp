#include "Workspace.h"

#include "db/Database.h"
#include "placement/Layouts.h"
#include "placement/Moves.h"

#include <gtest/gtest.h>

using placement::RailTable;
using test::Workspace;

// Ma1 with its parallels Ma2 and Ma3, Deu on a subject of its own. Choice rows: 1 A Ma1,
// 2 B Deu, 3 B Ma1, 4 C Ma1 (year 13), 5 A Ma1 in both year fields.
TEST(Moves, AndererKursMovesTheFirstRowsAtMostTheCourseAndAllOrNothing) {
    Workspace s;
    const QString ma1 = s.course(1, "Ma1"), ma2 = s.course(2, "Ma2"), ma3 = s.course(3, "Ma3");
    const QString deu = s.single(4, "Deu");
    const QString a = s.student(1, "A", "a"), b = s.student(2, "B", "b");
    s.choice(a, ma1);
    s.choice(b, deu);
    s.choice(b, ma1);
    s.choice(s.student(3, "C", "c", "2008"), {}, ma1);
    s.choice(a, ma1, ma1);
    s.load();
    db::Connection& c = s.connection();

    EXPECT_EQ(placement::andererKurs(c, ma1, ma2, 2), 2);
    EXPECT_EQ(s.choiceRows(), (QStringList{"1|ST0001|KS0002|<null>", "2|ST0002|KS0004|<null>",
                                           "3|ST0002|KS0002|<null>", "4|ST0003|<null>|KS0001",
                                           "5|ST0001|KS0001|KS0001"}));
    // The database refuses to change the last row: none of the command's rows change.
    s.db.scalar("CREATE TRIGGER refuse BEFORE UPDATE ON belegung WHEN old.BG_ID = 5 "
                "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QStringList before = s.choiceRows();
    EXPECT_THROW(placement::andererKurs(c, ma1, ma3, 2), db::DbError);
    EXPECT_EQ(s.choiceRows(), before);
    s.db.scalar("DROP TRIGGER refuse");

    // More than the course holds: the rest moves, nothing else; a row naming the course in
    // both year fields is one move, of its year-13 field only.
    EXPECT_EQ(placement::andererKurs(c, ma2, ma3, 10), 2);
    EXPECT_EQ(placement::andererKurs(c, ma1, ma3, 10), 2);
    EXPECT_EQ(s.choiceRows(), (QStringList{"1|ST0001|KS0003|<null>", "2|ST0002|KS0004|<null>",
                                           "3|ST0002|KS0003|<null>", "4|ST0003|<null>|KS0003",
                                           "5|ST0001|KS0001|KS0003"}));

    // neuerkurs writes the field of the phase only; another phase or row changes nothing.
    placement::neuerkurs(c, ma2, 5, 1);
    placement::neuerkurs(c, ma2, 5, 3);
    placement::neuerkurs(c, ma2, 5, 0);
    placement::neuerkurs(c, ma2, 99, 1);
    EXPECT_EQ(s.choiceRows().at(4), "5|ST0001|KS0002|KS0003");
    placement::neuerkurs(c, ma1, 5, 2);
    EXPECT_EQ(s.choiceRows().at(4), "5|ST0001|KS0002|KS0001");
    EXPECT_EQ(placement::KursArt(c, "KS0099"), "");
    EXPECT_TRUE(s.host.messages.empty());
}

TEST(Moves, SucheFreieSchFindsTheFirstOtherRailWithoutTheStudentsCourses) {
    const auto entry = [](const char* key) {
        return placement::CourseEntry::format("K", 3, test::kYear, key);
    };
    const RailTable rails{
        {entry("KS0001")}, {entry("KS0004"), entry("KS0002")}, {}, {entry("KS0005")}};
    struct Case {
        int from;
        RailTable rails;
        QString courses;
        int free;
    };
    const Case cases[] = {
        {1, rails, "KS0001KS0002", 3}, // rail 2 is taken, the empty rail 3 is free
        {3, rails, "KS0001KS0002", 4},
        {1, rails, "KS0004", 3},
        {2, rails, "KS0004", 1},
        {1, RailTable{{entry("KS0005")}}, "KS0001", 0}, // no other rail, however free
        {1, RailTable{{}}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " " << c.courses.toStdString());
        EXPECT_EQ(placement::SucheFreieSch(c.from, c.rails, c.courses), c.free);
    }
}
