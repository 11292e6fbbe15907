// kubb create, kubb import: a new block-formation database, empty or from the administration
// container.
#include "cli/Commands.h"

#include "common/MessageWindow.h"
#include "common/Session.h"
#include "db/BlockDatabase.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"
#include "import/Transfers.h"
#include "import/vfp/Container.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/RunState.h"
#include "platform/Text.h"

namespace cli {

int runCreate(const Args& a) {
    a.allowOnly({QStringLiteral("--output")});
    const QString output = pathArg(a.required(QStringLiteral("--output")));
    if (platform::fileExists(output))
        throw std::runtime_error(
            QStringLiteral("Die Datei %1 existiert bereits.").arg(output).toStdString());
    platform::checkWritable(output); // names the output, not the temporary file, when refused
    // Built under a temporary name, so that a failure leaves no half file a rerun would refuse.
    platform::PendingFile pending(output);
    db::createDatabase(pending.path());
    db::settleJournal(output);
    pending.commit(platform::PendingFile::Replace::No);
    out() << "Datenbank " << output << " wurde erstellt!" << Qt::endl;
    return 0;
}

namespace {

importer::Selection selection(const vfp::Container& container, const QString& schoolYear,
                              const QStringList& cohorts, const QString& containerPath) {
    const QStringList years = importer::schoolYearLines(container);
    QString line;
    for (const QString& l : years)
        if (l.left(9).trimmed() == schoolYear.trimmed()) {
            line = l;
            break;
        }
    if (line.isEmpty())
        throw std::runtime_error(QStringLiteral("Das Schuljahr %1 steht nicht im Container %2.")
                                     .arg(schoolYear, containerPath)
                                     .toStdString());
    importer::Selection sel{
        line.right(6), line.left(9), importer::previousKey(years, line.left(9)), {}};
    const QStringList offered = importer::cohortsOffered(container, sel.schjBez);
    for (const QString& p : offered)
        if (cohorts.contains(p))
            sel.cohorts << p;
    for (const QString& p : cohorts)
        if (!offered.contains(p))
            throw cohortNotOffered(p, sel.schjBez, offered);
    return sel;
}

} // namespace

int runImport(const Args& a) {
    a.allowOnly({QStringLiteral("--container"), QStringLiteral("--school-year"),
                 QStringLiteral("--cohort"), QStringLiteral("--output"),
                 QStringLiteral("--pointer-dir")});
    const QString containerPath = pathArg(a.required(QStringLiteral("--container")));
    const QString schoolYear = a.required(QStringLiteral("--school-year"));
    QString output = pathArg(a.required(QStringLiteral("--output")));
    const QStringList cohorts = a.values(QStringLiteral("--cohort"));
    if (cohorts.isEmpty())
        throw UsageError(QStringLiteral("import braucht --cohort"));
    if (cohorts.size() > 2)
        throw UsageError(QStringLiteral("höchstens zwei --cohort"));

    const vfp::Container container = vfp::Container::open(platform::nativePath(containerPath));
    const importer::Selection sel = selection(container, schoolYear, cohorts, containerPath);

    if (platform::fileExists(output))
        throw std::runtime_error(
            QStringLiteral("Die Datei %1 existiert bereits.").arg(output).toStdString());
    QString pointerDir = a.value(QStringLiteral("--pointer-dir"));
    if (!pointerDir.isEmpty()) {
        pointerDir = pathArg(pointerDir);
        if (!pointerDir.endsWith(QLatin1Char('/')) && !pointerDir.endsWith(QLatin1Char('\\')))
            pointerDir += QLatin1Char('/');
        platform::checkWritable(pointerDir + platform::kPointerFileName);
    }

    // Built under a temporary name, transferred and pre-assigned; only a complete file takes
    // the output's name, and only then does the pointer file name it.
    platform::PendingFile pending(output);
    platform::RunState s;
    s.useDatabase(pending.path());
    s.VerwDbcPfad = containerPath;
    s.SchjBez = sel.schjBez;
    s.SchjID = sel.schjId;
    db::createDatabase(s.databasePath());
    const int dropped = importer::runTransfers(s, host(), sel);
    common::LiesSchj(s, host());
    common::frmFMld window(host());
    const QString notServed = importer::Vorbesetzen(s, host(), window);
    db::settleJournal(output);
    pending.commit(platform::PendingFile::Replace::No);
    if (!pointerDir.isEmpty())
        platform::writePointerFile(pointerDir, output);
    out() << "Datenbank " << output << " wurde erstellt!\n";
    if (dropped > 0)
        out() << importer::droppedPlacementsText(dropped) << "\n";
    if (!notServed.isEmpty())
        out() << window.caption() << "\n"
              << QString(notServed).replace(platform::kCrLf, QStringLiteral("\n"));
    out().flush();
    return 0;
}

} // namespace cli
