#pragma once

#include "import/vfp/Error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace vfp {

namespace detail {
struct TableData;
}

// One visible column of a table, as its descriptor defines it.
struct Field {
    QString name;     // as stored in the table: at most 10 characters
    QString longName; // the container's name for the field; empty for a free table
    char type = 0;    // the descriptor's type letter: 'C', 'N', 'I', 'M', 'V' ...
    int length = 0;
    int decimals = 0;
    bool nullable = false;
};

// One live record met while walking a table (Table::next). It is a view into the table's bytes,
// valid as long as a Table sharing them lives; a value is decoded only when asked for.
//
// Values: C text trimmed on the right, all blank -> null; N, F qlonglong without decimals, else
// double, blank -> null; I int; L bool or null; D QDate, T QDateTime (local, whole seconds) or
// null; Y, B double; V text as long as stored; M text by the table's code page (binary memo ->
// QByteArray); Q, G, W, P QByteArray; an empty memo pointer or a set null bit -> null.
class Record {
public:
    // The record number as Visual FoxPro counts it: from 1, deleted records included.
    qint64 number() const { return index_ + 1; }
    // Throws Error when the stored value is malformed, std::out_of_range for a bad ordinal.
    QVariant value(int ordinal) const;
    // Throws Error when the table has no such field (see Table::requireField).
    QVariant value(const QString& fieldName) const;
    // The ordinal of the field; throws Error when the table has no such field.
    int ordinal(const QString& fieldName) const;
    // The error for a value the reader can read but its user cannot take: "Der Wert "<value as
    // the file holds it>" im Feld <name> in Satz <n> der Datei <path> <problem>."
    Error refusal(int ordinal, const QString& problem) const;

private:
    friend class Table;
    friend class Container;
    QByteArray memoBytes(int ordinal) const;

    const detail::TableData* data_ = nullptr;
    qint64 index_ = -1;
};

// A Visual FoxPro or FoxPro/dBase table (DBF) with its memo file, read-only.
//
// The file is read whole on open and checked: header, field descriptors, record layout, record
// count and the memo file's header. Faults found only in a record (deletion byte, malformed
// number, memo pointer outside the memo file) throw when that record or value is reached.
// Versions 0x30-0x32 (Visual FoxPro) and 0x02, 0x03, 0x83, 0xF5 (FoxBASE, FoxPro 2, dBase III).
// Index files (.CDX) are not read: records come in stored order. Copies share the data.
class Table {
public:
    // Throws Error naming the file and the problem.
    static Table open(const QString& path);

    const QString& fileName() const;
    // Windows code page of the text (437, 850, 1252 ...); 0 when the table carries no mark.
    int codePage() const;
    // Stored records, deleted ones included.
    qint64 recordCount() const;

    // Visible fields: the hidden _NullFlags column is not counted.
    int fieldCount() const;
    const Field& field(int ordinal) const;
    // The ordinal of the field with this name or long name, letter case ignored; -1 if none.
    int fieldIndex(const QString& name) const;
    // As fieldIndex, but a missing field is an Error naming the file and the field.
    int requireField(const QString& name) const;

    // Moves `record` to the next live record (the first one for a fresh Record); false at the
    // end. Deleted records are skipped.
    //     vfp::Record r;
    //     while (table.next(r)) use(r.value(ko_id));
    bool next(Record& record) const;

private:
    friend class Container;
    explicit Table(std::shared_ptr<detail::TableData> data);
    // Names the fields as the container does when it names each one, in field order.
    void setLongFieldNames(const QStringList& names);

    std::shared_ptr<detail::TableData> d_;
};

} // namespace vfp
