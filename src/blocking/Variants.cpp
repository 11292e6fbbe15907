#include "blocking/Variants.h"

#include "blocking/Bounds.h"
#include "blocking/Write.h"
#include "db/Choices.h"
#include "db/Database.h"
#include "db/VariantStore.h"

#include <QSet>
#include <algorithm>
#include <stdexcept>

namespace blocking {

namespace {

[[noreturn]] void refuse(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

struct Stored {
    qint64 id = 0;
    QString name;
    QDateTime created;
    QString comment;
};

std::vector<Stored> stored(db::Connection& c, const SchoolYear& year, int cohort) {
    std::vector<Stored> all;
    for (const db::variants::Stored& v : db::variants::ofCohort(c, year.id, cohort))
        all.push_back({v.id, v.name, QDateTime::fromString(v.created, Qt::ISODate), v.comment});
    return all;
}

bool sameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

Stored find(db::Connection& c, const SchoolYear& year, int cohort, const QString& name) {
    for (const Stored& s : stored(c, year, cohort))
        if (sameName(s.name, name))
            return s;
    refuse(QStringLiteral("Eine Variante „%1“ gibt es nicht.").arg(name.trimmed()));
}

constexpr int kMaxName = 60;

// The name as a variant may bear it, unless another variant than `self` does already.
QString freeName(db::Connection& c, const SchoolYear& year, int cohort, const QString& name,
                 qint64 self = 0) {
    const QString n = name.trimmed();
    if (n.isEmpty())
        refuse(QStringLiteral("Eine Variante braucht einen Namen."));
    // A name stands on one line of lists and printouts.
    if (n.size() > kMaxName)
        refuse(QStringLiteral("Der Name einer Variante hat höchstens %1 Zeichen.").arg(kMaxName));
    if (std::any_of(n.begin(), n.end(),
                    [](QChar ch) { return ch.category() == QChar::Other_Control; }))
        refuse(QStringLiteral("Der Name einer Variante darf keine Zeilenumbrüche oder "
                              "Steuerzeichen enthalten."));
    if (sameName(n, kCurrentPlan))
        refuse(QStringLiteral("Der Name „%1“ steht für den aktuellen Plan; bitte einen anderen "
                              "wählen.")
                   .arg(kCurrentPlan));
    for (const Stored& s : stored(c, year, cohort))
        if (s.id != self && sameName(s.name, n))
            refuse(QStringLiteral("Eine Variante „%1“ gibt es schon.").arg(s.name));
    return n;
}

// A plan of the model under the name: every course of the cohort with its rails, every choice
// with its course in the plan, or with what its year field holds where the plan gives it none
// (writing a plan leaves such a field as it stands). Without a plan, the current one.
void store(db::Connection& c, const SchoolYear& year, const Model& m, const QString& name,
           const QString& comment, const QDateTime& now, const Placement* p = nullptr,
           const Assignment* a = nullptr) {
    // A variant is one cohort's: its year field, its list.
    if (m.bothYearGroups())
        throw std::runtime_error("Varianten werden je Jahrgang gespeichert, nicht für beide "
                                 "Jahrgangsstufen zusammen.");
    const Placement& placement = p ? *p : m.placement;
    db::variants::Writer variant(c, year.id, m.cohort, name, now.toString(Qt::ISODate),
                                 comment.trimmed()); // NULL: none
    const QVariant none(QMetaType::fromType<QString>());
    for (size_t k = 0; k < m.courses.size(); ++k) {
        if (!m.courses[k].own)
            continue;
        const QString& key = m.courses[k].key;
        if (placement.rails[k].empty())
            variant.placement(key, none, none);
        placement.rails[k].forEach([&](int r) {
            variant.placement(key, m.rails[r].key,
                              placement.fixed[k].has(r) ? QStringLiteral("1")
                                                        : QStringLiteral("0"));
        });
    }
    db::choices::CourseField field(c, m.courseField);
    for (size_t i = 0; i < m.choices.size(); ++i) {
        const qint64 bgId = m.choices[i].bgId;
        const int k = a ? (*a)[i] : -1;
        variant.course(bgId,
                       k >= 0 ? QVariant(m.courses[k].key) : field.get(bgId).value_or(QVariant()));
    }
}

// A plan on today's model: the current one with what of the variant still fits.
struct Fitted {
    Placement placement;
    Assignment assignment;
    std::vector<qint64> cleared; // choices whose year field the variant has empty
    int notTaken = 0;
};

Fitted current(const Model& m) {
    return {m.placement, m.assignment, {}, 0};
}

// The model's choices by key, for reading a variant's courses.
QHash<qint64, int> choicesByKey(const Model& m) {
    QHash<qint64, int> choiceOf;
    choiceOf.reserve(static_cast<qsizetype>(m.choices.size()));
    for (size_t i = 0; i < m.choices.size(); ++i)
        choiceOf.insert(m.choices[i].bgId, static_cast<int>(i));
    return choiceOf;
}

Fitted fit(db::Connection& c, const Model& m, qint64 id, const QHash<qint64, int>& choiceOf) {
    Fitted f = current(m);
    QSet<int> seen;
    for (const db::variants::Placement& row : db::variants::placements(c, id)) {
        const int k = m.courseIndex(row.course);
        const bool placed = !row.rail.isNull();
        if (k < 0 || !m.courses[k].own) {
            f.notTaken += placed ? 1 : 0;
            continue;
        }
        if (!seen.contains(k)) {
            seen.insert(k);
            f.placement.rails[k] = {};
            f.placement.fixed[k] = {};
        }
        if (!placed)
            continue;
        const int r = m.railIndex(row.rail.toString());
        if (r < 0) {
            ++f.notTaken;
            continue;
        }
        f.placement.rails[k].add(r);
        if (row.fix == QLatin1String("1"))
            f.placement.fixed[k].add(r);
    }
    for (const db::variants::Course& row : db::variants::courses(c, id)) {
        const int i = choiceOf.value(row.bgId, -1);
        if (i < 0) {
            ++f.notTaken;
        } else if (row.course.isNull()) {
            f.assignment[i] = -1;
            f.cleared.push_back(m.choices[i].bgId);
        } else if (const int k = m.courseIndex(row.course.toString()); m.serves(k, i)) {
            f.assignment[i] = k;
        } else {
            ++f.notTaken;
        }
    }
    return f;
}

Fitted plan(db::Connection& c, const SchoolYear& year, const Model& m, const QString& name) {
    return sameName(name, kCurrentPlan)
               ? current(m)
               : fit(c, m, find(c, year, m.cohort, name).id, choicesByKey(m));
}

int changedStudents(const Model& m, const Assignment& a, const Assignment& b) {
    int n = 0;
    for (int s = 0; s < m.ownStudents; ++s) {
        const Student& st = m.students[s];
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
            if (a[i] != b[i]) {
                ++n;
                break;
            }
    }
    return n;
}

QString railNames(const Model& m, const RailSet& rails) {
    QStringList names;
    rails.forEach([&](int r) { names << m.rails[r].name.trimmed(); });
    return names.isEmpty() ? QStringLiteral("–") : names.join(QStringLiteral(", "));
}

QString courseName(const Model& m, int k) {
    return k < 0 ? QStringLiteral("–") : m.courses[k].name;
}

} // namespace

void save(db::Connection& c, const SchoolYear& year, int cohort, const QString& name,
          const QString& comment, const QDateTime& now) {
    db::Transaction tx(c);
    const QString n = freeName(c, year, cohort, name);
    store(c, year, Model::load(c, year, cohort), n, comment, now);
    tx.commit();
}

QStringList saveKept(db::Connection& c, const SchoolYear& year, const Model& m,
                     const std::vector<KeptPlan>& plans, const QDateTime& now) {
    db::Transaction tx(c);
    std::vector<Stored> all = stored(c, year, m.cohort);
    const auto taken = [&](const QString& n) {
        return std::any_of(all.begin(), all.end(),
                           [&](const Stored& s) { return sameName(s.name, n); });
    };
    QStringList names;
    for (size_t i = 0; i < plans.size(); ++i) {
        const QString base = QStringLiteral("Automatisch %1 (%2)")
                                 .arg(i + 1)
                                 .arg(now.toString(QStringLiteral("dd.MM.yyyy hh:mm")));
        QString name = base;
        for (int n = 2; taken(name); ++n)
            name = base + QStringLiteral(" (%1)").arg(n);
        store(c, year, m, name, {}, now, &plans[i].placement, &plans[i].assignment);
        all.push_back({0, name, now, {}});
        names << name;
    }
    tx.commit();
    return names;
}

namespace {

std::vector<VariantInfo> variantsOf(db::Connection& c, const SchoolYear& year, const Model& m) {
    std::vector<VariantInfo> all;
    const QHash<qint64, int> choiceOf = choicesByKey(m);
    for (const Stored& s : stored(c, year, m.cohort)) {
        const Fitted f = fit(c, m, s.id, choiceOf);
        VariantInfo v{s.name, s.created, s.comment, evaluate(m, f.placement, f.assignment)};
        v.changedStudents = changedStudents(m, f.assignment, m.assignment);
        for (size_t k = 0; k < m.courses.size(); ++k)
            if (m.courses[k].own && f.placement.rails[k] != m.placement.rails[k])
                ++v.movedCourses;
        all.push_back(std::move(v));
    }
    return all;
}

} // namespace

std::vector<VariantInfo> list(db::Connection& c, const SchoolYear& year, int cohort) {
    db::ReadTransaction rt(c);
    std::vector<VariantInfo> all;
    if (stored(c, year, cohort).empty())
        return all;
    all = variantsOf(c, year, Model::load(c, year, cohort));
    rt.end();
    return all;
}

Listing listing(db::Connection& c, const SchoolYear& year, int cohort) {
    db::ReadTransaction rt(c);
    Listing l;
    l.state = readState(c);
    const Model m = Model::load(c, year, cohort);
    VariantInfo now;
    now.name = kCurrentPlan;
    now.evaluation = evaluate(m);
    l.plans.push_back(std::move(now));
    for (VariantInfo& v : variantsOf(c, year, m))
        l.plans.push_back(std::move(v));
    l.bounds = currentBounds(m);
    rt.end();
    return l;
}

std::optional<Applied> apply(db::Connection& c, const SchoolYear& year, int cohort,
                             const QString& name, const std::optional<QByteArray>& expected,
                             const QDateTime& now) {
    db::Transaction tx(c);
    if (expected && readState(c) != *expected)
        return std::nullopt;
    const Stored v = find(c, year, cohort, name);
    const Model m = Model::load(c, year, cohort);
    const Fitted f = fit(c, m, v.id, choicesByKey(m));
    const QString base =
        QStringLiteral("vor Übernahme ") + now.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    Applied done{base, f.notTaken, m, f.placement, f.assignment, f.cleared, {}};
    const std::vector<Stored> all = stored(c, year, cohort);
    const auto taken = [&](const QString& n) {
        return std::any_of(all.begin(), all.end(),
                           [&](const Stored& s) { return sameName(s.name, n); });
    };
    for (int i = 2; taken(done.keptAs); ++i)
        done.keptAs = base + QStringLiteral(" (%1)").arg(i);
    store(c, year, m, done.keptAs, {}, now);
    // write leaves a choice without a course in the plan as it stands; the variant's is empty.
    done.written = *write(c, m, f.placement, f.assignment, std::nullopt, f.cleared);
    tx.commit();
    return done;
}

void remove(db::Connection& c, const SchoolYear& year, int cohort, const QString& name) {
    db::Transaction tx(c);
    db::variants::remove(c, find(c, year, cohort, name).id);
    tx.commit();
}

void rename(db::Connection& c, const SchoolYear& year, int cohort, const QString& oldName,
            const QString& newName) {
    db::Transaction tx(c);
    const qint64 id = find(c, year, cohort, oldName).id;
    db::variants::rename(c, id, freeName(c, year, cohort, newName, id));
    tx.commit();
}

VariantDiff diff(db::Connection& c, const SchoolYear& year, int cohort, const QString& first,
                 const QString& second) {
    db::ReadTransaction rt(c);
    const Model m = Model::load(c, year, cohort);
    const Fitted a = plan(c, year, m, first);
    const Fitted b = plan(c, year, m, second);
    VariantDiff d;
    for (size_t k = 0; k < m.courses.size(); ++k)
        if (m.courses[k].own && a.placement.rails[k] != b.placement.rails[k])
            d.courses << QStringLiteral("%1: %2 → %3")
                             .arg(m.courses[k].name, railNames(m, a.placement.rails[k]),
                                  railNames(m, b.placement.rails[k]));
    for (size_t i = 0; i < m.choices.size(); ++i)
        if (a.assignment[i] != b.assignment[i]) {
            const Student& s = m.students[m.choices[i].student];
            d.students << QStringLiteral("%1 %2: %3 → %4")
                              .arg(s.key.trimmed(), s.name, courseName(m, a.assignment[i]),
                                   courseName(m, b.assignment[i]));
        }
    rt.end();
    return d;
}

} // namespace blocking
