#include "Generator.h"

#include "blocking/Bounds.h"
#include "blocking/Evaluation.h"
#include "blocking/Search.h"
#include "blocking/Write.h"
#include "db/Database.h"

#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

// Automatic blocking on a generated school of two cohorts of 400 students on 16 rails (about
// 200 courses per cohort), made around a hidden collision-free plan.

namespace {

struct LargeSchool {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("BB.MDB"));
    LargeSchool() { test::generateSchool(path, test::largeSchool()); }
    static const LargeSchool& get() {
        static const LargeSchool school;
        return school;
    }
};

// Realistic school 7: 150 students, the largest of the family.
struct School150 {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("BB.MDB"));
    School150() { test::generateSchool(path, test::realisticSchool(7)); }
    static const School150& get() {
        static const School150 school;
        return school;
    }
};

const QString& schoolPath(int which) {
    return which == 0 ? School150::get().path : LargeSchool::get().path;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

blocking::Model load(const QString& path, int cohort) {
    db::Connection c(path);
    return blocking::Model::load(c, {test::kGeneratedYear, test::kGeneratedYearBez}, cohort);
}

// What the workspace does after every command that moves students: the students' courses
// read afresh (on the command's connection) and the cohort evaluated.
void Evaluate(benchmark::State& st) {
    const QString& path = LargeSchool::get().path;
    blocking::Model m = load(path, 2009);
    db::Connection c(path);
    int collisions = 0;
    for (auto _ : st) {
        m.refresh(c);
        collisions = blocking::evaluate(m).collisions;
    }
    st.counters["collisions"] = collisions;
}

// Reading a cohort from the database: when the workspace opens, and after commands that change
// courses or rails.
void Load(benchmark::State& st) {
    const QString& path = LargeSchool::get().path;
    for (auto _ : st)
        benchmark::DoNotOptimize(load(path, 2009).choices.size());
}

// From the command to the first collision-free plan ("Alles neu"): reading the cohort and the
// search, stopped there.
void Block(benchmark::State& st) {
    const QString& path = LargeSchool::get().path;
    std::uint64_t seed = 1;
    double moves = 0;
    double searched = 0;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        const blocking::Model m = load(path, 2009);
        const double loading =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::atomic<bool> cancel{false};
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.seconds = 10;
        o.seed = seed++;
        o.threads = 2;
        o.cancel = &cancel;
        o.progress = [&](const blocking::Progress& p) {
            if (p.best.collisions == 0)
                cancel = true;
        };
        const blocking::Result r = blocking::block(m, o);
        if (r.secondsToCollisionFree < 0) {
            st.SkipWithError("no collision-free plan within 10 s");
            break;
        }
        st.SetIterationTime(loading + r.secondsToCollisionFree);
        moves += static_cast<double>(r.moves);
        searched += r.seconds;
    }
    st.counters["moves"] = moves / static_cast<double>(st.iterations());
    st.counters["moves_per_s"] = moves / searched;
}

// Everything of "kubb block --mode all" but the moves and the writing: opening the file,
// reading the cohort as a plan is read (the file proven writable, its state taken), the rules'
// conflicts, the search's freedom and problem, every chain's first solve of all students, and
// what follows the last move (final evaluation, reasons). Arg 0: 150 students, 1: 2 x 400.
void BlockStartUp(benchmark::State& st) {
    const QString& path = schoolPath(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        db::Connection c(path);
        const blocking::Loaded loaded =
            blocking::loadForPlan(c, {test::kGeneratedYear, test::kGeneratedYearBez}, 2009);
        benchmark::DoNotOptimize(blocking::ruleConflicts(loaded.model, blocking::Mode::All));
        const std::atomic<bool> cancel{true};
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.threads = 2;
        o.cancel = &cancel;
        const blocking::Result r = blocking::block(loaded.model, o);
        benchmark::DoNotOptimize(r.after.collisions);
        st.SetIterationTime(secondsSince(start));
    }
}

// How well the search keeps its time limit: block() with --seconds as given (in ms, the second
// arg), on 150 students (first arg 0) or 2 x 400 (1). "Wenig ändern" from the generated plan,
// whose parallels even out only as students change: every search runs to its limit. The time
// is the call's; worst_s the longest call.
void BlockSeconds(benchmark::State& st) {
    const blocking::Model m = load(schoolPath(static_cast<int>(st.range(0))), 2009);
    const double limit = static_cast<double>(st.range(1)) / 1000;
    double worst = 0;
    double moves = 0;
    double searched = 0;
    std::uint64_t seed = 1;
    for (auto _ : st) {
        blocking::Options o;
        o.mode = blocking::Mode::Keep;
        o.seconds = limit;
        o.seed = seed++;
        o.threads = 2;
        const auto start = std::chrono::steady_clock::now();
        const blocking::Result r = blocking::block(m, o);
        const double took = secondsSince(start);
        st.SetIterationTime(took);
        worst = std::max(worst, took);
        moves += static_cast<double>(r.moves);
        searched += r.seconds;
    }
    st.counters["moves_per_s"] = moves / searched;
    st.counters["requested_s"] = limit;
    st.counters["worst_s"] = worst;
}

// The schools the program is made for (99 to 153 students, 12 to 15 rails, some placements
// fixed): "Alles neu" until optimal or 10 s. The time is that to the optimal plan; the counters
// say when the plan was first collision-free and whether it ended optimal.
void BlockRealistic(benchmark::State& st) {
    const int instance = static_cast<int>(st.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BB.MDB"));
    const test::GeneratedSchool school =
        test::generateSchool(path, test::realisticSchool(instance));
    const blocking::Model m = load(path, 2009);
    std::uint64_t seed = 1;
    blocking::Result r;
    double moves = 0;
    double searched = 0;
    for (auto _ : st) {
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.seconds = 10;
        o.seed = seed++;
        o.threads = 2;
        r = blocking::block(m, o);
        st.SetIterationTime(r.seconds);
        moves += static_cast<double>(r.moves);
        searched += r.seconds;
    }
    st.counters["moves_per_s"] = moves / searched;
    st.counters["students"] = school.students;
    st.counters["courses"] = school.courses;
    st.counters["collisionFree_s"] = r.secondsToCollisionFree;
    st.counters["optimal"] = r.after.optimal ? 1 : 0;
}

// The same schools with teachers (two to four courses each, across both cohorts) and some of
// the planner's rules, all kept by the hidden plan: "Alles neu" with 2 threads until optimal or
// 10 s, one seed per iteration. The time is that to the optimal plan; the counters give the
// median time to the first plan without collisions, teachers' clashes and broken rules, and
// how many seeds ended optimal.
void BlockTeachersRules(benchmark::State& st) {
    const int instance = static_cast<int>(st.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BB.MDB"));
    const test::GeneratedSchool school = test::generateSchool(path, test::staffedSchool(instance));
    const blocking::Model m = load(path, 2009);
    std::uint64_t seed = 1;
    std::vector<double> collisionFree;
    int optimal = 0;
    double slowest = 0;
    for (auto _ : st) {
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.seconds = 10;
        o.seed = seed++;
        o.threads = 2;
        const blocking::Result r = blocking::block(m, o);
        st.SetIterationTime(r.secondsToOptimal >= 0 ? r.secondsToOptimal : r.seconds);
        slowest = std::max(slowest, r.secondsToOptimal >= 0 ? r.secondsToOptimal : r.seconds);
        collisionFree.push_back(r.secondsToCollisionFree >= 0 ? r.secondsToCollisionFree : 1e9);
        optimal += r.after.optimal ? 1 : 0;
    }
    std::sort(collisionFree.begin(), collisionFree.end());
    st.counters["students"] = school.students;
    st.counters["teachers"] = school.teachers;
    st.counters["rules"] = school.rules;
    st.counters["collisionFree_s"] =
        collisionFree.empty() ? -1 : collisionFree[collisionFree.size() / 2];
    st.counters["slowest_s"] = slowest;
    st.counters["optimal"] = collisionFree.empty() ? 0 : double(optimal) / collisionFree.size();
}

// Schools of the shape of five real ones (A to E: 99 to 153 students, 12 to 15 rails of equal
// hours, teachers of 3 to 5 courses, 47 rules of all kinds with a chain, forbidden course-rail
// pairs on A and C, subjects with parallels apart on B): "Alles neu" with 2 threads until optimal
// or 20 s, one seed per iteration. The time is that to the optimum; the counters give median and
// worst of the seeds to the first plan at the bounds of rules, teachers and collisions, and to
// the optimum, how many seeds ended optimal, and what proving costs: the bounds computed once.
void BlockShapes(benchmark::State& st) {
    const char shape = static_cast<char>('A' + st.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BB.MDB"));
    const test::GeneratedSchool school = test::generateSchool(path, test::realSchool(shape));
    const blocking::Model m = load(path, 2009);
    const auto started = std::chrono::steady_clock::now();
    const blocking::FigureBounds proof = blocking::figureBounds(m, blocking::Mode::All);
    const double proving = secondsSince(started);
    std::uint64_t seed = 1;
    std::vector<double> free, optimum;
    int optimal = 0;
    for (auto _ : st) {
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.seconds = 20;
        o.seed = seed++;
        o.threads = 2;
        const blocking::Result r = blocking::block(m, o);
        const double took = r.secondsToOptimal >= 0 ? r.secondsToOptimal : r.seconds;
        st.SetIterationTime(took);
        free.push_back(r.secondsToCollisionFree >= 0 ? r.secondsToCollisionFree : 1e9);
        optimum.push_back(r.secondsToOptimal >= 0 ? r.secondsToOptimal : 1e9);
        optimal += r.after.optimal ? 1 : 0;
    }
    std::sort(free.begin(), free.end());
    std::sort(optimum.begin(), optimum.end());
    const auto median = [](const std::vector<double>& v) {
        return v.empty() ? -1 : v[v.size() / 2];
    };
    st.counters["students"] = school.students;
    st.counters["courses"] = school.courses;
    st.counters["teachers"] = school.teachers;
    st.counters["rules"] = school.rules;
    st.counters["free_median_s"] = median(free);
    st.counters["free_worst_s"] = free.empty() ? -1 : free.back();
    st.counters["optimal_median_s"] = median(optimum);
    st.counters["optimal_worst_s"] = optimum.empty() ? -1 : optimum.back();
    st.counters["optimal"] = free.empty() ? 0 : double(optimal) / static_cast<double>(free.size());
    st.counters["proof_ms"] = proving * 1000;
    st.counters["rule_bound"] = proof.ruleViolations;
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Evaluate/2x400", Evaluate)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Load/2x400", Load)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Block/2x400", Block)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("BlockStartUp/150", BlockStartUp)
        ->Arg(0)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BlockStartUp/2x400", BlockStartUp)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    for (const int limit : {50, 500, 2000}) {
        benchmark::RegisterBenchmark("BlockSeconds/150", BlockSeconds)
            ->Args({0, limit})
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(limit < 2000 ? 5 : 2);
        benchmark::RegisterBenchmark("BlockSeconds/2x400", BlockSeconds)
            ->Args({1, limit})
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(limit < 2000 ? 5 : 2);
    }
    benchmark::RegisterBenchmark("BlockRealistic", BlockRealistic)
        ->DenseRange(0, 15)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("BlockShapes", BlockShapes)
        ->DenseRange(0, 4)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("BlockTeachersRules", BlockTeachersRules)
        ->DenseRange(0, 15)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    return true;
}();

} // namespace
