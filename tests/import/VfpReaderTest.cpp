// The reader of Visual FoxPro tables and containers: files written by Visual FoxPro itself and by
// python3-dbf, and damaged copies of them.
#include "ImportSupport.h"

using namespace importtest;
using Rows = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

namespace {

// Damaged copies of the tables: how to damage them, and what the reader must say.
const QString kTable = QStringLiteral("alltypes.dbf");
const QString kMemo = QStringLiteral("alltypes.fpt");
using Apply = std::function<void(const Scratch&)>;

// One way to damage a copy of a table, and the problem the message must state about `file`.
struct Damage {
    Apply apply;
    QString problem;
    QString file = kTable;
};

// A little-endian integer of size bytes.
QByteArray le(quint32 value, int size = 4) {
    const quint32 stored = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&stored), size);
}
// Bytes written at an offset of the file, of a field's descriptor, of its value in record 1.
Apply at(qint64 offset, const QByteArray& bytes, const QString& file = kTable) {
    return [=](const Scratch& s) { s.patch(file, offset, bytes); };
}
Apply inDescriptor(const char* field, int offset, const QByteArray& bytes,
                   const QString& file = kTable) {
    return [=](const Scratch& s) { s.patch(file, s.descriptor(file, field) + offset, bytes); };
}
Apply inValue(const char* field, int offset, const QByteArray& bytes,
              const QString& file = kTable) {
    return [=](const Scratch& s) { s.patch(file, s.valueAt(file, 0, field) + offset, bytes); };
}
Apply cutTo(qint64 size, const QString& file = kTable) {
    return [=](const Scratch& s) { s.write(file, s.read(file).left(size)); };
}

void expectDamages(const QString& source, const QString& table, const std::vector<Damage>& cases) {
    for (const Damage& damage : cases) {
        SCOPED_TRACE(str(damage.problem));
        const Scratch scratch(source);
        damage.apply(scratch);
        EXPECT_EQ(errorOf([&] { rows(vfp::Table::open(scratch.path(table))); }),
                  str("Die Datei " + QDir::toNativeSeparators(scratch.path(damage.file)) +
                      " ist beschädigt: " + damage.problem + "."));
    }
}

// ---- files written by Visual FoxPro itself ----

TEST(VisualFoxProFiles, AFreeTableWithNullFlagsAndAContainerWithLongFieldNames) {
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

    // A container: its tables, read with their long field names.
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

    // The free table damaged: a varchar length and null flags that do not fit.
    const QString test = QStringLiteral("TEST.DBF");
    expectDamages(vfpFixtures() + "/table", test,
                  {
                      {inValue("VAR", 9, "\x0a", test),
                       "Feld VAR in Satz 1 gibt die Länge 10 an, hat aber nur 9 Bytes Platz", test},
                      // Four more nullable fields need 9 bits; _NullFlags has 8.
                      {[&](const Scratch& s) {
                           for (const char* field : {"PRODNAME", "DATE", "ACTIVE", "TAX"})
                               s.patch(test, s.descriptor(test, field) + 18, "\x02");
                       },
                       "die Spalte _NullFlags ist 1 Byte lang, braucht aber 9 Bits", test},
                  });
}

// ---- tables and containers written by python3-dbf (tools/make_vfp_fixtures.py) ----

TEST(WrittenTables, EveryFieldTypeCodePagesAndTheFoxProTwoAndDBaseThreeVersions) {
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

    // The names in the code pages 437, 850 and 1252; dBase III keeps memos in a .DBT without
    // lengths, FoxPro 2 in an .FPT; both write block numbers as ten digits.
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
TEST(WrittenContainer, FindsReadsNamesWhatIsMissingAndRefusesDamagedEntriesAndPaths) {
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

    EXPECT_EQ(rows(container.table("kolleg")),
              (Rows{{"QString     11", "QString 2009", "QString Müller", "QString Jörg",
                     "QString wechselt die Schule"},
                    {"QString     12", "QString 2008", "QString Weiß", "QString Änne", "null"}}));
    EXPECT_EQ(rows(container.table("beleg_gk")),
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

    // Damaged copies of the container. The kolleg row's PROPERTY: an 8-byte class entry, then the
    // 18-byte path entry. A path that leaves the container's folder has the length of the stored
    // "daten\beleg_gk.dbf", so the entry stays consistent. In the messages %DBC and %DCT stand for
    // the container's two files. The container is a table itself: its missing memo file stands for
    // any table's.
    const auto in = [](const QByteArray& stored, const QByteArray& bytes, int offset = 0) {
        return [=](const Scratch& s) {
            s.patch("QZ.DCT", s.read("QZ.DCT").indexOf(stored + '\0') + offset, bytes);
        };
    };
    const QString broken = "Die Datei %DBC ist beschädigt: die Eigenschaften der Tabelle kolleg "
                           "enthalten bei Byte 8 einen Eintrag der Länge ";
    const QString outside = " außerhalb des Ordners der Datenbank.";
    const std::pair<Apply, QString> cases[] = {
        {in("kolleg.dbf", le(0), -7), broken + "0."},
        {in("kolleg.dbf", le(200), -7), broken + "200, es folgen aber nur 18 Bytes."},
        {inDescriptor("OBJECTTYPE", 0, "OBJECTKIND", "QZ.DBC"),
         "Die Datei %DBC ist kein gültiger Datenbankcontainer: die Spalte OBJECTTYPE fehlt."},
        {[](const Scratch& s) { QFile::remove(s.path("QZ.DCT")); },
         "Die Memodatei %DCT zur Tabelle %DBC fehlt."},
        {in("daten\\beleg_gk.dbf", "..\\..\\beleg_gk.dbf"),
         "Die Tabelle beleg_gk in %DBC verweist auf ..\\..\\beleg_gk.dbf" + outside},
        {in("daten\\beleg_gk.dbf", "C:\\te\\beleg_gk.dbf"),
         "Die Tabelle beleg_gk in %DBC verweist auf C:\\te\\beleg_gk.dbf" + outside},
        {in("daten\\beleg_gk.dbf", "/etcd/beleg_gk.dbf"),
         "Die Tabelle beleg_gk in %DBC verweist auf /etcd/beleg_gk.dbf" + outside},
    };
    for (const auto& [damage, message] : cases) {
        SCOPED_TRACE(str(message));
        const Scratch s(dataDir() + "/schule");
        damage(s);
        EXPECT_EQ(errorOf([&] { vfp::Container::open(s.path("QZ.DBC")).table("beleg_gk"); }),
                  str(QString(message)
                          .replace("%DBC", QDir::toNativeSeparators(s.path("QZ.DBC")))
                          .replace("%DCT", QDir::toNativeSeparators(s.path("QZ.DCT")))));
    }
}

// ---- damaged tables and containers, copies of the written ones ----

TEST(DamagedTables, HeaderDescriptorRecordAndValueFaults) {
    // 20 fields (with _NullFlags): header length 32 + 20 * 32 + 1 + 263 = 936, record length 143.
    expectDamages(
        dataDir() + "/types", kTable,
        {
            {cutTo(20), "sie ist mit 20 Bytes kürzer als der Tabellenkopf"},
            {at(0, "\x99"), "unbekannte Tabellenversion 0x99"},
            {at(8, le(60000, 2)), "die Kopflänge 60000 reicht über das Dateiende (1509 Bytes)"},
            {at(8, le(968, 2)),
             "die Kopflänge 968 passt nicht zu 20 Feldbeschreibungen (erwartet 936)"},
            {at(8, le(640, 2)), "die Kopflänge 640 ist zu kurz für die Feldbeschreibungen"},
            {at(672, "X"), "die Kopflänge 936 ist zu kurz für die Feldbeschreibungen"},
            {at(10, le(144, 2)),
             "Satzlänge 144 passt nicht zur Summe der Feldlängen (143 mit Löschkennzeichen)"},
            {inDescriptor("NAME", 12, le(30)),
             "Feld NAME liegt an Position 30 statt 40: die Felder überlappen oder lassen eine "
             "Lücke"},
            {inDescriptor("PIC", 12, le(60000)),
             "Feld PIC (Position 60000, Länge 4) reicht über die Satzlänge 143 hinaus"},
            {inDescriptor("QTY", 16, "\x05"), "Feld QTY vom Typ I hat die Länge 5 statt 4"},
            {inDescriptor("AMOUNT", 16, "\x15"),
             "Feld AMOUNT vom Typ N hat die unzulässige Länge 21"},
            {inDescriptor("AMOUNT", 17, "\x0a"),
             "Feld AMOUNT hat 10 Nachkommastellen bei der Länge 10"},
            {inDescriptor("NAME", 11, "X"), "Feld NAME hat den unbekannten Typ \"X\""},
            {inDescriptor("NAME", 0, QByteArray(1, 0)), "das 6. Feld hat keinen Namen"},
            {inDescriptor("NAME", 0, "NNAME"), "der Feldname NNAME kommt doppelt vor"},
            {at(4, le(0xFFFFFFFF)),
             "laut Kopf 4294967295 Sätze zu 143 Bytes, die Datei fasst aber nur 4"},
            {cutTo(936 + 2 * 143 + 10),
             "laut Kopf 4 Sätze zu 143 Bytes, die Datei fasst aber nur 2"},
            {cutTo(100, kMemo), "der Kopf der Memodatei ist kürzer als 512 Bytes", kMemo},
            {at(6, QByteArray(2, 0), kMemo), "die Blockgröße ist 0", kMemo},
            {at(936 + 2 * 143, "X"), "Satz 3 hat das ungültige Löschkennzeichen 0x58"},
            {inValue("AMOUNT", 0, "  12a4.50 "),
             "Feld AMOUNT in Satz 1 enthält keine gültige Zahl: \"  12a4.50 \""},
            {inValue("COUNT", 0, "  1.5"),
             "Feld COUNT in Satz 1 enthält keine gültige Zahl: \"  1.5\""},
            {inValue("AMOUNT", 0, "**********"),
             "Feld AMOUNT in Satz 1 ist übergelaufen: \"**********\""},
            {inValue("BORN", 0, "1999x231"),
             "Feld BORN in Satz 1 enthält kein gültiges Datum: \"1999x231\""},
            {inValue("BORN", 0, "19990231"),
             "Feld BORN in Satz 1 enthält kein gültiges Datum: \"19990231\""},
            {inValue("STAMP", 4, le(86400000)),
             "Feld STAMP in Satz 1 enthält keine gültige Uhrzeit (86400000 Millisekunden)"},
            {inValue("FLAG", 0, "X"),
             "Feld FLAG in Satz 1 enthält keinen gültigen Wahrheitswert: \"X\""},
            {inValue("NOTE", 0, le(0xFFFFFFFF)),
             "Satz 1, Feld NOTE verweist auf Block 4294967295 hinter dem Dateiende", kMemo},
            // 960 bytes of 64-byte blocks: block 15 starts at the end, with no block header.
            {inValue("NOTE", 0, le(15)),
             "Satz 1, Feld NOTE verweist auf Block 15 hinter dem Dateiende", kMemo},
            {inValue("NOTE", 0, le(1)), "Satz 1, Feld NOTE verweist auf Block 1 im Dateikopf",
             kMemo},
            // At the length word of the memo block (of 64 bytes) that the first NOTE points to.
            {[](const Scratch& s) {
                 const qint64 block = qFromLittleEndian<quint32>(s.read(kTable).constData() +
                                                                 s.valueAt(kTable, 0, "NOTE"));
                 s.patch(kMemo, block * 64 + 4, QByteArray::fromHex("7fffffff"));
             },
             "das Memo in Block 9 (Satz 1, Feld NOTE) ist 2147483647 Bytes lang und reicht über "
             "das Dateiende hinaus",
             kMemo},
        });
}

} // namespace
