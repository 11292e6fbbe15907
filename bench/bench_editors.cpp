#include "BenchSchool.h"
#include "db/Database.h"
#include "editors/frmBeleg.h"

#include <benchmark/benchmark.h>

// The course-choice editor on the generated school: a cohort of 400 students, a student of 15
// choices (two advanced courses, thirteen basic ones).

namespace {

using bench::School;

// The choices as the editor needs them: every subject may be a basic or an advanced course,
// each choice names its course's subject, the basic courses are of type S.
void offerSubjects(School& school) {
    db::Connection c(school.state.databasePath());
    c.exec(QStringLiteral("UPDATE fachang SET FA_BELEG = 'LABSCX', FA_BEZ = 'F' || FA_ID"));
    c.exec(QStringLiteral("UPDATE belegung SET BG_FA_ID = (SELECT KS_FA_ID1 FROM kurs WHERE "
                          "KS_VFP_ID = coalesce(BG_KS_ID_12, BG_KS_ID_13)), BG_ART = CASE "
                          "BG_ART WHEN 'L' THEN 'L' ELSE 'S' END"));
}

// Opening the window: the cohorts, the 400 students and the subject boxes of the first cohort.
void frmBeleg_Form_Load(benchmark::State& st) {
    School& school = School::get(bench::Placement::RoundTheRails);
    school.restore();
    offerSubjects(school);
    for (auto _ : st) {
        editors::frmBeleg w(school.state, school.host);
        w.Form_Load();
        benchmark::DoNotOptimize(w.LstNavigator.count());
    }
}
BENCHMARK(frmBeleg_Form_Load)->Unit(benchmark::kMillisecond);

// Choosing a student: his rows, courses and choice types.
void LstNavigator_Click(benchmark::State& st) {
    School& school = School::get(bench::Placement::RoundTheRails);
    school.restore();
    offerSubjects(school);
    editors::frmBeleg w(school.state, school.host);
    w.Form_Load();
    int line = 0;
    for (auto _ : st) {
        w.LstNavigator.setCurrent(line);
        w.LstNavigator_Click();
        line = (line + 1) % w.LstNavigator.count();
    }
}
BENCHMARK(LstNavigator_Click)->Unit(benchmark::kMillisecond);

// A basic course's new subject, back and forth between two subjects the student does not hold:
// the choice row rewritten and the new course found.
void CmbFachGK_Click(benchmark::State& st) {
    School& school = School::get(bench::Placement::RoundTheRails);
    school.restore();
    offerSubjects(school);
    editors::frmBeleg w(school.state, school.host);
    w.Form_Load();
    w.LstNavigator.setCurrent(0);
    w.LstNavigator_Click();
    ui::ComboBox& box = w.CmbFachGK[0];
    std::vector<int> free;
    for (int i = 1; i < box.count() && free.size() < 2; ++i) {
        bool held = false;
        for (const ui::ComboBox& other : w.CmbFachGK)
            held = held || other.text() == box.line(i);
        for (const ui::ComboBox& other : w.CmbFachLK)
            held = held || other.text() == box.line(i);
        if (!held)
            free.push_back(i);
    }
    if (free.size() < 2) {
        st.SkipWithError("no two subjects the student does not hold");
        return;
    }
    size_t next = 0;
    const QString before = w.lblKursKG[0];
    for (auto _ : st) {
        box.setCurrent(free[next]);
        w.CmbFachGK_Click(0);
        next = 1 - next;
    }
    if (w.lblKursKG[0] == before || w.lblKursKG[0].isEmpty())
        st.SkipWithError("the changes gave no new course");
}
BENCHMARK(CmbFachGK_Click)->Unit(benchmark::kMillisecond);

} // namespace
