// kubb propose on the demo school: counts, rails needed with their proof, a copy written beside
// the file, what if; misuse refused.
#include "KubbProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

TEST(KubbPropose, RailsNeededAreProvenAndTheCopyLeavesTheFileAsItWas) {
    test::TempDir dir;
    const QString db = cli::demoSchool(dir).databasePath();
    const QByteArray before = dir.read("BB.MDB");
    const QStringList propose{"propose", "--db", db, "--cohort", "2009", "--max-size", "26"};
    const QString out = cli::ok(propose + QStringList{"--rails-into", dir.path("S.MDB")});
    EXPECT_TRUE(out.contains("  Sk GK: 120 Schüler in 5 Kursen")) << out.toStdString();
    EXPECT_TRUE(out.contains("  Schienen nötig: 18 (in der Datei 14), bewiesen\n"));
    EXPECT_TRUE(out.contains("  Schienen hinzugefügt: GK12, GK13, GK14, GK15\n"));
    EXPECT_EQ(dir.read("BB.MDB"), before);
    EXPECT_TRUE(cli::ok({"evaluate", "--db", dir.path("S.MDB"), "--cohort", "2009"})
                    .contains("Kollisionen (Schüler): 0\n"));

    const QJsonObject json =
        QJsonDocument::fromJson(
            cli::ok(propose + QStringList{"--json", "--without", "1Sk5", "--seconds", "2"})
                .toUtf8())
            .object();
    EXPECT_EQ(json["whatIf"].toObject()["changes"].toArray(), QJsonArray{"ohne 1Sk5"});
    EXPECT_EQ(json["whatIf"].toObject()["evaluation"].toObject()["courses"].toInt(), 87);
    EXPECT_EQ(dir.read("BB.MDB"), before) << "what if writes nothing";
}

TEST(KubbPropose, RefusesWhatItCannotDoBeforeSearching) {
    test::TempDir dir;
    const QString db = cli::demoSchool(dir).databasePath();
    const QStringList propose{"propose", "--db", db, "--cohort", "2009"};
    const std::tuple<QStringList, int, QString> rows[] = {
        {propose + QStringList{"--max-size", "0"}, 2, "--max-size braucht eine ganze Zahl ab 1"},
        {propose + QStringList{"--rails-into", dir.path("S.MDB"), "--without", "1D2"}, 2,
         "--rails-into schreibt die Schienen der Datei, wie sie ist"},
        {propose + QStringList{"--without", "X9"}, 1, "Der Jahrgang 2009 hat keinen Kurs X9."},
        {propose + QStringList{"--without", "1LF1"}, 1,
         "Ohne 1LF1 hätten seine Schüler keinen Kurs ihres Fachs mehr."},
        {propose + QStringList{"--rails-into", db}, 1,
         "Die Kopie darf nicht die Blockbildungsdatei"},
    };
    for (const auto& [args, code, said] : rows) {
        const cli::Run run = cli::kubb(args);
        EXPECT_EQ(run.code, code) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(said)) << run.err.toStdString();
    }
}

TEST(KubbPropose, TheCopyIsWholeOrAbsentWhereverKubbIsKilled) {
    if (!cli::canTrace())
        GTEST_SKIP() << "strace is missing or cannot trace here";
    test::TempDir dir;
    const QString db = cli::demoSchool(dir).databasePath();
    const QByteArray before = dir.read("BB.MDB");
    const QString copy = dir.path("S.MDB");
    const QStringList args{"propose", "--db",      db,  "--cohort",     "2009", "--seconds",
                           "5",       "--threads", "1", "--rails-into", copy};
    for (const char* call : {"write", "pwrite64", "fsync", "rename"})
        for (const int at : {1, 3, 12}) {
            SCOPED_TRACE(QStringLiteral("%1 no. %2").arg(call).arg(at).toStdString());
            QFile::remove(copy);
            const cli::Run r =
                cli::traced({"-e", QStringLiteral("trace=%1").arg(call), "-e",
                             QStringLiteral("inject=%1:signal=KILL:when=%2").arg(call).arg(at)},
                            args);
            EXPECT_EQ(dir.read("BB.MDB"), before);
            EXPECT_TRUE(r.code == -1 || (r.code == 0 && QFile::exists(copy)))
                << r.err.toStdString();
            if (QFile::exists(copy)) {
                const QString e = cli::ok({"evaluate", "--db", copy, "--cohort", "2009"});
                EXPECT_TRUE(e.startsWith("Jahrgang 2009 (Jahrgangsstufe 12): 120 Schüler, 88 "
                                         "Kurse, 18 Schienen\nKollisionen (Schüler): 0\n"))
                    << e.toStdString();
            }
        }
}
