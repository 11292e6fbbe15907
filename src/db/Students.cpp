#include "db/Students.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::students {

// --- For the timetable export (GPU files).

std::vector<Person> ofCohort(Connection& c, const QString& cohort) {
    std::vector<Person> people;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_VFP_ID, KO_FAMNAME, KO_RUFNAME, KO_PARLLKL "
                                        "FROM kolleg WHERE trim(KO_KURSPH) = ? ORDER BY KO_ID"),
                         {cohort.trimmed()});
    while (q.next())
        people.push_back({q.value(0).toString(), q.value(1).toString().trimmed(),
                          q.value(2).toString().trimmed(), q.value(3).toString().trimmed()});
    return people;
}

} // namespace db::students
