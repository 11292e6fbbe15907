#include "db/BlockDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Creating an empty block-formation database: the first step of every import.
static void CreateDatabase(benchmark::State& state) {
    QTemporaryDir dir;
    int n = 0;
    for (auto _ : state) {
        const QString path = dir.filePath(QStringLiteral("BB%1.MDB").arg(n++));
        db::createDatabase(path);
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}
BENCHMARK(CreateDatabase)->Unit(benchmark::kMillisecond);
