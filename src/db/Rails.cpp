#include "db/Rails.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace db::rails {

namespace {

QStringList column(QSqlQuery q) {
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

std::vector<BlockingRail> ofSchoolYear(Connection& c, const QString& schoolYear) {
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

} // namespace db::rails
