#include "db/Students.h"

#include "db/Database.h"
#include "db/Statement.h"
#include <QSqlQuery>

namespace db::students {

bool anyOfCohort(Connection& c, const QString& cohort) {
    return !c.scalar(QStringLiteral("SELECT 1 FROM kolleg WHERE KO_KURSPH = ? LIMIT 1"), {cohort})
                .isNull();
}

QStringList keys(Connection& c) {
    QStringList keys;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_VFP_ID FROM kolleg"));
    while (q.next())
        keys << q.value(0).toString();
    return keys;
}

std::vector<Student> all(Connection& c) {
    std::vector<Student> rows;
    QSqlQuery q = c.exec(
        QStringLiteral("SELECT KO_VFP_ID, KO_KURSPH, KO_FAMNAME FROM kolleg ORDER BY KO_ID"));
    while (q.next())
        rows.push_back(
            {0, q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), {}});
    return rows;
}

std::vector<Student> ofCohortByName(Connection& c, const QString& cohort) {
    std::vector<Student> rows;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_ID, KO_FAMNAME, KO_RUFNAME FROM kolleg "
                                        "WHERE KO_KURSPH = ? ORDER BY KO_FAMNAME COLLATE "
                                        "DEUTSCH, KO_RUFNAME COLLATE DEUTSCH, KO_ID"),
                         {cohort});
    while (q.next())
        rows.push_back(
            {q.value(0).toLongLong(), {}, cohort, q.value(1).toString(), q.value(2).toString()});
    return rows;
}

std::optional<QString> cohortOf(Connection& c, const QString& key) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_KURSPH FROM kolleg WHERE KO_VFP_ID = ?"), {key});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

std::optional<std::pair<QString, QString>> nameOf(Connection& c, const QString& key) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_FAMNAME, KO_RUFNAME FROM kolleg WHERE "
                                        "KO_VFP_ID = ? ORDER BY KO_ID LIMIT 1"),
                         {key});
    if (!q.next())
        return std::nullopt;
    return std::pair{q.value(0).toString(), q.value(1).toString()};
}

QHash<QString, QString> classes(Connection& c) {
    QHash<QString, QString> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_VFP_ID, KO_PARLLKL FROM kolleg"));
    while (q.next())
        out.insert(q.value(0).toString(), q.value(1).toString().trimmed());
    return out;
}

int countOfCohort(Connection& c, const QString& cohort) {
    return c
        .scalar(QStringLiteral("SELECT count(*) FROM kolleg WHERE trim(KO_KURSPH) = ?"), {cohort})
        .toInt();
}

std::vector<Named> ofCohortWithKeys(Connection& c, const QString& cohort) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_FAMNAME, KO_RUFNAME, KO_VFP_ID FROM kolleg "
                                        "WHERE KO_KURSPH = ? ORDER BY KO_FAMNAME COLLATE DEUTSCH, "
                                        "KO_RUFNAME COLLATE DEUTSCH, KO_ID"),
                         {cohort});
    std::vector<Named> out;
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return out;
}

QString familyName(Connection& c, const QString& key) {
    return c
        .scalar(QStringLiteral("SELECT KO_FAMNAME FROM kolleg WHERE KO_VFP_ID = ? LIMIT 1"), {key})
        .toString();
}

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

// --- For the Kurs42 exchange.

QStringList cohortsLatestFirst(Connection& c) {
    QStringList out;
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT DISTINCT trim(KO_KURSPH) FROM kolleg ORDER BY 1 DESC"));
    while (q.next())
        out << q.value(0).toString();
    return out;
}

void add(Connection& c, const QString& phase, const Person& s) {
    c.insert(QStringLiteral("kolleg"), {{QStringLiteral("KO_KURSPH"), phase},
                                        {QStringLiteral("KO_FAMNAME"), s.famName},
                                        {QStringLiteral("KO_RUFNAME"), s.rufName},
                                        {QStringLiteral("KO_PARLLKL"), s.parallelClass},
                                        {QStringLiteral("KO_VFP_ID"), s.key}});
}

std::vector<Enrolled> enrolled(Connection& c) {
    std::vector<Enrolled> out;
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_VFP_ID, KO_FAMNAME, KO_RUFNAME, KO_KURSPH, "
                                        "KO_PARLLKL FROM kolleg ORDER BY KO_ID"));
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                       q.value(3).toString(), q.value(4).toString()});
    return out;
}

QStringList keysLike(Connection& c, const QString& key) {
    return column(c.exec(
        QStringLiteral("SELECT KO_VFP_ID FROM kolleg WHERE upper(trim(KO_VFP_ID)) = upper(?)"),
        {key}));
}

QStringList listing(Connection& c) {
    return column(c.exec(QStringLiteral(
        "SELECT trim(KO_VFP_ID) || '  ' || trim(ifnull(KO_FAMNAME, '')) || ', ' || "
        "trim(ifnull(KO_RUFNAME, '')) || ifnull(' (' || nullif(trim(KO_PARLLKL), '') || ')', '') "
        "FROM kolleg WHERE trim(ifnull(KO_VFP_ID, '')) <> '' ORDER BY KO_FAMNAME, KO_RUFNAME")));
}

// --- For the texts of the planner's rules.

std::optional<Person> personOf(Connection& c, const QString& key) {
    QSqlQuery q = c.exec(QStringLiteral("SELECT KO_VFP_ID, KO_FAMNAME, KO_RUFNAME, KO_PARLLKL "
                                        "FROM kolleg WHERE upper(trim(KO_VFP_ID)) = upper(trim(?)) "
                                        "ORDER BY KO_ID LIMIT 1"),
                         {key});
    if (!q.next())
        return std::nullopt;
    return Person{q.value(0).toString(), q.value(1).toString().trimmed(),
                  q.value(2).toString().trimmed(), q.value(3).toString().trimmed()};
}

} // namespace db::students
