#include "db/Courses.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::courses {

namespace {

std::vector<std::pair<QString, QString>> pairs(Connection& c, const QString& sql) {
    std::vector<std::pair<QString, QString>> rows;
    QSqlQuery q = c.exec(sql);
    while (q.next())
        rows.emplace_back(q.value(0).toString(), q.value(1).toString());
    return rows;
}

} // namespace

QStringList keys(Connection& c) {
    QStringList keys;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID FROM kurs"));
    while (q.next())
        keys << q.value(0).toString();
    return keys;
}

std::vector<std::pair<QString, QString>> designations(Connection& c) {
    return pairs(c, QStringLiteral("SELECT KS_VFP_ID, KS_BEZ FROM kurs ORDER BY KS_ID"));
}

std::vector<Candidate> forSubject(Connection& c, const QString& schjId, const QString& subject,
                                  const QString& kind, const QString& code, const QString& yg) {
    const bool twelve = yg == QLatin1String("12");
    QSqlQuery& q =
        c.prepared(
             QStringLiteral("SELECT KS_VFP_ID, KS_BEZ FROM kurs WHERE "
                            "(KS_SCHJ = ? AND KS_JGST = ? AND KS_LKGK = ? AND KS_FA_ID%1 = ?) "
                            "OR (KS_SCHJ = ? AND KS_JGST = ? AND KS_LKGK = ? AND "
                            "KS_FA_ID%2 = ?) ORDER BY KS_ID")
                 .arg(twelve ? 1 : 3)
                 .arg(twelve ? 2 : 4))
            .run({schjId, code, kind, subject, schjId, code, kind, subject});
    std::vector<Candidate> list;
    while (q.next())
        list.push_back({q.value(0).toString(), q.value(1).toString().trimmed()});
    return list;
}

std::vector<std::pair<QString, QString>> subjectDesignations(Connection& c) {
    return pairs(c, QStringLiteral("SELECT FA_VFP_ID, FA_BEZ FROM fachang ORDER BY FA_ID"));
}

std::vector<std::pair<QString, int>> optimalSizes(Connection& c, const QString& schjId) {
    std::vector<std::pair<QString, int>> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_OPT FROM kurs WHERE KS_SCHJ = ? "
                                        "AND KS_OPT > 0 ORDER BY KS_ID"),
                         {schjId});
    while (q.next())
        rows.emplace_back(q.value(0).toString(), q.value(1).toInt());
    return rows;
}

} // namespace db::courses
