#include "db/Placements.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::placements {

std::vector<Placement> inStoredOrder(Connection& c) {
    std::vector<Placement> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT CK_BL_ID, CK_KS_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

void add(Connection& c, const QString& railKey, const QString& courseKey, bool fixed) {
    c.insert(QStringLiteral("ckkurs"),
             {{QStringLiteral("CK_BL_ID"), railKey},
              {QStringLiteral("CK_KS_ID"), courseKey},
              {QStringLiteral("CK_FIX"), fixed ? QStringLiteral("1") : QStringLiteral("0")}});
}

std::vector<PlacedCourse> withCourses(Connection& c) {
    std::vector<PlacedCourse> out;
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT ck.CK_BL_ID, ck.CK_VFP_ID, ks.KS_ID, ks.KS_BEZ FROM ckkurs ck "
                       "LEFT JOIN kurs ks ON ks.KS_VFP_ID = ck.CK_KS_ID ORDER BY ck.CK_ID"));
    while (q.next())
        out.push_back({q.value(0), q.value(1), q.value(2), q.value(3)});
    finished(c, q);
    return out;
}

} // namespace db::placements
