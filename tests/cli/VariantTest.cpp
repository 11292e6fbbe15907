// kubb variant on the demo school: a plan kept, blocked anew and taken back whole.
#include "KubbProcess.h"

#include "db/Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QStringList planRows(const QString& path) {
    db::Connection c(path);
    QStringList rows;
    QSqlQuery q = c.exec("SELECT CK_KS_ID, CK_BL_ID, CK_FIX FROM ckkurs ORDER BY 1, 2");
    while (q.next())
        rows << q.value(0).toString() + '|' + q.value(1).toString() + '|' + q.value(2).toString();
    q = c.exec("SELECT BG_ID, BG_KS_ID_12, BG_KS_ID_13 FROM belegung ORDER BY BG_ID");
    while (q.next())
        rows << q.value(0).toString() + '|' + q.value(1).toString() + '|' + q.value(2).toString();
    return rows;
}

TEST(KubbVariant, RoundTripOnTheDemoSchoolWithItsFigures) {
    test::TempDir dir;
    const QString path = cli::demoSchool(dir).databasePath();
    const QStringList base = {"variant", "--db", path, "--cohort", "2009"};
    const auto run = [&](const QStringList& args, int code = 0) {
        const cli::Run r = cli::kubb(base + args, 120000);
        EXPECT_EQ(r.code, code) << args.join(' ').toStdString() << r.err.toStdString();
        return r;
    };
    const QStringList a = planRows(path);
    EXPECT_EQ(run({"save", "A", "--comment", "vom Dienstag"}).out, "Variante „A“ gespeichert.\n");
    cli::kubb({"block", "--db", path, "--cohort", "2009", "--mode", "all", "--seconds", "2",
               "--threads", "2"},
              120000);
    const QStringList b = planRows(path);
    ASSERT_TRUE(a != b);
    run({"save", "B"});
    EXPECT_EQ(run({"save", "b"}, 1).err, "kubb: Eine Variante „B“ gibt es schon.\n");
    EXPECT_EQ(run({"apply", "C"}, 1).err, "kubb: Eine Variante „C“ gibt es nicht.\n");

    const QString applied = run({"apply", "a"}).out;
    const QRegularExpressionMatch kept =
        QRegularExpression("steht als „(vor Übernahme \\d\\d\\.\\d\\d\\.\\d{4} [0-9:]{8})“")
            .match(applied);
    ASSERT_TRUE(kept.hasMatch()) << applied.toStdString();
    EXPECT_TRUE(planRows(path) == a);
    EXPECT_EQ(run({"diff", "B", kept.captured(1)}).out,
              "Kurse auf anderen Schienen: 0\nSchüler in anderen Kursen: 0\n");

    // A as listed is what kubb evaluate says of the file now, beside its own fields.
    QJsonObject now =
        QJsonDocument::fromJson(
            cli::kubb({"evaluate", "--db", path, "--cohort", "2009", "--json"}).out.toUtf8())
            .object();
    const QJsonArray listed = QJsonDocument::fromJson(run({"list", "--json"}).out.toUtf8()).array();
    ASSERT_EQ(listed.size(), 3);
    QJsonObject first = listed[0].toObject();
    EXPECT_EQ(first.take("name"), "A");
    EXPECT_EQ(first.take("comment"), "vom Dienstag");
    EXPECT_EQ(first.take("changedStudents"), 0);
    EXPECT_EQ(first.take("movedCourses"), 0);
    EXPECT_TRUE(first.take("created").toString().contains('T'));
    EXPECT_EQ(first, now);
    EXPECT_EQ(listed[2].toObject()["name"], kept.captured(1));
    EXPECT_GT(listed[1].toObject()["movedCourses"].toInt(), 0);
}

} // namespace
