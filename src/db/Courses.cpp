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

std::vector<CourseOfYear> inSortOrder(Connection& c, const QString& schjId) {
    std::vector<CourseOfYear> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_BEZ, KS_FA_ID1, KS_FA_ID2, KS_FA_ID3, "
                              "KS_FA_ID4, KS_LKGK, KS_STD, KS_LE_ID FROM kurs WHERE "
                              "KS_SCHJ = ? ORDER BY KS_SORT, KS_ID"),
               {schjId});
    while (q.next())
        out.push_back({q.value(0).toString(),
                       q.value(1).toString(),
                       {q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                        q.value(5).toString()},
                       q.value(6).toString(),
                       q.value(7).toString(),
                       q.value(8).toString()});
    return out;
}

void add(Connection& c, const NewCourse& k) {
    const bool twelve = k.yearGroup == 12;
    c.insert(QStringLiteral("kurs"),
             {{QStringLiteral("KS_SCHJ"), k.schj},
              {QStringLiteral("KS_BEZ"), k.bez},
              {QStringLiteral("KS_SORT"), k.sort},
              {QStringLiteral("KS_LE_ID"), k.teacher},
              {twelve ? QStringLiteral("KS_FA_ID1") : QStringLiteral("KS_FA_ID3"), k.subject},
              {QStringLiteral("KS_JGST"), twelve ? QStringLiteral("12") : QStringLiteral("13")},
              {QStringLiteral("KS_LKGK"), k.lkgk},
              {QStringLiteral("KS_STD"), k.hours},
              {QStringLiteral("KS_VFP_ID"), k.key},
              {QStringLiteral("KS_MIN"), 0},
              {QStringLiteral("KS_MAX"), 0},
              {QStringLiteral("KS_OPT"), 0}});
}

} // namespace db::courses
