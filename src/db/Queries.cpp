#include "db/Queries.h"

#include "db/Database.h"

#include <stdexcept>

namespace db {

int startYear(const QString& schjBez) {
    return schjBez.left(4).toInt();
}

int yearGroup(const QString& cohort, const QString& schjBez) {
    const int start = startYear(schjBez);
    if (cohort == QString::number(start))
        return 12;
    if (cohort == QString::number(start - 1))
        return 13;
    return 0;
}

int yearGroup(int cohort, const QString& schjBez) {
    const int start = startYear(schjBez);
    if (cohort == start)
        return 12;
    if (cohort == start - 1)
        return 13;
    return 0;
}

QString courseField(int yearGroup) {
    switch (yearGroup) {
    case 12:
        return QStringLiteral("BG_KS_ID_12");
    case 13:
        return QStringLiteral("BG_KS_ID_13");
    default:
        throw std::invalid_argument("courseField: no year group with courses");
    }
}

Statement courseWriter(Connection& c, int yearGroup) {
    const QString field = courseField(yearGroup);
    return Statement(c, QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(field),
                     QStringLiteral("belegung"), {field});
}

std::vector<CourseChoice> choicesOfCourse(Connection& c, const QString& courseKey) {
    std::vector<CourseChoice> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT BG_ID, BG_KO_ID, %2 = ? FROM belegung "
                                        "WHERE %1 = ? OR %2 = ? ORDER BY BG_ID")
                             .arg(courseField(12), courseField(13)),
                         {courseKey, courseKey, courseKey});
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt() == 1});
    return rows;
}

QStringList coursesOfStudent(Connection& c, const QString& studentKey, int yearGroup) {
    QStringList courses;
    QSqlQuery q = c.exec(QStringLiteral("SELECT %1 FROM belegung WHERE BG_KO_ID = ? ORDER BY BG_ID")
                             .arg(courseField(yearGroup)),
                         {studentKey});
    while (q.next())
        courses << q.value(0).toString();
    return courses;
}

std::vector<std::pair<QString, QString>> schoolYears(Connection& c) {
    std::vector<std::pair<QString, QString>> years;
    QSqlQuery q = c.exec(QStringLiteral("SELECT SJ_SCHJ, SJ_VFP_ID FROM schjahr ORDER BY SJ_ID"));
    while (q.next())
        years.emplace_back(q.value(0).toString(), q.value(1).toString());
    return years;
}

int schoolYearCount(Connection& c) {
    return c.scalar(QStringLiteral("SELECT count(*) FROM schjahr")).toInt();
}

std::optional<SchoolYearEntry> firstSchoolYear(Connection& c) {
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT SJ_SCHJ, SJ_VFP_ID FROM schjahr ORDER BY SJ_ID LIMIT 1"));
    if (!q.next())
        return std::nullopt;
    return SchoolYearEntry{q.value(0).toString(), q.value(1).toString()};
}

QString addSchoolYear(Connection& c, const QString& bez) {
    const qint64 id = c.insert(QStringLiteral("schjahr"), {{QStringLiteral("SJ_SCHJ"), bez}});
    const QString key = sixKey(id);
    c.exec(QStringLiteral("UPDATE schjahr SET SJ_VFP_ID = ? WHERE SJ_ID = ?"), {key, id});
    return key;
}

} // namespace db
