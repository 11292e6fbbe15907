// kubb export against the menu "&Exportieren" and the launcher's "Übertragen nach Palexor".
#include "KubbProcess.h"

#include "app/MainWindow.h"
#include "export/frmAKursPh.h"
#include "support/School.h"
#include "support/WinePrefix.h"

#include <QDir>
#include <gtest/gtest.h>

// The launcher's "Export" (the menu's command) and kubb export write the same four files for each
// cohort of the demo school.
TEST(KubbExport, WritesTheFilesOfTheLaunchersExport) {
    test::WinePrefix wine;
    test::TempDir work;
    platform::RunState s = cli::demoSchool(work);
    test::ScriptedHost host;
    app::MDIKundB main(s, host);
    for (const QString phase : {"2009", "2008"}) {
        for (const QString via : {"launcher", "kubb"})
            QDir().mkpath(work.path(phase + via));
        host.onOpenFile(work.path(phase + "launcher/MERIX.KO"))
            .onModal("frmAKursPh",
                     [phase](ui::Window& w) {
                         auto& chooser = dynamic_cast<exporter::frmAKursPh&>(w);
                         chooser.List1.setCurrent(
                             static_cast<int>(chooser.List1.lines().indexOf(phase)));
                         chooser.click("Command1");
                     })
            .onMessage(ui::Answer::Ok);
        main.launcher().click("Export");
        const cli::Run run = cli::kubb({"export", "--db", s.databasePath(), "--cohort", phase,
                                        "--to", work.path(phase + "kubb")});
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(work.path(phase + "kubb/MERIX.GK: ")));
        for (const QString name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"}) {
            const QByteArray launcher = work.read(phase + "launcher/" + name);
            EXPECT_GT(launcher.size(), 2) << name.toStdString();
            EXPECT_EQ(launcher, work.read(phase + "kubb/" + name)) << name.toStdString();
        }
    }
    EXPECT_EQ(host.messages.size(), 2u) << "each export says where its files went";
}
