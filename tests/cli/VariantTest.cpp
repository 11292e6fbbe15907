// kubb variant on the demo school: a plan kept, blocked anew and taken back whole.
#include "KubbProcess.h"

#include "blocking/Blocks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace {

TEST(KubbVariant, RoundTripOnTheDemoSchoolWithItsFigures) {
    test::TempDir dir;
    const QString path = cli::demoSchool(dir).databasePath();
    const QStringList base = {"variant", "--db", path, "--cohort", "2009"};
    const auto run = [&](const QStringList& args, int code = 0) {
        const cli::Run r = cli::kubb(base + args, 120000);
        EXPECT_EQ(r.code, code) << args.join(' ').toStdString() << r.err.toStdString();
        return r;
    };
    const QStringList a = test::planRows(path);
    EXPECT_EQ(run({"save", "A", "--comment", "vom Dienstag"}).out, "Variante „A“ gespeichert.\n");
    // The search keeps its two best distinct plans as variants, the written one first.
    EXPECT_TRUE(cli::ok({"block", "--db", path, "--cohort", "2009", "--mode", "all", "--seconds",
                         "2", "--threads", "2", "--keep-variants", "2"})
                    .contains("Als Varianten gespeichert:\n  Automatisch 1 ("));
    const QStringList b = test::planRows(path);
    ASSERT_TRUE(a != b);
    run({"save", "B"});
    EXPECT_EQ(run({"apply", "C"}, 1).err, "kubb: Eine Variante „C“ gibt es nicht.\n");

    const QString applied = run({"apply", "a"}).out;
    const QRegularExpressionMatch kept =
        QRegularExpression("steht als „(vor Übernahme \\d\\d\\.\\d\\d\\.\\d{4} [0-9:]{8})“")
            .match(applied);
    ASSERT_TRUE(kept.hasMatch()) << applied.toStdString();
    EXPECT_TRUE(test::planRows(path) == a);
    EXPECT_EQ(run({"diff", "B", kept.captured(1)}).out,
              "Kurse auf anderen Schienen: 0\nSchüler in anderen Kursen: 0\n");

    // A as listed is what kubb evaluate says of the file now, beside its own fields.
    QJsonObject now =
        QJsonDocument::fromJson(
            cli::kubb({"evaluate", "--db", path, "--cohort", "2009", "--json"}).out.toUtf8())
            .object();
    const QJsonArray listed = QJsonDocument::fromJson(run({"list", "--json"}).out.toUtf8()).array();
    ASSERT_EQ(listed.size(), 5);
    QJsonObject first = listed[0].toObject();
    EXPECT_EQ(first.take("name"), "A");
    EXPECT_EQ(first.take("comment"), "vom Dienstag");
    EXPECT_EQ(first.take("changedStudents"), 0);
    EXPECT_EQ(first.take("movedCourses"), 0);
    EXPECT_TRUE(first.take("created").toString().contains('T'));
    EXPECT_EQ(first, now);
    EXPECT_EQ(listed[4].toObject()["name"], kept.captured(1));
    EXPECT_GT(listed[3].toObject()["movedCourses"].toInt(), 0);
    // "Automatisch 1" is the plan written, B: the same figures against A.
    const auto figures = [&listed](int i) {
        QJsonObject o = listed[i].toObject();
        for (const char* own : {"name", "created", "comment"})
            o.remove(own);
        return o;
    };
    EXPECT_EQ(figures(1), figures(3));

    // Each write of variants, killed at every write to the file: the plan and every variant are
    // as before the command or as after it ran whole, never in between.
    if (!cli::canTrace())
        return;
    const QString start = dir.path("START.MDB");
    ASSERT_TRUE(QFile::copy(path, start));
    const auto state = [](const QString& file) {
        db::Connection c(file);
        QStringList rows = test::planRows(file);
        QSqlQuery q = c.exec("SELECT VA_NAME, (SELECT group_concat(VS_KS_ID || VS_BL_ID || VS_FIX) "
                             "FROM varschiene WHERE VS_VA_ID = VA_ID), (SELECT "
                             "group_concat(VK_BG_ID || VK_KS_ID) FROM varkurs WHERE VK_VA_ID = "
                             "VA_ID), VA_KOMMENTAR FROM variante ORDER BY VA_ID");
        // The plan kept on taking one over is named by the time of the run.
        static const QRegularExpression time("^vor Übernahme .*");
        while (q.next())
            rows << q.value(0).toString().replace(time, "vor Übernahme") + '|' +
                        q.value(1).toString() + '|' + q.value(2).toString() + '|' +
                        q.value(3).toString();
        return rows;
    };
    const QStringList before = state(start);
    const QStringList commands[] = {
        {"apply", "B"}, {"save", "D", "--comment", "neu"}, {"rename", "A", "E"}, {"delete", "B"}};
    for (const QStringList& command : commands) {
        ASSERT_TRUE(QFile::remove(path) && QFile::copy(start, path));
        run(command);
        const QStringList after = state(path);
        ASSERT_NE(after, before) << command.join(' ').toStdString();
        int kills = 0;
        for (const QString call :
             {"pwrite64", "fsync", "fdatasync", "unlink", "ftruncate", "write"})
            for (int n = 1; n < 200; n += 1 + n / 10) {
                SCOPED_TRACE((command.join(' ') + ' ' + call + QString::number(n)).toStdString());
                QFile::remove(path);
                ASSERT_TRUE(QFile::copy(start, path));
                const cli::Run r = cli::traced(
                    {"-e", QStringLiteral("inject=%1:signal=KILL:when=%2").arg(call).arg(n)},
                    base + command);
                const QStringList now = state(path);
                EXPECT_TRUE(now == before || now == after);
                if (r.code != -1) {
                    EXPECT_EQ(now, after);
                    break;
                }
                ++kills;
            }
        EXPECT_GT(kills, 3) << command.join(' ').toStdString();
    }
}

} // namespace
