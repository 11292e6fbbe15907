#include "db/Courses.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace db::courses {

namespace {

QStringList column(QSqlQuery q) {
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

std::optional<QString> first(QSqlQuery q) {
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

} // namespace

std::vector<BlockingCourse> ofSchoolYear(Connection& c, const QString& schoolYear) {
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

std::vector<Subject> subjects(Connection& c) {
    std::vector<Subject> out;
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

} // namespace db::courses
