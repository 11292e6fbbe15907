#include "Generator.h"

#include "blocking/Evaluation.h"
#include "blocking/Search.h"
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
        moves = static_cast<double>(r.moves);
    }
    st.counters["moves"] = moves;
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
    for (auto _ : st) {
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.seconds = 10;
        o.seed = seed++;
        o.threads = 2;
        r = blocking::block(m, o);
        st.SetIterationTime(r.seconds);
    }
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

const bool registered = [] {
    benchmark::RegisterBenchmark("Evaluate/2x400", Evaluate)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Load/2x400", Load)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Block/2x400", Block)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark("BlockRealistic", BlockRealistic)
        ->DenseRange(0, 15)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("BlockTeachersRules", BlockTeachersRules)
        ->DenseRange(0, 15)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(5);
    return true;
}();

} // namespace
