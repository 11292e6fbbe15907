#include "VfpTestSupport.h"

#include "import/vfp/Container.h"
#include "import/vfp/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace vfptest;

namespace {

const QString kTable = QStringLiteral("alltypes.dbf");
const QString kMemo = QStringLiteral("alltypes.fpt");

// One way to damage a copy of alltypes.dbf, and the problem the message must state about `file`.
struct Damage {
    const char* what;
    std::function<void(const Scratch&)> apply;
    QString problem;
    QString file = kTable;
};

std::string damagedMessage(const Scratch& scratch, const QString& file, const QString& problem) {
    return str("Die Datei " + QDir::toNativeSeparators(scratch.path(file)) +
               " ist beschädigt: " + problem + ".");
}

void expectDamage(const QString& source, const QString& table, const Damage& damage) {
    SCOPED_TRACE(damage.what);
    const Scratch scratch(source);
    damage.apply(scratch);
    EXPECT_EQ(errorOf([&] { readAll(scratch.path(table)); }),
              damagedMessage(scratch, damage.file, damage.problem));
}

// The memo block that the first record's NOTE points to, as a file offset.
qint64 firstNoteBlock(const Scratch& s) {
    const quint32 block =
        qFromLittleEndian<quint32>(s.read(kTable).constData() + s.valueAt(kTable, 0, "NOTE"));
    return qint64(block) * 64;
}

TEST(DamagedTables, HeaderAndDescriptorFaults) {
    // 20 fields (with _NullFlags): header length 32 + 20 * 32 + 1 + 263 = 936, record length 143.
    const std::vector<Damage> cases = {
        {"file shorter than the header", [](const Scratch& s) { s.truncate(kTable, 20); },
         "sie ist mit 20 Bytes kürzer als der Tabellenkopf"},
        {"unknown version", [](const Scratch& s) { s.patch(kTable, 0, "\x99"); },
         "unbekannte Tabellenversion 0x99"},
        {"header length beyond the file",
         [](const Scratch& s) { s.patchInt<quint16>(kTable, 8, 60000); },
         "die Kopflänge 60000 reicht über das Dateiende (1509 Bytes)"},
        {"header length longer than the descriptors",
         [](const Scratch& s) { s.patchInt<quint16>(kTable, 8, 968); },
         "die Kopflänge 968 passt nicht zu 20 Feldbeschreibungen (erwartet 936)"},
        {"header length shorter than the descriptors",
         [](const Scratch& s) { s.patchInt<quint16>(kTable, 8, 640); },
         "die Kopflänge 640 ist zu kurz für die Feldbeschreibungen"},
        {"descriptors without end mark", [](const Scratch& s) { s.patch(kTable, 672, "X"); },
         "die Kopflänge 936 ist zu kurz für die Feldbeschreibungen"},
        {"record length disagrees with the fields",
         [](const Scratch& s) { s.patchInt<quint16>(kTable, 10, 144); },
         "Satzlänge 144 passt nicht zur Summe der Feldlängen (143 mit Löschkennzeichen)"},
        {"overlapping fields",
         [](const Scratch& s) {
             s.patchInt<quint32>(kTable, s.descriptor(kTable, "NAME") + 12, 30);
         },
         "Feld NAME liegt an Position 30 statt 40: die Felder überlappen oder lassen eine Lücke"},
        {"field beyond the record",
         [](const Scratch& s) {
             s.patchInt<quint32>(kTable, s.descriptor(kTable, "PIC") + 12, 60000);
         },
         "Feld PIC (Position 60000, Länge 4) reicht über die Satzlänge 143 hinaus"},
        {"type length off",
         [](const Scratch& s) { s.patch(kTable, s.descriptor(kTable, "QTY") + 16, "\x05"); },
         "Feld QTY vom Typ I hat die Länge 5 statt 4"},
        {"number field too wide",
         [](const Scratch& s) { s.patch(kTable, s.descriptor(kTable, "AMOUNT") + 16, "\x15"); },
         "Feld AMOUNT vom Typ N hat die unzulässige Länge 21"},
        {"unknown type",
         [](const Scratch& s) { s.patch(kTable, s.descriptor(kTable, "NAME") + 11, "X"); },
         "Feld NAME hat den unbekannten Typ \"X\""},
        {"empty field name",
         [](const Scratch& s) { s.patch(kTable, s.descriptor(kTable, "NAME"), QByteArray(1, 0)); },
         "das 6. Feld hat keinen Namen"},
        {"duplicate field name",
         [](const Scratch& s) { s.patch(kTable, s.descriptor(kTable, "NAME"), "NNAME"); },
         "der Feldname NNAME kommt doppelt vor"},
        {"record count beyond 32 bits of bytes",
         [](const Scratch& s) { s.patchInt<quint32>(kTable, 4, 0xFFFFFFFF); },
         "laut Kopf 4294967295 Sätze zu 143 Bytes, die Datei fasst aber nur 4"},
        {"records cut off", [](const Scratch& s) { s.truncate(kTable, 936 + 2 * 143 + 10); },
         "laut Kopf 4 Sätze zu 143 Bytes, die Datei fasst aber nur 2"},
        {"memo header too short", [](const Scratch& s) { s.truncate(kMemo, 100); },
         "der Kopf der Memodatei ist kürzer als 512 Bytes", kMemo},
        {"memo block size 0", [](const Scratch& s) { s.patch(kMemo, 6, QByteArray(2, 0)); },
         "die Blockgröße ist 0", kMemo},
    };
    for (const Damage& damage : cases)
        expectDamage(dataDir() + "/types", kTable, damage);
}

TEST(DamagedTables, RecordAndValueFaults) {
    const auto value = [](const char* field, const QByteArray& bytes) {
        return [=](const Scratch& s) { s.patch(kTable, s.valueAt(kTable, 0, field), bytes); };
    };
    const std::vector<Damage> cases = {
        {"deletion byte", [](const Scratch& s) { s.patch(kTable, 936 + 2 * 143, "X"); },
         "Satz 3 hat das ungültige Löschkennzeichen 0x58"},
        {"letter in a number", value("AMOUNT", "  12a4.50 "),
         "Feld AMOUNT in Satz 1 enthält keine gültige Zahl: \"  12a4.50 \""},
        {"fraction in an integer field", value("COUNT", "  1.5"),
         "Feld COUNT in Satz 1 enthält keine gültige Zahl: \"  1.5\""},
        {"number overflow", value("AMOUNT", "**********"),
         "Feld AMOUNT in Satz 1 ist übergelaufen: \"**********\""},
        {"letter in a date", value("BORN", "1999x231"),
         "Feld BORN in Satz 1 enthält kein gültiges Datum: \"1999x231\""},
        {"impossible date", value("BORN", "19990231"),
         "Feld BORN in Satz 1 enthält kein gültiges Datum: \"19990231\""},
        {"time past midnight",
         [](const Scratch& s) {
             s.patchInt<quint32>(kTable, s.valueAt(kTable, 0, "STAMP") + 4, 90000000);
         },
         "Feld STAMP in Satz 1 enthält keine gültige Uhrzeit (90000000 Millisekunden)"},
        {"logical", value("FLAG", "X"),
         "Feld FLAG in Satz 1 enthält keinen gültigen Wahrheitswert: \"X\""},
        {"memo pointer beyond the memo file",
         [](const Scratch& s) {
             s.patchInt<quint32>(kTable, s.valueAt(kTable, 0, "NOTE"), 0xFFFFFFFF);
         },
         "Satz 1, Feld NOTE verweist auf Block 4294967295 hinter dem Dateiende", kMemo},
        {"memo pointer into the memo header",
         [](const Scratch& s) { s.patchInt<quint32>(kTable, s.valueAt(kTable, 0, "NOTE"), 1); },
         "Satz 1, Feld NOTE verweist auf Block 1 im Dateikopf", kMemo},
        {"memo longer than its file",
         [](const Scratch& s) {
             s.patch(kMemo, firstNoteBlock(s) + 4, QByteArray::fromHex("7fffffff"));
         },
         "das Memo in Block 9 (Satz 1, Feld NOTE) ist 2147483647 Bytes lang und reicht über das "
         "Dateiende hinaus",
         kMemo},
    };
    for (const Damage& damage : cases)
        expectDamage(dataDir() + "/types", kTable, damage);
}

TEST(DamagedTables, MissingMemoFile) {
    const Scratch scratch(dataDir() + "/types");
    scratch.remove(kMemo);
    EXPECT_EQ(errorOf([&] { vfp::Table::open(scratch.path(kTable)); }),
              str("Die Memodatei " + QDir::toNativeSeparators(scratch.path("alltypes.FPT")) +
                  " zur Tabelle " + QDir::toNativeSeparators(scratch.path(kTable)) + " fehlt."));
}

TEST(DamagedTables, NullFlagsOfVisualFoxProFile) {
    REQUIRE_VFP_FIXTURES();
    const QString test = QStringLiteral("TEST.DBF");
    const std::vector<Damage> cases = {
        {"varchar length beyond its width",
         [&](const Scratch& s) { s.patch(test, s.valueAt(test, 0, "VAR") + 9, "\x0a"); },
         "Feld VAR in Satz 1 gibt die Länge 10 an, hat aber nur 9 Bytes Platz", test},
        // Four more nullable fields need 9 bits; _NullFlags has 8.
        {"_NullFlags too short for its bits",
         [&](const Scratch& s) {
             for (const char* field : {"PRODNAME", "DATE", "ACTIVE", "TAX"})
                 s.patch(test, s.descriptor(test, field) + 18, "\x02");
         },
         "die Spalte _NullFlags ist 1 Byte lang, braucht aber 9 Bits", test},
    };
    for (const Damage& damage : cases)
        expectDamage(vfpFixtures() + "/table", test, damage);
}

class DamagedContainer : public ::testing::Test {
protected:
    Scratch scratch{dataDir() + "/schule"};
    QString dbc() const { return scratch.path("QZ.DBC"); }
    QString dbcShown() const { return QDir::toNativeSeparators(dbc()); }
    // Offset of a table's path property entry in the container's memo file.
    qint64 pathEntry(const QByteArray& path) const {
        const qint64 at = scratch.read("QZ.DCT").indexOf(path + '\0');
        EXPECT_GE(at, 7);
        return at - 7;
    }
};

TEST_F(DamagedContainer, PropertyEntryOfLengthZeroOrBeyondTheData) {
    // The kolleg row's PROPERTY: an 8-byte class entry, then the 18-byte path entry.
    scratch.patchInt<quint32>("QZ.DCT", pathEntry("kolleg.dbf"), 0);
    EXPECT_EQ(errorOf([&] { vfp::Container::open(dbc()); }),
              damagedMessage(scratch, "QZ.DBC",
                             "die Eigenschaften der Tabelle kolleg enthalten bei Byte 8 einen "
                             "Eintrag der Länge 0"));
    scratch.patchInt<quint32>("QZ.DCT", pathEntry("kolleg.dbf"), 200);
    EXPECT_EQ(errorOf([&] { vfp::Container::open(dbc()); }),
              damagedMessage(scratch, "QZ.DBC",
                             "die Eigenschaften der Tabelle kolleg enthalten bei Byte 8 einen "
                             "Eintrag der Länge 200, es folgen aber nur 18 Bytes"));
}

TEST_F(DamagedContainer, MissingColumnOrMemo) {
    scratch.patch("QZ.DBC", scratch.descriptor("QZ.DBC", "OBJECTTYPE"), "OBJECTKIND");
    EXPECT_EQ(errorOf([&] { vfp::Container::open(dbc()); }),
              str("Die Datei " + dbcShown() +
                  " ist kein gültiger Datenbankcontainer: die Spalte OBJECTTYPE fehlt."));
    scratch.remove("QZ.DCT");
    EXPECT_EQ(errorOf([&] { vfp::Container::open(dbc()); }),
              str("Die Memodatei " + QDir::toNativeSeparators(scratch.path("QZ.DCT")) +
                  " zur Tabelle " + dbcShown() + " fehlt."));
}

TEST_F(DamagedContainer, PathsLeavingTheFolderAreRefused) {
    // Same length as the stored "daten\beleg_gk.dbf", so the entry stays consistent.
    for (const QByteArray path :
         {"..\\..\\beleg_gk.dbf", "C:\\te\\beleg_gk.dbf", "/etcd/beleg_gk.dbf"}) {
        const Scratch copy(dataDir() + "/schule");
        const QByteArray memo = copy.read("QZ.DCT");
        copy.patch("QZ.DCT", memo.indexOf("daten\\beleg_gk.dbf"), path);
        const vfp::Container container = vfp::Container::open(copy.path("QZ.DBC"));
        EXPECT_EQ(errorOf([&] { container.table("beleg_gk"); }),
                  str("Die Tabelle beleg_gk in " + QDir::toNativeSeparators(copy.path("QZ.DBC")) +
                      " verweist auf " + QString::fromLatin1(path) +
                      " außerhalb des Ordners der Datenbank."));
    }
}

} // namespace
