// libFuzzer target: the whole import from an administration container with one damaged file.
//
// The demo container is copied once into a scratch folder. The input's first byte chooses which of
// its files the rest of the input replaces; then the import runs as `kubb import` runs it (school
// year 2009/2010, both cohorts) into a new block-formation database. A damaged file may stop the
// import with a message (an exception), never crash, hang or read out of bounds.
#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"
#include "import/Transfers.h"
#include "import/vfp/Container.h"
#include "platform/RunState.h"
#include "ui/QuietHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

struct Scratch {
    QTemporaryDir dir;
    QStringList files; // the container's files, sorted: the input's first byte picks one

    Scratch() {
        const QDir demo(QStringLiteral(KUBB_SOURCE_DIR "/data/demo"));
        for (const QString& name : demo.entryList(QDir::Files, QDir::Name)) {
            if (name.endsWith(QLatin1String(".md")))
                continue;
            if (!QFile::copy(demo.filePath(name), dir.filePath(name)))
                abort();
            files << name;
        }
        if (files.isEmpty())
            abort();
    }
    QByteArray original(const QString& name) const {
        QFile f(QStringLiteral(KUBB_SOURCE_DIR "/data/demo/") + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QString& name, const QByteArray& bytes) const {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            abort();
    }
};

void runImport(const QString& containerPath, const QString& databasePath) {
    ui::QuietHost host;
    platform::RunState s;
    s.useDatabase(databasePath);
    s.VerwDbcPfad = containerPath;
    const vfp::Container container = vfp::Container::open(containerPath);
    const QStringList years = importer::schoolYearLines(container);
    QString line;
    for (const QString& l : years)
        if (l.startsWith(QLatin1String("2009/2010")))
            line = l;
    if (line.isEmpty())
        return;
    const importer::Selection sel{line.right(6),
                                  line.left(9),
                                  importer::previousKey(years, line.left(9)),
                                  {QStringLiteral("2009"), QStringLiteral("2008")}};
    s.SchjBez = sel.schjBez;
    s.SchjID = sel.schjId;
    db::createDatabase(s.databasePath());
    importer::runTransfers(s, host, sel);
    common::frmFMld window(host);
    importer::Vorbesetzen(s, host, window);
}

} // namespace

// The SQL driver is a plugin that Qt finds through its application object.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Scratch scratch;
    if (size == 0)
        return 0;
    const QString victim = scratch.files.at(data[0] % scratch.files.size());
    scratch.put(victim, QByteArray(reinterpret_cast<const char*>(data + 1),
                                   static_cast<qsizetype>(size - 1)));
    const QString database = scratch.dir.filePath(QStringLiteral("BB.MDB"));
    QFile::remove(database);
    try {
        runImport(scratch.dir.filePath(QStringLiteral("QZ.DBC")), database);
    } catch (const std::exception&) {
        // A refused import is a result; only a crash is a finding.
    }
    scratch.put(victim, scratch.original(victim));
    return 0;
}
