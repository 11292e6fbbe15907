// kubb_crash_probe MODE DIR [FILE]: one flow of the program that writes files, run on the files in
// DIR (a block-formation database BB.MDB and the pointer file TCLASSK) with the scripted host
// playing the planner. The crash test kills it at each write step. Exit code 0 when the flow
// completed.
//   ja      the workspace closes with "Ja" after a course moved to another rail
//   nein    the same, saved with "Nein" into the new file NEU.MDB
//   import  the import window over the existing FILE (ALT.MDB when not given), one cohort
#include "import/ErzKuB.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "support/ScriptedHost.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

void closeWorkspace(platform::RunState& s, test::ScriptedHost& host, bool here) {
    placement::SetzenK w(s, host);
    w.Form_Load();
    // The first rail's first course in place of the second rail's; the first rail emptied.
    auto& rails = w.plan.rails;
    std::vector<placement::Placed>& second = rails.at(1).courses;
    second.resize(std::max<size_t>(second.size(), 1));
    second[0] = rails.at(0).courses.at(0);
    rails[0].courses.clear();
    w.showRails();
    host.onMessage(here ? ui::Answer::Yes : ui::Answer::No);
    if (!here)
        host.onSaveFile(s.DatenPfad + QStringLiteral("NEU.MDB"));
    if (w.Form_Unload() != placement::SetzenK::Closing::Close)
        throw std::runtime_error("the workspace stayed open");
}

void import(platform::RunState& s, test::ScriptedHost& host, const QString& file) {
    host.onModal(QStringLiteral("ErzKuB"),
                 [](ui::Window& window) {
                     auto& w = static_cast<importer::ErzKuB&>(window);
                     w.cmdSeek_Click();
                     w.lstSJ.setCurrent(
                         w.lstSJ.lines().indexOf(QStringLiteral("2009/2010          9")));
                     w.lstSJ_Click();
                     w.lstKollJahrg.setSelected(0, true); // 2009
                     w.Befehl1_Click();
                 })
        .onOpenFile(QStringLiteral(KUBB_SOURCE_DIR "/tests/import/data/rules/QZ.DBC"))
        .onSaveFile(s.DatenPfad + file)
        .onMessage(ui::Answer::Yes) // replace the old file
        .onMessage(QStringLiteral("Kurse werden vorbesetzt!"))
        .onModal(QStringLiteral("frmFMld")) // the courses the pre-assignment could not give
        .onMessage(ui::Answer::Ok);         // the placement on a rail of another school year
    if (!importer::importCommand(s, host))
        throw std::runtime_error("the import did not complete");
}

} // namespace

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: kubb_crash_probe ja|nein|import DIR/ [FILE]\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString dir = QString::fromLocal8Bit(argv[2]);
    qputenv("WINEPREFIX", (dir + QStringLiteral("wine")).toLocal8Bit()); // no INI file there
    platform::RunState s;
    s.ProgPfad = dir;
    s.useDatabase(dir + QStringLiteral("BB.MDB"));
    s.SchjBez = QStringLiteral("2009/2010");
    s.SchjID = QStringLiteral("     9");
    try {
        test::ScriptedHost host;
        if (mode == "ja" || mode == "nein")
            closeWorkspace(s, host, mode == "ja");
        else if (mode == "import")
            import(s, host,
                   argc == 4 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("ALT.MDB"));
        else
            throw std::runtime_error("unknown mode");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kubb_crash_probe %s: %s\n", argv[1], e.what());
        return 1;
    }
    // The scripted host reports a prompt it did not expect as a test failure.
    return ::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed() ? 1 : 0;
}
