#include "db/Courses.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "platform/Text.h"
#include <QSqlQuery>

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

namespace {

const QString kCourseFields = QStringLiteral(
    "SELECT KS_BEZ, KS_SCHJ, KS_VFP_ID, KS_FA_ID1, KS_FA_ID3, KS_JGST, KS_LKGK, KS_STD FROM kurs ");

Course courseOf(const QSqlQuery& q) {
    return {q.value(0).toString(),
            q.value(1).toString(),
            q.value(2).toString(),
            q.value(3),
            q.value(4),
            q.value(5).toString(),
            q.value(6).toString(),
            q.value(7)};
}

using platform::blank;

} // namespace

std::vector<Course> ofSchoolYear(Connection& c, const QString& schjId) {
    QSqlQuery q = c.exec(
        kCourseFields + QStringLiteral("WHERE KS_SCHJ = ? ORDER BY KS_SORT, KS_ID"), {schjId});
    std::vector<Course> out;
    while (q.next())
        out.push_back(courseOf(q));
    return out;
}

std::optional<Course> byKey(Connection& c, const QString& key) {
    QSqlQuery q =
        c.exec(kCourseFields + QStringLiteral("WHERE KS_VFP_ID = ? ORDER BY KS_ID LIMIT 1"), {key});
    if (!q.next())
        return std::nullopt;
    return courseOf(q);
}

bool any(Connection& c) {
    return c.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM kurs)")).toBool();
}

QStringList keysBySort(Connection& c, const QString& schjId) {
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT KS_VFP_ID FROM kurs WHERE KS_SCHJ = ? ORDER BY KS_SORT, KS_ID"),
        {schjId});
    QStringList keys;
    while (q.next())
        keys << q.value(0).toString();
    return keys;
}

std::vector<Course> namesOfSchoolYear(Connection& c, const QString& schjId) {
    QSqlQuery q =
        c.exec(QStringLiteral(
                   "SELECT KS_VFP_ID, KS_BEZ, KS_SCHJ FROM kurs WHERE KS_SCHJ = ? ORDER BY KS_ID"),
               {schjId});
    std::vector<Course> out;
    while (q.next()) {
        Course k;
        k.key = q.value(0).toString();
        k.bez = q.value(1).toString();
        k.schj = q.value(2).toString();
        out.push_back(k);
    }
    return out;
}

QVariant basicHours(Connection& c, const QVariant& subject) {
    QSqlQuery& q = c.prepared(QStringLiteral("SELECT FA_STDGK FROM fachang WHERE FA_VFP_ID = ?"))
                       .run({subject});
    const QVariant hours = q.next() ? q.value(0) : QVariant();
    q.finish(); // no read lock left behind
    return hours;
}

QString kind(Connection& c, const QString& key) {
    return c
        .scalar(
            QStringLiteral("SELECT KS_LKGK FROM kurs WHERE KS_VFP_ID = ? ORDER BY KS_ID LIMIT 1"),
            {key})
        .toString();
}

std::optional<Parallels> parallelsOf(Connection& c, const QString& key, const QString& schjId) {
    QSqlQuery own = c.exec(
        QStringLiteral("SELECT KS_VFP_ID, KS_FA_ID1, KS_FA_ID2, KS_FA_ID3, KS_FA_ID4, KS_JGST, "
                       "KS_LKGK FROM kurs WHERE KS_VFP_ID = ? AND KS_SCHJ = ? ORDER BY KS_ID "
                       "LIMIT 1"),
        {key, schjId});
    if (!own.next())
        return std::nullopt;
    Parallels p{own.value(0).toString(), {}};
    static const char* const columns[] = {"KS_FA_ID1", "KS_FA_ID2", "KS_FA_ID3",
                                          "KS_FA_ID4", "KS_JGST",   "KS_LKGK"};
    QStringList conditions;
    QVariantList values;
    for (int i = 0; i < 6; ++i) {
        const QVariant v = own.value(i + 1);
        if (blank(v))
            continue;
        conditions << QLatin1String(columns[i]) + QStringLiteral(" = ?");
        values << v;
    }
    // A course without subjects, year group and kind has nothing to be parallel to.
    if (conditions.isEmpty())
        return p;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT KS_BEZ, KS_VFP_ID FROM kurs WHERE ") +
                   conditions.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY KS_ID"),
               values);
    while (q.next())
        if (q.value(1).toString() != p.ownKey)
            p.courses.emplace_back(q.value(0).toString(), q.value(1).toString());
    return p;
}

QVariant idOf(Connection& c, const QString& key) {
    return c.scalar(
        QStringLiteral("SELECT KS_ID FROM kurs WHERE KS_VFP_ID = ? ORDER BY KS_ID LIMIT 1"), {key});
}

void remove(Connection& c, const QVariant& id) {
    c.exec(QStringLiteral("DELETE FROM kurs WHERE KS_ID = ?"), {id});
}

QString designation(Connection& c, const QString& key) {
    return c.scalar(QStringLiteral("SELECT KS_BEZ FROM kurs WHERE KS_VFP_ID = ? LIMIT 1"), {key})
        .toString();
}

std::vector<Subject> subjectsOfCohort(Connection& c, const QString& cohort) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT FA_BEZ, FA_VFP_ID, FA_BELEG FROM fachang "
                                        "WHERE FA_KURSPH = ? ORDER BY FA_ID"),
                         {cohort});
    std::vector<Subject> out;
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

QString subjectDesignation(Connection& c, const QString& key) {
    return c.scalar(QStringLiteral("SELECT FA_BEZ FROM fachang WHERE FA_VFP_ID = ? LIMIT 1"), {key})
        .toString();
}

QString subjectTypes(Connection& c, const QString& key) {
    return c
        .scalar(QStringLiteral("SELECT FA_BELEG FROM fachang WHERE FA_VFP_ID = ? LIMIT 1"), {key})
        .toString();
}

// --- For the Kurs42 exchange and the administration export.

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

namespace {

std::optional<QString> first(QSqlQuery q) {
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

} // namespace

std::vector<BlockingCourse> forBlocking(Connection& c, const QString& schoolYear) {
    std::vector<BlockingCourse> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KS_VFP_ID, KS_BEZ, KS_FA_ID1, KS_FA_ID2, "
                                        "KS_FA_ID3, KS_FA_ID4, KS_JGST, KS_LKGK, KS_STD, KS_MIN, "
                                        "KS_MAX, KS_LE_ID FROM kurs WHERE KS_SCHJ = ? "
                                        "ORDER BY KS_SORT, KS_ID"),
                         {schoolYear});
    while (q.next())
        out.push_back({q.value(0).toString(),
                       q.value(1).toString(),
                       {q.value(2).toString(), q.value(3).toString(), q.value(4).toString(),
                        q.value(5).toString()},
                       q.value(6).toString(),
                       q.value(7).toString(),
                       q.value(8),
                       q.value(9),
                       q.value(10),
                       q.value(11).toString()});
    return out;
}

QStringList keysNamed(Connection& c, const QString& schoolYear, const QString& name) {
    return column(c.exec(QStringLiteral("SELECT KS_VFP_ID FROM kurs WHERE upper(trim(KS_BEZ)) = "
                                        "upper(?) AND KS_SCHJ = ? ORDER BY KS_SORT, KS_ID"),
                         {name, schoolYear}));
}

bool exists(Connection& c, const QString& schoolYear, const QString& key) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM kurs WHERE KS_VFP_ID = ? AND KS_SCHJ = ?"),
                     {key, schoolYear})
                .isNull();
}

std::optional<QString> designation(Connection& c, const QString& schoolYear, const QString& key) {
    return first(
        c.exec(QStringLiteral("SELECT trim(KS_BEZ) FROM kurs WHERE KS_VFP_ID = ? AND KS_SCHJ = ?"),
               {key, schoolYear}));
}

QStringList designations(Connection& c, const QString& schoolYear) {
    return column(c.exec(QStringLiteral("SELECT trim(KS_BEZ) FROM kurs WHERE KS_SCHJ = ? AND "
                                        "trim(ifnull(KS_BEZ, '')) <> '' ORDER BY KS_SORT, KS_ID"),
                         {schoolYear}));
}

std::vector<OfferedSubject> subjects(Connection& c) {
    std::vector<OfferedSubject> out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT FA_VFP_ID, FA_STDGK, FA_KURSPH, FA_BEZ FROM fachang"));
    while (q.next())
        out.push_back(
            {q.value(0).toString(), q.value(1), q.value(2).toString(), q.value(3).toString()});
    return out;
}

std::vector<std::pair<QString, QString>> subjectsOfPlanKey(Connection& c, const QString& pschl) {
    std::vector<std::pair<QString, QString>> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT FA_VFP_ID, trim(FA_BEZ) FROM fachang "
                                        "WHERE upper(trim(FA_PSCHL)) = upper(?)"),
                         {pschl});
    while (q.next())
        out.emplace_back(q.value(0).toString(), q.value(1).toString());
    return out;
}

QStringList planKeysNamed(Connection& c, const QString& name) {
    return column(c.exec(QStringLiteral("SELECT trim(FA_PSCHL) FROM fachang WHERE "
                                        "upper(trim(FA_PSCHL)) = upper(?) OR upper(trim(FA_BEZ)) = "
                                        "upper(?) ORDER BY FA_ID"),
                         {name, name}));
}

std::optional<QString> subjectAbbreviation(Connection& c, const QString& pschl) {
    return first(
        c.exec(QStringLiteral("SELECT ifnull(nullif(trim(FA_BEZ), ''), trim(FA_PSCHL)) "
                              "FROM fachang WHERE trim(FA_PSCHL) = trim(?) ORDER BY FA_ID"),
               {pschl}));
}

QStringList subjectListing(Connection& c) {
    return column(c.exec(QStringLiteral("SELECT DISTINCT trim(FA_PSCHL) || '  ' || "
                                        "trim(ifnull(FA_BEZ, '')) FROM fachang WHERE "
                                        "trim(ifnull(FA_PSCHL, '')) <> '' ORDER BY 1")));
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
