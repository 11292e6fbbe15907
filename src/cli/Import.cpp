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
#include "platform/Paths.h"
#include "platform/RunState.h"

namespace cli {

int runCreate(const Args& a) {
    a.allowOnly({QStringLiteral("--output")});
    const QString output = pathArg(a.required(QStringLiteral("--output")));
    db::createDatabase(output);
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
        throw UsageError(QStringLiteral("hoechstens zwei --cohort"));

    const vfp::Container container = vfp::Container::open(containerPath);
    const importer::Selection sel = selection(container, schoolYear, cohorts, containerPath);

    platform::RunState s;
    const platform::SplitPath parts = platform::splitPath(output);
    s.DatenPfad = parts.dir;
    s.DatenDatei = parts.file;
    s.VerwDbcPfad = containerPath;
    s.SchjBez = sel.schjBez;
    s.SchjID = sel.schjId;
    db::createDatabase(s.databasePath());
    importer::runTransfers(s, host(), sel);
    const QString pointerDir = a.value(QStringLiteral("--pointer-dir"));
    if (!pointerDir.isEmpty()) {
        QString dir = pathArg(pointerDir);
        if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
            dir += QLatin1Char('/');
        platform::writePointerFile(dir, s.databasePath());
    }
    common::LiesSchj(s, host());
    common::frmFMld window(host());
    const QString notServed = importer::Vorbesetzen(s, host(), window);
    out() << "Datenbank " << s.databasePath() << " wurde erstellt!\n";
    if (!notServed.isEmpty())
        out() << window.caption() << "\n"
              << QString(notServed).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out().flush();
    return 0;
}

} // namespace cli
