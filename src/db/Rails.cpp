#include "db/Rails.h"

#include "db/Database.h"
#include "db/Statement.h"

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
