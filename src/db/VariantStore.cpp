#include "db/VariantStore.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::variants {

namespace {

void createTables(Connection& c) {
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS variante (VA_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, VA_SCHJ TEXT NOT NULL, VA_JAHRGANG INTEGER NOT NULL, "
                          "VA_NAME TEXT NOT NULL, VA_ERSTELLT TEXT NOT NULL, "
                          "VA_KOMMENTAR TEXT)"));
    // VS_BL_ID NULL: the course stood on no rail.
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS varschiene (VS_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, VS_VA_ID INTEGER NOT NULL, VS_KS_ID TEXT NOT NULL, "
                          "VS_BL_ID TEXT, VS_FIX TEXT)"));
    c.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS varschiene_va ON varschiene (VS_VA_ID)"));
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS varkurs (VK_ID INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, VK_VA_ID INTEGER NOT NULL, VK_BG_ID INTEGER NOT NULL, "
                          "VK_KS_ID TEXT)"));
    c.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS varkurs_va ON varkurs (VK_VA_ID)"));
}

// Creates the tables, then the variant's row: its key.
qint64 addVariant(Connection& c, const QString& schoolYear, int cohort, const QString& name,
                  const QString& created, const QString& comment) {
    createTables(c);
    return c
        .exec(QStringLiteral("INSERT INTO variante (VA_SCHJ, VA_JAHRGANG, VA_NAME, VA_ERSTELLT, "
                             "VA_KOMMENTAR) VALUES (?, ?, ?, ?, ?)"),
              {schoolYear, cohort, name, created, comment})
        .lastInsertId()
        .toLongLong();
}

} // namespace

std::vector<Stored> ofCohort(Connection& c, const QString& schoolYear, int cohort) {
    std::vector<Stored> all;
    if (!c.hasTable(QStringLiteral("variante")))
        return all;
    QSqlQuery q = c.exec(QStringLiteral("SELECT VA_ID, VA_NAME, VA_ERSTELLT, VA_KOMMENTAR FROM "
                                        "variante WHERE VA_SCHJ = ? AND VA_JAHRGANG = ? "
                                        "ORDER BY VA_ID"),
                         {schoolYear, cohort});
    while (q.next())
        all.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString()});
    return all;
}

Writer::Writer(Connection& c, const QString& schoolYear, int cohort, const QString& name,
               const QString& created, const QString& comment)
    : id_(addVariant(c, schoolYear, cohort, name, created, comment)),
      rail_(c, QStringLiteral("INSERT INTO varschiene (VS_VA_ID, VS_KS_ID, VS_BL_ID, VS_FIX) "
                              "VALUES (?, ?, ?, ?)")),
      course_(c, QStringLiteral(
                     "INSERT INTO varkurs (VK_VA_ID, VK_BG_ID, VK_KS_ID) VALUES (?, ?, ?)")) {}

void Writer::placement(const QString& courseKey, const QVariant& railKey, const QVariant& fix) {
    rail_.run({id_, courseKey, railKey, fix});
}

void Writer::course(qint64 bgId, const QVariant& courseKey) {
    course_.run({id_, bgId, courseKey});
}

std::vector<Placement> placements(Connection& c, qint64 id) {
    std::vector<Placement> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT VS_KS_ID, VS_BL_ID, VS_FIX FROM varschiene WHERE "
                                        "VS_VA_ID = ? ORDER BY VS_ID"),
                         {id});
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1), q.value(2).toString()});
    return rows;
}

std::vector<Course> courses(Connection& c, qint64 id) {
    std::vector<Course> rows;
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT VK_BG_ID, VK_KS_ID FROM varkurs WHERE VK_VA_ID = ? ORDER BY VK_ID"),
        {id});
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), q.value(1)});
    return rows;
}

void remove(Connection& c, qint64 id) {
    c.exec(QStringLiteral("DELETE FROM varkurs WHERE VK_VA_ID = ?"), {id});
    c.exec(QStringLiteral("DELETE FROM varschiene WHERE VS_VA_ID = ?"), {id});
    c.exec(QStringLiteral("DELETE FROM variante WHERE VA_ID = ?"), {id});
}

void rename(Connection& c, qint64 id, const QString& name) {
    c.exec(QStringLiteral("UPDATE variante SET VA_NAME = ? WHERE VA_ID = ?"), {name, id});
}

} // namespace db::variants
