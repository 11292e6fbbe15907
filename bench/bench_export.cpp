#include "BenchSchool.h"
#include "export/Export.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// `kubb export` of one cohort on the generated school of two cohorts of 400 students (12,000
// choices, 30 rails, 125 placed courses): reading, building and writing the four files.

namespace {

void Export(benchmark::State& state) {
    bench::School& school = bench::School::get(bench::Placement::RoundTheRails);
    QTemporaryDir out;
    const QString dir = out.path() + QLatin1Char('/');
    exporter::Merix m;
    for (auto _ : state) {
        try {
            m = exporter::exportCohort(school.state, school.host, QStringLiteral("2009"), dir);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    state.counters["students"] = m.students;
    state.counters["choices"] = m.choices;
    state.counters["placements"] = m.placements;
}

} // namespace

BENCHMARK(Export)->Name("Export/2x400")->Unit(benchmark::kMillisecond);
