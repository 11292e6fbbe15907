#include "db/BlockDatabase.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Schema.h"
#include "db/Statement.h"
#include "platform/Files.h"
#include "platform/Platform.h"

#include <QFileInfo>

namespace db {

namespace {

void createTable(Connection& c, const TableDef& t) {
    c.exec(createTableSql(t));
    for (const QString& sql : createIndexSql(t))
        c.exec(sql);
    for (const QString& sql : speedIndexSql(t))
        c.exec(sql);
}

} // namespace

void createDatabase(const QString& path) {
    Connection c(path, Connection::Mode::Create);
    Transaction tx(c);
    for (const TableDef& t : tables())
        createTable(c, t);
    c.exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
    c.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    tx.commit();
}

void settleJournal(const QString& path) {
    const QString native = platform::nativePath(path);
    const QString journal = native + QStringLiteral("-journal");
    if (!QFileInfo::exists(journal))
        return;
    try {
        if (QFileInfo(native).isFile()) {
            Connection c(path); // reads, and so rolls a hot journal back
            return;
        }
    } catch (const DbError& e) {
        if (e.kind() != DbError::Kind::NotADatabase)
            throw;
    }
    QFile::remove(journal);
}

void copyDatabase(const QString& from, const QString& to) {
    settleJournal(to);
    Connection c(from);
    c.exec(QStringLiteral("BEGIN"));
    c.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")); // takes the read lock
    platform::copyFile(from, to);
    c.exec(QStringLiteral("COMMIT"));
}

void recreateCkkurs(Connection& c) {
    if (c.hasTable(QStringLiteral("ckkurs")))
        c.exec(QStringLiteral("DROP TABLE ckkurs"));
    // AUTOINCREMENT remembers the last key in sqlite_sequence; a rebuilt table starts at 1 again.
    if (c.hasTable(QStringLiteral("sqlite_sequence")))
        c.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'ckkurs'"));
    createTable(c, table(QStringLiteral("ckkurs")));
}

int AnzBelKurs(Connection& c, const QString& courseKey) {
    return c
        .prepared(QStringLiteral("SELECT count(*) FROM belegung WHERE %1 = ? OR %2 = ?")
                      .arg(courseField(12), courseField(13)))
        .scalar({courseKey, courseKey})
        .toInt();
}

void probeWritable(Connection& c) {
    Transaction probe(c);
    c.exec(QStringLiteral("CREATE TABLE kubb_schreibprobe (x INTEGER)"));
}

} // namespace db
