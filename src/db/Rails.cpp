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

} // namespace db::rails
