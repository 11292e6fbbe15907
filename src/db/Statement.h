#pragma once

#include "db/Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace db {

// A statement prepared once and run again with new values, for the look-ups a command repeats
// per course or per student (preparing costs more than running an indexed look-up).
class Statement {
public:
    Statement(Connection& c, QString sql) : c_(c), sql_(std::move(sql)), q_(c.database()) {
        q_.setForwardOnly(true);
        if (!q_.prepare(sql_))
            throw c_.error(q_.lastError(), sql_);
    }

    QSqlQuery& run(const QVariantList& values) {
        q_.finish();
        for (int i = 0; i < values.size(); ++i)
            q_.bindValue(i, values[i]);
        if (!q_.exec())
            throw c_.error(q_.lastError(), sql_);
        return q_;
    }

private:
    Connection& c_;
    QString sql_;
    QSqlQuery q_;
};

} // namespace db
