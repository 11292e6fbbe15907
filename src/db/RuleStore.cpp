#include "db/RuleStore.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace db::rules {

void create(Connection& c) {
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS regel (RG_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, RG_SCHJ TEXT NOT NULL, RG_ART TEXT NOT NULL, "
                          "RG_ARG1 TEXT NOT NULL, RG_ARG2 TEXT NOT NULL DEFAULT '')"));
}

std::vector<StoredRule> ofSchoolYear(Connection& c, const QString& schoolYear) {
    std::vector<StoredRule> out;
    if (!c.hasTable(QStringLiteral("regel")))
        return out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT RG_ID, RG_ART, RG_ARG1, RG_ARG2 FROM regel "
                                        "WHERE RG_SCHJ = ? ORDER BY RG_ID"),
                         {schoolYear});
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString()});
    return out;
}

qint64 add(Connection& c, const QString& schoolYear, const QString& kind, const QString& first,
           const QString& second) {
    QSqlQuery q = c.exec(QStringLiteral("INSERT INTO regel (RG_SCHJ, RG_ART, RG_ARG1, RG_ARG2) "
                                        "VALUES (?, ?, ?, ?)"),
                         {schoolYear, kind, first, second});
    return q.lastInsertId().toLongLong();
}

void remove(Connection& c, qint64 id) {
    c.exec(QStringLiteral("DELETE FROM regel WHERE RG_ID = ?"), {id});
}

} // namespace db::rules
