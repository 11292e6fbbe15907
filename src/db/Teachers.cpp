#include "db/Teachers.h"

#include "db/Database.h"
#include "db/KeptNames.h"
#include "db/Statement.h"
#include <QSqlQuery>

#include <algorithm>

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
        out.push_back({q.value(0).toString(), q.value(1).toString(), {}});
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

// --- For the teachers' window and kubb teachers.
namespace db::teachers {

namespace {

Teacher teacherOf(const QSqlQuery& q) {
    return {q.value(0).toString(), q.value(1).toString().trimmed(),
            q.value(2).toString().trimmed()};
}

QVariant textOrNull(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

// The largest number among the keys of a column that are numbers.
qint64 largestNumericKey(Connection& c, const QString& sql) {
    qint64 largest = 0;
    QSqlQuery q = c.exec(sql);
    while (q.next()) {
        bool ok = false;
        const qint64 n = q.value(0).toString().trimmed().toLongLong(&ok);
        if (ok)
            largest = std::max(largest, n);
    }
    return largest;
}

} // namespace

std::vector<Teacher> all(Connection& c) {
    std::vector<Teacher> out;
    if (!c.hasTable(QStringLiteral("lehrer")))
        return out;
    QSqlQuery q = c.exec(QStringLiteral(
        "SELECT LE_VFP_ID, LE_KUERZ, LE_BEZ FROM lehrer ORDER BY trim(LE_KUERZ) COLLATE DEUTSCH, "
        "LE_ID"));
    while (q.next())
        out.push_back(teacherOf(q));
    return out;
}

std::optional<Teacher> byKey(Connection& c, const QString& key) {
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT LE_VFP_ID, LE_KUERZ, LE_BEZ FROM lehrer WHERE "
                              "trim(LE_VFP_ID) = trim(?) COLLATE NOCASE ORDER BY LE_ID LIMIT 1"),
               {key});
    if (!q.next())
        return std::nullopt;
    return teacherOf(q);
}

bool kuerzelTaken(Connection& c, const QString& kuerzel, const QString& ownKey) {
    return !c.scalar(QStringLiteral(
                         "SELECT 1 FROM lehrer WHERE trim(LE_KUERZ) = trim(?) COLLATE NOCASE "
                         "AND trim(LE_VFP_ID) IS NOT trim(?) COLLATE NOCASE LIMIT 1"),
                     {kuerzel, ownKey})
                .isNull();
}

std::vector<Course> coursesOfYear(Connection& c, const QString& schjId) {
    std::vector<Course> out;
    QHash<QString, size_t> index; // KS_VFP_ID folded
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_BEZ, KS_LE_ID, KS_STD FROM kurs "
                                        "WHERE KS_SCHJ = ? ORDER BY trim(KS_BEZ) COLLATE DEUTSCH, "
                                        "KS_ID"),
                         {schjId});
    while (q.next()) {
        index.insert(q.value(0).toString().toUpper(), out.size());
        out.push_back({q.value(0).toString(),
                       q.value(1).toString().trimmed(),
                       q.value(2).toString(),
                       q.value(3).toString().trimmed().toInt(),
                       {}});
    }
    QSqlQuery r = c.exec(QStringLiteral("SELECT ck.CK_KS_ID, bl.BL_BEZ FROM ckkurs ck JOIN block "
                                        "bl ON bl.BL_VFP_ID = ck.CK_BL_ID WHERE bl.BL_SCHJ = ? "
                                        "ORDER BY bl.BL_ID, ck.CK_ID"),
                         {schjId});
    while (r.next())
        if (const auto it = index.constFind(r.value(0).toString().toUpper()); it != index.cend())
            out[*it].rails << r.value(1).toString().trimmed();
    return out;
}

QStringList coursesTaughtBy(Connection& c, const QString& key, const QString& schjId, bool ofYear) {
    QStringList out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_BEZ FROM kurs WHERE trim(KS_LE_ID) = trim(?) "
                                        "COLLATE NOCASE AND (KS_SCHJ IS ?) = ? ORDER BY "
                                        "trim(KS_BEZ) COLLATE DEUTSCH, KS_ID"),
                         {key, schjId, ofYear ? 1 : 0});
    while (q.next())
        if (const QString bez = q.value(0).toString().trimmed(); !out.contains(bez))
            out << bez;
    return out;
}

void dropFromOtherYears(Connection& c, const QString& key, const QString& schjId) {
    c.exec(QStringLiteral("UPDATE kurs SET KS_LE_ID = NULL WHERE trim(KS_LE_ID) = trim(?) "
                          "COLLATE NOCASE AND KS_SCHJ IS NOT ?"),
           {key, schjId});
}

std::optional<QString> teacherOfCourse(Connection& c, const QString& courseKey) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_LE_ID FROM kurs WHERE KS_VFP_ID = ? LIMIT 1"),
                         {courseKey});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

QString add(Connection& c, const QString& kuerzel, const QString& name) {
    const qint64 used =
        std::max({c.scalar(QStringLiteral("SELECT max(LE_ID) FROM lehrer")).toLongLong(),
                  c.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'lehrer'"))
                      .toLongLong(),
                  largestNumericKey(c, QStringLiteral("SELECT LE_VFP_ID FROM lehrer")),
                  largestNumericKey(c, QStringLiteral("SELECT DISTINCT KS_LE_ID FROM kurs"))});
    const QString key = sixKey(used + 1);
    c.insert(QStringLiteral("lehrer"), {{QStringLiteral("LE_ID"), used + 1},
                                        {QStringLiteral("LE_KUERZ"), kuerzel},
                                        {QStringLiteral("LE_BEZ"), textOrNull(name)},
                                        {QStringLiteral("LE_VFP_ID"), key}});
    return key;
}

void update(Connection& c, const QString& key, const QString& kuerzel, const QString& name) {
    checkValue(QStringLiteral("lehrer"), QStringLiteral("LE_KUERZ"), kuerzel);
    checkValue(QStringLiteral("lehrer"), QStringLiteral("LE_BEZ"), name);
    const std::optional<Teacher> before = byKey(c, key);
    c.exec(QStringLiteral("UPDATE lehrer SET LE_KUERZ = ?, LE_BEZ = ? WHERE trim(LE_VFP_ID) = "
                          "trim(?) COLLATE NOCASE"),
           {kuerzel, textOrNull(name), key});
    if (!before || before->kuerzel == kuerzel)
        return;
    const QString stored = before->key;
    if (const kept::Entry e = kept::get(c, kept::kTeacher, stored); e.found)
        kept::put(c, kept::kTeacher, stored, kuerzel, e.data);
}

void remove(Connection& c, const QString& key) {
    const std::optional<Teacher> before = byKey(c, key);
    c.exec(QStringLiteral("DELETE FROM lehrer WHERE trim(LE_VFP_ID) = trim(?) COLLATE NOCASE"),
           {key});
    if (before)
        kept::drop(c, kept::kTeacher, before->key);
}

void setTeacherOfCourse(Connection& c, const QString& courseKey, const QString& teacherKey) {
    c.exec(QStringLiteral("UPDATE kurs SET KS_LE_ID = ? WHERE KS_VFP_ID = ?"),
           {textOrNull(teacherKey), courseKey});
}

} // namespace db::teachers
