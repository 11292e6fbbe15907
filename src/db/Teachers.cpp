#include "db/Teachers.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace db::teachers {

std::vector<std::pair<QString, QString>> abbreviations(Connection& c) {
    std::vector<std::pair<QString, QString>> out;
    if (!c.hasTable(QStringLiteral("lehrer")))
        return out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT LE_VFP_ID, LE_KUERZ FROM lehrer"));
    while (q.next())
        out.emplace_back(q.value(0).toString().trimmed(), q.value(1).toString());
    return out;
}

} // namespace db::teachers
