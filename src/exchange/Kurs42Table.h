#pragma once

#include "exchange/Kurs42.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <map>
#include <vector>

// The text and table layer under the export's reader and writer: decoding, the ';' tables with
// their header, and the rows as written.
namespace exchange::kurs42::table {

// "Kurse.txt, Zeile 3: " - the start of every message about a place in a file (line 0: the file).
QString where(const QString& file, int line);
[[noreturn]] void fail(const QString& file, int line, const QString& text);

// The text of an export file: a leading byte-order mark dropped, decoded as UTF-8, or as
// ISO-8859-1 when it is not valid UTF-8; the fallback is noted in warnings with the first line
// that is not.
QString decode(const QString& file, const QByteArray& bytes, QStringList& warnings);

// The lines of a text (LF, CR LF or CR alone), numbered from 1; blank lines are left out.
std::vector<std::pair<int, QString>> lines(const QString& text);

// A ';' table whose first line names the columns. Columns are found by name; fields may be
// quoted ("" inside quotes is one quote).
class Table {
public:
    struct Row {
        int line = 0;
        QStringList fields;
    };

    // Throws FormatError for a missing header, a column named twice, a quote left open or a row
    // with more or fewer fields than the header.
    Table(QString file, const QString& text);

    const QString& file() const { return file_; }
    const std::vector<Row>& rows() const { return rows_; }
    bool has(const QString& column) const { return columns_.count(column) > 0; }
    // Throws FormatError naming line 1 for the first column missing.
    void require(std::initializer_list<const char*> columns) const;

    // The field as written; "" when the column or the field is missing.
    QString raw(const Row& row, const QString& column) const;
    // The field, "--" (the export's "none") read as "".
    QString text(const Row& row, const QString& column) const;
    // The field as a whole number; empty and "--" read as 0. Throws FormatError.
    qint64 number(const Row& row, const QString& column) const;
    // number() within the range of int.
    int integer(const Row& row, const QString& column) const;
    // A rail list "[2,3]" (brackets optional); "", "--" and "[]" are empty. Sorted, each once.
    std::vector<int> rails(const Row& row, const QString& column) const;
    // The fields of the columns not in kept, by header name.
    Extra extra(const Row& row, std::initializer_list<const char*> kept) const;

private:
    QString file_;
    std::map<QString, int> columns_;
    QStringList header_;
    std::vector<Row> rows_;
};

// A column of a table as written: texts quoted, numbers bare.
struct Column {
    const char* name;
    bool number = false;
    const char* absent = nullptr; // written where a row has no value; null: "0" or ""
};

// A table as the export writes it: UTF-8 with byte-order mark, CR LF, the header quoted, the
// columns given first and after them every further column any row has, by name. Each row holds
// its values by column name.
QByteArray render(const std::vector<Column>& columns, const std::vector<Extra>& rows);

} // namespace exchange::kurs42::table
