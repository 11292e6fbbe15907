// The import: the ten transfers from the administration container into a new block-formation
// database, on the containers of tools/make_import_fixtures.py (its docstring lists their rows);
// the pre-assignment after them; and the import window ErzKuB driven through its handlers, as
// the planner uses it, on the "rules" container.
#include "ImportSupport.h"

using namespace importtest;

namespace {

// Cohort 2009: every field of every table in its order; BG_VFP_ID is the new row's own key and
// numbers become text as written (minimum, maximum and optimum start at 0).
//
// The courses of the selected cohorts and no other school year: for year group 12 this year's
// codes 11 and 50 of kind K; for 13 this year's 12 and 50, last year's 11 and 50, kind K (last
// year's courses keep last year's key); for both, every course of both school years.
// Rail "    37" is the seventh of the school year: BL_ID 7, key five blanks and "7". Course 2D1
// (on rail 37) and the 2007 course are not imported with cohort 2009; the placement on last
// year's rail 40 is dropped: its key could equal a new rail's. The one on no rail stays, and is
// no other school year's. Ernst (2007) is in neither cohort: his choices stay out.
TEST(Transfers, MapEveryTableTakeTheSelectedCohortsCoursesAndGivePlacementsTheLocalRailKey) {
    Import imp(container("rules"));
    QStringList announced;
    imp.run(select2009({"2009"}), [&](const QString& t) { announced << t; });
    EXPECT_EQ(announced, QStringList({"Schule", "Lehrer", "Schuljahr", "Kurse", "Block", "Kolleg",
                                      "Fachangebot", "Belegung", "Ckkurs"}));
    EXPECT_EQ(imp.dropped, 1);
    EXPECT_EQ(imp.rows("SELECT * FROM schule"),
              QStringList({"1|0815|Städtisches Gymnasium am Weißen Stein|Naturwissenschaftlich-"
                           "technologisches Gymnasium|Gymnasium Weißenstein"}));
    EXPECT_EQ(imp.rows("SELECT * FROM lehrer"),
              QStringList({"1|Mü|Müller, Gerda|     1", "2|Hu|Huber, Klaus|     2"}));
    EXPECT_EQ(imp.rows("SELECT * FROM schjahr"), QStringList({"1|2009/2010|1|3|     9"}));
    EXPECT_EQ(
        imp.rows("SELECT * FROM kurs"),
        QStringList({"1|     9|1D1|1|     1|     1|<null>|<null>|<null>|11|K|3|3|     1|0|0|0",
                     "2|     9|5Inf1|3|     1|     1|<null>|     3|<null>|50|K|3|3|     3|0|0|0"}));
    EXPECT_EQ(imp.rows("SELECT * FROM kolleg"),
              QStringList({"1|2009|Adler|Anna|a|     1", "2|2009|Bäcker|Ben|b|     2"}));
    EXPECT_EQ(imp.rows("SELECT * FROM fachang"),
              QStringList({"1|2009|0100|D|LABSCX|3|<null>|     1|D|D|0",
                           "2|2009|0600|M|LABSCX|3|<null>|     2|M|M|0"}));
    EXPECT_EQ(imp.rows("SELECT * FROM belegung ORDER BY BG_ID"),
              QStringList({"1|     1|     1|<null>|     1|S|     1|<null>",
                           "2|     1|<null>|<null>|     2|L|     2|<null>",
                           "3|     2|<null>|<null>|     1|S|     3|<null>"}));
    EXPECT_EQ(imp.rows("SELECT CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"),
              QStringList(
                  {"     1|     1|<null>|0", "     7|     3|<null>|0", "<null>|     3|<null>|0"}));

    const QString cur = "|     9", prev = "|     8";
    const std::tuple<importer::Selection, QStringList, QStringList> cases[] = {
        {select2009({"2008"}),
         {"5Inf1" + cur, "2D1" + cur, "1D2" + prev, "5Ps1" + prev},
         {"     7|     3|<null>|0", "     7|     4|<null>|0", "<null>|     3|<null>|0"}},
        {select2009({"2009", "2008"}),
         {"1D1" + cur, "1LD1" + cur, "5Inf1" + cur, "2D1" + cur, "2LM1" + cur, "1D2" + prev,
          "2D9" + prev, "5Ps1" + prev, "1LE1" + prev, "Chor" + cur},
         {"     1|     1|<null>|0", "     7|     3|<null>|0", "     7|     4|<null>|0",
          "<null>|     3|<null>|0"}},
        // A school year without rails: empty block table, and no placement.
        {{"     7", "2007/2008", QString(), {"2007"}}, {"1D7|     7", "5Inf7|     7"}, {}},
    };
    for (const auto& [selection, courses, placed] : cases) {
        SCOPED_TRACE(str(selection.schjBez + " " + selection.cohorts.join('+')));
        Import imp(container("rules"));
        imp.run(selection);
        EXPECT_EQ(imp.rows("SELECT KS_BEZ, KS_SCHJ FROM kurs ORDER BY KS_ID"), courses);
        EXPECT_EQ(
            imp.rows("SELECT CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"),
            placed);
        if (selection.cohorts.size() < 2)
            continue;
        EXPECT_EQ(imp.rows("SELECT BG_KO_ID, BG_VFP_ID FROM belegung ORDER BY BG_ID"),
                  QStringList({"     1|     1", "     1|     2", "     2|     3", "     3|     4",
                               "     4|     5", "     4|     6"}));
        EXPECT_EQ(imp.rows("SELECT BL_ID, BL_VFP_ID, BL_SCHJ, BL_BEZ, BL_STD, BL_SORT, BL_FIX FROM "
                           "block WHERE BL_ID IN (1, 7) OR BL_VFP_ID <> substr('     ' || BL_ID, "
                           "-6) OR BL_SCHJ <> '     9' ORDER BY BL_ID"),
                  QStringList({"1|     1|     9|GK1|3|10|0", "7|     7|     9|GK7|3|70|0"}));
        EXPECT_EQ(imp.rows("SELECT count(*) FROM block"), QStringList({"7"}));
    }
}

// A teacher's key twice or a course of more than 9 hours stops the whole import; a number the
// file cannot take or a value the container does not hold (a field of the first record retyped:
// descriptor bytes 11 type, 17 decimals) is refused as the container holds it. The rows written
// before are rolled back.
TEST(Transfers, AKeyTwiceHoursBeyondOneDigitOrANumberOutOfRangeStopTheImportNoCoursesDoNot) {
    const std::pair<QString, QString> stops[] = {
        {"teacher_twice", "Import abgebrochen: In der Tabelle lehrer der Schulverwaltung kommt "
                          "LE_KUERZ = \"Mü\" doppelt vor; die Blockbildungsdatei erlaubt es nur "
                          "einmal."},
        {"long_hours", "Import abgebrochen: Der Kurs 2D1 hat 10 Wochenstunden; das Programm "
                       "verteilt höchstens 9."},
    };
    for (const auto& [fixture, message] : stops) {
        Import imp(container(fixture));
        const auto run = [&imp] { imp.run(select2009({"2009", "2008"})); };
        EXPECT_EQ(errorOf<db::DbError>(run), str(message));
        EXPECT_EQ(imp.dump(), QStringList());
    }
    Import without(container("long_hours"));
    without.run(select2009({"2009"}));
    EXPECT_EQ(without.rows("SELECT count(*) FROM kurs WHERE KS_BEZ = '2D1'"), QStringList{"0"})
        << "a course that is not imported stops nothing";

    const std::tuple<QString, const char*, char, QByteArray, QString> refused[] = {
        {"kurs", "KS_SORT", 'N', "1e30",
         "passt nicht in das Feld KS_SORT der Blockbildungsdatei (-32768 bis 32767)"},
        {"kolleg", "KO_KURSPH", 'N', "1e30",
         "ist keine Zahl, die die Blockbildungsdatei aufnehmen kann"},
        {"fachang", "FA_BELEG", 'B', QByteArray::fromHex("000000000000f87f"), // NaN
         "ist keine Zahl, die die Blockbildungsdatei aufnehmen kann"},
    };
    for (const auto& [table, field, type, value, said] : refused) {
        Scratch copy(dataDir() + QStringLiteral("/rules"));
        const QString file = table + QStringLiteral(".dbf");
        const qint64 descriptor = copy.descriptor(file, field);
        copy.patch(file, descriptor + 11, QByteArray(1, type));
        copy.patch(file, descriptor + 17, QByteArray(1, type == 'N' ? 1 : 0));
        copy.patch(file, copy.valueAt(file, 0, field), value);
        Import imp(copy.path(QStringLiteral("QZ.DBC")));
        EXPECT_EQ(errorOf([&] { imp.run(select2009({"2009"})); }),
                  str(QStringLiteral("Der Wert \"%1\" im Feld %2 in Satz 1 der Datei %3 %4.")
                          .arg(type == 'B' ? "nan" : value, field,
                               vfp::displayPath(copy.path(file)), said)));
        EXPECT_EQ(imp.dump(), QStringList());
    }

    // A container whose only course record is deleted has no course: said, the rest imported.
    Import bare(container(QStringLiteral("no_courses")));
    bare.host.onMessage("Kursdatei fehlt für Schuljahr: 2009/2010!\r\nErstellen Sie die Kursdatei "
                        "in Orvid! Importieren Sie aufs Neue!");
    bare.run(select2009({"2009"}));
    ASSERT_EQ(bare.host.messages.size(), 1u);
    EXPECT_EQ(bare.host.messages[0].title, "Kurs- und Blockbildung");
    EXPECT_EQ(bare.host.messages[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(bare.rows("SELECT count(*) FROM kurs"), QStringList({"0"}));
    EXPECT_EQ(bare.rows("SELECT count(*) FROM kolleg"), QStringList({"2"}));
}

// The pre-assignment after an import, on the "preassign" container imported with both cohorts
// of 2009/2010 (tools/make_import_fixtures.py lists every choice and what it should get).

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
    db::Connection c(imp.path);
    c.insert("kolleg", {{"KO_KURSPH", "2007"}, {"KO_FAMNAME", "Ernst"}, {"KO_VFP_ID", "    50"}});
    c.insert(
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

const QString kDroppedOne = "1 Zuordnung eines Kurses zu einer Schiene eines anderen Schuljahres "
                            "wurde nicht übernommen.";

class ImportWindow : public ::testing::Test {
protected:
    ImportWindow() { s.ProgPfad = work.dir(); }

    // The window after loading, with an INI file that names the container when one is given.
    std::unique_ptr<importer::ErzKuB> loaded(QDate today, const QString& fixture = "rules") {
        if (!fixture.isEmpty())
            wine.writeIni(wine.installContainer(QFileInfo(container(fixture)).path()));
        auto w = std::make_unique<importer::ErzKuB>(s, host);
        w->today = [today] { return today; };
        w->Form_Load();
        return w;
    }

    test::WinePrefix wine;
    test::TempDir work;
    platform::RunState s;
    test::ScriptedHost host;
};

// Without INI file the window waits for "Durchsuchen": an import asks for the container and,
// with none chosen, builds nothing; cancelling "Durchsuchen", or "Abbruch", ends the program.
// With one, an import that fails changes nothing.
TEST_F(ImportWindow, WithoutIniFileOrWithAFailureNothingIsImported) {
    auto w = loaded({}, {});
    EXPECT_EQ(w->lblDMerix,
              "Orvid ist nicht im Standardverzeichnis c:\\palex. Wählen Sie durchsuchen.");
    EXPECT_EQ(QStringList({s.DatenPfad, s.DatenDatei, s.VerwDbcPfad}),
              QStringList({"C:\\", "BB.MDB", ""}));
    w->lstKollJahrg.setLines({"2009"});
    w->lstKollJahrg.setSelected(0, true);
    host.onSaveFile(work.path("bb.mdb")).onOpenFile(std::nullopt);
    w->Befehl1_Click();
    EXPECT_TRUE(host.statuses.isEmpty() && !w->imported) << "no database is said to be made";
    EXPECT_TRUE(QDir(work.dir()).entryList(QDir::Files).isEmpty());

    host.onOpenFile(std::nullopt);
    w->cmdSeek_Click();
    ASSERT_EQ(host.fileDialogs.size(), 3u);
    EXPECT_EQ(host.fileDialogs[2].filter + host.fileDialogs[2].fileName,
              "FoxPro-Datenbanken (*.dbc)|*.dbcQz.dbc");
    test::ScriptedHost other;
    importer::ErzKuB abort(s, other);
    abort.Befehl2_Click();
    EXPECT_EQ(w->Label1 + abort.Label1, "AbbruchAbbruch");
    EXPECT_TRUE(host.quitCalled && other.quitCalled);

    // A failed import leaves the old file, the run and the pointer file.
    s.useDatabase(work.path("ALT.MDB"));
    s.SchjBez = "2008/2009";
    s.SchjID = "     8";
    work.write("bb.mdb", "alt");
    w = loaded(QDate(2009, 11, 2), "teacher_twice");
    w->lstKollJahrg.setSelected(0, true);
    host.onSaveFile(work.path("bb.mdb")).onMessage(ui::Answer::Yes);
    EXPECT_THROW(w->Befehl1_Click(), db::DbError) << "a teacher twice stops the import";
    w->Form_Unload(); // the close box
    EXPECT_EQ(work.read("bb.mdb"), "alt") << "replaced only by a complete import";
    EXPECT_EQ(QDir(work.dir()).entryList(QDir::Files), QStringList{"bb.mdb"})
        << "no temporary file is left behind";
    EXPECT_EQ(QStringList({s.databasePath(), s.SchjBez, s.SchjID}),
              QStringList({work.path("ALT.MDB"), "2008/2009", "     8"}));
}

// The school year that starts in today's year, else line 0; its one or two cohorts.
TEST_F(ImportWindow, LoadsTheSchoolYearOfTodayAndImportsItsCohortsIntoTheChosenFile) {
    const std::tuple<QDate, int, QString, QStringList> cases[] = {
        {QDate(2009, 11, 2), 2, "2009/2010", {"2009", "2008"}},
        {QDate(2030, 1, 15), 0, "2007/2008", {"2007"}},
    };
    for (const auto& [today, line, year, cohorts] : cases) {
        auto w = loaded(today);
        EXPECT_EQ(w->lblDMerix, "C:\\PALEX\\DATEN\\QZ.DBC");
        // SJ_SCHJ, five blanks, the six-character key.
        EXPECT_EQ(w->lstSJ.lines(), QStringList({"2007/2008          7", "2008/2009          8",
                                                 "2009/2010          9", "2012/2013         12"}));
        EXPECT_EQ(w->lstSJ.currentIndex(), line);
        EXPECT_EQ(s.SchjBez, year);
        EXPECT_EQ(w->lstKollJahrg.lines(), cohorts);
        EXPECT_EQ(w->lstKollJahrg.currentIndex(), 0);
    }
    auto w = loaded(QDate(2009, 11, 2));
    EXPECT_EQ(s.SchjID, "     9");
    // Clicking the current line again keeps the cohort list and its selection.
    w->lstKollJahrg.setSelected(0, true);
    w->lstKollJahrg.setSelected(1, true);
    w->lstSJ_Click();
    EXPECT_EQ(w->lstKollJahrg.selectedCount(), 2);

    // A school year without students of its two cohorts.
    host.onMessage("Zum ausgewählten Schuljahr gibt es keine Kursphasen!");
    w->lstSJ.setCurrent(3);
    w->lstSJ_Click();
    EXPECT_EQ(s.SchjID, "    12");
    EXPECT_EQ(w->lstKollJahrg.count(), 0);
    host.onMessage("Keine Kollegiatenjahrgänge sind ausgewählt!\r\nWählen Sie eine oder zwei "
                   "Zeilen in der Liste aus!");
    w->Befehl1_Click();
    EXPECT_TRUE(host.fileDialogs.empty()) << "no target asked for";

    // Both cohorts imported into the chosen file, which replaces the old one; or through the
    // temporary folder.
    w = loaded(QDate(2009, 11, 2));
    w->lstKollJahrg.setSelected(0, true);
    w->lstKollJahrg.setSelected(1, true);
    work.write("bb.mdb", "alt");
    const QString target = work.path("bb.mdb");
    host.onSaveFile(target).onMessage(ui::Answer::Yes);
    w->Befehl1_Click();
    EXPECT_EQ(work.read("bb.mdb"), "alt") << "the old file stays until the new one is complete";
    EXPECT_FALSE(QFileInfo::exists(work.path("TCLASSK")));
    EXPECT_EQ(s.DatenDatei, "BB.MDB") << "the run is not on the new file yet";

    host.onMessage("Kurse werden vorbesetzt!").onModal("frmFMld").onMessage(kDroppedOne);
    ASSERT_TRUE(w->finishImport());
    EXPECT_EQ(w->previousKey + s.databasePath(), "     8" + target);
    EXPECT_EQ(QString::fromLatin1(work.read("TCLASSK")).trimmed(), target);
    EXPECT_EQ(QStringList({w->Label1, w->Label4, w->Label3}),
              QStringList({target, "Erzeuge Tabelle:", "Ckkurs"}));
    EXPECT_TRUE(host.statuses.contains("Datenbank " + target + " wurde erstellt!"));
    EXPECT_EQ(host.status, "");

    // kubb import's test compares the whole file with the one the transfers give.
    EXPECT_EQ(test::rowsOf(target, "SELECT count(*) FROM kolleg"), QStringList({"4"}));

    // A target on the floppy is built in the temporary folder and copied.
    auto floppy = loaded(QDate(2009, 11, 2));
    floppy->lstKollJahrg.setSelected(0, true);
    const QString drive = wine.drive('a');
    host.onSaveFile("a:\\bb.mdb");
    floppy->Befehl1_Click();
    host.onMessage("Kurse werden vorbesetzt!").onModal("frmFMld").onMessage(kDroppedOne);
    ASSERT_TRUE(floppy->finishImport());
    EXPECT_EQ(s.DatenPfad, "A:");
    EXPECT_EQ(test::rowsOf(drive + "BB.MDB", "SELECT count(*) FROM kolleg"), QStringList({"2"}));
    EXPECT_FALSE(QFileInfo::exists(wine.drive('c') + "tempvx"));
    EXPECT_TRUE(floppy->Label3.startsWith("Quelle : C:\\tempvx\\BB.MDB"))
        << floppy->Label3.toStdString();
    EXPECT_EQ(floppy->Label4, "Ziel   : A:BB.MDB");
}

// "No" to the overwrite question asks again there and keeps the file; a missing folder for the
// pointer file is named before the import begins.
TEST_F(ImportWindow, NoToTheOverwriteQuestionOrAMissingPointerFolderImportsNothing) {
    importer::ErzKuB w(s, host);
    work.write("BB.MDB", "Blockdaten vom letzten Jahr");
    const QString existing = work.path("BB.MDB");
    host.onSaveFile(existing)
        .onMessage("Im gewählten Verzeichnis " + existing +
                       " existieren bereits Blockdaten!\nSollen diese tatsächlich überschrieben "
                       "werden?",
                   ui::Answer::No)
        .onSaveFile(std::nullopt);
    EXPECT_FALSE(w.DialogBlockbildungsDatenbankName()) << "cancelled";
    ASSERT_EQ(host.fileDialogs.size(), 2u);
    EXPECT_EQ(host.fileDialogs[0].filter, "Alle Datendateien (*.MDB)|*.MDB");
    EXPECT_EQ(host.fileDialogs[1].initialDir, existing);
    EXPECT_EQ(std::tuple(host.messages[0].title, host.messages[0].buttons,
                         host.messages[0].defaultButton),
              std::tuple(QString(), ui::Buttons::YesNo, 1));
    EXPECT_EQ(work.read("BB.MDB"), "Blockdaten vom letzten Jahr");
    EXPECT_FALSE(QFileInfo::exists(work.path("TCLASSK")));

    test::ScriptedHost other;
    importer::ErzKuB again(s, other);
    s.pointerDir = work.path("fehlt/");
    other.onSaveFile(work.path("bb.mdb"))
        .onMessage(work.path("fehlt/") + "TCLASSK: Pfad nicht gefunden!");
    EXPECT_FALSE(again.DialogBlockbildungsDatenbankName());
    ASSERT_EQ(other.messages.size(), 1u);
    EXPECT_EQ(std::pair(other.messages[0].icon, other.messages[0].title),
              std::pair(ui::Icon::Exclamation, QString("Externes Zeugnisprogramm")));
}

} // namespace
