#include "import/vfp/Table.h"

#include "import/vfp/Error.h"
#include "import/vfp/Files.h"
#include "import/vfp/MemoFile.h"
#include "platform/CodePage.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace vfp {

namespace detail {

struct Column {
    Field field;
    qint64 offset = 0; // in the record, after the deletion byte
    int nullBit = -1;  // in _NullFlags; -1 when not nullable
    int varBit = -1;   // V, Q: set when the real length stands in the field's last byte
    bool binary = false;
};

struct TableData {
    QString path;
    QByteArray bytes;
    int codePage = 0;
    qint64 headerLength = 0;
    qint64 recordLength = 0;
    qint64 recordCount = 0;
    QList<Column> columns;
    qint64 nullFlagsOffset = -1;
    std::optional<MemoFile> memoFile;

    const char* record(qint64 index) const {
        return bytes.constData() + headerLength + index * recordLength;
    }
    int fieldIndex(const QString& name) const;
    int requireField(const QString& name) const;
    bool isNull(const char* record, const Column& column) const;
    QVariant value(qint64 index, int ordinal) const;
    QVariant numberValue(qint64 index, const Column& column, QByteArrayView raw) const;
    QVariant logicalValue(qint64 index, const Column& column, QByteArrayView raw) const;
    QVariant dateValue(qint64 index, const Column& column, QByteArrayView raw) const;
    QVariant dateTimeValue(qint64 index, const Column& column, const char* p) const;
    QVariant varyingValue(qint64 index, const Column& column, const char* record) const;
    QVariant memoValue(qint64 index, const Column& column) const;
    QByteArrayView memoData(qint64 index, const Column& column) const;
    [[noreturn]] void badValue(qint64 index, const Column& column, const QString& problem) const;
};

} // namespace detail

using detail::Column;
using detail::TableData;

namespace {

constexpr qint64 kHeaderSize = 32;
constexpr qint64 kDescriptorSize = 32;
constexpr qint64 kBacklinkSize = 263;
constexpr int kMaxDescriptors = 255;
constexpr qint64 kMaxRecordLength = 65500;
constexpr qint64 kMillisecondsPerDay = 86400000;

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

QString hex(int value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, u'0');
}

QString quoted(QByteArrayView raw) {
    return QStringLiteral("\"%1\"").arg(QString::fromLatin1(raw.data(), raw.size()));
}

QByteArrayView trimmed(QByteArrayView raw) {
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && (raw[begin] == ' ' || raw[begin] == '\0'))
        ++begin;
    while (end > begin && (raw[end - 1] == ' ' || raw[end - 1] == '\0'))
        --end;
    return raw.sliced(begin, end - begin);
}

QString decodeText(QByteArrayView raw, int codePage) {
    return platform::CodePage::decode(QByteArray::fromRawData(raw.data(), raw.size()), codePage);
}

std::optional<qlonglong> parseInteger(QByteArrayView text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    qlonglong value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

std::optional<double> parseDecimal(QByteArrayView text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    // from_chars would also take "inf" and "nan", which no FoxPro number field holds.
    for (const char* p = begin; p != end; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '.' || *p == '-' || *p == 'e' || *p == 'E' ||
              *p == '+'))
            return std::nullopt;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

bool allDigits(QByteArrayView text) {
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
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

} // namespace

// ---- reading values ----

void TableData::badValue(qint64 index, const Column& column, const QString& problem) const {
    throw Error::damaged(
        path,
        QStringLiteral("Feld %1 in Satz %2 %3").arg(column.field.name).arg(index + 1).arg(problem));
}

int TableData::fieldIndex(const QString& name) const {
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const Field& f = columns[i].field;
        if (f.name.compare(name, Qt::CaseInsensitive) == 0 ||
            (!f.longName.isEmpty() && f.longName.compare(name, Qt::CaseInsensitive) == 0))
            return int(i);
    }
    return -1;
}

int TableData::requireField(const QString& name) const {
    const int index = fieldIndex(name);
    if (index < 0)
        throw Error(
            QStringLiteral("Das Feld %1 fehlt in der Tabelle %2.").arg(name, displayPath(path)));
    return index;
}

bool TableData::isNull(const char* rec, const Column& column) const {
    if (column.nullBit < 0)
        return false;
    const auto flags = static_cast<unsigned char>(rec[nullFlagsOffset + column.nullBit / 8]);
    return (flags >> (column.nullBit % 8)) & 1;
}

QByteArrayView TableData::memoData(qint64 index, const Column& column) const {
    const char* raw = record(index) + column.offset;
    quint32 block = 0;
    if (column.field.length == 4) {
        block = qFromLittleEndian<quint32>(raw);
    } else {
        // FoxPro 2 and dBase III keep the block number as ten ASCII digits.
        const QByteArrayView digits = trimmed(QByteArrayView(raw, column.field.length));
        if (!digits.isEmpty()) {
            const auto number = parseInteger(digits);
            if (!allDigits(digits) || !number || *number > 0xFFFFFFFFLL)
                badValue(index, column,
                         QStringLiteral("enthält keinen gültigen Memoverweis: %1")
                             .arg(quoted(QByteArrayView(raw, column.field.length))));
            block = quint32(*number);
        }
    }
    if (block == 0)
        return {};
    return memoFile->block(
        block, QStringLiteral("Satz %1, Feld %2").arg(index + 1).arg(column.field.name));
}

namespace {

// C: trimmed on the right; all blank is null.
QVariant textValue(QByteArrayView raw, int codePage) {
    qsizetype end = raw.size();
    while (end > 0 && (raw[end - 1] == ' ' || raw[end - 1] == '\0'))
        --end;
    if (end == 0)
        return {};
    return decodeText(raw.first(end), codePage);
}

double doubleValue(const char* p) {
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double value = 0;
    static_assert(sizeof value == sizeof bits);
    memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

QVariant TableData::numberValue(qint64 index, const Column& column, QByteArrayView raw) const {
    const QByteArrayView text = trimmed(raw);
    if (text.isEmpty())
        return {};
    if (text.contains('*'))
        badValue(index, column, QStringLiteral("ist übergelaufen: %1").arg(quoted(raw)));
    if (column.field.decimals == 0) {
        if (const auto number = parseInteger(text))
            return *number;
    } else if (const auto number = parseDecimal(text)) {
        return *number;
    }
    badValue(index, column, QStringLiteral("enthält keine gültige Zahl: %1").arg(quoted(raw)));
}

QVariant TableData::logicalValue(qint64 index, const Column& column, QByteArrayView raw) const {
    switch (raw[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    case '?':
    case ' ':
    case '\0':
        return {};
    default:
        badValue(index, column,
                 QStringLiteral("enthält keinen gültigen Wahrheitswert: %1").arg(quoted(raw)));
    }
}

QVariant TableData::dateValue(qint64 index, const Column& column, QByteArrayView raw) const {
    if (trimmed(raw).isEmpty() || raw == QByteArrayView("00000000"))
        return {};
    if (allDigits(raw)) {
        const char* p = raw.data();
        const QDate date(QByteArrayView(p, 4).toInt(), QByteArrayView(p + 4, 2).toInt(),
                         QByteArrayView(p + 6, 2).toInt());
        if (date.isValid())
            return date;
    }
    badValue(index, column, QStringLiteral("enthält kein gültiges Datum: %1").arg(quoted(raw)));
}

// T: day number and milliseconds since midnight.
QVariant TableData::dateTimeValue(qint64 index, const Column& column, const char* p) const {
    const quint32 day = qFromLittleEndian<quint32>(p);
    const quint32 ms = qFromLittleEndian<quint32>(p + 4);
    if (day == 0)
        return {};
    if (ms >= kMillisecondsPerDay)
        badValue(index, column,
                 QStringLiteral("enthält keine gültige Uhrzeit (%1 Millisekunden)").arg(ms));
    // Visual FoxPro keeps whole seconds; the stored milliseconds carry its rounding
    // (01:00:00 is written as 00:59:59.999).
    qint64 seconds = (qint64(ms) + 500) / 1000;
    QDate date = QDate::fromJulianDay(day);
    if (seconds == 86400) {
        date = date.addDays(1);
        seconds = 0;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(seconds * 1000)));
}

// V, Q: as long as stored; a set varlength bit puts the real length in the last byte, which is
// then no data itself.
QVariant TableData::varyingValue(qint64 index, const Column& column, const char* rec) const {
    const char* p = rec + column.offset;
    const int length = column.field.length;
    qsizetype size = length;
    const auto varFlags = static_cast<unsigned char>(rec[nullFlagsOffset + column.varBit / 8]);
    if ((varFlags >> (column.varBit % 8)) & 1) {
        size = static_cast<unsigned char>(p[length - 1]);
        if (size > length - 1)
            badValue(index, column,
                     QStringLiteral("gibt die Länge %1 an, hat aber nur %2 Bytes Platz")
                         .arg(size)
                         .arg(length - 1));
    }
    if (column.field.type == 'Q')
        return QByteArray(p, size);
    return decodeText(QByteArrayView(p, size), codePage);
}

// M as text (binary memo as bytes); G, W, P as bytes; an empty memo pointer is null.
QVariant TableData::memoValue(qint64 index, const Column& column) const {
    const QByteArrayView data = memoData(index, column);
    if (data.isNull())
        return {};
    if (column.field.type == 'M' && !column.binary)
        return decodeText(data, codePage);
    return data.toByteArray();
}

QVariant TableData::value(qint64 index, int ordinal) const {
    if (ordinal < 0 || ordinal >= columns.size())
        throw std::out_of_range("vfp::Record::value: field ordinal out of range");
    const Column& column = columns[ordinal];
    const char* rec = record(index);
    if (isNull(rec, column))
        return {};
    const char* p = rec + column.offset;
    const QByteArrayView raw(p, column.field.length);

    switch (column.field.type) {
    case 'C':
        return textValue(raw, codePage);
    case 'N':
    case 'F':
        return numberValue(index, column, raw);
    case 'I':
        return qFromLittleEndian<qint32>(p);
    case 'L':
        return logicalValue(index, column, raw);
    case 'D':
        return dateValue(index, column, raw);
    case 'T':
        return dateTimeValue(index, column, p);
    case 'Y':
        return double(qFromLittleEndian<qint64>(p)) / 10000.0;
    case 'B':
        return doubleValue(p);
    case 'V':
    case 'Q':
        return varyingValue(index, column, rec);
    case 'M':
    case 'G':
    case 'W':
    case 'P':
        return memoValue(index, column);
    }
    return {};
}

// ---- Record ----

QVariant Record::value(int ordinal) const {
    if (!data_ || index_ < 0 || index_ >= data_->recordCount)
        throw std::logic_error("vfp::Record::value: the record is not positioned");
    return data_->value(index_, ordinal);
}

QVariant Record::value(const QString& fieldName) const {
    return value(ordinal(fieldName));
}

int Record::ordinal(const QString& fieldName) const {
    if (!data_)
        throw std::logic_error("vfp::Record::value: the record is not positioned");
    return data_->requireField(fieldName);
}

Error Record::refusal(int ordinal, const QString& problem) const {
    const Field& field = data_->columns.at(ordinal).field;
    // Characters as written; a binary number as the number it holds.
    const QByteArrayView raw(data_->record(index_) + data_->columns[ordinal].offset, field.length);
    const QString stored = QByteArrayLiteral("CNFDL").contains(field.type)
                               ? decodeText(trimmed(raw), data_->codePage)
                               : value(ordinal).toString();
    return Error(
        QStringLiteral("Der Wert \"%1\" im Feld %2 in Satz %3 der Datei %4 %5.")
            .arg(stored, field.name, QString::number(number()), displayPath(data_->path), problem));
}

QByteArray Record::memoBytes(int ordinal) const {
    const Column& column = data_->columns.at(ordinal);
    if (data_->isNull(data_->record(index_), column))
        return {};
    return data_->memoData(index_, column).toByteArray();
}

// ---- Table ----

Table::Table(std::shared_ptr<TableData> data) : d_(std::move(data)) {}

namespace {

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

Table Table::open(const QString& path) {
    auto d = std::make_shared<TableData>();
    d->path = path;
    d->bytes = readWholeFile(path);
    const int version = readHeader(*d);
    const bool vfp = isVisualFoxPro(version);
    QList<Column> all = readDescriptors(*d, vfp);
    layOut(*d, all, vfp);
    checkRecordCount(*d);
    setColumns(*d, all);
    openMemoFile(*d, version);
    return Table(std::move(d));
}

const QString& Table::fileName() const {
    return d_->path;
}

int Table::codePage() const {
    return d_->codePage;
}

qint64 Table::recordCount() const {
    return d_->recordCount;
}

int Table::fieldCount() const {
    return int(d_->columns.size());
}

const Field& Table::field(int ordinal) const {
    if (ordinal < 0 || ordinal >= d_->columns.size())
        throw std::out_of_range("vfp::Table::field: field ordinal out of range");
    return d_->columns[ordinal].field;
}

int Table::fieldIndex(const QString& name) const {
    return d_->fieldIndex(name);
}

int Table::requireField(const QString& name) const {
    return d_->requireField(name);
}

bool Table::next(Record& record) const {
    qint64 index = record.data_ == d_.get() ? record.index_ + 1 : 0;
    record.data_ = d_.get();
    for (; index < d_->recordCount; ++index) {
        const char mark = *d_->record(index);
        if (mark == ' ') {
            record.index_ = index;
            return true;
        }
        if (mark != '*')
            throw Error::damaged(d_->path,
                                 QStringLiteral("Satz %1 hat das ungültige Löschkennzeichen %2")
                                     .arg(index + 1)
                                     .arg(hex(static_cast<unsigned char>(mark))));
    }
    record.index_ = d_->recordCount;
    return false;
}

void Table::setLongFieldNames(const QStringList& names) {
    for (qsizetype i = 0; i < names.size() && i < d_->columns.size(); ++i)
        d_->columns[i].field.longName = names[i];
}

} // namespace vfp
