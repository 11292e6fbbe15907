#include "BenchSchool.h"
#include "export/Untis.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// `kubb export-untis` of one cohort on the generated school of two cohorts of 400 students
// (12,000 choices, 30 rails, 125 placed courses): reading the plan in one read transaction,
// rendering and writing the four GPU files.

namespace {

void ExportUntis(benchmark::State& state) {
    bench::School& school = bench::School::get(bench::Placement::RoundTheRails);
    QTemporaryDir out;
    exporter::untis::Result r;
    for (auto _ : state) {
        try {
            r = exporter::untis::exportCohort(school.state, {QStringLiteral("2009")}, out.path());
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    state.counters["lessons"] = static_cast<double>(r.plan.lessons.size());
    state.counters["students"] = static_cast<double>(r.plan.students.size());
    state.counters["memberships"] = static_cast<double>(r.plan.memberships.size());
}

} // namespace

BENCHMARK(ExportUntis)->Name("ExportUntis/2x400")->Unit(benchmark::kMillisecond);
