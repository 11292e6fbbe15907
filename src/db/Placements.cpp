#include "db/Placements.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace db::placements {

std::vector<Placed> all(Connection& c) {
    std::vector<Placed> out;
    if (!c.hasTable(QStringLiteral("ckkurs")))
        return out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(),
                       q.value(2).toString().trimmed() == QLatin1String("1")});
    return out;
}

} // namespace db::placements
