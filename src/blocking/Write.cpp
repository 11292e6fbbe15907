#include "blocking/Write.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Statement.h"

#include <stdexcept>

namespace blocking {

void writePlacement(db::Connection& c, const Model& m, const Placement& p) {
    db::Transaction tx(c);
    if (!c.hasTable(QStringLiteral("ckkurs")))
        db::recreateCkkurs(c);
    db::Statement rows(c, QStringLiteral("SELECT CK_ID, CK_BL_ID, CK_FIX FROM ckkurs "
                                         "WHERE CK_KS_ID = ? ORDER BY CK_ID"));
    db::Statement drop(c, QStringLiteral("DELETE FROM ckkurs WHERE CK_ID = ?"));
    db::Statement mark(c, QStringLiteral("UPDATE ckkurs SET CK_FIX = ? WHERE CK_ID = ?"));
    db::Statement add =
        db::Statement::insert(c, QStringLiteral("ckkurs"),
                              {QStringLiteral("CK_BL_ID"), QStringLiteral("CK_KS_ID"),
                               QStringLiteral("CK_VFP_ID"), QStringLiteral("CK_FIX")});
    const auto flag = [](bool fixed) { return fixed ? QStringLiteral("1") : QStringLiteral("0"); };
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!m.courses[k].own)
            continue;
        const RailSet& wanted = p.rails[k];
        RailSet present;
        struct Row {
            qint64 id;
            int rail;
            QString fix;
        };
        std::vector<Row> now;
        QSqlQuery& q = rows.run({m.courses[k].key});
        while (q.next())
            now.push_back({q.value(0).toLongLong(), m.railIndex(q.value(1).toString()),
                           q.value(2).toString()});
        for (const Row& r : now) {
            if (r.rail < 0)
                continue; // a rail of another school year
            if (!wanted.has(r.rail)) {
                drop.run({r.id});
                continue;
            }
            present.add(r.rail);
            const QString fix = flag(p.fixed[k].has(r.rail));
            if (r.fix != fix)
                mark.run({fix, r.id});
        }
        wanted.without(present).forEach([&](int r) {
            const Rail& rail = m.rails[r];
            add.run(
                {rail.key, m.courses[k].key, QString::number(rail.id), flag(p.fixed[k].has(r))});
        });
    }
    tx.commit();
}

std::vector<CourseChange> writeCourses(db::Connection& c, const Model& m, const Assignment& a) {
    db::Transaction tx(c);
    // The field is one of two names of the schema, never a value.
    db::Statement get(c,
                      QStringLiteral("SELECT %1 FROM belegung WHERE BG_ID = ?").arg(m.courseField));
    db::Statement set(
        c, QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(m.courseField));
    std::vector<CourseChange> changes;
    for (size_t i = 0; i < m.choices.size(); ++i) {
        if (a[i] == m.assignment[i] || a[i] < 0)
            continue;
        QSqlQuery& q = get.run({m.choices[i].bgId});
        if (!q.next())
            continue;
        changes.push_back({m.choices[i].bgId, q.value(0), m.courses[a[i]].key});
        set.run({changes.back().after, changes.back().bgId});
    }
    tx.commit();
    return changes;
}

void undoCourses(db::Connection& c, const QString& courseField,
                 const std::vector<CourseChange>& changes) {
    // The field goes into the statement's text: only the two course fields may.
    if (courseField != QLatin1String("BG_KS_ID_12") && courseField != QLatin1String("BG_KS_ID_13"))
        throw std::invalid_argument("undoCourses: no course field");
    db::Transaction tx(c);
    db::Statement set(
        c, QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(courseField));
    for (const CourseChange& change : changes)
        set.run({change.before, change.bgId});
    tx.commit();
}

std::vector<CourseChange> write(db::Connection& c, const Model& m, const Placement& p,
                                const Assignment& a) {
    db::Transaction tx(c);
    writePlacement(c, m, p);
    std::vector<CourseChange> changes = writeCourses(c, m, a);
    tx.commit();
    return changes;
}

} // namespace blocking
