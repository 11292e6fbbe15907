#include "db/Students.h"

#include "db/Database.h"
#include "db/Statement.h"

#include <QSqlQuery>

namespace db::students {

namespace {

QStringList column(QSqlQuery q) {
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

} // namespace

std::vector<Person> all(Connection& c) {
    std::vector<Person> out;
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

std::optional<QString> designation(Connection& c, const QString& key, bool withName) {
    QSqlQuery q = c.exec(
        withName ? QStringLiteral("SELECT trim(KO_VFP_ID) || ' (' || trim(ifnull(KO_FAMNAME, "
                                  "'')) || ', ' || trim(ifnull(KO_RUFNAME, '')) || ')' FROM "
                                  "kolleg WHERE KO_VFP_ID = ?")
                 : QStringLiteral("SELECT trim(KO_VFP_ID) FROM kolleg WHERE KO_VFP_ID = ?"),
        {key});
    if (!q.next())
        return std::nullopt;
    return q.value(0).toString();
}

QStringList listing(Connection& c) {
    return column(c.exec(QStringLiteral(
        "SELECT trim(KO_VFP_ID) || '  ' || trim(ifnull(KO_FAMNAME, '')) || ', ' || "
        "trim(ifnull(KO_RUFNAME, '')) FROM kolleg WHERE trim(ifnull(KO_VFP_ID, '')) <> '' "
        "ORDER BY KO_FAMNAME, KO_RUFNAME")));
}

} // namespace db::students
