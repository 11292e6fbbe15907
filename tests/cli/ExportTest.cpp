// kubb export against the menu "&Exportieren" and the launcher's "Übertragen nach Palexor".
#include "KubbProcess.h"

#include "app/MainWindow.h"
#include "export/frmAKursPh.h"
#include "support/DemoSchool.h"
#include "support/School.h"
#include "support/WinePrefix.h"

#include <QDir>
#include <gtest/gtest.h>

// The menu, the launcher and kubb export write the same four files for each cohort of the demo
// school.
TEST(KubbExport, WritesTheFilesOfTheMenuAndTheLauncher) {
    test::WinePrefix wine;
    test::TempDir work;
    platform::RunState s;
    s.useDatabase(work.path("BB.MDB"));
    test::ScriptedHost host;
    ASSERT_TRUE(test::importDemoSchool(s, host));
    app::MDIKundB main(s, host);
    for (const QString phase : {"2009", "2008"}) {
        for (const QString via : {"menu", "launcher", "kubb"})
            QDir().mkpath(work.path(phase + via));
        const auto choose = [&](const QString& via) {
            host.onOpenFile(work.path(phase + via + "/MERIX.KO"))
                .onModal("frmAKursPh",
                         [phase](ui::Window& w) {
                             auto& chooser = dynamic_cast<exporter::frmAKursPh&>(w);
                             chooser.List1.setCurrent(
                                 static_cast<int>(chooser.List1.lines().indexOf(phase)));
                             chooser.click("Command1");
                         })
                .onMessage(ui::Answer::Ok);
        };
        choose("menu");
        main.click("menuDateiExp");
        choose("launcher");
        main.launcher().click("Export");
        const cli::Run run = cli::kubb({"export", "--db", s.databasePath(), "--cohort", phase,
                                        "--to", work.path(phase + "kubb")});
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(work.path(phase + "kubb/MERIX.GK: ")));
        for (const QString name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"}) {
            const QByteArray menu = work.read(phase + "menu/" + name);
            EXPECT_GT(menu.size(), 2) << name.toStdString();
            EXPECT_EQ(menu, work.read(phase + "launcher/" + name)) << name.toStdString();
            EXPECT_EQ(menu, work.read(phase + "kubb/" + name)) << name.toStdString();
        }
    }
    EXPECT_EQ(host.messages.size(), 4u) << "each export says where its files went";
}

TEST(KubbExport, ACohortTheSchoolYearDoesNotOfferIsAnErrorNamingTheOfferedOnes) {
    test::School s;
    s.student(1, "Abel", "Anna");
    QDir().mkpath(s.tmp.path("merix"));
    const cli::Run run =
        cli::kubb({"export", "--db", s.path(), "--cohort", "2007", "--to", s.tmp.path("merix")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "kubb: Der Kollegiatenjahrgang 2007 wird zum Schuljahr 2009/2010 nicht "
                       "angeboten (angeboten: 2009).\n");
    EXPECT_TRUE(QDir(s.tmp.path("merix")).isEmpty());
}
