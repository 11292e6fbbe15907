#include "db/Choices.h"

#include "db/Database.h"
#include "db/Statement.h"

#include "db/Queries.h"

#include <QSqlQuery>

namespace db::choices {

std::vector<Row> all(Connection& c) {
    std::vector<Row> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, BG_KO_ID, %1, %2, BG_FA_ID, BG_ART "
                                        "FROM belegung ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)));
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString(), q.value(5).toString()});
    return out;
}

std::vector<Row> courses(Connection& c) {
    std::vector<Row> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, %1, %2 FROM belegung ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)));
    while (q.next())
        out.push_back(
            {q.value(0).toLongLong(), {}, q.value(1).toString(), q.value(2).toString(), {}, {}});
    return out;
}

} // namespace db::choices
