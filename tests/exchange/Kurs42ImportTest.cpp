// A Kurs42 export taken in and handed back: a small blocking built by hand as the reader would
// give it, its figures worked out on paper.
#include "exchange/Kurs42Import.h"
#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Rules.h"
#include "db/Database.h"
#include "exchange/Kurs42.h"
#include "exchange/Kurs42Export.h"
#include "support/ScriptedHost.h"
#include "support/TestDb.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

namespace k42 = exchange::kurs42;

k42::StudentKey student(int n) {
    return {QStringLiteral("Süncksen%1").arg(n), QStringLiteral("Anna"),
            QStringLiteral("0%1.03.2007").arg(n % 10), n % 2 ? 3 : 4};
}

// 3 subjects, 6 courses on 4 rails of 3 hours: PXSP-PJK1 (6 hours) over rails 0 and 2, D-GK2
// fixed on rail 1, M-LK1 barred from rails 0 and 1. Students 1-3 take D-GK1 M-LK1 VM-VTF2,
// 4-5 D-GK2 M-LK1 PXSP-PJK1 (both on rail 2: 2 collisions), 6-8 D-GK2 M-GK1 PXSP-PJK1,
// 9 D-GK1 M-GK1 VM-VTF2, 10 D-GK1 M-GK1 and a VTF choice without course.
k42::Export handBuilt() {
    k42::Export e;
    e.blocking = {"Q1", 2023, 2, "Blockung (09.04.2024)", "123456", {{"GUID", "{76D9}"}}};
    const char* krz[] = {"D", "M", "PX_Info"};
    for (int i = 0; i < 3; ++i)
        e.subjects.push_back({i + 2, i + 1, krz[i], krz[i] + QString(" lang"), krz[i], i + 1, {}});
    const char* rails[] = {"Grundkurs 1", "Grundkurs 2", "Grundkurs 3", "Grundkurs 12"};
    for (int r = 0; r < 4; ++r)
        e.rails.push_back({r + 2, r + 1, rails[r], {{"Stundenplan", "0110"}}});
    // Line, id, subject, name, teacher, room, hours, kind, rails, barred, parallel count and
    // number.
    e.courses = {{2, -2, "D", "D-GK1", "L073", "", 3, "GK", 1, {}, 2, 1, {}},
                 {3, -3, "D", "D-GK2", "", "", 3, "GK", 1, {}, 2, 2, {}},
                 {4, -4, "M", "M-LK1", "Müller-Lüdenscheidt", "", 3, "LK", 1, {0, 1}, 1, 1, {}},
                 {5, -5, "M", "M-GK1", "L073", "", 3, "GK", 1, {}, 1, 1, {}},
                 {6, -6, "PX_Info", "PXSP-PJK1", "", "", 6, "PJK", 2, {}, 1, 1, {}},
                 {7, -7, "PX_Info", "VM-VTF2", "", "", 3, "VTF", 1, {}, 1, 1, {}}};
    e.placements = {{2, 0, "D-GK1", false}, {3, 0, "PXSP-PJK1", false},
                    {4, 1, "D-GK2", true},  {5, 1, "VM-VTF2", false},
                    {6, 2, "M-LK1", false}, {7, 2, "PXSP-PJK1", false},
                    {8, 3, "M-GK1", false}};
    for (int s = 1; s <= 10; ++s) {
        e.students.push_back({s + 1, student(s), s, 2, "Q1", "Q1", s == 7 ? 0 : 81380 + s, {}});
        const auto choose = [&](const char* fach, const char* kind, const char* kurs) {
            const int line = int(e.choices.size()) + 2;
            e.choices.push_back({line, student(s), fach, kind, kurs, {{"Note", "08"}}});
        };
        choose("D", "GKS", s <= 3 || s >= 9 ? "D-GK1" : "D-GK2");
        choose("M", s <= 5 ? "LK1" : "GKM", s <= 5 ? "M-LK1" : "M-GK1");
        choose("PX_Info", s >= 4 && s <= 8 ? "PJK" : "VTF",
               s >= 4 && s <= 8 ? "PXSP-PJK1" : (s == 10 ? "" : "VM-VTF2"));
    }
    return e;
}

// Imported: its figures, its long names shortened where the file's fields are short (and still
// nameable in rules), and the cohort exported back as it went.
TEST(Kurs42Import, HandBuiltExportIsEvaluatedGetsShortNamesAndComesBackAsItWent) {
    test::TempDir dir;
    const QString path = dir.path("BB.MDB");
    test::ScriptedHost host;
    const k42::ImportResult result = k42::importExport(handBuilt(), path, dir.dir(), host);
    ASSERT_TRUE(result.imported);
    EXPECT_EQ(result.schjBez, "2023/2024");
    EXPECT_EQ(result.report, QStringList());
    EXPECT_TRUE(QFile::exists(dir.path("TCLASSK")));

    db::Connection c(path);
    const blocking::Model m = blocking::Model::load(c, {result.schjId, result.schjBez}, 2023);
    const blocking::Evaluation ev = blocking::evaluate(m);
    EXPECT_EQ(std::tuple(ev.students, ev.courses, ev.collisions, ev.withoutCourse, ev.unplaced,
                         ev.surplus, ev.rules, ev.ruleViolations, ev.largestDifference),
              std::tuple(10, 6, 2, 1, 0, 0, true, 0, 1));
    EXPECT_EQ(test::rowsOf(path, "SELECT KS_BEZ, KS_LKGK, KS_JGST FROM kurs ORDER BY KS_ID"),
              (QStringList{"D-GK1|G|12", "D-GK2|G|12", "M-LK1|L|12", "M-GK1|G|12", "PXSPP1|G|12",
                           "VMVTF2|G|12"}));
    EXPECT_EQ(
        test::rowsOf(path, "SELECT BG_ART, count(*) FROM belegung GROUP BY BG_ART ORDER BY 1"),
        (QStringList{"C|5", "L|5", "S|10", "X|10"}));
    EXPECT_EQ(test::rowsOf(path, "SELECT BL_BEZ FROM block ORDER BY BL_ID"),
              (QStringList{"Grund1", "Grund2", "Grund3", "Grun12"}));
    EXPECT_EQ(test::rowsOf(path, "SELECT FA_PSCHL FROM fachang ORDER BY FA_ID"),
              (QStringList{"D", "M", "PXIn"}));

    // Every value of the records is written: the same files mean the same records.
    EXPECT_EQ(k42::render(k42::exportCohort(c, "2023")), k42::render(handBuilt()));
    blocking::addRule(c, result.schjId, "course-not-on-rail", {"pxsp-pjk1", "Grundkurs 12"});
    EXPECT_EQ(blocking::listRules(c, result.schjId).last(), "course-not-on-rail PXSPP1 Grun12");

    // Q2: the cohort a year older in year group 13, with its own course fields, and back alike.
    k42::Export q2 = handBuilt();
    q2.blocking.jahrgang = "Q2";
    for (k42::Student& st : q2.students)
        st.jahrgang = "Q2";
    const QString path13 = dir.path("Q2.MDB");
    ASSERT_TRUE(k42::importExport(q2, path13, dir.dir(), host).imported);
    EXPECT_EQ(test::rowsOf(path13, "SELECT count(BG_KS_ID_12), count(BG_KS_ID_13) FROM belegung"),
              QStringList{"0|29"});
    EXPECT_EQ(
        test::rowsOf(path13, "SELECT DISTINCT KS_JGST, KS_FA_ID1, KS_FA_ID3 IS NULL FROM kurs"),
        QStringList{"13|<null>|0"});
    db::Connection c13(path13);
    const blocking::Evaluation ev13 =
        blocking::evaluate(blocking::Model::load(c13, {result.schjId, result.schjBez}, 2022));
    EXPECT_EQ(std::tuple(ev13.students, ev13.collisions, ev13.withoutCourse), std::tuple(10, 2, 1));
    EXPECT_EQ(k42::render(k42::exportCohort(c13, "2022")), k42::render(q2));
}

TEST(Kurs42Import, LongNamesGetUniqueShortDesignations) {
    const std::tuple<QStringList, int, QStringList> rows[] = {
        {{"VM-VTF2", "PXSP-PJK1", "Grundkurs 12"}, 6, {"VMVTF2", "PXSPP1", "Grun12"}},
        {{"PX_Info", "D"}, 4, {"PXIn", "D"}},
        // Short forms that would meet, and a name that fits taking the form first.
        {{"Mathe-GK1", "Mathematik-GK1", "Mathe-GK2"}, 6, {"Mathe1", "MathA1", "Mathe2"}},
        {{"Mathe-GK1", "mathe1"}, 6, {"MathA1", "mathe1"}},
    };
    for (const auto& [names, width, expected] : rows)
        EXPECT_EQ(k42::shortNames(names, width), expected) << names.join(' ').toStdString();
}

TEST(Kurs42Import, RowsThatBreakTheRulesStopOthersAreReported) {
    // The change, whether it stops the import, and the file and line named.
    const std::tuple<std::function<void(k42::Export&)>, bool, QString> rows[] = {
        {[](k42::Export& e) { e.courses[3].name = "D-GK1"; }, true, "Kurse.txt, Zeile 5"},
        {[](k42::Export& e) { e.placements[2].schiene = 4; }, true, "Blockplan.txt, Zeile 4"},
        {[](k42::Export& e) { e.choices[4].fachkrz = "D"; }, true, "Fachwahlen.txt, Zeile 6"},
        {[](k42::Export& e) { e.courses[1].kursart = "XK"; }, true, "Kurse.txt, Zeile 3"},
        {[](k42::Export& e) { e.courses[5].fach = "VM"; }, false, "Kurse.txt, Zeile 7"},
        {[](k42::Export& e) { e.placements[6].kurs = "M-GK9"; }, false, "Blockplan.txt, Zeile 8"},
        {[](k42::Export& e) { e.choices[0].student.gebDat = "1.1.2000"; }, false,
         "Fachwahlen.txt, Zeile 2"},
        {[](k42::Export& e) { e.choices[1].kursart = "LK3"; }, false, "Fachwahlen.txt, Zeile 3"},
    };
    for (const auto& [change, stops, where] : rows) {
        test::TempDir dir;
        test::ScriptedHost host;
        k42::Export e = handBuilt();
        change(e);
        const QString path = dir.path("BB.MDB");
        if (stops) {
            try {
                k42::importExport(e, path, dir.dir(), host);
                ADD_FAILURE() << "no stop at " << where.toStdString();
            } catch (const k42::FormatError& x) {
                EXPECT_EQ(QString("%1, Zeile %2").arg(x.file()).arg(x.line()), where);
                EXPECT_TRUE(x.message().startsWith(where + ": ") && x.message().count("Zeile") == 1)
                    << x.message().toStdString();
            }
            EXPECT_EQ(QDir(dir.dir()).entryList(QDir::Files), QStringList()) << where.toStdString();
        } else {
            const QStringList report = k42::importExport(e, path, QString(), host).report;
            EXPECT_TRUE(!report.isEmpty() && report[0].startsWith(where + ": "))
                << report.join('\n').toStdString();
        }
    }
    // An existing file stays when the user says no.
    test::TempDir dir;
    dir.write("BB.MDB", "alt");
    test::ScriptedHost host;
    host.onMessage(ui::Answer::No);
    EXPECT_FALSE(k42::importExport(handBuilt(), dir.path("BB.MDB"), QString(), host).imported);
    EXPECT_EQ(dir.read("BB.MDB"), QByteArray("alt"));
}

} // namespace
