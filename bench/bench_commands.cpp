#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "placement/SetzenK.h"
#include "shell/RunState.h"
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

const QString kYear = QStringLiteral("     3");

QString key(const char* prefix, int n) {
    return QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n, 4, 10, QLatin1Char('0'));
}

void generateSchool(const QString& path) {
    db::createDatabase(path);
    db::Connection c(path);
    db::Transaction tx(c);
    c.insert(QStringLiteral("schjahr"), {{"SJ_SCHJ", "2009/2010"}, {"SJ_VFP_ID", kYear}});
    constexpr int subjects = 20;
    for (int f = 1; f <= subjects; ++f)
        c.insert(QStringLiteral("fachang"), {{"FA_KURSPH", "2009"},
                                             {"FA_STDGK", f % 3 == 0 ? "2" : "3"},
                                             {"FA_VFP_ID", key("FA", f)}});
    constexpr int perYear = 125;
    for (int k = 1; k <= 2 * perYear; ++k) {
        const bool year12 = k <= perYear;
        const int inYear = year12 ? k : k - perYear;
        const bool lk = inYear <= 25;
        const QString subject = key("FA", 1 + inYear % subjects);
        c.insert(QStringLiteral("kurs"),
                 {{"KS_SCHJ", kYear},
                  {"KS_BEZ", QStringLiteral("%1%2").arg(lk ? "L" : "G").arg(k, 3, 10, QChar('0'))},
                  {"KS_SORT", k},
                  {"KS_FA_ID1", subject},
                  {"KS_FA_ID3", subject},
                  {"KS_JGST", year12 ? "12" : "13"},
                  {"KS_LKGK", lk ? "L" : "G"},
                  {"KS_VFP_ID", key("KS", k)}});
    }
    db::Inserter students(c, QStringLiteral("kolleg"),
                          {"KO_KURSPH", "KO_FAMNAME", "KO_RUFNAME", "KO_PARLLKL", "KO_VFP_ID"});
    db::Inserter choices(c, QStringLiteral("belegung"),
                         {"BG_KO_ID", "BG_KS_ID_12", "BG_KS_ID_13", "BG_ART"});
    // Each student takes 15 different courses of his year group, drawn by a fixed sequence.
    for (int s = 1; s <= 800; ++s) {
        const bool year12 = s <= 400;
        const QString student = key("ST", s);
        students.insert({year12 ? "2009" : "2008", QStringLiteral("Name%1").arg(s),
                         QStringLiteral("Vor%1").arg(s), QString(QChar('A' + s % 4)), student});
        std::vector<bool> taken(perYear + 1, false);
        quint32 seed = static_cast<quint32>(s) * 2654435761u;
        for (int j = 0; j < 15; ++j) {
            int inYear = 0;
            do {
                seed = seed * 1664525u + 1013904223u;
                inYear = 1 + static_cast<int>((seed >> 8) % perYear);
            } while (taken[static_cast<size_t>(inYear)]);
            taken[static_cast<size_t>(inYear)] = true;
            const QString course = key("KS", year12 ? inYear : inYear + perYear);
            choices.insert({student, year12 ? QVariant(course) : QVariant(),
                            year12 ? QVariant() : QVariant(course), j < 2 ? "L" : "G"});
        }
    }
    constexpr int rails = 30;
    for (int r = 1; r <= rails; ++r)
        c.insert(QStringLiteral("block"), {{"BL_ID", r},
                                           {"BL_SCHJ", kYear},
                                           {"BL_BEZ", QStringLiteral("S%1").arg(r)},
                                           {"BL_STD", r % 2 ? 3 : 2},
                                           {"BL_VFP_ID", db::sixKey(r)}});
    // Every other course placed round the rails.
    for (int k = 1, placed = 0; k <= 2 * perYear; k += 2, ++placed)
        c.insert(QStringLiteral("ckkurs"), {{"CK_BL_ID", db::sixKey(1 + placed % rails)},
                                            {"CK_KS_ID", key("KS", k)},
                                            {"CK_FIX", "0"}});
    tx.commit();
}

// The generated school, made once per run; work() is a fresh copy of it for one iteration.
struct School {
    QTemporaryDir dir;
    QString pristine;
    shell::RunState state;
    ui::QuietHost host;

    School() {
        pristine = dir.path() + QStringLiteral("/PRISTINE.MDB");
        generateSchool(pristine);
        state.DatenPfad = dir.path() + QLatin1Char('/');
        state.DatenDatei = QStringLiteral("BB.MDB");
        state.SchjBez = QStringLiteral("2009/2010");
        state.SchjID = kYear;
    }
    static School& get() {
        static School school;
        return school;
    }
    void restore() {
        QFile::remove(state.databasePath());
        QFile::copy(pristine, state.databasePath());
    }
};

// "Kollisionen beseitigen" with the first ten rails selected and courses of year 12 that wait
// in LNKurse selected one after another until about `colliding` students collide.
void cmdKollbs_Click(benchmark::State& st) {
    School& school = School::get();
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
    School& school = School::get();
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

const bool registered = [] {
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
