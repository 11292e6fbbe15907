#include "db/Teachers.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::teachers {

std::vector<Teacher> inStoredOrder(Connection& c) {
    std::vector<Teacher> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT LE_VFP_ID, LE_KUERZ FROM lehrer ORDER BY LE_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString()});
    return out;
}

void add(Connection& c, const QString& kuerz, const QString& name, const QString& key) {
    c.insert(QStringLiteral("lehrer"), {{QStringLiteral("LE_KUERZ"), kuerz},
                                        {QStringLiteral("LE_BEZ"), name},
                                        {QStringLiteral("LE_VFP_ID"), key}});
}

} // namespace db::teachers
