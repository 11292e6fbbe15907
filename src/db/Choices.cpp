#include "db/Choices.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"

#include <stdexcept>

namespace db::choices {

namespace {

// The field goes into the statements' text: only the two course fields may.
const QString& courseFieldName(const QString& field) {
    if (field != courseField(12) && field != courseField(13))
        throw std::invalid_argument("CourseField: no course field");
    return field;
}

} // namespace

CourseField::CourseField(Connection& c, const QString& field)
    : get_(c,
           QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(courseFieldName(field))),
      set_(c, QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(field)) {}

std::optional<QVariant> CourseField::get(qint64 bgId) {
    QSqlQuery& q = get_.run({bgId});
    if (!q.next())
        return std::nullopt;
    return q.value(0);
}

void CourseField::set(qint64 bgId, const QVariant& course) {
    set_.run({course, bgId});
}

int count(Connection& c) {
    return c.scalar(QStringLiteral("SELECT count(*) FROM belegung")).toInt();
}

std::vector<Choice> all(Connection& c) {
    std::vector<Choice> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, BG_KO_ID, %1, %2, BG_FA_ID, BG_ART "
                                        "FROM belegung ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)));
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2), q.value(3),
                        q.value(4).toString(), q.value(5).toString()});
    return rows;
}

std::vector<std::pair<qint64, QString>> coursesOfCohort(Connection& c, const QString& cohort,
                                                        int yearGroup) {
    std::vector<std::pair<qint64, QString>> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT k.KO_ID, b.%1 FROM kolleg k "
                                        "JOIN belegung b ON b.BG_KO_ID = k.KO_VFP_ID "
                                        "WHERE k.KO_KURSPH = ? AND b.%1 IS NOT NULL")
                             .arg(courseField(yearGroup)),
                         {cohort});
    while (q.next())
        rows.emplace_back(q.value(0).toLongLong(), q.value(1).toString());
    return rows;
}

std::vector<SubjectCount> subjectCountsOfCohort(Connection& c, const QString& cohort) {
    std::vector<SubjectCount> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_FA_ID, BG_ART, count(*) FROM belegung "
                                        "JOIN kolleg ON BG_KO_ID = KO_VFP_ID "
                                        "WHERE trim(KO_KURSPH) = ? GROUP BY BG_FA_ID, BG_ART"),
                         {cohort});
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt()});
    return rows;
}

} // namespace db::choices
