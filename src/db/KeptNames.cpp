#include "db/KeptNames.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::kept {

void createTable(Connection& c) {
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS fremdname (FN_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, FN_ART TEXT NOT NULL, FN_KEY TEXT NOT NULL, FN_NAME "
                          "TEXT NOT NULL, FN_DATEN TEXT NOT NULL DEFAULT '', UNIQUE (FN_ART, "
                          "FN_KEY))"));
}

void put(Connection& c, const QString& kind, const QString& key, const QString& name,
         const QString& data) {
    c.prepared(QStringLiteral("INSERT OR REPLACE INTO fremdname (FN_ART, FN_KEY, FN_NAME, "
                              "FN_DATEN) VALUES (?, ?, ?, ?)"))
        .run({kind, key, name, data});
}

Entry get(Connection& c, const QString& kind, const QString& key) {
    if (!c.hasTable(QStringLiteral("fremdname")))
        return {};
    QSqlQuery& q = c.prepared(QStringLiteral("SELECT FN_NAME, FN_DATEN FROM fremdname WHERE "
                                             "FN_ART = ? AND FN_KEY = ?"))
                       .run({kind, key});
    if (!q.next())
        return {};
    return {q.value(0).toString(), q.value(1).toString(), true};
}

QStringList keysNamed(Connection& c, const QString& kind, const QString& name) {
    QStringList keys;
    if (!c.hasTable(QStringLiteral("fremdname")))
        return keys;
    QSqlQuery q = c.exec(QStringLiteral("SELECT FN_KEY FROM fremdname WHERE FN_ART = ? AND "
                                        "upper(trim(FN_NAME)) = upper(trim(?)) ORDER BY FN_ID"),
                         {kind, name});
    while (q.next())
        keys << q.value(0).toString();
    return keys;
}

void drop(Connection& c, const QString& kind, const QString& key) {
    if (c.hasTable(QStringLiteral("fremdname")))
        c.exec(QStringLiteral("DELETE FROM fremdname WHERE FN_ART = ? AND FN_KEY = ?"),
               {kind, key});
}

} // namespace db::kept
