#include "ImportSupport.h"

using namespace vfptest;

namespace {

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
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes.left(size);
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
    return [=](const Scratch& s) { s.truncate(file, size); };
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

TEST(DamagedTables, NullFlagsOfVisualFoxProFile) {
    REQUIRE_VFP_FIXTURES();
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

// The kolleg row's PROPERTY: an 8-byte class entry, then the 18-byte path entry. A path that
// leaves the container's folder has the length of the stored "daten\beleg_gk.dbf", so the entry
// stays consistent. In the messages %DBC and %DCT stand for the container's two files. The
// container is a table itself: its missing memo file stands for any table's.
TEST(DamagedContainer, BadEntriesMissingPartsAndPathsLeavingTheFolder) {
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

} // namespace
