#include "db/Placements.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Statement.h"

#include <QCryptographicHash>

namespace db::placements {

void ensureTable(Connection& c) {
    if (!c.hasTable(QStringLiteral("ckkurs")))
        recreateCkkurs(c);
}

Writer::Writer(Connection& c)
    : c_(c), rows_(c, QStringLiteral("SELECT CK_ID, CK_BL_ID, CK_FIX, CK_KS_ID, CK_VFP_ID "
                                     "FROM ckkurs WHERE CK_KS_ID = ? ORDER BY CK_ID")),
      drop_(c, QStringLiteral("DELETE FROM ckkurs WHERE CK_ID = ?")),
      mark_(c, QStringLiteral("UPDATE ckkurs SET CK_FIX = ? WHERE CK_ID = ?")),
      add_(Statement::insert(c, QStringLiteral("ckkurs"),
                             {QStringLiteral("CK_BL_ID"), QStringLiteral("CK_KS_ID"),
                              QStringLiteral("CK_VFP_ID"), QStringLiteral("CK_FIX")})) {}

std::vector<Row> Writer::ofCourse(const QString& courseKey) {
    std::vector<Row> rows;
    QSqlQuery& q = rows_.run({courseKey});
    while (q.next())
        rows.push_back({q.value(0), q.value(1), q.value(3), q.value(4), q.value(2)});
    return rows;
}

void Writer::remove(qint64 id) {
    drop_.run({id});
}

void Writer::setFixed(qint64 id, const QVariant& fix) {
    mark_.run({fix, id});
}

qint64 Writer::add(const QString& railKey, const QString& courseKey, const QString& railId,
                   const QString& fix) {
    add_.run({railKey, courseKey, railId, fix});
    return add_.lastInsertId();
}

void Writer::restore(const QVariantList& fields) {
    Statement::insert(c_, QStringLiteral("ckkurs"),
                      {QStringLiteral("CK_ID"), QStringLiteral("CK_BL_ID"),
                       QStringLiteral("CK_KS_ID"), QStringLiteral("CK_VFP_ID"),
                       QStringLiteral("CK_FIX")})
        .run(fields);
}

namespace {

// The digest of a table's rows; a table a file may lack counts as an empty one.
QByteArray digestOf(Connection& c, const QString& table, const QString& sql) {
    return c.hasTable(table) ? c.digest(sql)
                             : QCryptographicHash::hash({}, QCryptographicHash::Sha1);
}

} // namespace

QByteArray planState(Connection& c) {
    QByteArray state;
    if (c.hasTable(QStringLiteral("ckkurs")))
        state += c.digest(QStringLiteral(
            "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM belegung ORDER BY BG_ID"));
    // The rails' hours decide where a course fits; the courses' hours, limits and teachers, the
    // subjects' hours and the rules what a plan must keep.
    state += c.digest(QStringLiteral("SELECT * FROM block ORDER BY BL_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM kurs ORDER BY KS_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM kolleg ORDER BY KO_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM fachang ORDER BY FA_ID"));
    state += digestOf(c, QStringLiteral("lehrer"),
                      QStringLiteral("SELECT * FROM lehrer ORDER BY LE_ID"));
    state +=
        digestOf(c, QStringLiteral("regel"), QStringLiteral("SELECT * FROM regel ORDER BY RG_ID"));
    return state;
}

std::vector<std::pair<QString, QString>> coursesOnRail(Connection& c, const QVariant& railKey) {
    std::vector<std::pair<QString, QString>> courses;
    QSqlQuery& q = c.prepared(QStringLiteral("SELECT k.KS_BEZ, c.CK_KS_ID FROM ckkurs c "
                                             "JOIN kurs k ON k.KS_VFP_ID = c.CK_KS_ID "
                                             "WHERE c.CK_BL_ID = ? ORDER BY c.CK_ID"))
                       .run({railKey});
    while (q.next())
        courses.emplace_back(q.value(0).toString(), q.value(1).toString());
    return courses;
}

} // namespace db::placements
