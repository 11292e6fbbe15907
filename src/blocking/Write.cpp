#include "blocking/Write.h"

#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "db/Queries.h"
#include "db/Statement.h"

#include <stdexcept>

namespace blocking {

namespace {

void placeInto(db::Connection& c, const Model& m, const Placement& p, Written& w) {
    db::Transaction tx(c);
    if (!c.hasTable(QStringLiteral("ckkurs")))
        db::recreateCkkurs(c);
    db::Statement rows(c, QStringLiteral("SELECT CK_ID, CK_BL_ID, CK_FIX, CK_KS_ID, CK_VFP_ID "
                                         "FROM ckkurs WHERE CK_KS_ID = ? ORDER BY CK_ID"));
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
            QVariantList fields; // CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX
        };
        std::vector<Row> now;
        QSqlQuery& q = rows.run({m.courses[k].key});
        while (q.next())
            now.push_back({q.value(0).toLongLong(),
                           m.railIndex(q.value(1).toString()),
                           {q.value(0), q.value(1), q.value(3), q.value(4), q.value(2)}});
        for (const Row& r : now) {
            if (r.rail < 0)
                continue; // a rail of another school year
            if (!wanted.has(r.rail)) {
                drop.run({r.id});
                w.removed.push_back(r.fields);
                continue;
            }
            present.add(r.rail);
            const QString fix = flag(p.fixed[k].has(r.rail));
            if (r.fields[4].toString() != fix) {
                mark.run({fix, r.id});
                w.fixes.emplace_back(r.id, r.fields[4]);
            }
        }
        wanted.without(present).forEach([&](int r) {
            const Rail& rail = m.rails[r];
            add.run(
                {rail.key, m.courses[k].key, QString::number(rail.id), flag(p.fixed[k].has(r))});
            w.added.push_back(add.lastInsertId());
        });
    }
    tx.commit();
}

// The rails' hours where the model's (the workspace's grid) differ from the stored ones, as
// the model reads them; rails without hours in the model are left alone.
void railHoursInto(db::Connection& c, const Model& m, Written& w) {
    db::Statement get(c, QStringLiteral("SELECT BL_STD FROM block WHERE BL_ID = ?"));
    db::Statement set(c, QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_ID = ?"),
                      QStringLiteral("block"), {QStringLiteral("BL_STD")});
    for (const Rail& r : m.rails) {
        if (r.hours <= 0)
            continue;
        QSqlQuery& q = get.run({r.id});
        if (!q.next() || q.value(0).toInt() == r.hours)
            continue;
        const QVariant before = q.value(0);
        set.run({r.hours, r.id});
        w.hours.emplace_back(r.id, before);
    }
}

} // namespace

void writePlacement(db::Connection& c, const Model& m, const Placement& p) {
    Written ignored;
    placeInto(c, m, p, ignored);
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
    if (courseField != db::courseField(12) && courseField != db::courseField(13))
        throw std::invalid_argument("undoCourses: no course field");
    db::Transaction tx(c);
    db::Statement set(
        c, QStringLiteral("UPDATE belegung SET %1 = ? WHERE BG_ID = ?").arg(courseField));
    for (const CourseChange& change : changes)
        set.run({change.before, change.bgId});
    tx.commit();
}

QByteArray readState(db::Connection& c) {
    QByteArray state;
    if (c.hasTable(QStringLiteral("ckkurs")))
        state += c.digest(QStringLiteral(
            "SELECT CK_ID, CK_BL_ID, CK_KS_ID, CK_VFP_ID, CK_FIX FROM ckkurs ORDER BY CK_ID"));
    state += c.digest(QStringLiteral("SELECT * FROM belegung ORDER BY BG_ID"));
    // The rails' hours decide where a course fits.
    state += c.digest(QStringLiteral("SELECT BL_ID, BL_VFP_ID, BL_STD FROM block ORDER BY BL_ID"));
    return state;
}

Loaded loadForPlan(db::Connection& c, const SchoolYear& year, int cohort, const Model* known,
                   const QByteArray& knownState) {
    std::optional<db::Transaction> tx;
    try {
        tx.emplace(c);
        // Written and dropped again: a file that cannot take the plan shows here.
        db::Transaction probe(c);
        c.exec(QStringLiteral("CREATE TABLE kubb_schreibprobe (x INTEGER)"));
    } catch (const db::DbError& e) {
        throw db::DbError(e.kind(),
                          QStringLiteral("Ein Plan könnte nicht gespeichert werden, die Suche "
                                         "beginnt nicht: ") +
                              e.message());
    }
    QByteArray state = readState(c);
    const bool current =
        known && known->cohort == cohort && !knownState.isEmpty() && knownState == state;
    Loaded l{current ? *known : Model::load(c, year, cohort), std::move(state)};
    // Rolled back, not committed: the probe already took the write lock and wrote the journal,
    // and a commit of nothing would only wait for the disk's syncs.
    tx.reset();
    return l;
}

std::optional<Written> write(db::Connection& c, const Model& m, const Placement& p,
                             const Assignment& a, const std::optional<QByteArray>& expected) {
    db::Transaction tx(c);
    if (expected && readState(c) != *expected)
        return std::nullopt;
    Written w;
    w.courseField = m.courseField;
    placeInto(c, m, p, w);
    railHoursInto(c, m, w);
    w.courses = writeCourses(c, m, a);
    w.state = readState(c);
    tx.commit();
    return w;
}

bool undo(db::Connection& c, const Written& w) {
    db::Transaction tx(c);
    if (readState(c) != w.state)
        return false;
    db::Statement drop(c, QStringLiteral("DELETE FROM ckkurs WHERE CK_ID = ?"));
    for (qint64 id : w.added)
        drop.run({id});
    db::Statement put = db::Statement::insert(
        c, QStringLiteral("ckkurs"),
        {QStringLiteral("CK_ID"), QStringLiteral("CK_BL_ID"), QStringLiteral("CK_KS_ID"),
         QStringLiteral("CK_VFP_ID"), QStringLiteral("CK_FIX")});
    for (const QVariantList& row : w.removed)
        put.run(row);
    db::Statement mark(c, QStringLiteral("UPDATE ckkurs SET CK_FIX = ? WHERE CK_ID = ?"));
    for (const auto& [id, fix] : w.fixes)
        mark.run({fix, id});
    db::Statement hours(c, QStringLiteral("UPDATE block SET BL_STD = ? WHERE BL_ID = ?"));
    for (const auto& [id, before] : w.hours)
        hours.run({before, id});
    undoCourses(c, w.courseField, w.courses);
    tx.commit();
    return true;
}

} // namespace blocking
