#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "db/Database.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"
#include "import/Transfers.h"
#include "import/vfp/Container.h"
#include "platform/RunState.h"
#include "ui/QuietHost.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>
#include <string>

// Importing a large school as `kubb import` does: a fresh database, the ten transfers and the
// pre-assignment. The administration container is written once per run by the demo school's
// generator with two cohorts of 400 students (about 12,000 choices).

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// The generated container, made on first use; error() says why there is none.
// KUBB_BENCH_CONTAINER names a container to import instead, a school's own for example.
class LargeSchool {
public:
    LargeSchool() : given_(qEnvironmentVariable("KUBB_BENCH_CONTAINER")) {
        if (!given_.isEmpty())
            return;
        if (!dir_.isValid()) {
            error_ = "no temporary folder";
            return;
        }
        if (QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import dbf")}) != 0) {
            error_ = "python3-dbf is missing (/usr/bin/python3 -c 'import dbf' failed)";
            return;
        }
        QProcess p;
        p.start(kPython, {QStringLiteral(KUBB_SOURCE_DIR "/tools/make_demo_school.py"),
                          QStringLiteral("--students"), QStringLiteral("400"),
                          QStringLiteral("--output"), dir_.path()});
        if (!p.waitForFinished(600000) || p.exitCode() != 0)
            error_ = "make_demo_school.py failed: " + p.readAllStandardError().toStdString();
    }
    const std::string& error() const { return error_; }
    QString container() const {
        return given_.isEmpty() ? dir_.filePath(QStringLiteral("QZ.DBC")) : given_;
    }

private:
    QString given_;
    QTemporaryDir dir_;
    std::string error_;
};

const LargeSchool& largeSchool() {
    static const LargeSchool school;
    return school;
}

// What `kubb import --school-year 2009/2010 --cohort 2009 --cohort 2008` selects.
importer::Selection bothCohorts(const QString& containerPath) {
    const vfp::Container container = vfp::Container::open(containerPath);
    const QStringList years = importer::schoolYearLines(container);
    const QString schjBez = QStringLiteral("2009/2010");
    importer::Selection sel{QString(), schjBez, importer::previousKey(years, schjBez),
                            importer::cohortsOffered(container, schjBez)};
    for (const QString& line : years)
        if (line.startsWith(schjBez))
            sel.schjId = line.right(6);
    if (sel.schjId.isEmpty())
        throw std::runtime_error("the container has no school year 2009/2010");
    return sel;
}

void Import(benchmark::State& state) {
    const LargeSchool& school = largeSchool();
    if (!school.error().empty()) {
        state.SkipWithError(school.error().c_str());
        return;
    }
    importer::Selection sel;
    try {
        sel = bothCohorts(school.container());
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }

    QTemporaryDir out;
    ui::QuietHost host;
    platform::RunState s;
    s.DatenPfad = out.path() + QLatin1Char('/');
    s.VerwDbcPfad = school.container();
    s.SchjBez = sel.schjBez;
    s.SchjID = sel.schjId;
    int n = 0;
    qint64 choices = 0;
    for (auto _ : state) {
        s.DatenDatei = QStringLiteral("BB%1.MDB").arg(n++);
        try {
            db::createDatabase(s.databasePath());
            importer::runTransfers(s, host, sel);
            common::frmFMld window(host);
            benchmark::DoNotOptimize(importer::Vorbesetzen(s, host, window));
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        state.PauseTiming();
        if (choices == 0) {
            db::Connection c(s.databasePath());
            choices = c.scalar(QStringLiteral("SELECT count(*) FROM belegung")).toLongLong();
        }
        QFile::remove(s.databasePath());
        state.ResumeTiming();
    }
    state.counters["choices"] = static_cast<double>(choices);
}

} // namespace

BENCHMARK(Import)->Name("Import/2x400")->Unit(benchmark::kMillisecond);
