// kubb teachers on the demo school: a course given to a teacher whose other courses compete for
// the same kind of rail, the cohort blocked anew, and the new course kept off his rails; a teacher
// who still teaches is not removed.
#include "KubbProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The rails of each course of the teacher, by course, as kubb teachers list --json gives them.
QHash<QString, QStringList> railsOfCourses(const QString& path, const QString& kuerzel) {
    QHash<QString, QStringList> rails;
    const QJsonObject list =
        QJsonDocument::fromJson(cli::ok({"teachers", "--db", path, "list", "--json"}).toUtf8())
            .object();
    for (const QJsonValue t : list["teachers"].toArray())
        if (t["kuerzel"].toString() == kuerzel)
            for (const QJsonValue c : t["courses"].toArray())
                for (const QJsonValue r : c["rails"].toArray())
                    rails[c["course"].toString()] << r.toString();
    return rails;
}

} // namespace

TEST(KubbTeachers, AnAssignedCourseIsBlockedOffItsTeachersRailsAndATeacherWhoTeachesStays) {
    test::TempDir dir;
    const QString path = cli::demoSchool(dir).databasePath();
    EXPECT_EQ(cli::ok({"teachers", "--db", path, "assign", "1sp1", "rö"}),
              "Kurs 1Sp1: Lehrer Rö (Rößler, Hans-Peter).\n");
    cli::ok({"block", "--db", path, "--cohort", "2009", "--mode", "all", "--seconds", "3", "--seed",
             "1", "--threads", "2"});
    QHash<QString, QStringList> rails = railsOfCourses(path, "Rö");
    const QStringList sport = rails.take("1Sp1");
    ASSERT_FALSE(sport.isEmpty()) << "1Sp1 is placed and taught by Rö";
    for (auto it = rails.cbegin(); it != rails.cend(); ++it)
        for (const QString& rail : sport)
            EXPECT_FALSE(it.value().contains(rail))
                << it.key().toStdString() << " on " << rail.toStdString();

    const cli::Run refused = cli::kubb({"teachers", "--db", path, "remove", "Rö"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("unterrichtet noch die Kurse ") &&
                refused.err.contains("1Sp1"))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.out.isEmpty());

    cli::ok({"teachers", "--db", path, "add", "Neu", "Neumann, Ute"});
    cli::ok({"teachers", "--db", path, "assign", "1Sp1", "Neu"});
    EXPECT_EQ(railsOfCourses(path, "Neu").keys(), QStringList{"1Sp1"});
    EXPECT_EQ(cli::ok({"teachers", "--db", path, "rename", "Neu", "Nm"}),
              "Lehrer Neu heißt jetzt Nm.\n");
    EXPECT_EQ(cli::kubb({"teachers", "--db", path, "remove", "Nm"}).code, 1);
    cli::ok({"teachers", "--db", path, "unassign", "1Sp1"});
    EXPECT_EQ(cli::ok({"teachers", "--db", path, "remove", "Nm"}),
              "Lehrer Nm (Neumann, Ute) gelöscht.\n");
    EXPECT_TRUE(cli::ok({"teachers", "--db", path, "list"}).endsWith("Kurse ohne Lehrer: 1Sp1\n"));
}
