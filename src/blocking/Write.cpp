#include "blocking/Write.h"

#include "db/BlockDatabase.h"
#include "db/Choices.h"
#include "db/Database.h"
#include "db/Placements.h"
#include "db/Rails.h"

#include <memory>

namespace blocking {

namespace {

void placeInto(db::Connection& c, const Model& m, const Placement& p, Written& w) {
    db::Transaction tx(c);
    db::placements::ensureTable(c);
    db::placements::Writer rows(c);
    const auto flag = [](bool fixed) { return fixed ? QStringLiteral("1") : QStringLiteral("0"); };
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!m.courses[k].own)
            continue;
        const RailSet& wanted = p.rails[k];
        RailSet present;
        for (const db::placements::Row& row : rows.ofCourse(m.courses[k].key)) {
            const int r = m.railIndex(row.rail.toString());
            if (r < 0)
                continue; // a rail of another school year
            const qint64 id = row.id.toLongLong();
            if (!wanted.has(r)) {
                rows.remove(id);
                w.removed.push_back(row.fields());
                continue;
            }
            present.add(r);
            const QString fix = flag(p.fixed[k].has(r));
            if (row.fix.toString() != fix) {
                rows.setFixed(id, fix);
                w.fixes.emplace_back(id, row.fix);
            }
        }
        wanted.without(present).forEach([&](int r) {
            const Rail& rail = m.rails[r];
            w.added.push_back(rows.add(rail.key, m.courses[k].key, QString::number(rail.id),
                                       flag(p.fixed[k].has(r))));
        });
    }
    tx.commit();
}

// The rails' hours where the model's (the workspace's grid) differ from the stored ones, as
// the model reads them; rails without hours in the model are left alone.
void railHoursInto(db::Connection& c, const Model& m, Written& w) {
    for (const Rail& r : m.rails) {
        if (r.hours <= 0)
            continue;
        const std::optional<QVariant> before = db::rails::hours(c, r.id);
        if (!before || before->toInt() == r.hours)
            continue;
        db::rails::setHours(c, r.id, r.hours);
        w.hours.emplace_back(r.id, *before);
    }
}

} // namespace

void writePlacement(db::Connection& c, const Model& m, const Placement& p) {
    Written ignored;
    placeInto(c, m, p, ignored);
}

namespace {

// The year fields of belegung, each opened once (one per planned cohort).
class Fields {
public:
    explicit Fields(db::Connection& c) : c_(c) {}
    db::choices::CourseField& operator[](const QString& name) {
        for (auto& [n, f] : open_)
            if (n == name)
                return *f;
        // Refuses any other field before writing.
        open_.emplace_back(name, std::make_unique<db::choices::CourseField>(c_, name));
        return *open_.back().second;
    }

private:
    db::Connection& c_;
    std::vector<std::pair<QString, std::unique_ptr<db::choices::CourseField>>> open_;
};

} // namespace

std::vector<CourseChange> writeCourses(db::Connection& c, const Model& m, const Assignment& a) {
    db::Transaction tx(c);
    Fields fields(c);
    std::vector<CourseChange> changes;
    for (size_t i = 0; i < m.choices.size(); ++i) {
        if (a[i] == m.assignment[i] || a[i] < 0)
            continue;
        const QString& name = m.fieldOf(static_cast<int>(i));
        db::choices::CourseField& field = fields[name];
        const std::optional<QVariant> before = field.get(m.choices[i].bgId);
        if (!before)
            continue;
        changes.push_back({m.choices[i].bgId, name, *before, m.courses[a[i]].key});
        field.set(changes.back().bgId, changes.back().after);
    }
    tx.commit();
    return changes;
}

void undoCourses(db::Connection& c, const std::vector<CourseChange>& changes) {
    Fields fields(c);
    // Every field opened (and a wrong one refused) before anything is written.
    for (const CourseChange& change : changes)
        fields[change.field];
    db::Transaction tx(c);
    for (const CourseChange& change : changes)
        fields[change.field].set(change.bgId, change.before);
    tx.commit();
}

QByteArray readState(db::Connection& c) {
    return db::placements::planState(c);
}

namespace {

Loaded loadProbed(db::Connection& c, const SchoolYear& year, const std::vector<int>& cohorts,
                  const Model* known, const QByteArray& knownState) {
    std::optional<db::Transaction> tx;
    try {
        tx.emplace(c);
        // Written and dropped again: a file that cannot take the plan shows here.
        db::probeWritable(c);
    } catch (const db::DbError& e) {
        throw db::DbError(e.kind(),
                          QStringLiteral("Ein Plan könnte nicht gespeichert werden, die Suche "
                                         "beginnt nicht: ") +
                              e.message());
    }
    QByteArray state = readState(c);
    const bool current = known && !known->bothYearGroups() && cohorts.size() == 1 &&
                         known->cohort == cohorts.front() && !knownState.isEmpty() &&
                         knownState == state;
    Loaded l{current ? *known : Model::load(c, year, cohorts), std::move(state)};
    // Rolled back, not committed: the probe already took the write lock and wrote the journal,
    // and a commit of nothing would only wait for the disk's syncs.
    tx.reset();
    return l;
}

} // namespace

Loaded loadForPlan(db::Connection& c, const SchoolYear& year, int cohort, const Model* known,
                   const QByteArray& knownState) {
    return loadProbed(c, year, {cohort}, known, knownState);
}

Loaded loadForPlan(db::Connection& c, const SchoolYear& year, const std::vector<int>& cohorts) {
    return loadProbed(c, year, cohorts, nullptr, {});
}

std::optional<Written> write(db::Connection& c, const Model& m, const Placement& p,
                             const Assignment& a, const std::optional<QByteArray>& expected,
                             const std::vector<qint64>& cleared) {
    db::Transaction tx(c);
    if (expected && readState(c) != *expected)
        return std::nullopt;
    Written w;
    placeInto(c, m, p, w);
    railHoursInto(c, m, w);
    w.courses = writeCourses(c, m, a);
    db::choices::CourseField field(c, m.courseField);
    for (qint64 bgId : cleared)
        if (const std::optional<QVariant> before = field.get(bgId)) {
            w.courses.push_back({bgId, m.courseField, *before, QString()});
            field.set(bgId, QVariant());
        }
    w.state = readState(c);
    tx.commit();
    return w;
}

bool undo(db::Connection& c, const Written& w) {
    db::Transaction tx(c);
    if (readState(c) != w.state)
        return false;
    db::placements::Writer rows(c);
    for (qint64 id : w.added)
        rows.remove(id);
    for (const QVariantList& row : w.removed)
        rows.restore(row);
    for (const auto& [id, fix] : w.fixes)
        rows.setFixed(id, fix);
    for (const auto& [id, before] : w.hours)
        db::rails::setHours(c, id, before);
    undoCourses(c, w.courses);
    tx.commit();
    return true;
}

} // namespace blocking
