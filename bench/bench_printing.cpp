#include "BenchSchool.h"
#include "printing/RailPrintout.h"
#include "printing/frmBlKuListen.h"
#include "ui/QuietHost.h"

#include <benchmark/benchmark.h>

// The two printouts on the generated school of two cohorts of 400 students with 30 rails, every
// other course placed round the rails. The printer counts the lines and drops them.

namespace {

class CountingJob : public ui::PrintJob {
public:
    explicit CountingJob(int& lines) : lines_(lines) {}
    void setOrientation(ui::Orientation) override {}
    void setFont(const QString&, double) override {}
    void setBold(bool) override {}
    void setUnderline(bool) override {}
    void printLine(const QString& text) override {
        benchmark::DoNotOptimize(text.size());
        ++lines_;
    }
    void newPage() override {}
    void endDoc() override {}

private:
    int& lines_;
};

class CountingHost : public ui::QuietHost {
public:
    std::unique_ptr<ui::PrintJob> startPrint() override {
        lines = 0;
        return std::make_unique<CountingJob>(lines);
    }
    int lines = 0;
};

void PrintRails(benchmark::State& st) {
    bench::School& school = bench::School::get(bench::Placement::RoundTheRails);
    CountingHost host;
    for (auto _ : st)
        printing::DruckSchienen(school.state, host);
    st.counters["lines"] = host.lines;
}

// The lists of the first cohort over the first n rails, in landscape.
void PrintLists(benchmark::State& st) {
    bench::School& school = bench::School::get(bench::Placement::RoundTheRails);
    CountingHost host;
    printing::frmBlKuListen w(school.state, host);
    w.Form_Load();
    for (int i = 0; i < st.range(0); ++i)
        w.lstBlock.setSelected(i, true);
    w.OptQuer_Click();
    for (auto _ : st)
        w.cmdDruck_Click();
    st.counters["lines"] = host.lines;
}

const bool registered = [] {
    benchmark::RegisterBenchmark("PrintRails/2x400", PrintRails)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PrintLists/2x400", PrintLists)
        ->Arg(25)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
