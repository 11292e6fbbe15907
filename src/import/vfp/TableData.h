#pragma once

#include "import/vfp/MemoFile.h"
#include "import/vfp/Table.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// The inside of a Table, private to the reader: Table.h shows only Table and Record.
namespace vfp::detail {

// One column as the record lays it out, the hidden _NullFlags column included while reading.
struct Column {
    Field field;
    qint64 offset = 0; // in the record, after the deletion byte
    int nullBit = -1;  // in _NullFlags; -1 when not nullable
    int varBit = -1;   // V, Q: set when the real length stands in the field's last byte
    bool binary = false;
};

// What a Table and its Records share: the file's bytes, read whole, and its checked layout.
// readStructure (TableStructure.cpp) fills it on open; the value methods (TableValues.cpp)
// decode a record's fields from it; Table.cpp looks fields up by name.
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

// The header and field descriptors read and checked, the visible columns laid out and the memo
// file opened; throws Error naming the file and the problem.
void readStructure(TableData& d);

// Shared by the structure checks and the value decoding.

inline QString hex(int value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, u'0');
}

inline QByteArrayView trimmed(QByteArrayView raw) {
    qsizetype begin = 0;
    qsizetype end = raw.size();
    while (begin < end && (raw[begin] == ' ' || raw[begin] == '\0'))
        ++begin;
    while (end > begin && (raw[end - 1] == ' ' || raw[end - 1] == '\0'))
        --end;
    return raw.sliced(begin, end - begin);
}

inline QString decodeText(QByteArrayView raw, int codePage) {
    return platform::CodePage::decode(QByteArray::fromRawData(raw.data(), raw.size()), codePage);
}

} // namespace vfp::detail
