#pragma once

#include "db/Database.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace db {

// The one way to run SQL: a statement prepared once (a failure throws DbError) and run again with
// new values bound in order, never spliced into the text. A statement that writes into named
// fields checks every value against the schema first (checkValue), so an overlong text is a
// clear message, not an engine error.
class Statement {
public:
    Statement(Connection& c, QString sql);
    // A write whose placeholders take the values of these fields of the table, in order.
    Statement(Connection& c, QString sql, QString table, QStringList fields);
    // An INSERT of these fields into the table.
    static Statement insert(Connection& c, const QString& table, const QStringList& fields);

    Statement(Statement&&) = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Runs the statement; the query is positioned before its first row.
    QSqlQuery& run(const QVariantList& values = {});
    // The first column of the first row, or null.
    QVariant scalar(const QVariantList& values = {});
    // The key of the row the last run inserted.
    qint64 lastInsertId() const { return q_.lastInsertId().toLongLong(); }
    const QString& sql() const { return sql_; }

private:
    Connection* c_;
    QString sql_;
    QString table_;
    QStringList fields_;
    QSqlQuery q_;
};

// The first column of every row of q, as text.
QStringList column(QSqlQuery q);

} // namespace db
