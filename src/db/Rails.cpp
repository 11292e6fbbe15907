#include "db/Rails.h"

#include "db/Database.h"
#include "db/Statement.h"
#include <QSqlQuery>
#include <stdexcept>

namespace db::rails {

std::optional<QVariant> hours(Connection& c, qint64 id) {
    QSqlQuery& q = c.prepared(QStringLiteral("SELECT BL_STD FROM block WHERE BL_ID = ?")).run({id});
    if (!q.next())
        return std::nullopt;
    return q.value(0);
}

void setHours(Connection& c, qint64 id, const QVariant& hours) {
    Statement(c, QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_ID = ?"),
              QStringLiteral("block"), {QStringLiteral("BL_STD")})
        .run({hours, id});
}

int countOfYear(Connection& c, const QString& schjId) {
    return c.scalar(QStringLiteral("SELECT COUNT(*) FROM block WHERE BL_SCHJ = ?"), {schjId})
        .toInt();
}

bool any(Connection& c) {
    return c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM block)")).toBool();
}

std::vector<Rail> ofYear(Connection& c, const QString& schjId) {
    std::vector<Rail> rails;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_BEZ, BL_STD, BL_VFP_ID FROM block "
                                        "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                         {schjId});
    while (q.next())
        rails.push_back({text(q, "BL_BEZ"), q.value(1), q.value(2)});
    return rails;
}

std::vector<YearRail> ofSchoolYear(Connection& c, const QString& schjId) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_ID, BL_BEZ, BL_STD, BL_VFP_ID FROM block "
                                        "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                         {schjId});
    std::vector<YearRail> out;
    while (q.next())
        out.push_back(
            {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3)});
    return out;
}

QVariant hoursOf(Connection& c, qint64 blId) {
    return c.scalar(QStringLiteral("SELECT BL_STD FROM block WHERE BL_ID = ?"), {blId});
}

bool setHours(Connection& c, const QString& schjId, qint64 blId, const QVariant& hours) {
    QSqlQuery q =
        c.exec(QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_SCHJ = ? AND BL_ID = ?"),
               {hours, schjId, blId});
    return q.numRowsAffected() >= 1;
}

void putHours(Connection& c, qint64 blId, const QVariant& hours) {
    c.exec(QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_ID = ?"), {hours, blId});
}

namespace {

std::vector<Named> named(QSqlQuery q) {
    std::vector<Named> out;
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString()});
    return out;
}

} // namespace

std::vector<Named> all(Connection& c) {
    return named(c.exec(QStringLiteral("SELECT BL_BEZ, BL_VFP_ID FROM block ORDER BY BL_ID")));
}

std::vector<Named> namesOfYear(Connection& c, const QString& year) {
    return named(c.exec(
        QStringLiteral("SELECT BL_BEZ, BL_VFP_ID FROM block WHERE BL_SCHJ = ? ORDER BY BL_ID"),
        {year}));
}

std::optional<Fields> fieldsOf(Connection& c, const QString& key) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_BEZ, BL_NAME, BL_STD, BL_SCHJ FROM block "
                                        "WHERE BL_VFP_ID = ? LIMIT 1"),
                         {key});
    if (!q.next())
        return std::nullopt;
    return Fields{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                  q.value(3).toString()};
}

void setField(Connection& c, const QString& key, const QString& field, const QVariant& value) {
    static const QStringList fields{QStringLiteral("BL_BEZ"), QStringLiteral("BL_NAME"),
                                    QStringLiteral("BL_STD")};
    if (!fields.contains(field))
        throw std::logic_error("block field " + field.toStdString());
    checkValue(QStringLiteral("block"), field, value);
    c.exec(QStringLiteral("UPDATE block SET %1 = ? WHERE BL_VFP_ID = ?").arg(field), {value, key});
}

int lastSort(Connection& c) {
    return c.scalar(QStringLiteral("SELECT BL_SORT FROM block ORDER BY BL_ID DESC LIMIT 1"))
        .toInt();
}

void setKey(Connection& c, qint64 blId, const QString& key) {
    c.exec(QStringLiteral("UPDATE block SET BL_VFP_ID = ? WHERE BL_ID = ?"), {key, blId});
}

void remove(Connection& c, const QString& key) {
    c.exec(QStringLiteral("DELETE FROM block WHERE BL_VFP_ID = ?"), {key});
}

// --- For the Kurs42 exchange and the administration export.

std::vector<RailName> inSortOrder(Connection& c, const QString& schjId) {
    std::vector<RailName> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_VFP_ID, BL_BEZ, BL_NAME FROM block WHERE "
                                        "BL_SCHJ = ? ORDER BY BL_SORT, BL_ID"),
                         {schjId});
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

void add(Connection& c, const NewRail& r) {
    c.insert(QStringLiteral("block"), {{QStringLiteral("BL_ID"), r.id},
                                       {QStringLiteral("BL_SCHJ"), r.schj},
                                       {QStringLiteral("BL_BEZ"), r.bez},
                                       {QStringLiteral("BL_NAME"), r.name},
                                       {QStringLiteral("BL_SORT"), r.sort},
                                       {QStringLiteral("BL_STD"), r.hours},
                                       {QStringLiteral("BL_VFP_ID"), r.key},
                                       {QStringLiteral("BL_FIX"), QStringLiteral("0")}});
}

std::vector<RailRecord> records(Connection& c, const QString& schjId) {
    std::vector<RailRecord> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_BEZ, BL_NAME, BL_SORT, BL_STD FROM block "
                                        "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                         {schjId});
    while (q.next())
        out.push_back({q.value(0), q.value(1), q.value(2), q.value(3)});
    finished(c, q);
    return out;
}

std::vector<RailKeys> allKeys(Connection& c) {
    std::vector<RailKeys> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT BL_ID, BL_VFP_ID, BL_BEZ FROM block ORDER BY BL_ID"));
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1), q.value(2).toString()});
    finished(c, q);
    return out;
}

std::vector<BlockingRail> forBlocking(Connection& c, const QString& schoolYear) {
    std::vector<BlockingRail> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BL_ID, BL_BEZ, BL_STD, BL_VFP_ID FROM block "
                                        "WHERE BL_SCHJ = ? ORDER BY BL_ID"),
                         {schoolYear});
    while (q.next())
        out.push_back(
            {q.value(0).toLongLong(), q.value(1).toString(), q.value(2), q.value(3).toString()});
    return out;
}

QStringList keysNamed(Connection& c, const QString& schoolYear, const QString& name) {
    return column(c.exec(QStringLiteral("SELECT BL_VFP_ID FROM block WHERE upper(trim(BL_BEZ)) = "
                                        "upper(?) AND BL_SCHJ = ? ORDER BY BL_ID"),
                         {name, schoolYear}));
}

bool exists(Connection& c, const QString& schoolYear, const QString& key) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM block WHERE BL_VFP_ID = ? AND BL_SCHJ = ?"),
                     {key, schoolYear})
                .isNull();
}

std::optional<QString> designation(Connection& c, const QString& schoolYear, const QString& key) {
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT trim(BL_BEZ) FROM block WHERE BL_VFP_ID = ? AND BL_SCHJ = ?"),
               {key, schoolYear});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

QStringList designations(Connection& c, const QString& schoolYear) {
    return column(c.exec(QStringLiteral("SELECT trim(BL_BEZ) FROM block WHERE BL_SCHJ = ? AND "
                                        "trim(ifnull(BL_BEZ, '')) <> '' ORDER BY BL_ID"),
                         {schoolYear}));
}

Added add(Connection& c, const QString& schjId, const QString& bez, int hours) {
    const qint64 id =
        c.scalar(QStringLiteral("SELECT coalesce(max(BL_ID), 0) + 1 FROM block")).toLongLong();
    const int sort = c.scalar(QStringLiteral("SELECT coalesce(max(BL_SORT), 0) + 1 FROM block "
                                             "WHERE BL_SCHJ = ?"),
                              {schjId})
                         .toInt();
    const QString key = sixKey(id);
    c.insert(QStringLiteral("block"), {{QStringLiteral("BL_ID"), id},
                                       {QStringLiteral("BL_SCHJ"), schjId},
                                       {QStringLiteral("BL_BEZ"), bez},
                                       {QStringLiteral("BL_NAME"), bez},
                                       {QStringLiteral("BL_SORT"), sort},
                                       {QStringLiteral("BL_STD"), hours},
                                       {QStringLiteral("BL_VFP_ID"), key},
                                       {QStringLiteral("BL_FIX"), QStringLiteral("0")}});
    return {id, key};
}

void remove(Connection& c, qint64 id) {
    c.exec(QStringLiteral("DELETE FROM block WHERE BL_ID = ?"), {id});
}

} // namespace db::rails
