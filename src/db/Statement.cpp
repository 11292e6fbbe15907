#include "db/Statement.h"

#include <QSqlError>

namespace db {

Statement::Statement(Connection& c, QString sql) : Statement(c, std::move(sql), {}, {}) {}

Statement::Statement(Connection& c, QString sql, QString table, QStringList fields)
    : c_(&c), sql_(std::move(sql)), table_(std::move(table)), fields_(std::move(fields)),
      q_(c.database()) {
    q_.setForwardOnly(true);
    if (!q_.prepare(sql_))
        throw c_->error(q_.lastError(), sql_);
}

Statement Statement::insert(Connection& c, const QString& table, const QStringList& fields) {
    QStringList marks;
    for (qsizetype i = 0; i < fields.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql =
        fields.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, fields.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    return Statement(c, sql, table, fields);
}

QSqlQuery& Statement::run(const QVariantList& values) {
    q_.finish();
    for (int i = 0; i < values.size(); ++i) {
        if (i < fields_.size())
            checkValue(table_, fields_[i], values[i]);
        q_.bindValue(i, values[i]);
    }
    if (!q_.exec())
        throw c_->error(q_.lastError(), sql_);
    return q_;
}

QVariant Statement::scalar(const QVariantList& values) {
    QSqlQuery& q = run(values);
    const QVariant v = q.next() ? q.value(0) : QVariant();
    q.finish();
    return v;
}

QStringList column(QSqlQuery q) {
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace db
