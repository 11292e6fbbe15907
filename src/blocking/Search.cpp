#include "blocking/Search.h"

#include "blocking/Bounds.h"
#include "blocking/SearchChain.h"
#include "blocking/SearchProblem.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

namespace blocking {

// ---------------------------------------------------------------------------------------------
// What may move

namespace {

// The rail sets (of rails not yet taken, among `pool` when given) whose hours take `hours`: as
// few rails as possible adding up exactly; failing that, the fewest covering them with the least
// to spare.
std::vector<RailSet> railSets(const Model& m, const RailSet& taken, int hours,
                              const RailSet* pool = nullptr) {
    std::vector<int> free;
    for (int r = 0; r < static_cast<int>(m.rails.size()); ++r)
        if (!taken.has(r) && m.rails[r].hours > 0 && (!pool || pool->has(r)))
            free.push_back(r);
    std::array<int, 3> best = {2, 4, 0}; // (not exact, rails, spare): smaller is better
    std::vector<RailSet> out;
    const auto consider = [&](const RailSet& s, int n, int sum) {
        if (sum < hours)
            return;
        const std::array<int, 3> key = {sum == hours ? 0 : 1, n, sum - hours};
        if (key < best) {
            best = key;
            out.clear();
        }
        if (key == best)
            out.push_back(s);
    };
    const int n = static_cast<int>(free.size());
    for (int i = 0; i < n; ++i)
        consider(RailSet::of(free[i]), 1, m.rails[free[i]].hours);
    const bool singleFits = best[0] == 0;
    for (int i = 0; i < n && !singleFits; ++i)
        for (int j = i + 1; j < n; ++j)
            consider(RailSet::of(free[i]) | RailSet::of(free[j]), 2,
                     m.rails[free[i]].hours + m.rails[free[j]].hours);
    const bool pairFits = best[0] == 0;
    for (int i = 0; i < n && !pairFits; ++i)
        for (int j = i + 1; j < n; ++j)
            for (int k = j + 1; k < n; ++k)
                consider(RailSet::of(free[i]) | RailSet::of(free[j]) | RailSet::of(free[k]), 3,
                         m.rails[free[i]].hours + m.rails[free[j]].hours + m.rails[free[k]].hours);
    return out;
}

} // namespace

Freedom freedom(const Model& m, Mode mode) {
    Freedom f;
    f.kept.resize(m.courses.size());
    f.options.resize(m.courses.size());
    // Rails the planner's rules keep a course off.
    std::vector<RailSet> barred(m.courses.size());
    for (const PlanRule& r : m.rules)
        if (r.kind == RuleKind::CourseNotOnRail)
            barred[r.first] |= RailSet::of(r.second);
    for (size_t k = 0; k < m.courses.size(); ++k) {
        const Course& c = m.courses[k];
        const RailSet& now = m.placement.rails[k];
        f.kept[k] = now;
        if (!c.own || c.hours <= 0)
            continue;
        // A course on a rail its hours do not need keeps its fixed rails and takes the rest of
        // its hours from the others it stands on: the search chooses which rail it leaves.
        const bool surplus = onSurplusRail(m, m.placement, static_cast<int>(k));
        const RailSet kept = mode != Mode::Rest || surplus ? m.placement.fixed[k] : now;
        int rest = c.hours;
        kept.forEach([&](int r) { rest -= m.rails[r].hours; });
        if (rest <= 0) {
            f.kept[k] = kept;
            continue;
        }
        std::vector<RailSet> options =
            railSets(m, kept, rest, mode == Mode::Rest && surplus ? &now : nullptr);
        if (!barred[k].empty()) {
            const size_t before = options.size();
            std::erase_if(options, [&](const RailSet& s) { return s.intersects(barred[k]); });
            if (options.empty() && before > 0) {
                f.ruleConflicts << QStringLiteral("Kurs %1: Die Regeln lassen ihm keine "
                                                  "Schienen für seine Stunden.")
                                       .arg(c.name);
                continue;
            }
        }
        if (options.empty() && mode == Mode::Rest && surplus)
            continue; // more than three rails of its own would cover it: it stays as it stands
        if (options.empty()) {
            f.unplaceable << c.name;
            continue;
        }
        f.kept[k] = kept;
        f.options[k] = std::move(options);
    }
    return f;
}

// ---------------------------------------------------------------------------------------------
// The search

namespace {

using search::assignmentOf;
using search::Chain;
using search::placementOf;
using search::Problem;
using search::Snapshot;

using Chains = std::vector<std::unique_ptr<Chain>>;

// One chain per thread. Each starts on its own thread: its first solve of every student is work
// already.
Chains startChains(const Problem& p, const Options& o) {
    int threads = o.threads > 0 ? o.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(1, threads);
    Chains chains(threads);
    std::vector<std::jthread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back([&, i] { chains[i] = std::make_unique<Chain>(p, o.seed, i); });
    chains[0] = std::make_unique<Chain>(p, o.seed, 0);
    return chains;
}

// One round: every chain moves on from the global best, on its own thread.
template <class Stop>
void runRound(Chains& chains, const Problem& p, const Snapshot& from, const Stop& stop) {
    std::vector<std::jthread> workers;
    for (size_t i = 1; i < chains.size(); ++i)
        workers.emplace_back([&, i] { chains[i]->run(p.movesPerRound, from, stop); });
    chains[0]->run(p.movesPerRound, from, stop);
}

// The best of the chains into global when one is better; whether one was.
bool takeBest(const Chains& chains, Snapshot& global) {
    bool better = false;
    for (const auto& c : chains)
        if (c->best().cost < global.cost) {
            global = c->best();
            better = true;
        }
    return better;
}

// The best plans with pairwise different placements, best first. Offered every best plan a
// chain reaches; most offers end at the comparison with the last kept.
class Keeper {
public:
    explicit Keeper(int size) : size_(std::max(0, size)) {}

    void offer(const Snapshot& s) {
        if (size_ == 0 || (kept_.size() == size_ && !(s.cost < kept_.back().cost)))
            return;
        const auto same = std::find_if(kept_.begin(), kept_.end(),
                                       [&](const Snapshot& k) { return k.option == s.option; });
        if (same != kept_.end()) {
            if (!(s.cost < same->cost))
                return;
            kept_.erase(same);
        }
        const auto at =
            std::upper_bound(kept_.begin(), kept_.end(), s,
                             [](const Snapshot& a, const Snapshot& b) { return a.cost < b.cost; });
        kept_.insert(at, s);
        if (kept_.size() > size_)
            kept_.pop_back();
    }
    void offer(const Chains& chains) {
        for (const auto& c : chains)
            offer(c->best());
    }
    // The result's plan leads, whatever plans of equal cost came first.
    void lead(const Snapshot& s) {
        if (size_ == 0)
            return;
        std::erase_if(kept_, [&](const Snapshot& k) { return k.option == s.option; });
        kept_.insert(kept_.begin(), s);
        if (kept_.size() > size_)
            kept_.pop_back();
    }
    const std::vector<Snapshot>& kept() const { return kept_; }

private:
    size_t size_;
    std::vector<Snapshot> kept_;
};

// The search's clock and limits, and what it tells while it runs: the times it reached a plan
// without collisions and an optimal one, and the progress reports.
class Watch {
public:
    Watch(const Model& m, const Options& o, Result& r)
        : m_(m), o_(o), r_(r), start_(Clock::now()),
          deadline_(start_ + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(o.seconds))) {}

    double elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
    bool cancelled() const { return o_.cancel && o_.cancel->load(std::memory_order_relaxed); }
    bool stop() const { return cancelled() || Clock::now() >= deadline_; }

    // The bounds the figures are shown against (of "Alles neu"), and those of the search's mode,
    // against which it stops: in "Restliche Kurse" placed courses stay, which may cost more.
    const FigureBounds* shown = nullptr;
    const FigureBounds* bounds = nullptr;

    // A new best plan: notes the times it reached and reports it. Whether it is optimal.
    bool reached(const Problem& p, const Snapshot& global) {
        if (r_.secondsToCollisionFree < 0 && collisionsAtBound(p, global))
            r_.secondsToCollisionFree = elapsed();
        const bool optimal = isOptimal(p, global);
        if (optimal)
            r_.secondsToOptimal = elapsed();
        report(p, global);
        return optimal;
    }

    // At most ten times a second.
    void report(const Problem& p, const Snapshot& global) {
        const double now = elapsed();
        if (!o_.progress || now - lastReport_ < 0.1)
            return;
        lastReport_ = now;
        o_.progress({now, evaluate(m_, placementOf(p, global), assignmentOf(p, global), shown)});
    }
    // The last report, of the plan already evaluated.
    void reportLast(const Evaluation& e) {
        if (o_.progress)
            o_.progress({elapsed(), e});
    }

private:
    using Clock = std::chrono::steady_clock;

    // Broken rules, teachers' clashes and collisions at their bounds. Where the bounds are 0,
    // the chain's own counts tell; otherwise the evaluation, as the students count.
    bool collisionsAtBound(const Problem& p, const Snapshot& s) const {
        const FigureBounds& b = *bounds;
        if (s.cost.teachers > b.teacherClashes)
            return false;
        if (b.ruleViolations == 0 && b.collisions == 0 && b.otherCollisions == 0)
            return s.cost.rules == 0 && s.cost.conflicts == 0;
        const Evaluation e = evaluate(m_, placementOf(p, s), assignmentOf(p, s), bounds);
        return e.ruleViolations == e.ruleViolationBound && e.collisions == e.collisionBound &&
               e.otherCollisions == e.otherCollisionBound;
    }
    // Every figure at its bound; in "Wenig ändern" nobody changed and nothing moved besides. The
    // chain's counts rule most plans out before the evaluation.
    bool isOptimal(const Problem& p, const Snapshot& s) const {
        const FigureBounds& b = *bounds;
        return s.cost.teachers <= b.teacherClashes && s.cost.changed == 0 && s.cost.moved == 0 &&
               s.cost.outside <= b.outsideLimits && s.cost.squares <= p.squareBound &&
               s.cost.difference <= p.differenceBound &&
               evaluate(m_, placementOf(p, s), assignmentOf(p, s), bounds).optimal;
    }

    const Model& m_;
    const Options& o_;
    Result& r_;
    const Clock::time_point start_;
    const Clock::time_point deadline_;
    double lastReport_ = -1;
};

std::vector<Change> changesOf(const Model& m, const Assignment& a) {
    std::vector<Change> out;
    for (int s = 0; s < m.ownStudents; ++s) {
        const Student& st = m.students[s];
        for (int i = st.firstChoice; i < st.firstChoice + st.choiceCount; ++i)
            if (a[i] != m.assignment[i])
                out.push_back({s, i, m.assignment[i], a[i]});
    }
    return out;
}

} // namespace

QStringList changeLines(const Model& m, const std::vector<Change>& changes) {
    const auto name = [&](int k) { return k < 0 ? QStringLiteral("—") : m.courses[k].name; };
    QStringList out;
    for (const Change& c : changes) {
        const Student& st = m.students[c.student];
        out << QStringLiteral("%1 %2: %3 → %4")
                   .arg(st.key.trimmed(), st.name, name(c.from), name(c.to));
    }
    return out;
}

int changedStudents(const std::vector<Change>& changes) {
    int n = 0;
    for (size_t i = 0; i < changes.size(); ++i)
        n += i == 0 || changes[i].student != changes[i - 1].student ? 1 : 0;
    return n;
}

namespace {

// The plan as it stands is optimal already: it is the result, no search moves it.
void keepAsItIs(const Model& m, const Options& o, Result& r, double seconds) {
    r.placement = m.placement;
    r.assignment = m.assignment;
    r.after = r.before;
    r.bestKeepingPlaced = !r.after.optimal;
    r.secondsToCollisionFree = r.secondsToOptimal = r.seconds = seconds;
    if (o.keepPlans > 0)
        r.kept.push_back({m.placement, m.assignment, r.after});
    if (o.progress)
        o.progress({seconds, r.after});
}

Mode modeOf(const Model& m, Mode mode) {
    // No course of the cohort placed, nothing stored to keep: the plan is made anew.
    bool placed = false;
    for (size_t k = 0; k < m.courses.size() && !placed; ++k)
        placed = m.courses[k].own && !m.placement.rails[k].empty();
    return mode == Mode::Keep && !placed ? Mode::All : mode;
}

} // namespace

namespace {

// The best plan as the result, its students back in the model's courses where that costs
// nothing, with the plans kept beside it.
void conclude(const Problem& p, Chain& chain, const Snapshot& global, Keeper& keeper,
              const FigureBounds& modeBounds, Result& r) {
    const Model& m = p.m;
    r.placement = placementOf(p, global);
    r.assignment = assignmentOf(p, global);
    bool best = evaluate(m, r.placement, r.assignment, &modeBounds).optimal;
    const Snapshot polished = chain.polished(global);
    if (!(global.cost < polished.cost)) {
        const Assignment a = assignmentOf(p, polished);
        if (const bool kept = evaluate(m, r.placement, a, &modeBounds).optimal; kept || !best) {
            r.assignment = a;
            best = kept;
        }
    }
    r.after = evaluate(m, r.placement, r.assignment, r.bounds.get());
    r.bestKeepingPlaced = best && !r.after.optimal;
    r.changes = changesOf(m, r.assignment);
    keeper.lead(global);
    for (const Snapshot& s : keeper.kept()) {
        KeptPlan k{placementOf(p, s), assignmentOf(p, s), {}};
        k.evaluation = evaluate(m, k.placement, k.assignment, r.bounds.get());
        r.kept.push_back(std::move(k));
    }
    if (!r.kept.empty()) {
        r.kept.front().assignment = r.assignment;
        r.kept.front().evaluation = r.after;
    }
}

} // namespace

Result block(const Model& m, const Options& o) {
    Result r;
    Watch watch(m, o, r);
    const Mode mode = modeOf(m, o.mode);
    r.bounds = currentBounds(m);
    const std::shared_ptr<const FigureBounds> modeBounds =
        mode == Mode::Rest ? std::make_shared<const FigureBounds>(figureBounds(m, mode)) : r.bounds;
    watch.shown = r.bounds.get();
    watch.bounds = modeBounds.get();
    r.ruleConflicts = modeBounds->ruleConflicts;
    r.before = evaluate(m, r.bounds.get());
    if (evaluate(m, modeBounds.get()).optimal) {
        keepAsItIs(m, o, r, watch.elapsed());
        return r;
    }
    const Problem p(m, mode, *modeBounds);
    Chains chains = startChains(p, o);
    Snapshot global = chains[0]->best();
    takeBest(chains, global);
    bool optimal = watch.reached(p, global);
    Keeper keeper(o.keepPlans);
    keeper.offer(chains);

    const auto stop = [&] { return watch.stop(); };
    // Without a course that may move, the chains' start is all there is.
    const bool fixed = p.movable.empty();
    for (long long round = 0; !fixed && !optimal && !stop() && (o.rounds <= 0 || round < o.rounds);
         ++round) {
        runRound(chains, p, global, stop);
        keeper.offer(chains);
        if (takeBest(chains, global))
            optimal = watch.reached(p, global);
    }
    r.cancelled = watch.cancelled();
    for (const auto& c : chains)
        r.moves += c->moves();
    conclude(p, *chains[0], global, keeper, *modeBounds, r);
    r.seconds = watch.elapsed();
    watch.reportLast(r.after);
    return r;
}

} // namespace blocking
