// kubb propose: course counts, rails needed and "what if" for one cohort.
#include "cli/Commands.h"

#include "blocking/Propose.h"
#include "blocking/RailsCopy.h"
#include "blocking/RailsNeeded.h"
#include "blocking/WhatIf.h"
#include "blocking/Write.h"
#include "db/Database.h"
#include "platform/Files.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace cli {

namespace {

int number(const Args& a, const QString& name, int fallback, int least) {
    const QString text = a.value(name);
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < least)
        throw UsageError(QStringLiteral("%1 braucht eine ganze Zahl ab %2").arg(name).arg(least));
    return v;
}

struct Settings {
    blocking::SizeLimits defaults;
    double seconds = 10;
    std::uint64_t seed = 1;
    int threads = 0;
    QString railsInto;
    QStringList without;
    QStringList withParallel;
};

Settings settings(const Args& a) {
    Settings s;
    s.defaults.min = number(a, QStringLiteral("--min-size"), 0, 1);
    s.defaults.max = number(a, QStringLiteral("--max-size"), 0, 1);
    bool ok = true;
    if (!a.value(QStringLiteral("--seconds")).isEmpty())
        s.seconds = a.value(QStringLiteral("--seconds")).toDouble(&ok);
    if (!ok || s.seconds <= 0)
        throw UsageError(QStringLiteral("--seconds braucht eine Zahl über 0"));
    if (!a.value(QStringLiteral("--seed")).isEmpty())
        s.seed = a.value(QStringLiteral("--seed")).toULongLong(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("--seed braucht eine ganze Zahl"));
    s.threads = number(a, QStringLiteral("--threads"), 0, 0);
    s.without = a.values(QStringLiteral("--without"));
    s.withParallel = a.values(QStringLiteral("--with-parallel"));
    if (!a.value(QStringLiteral("--rails-into")).isEmpty())
        s.railsInto = pathArg(a.value(QStringLiteral("--rails-into")));
    if (!s.railsInto.isEmpty() && !(s.without.isEmpty() && s.withParallel.isEmpty()))
        throw UsageError(QStringLiteral("--rails-into schreibt die Schienen der Datei, wie sie "
                                        "ist: nicht zusammen mit --without oder --with-parallel"));
    return s;
}

// The cohort, what the counts read besides, and the file's state, in one read transaction.
struct Read {
    blocking::Model model;
    blocking::ProposalData data;
    QByteArray state;
};

Read read(const Target& t) {
    db::Connection c(t.path);
    db::Transaction tx(c);
    Read r{blocking::Model::load(c, t.year, t.cohort), {}, blocking::readState(c)};
    r.data = blocking::readProposalData(c, r.model, t.year);
    return r;
}

std::vector<blocking::PlanChange> changes(const blocking::Model& m, const Settings& s) {
    std::vector<blocking::PlanChange> out;
    for (const QString& name : s.without)
        out.push_back(blocking::planChange(m, blocking::PlanChange::Kind::Without, name));
    for (const QString& name : s.withParallel)
        out.push_back(blocking::planChange(m, blocking::PlanChange::Kind::WithParallel, name));
    return out;
}

void lines(const QString& heading, const QStringList& list) {
    out() << heading << "\n";
    for (const QString& l : list)
        out() << "  " << l << "\n";
}

QStringList copyLines(const QString& path, const blocking::RailsCopy& copy) {
    QStringList l{QStringLiteral("Kopie mit den nötigen Schienen und dem Plan: %1").arg(path)};
    if (!copy.removed.isEmpty())
        l << QStringLiteral("Schienen weggelassen: %1")
                 .arg(copy.removed.join(QStringLiteral(", ")));
    if (!copy.added.isEmpty())
        l << QStringLiteral("Schienen hinzugefügt: %1").arg(copy.added.join(QStringLiteral(", ")));
    if (!copy.kept.isEmpty())
        l << QStringLiteral("Frei, aber mit Kursen anderer Jahrgänge: %1")
                 .arg(copy.kept.join(QStringLiteral(", ")));
    return l;
}

// What propose found, for printing.
struct Outcome {
    const blocking::Model& m;
    const blocking::CourseCounts& counts;
    const blocking::RailsNeeded& rails;
    const std::optional<blocking::WhatIf>& what;
    const std::optional<blocking::RailsCopy>& copy;
    const QString& copyPath;
};

void printJson(const Outcome& o) {
    QJsonObject json = blocking::toJson(o.m, o.counts);
    json.insert(QStringLiteral("cohort"), o.m.cohort);
    json.insert(QStringLiteral("yearGroup"), o.m.yearGroup);
    json.insert(QStringLiteral("rails"), blocking::toJson(o.rails));
    if (o.what)
        json.insert(
            QStringLiteral("whatIf"),
            QJsonObject{{QStringLiteral("changes"), QJsonArray::fromStringList(o.what->changes)},
                        {QStringLiteral("evaluation"), blocking::toJson(o.what->evaluation)}});
    if (o.copy)
        json.insert(QStringLiteral("copy"), o.copyPath);
    out() << QJsonDocument(json).toJson(QJsonDocument::Indented);
}

void printText(const Outcome& o) {
    const blocking::Model& m = o.m;
    out() << "Jahrgang " << m.cohort << " (Jahrgangsstufe " << m.yearGroup << "): " << m.ownStudents
          << " Schüler, " << m.ownCourses << " Kurse, " << m.rails.size() << " Schienen\n";
    QStringList rows;
    for (const blocking::CourseCount& c : o.counts.rows)
        rows << blocking::countLine(m, c);
    lines(QStringLiteral("Kurse je Fach und Art:"), rows);
    if (o.what) {
        lines(QStringLiteral("Was wäre, wenn: %1").arg(o.what->changes.join(QStringLiteral(", "))),
              blocking::describe(o.what->evaluation, true, true));
        lines(QStringLiteral("Schienen mit diesen Änderungen:"), blocking::describe(o.rails));
    } else {
        lines(QStringLiteral("Schienen:"), blocking::describe(o.rails));
    }
    if (o.copy)
        lines(QStringLiteral("Geschrieben:"), copyLines(o.copyPath, *o.copy));
}

} // namespace

int runPropose(const Args& a) {
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--json"),
                 QStringLiteral("--max-size"), QStringLiteral("--min-size"),
                 QStringLiteral("--seconds"), QStringLiteral("--seed"), QStringLiteral("--threads"),
                 QStringLiteral("--rails-into"), QStringLiteral("--without"),
                 QStringLiteral("--with-parallel")});
    const Settings s = settings(a);
    const Target t = target(a);
    // A copy that cannot be written is said before the search.
    if (!s.railsInto.isEmpty()) {
        blocking::checkCopyTarget(t.path, s.railsInto);
        platform::checkWritable(s.railsInto);
    }
    const Read r = read(t);
    const blocking::Model& m = r.model;
    const blocking::CourseCounts counts = blocking::countCourses(m, r.data, s.defaults);
    const std::vector<blocking::PlanChange> wanted = changes(m, s);

    blocking::RailsNeeded rails;
    std::optional<blocking::WhatIf> what;
    std::optional<blocking::RailsCopy> copy;
    if (wanted.empty()) {
        blocking::RailsNeededOptions ro;
        ro.seconds = s.seconds;
        ro.seed = s.seed;
        ro.threads = s.threads;
        rails = blocking::railsNeeded(m, ro);
        if (!s.railsInto.isEmpty())
            copy = blocking::writeRailsCopy(t.path, s.railsInto, t.year, rails, r.state);
    } else {
        blocking::WhatIfOptions wo;
        wo.seconds = s.seconds;
        wo.seed = s.seed;
        wo.threads = s.threads;
        what = blocking::whatIf(m, wanted, wo);
        rails = what->rails;
    }

    const Outcome o{m, counts, rails, what, copy, s.railsInto};
    if (a.flag(QStringLiteral("--json")))
        printJson(o);
    else
        printText(o);
    out().flush();
    return 0;
}

} // namespace cli
