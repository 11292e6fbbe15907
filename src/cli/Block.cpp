// kubb block, kubb evaluate: automatic blocking of one cohort or of both year groups at once, and
// its evaluation.
#include "cli/Commands.h"

#include "blocking/Evaluation.h"
#include "blocking/Model.h"
#include "blocking/Search.h"
#include "blocking/Variants.h"
#include "blocking/Write.h"
#include "common/Session.h"
#include "db/Database.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/RunState.h"

#include <QJsonDocument>
#include <chrono>

namespace cli {

namespace {

blocking::Model load(const Target& t) {
    db::Connection c(t.path);
    return blocking::Model::load(c, t.year, t.cohorts);
}

void printHeader(const blocking::Model& m) {
    out() << m.cohortsText() << ": " << m.ownStudents << " Schüler, " << m.ownCourses << " Kurse, "
          << m.rails.size() << " Schienen\n";
}

void printLines(const QStringList& lines, const char* indent) {
    for (const QString& l : lines)
        out() << indent << l << "\n";
}

QString seconds(double s) {
    return QString::number(s, 'f', 2) + QStringLiteral(" s");
}

// Why the bounds above 0 are where they are, under a heading of their own.
void printExplained(const blocking::Evaluation& e) {
    if (const QStringList lines = blocking::explain(e); !lines.isEmpty()) {
        out() << "Unvermeidbar:\n";
        printLines(lines, "  ");
    }
}

} // namespace

int runEvaluate(const Args& a) {
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--json")});
    const Target t = target(a, true);
    const blocking::Model m = load(t);
    const blocking::Evaluation e = blocking::evaluate(m);
    if (a.flag(QStringLiteral("--json"))) {
        QJsonObject o = blocking::toJson(e);
        o.insert(QStringLiteral("cohort"), m.cohort);
        o.insert(QStringLiteral("yearGroup"), m.yearGroup);
        if (m.bothYearGroups()) {
            QJsonObject byCohort;
            const std::vector<int> counts =
                blocking::collisionsByPart(m, m.placement, m.assignment);
            for (size_t p = 0; p < m.parts.size(); ++p)
                byCohort.insert(QString::number(m.parts[p].cohort), counts[p]);
            o.insert(QStringLiteral("collisionsByCohort"), byCohort);
        }
        o.insert(QStringLiteral("rails"), static_cast<int>(m.rails.size()));
        out() << QJsonDocument(o).toJson(QJsonDocument::Indented);
    } else {
        printHeader(m);
        printLines(
            blocking::withCollisionShares(blocking::describe(e), m, m.placement, m.assignment), "");
        printExplained(e);
    }
    out().flush();
    return 0;
}

// Each kept plan is a variant with its figures in the list; more would only fill it.
constexpr int kMaxKeptVariants = 100;

// The search's options as the command line gives them.
blocking::Options blockOptions(const Args& a) {
    blocking::Options o;
    const QString mode = a.value(QStringLiteral("--mode"));
    if (mode == QLatin1String("all"))
        o.mode = blocking::Mode::All;
    else if (mode == QLatin1String("keep"))
        o.mode = blocking::Mode::Keep;
    else if (!mode.isEmpty() && mode != QLatin1String("rest"))
        throw UsageError(QStringLiteral("--mode ist rest, all oder keep"));
    bool ok = true;
    if (!a.value(QStringLiteral("--seconds")).isEmpty())
        o.seconds = a.value(QStringLiteral("--seconds")).toDouble(&ok);
    if (!ok || o.seconds <= 0)
        throw UsageError(QStringLiteral("--seconds braucht eine Zahl über 0"));
    if (!a.value(QStringLiteral("--seed")).isEmpty())
        o.seed = a.value(QStringLiteral("--seed")).toULongLong(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("--seed braucht eine ganze Zahl"));
    if (!a.value(QStringLiteral("--threads")).isEmpty())
        o.threads = a.value(QStringLiteral("--threads")).toInt(&ok);
    if (!ok || o.threads < 0)
        throw UsageError(QStringLiteral("--threads braucht eine ganze Zahl"));
    if (!a.value(QStringLiteral("--keep-variants")).isEmpty())
        o.keepPlans = a.value(QStringLiteral("--keep-variants")).toInt(&ok);
    if (!ok || o.keepPlans < 0 || o.keepPlans > kMaxKeptVariants)
        throw UsageError(QStringLiteral("--keep-variants braucht eine ganze Zahl von 0 bis %1")
                             .arg(kMaxKeptVariants));
    return o;
}

// The evaluations before and after, what the plan changed and how the search went.
void printResult(const blocking::Result& r, const blocking::Model& stored,
                 const blocking::Evaluation& after, blocking::Mode mode, const QStringList& changes,
                 const QStringList& kept) {
    out() << "Vorher:\n";
    printLines(blocking::describe(r.before), "  ");
    out() << "Nachher:\n";
    printLines(
        blocking::withCollisionShares(blocking::describe(after, true, true, r.bestKeepingPlaced),
                                      stored, stored.placement, stored.assignment),
        "  ");
    if (mode == blocking::Mode::Keep) {
        out() << "Schüler mit Kurswechsel: " << blocking::changedStudents(r.changes) << "\n";
        printLines(changes, "  ");
    }
    printExplained(after);
    if (r.secondsToCollisionFree >= 0)
        out() << (after.collisionBound + after.otherCollisionBound + after.teacherClashBound +
                              after.ruleViolationBound ==
                          0
                      ? "Kollisionsfrei nach "
                      : "Kollisionen auf ihrer Untergrenze nach ")
              << seconds(r.secondsToCollisionFree) << "\n";
    if (r.secondsToOptimal >= 0)
        out() << (after.optimal ? "Optimal nach " : "Bestmöglich nach ")
              << seconds(r.secondsToOptimal) << "\n";
    if (!kept.isEmpty()) {
        out() << "Als Varianten gespeichert:\n";
        printLines(kept, "  ");
    }
    out() << "Suche: " << seconds(r.seconds) << ", " << r.moves << " Züge"
          << (r.cancelled ? ", abgebrochen" : "") << "\n";
    out().flush();
}

// The plan and the kept plans as variants, in one transaction: both or neither. Another
// program's change to what the search read (placements, choices, rails, courses, rules ...)
// written meanwhile is not overwritten, nor mixed with this plan. Gives the variants' names.
QStringList store(db::Connection& c, const Target& t, const blocking::Loaded& loaded,
                  const blocking::Result& r) {
    db::Transaction tx(c);
    if (!blocking::write(c, loaded.model, r.placement, r.assignment, loaded.state))
        throw std::runtime_error(
            QStringLiteral("Der Plan wurde nicht gespeichert: Schienen oder Belegungen in %1 "
                           "wurden während der Suche von einem anderen Programm geändert.")
                .arg(t.path)
                .toStdString());
    const QStringList kept =
        r.kept.empty() ? QStringList() : blocking::saveKept(c, t.year, loaded.model, r.kept);
    tx.commit();
    return kept;
}

int runBlock(const Args& a) {
    // --seconds is the whole command's: starting the program and the reading before the search
    // come out of it.
    const auto started = std::chrono::steady_clock::now();
    a.allowOnly({QStringLiteral("--db"), QStringLiteral("--cohort"), QStringLiteral("--mode"),
                 QStringLiteral("--seconds"), QStringLiteral("--seed"), QStringLiteral("--threads"),
                 QStringLiteral("--changes"), QStringLiteral("--keep-variants")});
    const Target t = target(a, true);
    blocking::Options o = blockOptions(a);
    if (t.cohorts.size() > 1 && o.keepPlans > 0)
        throw UsageError(QStringLiteral("--keep-variants gilt für einen Jahrgang: Varianten "
                                        "werden je Jahrgang gespeichert"));
    const QString changesFile = a.value(QStringLiteral("--changes")).isEmpty()
                                    ? QString()
                                    : pathArg(a.value(QStringLiteral("--changes")));
    // A file that cannot be written is said before the search, not after the plan is stored.
    if (!changesFile.isEmpty())
        platform::checkWritable(changesFile);

    blocking::Result r;
    QStringList changes;
    QStringList kept;
    {
        db::Connection c(t.path);
        const blocking::Loaded loaded = blocking::loadForPlan(c, t.year, t.cohorts);
        const blocking::Model& m = loaded.model;
        printHeader(m);
        // As the workspace says it on loading; these courses cannot be placed.
        for (const QString& name : m.withoutHours)
            out() << "Bei " << name << " fehlt die Stundenzahl!\n";
        // Said before the search: no plan keeps these rules, the planner may stop and mend them.
        if (const QStringList conflicts = blocking::ruleConflicts(m, o.mode);
            !conflicts.isEmpty()) {
            out() << "Die Regeln lassen keinen Plan zu:\n";
            printLines(conflicts, "  ");
        }
        out().flush();
        const double spent = std::max(
            platform::secondsSinceStart(),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        o.seconds = std::max(0.001, o.seconds - spent);
        r = blocking::block(m, o);
        kept = store(c, t, loaded, r);
        changes = blocking::changeLines(m, r.changes);
    }
    // What now stands in the database, against the bounds of the search that made it.
    const blocking::Model stored = load(t);
    printResult(r, stored, blocking::evaluate(stored), o.mode, changes, kept);
    // Last, so that a file that fails leaves the plan stored and its changes printed.
    if (!changesFile.isEmpty()) {
        const QByteArray bytes =
            changes.isEmpty() ? QByteArray() : (changes.join('\n') + '\n').toUtf8();
        platform::writeFileAtomically(changesFile, [&](QIODevice& f) { f.write(bytes); });
    }
    return 0;
}

} // namespace cli
