#include "Generator.h"

#include "blocking/Variants.h"
#include "db/Database.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Variants of a cohort of the generated school of two cohorts of 400 students: the list the
// window "Varianten" shows on opening, and taking one over.

namespace {

constexpr int kVariants = 100;

struct VariantSchool {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("BB.MDB"));
    blocking::SchoolYear year{test::kGeneratedYear, test::kGeneratedYearBez};
    VariantSchool() {
        test::generateSchool(path, test::largeSchool());
        db::Connection c(path);
        const blocking::Model m = blocking::Model::load(c, year, 2009);
        // Each plan its own: a course taken off its rails in turn, so the variants differ.
        std::vector<blocking::KeptPlan> plans;
        for (int i = 0; i < kVariants; ++i) {
            blocking::KeptPlan p{m.placement, m.assignment, {}};
            const size_t k = static_cast<size_t>(i) % m.courses.size();
            if (m.courses[k].own)
                p.placement.rails[k] = {};
            plans.push_back(std::move(p));
        }
        blocking::saveKept(c, year, m, plans);
    }
    static const VariantSchool& get() {
        static const VariantSchool school;
        return school;
    }
};

void VariantsList(benchmark::State& st) {
    const VariantSchool& s = VariantSchool::get();
    db::Connection c(s.path);
    size_t n = 0;
    for (auto _ : st)
        n = blocking::list(c, s.year, 2009).size();
    st.counters["variants"] = static_cast<double>(n);
}

// Each take-over keeps the plan it replaces as one more variant.
void VariantsApply(benchmark::State& st) {
    const VariantSchool& s = VariantSchool::get();
    db::Connection c(s.path);
    const std::vector<blocking::VariantInfo> all = blocking::list(c, s.year, 2009);
    size_t i = 0;
    for (auto _ : st)
        benchmark::DoNotOptimize(blocking::apply(c, s.year, 2009, all[i++ % all.size()].name));
}

const bool registered = [] {
    benchmark::RegisterBenchmark("Variants/2x400/100/list", VariantsList)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("Variants/2x400/100/apply", VariantsApply)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    return true;
}();

} // namespace
