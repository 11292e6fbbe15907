#include "import/vfp/Error.h"
#include "import/vfp/Files.h"
#include "import/vfp/TableData.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

// The structure of a table, checked once on open: the header (version, record count and
// lengths, code page), the field descriptors (names, types, lengths, decimals), the fields'
// places in the record, the record count against the file's size, the _NullFlags bits and the
// memo file. Every inconsistency is an Error naming the file and the problem; what only a
// record can show (its deletion byte, a malformed value) is left to the reading of values.
namespace vfp::detail {

namespace {

constexpr qint64 kHeaderSize = 32;
constexpr qint64 kDescriptorSize = 32;
constexpr qint64 kBacklinkSize = 263;
constexpr int kMaxDescriptors = 255;
constexpr qint64 kMaxRecordLength = 65500;

bool isVisualFoxPro(int version) {
    return version == 0x30 || version == 0x31 || version == 0x32;
}

bool isKnownVersion(int version) {
    return isVisualFoxPro(version) || version == 0x02 || version == 0x03 || version == 0x83 ||
           version == 0xF5;
}

bool isMemoType(char type) {
    return type == 'M' || type == 'G' || type == 'W' || type == 'P';
}

// The length a type must have; 0 where it varies.
int fixedLength(char type) {
    switch (type) {
    case 'I':
    case 'M':
    case 'G':
    case 'W':
    case 'P':
        return 4;
    case 'L':
        return 1;
    case 'D':
    case 'T':
    case 'Y':
    case 'B':
        return 8;
    default:
        return 0;
    }
}

int maxLength(char type) {
    switch (type) {
    case 'N':
    case 'F':
        return 20;
    case 'C':
    case 'V':
    case 'Q':
        return 254;
    case '0':
        return 255;
    default:
        return 0;
    }
}

// Where each column's bits stand in _NullFlags: in field order, a V or Q field first gets its
// varlength bit, then a nullable field its null bit. Returns the number of bits handed out.
int assignFlagBits(QList<Column>& columns) {
    int bits = 0;
    for (Column& column : columns) {
        if (column.field.type == 'V' || column.field.type == 'Q')
            column.varBit = bits++;
        if (column.field.nullable)
            column.nullBit = bits++;
    }
    return bits;
}

Error damaged(const TableData& d, const QString& problem) {
    return Error::damaged(d.path, problem);
}

// The table header: version, record count and lengths, code page. Returns the version.
int readHeader(TableData& d) {
    const qint64 size = d.bytes.size();
    if (size < kHeaderSize)
        throw damaged(d,
                      QStringLiteral("sie ist mit %1 Bytes kürzer als der Tabellenkopf").arg(size));
    const auto* head = reinterpret_cast<const unsigned char*>(d.bytes.constData());
    const int version = head[0];
    if (!isKnownVersion(version))
        throw damaged(d, QStringLiteral("unbekannte Tabellenversion %1").arg(hex(version)));
    d.recordCount = qFromLittleEndian<quint32>(head + 4);
    d.headerLength = qFromLittleEndian<quint16>(head + 8);
    d.recordLength = qFromLittleEndian<quint16>(head + 10);
    d.codePage = platform::CodePage::fromDbfMark(head[29]);
    if (d.headerLength > size)
        throw damaged(d, QStringLiteral("die Kopflänge %1 reicht über das Dateiende (%2 Bytes)")
                             .arg(d.headerLength)
                             .arg(size));
    return version;
}

Column readDescriptor(const unsigned char* desc) {
    Column column;
    qsizetype nameLength = 0;
    while (nameLength < 11 && desc[nameLength] != 0)
        ++nameLength;
    column.field.name = QString::fromLatin1(reinterpret_cast<const char*>(desc), nameLength);
    column.field.type = static_cast<char>(desc[11]);
    column.offset = qFromLittleEndian<quint32>(desc + 12);
    column.field.length = desc[16];
    column.field.decimals = desc[17];
    column.field.nullable = desc[18] & 0x02;
    column.binary = desc[18] & 0x04;
    return column;
}

// The field descriptors, ended by 0x0D; a Visual FoxPro header holds the backlink after them.
QList<Column> readDescriptors(const TableData& d, bool vfp) {
    const auto* head = reinterpret_cast<const unsigned char*>(d.bytes.constData());
    const auto tooShort = [&]() {
        return damaged(d, QStringLiteral("die Kopflänge %1 ist zu kurz für die Feldbeschreibungen")
                              .arg(d.headerLength));
    };
    QList<Column> all;
    qint64 at = kHeaderSize;
    for (;;) {
        if (at >= d.headerLength)
            throw tooShort();
        if (head[at] == 0x0D)
            break;
        if (all.size() == kMaxDescriptors)
            throw damaged(d, QStringLiteral("die Feldbeschreibungen enden nicht nach %1 Feldern")
                                 .arg(kMaxDescriptors));
        if (at + kDescriptorSize > d.headerLength)
            throw tooShort();
        all.append(readDescriptor(head + at));
        at += kDescriptorSize;
    }
    const qint64 fieldsEnd = at + 1;
    if (vfp ? d.headerLength != fieldsEnd + kBacklinkSize : d.headerLength < fieldsEnd)
        throw damaged(d, QStringLiteral("die Kopflänge %1 passt nicht zu %2 Feldbeschreibungen "
                                        "(erwartet %3)")
                             .arg(d.headerLength)
                             .arg(all.size())
                             .arg(vfp ? fieldsEnd + kBacklinkSize : fieldsEnd));
    return all;
}

// The i-th field's name, type, length and decimals.
void checkField(const TableData& d, const QList<Column>& all, qsizetype i, bool vfp) {
    const Field& f = all[i].field;
    const QString type = QString::fromLatin1(&f.type, 1);
    if (f.name.isEmpty())
        throw damaged(d, QStringLiteral("das %1. Feld hat keinen Namen").arg(i + 1));
    for (qsizetype j = 0; j < i; ++j)
        if (all[j].field.name.compare(f.name, Qt::CaseInsensitive) == 0)
            throw damaged(d, QStringLiteral("der Feldname %1 kommt doppelt vor").arg(f.name));
    if (!QByteArrayView("CNFILDTYBMVQGWP0").contains(f.type))
        throw damaged(d,
                      QStringLiteral("Feld %1 hat den unbekannten Typ \"%2\"").arg(f.name, type));
    const int fixed = fixedLength(f.type);
    // FoxPro 2 and dBase III memo fields hold the block number in ten digits.
    const bool tenDigitMemo = !vfp && isMemoType(f.type) && f.length == 10;
    if (fixed != 0 && f.length != fixed && !tenDigitMemo)
        throw damaged(d, QStringLiteral("Feld %1 vom Typ %2 hat die Länge %3 statt %4")
                             .arg(f.name, type)
                             .arg(f.length)
                             .arg(fixed));
    if (fixed == 0 && (f.length < 1 || f.length > maxLength(f.type)))
        throw damaged(d, QStringLiteral("Feld %1 vom Typ %2 hat die unzulässige Länge %3")
                             .arg(f.name, type)
                             .arg(f.length));
    if ((f.type == 'N' || f.type == 'F') && f.decimals > 0 && f.decimals >= f.length)
        throw damaged(d, QStringLiteral("Feld %1 hat %2 Nachkommastellen bei der Länge %3")
                             .arg(f.name)
                             .arg(f.decimals)
                             .arg(f.length));
}

// Old dBase writers leave garbage in the displacement: only Visual FoxPro's counts, and there
// the fields follow each other without gap or overlap.
void checkPlace(const TableData& d, const Column& column, qint64 position) {
    const Field& f = column.field;
    if (column.offset + f.length > d.recordLength)
        throw damaged(d, QStringLiteral("Feld %1 (Position %2, Länge %3) reicht über die "
                                        "Satzlänge %4 hinaus")
                             .arg(f.name)
                             .arg(column.offset)
                             .arg(f.length)
                             .arg(d.recordLength));
    if (column.offset != position)
        throw damaged(d, QStringLiteral("Feld %1 liegt an Position %2 statt %3: die Felder "
                                        "überlappen oder lassen eine Lücke")
                             .arg(f.name)
                             .arg(column.offset)
                             .arg(position));
}

// Each field's type and length, and its place in the record; the record length they add up to.
void layOut(const TableData& d, QList<Column>& all, bool vfp) {
    qint64 position = 1;
    int nullFlagsColumns = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        checkField(d, all, i, vfp);
        Column& column = all[i];
        if (column.field.type == '0' && ++nullFlagsColumns > 1)
            throw damaged(d, QStringLiteral("die Spalte _NullFlags kommt mehrfach vor"));
        if (vfp)
            checkPlace(d, column, position);
        column.offset = position;
        position += column.field.length;
    }
    if (d.recordLength > kMaxRecordLength)
        throw damaged(d, QStringLiteral("die Satzlänge %1 liegt über %2")
                             .arg(d.recordLength)
                             .arg(kMaxRecordLength));
    if (d.recordLength != position) // also catches 0: position counts the deletion byte
        throw damaged(d, QStringLiteral("Satzlänge %1 passt nicht zur Summe der Feldlängen (%2 "
                                        "mit Löschkennzeichen)")
                             .arg(d.recordLength)
                             .arg(position));
}

// The records, computed in 64 bits: a count near 2^32 times a long record must not wrap.
void checkRecordCount(const TableData& d) {
    const qint64 room = (d.bytes.size() - d.headerLength) / d.recordLength;
    if (d.recordCount > room)
        throw damaged(d,
                      QStringLiteral("laut Kopf %1 Sätze zu %2 Bytes, die Datei fasst aber nur %3")
                          .arg(d.recordCount)
                          .arg(d.recordLength)
                          .arg(room));
}

// The visible fields, and the bits of _NullFlags.
void setColumns(TableData& d, const QList<Column>& all) {
    qint64 nullFlagsLength = 0;
    for (const Column& column : all) {
        if (column.field.type == '0') {
            d.nullFlagsOffset = column.offset;
            nullFlagsLength = column.field.length;
        } else {
            d.columns.append(column);
        }
    }
    const int bits = assignFlagBits(d.columns);
    if (bits > nullFlagsLength * 8) {
        if (d.nullFlagsOffset < 0)
            throw damaged(d, QStringLiteral("es gibt Felder mit NULL-Werten oder variabler Länge, "
                                            "aber keine Spalte _NullFlags"));
        throw damaged(d,
                      QStringLiteral("die Spalte _NullFlags ist %1 Byte lang, braucht aber %2 Bits")
                          .arg(nullFlagsLength)
                          .arg(bits));
    }
}

// The memo file: .FPT beside a table, .DCT beside a container, .DBT for dBase III.
void openMemoFile(TableData& d, int version) {
    const bool hasMemo = std::any_of(d.columns.cbegin(), d.columns.cend(),
                                     [](const Column& c) { return isMemoType(c.field.type); });
    if (!hasMemo)
        return;
    const QFileInfo info(d.path);
    const QString base = info.completeBaseName();
    QString extension = QStringLiteral(".fpt");
    if (info.suffix().compare(QLatin1String("dbc"), Qt::CaseInsensitive) == 0)
        extension = QStringLiteral(".dct");
    else if (version == 0x83)
        extension = QStringLiteral(".dbt");
    const QString memoPath = findIgnoringCase(info.path(), base + extension);
    if (memoPath.isEmpty())
        throw Error(QStringLiteral("Die Memodatei %1 zur Tabelle %2 fehlt.")
                        .arg(displayPath(info.dir().filePath(base + extension.toUpper())),
                             displayPath(d.path)));
    d.memoFile.emplace(memoPath, extension == QLatin1String(".dbt") ? MemoFile::Kind::DBase3
                                                                    : MemoFile::Kind::FoxPro);
}

} // namespace

void readStructure(TableData& d) {
    const int version = readHeader(d);
    const bool vfp = isVisualFoxPro(version);
    QList<Column> all = readDescriptors(d, vfp);
    layOut(d, all, vfp);
    checkRecordCount(d);
    setColumns(d, all);
    openMemoFile(d, version);
}

} // namespace vfp::detail
