// The pre-assignment after an import, on the "preassign" container imported with both cohorts
// of 2009/2010 (tools/make_import_fixtures.py lists every choice and what it should get).
#include "ImportSupport.h"

using namespace importtest;

namespace {

// Each choice with the designations of its two course fields.
const QString kAssigned =
    QStringLiteral("SELECT BG_ID, k12.KS_BEZ, k13.KS_BEZ FROM belegung "
                   "LEFT JOIN kurs k12 ON k12.KS_VFP_ID = BG_KS_ID_12 "
                   "LEFT JOIN kurs k13 ON k13.KS_VFP_ID = BG_KS_ID_13 ORDER BY BG_ID");

const QStringList kExpected = {
    "1|1D1|<null>",     // year 12: the first course
    "2|<null>|<null>",  // type B does not count in year 12
    "3|5Inf1|<null>",   // only a combined course
    "4|1E1|<null>",     // type A counts in year 12
    "5|1D2|<null>",     // already assigned
    "6|1D2|2D2",        // 1D2 leads to 2D2, though 2D1 comes first
    "7|<null>|2LM1",    // advanced: kind L only, though 2M1 comes first
    "8|<null>|2D1",     // no year-12 course: the first
    "9|<null>|5Inf1",   // no course with code 12: the one with code 50
    "10|<null>|<null>", // type A does not count in year 13
    "11|1D7|2D1",       // no course named like 1D7: the first
    "12|<null>|2M1",    // basic course: kind K
    "13|<null>|2Ph1",   // type B counts in year 13
    "14|<null>|2Ku1",   // found through the second subject column
    "15|<null>|<null>", // no course for It
    "16|<null>|<null>", // a subject key fachang does not know
    "17|<null>|2D2",    // already assigned
    "18|<null>|<null>", // a student of 2007, in neither cohort: not listed either
};

const QString kLines = QStringLiteral("2008: Fach: It   Fuchs\r\n2008: Fach: 1234 Fuchs\r\n");

TEST(PreAssignment, GivesEachOpenChoiceACourseAndShowsTheOnesWithoutToPrint) {
    Import imp(container(QStringLiteral("preassign")));
    imp.run(select2009({"2009", "2008"}));
    db::Connection(imp.path).insert(
        "kolleg", {{"KO_KURSPH", "2007"}, {"KO_FAMNAME", "Ernst"}, {"KO_VFP_ID", "    50"}});
    db::Connection(imp.path).insert(
        "belegung",
        {{"BG_KO_ID", "    50"}, {"BG_FA_ID", "    99"}, {"BG_ART", "S"}, {"BG_VFP_ID", "    50"}});
    test::ScriptedHost host;
    common::frmFMld window(host);
    EXPECT_EQ(importer::Vorbesetzen(imp.state, host, window), kLines);
    EXPECT_EQ(window.txtFMld, kLines);
    EXPECT_EQ(imp.rows(kAssigned), kExpected);
    // The status line names each assignment and is cleared at the end.
    EXPECT_TRUE(host.statuses.contains("2008: Cramer                        : 2D2"))
        << host.statuses.join('\n').toStdString();
    EXPECT_EQ(host.statuses.last(), "");

    // A second run fills only gaps: nothing changes.
    common::frmFMld again(host);
    EXPECT_EQ(importer::Vorbesetzen(imp.state, host, again), kLines);
    EXPECT_EQ(imp.rows(kAssigned), kExpected);

    // The choices without course are shown in the message window, to print.
    host.onModal("frmFMld", [](ui::Window& w) {
        auto& window = static_cast<common::frmFMld&>(w);
        EXPECT_EQ(window.caption(), "Kurszuweisung nicht möglich:");
        window.cmddrucken_Click();
        window.cmdgelesen_Click();
    });
    importer::runPreAssignment(imp.state, host);
    ASSERT_EQ(host.printJobs.size(), 1u);
    EXPECT_EQ(host.printJobs[0].lines,
              QStringList({"Kurszuweisung nicht möglich:", "", "2008: Fach: It   Fuchs",
                           "2008: Fach: 1234 Fuchs"}));
    EXPECT_TRUE(host.printJobs[0].operations.contains("font Courier New 10"));
    EXPECT_TRUE(host.printJobs[0].ended);
}

} // namespace
