#include "db/Choices.h"

#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"

namespace db::choices {

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
