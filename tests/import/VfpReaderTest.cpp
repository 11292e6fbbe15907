#include "ImportSupport.h"

using namespace vfptest;
using Rows = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

namespace {

// ---- files written by Visual FoxPro itself ----

TEST(VisualFoxProFiles, FreeTableWithVarcharVarbinaryBlobAndNullFlags) {
    REQUIRE_VFP_FIXTURES();
    const vfp::Table table = vfp::Table::open(vfpFixtures() + "/table/TEST.DBF");
    EXPECT_EQ(table.codePage(), 1252);
    EXPECT_EQ(table.recordCount(), 3);
    // INTEGER is an F field and FLOAT an I field in this file: names say nothing.
    EXPECT_EQ(fields(table),
              (Strings{"PRODUCTID I 4", "PRODNAME C 20", "PRICE Y 8,4", "DOUBLE B 8,4", "DATE D 8",
                       "DATETIME T 8", "INTEGER F 4,2", "FLOAT I 4", "ACTIVE L 1", "DESC M 4",
                       "TAX N 8,2", "INSTOCK N 8", "BLOB W 4", "VARBIN_NIL Q 10 null",
                       "VAR_NIL V 254 null", "VAR V 10"}));
    EXPECT_EQ(table.fieldIndex("_NullFlags"), -1);

    const std::string lorem = "Lorem ipsum dolor sit amet, consetetur sadipscing elitr, sed diam "
                              "nonumy eirmod tempor invidunt ut labore et " +
                              std::string(145, 'a');
    // The third record is deleted. VAR_NIL of the second record fills its 254 bytes, so its
    // varlength bit is clear and no length byte is taken off.
    EXPECT_EQ(rows(table),
              (Rows{{"int 1", "QString TEST PRODUCT", "double 12.3456", "double 78.9",
                     "QDate 2022-04-10", "QDateTime 2022-04-10T00:00:00.000", "double 4.56",
                     "int 123", "bool true", "QString PRODUCT DESCRIPTION", "double 19.99",
                     "qlonglong 1", "null", "QByteArray 112233445566778899aa",
                     "QString Test value with variable length", "QString "},
                    {"int 2", "QString TEST", "double 12.34", "double 123.45", "QDate 2022-10-10",
                     "QDateTime 2022-10-10T21:04:25.000", "double 1.23", "int 123", "bool true",
                     "QString PRODUCT_DESCRIPTION", "double 19", "qlonglong 999", "null",
                     "QByteArray aabbcc", "QString " + lorem, "QString "}}));
}

TEST(VisualFoxProFiles, ContainerListsItsTablesAndReadsThemWithLongFieldNames) {
    REQUIRE_VFP_FIXTURES();
    const vfp::Container container = vfp::Container::open(vfpFixtures() + "/database/EXPENSES.DBC");
    Strings listed;
    for (const auto& entry : container.tables())
        listed.push_back((entry.name + " -> " + entry.path).toStdString() + " (" +
                         std::to_string(entry.fieldNames.size()) + ")");
    EXPECT_EQ(listed, (Strings{"employees -> employees.dbf (16)",
                               "expense_categories -> expense categories.dbf (3)",
                               "expense_details -> expense details.dbf (6)",
                               "expense_reports -> expense reports.dbf (9)"}));
    EXPECT_TRUE(container.hasTable("EXPENSE_Details"));
    EXPECT_FALSE(container.hasTable("expense details"));
    EXPECT_FALSE(container.hasTable("TransactionLog"));

    const vfp::Table categories = container.table("Expense_Categories");
    EXPECT_EQ(QFileInfo(categories.fileName()).fileName(), "expense categories.dbf");
    EXPECT_EQ(fields(categories), (Strings{"EXPENSECAT I 4", "EXPENSECA2 C 50", "EXPENSECA3 I 4"}));
    // The short names were cut to ten characters and numbered; the long ones say what they are.
    EXPECT_EQ(categories.fieldIndex("expensecategory"), 1);
    EXPECT_EQ(categories.fieldIndex("EXPENSECATEGORYACCOUNT"), 2);
    EXPECT_EQ(categories.field(2).longName, "expensecategoryaccount");
    EXPECT_EQ(rows(categories), (Rows{{"int 1", "QString Meals", "int 500"},
                                      {"int 2", "QString Transportation", "int 1000"},
                                      {"int 3", "QString Lodging", "int 2000"},
                                      {"int 4", "QString Entertainment", "int 670"},
                                      {"int 5", "QString Miscellaneous", "int 560"}}));

    const vfp::Table employees = container.table("EMPLOYEES");
    EXPECT_EQ(employees.fieldIndex("stateorprovince"), 11);
    EXPECT_EQ(employees.fieldIndex("STATEORPRO"), 11);
    vfp::Record record;
    ASSERT_TRUE(employees.next(record));
    EXPECT_EQ(describe(record.value("lastname")), "QString Davolio");
    EXPECT_EQ(describe(record.value("socialsecuritynumber")), "null"); // all blank
    EXPECT_EQ(describe(record.value("notes")), "null");                // no memo block
}

// ---- tables and containers written by python3-dbf (tools/make_vfp_fixtures.py) ----

TEST(WrittenTables, EveryFieldTypeWithNullsBlanksAndDeletedRecords) {
    const vfp::Table table = vfp::Table::open(dataDir() + "/types/alltypes.dbf");
    EXPECT_EQ(fields(table),
              (Strings{"NNAME C 20 null", "NNUM N 6 null", "NDATE D 8 null", "NLOG L 1 null",
                       "NMEMO M 4 null", "NAME C 20", "AMOUNT N 10,2", "COUNT N 5", "RATE F 12,4",
                       "QTY I 4", "PRICE Y 8", "RATIO B 8", "BORN D 8", "STAMP T 8", "FLAG L 1",
                       "NOTE M 4", "RAW M 4", "GEN G 4", "PIC P 4"}));
    EXPECT_EQ(table.recordCount(), 4);
    // Second stored record deleted. Third: NULLs in the nullable fields, blanks elsewhere, which
    // read as NULL too except for the binary numbers. Fourth: extremes, and an empty memo block
    // that, unlike a missing one, is an empty text.
    EXPECT_EQ(
        rows(table),
        (Rows{{"QString Bär", "qlonglong 12", "QDate 2001-02-03", "bool true",
               "QString Notiz mit ä", "QString Größe", "double 1234.5", "qlonglong -42",
               "double 3.25", "int -7", "double 12.3456", "double 2.5", "QDate 1999-12-31",
               "QDateTime 2009-08-01T13:45:30.000", "bool false", "QString Zeile 1\r\nZeile 2 ö",
               "QByteArray 0001feff", "QByteArray 47454e4552414c", "QByteArray 50494354555245"},
              {"null", "null", "null", "null", "null", "null", "null", "null", "null", "int 0",
               "double 0", "double 0", "null", "null", "null", "null", "null", "null", "null"},
              {"QString   vorn blank", "qlonglong -99999", "QDate 2000-02-29", "bool false",
               "QString ", "QString x", "double -0.01", "qlonglong 0", "double -1.5",
               "int -2147483647", "double -922337203685477.6", "double -1e+100", "QDate 1900-01-01",
               "QDateTime 1999-12-31T23:59:59.000", "bool true", "null", "null", "null", "null"}}));
}

// The names in the code pages 437, 850 and 1252; dBase III keeps memos in a .DBT without lengths,
// FoxPro 2 in an .FPT; both write block numbers as ten digits.
TEST(WrittenTables, CodePagesAndFoxProTwoAndDBaseThreeVersions) {
    for (const int codePage : {437, 850, 1252}) {
        SCOPED_TRACE(codePage);
        const vfp::Table table =
            vfp::Table::open(dataDir() + QStringLiteral("/codepages/cp%1.dbf").arg(codePage));
        EXPECT_EQ(table.codePage(), codePage);
        Strings names;
        vfp::Record record;
        while (table.next(record)) {
            names.push_back(record.value(0).toString().toStdString());
            EXPECT_EQ(record.value("note").toString(),
                      "Memo von " + record.value("name").toString() + ": ÄÖÜäöüß");
        }
        EXPECT_EQ(names, (Strings{"Müller", "Weiß", "Äpfelbäumer", "Öztürk", "Überle"}));
    }
    for (const char* name : {"dbase3", "dbase3memo", "foxpro2"}) {
        SCOPED_TRACE(name);
        const vfp::Table table = vfp::Table::open(dataDir() + "/legacy/" + name + ".dbf");
        EXPECT_EQ(table.codePage(), 850);
        Rows expected = {{"QString Müller", "double 0", "QDate 1990-01-10", "bool true"},
                         {"QString Weiß", "double 1.5", "QDate 1991-02-11", "bool false"},
                         {"QString Äpfelbäumer", "double 3", "QDate 1992-03-12", "bool true"}};
        if (table.fieldCount() == 5)
            for (auto& row : expected)
                row.push_back("QString Memo " + row[0].substr(8));
        EXPECT_EQ(rows(table), expected);
    }
}

// Table files found by path, name and letter case (kolleg's as KOLLEG.DBF, beleg_gk's as
// Daten/Beleg_GK.dbf: their rows are read below); member tables read; missing tables and fields
// named.
TEST(WrittenContainer, FindsReadsAndNamesWhatIsMissing) {
    const QString path = dataDir() + "/schule/QZ.DBC";
    const vfp::Container container = vfp::Container::open(path);
    Strings listed;
    for (const auto& entry : container.tables())
        listed.push_back((entry.name + " -> " + entry.path).toStdString());
    EXPECT_EQ(listed, (Strings{"schjahr -> schjahr.dbf", "kolleg -> kolleg.dbf",
                               "beleg_gk -> daten\\beleg_gk.dbf", "fachangebot -> fachang.dbf",
                               "lehrer -> ", "ckkurs -> ckkurs.dbf"}));

    const QDir folder = QFileInfo(path).dir();
    const auto fileOf = [&](const char* table) {
        return folder.relativeFilePath(container.table(table).fileName()).toStdString();
    };
    EXPECT_EQ(fileOf("SCHJAHR"), "schjahr.dbf");
    EXPECT_EQ(fileOf("FachAngebot"), "fachang.dbf");
    EXPECT_EQ(fileOf("lehrer"), "lehrer.dbf");

    const vfp::Table kolleg = container.table("kolleg");
    EXPECT_EQ(rows(kolleg),
              (Rows{{"QString     11", "QString 2009", "QString Müller", "QString Jörg",
                     "QString wechselt die Schule"},
                    {"QString     12", "QString 2008", "QString Weiß", "QString Änne", "null"}}));
    const vfp::Table belegung = container.table("beleg_gk");
    EXPECT_EQ(rows(belegung),
              (Rows{{"QString     11", "QString      3", "QString     21", "null", "QString G"}}));
    const vfp::Table fachang = container.table("fachangebot");
    EXPECT_EQ(fachang.fieldIndex("FA_BEZEICHNUNG"), 1);
    EXPECT_EQ(fachang.fieldIndex("fa_bezeich"), 1);
    EXPECT_EQ(fachang.requireField("fa_id"), 0);

    const QString dbc = QDir::toNativeSeparators(path);
    EXPECT_EQ(errorOf([&] { container.table("beleg_lk"); }),
              str("Tabelle beleg_lk fehlt in " + dbc + "."));
    EXPECT_EQ(errorOf([&] { container.table("ckkurs"); }),
              str("Die Datei " + QDir::toNativeSeparators(dataDir() + "/schule/ckkurs.dbf") +
                  " der Tabelle ckkurs aus " + dbc + " fehlt."));
    const vfp::Table opened = container.table("kolleg");
    EXPECT_EQ(errorOf([&] { opened.requireField("KO_PARALLE"); }),
              str("Das Feld KO_PARALLE fehlt in der Tabelle " +
                  QDir::toNativeSeparators(opened.fileName()) + "."));
    vfp::Record record;
    ASSERT_TRUE(opened.next(record));
    EXPECT_EQ(errorOf([&] { record.value("KO_PARALLE"); }),
              errorOf([&] { opened.requireField("KO_PARALLE"); }));
}

} // namespace
