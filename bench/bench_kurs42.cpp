#include "db/Database.h"
#include "exchange/Kurs42Export.h"
#include "exchange/Kurs42Import.h"
#include "ui/QuietHost.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Taking a Kurs42 export in and handing a cohort back out, on a generated export of 150
// students, 20 subjects and 70 courses on 12 rails (10 choices each), built in memory so that
// only the import and the export are measured. Goals: import < 1 s, export < 200 ms.

namespace {

namespace k42 = exchange::kurs42;

k42::Export generated() {
    k42::Export e;
    e.blocking = {QStringLiteral("Q1"),     2024, 1, QStringLiteral("Blockung"),
                  QStringLiteral("123456"), {}};
    const int subjects = 20, courses = 70, rails = 12, students = 150;
    for (int s = 0; s < subjects; ++s)
        e.subjects.push_back({s + 2,
                              s + 1,
                              QStringLiteral("Fach%1").arg(s),
                              QStringLiteral("Fach %1").arg(s),
                              QString(),
                              s,
                              {}});
    for (int r = 0; r < rails; ++r)
        e.rails.push_back({r + 2, r + 1, QStringLiteral("Grundkurs %1").arg(r + 1), {}});
    std::vector<std::vector<int>> offered(subjects * 2); // subject * 2 + advanced
    for (int k = 0; k < courses; ++k) {
        const int s = k % subjects;
        const bool lk = k < 10;
        auto& list = offered[static_cast<size_t>(s * 2 + (lk ? 1 : 0))];
        list.push_back(k);
        const QString kind = lk ? QStringLiteral("LK") : QStringLiteral("GK");
        e.courses.push_back({k + 2,
                             -k - 1,
                             e.subjects[static_cast<size_t>(s)].krz,
                             QStringLiteral("%1-%2%3")
                                 .arg(e.subjects[static_cast<size_t>(s)].krz, kind)
                                 .arg(list.size()),
                             QStringLiteral("L%1").arg(k % 40),
                             QString(),
                             lk ? 5 : 3,
                             kind,
                             1,
                             lk ? std::vector<int>{8, 9, 10, 11} : std::vector<int>{},
                             0,
                             0,
                             {}});
        e.placements.push_back({k + 2, k % rails, e.courses.back().name, k % 7 == 0});
    }
    for (int i = 0; i < students; ++i) {
        const k42::StudentKey key{QStringLiteral("Name%1").arg(i), QStringLiteral("Vorname"),
                                  QStringLiteral("01.01.2008"), 3 + i % 2};
        e.students.push_back(
            {i + 2, key, i + 1, 2, QStringLiteral("Q1"), QStringLiteral("Q1"), 80000 + i, {}});
        for (int j = 0; j < 10; ++j) {
            const int s = (i + 3 * j) % subjects;
            const bool lk = j < 2 && !offered[static_cast<size_t>(s * 2 + 1)].empty();
            const auto& list = offered[static_cast<size_t>(s * 2 + (lk ? 1 : 0))];
            const QString kurs =
                list.empty()
                    ? QString()
                    : e.courses[static_cast<size_t>(list[static_cast<size_t>(i) % list.size()])]
                          .name;
            e.choices.push_back({static_cast<int>(e.choices.size()) + 2,
                                 key,
                                 e.subjects[static_cast<size_t>(s)].krz,
                                 lk ? (j == 0 ? QStringLiteral("LK1") : QStringLiteral("LK2"))
                                    : QStringLiteral("GKS"),
                                 kurs,
                                 {{QStringLiteral("Note"), QStringLiteral("--")}}});
        }
    }
    return e;
}

void ImportKurs42(benchmark::State& state) {
    const k42::Export e = generated();
    QTemporaryDir dir;
    ui::QuietHost host;
    int n = 0;
    for (auto _ : state) {
        const QString path = dir.filePath(QStringLiteral("BB%1.MDB").arg(++n));
        k42::importExport(e, path, QString(), host);
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}
BENCHMARK(ImportKurs42)->Unit(benchmark::kMillisecond);

void ExportKurs42(benchmark::State& state) {
    QTemporaryDir dir;
    ui::QuietHost host;
    const QString path = dir.filePath(QStringLiteral("BB.MDB"));
    k42::importExport(generated(), path, QString(), host);
    db::Connection c(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(k42::exportCohort(c, QStringLiteral("2024")));
}
BENCHMARK(ExportKurs42)->Unit(benchmark::kMillisecond);

} // namespace
