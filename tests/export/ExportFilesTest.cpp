// The four files compared whole, byte for byte, with contents worked out by hand on a small
// school of the school year 2008/2009 (key "     3").
#include "ExportSchool.h"

#include "export/Export.h"

#include <gtest/gtest.h>

using namespace test;

namespace {

const QVariant null;

// Three students of cohort 2007 (year 13 in 2008/2009), one of 2008 (year 12), one of 2006;
// their choices in an order that interleaves the students; four rails, one of another school
// year; six placed courses that find their rail and course in every way there is.
struct Files : ::testing::Test, ExportSchool {
    void SetUp() override {
        db.insert("fachang", {{"FA_KURSPH", "2007"}, {"FA_PSCHL", "0600"}, {"FA_VFP_ID", "FA01"}});
        db.insert("fachang", {{"FA_KURSPH", "2008"}, {"FA_PSCHL", "0100"}, {"FA_VFP_ID", "FA02"}});
        course("KS01", "Ma1");
        course("KS02", "Ma3");
        course("KS03", " d2 ");
        course("KS04", "1D1");
        course("KS05", "Ek2");
        student("ST01", "2007", QString::fromUtf8("Müller"), QString::fromUtf8("Jörg"));
        student("ST02", "2008", "Abel", "Anna");
        // A family name fills its 30 characters: the first name follows it directly.
        student("ST03", "2007", "Schmidt-Leutheusser-Schnarrenb", "Sabine");
        student("ST04", "2007", QString::fromUtf8("Özdemir"), null);
        student("ST05", "2006", "Alt", "Otto");
        choice("ST01", "S", "KS01", "KS02", "FA01");
        choice("ST02", "S", null, "KS02", "FA02");   // year 12 with a year-13 course only
        choice("ST01", "L", "KS01", "KS02", "FA01"); // advanced course: no GK record
        choice("ST01", null, "KS01", null, "FA01");  // no type: no GK record
        choice("ST03", "S", "KS04", null, "FA01");
        choice("ST01", "S", null, "KS03", "FA02"); // year 13 only
        choice("ST01", "m", "XX99", null, "FA99"); // a key that names no course or subject
        choice("ST01", "S", null, null, "FA01");   // no course at all: skipped
        choice("ST02", "S", "KS04", "KS05", "FA02");
        choice("ST02", "S", "XX99", null, "FA02");
        choice("ST05", "S", "KS01", null, "FA01");
        rail(1, "     3", "S1", "Schiene 1", 1, 3);
        rail(2, "     3", " S2", null, null, null);
        rail(3, "     4", "S9", "Vorjahr", 9, 2);
        rail(4, "     3", QString::fromUtf8("Ü4"), QString::fromUtf8("Übung"), -2, 2);
        placed("     1", "KS01", null);     // left by the import: rail by the number, BL_ID 1
        placed("     2", "KS03", "     2"); // saved: rail by its key as written
        placed("     7", "KS02", null);     // no rail 7
        placed("     1", "XX99", "     4"); // no such course
        placed("1", "KS02", "     5");      // saved: "1" is not the key "     1"
        placed("3", "KS04", null);          // the number 3 finds the rail of the other year
    }
};

const QByteArray kMuellerKey = "2007M\xFCller                        J\xF6rg";

} // namespace

TEST_F(Files, Year13CohortWholeFiles) {
    answer("2007");
    host.onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, host);
    EXPECT_EQ(host.messages.size(), 1u) << "where the files went";
    EXPECT_EQ(entries(), QStringList({"MERIX.BL", "MERIX.CK", "MERIX.GK", "MERIX.KO"}));

    EXPECT_EQ(file("MERIX.KO"),
              crlf(QByteArrayList{"06_KO_68"} + koRecord("2007", "M\xFCller", "J\xF6rg") +
                   koRecord("2007", "Schmidt-Leutheusser-Schnarrenb", "Sabine") +
                   koRecord("2007", "\xD6zdemir", "Null")));
    EXPECT_EQ(file("MERIX.GK"),
              crlf(QByteArrayList{"06_GK_30"} +
                   gkRecord(kMuellerKey, "2007/2008Ma1", "2008/2009Ma3", "20070600", "S") +
                   gkRecord(kMuellerKey, "*", "2008/2009d2", "20080100", "S") +
                   gkRecord(kMuellerKey, "2007/2008XX99", "*", "FA99", "m") +
                   gkRecord("2007Schmidt-Leutheusser-SchnarrenbSabine", "2007/20081D1", "*",
                            "20070600", "S")));
    EXPECT_EQ(file("MERIX.BL"),
              crlf({"06_BL_05", "*SYNC*", "2008/2009", "S1", "Schiene 1", "1", "3", "*SYNC*",
                    "2008/2009", " S2", "*", "*", "*", "*SYNC*", "2008/2009",
                    "\xDC"
                    "4",
                    "\xDC"
                    "bung",
                    "-2", "2"}));
    const auto ck = [](const QByteArray& rail, const QByteArray& course) {
        return QByteArrayList{"*SYNC*", rail, course} + stars(5);
    };
    EXPECT_EQ(file("MERIX.CK"),
              crlf(QByteArrayList{"06_CK_07"} + ck("2008/2009S1", "2008/2009Ma1") +
                   ck("2008/2009S2", "2008/2009d2") + ck("*", "2008/2009Ma3") +
                   ck("2008/2009S1", "*") + ck("*", "2008/2009Ma3") +
                   ck("2008/2009S9", "2008/20091D1") + QByteArrayList{""}));

    const QString mueller = QString::fromUtf8("Müller");
    EXPECT_EQ(host.statuses,
              QStringList({"Kollegiatentabelle: " + mueller, "Grundkurse: " + mueller,
                           "Grundkurse: " + mueller, "Grundkurse: " + mueller,
                           "Kollegiatentabelle: Schmidt-Leutheusser-Schnarrenb",
                           "Grundkurse: Schmidt-Leutheusser-Schnarrenb",
                           QString::fromUtf8("Kollegiatentabelle: Özdemir"), "Block", ""}));
}

TEST_F(Files, Year12CohortWholeFiles) {
    answer("2008");
    host.onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, host);
    EXPECT_EQ(file("MERIX.KO"),
              crlf(QByteArrayList{"06_KO_68"} + koRecord("2008", "Abel", "Anna")));
    const QByteArray key = "2008Abel                          Anna";
    EXPECT_EQ(file("MERIX.GK"),
              crlf(QByteArrayList{"06_GK_30"} + gkRecord(key, "2008/2009", "*", "20080100", "S") +
                   gkRecord(key, "2008/20091D1", "*", "20080100", "S") +
                   gkRecord(key, "2008/2009XX99", "*", "20080100", "S")));
}

TEST_F(Files, WithoutPlacedCoursesMerixCkIsOneEmptyLine) {
    db.scalar("DELETE FROM ckkurs");
    db.scalar("DELETE FROM block");
    answer("2008");
    host.onMessage(ui::Answer::Ok);
    exporter::exportCommand(s, host);
    EXPECT_EQ(file("MERIX.CK"), "\r\n");
    EXPECT_EQ(file("MERIX.BL"), "06_BL_05\r\n");
}

TEST_F(Files, TheSchoolYearOffersItsFirstYearAndTheYearBeforeWhereStudentsHaveThem) {
    db::Connection c(db.path());
    EXPECT_EQ(exporter::coursePhases(c, "2008/2009"), QStringList({"2008", "2007"}));
    EXPECT_EQ(exporter::coursePhases(c, "2007/2008"), QStringList({"2007", "2006"}));
    EXPECT_EQ(exporter::coursePhases(c, "2009/2010"), QStringList({"2008"}));
    EXPECT_EQ(exporter::coursePhases(c, "2011/2012"), QStringList());
}
