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

std::vector<CohortChoice> ofCohort(Connection& c, const QString& cohort, int yearGroup) {
    std::vector<CohortChoice> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT b.BG_VFP_ID, b.BG_KO_ID, b.BG_FA_ID, b.BG_ART, b.%1 FROM "
                              "belegung b JOIN kolleg k ON k.KO_VFP_ID = b.BG_KO_ID WHERE "
                              "trim(k.KO_KURSPH) = ? ORDER BY k.KO_ID, b.BG_ID")
                   .arg(courseField(yearGroup)),
               {cohort});
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString()});
    return out;
}

void add(Connection& c, const NewChoice& w) {
    c.insert(QStringLiteral("belegung"), {{QStringLiteral("BG_ID"), w.id},
                                          {QStringLiteral("BG_KO_ID"), w.student},
                                          {courseField(w.yearGroup), w.course},
                                          {QStringLiteral("BG_FA_ID"), w.subject},
                                          {QStringLiteral("BG_ART"), w.art},
                                          {QStringLiteral("BG_VFP_ID"), w.key}});
}

void eachStudentWithBasicChoices(Connection& c, const QString& phase,
                                 const std::function<void(const StudentBasicChoice&)>& visit) {
    // A choice of type "L" and one without type never match "<> 'L'".
    QSqlQuery q = c.exec(
        QStringLiteral(
            "SELECT ko.KO_ID, ko.KO_FAMNAME, ko.KO_RUFNAME, bg.BG_ID, bg.%1, "
            "bg.%2, bg.BG_FA_ID, bg.BG_ART, k12.KS_ID, k12.KS_BEZ, k13.KS_ID, k13.KS_BEZ, "
            "fa.FA_ID, fa.FA_KURSPH, fa.FA_PSCHL "
            "FROM kolleg ko "
            "LEFT JOIN belegung bg ON bg.BG_KO_ID = ifnull(ko.KO_VFP_ID, '') AND bg.BG_ART <> 'L' "
            "LEFT JOIN kurs k12 ON k12.KS_VFP_ID = bg.%1 "
            "LEFT JOIN kurs k13 ON k13.KS_VFP_ID = bg.%2 "
            "LEFT JOIN fachang fa ON fa.FA_VFP_ID = bg.BG_FA_ID "
            "WHERE ko.KO_KURSPH = ? ORDER BY ko.KO_ID, bg.BG_ID")
            .arg(courseField(12), courseField(13)),
        {phase});
    while (q.next())
        visit({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6),
               q.value(7), q.value(8), q.value(9), q.value(10), q.value(11), q.value(12),
               q.value(13), q.value(14)});
    finished(c, q);
}

} // namespace db::choices
