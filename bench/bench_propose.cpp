#include "Generator.h"

#include "blocking/Evaluation.h"
#include "blocking/Propose.h"
#include "blocking/RailsNeeded.h"
#include "blocking/Search.h"
#include "blocking/WhatIf.h"
#include "blocking/Write.h"
#include "db/Database.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <string>

// The year's shape on the generated school of two cohorts of 400 students on 16 rails: what
// "kubb propose" does for cohort 2009, and both year groups blocked in one search.

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

const blocking::SchoolYear kYear{test::kGeneratedYear, test::kGeneratedYearBez};

// The process's peak resident memory so far, in MB (VmHWM).
double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reading the cohort, the course counts and the rails needed with a search of at most 60 s:
// the time of the whole, the counters say what was found.
void Propose(benchmark::State& st) {
    const QString& path = LargeSchool::get().path;
    blocking::RailsNeeded r;
    std::uint64_t seed = 1;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        db::Connection c(path);
        const blocking::Model m = blocking::Model::load(c, kYear, 2009);
        const blocking::ProposalData d = blocking::readProposalData(c, m, kYear);
        benchmark::DoNotOptimize(blocking::countCourses(m, d, {}).rows.size());
        blocking::RailsNeededOptions o;
        o.seconds = 60;
        o.seed = seed++;
        o.threads = 2;
        r = blocking::railsNeeded(m, o);
        st.SetIterationTime(secondsSince(start));
    }
    st.counters["found"] = r.found ? 1 : 0;
    st.counters["needed"] = r.needed();
    st.counters["bound"] = r.bound();
    st.counters["search_s"] = r.seconds;
    st.counters["peak_MB"] = peakMegabytes();
}

// One change of the counts' proposals (a course less, or a parallel more), searched for the
// given seconds (the arg) and its rails counted in as many: the time per change.
void WhatIf(benchmark::State& st) {
    const QString& path = LargeSchool::get().path;
    db::Connection c(path);
    const blocking::Model m = blocking::Model::load(c, kYear, 2009);
    const blocking::CourseCounts counts =
        blocking::countCourses(m, blocking::readProposalData(c, m, kYear), {0, 26, 0});
    std::vector<blocking::PlanChange> changes = blocking::proposedChanges(counts);
    if (changes.empty())
        changes.push_back({blocking::PlanChange::Kind::WithParallel, counts.rows[0].courses[0]});
    size_t next = 0;
    int collisions = 0;
    for (auto _ : st) {
        blocking::WhatIfOptions o;
        o.seconds = static_cast<double>(st.range(0));
        o.threads = 2;
        const auto start = std::chrono::steady_clock::now();
        const blocking::WhatIf w = blocking::whatIf(m, {changes[next++ % changes.size()]}, o);
        st.SetIterationTime(secondsSince(start));
        collisions = w.evaluation.collisions;
    }
    st.counters["collisions"] = collisions;
    st.counters["changes"] = static_cast<double>(changes.size());
    st.counters["peak_MB"] = peakMegabytes();
}

// "kubb block --cohort 2009,2008 --mode all": reading both cohorts and the search, to its proof
// or its limit of 60 s; the counters give both cohorts' figures with their bounds.
void BlockBoth(benchmark::State& st) {
    const QString& path = LargeSchool::get().path;
    blocking::Result r;
    std::uint64_t seed = 1;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        db::Connection c(path);
        const blocking::Model m = blocking::Model::load(c, kYear, std::vector<int>{2009, 2008});
        blocking::Options o;
        o.mode = blocking::Mode::All;
        o.seconds = 60;
        o.seed = seed++;
        o.threads = 2;
        r = blocking::block(m, o);
        st.SetIterationTime(secondsSince(start));
    }
    st.counters["collisions"] = r.after.collisions;
    st.counters["collision_bound"] = r.after.collisionBound;
    st.counters["teacher_clashes"] = r.after.teacherClashes;
    st.counters["teacher_bound"] = r.after.teacherClashBound;
    st.counters["optimal"] = r.after.optimal ? 1 : 0;
    st.counters["to_collision_free_s"] = r.secondsToCollisionFree;
    st.counters["peak_MB"] = peakMegabytes();
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Propose/2x400", Propose)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(2);
    benchmark::RegisterBenchmark("WhatIf/2x400", WhatIf)
        ->Arg(5)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("Block/Both/2x400", BlockBoth)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    return true;
}();

} // namespace
