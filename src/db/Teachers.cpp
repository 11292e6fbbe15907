#include "db/Teachers.h"

#include "db/Database.h"
#include "db/Statement.h"
#include <QSqlQuery>

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

// --- For the Kurs42 exchange.

std::vector<Teacher> inStoredOrder(Connection& c) {
    std::vector<Teacher> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT LE_VFP_ID, LE_KUERZ FROM lehrer ORDER BY LE_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString()});
    return out;
}

void add(Connection& c, const QString& kuerz, const QString& name, const QString& key) {
    c.insert(QStringLiteral("lehrer"), {{QStringLiteral("LE_KUERZ"), kuerz},
                                        {QStringLiteral("LE_BEZ"), name},
                                        {QStringLiteral("LE_VFP_ID"), key}});
}


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
