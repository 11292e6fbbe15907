// kubb print and kubb export against the menu commands, and how a printout fails.
#include "KubbProcess.h"

#include "app/MainWindow.h"
#include "export/frmAKursPh.h"
#include "printing/frmBlKuListen.h"

namespace {

// Runs kubb, which writes the printout to `file` as `format` (--text or --pdf): its bytes.
QByteArray printed(const QStringList& args, const QString& format, const QString& file) {
    cli::ok(args + QStringList{format, file});
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList textLines(const QByteArray& text) {
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// Both printouts of the demo school through the main window's menu, and the launcher's "Export"
// (the menu's command) of each cohort, against kubb: the same lines, the same four files.
TEST(KubbPrintAndExport, GiveWhatTheMenuCommandsGive) {
    test::WinePrefix wine;
    test::TempDir work;
    platform::RunState s = cli::demoSchool(work);
    test::ScriptedHost host;
    app::MDIKundB main(s, host);
    main.click("menuDruckS");
    host.onModal("frmBlKuListen", [](ui::Window& w) {
        auto& lists = static_cast<printing::frmBlKuListen&>(w);
        lists.cmbKollJahrg.setCurrent(1);
        lists.cmbKollJahrg_Click();
        for (int i = 0; i < lists.lstBlock.count(); ++i)
            lists.lstBlock.setSelected(i, i % 2 == 0);
        lists.OptQuer_Click();
        lists.click("cmdDruck");
    });
    main.click("menuDruckenBlKuListen");
    ASSERT_EQ(host.printJobs.size(), 2u);
    const QStringList& rails = host.printJobs[0].lines;
    const QStringList& lists = host.printJobs[1].lines;
    EXPECT_GT(rails.size(), 30);
    EXPECT_EQ(lists.count("\f"), 2) << "120 students of 2008 on three pages";

    const QString db = s.databasePath();
    EXPECT_EQ(textLines(printed({"print", "rails", "--db", db}, "--text", work.path("rails.txt"))),
              rails);
    const QStringList listArgs = {"print",      "lists", "--db",    db,
                                  "--cohort",   "2008",  "--rails", "LK1,LK3,GK2,GK4,GK6,GK8,GK10",
                                  "--landscape"};
    EXPECT_EQ(textLines(printed(listArgs, "--text", work.path("lists.txt"))), lists);
    // Without a display kubb writes the same pages as PDF.
    const QByteArray pdf = printed(listArgs, "--pdf", work.path("lists.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")), 3);

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
        const QString out =
            cli::ok({"export", "--db", db, "--cohort", phase, "--to", work.path(phase + "kubb")});
        EXPECT_TRUE(out.contains(work.path(phase + "kubb/MERIX.GK: ")));
        for (const QString name : {"MERIX.KO", "MERIX.GK", "MERIX.BL", "MERIX.CK"}) {
            const QByteArray launcher = work.read(phase + "launcher/" + name);
            EXPECT_GT(launcher.size(), 2) << name.toStdString();
            EXPECT_EQ(launcher, work.read(phase + "kubb/" + name)) << name.toStdString();
        }
    }
    EXPECT_EQ(host.messages.size(), 2u) << "each export says where its files went";
}

// A printout whose last write or whose sync fails (strace injects the error) keeps the previous
// file, names the cause and ends with 1, as text and as PDF.
TEST(KubbPrint, AFailedWriteOrSyncKeepsThePreviousPrintout) {
    if (!cli::canTrace())
        GTEST_SKIP() << "strace is missing or cannot trace here";
    test::School s;
    s.rail(1, "S1", 4);
    s.place(1, s.course(1, "Ma1"));
    const QString out = s.tmp.path("out");
    for (const QString format : {"--text", "--pdf"}) {
        QFile::remove(out);
        const QStringList args = {"print", "rails", "--db", s.path(), format, out};
        // The number of the printout's last write among all writes of the run, found by the
        // folder of the file it goes to (its temporary file may have no name of its own); a
        // sanitizer's own writes may come after it.
        QProcess count;
        count.start("strace", QStringList{"-f", "-qq", "-y", "-o", s.tmp.path("calls"), "-e",
                                          "trace=write", cli::kKubb} +
                                  args);
        ASSERT_TRUE(count.waitForFinished(60000));
        int writes = 0;
        int seen = 0;
        for (const QByteArray& call : s.tmp.read("calls").split('\n'))
            if (call.contains("write(")) {
                ++seen;
                if (call.contains(("<" + s.tmp.dir()).toUtf8()))
                    writes = seen;
            }
        ASSERT_GT(writes, 0);
        const QByteArray previous = s.tmp.read("out");
        ASSERT_FALSE(previous.isEmpty());
        for (const auto& [inject, cause] : std::vector<std::pair<QString, QString>>{
                 {QString("write:error=ENOSPC:when=%1").arg(writes), "No space left on device"},
                 {QString("write:error=EIO:when=%1").arg(writes), "Input/output error"},
                 {"fsync:error=EIO", "Input/output error"}}) {
            SCOPED_TRACE((format + " " + inject).toStdString());
            const cli::Run run = cli::traced({"-e", "inject=" + inject}, args);
            EXPECT_EQ(run.code, 1);
            EXPECT_TRUE(run.err.contains(out + ": Schreibfehler! (" + cause + ")"));
            EXPECT_EQ(s.tmp.read("out"), previous);
            EXPECT_EQ(QDir(s.tmp.dir()).entryList(QDir::Files),
                      QStringList({"BB.MDB", "calls", "out"}));
        }
    }
}
