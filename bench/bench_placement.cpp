#include "BenchSchool.h"
#include "blocking/Evaluation.h"
#include "db/Database.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "ui/QuietHost.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

// The placement workspace on a generated school of two cohorts of 400 students: 250 courses
// (125 per year group, 25 of them Leistungskurse), 15 choices per student (12,000 in all),
// 30 rails of the school year with half of the courses placed, ten of them on the first rail.

namespace {

// The placement workspace on the generated school with ten courses on the first rail.
std::unique_ptr<placement::SetzenK> loaded() {
    bench::School& school = bench::School::get(bench::Placement::TenOnFirstRail);
    auto w = std::make_unique<placement::SetzenK>(school.state, school.host);
    w->Form_Load();
    return w;
}

void SetzenK_Form_Load(benchmark::State& st) {
    bench::School& school = bench::School::get(bench::Placement::TenOnFirstRail);
    for (auto _ : st) {
        placement::SetzenK w(school.state, school.host);
        w.Form_Load();
        benchmark::DoNotOptimize(w.LNKurse.count());
    }
}

void LNKurse_Click(benchmark::State& st) {
    auto w = loaded();
    const int courses = static_cast<int>(st.range(0));
    for (int i = 0; i < courses; ++i)
        w->LNKurse.setSelected(i, true);
    for (auto _ : st)
        w->LNKurse_Click();
    st.counters["students"] = w->LSchueler.count();
    st.counters["collisions"] = w->LKollisionen.count();
}

void UpListen(benchmark::State& st) {
    auto w = loaded();
    const int courses = static_cast<int>(st.range(0));
    w->grdSchienen.click(1, 0);
    w->grdSchienen.extendSelection(courses, 0);
    for (auto _ : st)
        w->UpListen();
    st.counters["students"] = w->LSchImBlock.count();
}

// The workspace's "Bewertung" after a command: the placement from the grid and the evaluation
// (range 0), and first the students' courses read again, as after a command that moved
// students (range 1).
void Bewertung(benchmark::State& st) {
    auto w = loaded();
    bench::School& school = bench::School::get(bench::Placement::TenOnFirstRail);
    db::Connection c(school.state.databasePath());
    blocking::Model m =
        blocking::Model::load(c, {school.state.SchjID, school.state.SchjBez}, w->Jahrgang());
    const bool moved = st.range(0) == 1;
    for (auto _ : st) {
        if (moved)
            m.refresh(c);
        w->fitToPlan(m);
        benchmark::DoNotOptimize(blocking::evaluate(m));
    }
}

const bool registered = [] {
    benchmark::RegisterBenchmark("SetzenK_Form_Load/2x400", SetzenK_Form_Load)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LNKurse_Click/2x400", LNKurse_Click)
        ->Arg(5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("UpListen/2x400", UpListen)
        ->Arg(10)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Bewertung/2x400", Bewertung)
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
