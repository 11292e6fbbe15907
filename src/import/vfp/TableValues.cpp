#include "import/vfp/Error.h"
#include "import/vfp/TableData.h"

#include <QDate>
#include <QDateTime>
#include <QVariant>
#include <QtEndian>
#include <charconv>
#include <cstring>
#include <optional>
#include <stdexcept>

// The decoding of a record's values by field type, as Table.h lists them: text by the table's
// code page, numbers, logicals, dates and times, varying fields and memos. A malformed value
// throws an Error naming the file, the record and the field when it is read.
namespace vfp::detail {

namespace {

constexpr qint64 kMillisecondsPerDay = 86400000;

QString quoted(QByteArrayView raw) {
    return QStringLiteral("\"%1\"").arg(QString::fromLatin1(raw.data(), raw.size()));
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

} // namespace

void TableData::badValue(qint64 index, const Column& column, const QString& problem) const {
    throw Error::damaged(
        path,
        QStringLiteral("Feld %1 in Satz %2 %3").arg(column.field.name).arg(index + 1).arg(problem));
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

} // namespace vfp::detail
