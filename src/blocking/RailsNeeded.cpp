#include "blocking/RailsNeeded.h"

#include "blocking/Bounds.h"
#include "blocking/Search.h"

#include <QJsonArray>
#include <algorithm>
#include <chrono>
#include <map>
#include <stdexcept>
#include <thread>

namespace blocking {

namespace {

using Clock = std::chrono::steady_clock;

// No search stops a trial earlier than this: below it even a small school finds nothing.
constexpr double kLeastTrial = 0.5;
// Rails added to the school year's before giving up.
constexpr int kMostAdded = 8;

RailSet fixedRails(const Model& m) {
    RailSet s;
    for (size_t k = 0; k < m.courses.size(); ++k)
        if (m.courses[k].own)
            s |= m.placement.fixed[k];
    return s;
}

RailSet usedRails(const Model& m, const Placement& p) {
    RailSet s;
    for (size_t k = 0; k < m.courses.size(); ++k)
        if (m.courses[k].own)
            s |= p.rails[k];
    return s;
}

// The name's stem and number ("GK14" -> "GK", 14); no stem for a name without a number.
std::pair<QString, int> stemAndNumber(const QString& name) {
    int digits = 0;
    while (digits < name.size() && name[name.size() - 1 - digits].isDigit())
        ++digits;
    if (digits == 0 || digits == name.size())
        return {QString(), 0};
    return {name.left(name.size() - digits), name.right(digits).toInt()};
}

// A name for a new rail of these hours: the stem of the last such rail, numbered after every
// rail of that stem ("GK11" -> "GK15" beside "GK14"), else "S" and a number no rail has.
QString newRailName(const Model& m, int hours) {
    QString stem;
    for (const Rail& r : m.rails)
        if (r.hours == hours && !stemAndNumber(r.name.trimmed()).first.isEmpty())
            stem = stemAndNumber(r.name.trimmed()).first;
    if (stem.isEmpty())
        stem = QStringLiteral("S");
    int number = 0;
    for (const Rail& r : m.rails) {
        const auto [s, n] = stemAndNumber(r.name.trimmed());
        if (s.compare(stem, Qt::CaseInsensitive) == 0)
            number = std::max(number, n);
    }
    const QString name = stem + QString::number(number + 1);
    return name.size() <= 6 ? name : QStringLiteral("S%1").arg(m.rails.size() + 1);
}

struct Attempt {
    bool ok = false;
    Placement placement;
    Assignment assignment;
    Evaluation evaluation;
};

class Searcher {
public:
    Searcher(const Model& m, const RailsNeededOptions& o)
        : o_(o), started_(Clock::now()), fixed_(fixedRails(m)) {
        r_.model = m;
        r_.clashAllowance = currentBounds(m)->teacherClashes;
    }

    RailsNeeded run();

private:
    double elapsed() const {
        return std::chrono::duration<double>(Clock::now() - started_).count();
    }
    double left() const { return o_.seconds - elapsed(); }
    bool stopped() const { return o_.cancel && o_.cancel->load(); }
    void report(const QString& what) const {
        if (o_.progress)
            o_.progress(std::clamp(elapsed() / std::max(o_.seconds, 0.001), 0.0, 1.0), what);
    }
    Attempt attempt(const RailSet& allowed, const Placement& start, double seconds);
    int widen();
    bool addRail(int hours);
    void narrow(Attempt witness);
    void take(const Attempt& a);
    RailSet allRails() const {
        RailSet s;
        for (int r = 0; r < static_cast<int>(r_.model.rails.size()); ++r)
            if (r_.model.rails[r].hours > 0)
                s.add(r);
        return s;
    }

    const RailsNeededOptions& o_;
    Clock::time_point started_;
    RailSet fixed_;
    RailsNeeded r_;
    std::uint64_t trials_ = 0;
};

// A search on the allowed rails from the start plan, stopped at the first witness.
Attempt Searcher::attempt(const RailSet& allowed, const Placement& start, double seconds) {
    Model t = r_.model;
    const RailSet barred = allRails().without(allowed).without(fixed_);
    for (int k = 0; k < static_cast<int>(t.courses.size()); ++k) {
        if (!t.courses[k].own || t.courses[k].hours <= 0)
            continue;
        barred.without(t.placement.fixed[k]).forEach([&](int r) {
            t.rules.push_back({RuleKind::CourseNotOnRail, k, r, {}, QString()});
        });
    }
    t.placement = start;
    for (size_t k = 0; k < t.courses.size(); ++k)
        if (t.courses[k].own)
            t.placement.rails[k] = t.placement.rails[k].without(barred) | t.placement.fixed[k];

    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    Options so;
    so.mode = Mode::All;
    so.seconds = std::max(seconds, 0.01);
    so.seed = o_.seed + trials_++;
    so.threads = o_.threads;
    so.cancel = &stop;
    const int allowance = r_.clashAllowance;
    so.progress = [&](const Progress& p) {
        if (collisionFree(t, p.best, allowance))
            stop = true;
    };
    // The caller's cancel reaches the search through its own flag.
    std::thread watcher([&] {
        while (!done && !stop) {
            if (stopped())
                stop = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    Result res;
    try {
        res = block(t, so);
    } catch (...) {
        done = true;
        watcher.join();
        throw;
    }
    done = true;
    watcher.join();
    Attempt a;
    a.placement = std::move(res.placement);
    a.assignment = std::move(res.assignment);
    a.evaluation = evaluate(r_.model, a.placement, a.assignment);
    a.ok = collisionFree(r_.model, a.evaluation, r_.clashAllowance);
    return a;
}

void Searcher::take(const Attempt& a) {
    r_.found = true;
    r_.placement = a.placement;
    r_.assignment = a.assignment;
    r_.evaluation = a.evaluation;
    r_.used = usedRails(r_.model, a.placement) | fixed_;
}

// Rails of the hours the courses miss: up to each hours' bound where the school year has fewer
// (none: where some hours lie furthest above their rails, else the most common hours, one).
// Their number; 0 when no more rails fit.
int Searcher::widen() {
    const std::vector<RailKind> bounds = railBounds(r_.model);
    int added = 0;
    for (const RailKind& k : bounds)
        for (int n = k.inFile; n < k.bound && addRail(k.hours); ++n)
            ++added;
    if (added > 0)
        return added;
    const RailKind* pick = nullptr;
    for (const RailKind& k : bounds)
        if (!pick || k.bound - k.inFile > pick->bound - pick->inFile ||
            (k.bound - k.inFile == pick->bound - pick->inFile && k.inFile > pick->inFile))
            pick = &k;
    return pick && addRail(pick->hours) ? 1 : 0;
}

bool Searcher::addRail(int hours) {
    if (static_cast<int>(r_.model.rails.size()) >= kMaxRails)
        return false;
    r_.model.rails.push_back({QString(), 0, newRailName(r_.model, hours), hours});
    report(QStringLiteral("Eine %1-stündige Schiene mehr ...").arg(hours));
    return true;
}

// Leaves one rail after another out, an added one first, else the one the witness uses least, while
// a plan without a collision is found; each hours in turn, until its bound is reached or a trial
// fails.
void Searcher::narrow(Attempt witness) {
    const std::vector<RailKind> bounds = railBounds(r_.model);
    std::map<int, int> bound;
    for (const RailKind& k : bounds)
        bound[k.hours] = k.bound;
    std::map<int, bool> finished;
    for (bool progress = true; progress;) {
        progress = false;
        for (const auto& entry : bound) {
            // Named copies: lambdas below may not capture structured bindings (clang).
            const int hours = entry.first;
            const int least = entry.second;
            if (finished[hours] || stopped() || left() <= 0.05)
                continue;
            std::vector<int> count(r_.model.rails.size(), 0);
            for (size_t k = 0; k < r_.model.courses.size(); ++k)
                if (r_.model.courses[k].own)
                    witness.placement.rails[k].forEach([&](int r) { ++count[r]; });
            int drop = -1;
            int inUse = 0;
            // A rail added goes first (the file need not grow), else the one least used.
            const auto key = [&](int r) { return std::pair(r_.model.rails[r].id != 0, count[r]); };
            r_.used.without(fixed_).forEach([&](int r) {
                if (r_.model.rails[r].hours == hours && (drop < 0 || key(r) <= key(drop)))
                    drop = r;
            });
            r_.used.forEach([&](int r) { inUse += r_.model.rails[r].hours == hours ? 1 : 0; });
            if (drop < 0 || (o_.stopAtBound && inUse <= least) || inUse == 0) {
                finished[hours] = true;
                continue;
            }
            report(QStringLiteral("Versuch mit %1 %2-stündigen Schienen ...")
                       .arg(inUse - 1)
                       .arg(hours));
            RailSet allowed = r_.used;
            allowed.remove(drop);
            const Attempt a = attempt(allowed, witness.placement,
                                      std::min(left(), std::max(kLeastTrial, o_.seconds / 5)));
            if (!a.ok) {
                finished[hours] = true;
                continue;
            }
            take(a);
            witness = a;
            progress = true;
        }
    }
}

RailsNeeded Searcher::run() {
    if (allRails().empty())
        throw std::runtime_error("Das Schuljahr hat keine Schienen mit Stunden; es lässt sich "
                                 "nicht zählen, wie viele nötig sind.");
    // Fewer rails than the bounds ask for cannot do: those missing first.
    int added = 0;
    for (const RailKind& k : railBounds(r_.model))
        for (int n = k.inFile; n < k.bound && added < kMostAdded && addRail(k.hours); ++n)
            ++added;
    report(QStringLiteral("Suche auf allen Schienen ..."));
    // The first trial may take half the time: whatever it finds, the later ones start from.
    Attempt a = attempt(allRails(), r_.model.placement,
                        std::min(left(), std::max(kLeastTrial, o_.seconds / 2)));
    for (int more = 0;
         !a.ok && !stopped() && left() > 0.05 && added < kMostAdded && (more = widen()) > 0;) {
        added += more;
        a = attempt(allRails(), a.placement,
                    std::min(left(), std::max(kLeastTrial, o_.seconds / 6)));
    }
    if (a.ok) {
        take(a);
        narrow(a);
    } else {
        r_.evaluation = a.evaluation;
        r_.placement = a.placement;
        r_.assignment = a.assignment;
    }
    r_.cancelled = stopped();
    r_.kinds = railBounds(r_.model);
    const int inFile = static_cast<int>(r_.model.rails.size()) - added;
    for (RailKind& k : r_.kinds) {
        k.inFile = 0;
        k.added = 0;
        for (int r = 0; r < static_cast<int>(r_.model.rails.size()); ++r)
            if (r_.model.rails[r].hours == k.hours)
                ++(r < inFile ? k.inFile : k.added);
        if (r_.found) {
            k.needed = 0;
            r_.used.forEach([&](int r) { k.needed += r_.model.rails[r].hours == k.hours ? 1 : 0; });
        }
    }
    r_.seconds = elapsed();
    report(QString());
    return std::move(r_);
}

} // namespace

bool collisionFree(const Model& m, const Evaluation& e, int clashAllowance) {
    return e.collisions == 0 && e.otherCollisions == 0 && e.unplaced == 0 &&
           e.ruleViolations == 0 && e.teacherClashes <= clashAllowance &&
           e.withoutCourse <= m.unservable;
}

RailsNeeded railsNeeded(const Model& m, const RailsNeededOptions& o) {
    return Searcher(m, o).run();
}

int RailsNeeded::needed() const {
    int n = 0;
    for (const RailKind& k : kinds)
        n += std::max(0, k.needed);
    return found ? n : -1;
}

int RailsNeeded::bound() const {
    int n = 0;
    for (const RailKind& k : kinds)
        n += k.bound;
    return n;
}

bool RailsNeeded::proven() const {
    return found &&
           std::all_of(kinds.begin(), kinds.end(), [](const RailKind& k) { return k.proven(); });
}

namespace {

QString kindLine(const RailKind& k, bool found) {
    QString line =
        QStringLiteral("%1-stündige Schienen: %2 in der Datei").arg(k.hours).arg(k.inFile);
    if (k.added > 0)
        line += QStringLiteral(", %1 hinzugefügt").arg(k.added);
    if (found)
        line += QStringLiteral(", nötig %1").arg(k.needed);
    line += QStringLiteral(", untere Schranke %1").arg(k.bound);
    if (!k.why.isEmpty())
        line += QStringLiteral(" (%1)").arg(k.why);
    if (found)
        line += k.proven() ? QStringLiteral(": bewiesen")
                           : QStringLiteral(": Lücke %1").arg(k.needed - k.bound);
    return line;
}

} // namespace

QStringList describe(const RailsNeeded& r) {
    QStringList lines;
    for (const RailKind& k : r.kinds)
        lines << kindLine(k, r.found);
    int all = 0;
    for (const RailKind& k : r.kinds)
        all += k.inFile;
    if (!r.found) {
        lines << QStringLiteral("Kein Plan ohne Kollision gefunden%1; der beste: %2 Kollisionen, "
                                "%3 nicht gesetzte Kurse, %4 gebrochene Regeln.")
                     .arg(r.cancelled ? QStringLiteral(" (abgebrochen)") : QString())
                     .arg(r.evaluation.collisions + r.evaluation.otherCollisions)
                     .arg(r.evaluation.unplaced)
                     .arg(r.evaluation.ruleViolations);
        return lines;
    }
    QString sum = QStringLiteral("Schienen nötig: %1 (in der Datei %2)").arg(r.needed()).arg(all);
    sum += r.proven() ? QStringLiteral(", bewiesen")
                      : QStringLiteral(", untere Schranke %1, Lücke %2")
                            .arg(r.bound())
                            .arg(r.needed() - r.bound());
    if (r.cancelled)
        sum += QStringLiteral("; abgebrochen");
    return lines << sum;
}

QJsonObject toJson(const RailsNeeded& r) {
    QJsonArray kinds;
    for (const RailKind& k : r.kinds)
        kinds.append(QJsonObject{{QStringLiteral("hours"), k.hours},
                                 {QStringLiteral("inFile"), k.inFile},
                                 {QStringLiteral("added"), k.added},
                                 {QStringLiteral("needed"), k.needed},
                                 {QStringLiteral("bound"), k.bound},
                                 {QStringLiteral("boundReason"), k.why},
                                 {QStringLiteral("proven"), k.proven()}});
    return {{QStringLiteral("found"), r.found},
            {QStringLiteral("proven"), r.proven()},
            {QStringLiteral("cancelled"), r.cancelled},
            {QStringLiteral("needed"), r.needed()},
            {QStringLiteral("bound"), r.bound()},
            {QStringLiteral("kinds"), kinds},
            {QStringLiteral("seconds"), r.seconds},
            {QStringLiteral("evaluation"), toJson(r.evaluation)}};
}

} // namespace blocking
