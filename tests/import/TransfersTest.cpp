// The ten transfers from the administration container into a new block-formation database, on
// the containers of tools/make_import_fixtures.py (its docstring lists their rows).
#include "ImportTestSupport.h"
#include "VfpTestSupport.h"

#include "db/Database.h"
#include "import/vfp/Error.h"

#include <gtest/gtest.h>

using namespace importtest;

namespace {

const QString kCourses = QStringLiteral("SELECT KS_BEZ, KS_SCHJ FROM kurs ORDER BY KS_ID");

TEST(CourseFilter, TakesTheCoursesOfTheSelectedCohortsAndNoOtherSchoolYear) {
    struct Case {
        QStringList cohorts;
        QStringList courses;
    };
    const QString cur = QStringLiteral("|     9"), prev = QStringLiteral("|     8");
    const Case cases[] = {
        // Year group 12 only: this year's 11 and 50 of kind K.
        {{"2009"}, {"1D1" + cur, "5Inf1" + cur}},
        // Year group 13 only: this year's 12 and 50, last year's 11 and 50, kind K; last
        // year's courses keep last year's key.
        {{"2008"}, {"5Inf1" + cur, "2D1" + cur, "1D2" + prev, "5Ps1" + prev}},
        // Both: every course of both school years, whatever code and kind.
        {{"2009", "2008"},
         {"1D1" + cur, "1LD1" + cur, "5Inf1" + cur, "2D1" + cur, "2LM1" + cur, "1D2" + prev,
          "2D9" + prev, "5Ps1" + prev, "1LE1" + prev, "Chor" + cur}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cohorts.join(QLatin1Char('+')).toStdString());
        test::ScriptedHost host;
        Import imp(container(QStringLiteral("rules")));
        imp.run(host, select2009(c.cohorts));
        EXPECT_EQ(imp.rows(kCourses), c.courses);
    }
}

TEST(Transfers, MapTheFieldsOfEveryTableInTheirOrder) {
    test::ScriptedHost host;
    Import imp(container(QStringLiteral("rules")));
    QStringList announced;
    imp.run(host, select2009({"2009"}), [&](const QString& t) { announced << t; });

    EXPECT_EQ(announced, QStringList({"Schule", "Lehrer", "Schuljahr", "Kurse", "Block", "Kolleg",
                                      "Fachangebot", "Belegung", "Ckkurs"}));
    EXPECT_EQ(imp.rows("SELECT * FROM schule"),
              QStringList({"1|0815|Städtisches Gymnasium am Weißen Stein|Naturwissenschaftlich-"
                           "technologisches Gymnasium|Gymnasium Weißenstein"}));
    EXPECT_EQ(imp.rows("SELECT * FROM lehrer"),
              QStringList({"1|Mü|Müller, Gerda|     1", "2|Hu|Huber, Klaus|     2"}));
    EXPECT_EQ(imp.rows("SELECT * FROM schjahr"), QStringList({"1|2009/2010|1|3|     9"}));
    // Numbers become text as written; minimum, maximum and optimum start at 0.
    EXPECT_EQ(
        imp.rows("SELECT * FROM kurs WHERE KS_BEZ = '1D1'"),
        QStringList({"1|     9|1D1|1|     1|     1|<null>|<null>|<null>|11|K|3|3|     1|0|0|0"}));
    EXPECT_EQ(imp.rows("SELECT * FROM kolleg"),
              QStringList({"1|2009|Adler|Anna|a|     1", "2|2009|Bäcker|Ben|b|     2"}));
    EXPECT_EQ(imp.rows("SELECT * FROM fachang"),
              QStringList({"1|2009|0100|D|LABSCX|3|<null>|     1|D|D|0",
                           "2|2009|0600|M|LABSCX|3|<null>|     2|M|M|0"}));
}

TEST(Transfers, ChoicesOfStudentsOfCohortsNotSelectedStayOut) {
    const QString choices = QStringLiteral("SELECT * FROM belegung ORDER BY BG_ID");
    {
        test::ScriptedHost host;
        Import imp(container(QStringLiteral("rules")));
        imp.run(host, select2009({"2009"}));
        // BG_VFP_ID is the new row's own key.
        EXPECT_EQ(imp.rows(choices),
                  QStringList({"1|     1|     1|<null>|     1|S|     1|<null>",
                               "2|     1|<null>|<null>|     2|L|     2|<null>",
                               "3|     2|<null>|<null>|     1|S|     3|<null>"}));
    }
    test::ScriptedHost host;
    Import imp(container(QStringLiteral("rules")));
    imp.run(host, select2009({"2009", "2008"}));
    EXPECT_EQ(imp.rows("SELECT BG_KO_ID, BG_VFP_ID FROM belegung ORDER BY BG_ID"),
              QStringList({"     1|     1", "     1|     2", "     2|     3", "     3|     4",
                           "     4|     5", "     4|     6"}))
        << "Ernst (2007) is in neither cohort";
}

TEST(Transfers, PlacementsGetTheLocalRailKeyAndLoseCoursesNotImported) {
    const QString placements =
        QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID");
    test::ScriptedHost host;
    Import imp(container(QStringLiteral("rules")));
    imp.run(host, select2009({"2009"}));
    // Rail "    37" is the seventh of the school year: BL_ID 7, key five blanks and "7".
    // Course 2D1 (on rail 37) and the 2007 course are not imported with cohort 2009; the
    // placement on last year's rail 40 is dropped: its key could equal a new rail's. The one on
    // no rail stays, and is no other school year's.
    EXPECT_EQ(imp.rows(placements), QStringList({"     1|     1|<null>|0", "     7|     3|<null>|0",
                                                 "<null>|     3|<null>|0"}));
    EXPECT_EQ(imp.dropped, 1);
    const QStringList rails = imp.rows("SELECT BL_ID, BL_VFP_ID, BL_SCHJ, BL_BEZ, BL_STD, BL_SORT, "
                                       "BL_FIX FROM block ORDER BY BL_ID");
    ASSERT_EQ(rails.size(), 7) << "only the rails of the school year";
    EXPECT_EQ(rails.first(), "1|     1|     9|GK1|3|10|0");
    EXPECT_EQ(rails.last(), "7|     7|     9|GK7|3|70|0");
    EXPECT_EQ(imp.rows("SELECT count(*) FROM block WHERE BL_VFP_ID <> substr('     ' || BL_ID, "
                       "-6)"),
              QStringList({"0"}));

    test::ScriptedHost host13;
    Import year13(container(QStringLiteral("rules")));
    year13.run(host13, select2009({"2008"}));
    EXPECT_EQ(year13.rows(placements),
              QStringList(
                  {"     7|     3|<null>|0", "     7|     4|<null>|0", "<null>|     3|<null>|0"}));

    // A school year without rails: empty block table, and no placement.
    test::ScriptedHost host07;
    Import old(container(QStringLiteral("rules")));
    old.run(host07, {QStringLiteral("     7"), QStringLiteral("2007/2008"), QString(), {"2007"}});
    EXPECT_EQ(old.rows("SELECT count(*) FROM block"), QStringList({"0"}));
    EXPECT_EQ(old.rows(placements), QStringList());
    EXPECT_EQ(old.dropped, 1);
}

TEST(Transfers, AKeyTwiceOrHoursBeyondOneDigitStopTheWholeImport) {
    const auto stops = [](const QString& fixture, const QStringList& cohorts,
                          const QString& message) {
        test::ScriptedHost host;
        Import imp(container(fixture));
        try {
            imp.run(host, select2009(cohorts));
            ADD_FAILURE() << "accepted: " << message.toStdString();
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.message(), message);
        }
        EXPECT_EQ(imp.dump(), QStringList()) << "the rows written before are rolled back";
    };
    stops("teacher_twice", {"2009", "2008"},
          "Import abgebrochen: In der Tabelle lehrer der Schulverwaltung kommt LE_KUERZ = "
          "\"Mü\" doppelt vor; die Blockbildungsdatei erlaubt es nur einmal.");
    stops("long_hours", {"2009", "2008"},
          "Import abgebrochen: Der Kurs 2D1 hat 10 Wochenstunden; das Programm verteilt "
          "höchstens 9.");
    test::ScriptedHost host;
    Import without(container("long_hours"));
    without.run(host, select2009({"2009"}));
    EXPECT_EQ(without.rows("SELECT count(*) FROM kurs WHERE KS_BEZ = '2D1'"), QStringList{"0"})
        << "a course that is not imported stops nothing";
}

TEST(Transfers, ANumberOutOfRangeIsRefusedAsTheContainerHoldsIt) {
    // A field of the first record retyped (descriptor bytes 11: type, 17: decimals) and written.
    const std::tuple<QString, const char*, char, QByteArray, QString> cases[] = {
        {"kurs", "KS_SORT", 'N', "1e30",
         "passt nicht in das Feld KS_SORT der Blockbildungsdatei (-32768 bis 32767)"},
        {"kolleg", "KO_KURSPH", 'N', "1e30",
         "ist keine Zahl, die die Blockbildungsdatei aufnehmen kann"},
        {"fachang", "FA_BELEG", 'B', QByteArray::fromHex("000000000000f87f"), // NaN
         "ist keine Zahl, die die Blockbildungsdatei aufnehmen kann"},
    };
    for (const auto& [table, field, type, value, said] : cases) {
        vfptest::Scratch copy(vfptest::dataDir() + QStringLiteral("/rules"));
        const QString file = table + QStringLiteral(".dbf");
        const qint64 descriptor = copy.descriptor(file, field);
        copy.patch(file, descriptor + 11, QByteArray(1, type));
        copy.patch(file, descriptor + 17, QByteArray(1, type == 'N' ? 1 : 0));
        copy.patch(file, copy.valueAt(file, 0, field), value);
        test::ScriptedHost host;
        Import imp(copy.path(QStringLiteral("QZ.DBC")));
        try {
            imp.run(host, select2009({"2009"}));
            ADD_FAILURE() << field << " imported";
        } catch (const vfp::Error& e) {
            EXPECT_EQ(e.message(),
                      QStringLiteral("Der Wert \"%1\" im Feld %2 in Satz 1 der Datei %3 %4.")
                          .arg(type == 'B' ? "nan" : value, field,
                               vfp::displayPath(copy.path(file)), said));
        }
        EXPECT_EQ(imp.dump(), QStringList());
    }
}

TEST(Transfers, ADamagedTableIsReportedAndLeavesTheTablesEmpty) {
    vfptest::Scratch copy(vfptest::dataDir() + QStringLiteral("/rules"));
    const QString belegGk = copy.path(QStringLiteral("beleg_gk.dbf"));
    copy.truncate(QStringLiteral("beleg_gk.dbf"),
                  copy.read(QStringLiteral("beleg_gk.dbf")).size() - 40);
    test::ScriptedHost host;
    Import imp(copy.path(QStringLiteral("QZ.DBC")));
    try {
        imp.run(host, select2009({"2009", "2008"}));
        FAIL() << "the truncated beleg_gk.dbf was read";
    } catch (const vfp::Error& e) {
        EXPECT_TRUE(
            e.message().startsWith("Die Datei " + vfp::displayPath(belegGk) + " ist beschädigt: "))
            << e.message().toStdString();
    }
    EXPECT_EQ(imp.dump(), QStringList());
}

TEST(Transfers, AContainerWithoutCoursesSaysSoAndImportsTheRest) {
    test::ScriptedHost host;
    // Its only course record is deleted: the table has no course.
    host.onMessage("Kursdatei fehlt für Schuljahr: 2009/2010!\r\nErstellen Sie die Kursdatei in "
                   "Orvid! Importieren Sie aufs Neue!");
    Import imp(container(QStringLiteral("no_courses")));
    imp.run(host, select2009({"2009"}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Kurs- und Blockbildung");
    EXPECT_EQ(host.messages[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(imp.rows("SELECT count(*) FROM kurs"), QStringList({"0"}));
    EXPECT_EQ(imp.rows("SELECT count(*) FROM kolleg"), QStringList({"2"}));
}

} // namespace
