#include "db/Teachers.h"

#include "db/Database.h"
#include "db/Statement.h"

namespace db::teachers {

// --- For the timetable export (GPU files).

QHash<QString, CourseTeacher> ofCourses(Connection& c, const QString& schoolYearId) {
    QHash<QString, CourseTeacher> teachers;
    if (!c.hasTable(QStringLiteral("lehrer")))
        return teachers;
    QSqlQuery q =
        c.exec(QStringLiteral(
                   "SELECT ks.KS_VFP_ID, le.LE_VFP_ID, le.LE_KUERZ FROM kurs ks JOIN lehrer le "
                   "ON trim(le.LE_VFP_ID) = trim(ks.KS_LE_ID) COLLATE NOCASE "
                   "WHERE ks.KS_SCHJ = ? AND trim(ks.KS_LE_ID) <> '' ORDER BY ks.KS_ID, le.LE_ID"),
               {schoolYearId});
    while (q.next()) {
        const QString course = q.value(0).toString().toUpper();
        if (!teachers.contains(course))
            teachers.insert(course, {q.value(1).toString(), q.value(2).toString().trimmed()});
    }
    return teachers;
}

} // namespace db::teachers
