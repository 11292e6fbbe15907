#include "db/ImportTables.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QRegularExpression>

namespace db::importtables {

Rows::Rows(Connection& c, const QString& table, const QStringList& fields)
    : table_(table), fields_(fields), ins_(Statement::insert(c, table, fields)) {}

qint64 Rows::add(const QVariantList& values) {
    try {
        ins_.run(values);
        return ins_.lastInsertId();
    } catch (const DbError& e) {
        if (e.kind() != DbError::Kind::Constraint ||
            !e.engineText().contains(QLatin1String("UNIQUE")))
            throw;
        throw duplicate(e, values);
    }
}

DbError Rows::duplicate(const DbError& e, const QVariantList& values) const {
    static const QRegularExpression re(QStringLiteral("UNIQUE constraint failed: ([^\\n]+)"));
    const auto m = re.match(e.engineText());
    QStringList parts;
    if (m.hasMatch()) {
        for (QString col : m.captured(1).split(QLatin1Char(','))) {
            col = col.trimmed().section(QLatin1Char('.'), 1).section(QLatin1Char(' '), 0, 0);
            const qsizetype i = fields_.indexOf(col);
            parts << QStringLiteral("%1 = \"%2\"")
                         .arg(col, i >= 0 ? values[i].toString() : QString());
        }
    }
    return DbError(DbError::Kind::Constraint,
                   QStringLiteral("Import abgebrochen: In der Tabelle %1 der Schulverwaltung kommt "
                                  "%2 doppelt vor; die Blockbildungsdatei erlaubt es nur einmal.")
                       .arg(table_, parts.isEmpty() ? QStringLiteral("ein Schlüssel")
                                                    : parts.join(QStringLiteral(", "))));
}

ChoiceKeys::ChoiceKeys(Connection& c)
    : set_(c, QStringLiteral("UPDATE belegung SET BG_VFP_ID = ? WHERE BG_ID = ?"),
           QStringLiteral("belegung"), {QStringLiteral("BG_VFP_ID")}) {}

void ChoiceKeys::set(qint64 bgId, const QString& key) {
    set_.run({key, bgId});
}

namespace {

std::vector<std::pair<qint64, QVariant>> keyed(Connection& c, const QString& sql) {
    std::vector<std::pair<qint64, QVariant>> rows;
    QSqlQuery q = c.exec(sql);
    while (q.next())
        rows.emplace_back(q.value(0).toLongLong(), q.value(1));
    return rows;
}

} // namespace

std::vector<std::pair<qint64, QVariant>> rails(Connection& c) {
    return keyed(c, QStringLiteral("SELECT BL_ID, BL_VFP_ID FROM block ORDER BY BL_ID"));
}

std::vector<std::pair<qint64, QVariant>> placementRails(Connection& c) {
    return keyed(c, QStringLiteral("SELECT CK_ID, CK_BL_ID FROM ckkurs ORDER BY CK_ID"));
}

void dropPlacement(Connection& c, qint64 id) {
    c.exec(QStringLiteral("DELETE FROM ckkurs WHERE CK_ID = ?"), {id});
}

void setPlacementRail(Connection& c, qint64 id, const QString& railKey) {
    c.exec(QStringLiteral("UPDATE ckkurs SET CK_BL_ID = ? WHERE CK_ID = ?"), {railKey, id});
}

void keyRailsByTheirIds(Connection& c) {
    c.exec(QStringLiteral("UPDATE block SET BL_VFP_ID = '#' || BL_ID"));
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_ID FROM block ORDER BY BL_ID"));
    std::vector<qint64> rails;
    while (q.next())
        rails.push_back(q.value(0).toLongLong());
    for (qint64 id : rails)
        c.exec(QStringLiteral("UPDATE block SET BL_VFP_ID = ? WHERE BL_ID = ?"), {sixKey(id), id});
}

} // namespace db::importtables
