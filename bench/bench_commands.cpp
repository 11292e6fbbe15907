#include "BenchSchool.h"
#include "placement/SetzenK.h"
#include "platform/RunState.h"
#include "ui/QuietHost.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

// The placement commands on a generated school of two cohorts of 400 students: 250 courses
// (125 per year group, 25 of them Leistungskurse, five parallel courses per subject), 15 choices
// per student, 30 rails with every other course placed. Each run starts from the same file.

namespace {

using bench::School;

// "Kollisionen beseitigen" with the first ten rails selected and courses of year 12 that wait
// in LNKurse selected one after another until about `colliding` students collide.
void cmdKollbs_Click(benchmark::State& st) {
    School& school = School::get(bench::Placement::RoundTheRails);
    const int colliding = static_cast<int>(st.range(0));
    int listed = 0;
    int left = 0;
    for (auto _ : st) {
        st.PauseTiming();
        school.restore();
        placement::SetzenK w(school.state, school.host);
        w.Form_Load();
        for (int i = 0; i < w.LNKurse.count() && w.LKollisionen.count() < colliding; ++i) {
            if (!w.LNKurse.line(i).startsWith(QLatin1Char('G')) ||
                w.LNKurse.line(i).mid(1, 3).toInt() > 125)
                continue;
            w.LNKurse.setSelected(i, true);
            w.LNKurse_Click();
        }
        w.grdSchienen.setSelStartCol(0);
        w.grdSchienen.setSelEndCol(9);
        listed = w.LKollisionen.count();
        st.ResumeTiming();
        w.cmdKollbs_Click();
        st.PauseTiming();
        left = w.LKollisionen.count();
        st.ResumeTiming();
    }
    st.counters["colliding"] = listed;
    st.counters["left"] = left;
}

// "Schiene auffüllen": the first 3-hour course of year 12 still waiting in LNKurse goes onto the
// first rail (3 hours); its colliding students move to parallel courses, and the evening-out
// question is answered No.
void cmdSchA_Click(benchmark::State& st) {
    School& school = School::get(bench::Placement::RoundTheRails);
    int placedOnRail = 0;
    for (auto _ : st) {
        st.PauseTiming();
        school.restore();
        placement::SetzenK w(school.state, school.host);
        w.Form_Load();
        for (int i = 0; i < w.LNKurse.count(); ++i)
            if (w.LNKurse.line(i).startsWith(QLatin1Char('G')) &&
                w.LNKurse.line(i).mid(6, 1) == QLatin1String("3")) {
                w.LNKurse.setSelected(i, true);
                break;
            }
        w.LNKurse_Click();
        w.grdSchienen.setSelStartCol(0);
        w.grdSchienen.setSelEndCol(0);
        w.grdSchienen.setCol(0);
        const int before = w.AnzKvS(1);
        st.ResumeTiming();
        w.cmdSchA_Click();
        st.PauseTiming();
        placedOnRail = w.AnzKvS(1) - before;
        st.ResumeTiming();
    }
    st.counters["placed"] = placedOnRail;
}

// "Rückgängig" and "Wiederherstellen" of "Schiene auffüllen" as above: the students' courses
// written back in one transaction, the plan put back and the lists and counts drawn anew.
void undoRedo(benchmark::State& st) {
    School& school = School::get(bench::Placement::RoundTheRails);
    school.restore();
    placement::SetzenK w(school.state, school.host);
    w.Form_Load();
    for (int i = 0; i < w.LNKurse.count(); ++i)
        if (w.LNKurse.line(i).startsWith(QLatin1Char('G')) &&
            w.LNKurse.line(i).mid(6, 1) == QLatin1String("3")) {
            w.LNKurse.setSelected(i, true);
            break;
        }
    w.LNKurse_Click();
    w.grdSchienen.click(0, 0);
    w.click(QStringLiteral("cmdSchA"));
    for (auto _ : st) {
        w.menuBearbRueck_Click();
        w.menuBearbWied_Click();
    }
    st.counters["undoable"] = w.command(QStringLiteral("menuBearbRueck"))->enabled;
}

const bool registered = [] {
    benchmark::RegisterBenchmark("menuBearbRueck+Wied/2x400", undoRedo)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("cmdSchA_Click/2x400", cmdSchA_Click)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("cmdKollbs_Click/2x400", cmdKollbs_Click)
        ->Arg(100)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    return true;
}();

} // namespace
