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

void putFiles(Connection& c, const QString& cohort, const KeptFiles& files) {
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS fremddatei (FD_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, FD_KOHORTE TEXT NOT NULL, FD_NAME TEXT NOT NULL, "
                          "FD_DATEN BLOB, UNIQUE (FD_KOHORTE, FD_NAME))"));
    c.exec(QStringLiteral("DELETE FROM fremddatei WHERE FD_KOHORTE = ?"), {cohort});
    for (const auto& [name, bytes] : files)
        c.prepared(QStringLiteral("INSERT INTO fremddatei (FD_KOHORTE, FD_NAME, FD_DATEN) "
                                  "VALUES (?, ?, ?)"))
            .run({cohort, name, bytes});
}

KeptFiles files(Connection& c, const QString& cohort) {
    KeptFiles out;
    if (!c.hasTable(QStringLiteral("fremddatei")))
        return out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT FD_NAME, FD_DATEN FROM fremddatei WHERE "
                                        "FD_KOHORTE = ? ORDER BY FD_ID"),
                         {cohort});
    while (q.next())
        out.emplace_back(q.value(0).toString(), q.value(1).toByteArray());
    return out;
}

} // namespace db::kept
